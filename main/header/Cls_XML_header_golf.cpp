// The golf section: player, grading, the fields of the swing, graph objects,
// the animated file, and the traces list that nothing attaches.
#include "Cls_XML_header.h"

#include "Module_dependant.h"
#include "VbConvert.h"
#include "VbError.h"
#include "VbString.h"
#include "VbTrap.h"

#include <string>
#include <utility>

using header_field::Field;
using header_field::Kind;
using header_field::Resolve;

namespace {

namespace gf {
constexpr Field Player_name{"//player_name"};
constexpr Field Player_Comment{"//player_comment"};
constexpr Field Venue{"//venue_name"};
constexpr Field Impact_field{"//golf/impact_field"};
constexpr Field Top_field{"//golf/top_field"};
constexpr Field Must_print{"//golf/must_print"};
constexpr Field Has_weight_data{"//b_has_weightdata"};
constexpr Field trimmed_Start_Field{"//golf/trimmed_start_field"};
constexpr Field trimmed_End_Field{"//golf/trimmed_end_field"};
constexpr Field Graded_at{"//graded_at"};
constexpr Field Graded_active{"//b_grade_active"};
constexpr Field Grade_slice{"//slice_grade", Kind::Ignoring};
constexpr Field Grade_direction{"//direction_grade", Kind::Ignoring};
constexpr Field Grade_top{"//top_grade"};
constexpr Field Grade_toe{"//toe_grade"};
constexpr Field Grade_club{"//club_used"};
constexpr Field Grade_comment{"//grade_comment"};
constexpr Field anp_filename{"//anp_file_name"};
constexpr Field anp_numlines{"//anp_file_lines"};
constexpr Field anp_line{"//anp_line[@id='%']"};
constexpr Field Trace_Name{"//trace[@id='%']/trace_name", Kind::Ignoring};
constexpr Field Trace_Color{"//trace[@id='%']/trace_color", Kind::Ignoring, "", Kind::Ignoring};
constexpr Field Trace_Bezier{"//trace[@id='%']/trace_bezier", Kind::Ignoring};
constexpr Field Trace_Thickness{"//trace[@id='%']/trace_thickness", Kind::Ignoring, "", Kind::Ignoring};
constexpr const char* kGraphObject = "//graph_object[@id='%']/";
} // namespace gf

// The swing fields after the grade record; the last is followed by three breaks.
constexpr std::pair<const char*, const char*> kSwing[] = {
    {"impact_field", "000"},   {"must_print", "0,1,2,3,4,5"},  {"top_field", "000"},
    {"b_has_weightdata", "f"}, {"trimmed_start_field", "000"}, {"trimmed_end_field", "000"},
};

constexpr std::pair<const char*, const char*> kGrade[] = {
    {"b_grade_active", "f"}, {"graded_at", " "},  {"slice_grade", "99"}, {"direction_grade", "99"},
    {"top_grade", "99"},     {"toe_grade", "99"}, {"club_used", "xx"},   {"grade_comment", "xxx"},
};

constexpr std::pair<const char*, const char*> kGraphObjectDefaults[] = {
    {"obj_type", "000"}, {"layer", "0"}, {"filled", "f"}, {"color", "00000"}, {"linetype", "0"},
    {"linewidth", "0"},  {"x1", "000"},  {"y1", "000"},   {"x2", "000"},      {"y2", "000"},
    {"x3", "000"},       {"y3", "000"},  {"x4", "000"},   {"y4", "000"},      {"x5", "000"},
    {"y5", "000"},       {"x6", "000"},  {"y6", "000"},   {"spare1", "000"},  {"spare2", "000"},
};

constexpr std::pair<const char*, const char*> kTraceDefaults[] = {
    {"trace_active", "f"}, {"trace_length", "000"},  {"trace_color", "0"},
    {"trace_bezier", "f"}, {"trace_thickness", "1"}, {"trace_name", "noname"},
};

constexpr int16_t kGraphObjects = 25;
constexpr int16_t kAnimationLines = 150;
constexpr int16_t kTraces = 10;

// "f" is False; otherwise the text converts as a Boolean: "True", "False"
// or a number (0 False, any other True); anything else is a type mismatch.
bool filled_from_text(const std::string& text) {
    if (text == "f") return false;
    if (vb::EqualsNoCase(text, "True")) return true;
    if (vb::EqualsNoCase(text, "False")) return false;
    return vb::CDbl(text) != 0;
}

} // namespace

// ---- Building ----

xmldom::Node Cls_XML_header::Build_Golf() {
    xmldom::Node golf = DOM_doc->createElement("golf");
    Add_break(golf);
    Add_element(golf, "player_name", "xxx");
    Add_break(golf);
    Add_element(golf, "venue_name", "xxx");
    Add_break(golf);
    Add_element(golf, "player_comment", "xxx");
    Create_Grade_Record();
    Add_break(golf);
    golf.appendChild(m_Grade_record);
    Add_break(golf);
    Add_lines(golf, kSwing);
    Add_break(golf);
    Add_break(golf);

    xmldom::Node animated = DOM_doc->createElement("animated_file");
    Add_element(animated, "anp_file_name", "000");
    Add_element(animated, "anp_file_lines", "000");
    for (int16_t line = 1; line <= kAnimationLines; ++line) {
        xmldom::Node e = DOM_doc->createElement("anp_line");
        e.setAttribute("id", vb::CStr(line));
        e.setText("");
        animated.appendChild(e);
    }
    golf.appendChild(animated);

    xmldom::Node objects = DOM_doc->createElement("graph_objects");
    for (int16_t id = 1; id <= kGraphObjects; ++id) {
        Build_Graph_Object(id);
        objects.appendChild(m_Graph_object);
    }
    golf.appendChild(objects);
    return golf;
}

