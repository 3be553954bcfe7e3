// The dog-race section "reedwick" with its eight starting boxes.
#include "Cls_XML_header.h"

#include "VbConvert.h"
#include "VbTrap.h"

#include <utility>

using header_field::Field;
using header_field::Kind;

namespace {

namespace rw {
constexpr Field Reed_Goal_Finish{"//reed_goal_finish", Kind::Plain, "", Kind::Ignoring};
constexpr Field Reed_Goal_Split{"//reed_goal_split", Kind::Plain, "", Kind::Ignoring};
constexpr Field Reed_dead_heat{"//box[@id='%']/dog_dead_heat", Kind::Fallback, "False"};
constexpr Field Reed_split_firewire_ID{"//reed_split_firewire_ID"};
constexpr Field Reed_goal_firewire_ID{"//reed_goal_firewire_ID"};
constexpr Field Reed_ph_serial{"//reed_ph_serial"};
constexpr Field Reed_start_DateTime{"//reed_start_datetime"};
constexpr Field Reed_heat_start_local_mill{"//reed_start_local_mill"};
constexpr Field Reed_heat_start_PC_mill{"//reed_start_PC_mill"};
constexpr Field Goal_Compensation{"//reed_goal_time_offset", Kind::Fallback, "0"};
constexpr Field Split_Compensation{"//reed_split_time_offset", Kind::Fallback, "0"};
constexpr Field Reed_box_delay{"//reed_box_delay", Kind::Fallback, "0", Kind::Ignoring};
constexpr Field Reed_split_time{"//box[@id='%']/dog_split_time"};
constexpr Field Reed_heat_time{"//box[@id='%']/dog_heat_time"};
constexpr Field Reed_Heat_Click_Time{"//box[@id='%']/dog_heat_click_time", Kind::Fallback, "0",
                                     Kind::Ignoring};
constexpr Field Reed_heat_frame{"//box[@id='%']/dog_heat_frame"};
constexpr Field Reed_split_frame{"//box[@id='%']/dog_split_frame"};
constexpr Field Reed_event{"//reed_event"};
constexpr Field Reed_Heat_ID{"//reed_heat_ID"};
constexpr Field Reed_Heat_Name{"//reed_heat_name"};
constexpr Field Reed_Heat_Length{"//reed_heat_length", Kind::Fallback, ""};
constexpr Field Reed_Dog_name{"//box[@id='%']/dog_name"};
} // namespace rw

constexpr std::pair<const char*, const char*> kRace[] = {
    {"reed_event", "Reed event name"},
    {"reed_heat_ID", "Reed heat ID"},
    {"reed_heat_name", "Reed heat name"},
    {"reed_heat_length", "000"},
    {"reed_goal_finish", "Reed goal finish"},
    {"reed_goal_split", "Reed goal split"},
    {"reed_start_datetime", "reed start date time"},
    {"reed_start_local_mill", "reed_start_local_mill"},
    {"reed_start_PC_mill", "reed_start_PC_mill"},
    {"reed_goal_time_offset", "0000"},
    {"reed_split_time_offset", "0000"},
    {"reed_box_delay", "0000"},
    {"reed_split_firewire_ID", "000"},
    {"reed_goal_firewire_ID", "000"},
    {"reed_ph_serial", "000"},
};

constexpr std::pair<const char*, const char*> kBox[] = {
    {"dog_name", "dog name"},           {"dog_weight", "dog weight"},  {"dog_heat_time", "000000"},
    {"dog_heat_click_time", "000000"},  {"dog_heat_frame", "000000"},  {"dog_split_time", "000000"},
    {"dog_split_click_time", "000000"}, {"dog_split_frame", "000000"}, {"dog_heat_rank", "00"},
    {"dog_split_rank", "00"},           {"dog_dead_heat", "f"},        {"dog_heat_spare1", "00000"},
    {"dog_heat_spare2", "00000"},
};

constexpr int16_t kBoxes = 8;

// A compensation text counts only when it is a number; anything else reads "0".
std::string numeric_or_zero(const std::string& text) {
    return vb::IsNumeric(text) ? text : "0";
}

} // namespace

xmldom::Node Cls_XML_header::Build_Reedwick() {
    // The original appended each box and then moved it to the end three
    // times, leaving a line break behind each time: three breaks before the
    // first box, four between boxes and one after the last, as built here.
    xmldom::Node section = DOM_doc->createElement("reedwick");
    Add_lines(section, kRace);
    for (int16_t box = 1; box <= kBoxes; ++box) {
        xmldom::Node record = DOM_doc->createElement("box");
        record.setAttribute("id", vb::CStr(box));
        Add_lines(record, kBox);
        for (int i = 0; i < 3; ++i)
            Add_break(section);
        section.appendChild(record);
        Add_break(section);
    }
    return section;
}

void Cls_XML_header::Reed_Goal_Finish(const std::string& value) {
    Write_text(rw::Reed_Goal_Finish, value);
}
void Cls_XML_header::Reed_Goal_Split(const std::string& value) {
    Write_text(rw::Reed_Goal_Split, value);
}
std::string Cls_XML_header::Reed_Goal_Finish() {
    return Read_text(rw::Reed_Goal_Finish);
}
std::string Cls_XML_header::Reed_Goal_Split() {
    return Read_text(rw::Reed_Goal_Split);
}

