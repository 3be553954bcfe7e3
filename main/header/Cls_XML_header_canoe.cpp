// The canoe section "tidewick": goal line, lane marks, the heat record with
// its start times and the sixteen lane results.
#include "Cls_XML_header.h"

#include "VbConvert.h"

#include <string>
#include <utility>

using header_field::Field;
using header_field::Kind;
using header_field::Resolve;

namespace {

namespace tw {
constexpr Field Start_lane{"//start_lane"};
constexpr Field Start_local_mill{"//heat_record[@id='%']/start_local_mill"};
constexpr Field Start_PC_mill{"//heat_record[@id='%']/start_pc_mill"};
constexpr Field Start_HDMI_events{"//heat_record[@id='%']/start_hdmi_events", Kind::Fallback, "0"};
constexpr Field Heat_Correction_mill{"//heat_record[@id='%']/heat_correction_mill"};
constexpr Field Lanes_Visible{"//b_lanes_visible", Kind::Fallback, "True"};
constexpr Field Lanes_flipped{"//b_lanes_flipped"};
constexpr Field Lanes_locked{"//b_lanes_locked"};
constexpr Field Lanes_reversed{"//b_lanes_reversed"};
constexpr Field Num_Lanes{"//num_lanes"};
constexpr Field Lane_pos_X{"//lane_x_%"};
constexpr Field Lane_pos_Y{"//lane_y_%"};
constexpr Field heats_num{"//num_heats"};
constexpr Field Marathon_Class_Name{"//marathonclass[@id='%']/class_name"};
constexpr Field Marathon_Class_Start{"//marathonclass[@id='%']/class_start"};
constexpr Field Heat_ID{"//heat_record[@id='%']/heat_ID"};
constexpr Field Heat_comment{"//heat_record[@id='%']/heat_comment"};
constexpr Field Heat_result{"//heat_record[@id='%']//lane_record[@id='%']/heat_time_mill"};
constexpr Field Heat_Click_time{"//heat_record[@id='%']//lane_record[@id='%']/click_time_mill"};
constexpr Field Heat_Goal_Field{"//heat_record[@id='%']//lane_record[@id='%']/goal_field"};
constexpr Field Show_goalline{"//b_show_goalline"};
constexpr Field Goal_x_1{"//goal_x_1"};
constexpr Field Goal_y_1{"//goal_y_1"};
constexpr Field Goal_x_2{"//goal_x_2"};
constexpr Field Goal_y_2{"//goal_y_2"};
constexpr Field Event_name_read{"//tidewick/event_name"};
constexpr Field Event_name_write{"//event_name"};
} // namespace tw

// The section's opening elements, before the lane marks.
constexpr std::pair<const char*, const char*> kGoalLine[] = {
    {"is-Tidewick", "y"}, {"goal_x_1", "000"}, {"goal_y_1", "000"}, {"goal_x_2", "000"}, {"goal_y_2", "000"},
};

constexpr int16_t kLaneMarks = 16;

// After the lane marks, each followed by a line break.
constexpr std::pair<const char*, const char*> kLaneSettings[] = {
    {"event_name", "nnn"},    {"b_lanes_visible", "t"},  {"b_lanes_flipped", "f"},
    {"b_lanes_locked", "f"},  {"b_lanes_reversed", "f"}, {"num_lanes", "0"},
    {"b_show_goalline", "f"}, {"num_heats", "1"},        {"start_lane", "1"},
};

constexpr std::pair<const char*, const char*> kHeatStart[] = {
    {"heat_ID", ""},
    {"heat_comment", ""},
    {"start_local_mill", "000"},
    {"start_pc_mill", "000"},
    {"start_hdmi_events", "000000"},
    {"heat_correction_mill", "000"},
};

} // namespace

// ---- Building ----

xmldom::Node Cls_XML_header::Build_Tidewick() {
    xmldom::Node section = DOM_doc->createElement("tidewick");
    Add_break(section);
    Add_lines(section, kGoalLine);
    for (int16_t lane = 0; lane < kLaneMarks; ++lane) {
        Add_element(section, "lane_x_" + vb::CStr(lane), "000");
        Add_break(section);
        Add_element(section, "lane_y_" + vb::CStr(lane), "000");
        Add_break(section);
    }
    Add_lines(section, kLaneSettings);
    for (int16_t heat = 1; heat <= 1; ++heat) {
        Build_Heat_Data(heat);
        section.appendChild(m_Heat_record);
        Add_break(section);
    }
    return section;
}

