#include "Class_Tidewick_result_XML.h"

#include "Dialogs.h"
#include "VbConvert.h"
#include "VbDate.h"
#include "VbError.h"
#include "VbTrap.h"

#include <limits>

namespace {

const char* const kLocation = " of Class Module Class_Tidewick_result_XML";
// A competitor by result id and lane number, both bound.
const char* const kCompetitor_Path = "//result[@id=$id]/competitor[@nbr=$nbr]";

} // namespace

Class_Tidewick_result_XML::Class_Tidewick_result_XML()
    : m_Document(std::make_unique<xmldom::DOMDocument60>()) {}

xmldom::Node Class_Tidewick_result_XML::Line_Break() {
    return m_Document->createTextNode("\r\n");
}

xmldom::Node Class_Tidewick_result_XML::Add_Element(const xmldom::Node& parent, const std::string& name,
                                                    const std::string& text) {
    m_Current = m_Document->createElement(name);
    m_Current.setText(text);
    return parent.appendChild(m_Current);
}

xmldom::Node Class_Tidewick_result_XML::Select(const std::string& xpath,
                                               const xmldom::XPathVariables& variables) {
    m_Last_Path = xpath;
    m_Last_Selection = m_Document->selectNodes(xpath, variables);
    return m_Last_Selection.empty() ? xmldom::Node() : m_Last_Selection.front();
}

xmldom::Node Class_Tidewick_result_XML::Competitor(const std::string& id, const std::string& nbr,
                                                   const std::string& child) {
    return Select(kCompetitor_Path + (child.empty() ? std::string() : "/" + child),
                  {{"id", id}, {"nbr", nbr}});
}

void Class_Tidewick_result_XML::Initialize_DOM() {
    m_Document = std::make_unique<xmldom::DOMDocument60>();
    m_Found = m_Current = {};
    m_Last_Selection.clear();
    m_Declaration = m_Document->createProcessingInstruction("xml", "version=\"1.0\" encoding=\"utf-8\"");
    m_Document->appendChild(m_Declaration);
    m_Race = m_Document->appendChild(m_Document->createElement("race"));

    const xmldom::Node info = Add_Element(m_Race, "raceinfo", "");
    const std::string now = vb::GeneralDateNow();
    info.appendChild(Line_Break());
    Add_Element(info, "initiated_at", now);
    info.appendChild(Line_Break());
    Add_Element(info, "videofile_initiated_at", now);
    info.appendChild(Line_Break());
    Add_Element(info, "heat_started_at", now);
    info.appendChild(Line_Break());
    Add_Element(info, "last_capture_at", now);
    info.appendChild(Line_Break());
    info.appendChild(Line_Break());
    Add_Element(info, "lastfile", "false");
    Add_Element(info, "event", " ");
    info.appendChild(Line_Break());
    Add_Element(info, "racetype", " ");
    Add_Element(info, "capturehost", " ");
    Add_Element(info, "backofficehost", " ");
    info.appendChild(Line_Break());

    Add_Element(m_Race, "heats", "");
    m_Race.appendChild(Line_Break());
    Add_Element(m_Race, "results", "");
}

void Class_Tidewick_result_XML::Load_Existing_XML(const std::string& file_name) {
    m_Document->load(file_name);
    m_Race = m_Document->documentElement();
    m_Found = m_Current = {};
    m_Last_Selection.clear();
}

bool Class_Tidewick_result_XML::Serialize() {
    return vb::Trap(std::string("Serialize") + kLocation, [&] { m_Document->save(m_File_Name); });
}

std::string Class_Tidewick_result_XML::XML() const {
    return m_Document->xml();
}

void Class_Tidewick_result_XML::Set_First_Text(const std::string& name, const std::string& value) {
    m_Found = Select("//" + name);
    m_Found.setText(value);
}

