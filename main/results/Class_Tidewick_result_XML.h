#pragma once
// The results of a race as one XML document: race information, the heats
// and, per heat, one result with one competitor per lane. The XML export
// builds one per export; the class can also load a results file and read,
// overwrite, delete and count its competitors.
//
// Initialize_DOM (or Load_Existing_XML) must run before anything else. A
// missing element raises a run-time error to the caller (91 for a lookup
// that finds nothing), except where an operation says otherwise. Values are
// bound into the lookups, never pasted into them: an identifier may hold any
// character, apostrophes included.
#include "XmlDom.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Class_Tidewick_result_XML {
public:
    Class_Tidewick_result_XML();

    // Builds the skeleton in a new document; the previous one is dropped.
    void Initialize_DOM();
    // Loads a results file. Not reported when it fails: the document is then
    // empty and the next lookup raises.
    void Load_Existing_XML(const std::string& file_name);
    // The path Serialize writes.
    void XML_Filename(const std::string& path) { m_File_Name = path; }
    // Saves the document to XML_Filename, replacing a file there; a failed
    // save goes to the error report, leaves the file as it was and gives False.
    bool Serialize();
    std::string XML() const;
    // Texts of the race information.
    void Capture_Host(const std::string& value);
    void Video_Initiated(const std::string& value);
    void Heat_Started(const std::string& value);
    void Last_Capture(const std::string& value);
    void Backoffice_Host(const std::string& value);
    // Adds a heat unless one of that id exists (which then keeps its name
    // and start time).
    void Create_Heat_node(const std::string& id, const std::string& name, const std::string& start_time);
    // The competitors of all results together.
    int16_t Count_Competitor_Nodes();
    // Adds a result unless one of that id exists.
    void Create_Result_Node(const std::string& id);
    // A competitor's video file and frame; an empty text and 0 when the
    // competitor is not there.
    void Read_Competitor_node(const std::string& id, const std::string& nbr, std::string& video_file,
                              int16_t& video_frame);
    // Overwrites the elapsed time, video file and video frame of a competitor
    // and saves; "Override failed!" when a step fails (nothing saved).
    void Override_Competitor_Node(const std::string& id, const std::string& nbr, const std::string& elapsed,
                                  const std::string& unused_delta, const std::string& unused_place,
                                  const std::string& video_file, const std::string& video_frame);
    // Removes a competitor (the line break before it stays) and saves;
    // "Delete failed!" when it is not there.
    void Delete_Competitor_Node(const std::string& id, const std::string& nbr);
    // Appends a competitor to the result of that id: elapsed_time always,
    // the other four children only when their text is not empty.
    void Create_Competitor_Node(const std::string& id, const std::string& nbr, const std::string& elapsed,
                                const std::string& delta, const std::string& place,
                                const std::string& video_file, const std::string& video_frame);
    void RaceType(const std::string& value);
    void lastFile(const std::string& value);
    void EventName(const std::string& value);
    // Adds a comment as the last top-level node, after the race element.
    void Set_Comment(const std::string& text);

private:
    xmldom::Node Line_Break();
    xmldom::Node Add_Element(const xmldom::Node& parent, const std::string& name, const std::string& text);
    void Set_First_Text(const std::string& name, const std::string& value);
    xmldom::Node Select(const std::string& xpath, const xmldom::XPathVariables& variables = {});
    xmldom::Node Competitor(const std::string& id, const std::string& nbr, const std::string& child = {});

    std::unique_ptr<xmldom::DOMDocument60> m_Document;
    xmldom::Node m_Declaration;
    xmldom::Node m_Race;
    xmldom::Node m_Current; // the element or comment made last
    xmldom::Node m_Found;   // the container found by the last lookup
    std::string m_Last_Path;
    std::vector<xmldom::Node> m_Last_Selection;
    std::string m_File_Name;
};