void Cls_XML_header::Build_Heat_Data(int16_t heat) {
    m_Heat_record = DOM_doc->createElement("heat_record");
    m_Heat_record.setAttribute("id", vb::CStr(heat));
    Add_break(m_Heat_record);
    Add_lines(m_Heat_record, kHeatStart);
    Add_break(m_Heat_record);
    for (int16_t lane = 0; lane < kLaneMarks; ++lane) {
        Build_Lane_Result(lane);
        m_Heat_record.appendChild(m_Lane_record);
        Add_break(m_Heat_record);
    }
    // A second heat comment closes the record; only the first one is ever read.
    Add_element(m_Heat_record, "heat_comment", "nnn");
    Add_break(m_Heat_record);
}

void Cls_XML_header::Build_Lane_Result(int16_t lane) {
    m_Lane_record = DOM_doc->createElement("lane_record");
    m_Lane_record.setAttribute("id", vb::CStr(lane));
    Add_break(m_Lane_record);
    Add_element(m_Lane_record, "heat_time_mill", "000");
    Add_element(m_Lane_record, "click_time_mill", "000");
    Add_break(m_Lane_record);
    Add_break(m_Lane_record);
    Add_element(m_Lane_record, "goal_field", "000");
    Add_break(m_Lane_record);
}

// ---- Accessors ----

int16_t Cls_XML_header::Start_lane() {
    return Read_int(tw::Start_lane);
}
void Cls_XML_header::Start_lane(int16_t value) {
    Write_number(tw::Start_lane, value);
}
void Cls_XML_header::Start_local_mill(int16_t heat, int32_t value) {
    Write_number(tw::Start_local_mill, value, {heat});
}
int32_t Cls_XML_header::Start_local_mill(int16_t heat) {
    return Read_long(tw::Start_local_mill, {heat});
}
int32_t Cls_XML_header::Start_PC_mill(int16_t heat) {
    return Read_long(tw::Start_PC_mill, {heat});
}
void Cls_XML_header::Start_HDMI_events(int16_t heat, int32_t value) {
    Write_number(tw::Start_HDMI_events, value, {heat});
}
int32_t Cls_XML_header::Start_HDMI_events(int16_t heat) {
    return Read_long(tw::Start_HDMI_events, {heat});
}
void Cls_XML_header::Start_PC_mill(int16_t heat, int32_t value) {
    Write_number(tw::Start_PC_mill, value, {heat});
}
int32_t Cls_XML_header::Heat_Correction_mill(int16_t heat) {
    return Read_long(tw::Heat_Correction_mill, {heat});
}
void Cls_XML_header::Heat_Correction_mill(int16_t heat, int32_t value) {
    Write_number(tw::Heat_Correction_mill, value, {heat});
}
void Cls_XML_header::Lanes_Visible(bool value) {
    Write_bool(tw::Lanes_Visible, value);
}
bool Cls_XML_header::Lanes_Visible() {
    return Read_bool(tw::Lanes_Visible);
}
bool Cls_XML_header::Lanes_flipped() {
    return Read_bool(tw::Lanes_flipped);
}
void Cls_XML_header::Lanes_flipped(bool value) {
    Write_bool(tw::Lanes_flipped, value);
}
bool Cls_XML_header::Lanes_locked() {
    return Read_bool(tw::Lanes_locked);
}
void Cls_XML_header::Lanes_locked(bool value) {
    Write_bool(tw::Lanes_locked, value);
}
bool Cls_XML_header::Lanes_reversed() {
    return Read_bool(tw::Lanes_reversed);
}
void Cls_XML_header::Lanes_reversed(bool value) {
    Write_bool(tw::Lanes_reversed, value);
}
int16_t Cls_XML_header::Num_Lanes() {
    return Read_int(tw::Num_Lanes);
}
void Cls_XML_header::Num_Lanes(int16_t value) {
    Write_number(tw::Num_Lanes, value);
}

