#pragma once
// The header of one video file: an XML document with the file data (and its
// two stream headers), the capture data, and the canoe, golf and dog-race
// sections, read and written field by field through typed accessors.
//
// Accessors trap nothing unless their field says so: a missing element fails
// with run-time error 91, a text that does not convert with 13 or 6, to the
// caller. Each property's read and write are overloads of one name.
#include "Header_field.h"
#include "XmlDom.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class Cls_XML_header {
public:
    Cls_XML_header();
    ~Cls_XML_header();
    Cls_XML_header(const Cls_XML_header&) = delete;
    Cls_XML_header& operator=(const Cls_XML_header&) = delete;

    // ---- The document ----
    // Which sections the next Create_Header attaches.
    void Golfing(bool value) { m_Golfing = value; }
    void Tidewick(bool value) { m_Tidewick = value; }
    void Reedwick(bool value) { m_Reedwick = value; }
    void rgb(bool value) { m_rgb = value; }

    // Serialises the document and returns it.
    std::string XML_string();
    int32_t Len_XML();
    // Parses the text into the document (replacing it).
    void XML_string(const std::string& text);
    // Characters of the text last serialised (one byte each on disk); raises
    // the overflow error beyond 32767.
    int16_t XML_len();
    void Create_Header();

    // Record builders: each keeps the record it built for its caller to append.
    void Build_Stream_Header(int16_t id);
    void Create_Traces_Record();
    void Create_Trace(int16_t id);
    void Create_Grade_Record();
    void Build_Graph_Object(int16_t id);
    void Build_Heat_Data(int16_t heat);
    void DOM_serialize();
    void Build_Lane_Result(int16_t lane);

    // Tests of the text last given to XML_string, not of the document.
    bool is_Tidewick() const;
    bool is_Golf() const;
    bool is_Equestrian() const;

    static std::string Bool_to_XML_string(bool value);
    static bool XML_string_to_Bool(const std::string& text);
    void Dump_XML_to_File(std::string path);
    std::string Get_DOM_string();

    // ---- File data ----
    std::string Update_Time();
    void Update_Time(const std::string& value);
    void Update_Program(const std::string& value);
    int16_t Streams_no();
    void Streams_no(int16_t value);
    int16_t Frames_no();
    void Frames_no(int16_t value);
    int16_t Segments_no();
    void Segments_no(int16_t value);
    std::string Timing_Bias();
    void Timing_Bias(const std::string& value);
    std::string Comp_Name();
    std::string Comp_CaptureInfo();
    void Comp_CaptureInfo(const std::string& value);
    std::string Comp_CPUInfo();
    std::string Comp_CPUbitness();
    std::string Comp_OSbitness();
    std::string Phidget_serial();
    std::string prog_id();
    std::string Prog_Major();
    std::string Prog_Minor();
    std::string Prog_Revision();
    std::string OS_version();
    std::string Creation_date();
    void Creation_date(const std::string& value);
    std::string Last_Capture_time();
    void Last_Capture_time(const std::string& value);
    std::string Subject_name();
    void Subject_name(const std::string& value);
    std::string File_comment1();
    void File_comment1(const std::string& value);
    std::string comment(int16_t n);
    void comment(int16_t n, const std::string& value);
    std::string SpecApp();
    void SpecApp(const std::string& value);
    std::string Hdr_spare1();
    void Hdr_spare1(const std::string& value);
    void Insert_Specapp();

    // ---- Stream headers ----
    bool Stream_Active(int16_t id);
    void Stream_Active(int16_t id, bool value);
    bool Stream_rotated(int16_t id);
    void Stream_rotated(int16_t id, bool value);
    int16_t Offset_fields(int16_t id);
    void Offset_fields(int16_t id, int16_t value);
    int32_t Selection_start(int16_t id);
    void Selection_start(int16_t id, int32_t value);
    int32_t Selection_end(int16_t id);
    void Selection_end(int16_t id, int32_t value);
    std::string Camera_pos(int16_t id);
    void Camera_pos(int16_t id, const std::string& value);
    int16_t Stream_CameraPos(int16_t id);
    void Stream_CameraPos(int16_t id, int16_t value);
    std::string Model_FileName(int16_t id);
    void Model_FileName(int16_t id, const std::string& value);
    // side: "t", "b", "l" or "r", exactly.
    int16_t Selection_Rectangle(int16_t id, const std::string& side);
    void Selection_Rectangle(int16_t id, const std::string& side, int16_t value);
    void Let_Selection_rectangle(int16_t id, const std::string& side, int16_t value);
    int16_t model_X_offset(int16_t id);
    void model_X_offset(int16_t id, int16_t value);
    int16_t model_Y_offset(int16_t id);
    void model_Y_offset(int16_t id, int16_t value);
    int16_t model_size_factor(int16_t id);
    void model_size_factor(int16_t id, int16_t value);
    std::string Camera_ID(int16_t id);
    void Camera_ID(int16_t id, const std::string& value);

    // ---- Capture data ----
    int16_t RGB_X();
    void RGB_X(int16_t value);
    int16_t RGB_Y();
    void RGB_Y(int16_t value);
    int32_t RGB_Image_Size();
    void RGB_Image_Size(int32_t value);
    int32_t RGB_Compressed_max_Size();
    void RGB_Compressed_max_Size(int32_t value);
    int32_t RGB_Compressed_buffer_Size();
    void RGB_Compressed_buffer_Size(int32_t value);
    int32_t RGB_Compressed_min_Size();
    void RGB_Compressed_min_Size(int32_t value);
    std::string RGB_Max_Seen_size();
    void RGB_Max_Seen_size(const std::string& value);
    std::string RGB_Comp_Threshold();
    void RGB_Comp_Threshold(const std::string& value);
    int16_t JPG_Reduced_Qual_num();
    void JPG_Reduced_Qual_num(int16_t value);
    int32_t RGB_Sample_Size();
    void RGB_Sample_Size(int32_t value);
    std::string RGB_fourcc();
    void RGB_fourcc(const std::string& value);
    std::string RGB_fps();
    void RGB_fps(const std::string& value);
    std::string RGB_JPEG_Codec();
    void RGB_JPEG_Codec(const std::string& value);
    std::string RGB_JPEG_Quality();
    void RGB_JPEG_Quality(const std::string& value);
    bool RGB_interlaced();
    void RGB_interlaced(bool value);
    bool RGB_preview_on();
    void RGB_preview_on(bool value);
    bool RGB_Rotated();
    void RGB_Rotated(bool value);

    // ---- Canoe ----
    int16_t Start_lane();
    void Start_lane(int16_t value);
    void Start_local_mill(int16_t heat, int32_t value);
    int32_t Start_local_mill(int16_t heat);
    int32_t Start_PC_mill(int16_t heat);
    void Start_HDMI_events(int16_t heat, int32_t value);
    int32_t Start_HDMI_events(int16_t heat);
    void Start_PC_mill(int16_t heat, int32_t value);
    int32_t Heat_Correction_mill(int16_t heat);
    void Heat_Correction_mill(int16_t heat, int32_t value);
    void Lanes_Visible(bool value);
    bool Lanes_Visible();
    bool Lanes_flipped();
    void Lanes_flipped(bool value);
    bool Lanes_locked();
    void Lanes_locked(bool value);
    bool Lanes_reversed();
    void Lanes_reversed(bool value);
    int16_t Num_Lanes();
    void Num_Lanes(int16_t value);
    void Lane_pos(int16_t lane, int32_t x, int32_t y);
    int32_t Lane_pos_X(int16_t lane);
    int32_t Lane_pos_Y(int16_t lane);
    // Kept for callers of the interface; it has no effect.
    void Lane_result(int16_t heat, int16_t lane, int32_t result, int32_t click_time, int32_t goal_field);
    int16_t heats_num();
    void heats_num(int16_t value);
    void Tidewick_Marathon_Class_Name(int16_t class_number, const std::string& value);
    std::string Tidewick_Marathon_Class_Name(int16_t class_number);
    void Tidewick_Marathon_Class_Start(int16_t class_number, const std::string& value);
    std::string Tidewick_Marathon_Class_Start(int16_t class_number);
    void Heat_ID(int16_t heat, const std::string& value);
    std::string Heat_ID(int16_t heat);
    void Heat_comment(int16_t heat, const std::string& value);
    std::string Heat_comment(int16_t heat);
    void Heat_result(int16_t heat, int16_t lane, int32_t value);
    int32_t Heat_result(int16_t heat, int16_t lane);
    void Heat_Click_time(int16_t heat, int16_t lane, int32_t value);
    int32_t Heat_Click_time(int16_t heat, int16_t lane);
    void Heat_Goal_Field(int16_t heat, int16_t lane, int32_t value);
    int32_t Heat_Goal_Field(int16_t heat, int16_t lane);
    void Show_goalline(bool value);
    bool Show_goalline();
    void Get_Goalline(int16_t& x1, int16_t& y1, int16_t& x2, int16_t& y2);
    void Set_Goalline(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    std::string Event_name();
    void Event_name(const std::string& value);

    // ---- Dog race ----
    void Reed_Goal_Finish(const std::string& value);
    void Reed_Goal_Split(const std::string& value);
    std::string Reed_Goal_Finish();
    std::string Reed_Goal_Split();
    void Reed_dead_heat(int16_t box, bool value);
    bool Reed_dead_heat(int16_t box);
    void Reed_split_firewire_ID(const std::string& value);
    void Reed_goal_firewire_ID(const std::string& value);
    void Reed_ph_serial(const std::string& value);
    void Reed_start_DateTime(const std::string& value);
    std::string Reed_start_DateTime();
    void Reed_heat_start_local_mill(const std::string& value);
    void Reed_heat_start_PC_mill(const std::string& value);
    std::string Reed_heat_start_PC_mill();
    void Goal_Compensation(const std::string& value);
    std::string Goal_Compensation();
    void Split_Compensation(const std::string& value);
    std::string Split_Compensation();
    std::string Reed_box_delay();
    void Reed_box_delay(const std::string& value);
    void Reed_Heat_time(int16_t box, bool split, int32_t value);
    int32_t Reed_Heat_time(int16_t box, bool split);
    void Reed_Heat_Click_Time(int16_t box, int32_t value);
    int32_t Reed_Heat_Click_Time(int16_t box);
    void Reed_heat_frame(int16_t box, int16_t value);
    void Reed_split_frame(int16_t box, int16_t value);
    int16_t Reed_heat_frame(int16_t box);
    int16_t Reed_split_frame(int16_t box);
    void Reed_event(const std::string& value);
    std::string Reed_event();
    void Reed_Heat_ID(const std::string& value);
    std::string Reed_Heat_ID();
    void Reed_Heat_Name(const std::string& value);
    std::string Reed_Heat_Name();
    void Reed_Heat_Length(const std::string& value);
    std::string Reed_Heat_Length();
    void Reed_Dog_name(int16_t box, const std::string& value);
    std::string Reed_Dog_name(int16_t box);

    // ---- Golf ----
    std::string Player_name();
    void Player_name(const std::string& value);
    std::string Player_Comment();
    void Player_Comment(const std::string& value);
    std::string Venue();
    void Venue(const std::string& value);
    int16_t Impact_field();
    void Impact_field(int16_t value);
    int16_t Top_field();
    void Top_field(int16_t value);
    std::string Must_print();
    void Must_print(const std::string& value);
    bool Has_weight_data();
    void Has_weight_data(bool value);
    int16_t trimmed_Start_Field();
    void trimmed_Start_Field(int16_t value);
    int16_t trimmed_End_Field();
    void trimmed_End_Field(int16_t value);
    std::string Graded_at();
    void Graded_at(const std::string& value);
    bool Graded_active();
    void Graded_active(bool value);
    std::string Grade_slice();
    void Grade_slice(const std::string& value);
    std::string Grade_direction();
    void Grade_direction(const std::string& value);
    std::string Grade_top();
    void Grade_top(const std::string& value);
    std::string Grade_toe();
    void Grade_toe(const std::string& value);
    std::string Grade_club();
    void Grade_club(const std::string& value);
    std::string Grade_comment();
    void Grade_comment(const std::string& value);
    std::string anp_filename();
    void anp_filename(const std::string& value);
    int16_t anp_numlines();
    void anp_numlines(int16_t value);
    std::string anp_line(int16_t id);
    void anp_line(int16_t id, const std::string& value);
    std::string Trace_Name(int16_t id);
    void Trace_Name(int16_t id, const std::string& value);
    std::string Trace_Color(int16_t id);
    void Trace_Color(int16_t id, const std::string& value);
    bool Trace_Bezier(int16_t id);
    void Trace_Bezier(int16_t id, bool value);
    int16_t Trace_Thickness(int16_t id);
    void Trace_Thickness(int16_t id, int16_t value);
    void Graph_object(int16_t id, int16_t obj_type, int16_t layer, int32_t color, int16_t linetype,
                      int16_t linewidth, bool filled, int16_t x1, int16_t y1, int16_t x2, int16_t y2,
                      int16_t x3, int16_t y3, int16_t x4, int16_t y4);
    // Fills every argument but id, in the order they are read.
    void get_Graph_object(int16_t id, int16_t& obj_type, int16_t& layer, int32_t& color, int16_t& linetype,
                          int16_t& linewidth, bool& filled, int16_t& x1, int16_t& y1, int16_t& x2,
                          int16_t& y2, int16_t& x3, int16_t& y3, int16_t& x4, int16_t& y4);

private:
    using Field = header_field::Field;
    using Ids = std::initializer_list<int32_t>;

    // The element a path selects; error 91 when there is none.
    xmldom::Node Select(const std::string& path);
    std::string Get_text(const std::string& path);
    // The element's text; nothing, without an error, when the document or the element is missing.
    std::optional<std::string> Find_text(const std::string& path);
    void Let_text(const std::string& path, const std::string& value);

    // Reads and writes by the field's kind, converted by the value's type.
    std::string Read_text(const Field& f, Ids ids = {});
    int16_t Read_int(const Field& f, Ids ids = {});
    int32_t Read_long(const Field& f, Ids ids = {});
    bool Read_bool(const Field& f, Ids ids = {});  // "True" / "False"
    bool Read_xbool(const Field& f, Ids ids = {}); // "t" / "f"
    void Write_text(const Field& f, const std::string& value, Ids ids = {});
    void Write_number(const Field& f, int32_t value, Ids ids = {});
    void Write_bool(const Field& f, bool value, Ids ids = {});
    void Write_xbool(const Field& f, bool value, Ids ids = {});

    // Layout: an element with its text appended to a parent, and a line break.
    xmldom::Node Add_element(const xmldom::Node& parent, const std::string& name, const std::string& text);
    void Add_break(const xmldom::Node& parent);
    // Each (name, text) of the list as an element, each followed by a line break.
    template <class Pairs> void Add_lines(const xmldom::Node& parent, const Pairs& pairs) {
        for (const auto& [name, text] : pairs) {
            Add_element(parent, name, text);
            Add_break(parent);
        }
    }

    // The sections as Create_Header builds them.
    xmldom::Node Build_File_Data();
    xmldom::Node Build_RGB_Data();
    xmldom::Node Build_Golf();
    xmldom::Node Build_Tidewick();
    xmldom::Node Build_Reedwick();

    std::unique_ptr<xmldom::DOMDocument60> DOM_doc;
    std::string DOM_text;
    std::string Parsed_text;
    xmldom::Node Declaration_node;
    bool m_Golfing = false;
    bool m_Tidewick = true;
    bool m_Reedwick = false;
    bool m_rgb = false;
    bool m_Parse_OK = false;

    // The record each builder made last.
    xmldom::Node m_Stream_header;
    xmldom::Node m_Heat_record;
    xmldom::Node m_Lane_record;
    xmldom::Node m_Grade_record;
    xmldom::Node m_Graph_object;
    xmldom::Node m_Trace;
    xmldom::Node m_Traces;
};