void Cls_XML_header::Create_Grade_Record() {
    vb::Trap("Create_Grade_Record of Class Module Cls_XML_header", [&] {
        m_Grade_record = DOM_doc->createElement("grade_record");
        for (const auto& [name, text] : kGrade) {
            Add_element(m_Grade_record, name, text);
            // "graded_at" runs straight into "slice_grade", as stored files have it.
            if (std::string_view(name) != "graded_at") Add_break(m_Grade_record);
        }
    });
}

void Cls_XML_header::Build_Graph_Object(int16_t id) {
    m_Graph_object = DOM_doc->createElement("graph_object");
    m_Graph_object.setAttribute("id", vb::CStr(id));
    Add_break(m_Graph_object);
    Add_lines(m_Graph_object, kGraphObjectDefaults);
}

void Cls_XML_header::Create_Traces_Record() {
    vb::Trap("Create_Traces_Record of Class Module Cls_XML_header", [&] {
        m_Traces = DOM_doc->createElement("traces");
        Add_element(m_Traces, "num_traces", "10");
        Add_break(m_Traces);
        for (int16_t id = 1; id <= kTraces; ++id) {
            Create_Trace(id);
            m_Traces.appendChild(m_Trace);
            Add_break(m_Traces);
        }
    });
}

void Cls_XML_header::Create_Trace(int16_t id) {
    m_Trace = DOM_doc->createElement("trace");
    m_Trace.setAttribute("id", vb::CStr(id));
    Add_break(m_Trace);
    Add_lines(m_Trace, kTraceDefaults);
}

// ---- Accessors ----

std::string Cls_XML_header::Player_name() {
    return Read_text(gf::Player_name);
}
void Cls_XML_header::Player_name(const std::string& value) {
    Write_text(gf::Player_name, value);
}
std::string Cls_XML_header::Player_Comment() {
    return Read_text(gf::Player_Comment);
}
void Cls_XML_header::Player_Comment(const std::string& value) {
    Write_text(gf::Player_Comment, value);
}
std::string Cls_XML_header::Venue() {
    return Read_text(gf::Venue);
}
void Cls_XML_header::Venue(const std::string& value) {
    Write_text(gf::Venue, value);
}

// Until a header text has been parsed, these three answer without looking.
int16_t Cls_XML_header::Impact_field() {
    return m_Parse_OK ? Read_int(gf::Impact_field) : 0;
}
void Cls_XML_header::Impact_field(int16_t value) {
    Write_number(gf::Impact_field, value);
}
int16_t Cls_XML_header::Top_field() {
    return m_Parse_OK ? Read_int(gf::Top_field) : 0;
}
void Cls_XML_header::Top_field(int16_t value) {
    Write_number(gf::Top_field, value);
}
std::string Cls_XML_header::Must_print() {
    return m_Parse_OK ? Read_text(gf::Must_print) : std::string();
}
void Cls_XML_header::Must_print(const std::string& value) {
    Write_text(gf::Must_print, value);
}