void Cls_XML_header::Lane_pos(int16_t lane, int32_t x, int32_t y) {
    Write_number(tw::Lane_pos_X, x, {lane});
    Write_number(tw::Lane_pos_Y, y, {lane});
}
int32_t Cls_XML_header::Lane_pos_X(int16_t lane) {
    return Read_long(tw::Lane_pos_X, {lane});
}
int32_t Cls_XML_header::Lane_pos_Y(int16_t lane) {
    return Read_long(tw::Lane_pos_Y, {lane});
}

void Cls_XML_header::Lane_result(int16_t, int16_t, int32_t, int32_t, int32_t) {}

int16_t Cls_XML_header::heats_num() {
    return Read_int(tw::heats_num);
}
void Cls_XML_header::heats_num(int16_t value) {
    Write_number(tw::heats_num, value);
}
void Cls_XML_header::Tidewick_Marathon_Class_Name(int16_t class_number, const std::string& value) {
    Write_text(tw::Marathon_Class_Name, value, {class_number});
}
std::string Cls_XML_header::Tidewick_Marathon_Class_Name(int16_t class_number) {
    return Read_text(tw::Marathon_Class_Name, {class_number});
}
void Cls_XML_header::Tidewick_Marathon_Class_Start(int16_t class_number, const std::string& value) {
    Write_text(tw::Marathon_Class_Start, value, {class_number});
}
std::string Cls_XML_header::Tidewick_Marathon_Class_Start(int16_t class_number) {
    return Read_text(tw::Marathon_Class_Start, {class_number});
}
void Cls_XML_header::Heat_ID(int16_t heat, const std::string& value) {
    Write_text(tw::Heat_ID, value, {heat});
}
std::string Cls_XML_header::Heat_ID(int16_t heat) {
    return Read_text(tw::Heat_ID, {heat});
}
void Cls_XML_header::Heat_comment(int16_t heat, const std::string& value) {
    Write_text(tw::Heat_comment, value, {heat});
}
std::string Cls_XML_header::Heat_comment(int16_t heat) {
    return Read_text(tw::Heat_comment, {heat});
}
void Cls_XML_header::Heat_result(int16_t heat, int16_t lane, int32_t value) {
    Write_number(tw::Heat_result, value, {heat, lane});
}
int32_t Cls_XML_header::Heat_result(int16_t heat, int16_t lane) {
    return Read_long(tw::Heat_result, {heat, lane});
}
void Cls_XML_header::Heat_Click_time(int16_t heat, int16_t lane, int32_t value) {
    Write_number(tw::Heat_Click_time, value, {heat, lane});
}
int32_t Cls_XML_header::Heat_Click_time(int16_t heat, int16_t lane) {
    return Read_long(tw::Heat_Click_time, {heat, lane});
}
void Cls_XML_header::Heat_Goal_Field(int16_t heat, int16_t lane, int32_t value) {
    Write_number(tw::Heat_Goal_Field, value, {heat, lane});
}
int32_t Cls_XML_header::Heat_Goal_Field(int16_t heat, int16_t lane) {
    return Read_long(tw::Heat_Goal_Field, {heat, lane});
}
void Cls_XML_header::Show_goalline(bool value) {
    Write_bool(tw::Show_goalline, value);
}
bool Cls_XML_header::Show_goalline() {
    return Read_bool(tw::Show_goalline);
}

void Cls_XML_header::Get_Goalline(int16_t& x1, int16_t& y1, int16_t& x2, int16_t& y2) {
    // One at a time: a failure leaves the ones before it delivered.
    x1 = Read_int(tw::Goal_x_1);
    y1 = Read_int(tw::Goal_y_1);
    x2 = Read_int(tw::Goal_x_2);
    y2 = Read_int(tw::Goal_y_2);
}

void Cls_XML_header::Set_Goalline(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    Write_number(tw::Goal_x_1, x1);
    Write_number(tw::Goal_y_1, y1);
    Write_number(tw::Goal_x_2, x2);
    Write_number(tw::Goal_y_2, y2);
}

std::string Cls_XML_header::Event_name() {
    return Read_text(tw::Event_name_read);
}
void Cls_XML_header::Event_name(const std::string& value) {
    Write_text(tw::Event_name_write, value);
}