void Cls_XML_header::Reed_dead_heat(int16_t box, bool value) {
    try {
        Write_bool(rw::Reed_dead_heat, value, {box});
    } catch (...) {
        // The failure is swallowed, but the window events waiting meanwhile run.
        vb::DoEvents();
    }
}
bool Cls_XML_header::Reed_dead_heat(int16_t box) {
    return Read_bool(rw::Reed_dead_heat, {box});
}

void Cls_XML_header::Reed_split_firewire_ID(const std::string& value) {
    Write_text(rw::Reed_split_firewire_ID, value);
}
void Cls_XML_header::Reed_goal_firewire_ID(const std::string& value) {
    Write_text(rw::Reed_goal_firewire_ID, value);
}
void Cls_XML_header::Reed_ph_serial(const std::string& value) {
    Write_text(rw::Reed_ph_serial, value);
}
void Cls_XML_header::Reed_start_DateTime(const std::string& value) {
    Write_text(rw::Reed_start_DateTime, value);
}
std::string Cls_XML_header::Reed_start_DateTime() {
    return Read_text(rw::Reed_start_DateTime);
}
void Cls_XML_header::Reed_heat_start_local_mill(const std::string& value) {
    Write_text(rw::Reed_heat_start_local_mill, value);
}
void Cls_XML_header::Reed_heat_start_PC_mill(const std::string& value) {
    Write_text(rw::Reed_heat_start_PC_mill, value);
}
std::string Cls_XML_header::Reed_heat_start_PC_mill() {
    return Read_text(rw::Reed_heat_start_PC_mill);
}
void Cls_XML_header::Goal_Compensation(const std::string& value) {
    Write_text(rw::Goal_Compensation, value);
}
std::string Cls_XML_header::Goal_Compensation() {
    return numeric_or_zero(Read_text(rw::Goal_Compensation));
}
void Cls_XML_header::Split_Compensation(const std::string& value) {
    Write_text(rw::Split_Compensation, value);
}
std::string Cls_XML_header::Split_Compensation() {
    return numeric_or_zero(Read_text(rw::Split_Compensation));
}
std::string Cls_XML_header::Reed_box_delay() {
    return Read_text(rw::Reed_box_delay);
}
void Cls_XML_header::Reed_box_delay(const std::string& value) {
    Write_text(rw::Reed_box_delay, value);
}

void Cls_XML_header::Reed_Heat_time(int16_t box, bool split, int32_t value) {
    Write_number(split ? rw::Reed_split_time : rw::Reed_heat_time, value, {box});
}
int32_t Cls_XML_header::Reed_Heat_time(int16_t box, bool split) {
    return Read_long(split ? rw::Reed_split_time : rw::Reed_heat_time, {box});
}
void Cls_XML_header::Reed_Heat_Click_Time(int16_t box, int32_t value) {
    Write_number(rw::Reed_Heat_Click_Time, value, {box});
}
int32_t Cls_XML_header::Reed_Heat_Click_Time(int16_t box) {
    return Read_long(rw::Reed_Heat_Click_Time, {box});
}
void Cls_XML_header::Reed_heat_frame(int16_t box, int16_t value) {
    Write_number(rw::Reed_heat_frame, value, {box});
}
void Cls_XML_header::Reed_split_frame(int16_t box, int16_t value) {
    Write_number(rw::Reed_split_frame, value, {box});
}
int16_t Cls_XML_header::Reed_heat_frame(int16_t box) {
    return Read_int(rw::Reed_heat_frame, {box});
}
int16_t Cls_XML_header::Reed_split_frame(int16_t box) {
    return Read_int(rw::Reed_split_frame, {box});
}
void Cls_XML_header::Reed_event(const std::string& value) {
    Write_text(rw::Reed_event, value);
}
std::string Cls_XML_header::Reed_event() {
    return Read_text(rw::Reed_event);
}
void Cls_XML_header::Reed_Heat_ID(const std::string& value) {
    Write_text(rw::Reed_Heat_ID, value);
}
std::string Cls_XML_header::Reed_Heat_ID() {
    return Read_text(rw::Reed_Heat_ID);
}
void Cls_XML_header::Reed_Heat_Name(const std::string& value) {
    Write_text(rw::Reed_Heat_Name, value);
}
std::string Cls_XML_header::Reed_Heat_Name() {
    return Read_text(rw::Reed_Heat_Name);
}
void Cls_XML_header::Reed_Heat_Length(const std::string& value) {
    Write_text(rw::Reed_Heat_Length, value);
}
std::string Cls_XML_header::Reed_Heat_Length() {
    return Read_text(rw::Reed_Heat_Length);
}
void Cls_XML_header::Reed_Dog_name(int16_t box, const std::string& value) {
    Write_text(rw::Reed_Dog_name, value, {box});
}
std::string Cls_XML_header::Reed_Dog_name(int16_t box) {
    return Read_text(rw::Reed_Dog_name, {box});
}