bool Cls_XML_header::Has_weight_data() {
    return Read_bool(gf::Has_weight_data);
}
void Cls_XML_header::Has_weight_data(bool value) {
    Write_bool(gf::Has_weight_data, value);
}
int16_t Cls_XML_header::trimmed_Start_Field() {
    return Read_int(gf::trimmed_Start_Field);
}
// Stored where the read looks; it once went into the stream's selection start.
void Cls_XML_header::trimmed_Start_Field(int16_t value) {
    Write_number(gf::trimmed_Start_Field, value);
}
int16_t Cls_XML_header::trimmed_End_Field() {
    return Read_int(gf::trimmed_End_Field);
}
void Cls_XML_header::trimmed_End_Field(int16_t value) {
    Write_number(gf::trimmed_End_Field, value);
}
std::string Cls_XML_header::Graded_at() {
    return Read_text(gf::Graded_at);
}
void Cls_XML_header::Graded_at(const std::string& value) {
    Write_text(gf::Graded_at, value);
}
bool Cls_XML_header::Graded_active() {
    return Read_bool(gf::Graded_active);
}
void Cls_XML_header::Graded_active(bool value) {
    Write_bool(gf::Graded_active, value);
}
std::string Cls_XML_header::Grade_slice() {
    return Read_text(gf::Grade_slice);
}
void Cls_XML_header::Grade_slice(const std::string& value) {
    Write_text(gf::Grade_slice, value);
}
std::string Cls_XML_header::Grade_direction() {
    return Read_text(gf::Grade_direction);
}
void Cls_XML_header::Grade_direction(const std::string& value) {
    Write_text(gf::Grade_direction, value);
}
std::string Cls_XML_header::Grade_top() {
    return Read_text(gf::Grade_top);
}
void Cls_XML_header::Grade_top(const std::string& value) {
    Write_text(gf::Grade_top, value);
}
std::string Cls_XML_header::Grade_toe() {
    return Read_text(gf::Grade_toe);
}
void Cls_XML_header::Grade_toe(const std::string& value) {
    Write_text(gf::Grade_toe, value);
}
std::string Cls_XML_header::Grade_club() {
    return Read_text(gf::Grade_club);
}
void Cls_XML_header::Grade_club(const std::string& value) {
    Write_text(gf::Grade_club, value);
}
std::string Cls_XML_header::Grade_comment() {
    return Read_text(gf::Grade_comment);
}
void Cls_XML_header::Grade_comment(const std::string& value) {
    Write_text(gf::Grade_comment, value);
}
std::string Cls_XML_header::anp_filename() {
    return Read_text(gf::anp_filename);
}
void Cls_XML_header::anp_filename(const std::string& value) {
    Write_text(gf::anp_filename, value);
}
int16_t Cls_XML_header::anp_numlines() {
    return Read_int(gf::anp_numlines);
}
void Cls_XML_header::anp_numlines(int16_t value) {
    Write_number(gf::anp_numlines, value);
}
std::string Cls_XML_header::anp_line(int16_t id) {
    return Read_text(gf::anp_line, {id});
}
void Cls_XML_header::anp_line(int16_t id, const std::string& value) {
    Write_text(gf::anp_line, value, {id});
}
std::string Cls_XML_header::Trace_Name(int16_t id) {
    return Read_text(gf::Trace_Name, {id});
}
void Cls_XML_header::Trace_Name(int16_t id, const std::string& value) {
    Write_text(gf::Trace_Name, value, {id});
}
std::string Cls_XML_header::Trace_Color(int16_t id) {
    return Read_text(gf::Trace_Color, {id});
}
void Cls_XML_header::Trace_Color(int16_t id, const std::string& value) {
    Write_text(gf::Trace_Color, value, {id});
}
bool Cls_XML_header::Trace_Bezier(int16_t id) {
    return Read_bool(gf::Trace_Bezier, {id});
}
void Cls_XML_header::Trace_Bezier(int16_t id, bool value) {
    Write_bool(gf::Trace_Bezier, value, {id});
}
int16_t Cls_XML_header::Trace_Thickness(int16_t id) {
    return Read_int(gf::Trace_Thickness, {id});
}
void Cls_XML_header::Trace_Thickness(int16_t id, int16_t value) {
    Write_number(gf::Trace_Thickness, value, {id});
}

void Cls_XML_header::Graph_object(int16_t id, int16_t obj_type, int16_t layer, int32_t color,
                                  int16_t linetype, int16_t linewidth, bool filled, int16_t x1, int16_t y1,
                                  int16_t x2, int16_t y2, int16_t x3, int16_t y3, int16_t x4, int16_t y4) {
    // One element at a time: a failure keeps the ones written before it.
    const std::string base = Resolve(gf::kGraphObject, {id});
    const std::pair<const char*, std::string> values[] = {
        {"obj_type", vb::CStr(obj_type)},
        {"layer", vb::CStr(layer)},
        {"filled", Bool_to_String(filled)},
        {"color", vb::CStr(color)},
        {"linetype", vb::CStr(linetype)},
        {"linewidth", vb::CStr(linewidth)},
        {"x1", vb::CStr(x1)},
        {"y1", vb::CStr(y1)},
        {"x2", vb::CStr(x2)},
        {"y2", vb::CStr(y2)},
        {"x3", vb::CStr(x3)},
        {"y3", vb::CStr(y3)},
        {"x4", vb::CStr(x4)},
        {"y4", vb::CStr(y4)},
    };
    for (const auto& [name, text] : values)
        Let_text(base + name, text);
}

void Cls_XML_header::get_Graph_object(int16_t id, int16_t& obj_type, int16_t& layer, int32_t& color,
                                      int16_t& linetype, int16_t& linewidth, bool& filled, int16_t& x1,
                                      int16_t& y1, int16_t& x2, int16_t& y2, int16_t& x3, int16_t& y3,
                                      int16_t& x4, int16_t& y4) {
    const std::string base = Resolve(gf::kGraphObject, {id});
    auto int_of = [&](const char* name) { return vb::CInt(Get_text(base + name)); };
    obj_type = int_of("obj_type");
    layer = int_of("layer");
    filled = filled_from_text(Get_text(base + "filled"));
    color = vb::CLng(Get_text(base + "color"));
    linetype = int_of("linetype");
    linewidth = int_of("linewidth");
    x1 = int_of("x1");
    y1 = int_of("y1");
    x2 = int_of("x2");
    y2 = int_of("y2");
    x3 = int_of("x3");
    y3 = int_of("y3");
    x4 = int_of("x4");
    y4 = int_of("y4");
}