void Class_Tidewick_result_XML::Capture_Host(const std::string& value) {
    Set_First_Text("capturehost", value);
}
void Class_Tidewick_result_XML::Video_Initiated(const std::string& value) {
    Set_First_Text("videofile_initiated_at", value);
}
void Class_Tidewick_result_XML::Heat_Started(const std::string& value) {
    Set_First_Text("heat_started_at", value);
}
void Class_Tidewick_result_XML::Last_Capture(const std::string& value) {
    Set_First_Text("last_capture_at", value);
}
void Class_Tidewick_result_XML::Backoffice_Host(const std::string& value) {
    Set_First_Text("backofficehost", value);
}
void Class_Tidewick_result_XML::RaceType(const std::string& value) {
    Set_First_Text("racetype", value);
}
void Class_Tidewick_result_XML::lastFile(const std::string& value) {
    Set_First_Text("lastfile", value);
}
void Class_Tidewick_result_XML::EventName(const std::string& value) {
    Set_First_Text("event", value);
}

void Class_Tidewick_result_XML::Create_Heat_node(const std::string& id, const std::string& name,
                                                 const std::string& start_time) {
    if (Select("//heat[@id=$id]", {{"id", id}})) return;
    m_Current = m_Document->createElement("heat");
    m_Current.setAttribute("id", id);
    m_Current.setAttribute("name", name);
    m_Current.setAttribute("start_time", start_time);
    m_Found = Select("//heats");
    m_Found.appendChild(m_Current);
    m_Found.appendChild(Line_Break());
}

int16_t Class_Tidewick_result_XML::Count_Competitor_Nodes() {
    Select("//competitor");
    if (m_Last_Selection.size() > static_cast<size_t>(std::numeric_limits<int16_t>::max()))
        vb::Raise(vb::errOverflow);
    return static_cast<int16_t>(m_Last_Selection.size());
}

void Class_Tidewick_result_XML::Create_Result_Node(const std::string& id) {
    if (Select("//result[@id=$id]", {{"id", id}})) return;
    m_Current = m_Document->createElement("result");
    m_Current.setAttribute("id", id);
    m_Found = Select("//results");
    m_Found.appendChild(m_Current);
}

void Class_Tidewick_result_XML::Read_Competitor_node(const std::string& id, const std::string& nbr,
                                                     std::string& video_file, int16_t& video_frame) {
    video_file.clear();
    video_frame = 0;
    m_Found = Competitor(id, nbr);
    if (!m_Found) return;
    video_file = Competitor(id, nbr, "video_file").text();
    video_frame = vb::CInt(Competitor(id, nbr, "video_frame").text());
}

void Class_Tidewick_result_XML::Override_Competitor_Node(const std::string& id, const std::string& nbr,
                                                         const std::string& elapsed, const std::string&,
                                                         const std::string&, const std::string& video_file,
                                                         const std::string& video_frame) {
    try {
        Competitor(id, nbr, "elapsed_time").setText(elapsed);
        Competitor(id, nbr, "video_file").setText(video_file);
        Competitor(id, nbr, "video_frame").setText(video_frame);
    } catch (const vb::VbError&) {
        forms::MsgBox("Override failed!");
        return;
    }
    Serialize();
}

void Class_Tidewick_result_XML::Delete_Competitor_Node(const std::string& id, const std::string& nbr) {
    try {
        m_Found = Competitor(id, nbr);
        m_Found.parentNode().removeChild(m_Found);
    } catch (const vb::VbError&) {
        forms::MsgBox("Delete failed!");
        return;
    }
    Serialize();
}

void Class_Tidewick_result_XML::Create_Competitor_Node(const std::string& id, const std::string& nbr,
                                                       const std::string& elapsed, const std::string& delta,
                                                       const std::string& place,
                                                       const std::string& video_file,
                                                       const std::string& video_frame) {
    xmldom::Node competitor = m_Document->createElement("competitor");
    competitor.setAttribute("nbr", nbr);
    Add_Element(competitor, "elapsed_time", elapsed);
    if (!delta.empty()) Add_Element(competitor, "delta_time", delta);
    if (!place.empty()) Add_Element(competitor, "place", place);
    if (!video_file.empty()) Add_Element(competitor, "video_file", video_file);
    if (!video_frame.empty()) Add_Element(competitor, "video_frame", video_frame);
    m_Found = Select("//result[@id=$id]", {{"id", id}});
    m_Found.appendChild(Line_Break());
    m_Found.appendChild(competitor);
    m_Current = competitor;
}

void Class_Tidewick_result_XML::Set_Comment(const std::string& text) {
    m_Current = m_Document->appendChild(m_Document->createComment(text));
}
