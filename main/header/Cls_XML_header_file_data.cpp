// The file data section and the stream headers at its end.
#include "Cls_XML_header.h"

#include "Module_dependant.h"
#include "Module_qfn_Globals.h"
#include "VbConvert.h"
#include "VbDate.h"
#include "VbError.h"
#include "VbString.h"
#include "VbTrap.h"
#include "WinClock.h"

#include <utility>
#include <vector>

using header_field::Field;
using header_field::Kind;
using header_field::Resolve;

namespace {

// What a header built in the development mode stores as the program file's date.
constexpr const char* kIdeExeDate = "IDE: no program file";

namespace fd {
constexpr Field Update_Time{"//update_date"};
constexpr Field Update_Program{"//update_program"};
constexpr Field Streams_no{"//num_streams"};
constexpr Field Frames_no{"//num_frames"};
constexpr Field Segments_no{"//num_segments"};
constexpr Field Timing_Bias{"//timing_bias", Kind::Fallback, "0"};
constexpr Field Comp_Name{"//comp_name"};
constexpr Field Comp_CaptureInfo{"//comp_captureinfo", Kind::Fallback, "Unknown Capture Info!"};
constexpr Field Comp_CPUInfo{"//comp_cpuinfo", Kind::Fallback, "Not known!"};
constexpr Field Comp_CPUbitness{"//comp_cpubitness", Kind::Fallback, "Not known!"};
constexpr Field Comp_OSbitness{"//comp_osbitness", Kind::Fallback, "Not known!"};
constexpr Field Phidget_serial{"//phidget_serial", Kind::Fallback, "Not known!"};
constexpr Field prog_id{"//prog_id"};
constexpr Field Prog_Major{"//prog_major"};
constexpr Field Prog_Minor{"//prog_minor"};
constexpr Field Prog_Revision{"//prog_revision"};
constexpr Field OS_version{"//os_version", Kind::Fallback, ""};
constexpr Field Creation_date{"//creation_date"};
constexpr Field Last_Capture_time{"//last_capture_time"};
constexpr Field Subject_name{"//subject_name", Kind::Ignoring};
constexpr Field File_comment1{"//file_comment1"};
constexpr Field comment{"//file_comment%", Kind::Ignoring};
constexpr Field SpecApp{"//specapp1", Kind::Fallback, "None"};
constexpr Field Hdr_spare1{"//hdr_spare1"};
} // namespace fd

namespace sh {
constexpr Field Stream_Active{"//stream_header[@id='%']/b_stream_active"};
constexpr Field Stream_rotated{"//stream_header[@id='%']/b_stream_rotated"};
constexpr Field Offset_fields{"//stream_header[@id='%']/offset_fields"};
constexpr Field Selection_start{"//stream_header[@id='%']/sel_start", Kind::Fallback, "0"};
constexpr Field Selection_end{"//stream_header[@id='%']/sel_end", Kind::Fallback, "0"};
constexpr Field Camera_pos{"//stream_header[@id='%']/camera_pos"};
constexpr Field Model_FileName{"//stream_header[@id='%']/model_filename"};
constexpr Field model_X_offset{"//stream_header[@id='%']/model_x_offset"};
constexpr Field model_Y_offset{"//stream_header[@id='%']/model_y_offset"};
constexpr Field model_size_factor{"//stream_header[@id='%']/model_size_factor"};
constexpr Field Camera_ID{"//stream_header[@id='%']/camera_ID"};
} // namespace sh

// The stream header record, in document order, with the defaults a new record gets.
constexpr std::pair<const char*, const char*> kStreamHeaderDefaults[] = {
    {"b_stream_active", "f"},     {"b_stream_rotated", "f"}, {"stream_type", "xxx"},
    {"offset_fields", "000"},     {"sel_start", "000"},      {"sel_end", "000"},
    {"camera_pos", "xxxxx"},      {"b_model_active", "f"},   {"model_filename", "xxx"},
    {"model_speed", "999"},       {"selrect_top", "000"},    {"selrect_bottom", "000"},
    {"selrect_left", "000"},      {"selrect_right", "000"},  {"model_file", "000"},
    {"b_model_flipped", "f"},     {"model_x_offset", "000"}, {"model_y_offset", "000"},
    {"model_size_factor", "000"}, {"camera_ID", "000"},      {"stream_spare1", "000"},
    {"stream_spare2", "000"},     {"stream_spare3", "000"},  {"stream_spare4", "000"},
    {"stream_spare5", "000"},
};

// The selection rectangle's element for a side letter; the empty path (which
// no selection accepts) for any other letter, letter case included.
std::string rect_path(int16_t id, const std::string& side) {
    const char* element = side == "t"   ? "selrect_top"
                          : side == "b" ? "selrect_bottom"
                          : side == "l" ? "selrect_left"
                          : side == "r" ? "selrect_right"
                                        : nullptr;
    if (!element) return {};
    return Resolve("//stream_header[@id='%']/", {id}) + element;
}

} // namespace

// ---- Building ----

xmldom::Node Cls_XML_header::Build_File_Data() {
    const auto version = vb::Split(g_Program_Version, ".");
    auto version_part = [&](size_t i) { return i < version.size() ? version[i] : std::string(); };
    const std::vector<std::pair<const char*, std::string>> fields = {
        {"update_program", "program name"},
        {"creation_date", vb::FormatDate(vb::ToLocal(win::clock().wall_now()), "yy-mm-dd hh:nn:ss")},
        {"update_date", "not updated"},
        {"last_capture_time", ""},
        {"last_append_time", ""},
        {"num_streams", "1"},
        {"frame_header_size", "000"},
        {"num_frames", "000"},
        {"num_segments", "000"},
        {"timing_bias", "000"},
        {"b_rotated", "f"},
        {"comp_name", g_Computer_Name},
        {"comp_captureinfo", "Unknown capture info!"},
        {"comp_cpuinfo", g_CPU_Info},
        {"comp_cpubitness", g_CPU_Bitness},
        {"comp_osbitness", g_OS_Bitness},
        {"comp_manufacturer_model", m_Manufacturer_Model},
        {"phidget_serial", g_Phidget_Serial},
        {"prog_id", g_Program_Title},
        {"prog_version", g_Compiled ? "Compiled" : "IDE"},
        {"prog_major", version_part(0)},
        {"prog_minor", version_part(1)},
        {"prog_revision", version_part(2)},
        {"compile_date", kCompile_Date},
        {"exe_filedate", g_Compiled ? Get_Exe_Date() : kIdeExeDate},
        {"os_version", g_OS_Name},
        {"subject_name", "0000"},
        {"file_comment1", "0000"},
        {"file_comment2", "0000"},
        {"file_comment3", "0000"},
        {"file_comment4", "0000"},
        {"file_comment5", "0000"},
        {"specapp1", ""},
        {"specapp2", ""},
        {"hdr_spare1", "0000"},
        {"hdr_spare2", "0000"},
        {"hdr_spare3", "0000"},
        {"hdr_spare4", "0000"},
        {"hdr_spare5", "0000"},
    };
    xmldom::Node file_data = DOM_doc->createElement("file_data");
    Add_break(file_data);
    Add_lines(file_data, fields);
    // The stream headers close the section, with no line break after them.
    for (int16_t id = 1; id <= 2; ++id) {
        Build_Stream_Header(id);
        file_data.appendChild(m_Stream_header);
    }
    return file_data;
}

void Cls_XML_header::Build_Stream_Header(int16_t id) {
    vb::Trap("Build_Stream_Header of Class Module Cls_XML_header", [&] {
        m_Stream_header = DOM_doc->createElement("stream_header");
        m_Stream_header.setAttribute("id", vb::CStr(id));
        Add_break(m_Stream_header);
        Add_lines(m_Stream_header, kStreamHeaderDefaults);
    });
}

// ---- File data ----

std::string Cls_XML_header::Update_Time() {
    return Read_text(fd::Update_Time);
}
void Cls_XML_header::Update_Time(const std::string& value) {
    Write_text(fd::Update_Time, value);
}
void Cls_XML_header::Update_Program(const std::string& value) {
    Write_text(fd::Update_Program, value);
}
int16_t Cls_XML_header::Streams_no() {
    return Read_int(fd::Streams_no);
}
void Cls_XML_header::Streams_no(int16_t value) {
    Write_number(fd::Streams_no, value);
}
int16_t Cls_XML_header::Frames_no() {
    return Read_int(fd::Frames_no);
}
void Cls_XML_header::Frames_no(int16_t value) {
    Write_number(fd::Frames_no, value);
}
int16_t Cls_XML_header::Segments_no() {
    return Read_int(fd::Segments_no);
}
void Cls_XML_header::Segments_no(int16_t value) {
    Write_number(fd::Segments_no, value);
}
std::string Cls_XML_header::Timing_Bias() {
    return Read_text(fd::Timing_Bias);
}
void Cls_XML_header::Timing_Bias(const std::string& value) {
    Write_text(fd::Timing_Bias, value);
}
std::string Cls_XML_header::Comp_Name() {
    return Read_text(fd::Comp_Name);
}
std::string Cls_XML_header::Comp_CaptureInfo() {
    return Read_text(fd::Comp_CaptureInfo);
}
void Cls_XML_header::Comp_CaptureInfo(const std::string& value) {
    Write_text(fd::Comp_CaptureInfo, value);
}
std::string Cls_XML_header::Comp_CPUInfo() {
    return Read_text(fd::Comp_CPUInfo);
}
std::string Cls_XML_header::Comp_CPUbitness() {
    return Read_text(fd::Comp_CPUbitness);
}
std::string Cls_XML_header::Comp_OSbitness() {
    return Read_text(fd::Comp_OSbitness);
}
std::string Cls_XML_header::Phidget_serial() {
    return Read_text(fd::Phidget_serial);
}
std::string Cls_XML_header::prog_id() {
    return Read_text(fd::prog_id);
}
std::string Cls_XML_header::Prog_Major() {
    return Read_text(fd::Prog_Major);
}
std::string Cls_XML_header::Prog_Minor() {
    return Read_text(fd::Prog_Minor);
}
std::string Cls_XML_header::Prog_Revision() {
    return Read_text(fd::Prog_Revision);
}
std::string Cls_XML_header::OS_version() {
    return Read_text(fd::OS_version);
}
std::string Cls_XML_header::Creation_date() {
    return Read_text(fd::Creation_date);
}
void Cls_XML_header::Creation_date(const std::string& value) {
    Write_text(fd::Creation_date, value);
}

std::string Cls_XML_header::Last_Capture_time() {
    // A header without the element tells its creation date instead.
    if (DOM_doc && !DOM_doc->selectSingleNode(fd::Last_Capture_time.path))
        return Read_text(fd::Creation_date);
    return Read_text(fd::Last_Capture_time);
}
void Cls_XML_header::Last_Capture_time(const std::string& value) {
    Write_text(fd::Last_Capture_time, value);
}

std::string Cls_XML_header::Subject_name() {
    return Read_text(fd::Subject_name);
}
void Cls_XML_header::Subject_name(const std::string& value) {
    Write_text(fd::Subject_name, value);
}
std::string Cls_XML_header::File_comment1() {
    return Read_text(fd::File_comment1);
}
void Cls_XML_header::File_comment1(const std::string& value) {
    Write_text(fd::File_comment1, value);
}
std::string Cls_XML_header::comment(int16_t n) {
    return Read_text(fd::comment, {n});
}
void Cls_XML_header::comment(int16_t n, const std::string& value) {
    Let_text(Resolve(fd::comment.path, {n}), value); // the write is plain
}

std::string Cls_XML_header::SpecApp() {
    const std::string text = Read_text(fd::SpecApp);
    return text.empty() ? "None" : text;
}
void Cls_XML_header::SpecApp(const std::string& value) {
    Write_text(fd::SpecApp, value);
}
std::string Cls_XML_header::Hdr_spare1() {
    return Read_text(fd::Hdr_spare1);
}
void Cls_XML_header::Hdr_spare1(const std::string& value) {
    Write_text(fd::Hdr_spare1, value);
}

void Cls_XML_header::Insert_Specapp() {
    if (!DOM_doc) vb::Raise(vb::errObjectNotSet);
    xmldom::Node specapp = DOM_doc->createElement("specapp1");
    specapp.setText(SpecApp());
    xmldom::Node file_data = Select("//file_data");
    file_data.appendChild(specapp);
    Add_break(file_data);
}

// ---- Stream headers ----

bool Cls_XML_header::Stream_Active(int16_t id) {
    return Read_xbool(sh::Stream_Active, {id});
}
void Cls_XML_header::Stream_Active(int16_t id, bool value) {
    Write_xbool(sh::Stream_Active, value, {id});
}
bool Cls_XML_header::Stream_rotated(int16_t id) {
    return Read_xbool(sh::Stream_rotated, {id});
}
void Cls_XML_header::Stream_rotated(int16_t id, bool value) {
    Write_xbool(sh::Stream_rotated, value, {id});
}
int16_t Cls_XML_header::Offset_fields(int16_t id) {
    return Read_int(sh::Offset_fields, {id});
}
void Cls_XML_header::Offset_fields(int16_t id, int16_t value) {
    Write_number(sh::Offset_fields, value, {id});
}
int32_t Cls_XML_header::Selection_start(int16_t id) {
    return Read_long(sh::Selection_start, {id});
}
void Cls_XML_header::Selection_start(int16_t id, int32_t value) {
    Write_number(sh::Selection_start, value, {id});
}
int32_t Cls_XML_header::Selection_end(int16_t id) {
    return Read_long(sh::Selection_end, {id});
}
void Cls_XML_header::Selection_end(int16_t id, int32_t value) {
    Write_number(sh::Selection_end, value, {id});
}
std::string Cls_XML_header::Camera_pos(int16_t id) {
    return Read_text(sh::Camera_pos, {id});
}
void Cls_XML_header::Camera_pos(int16_t id, const std::string& value) {
    Write_text(sh::Camera_pos, value, {id});
}

int16_t Cls_XML_header::Stream_CameraPos(int16_t id) {
    // The number the text begins with: the default "xxxxx" reads 0.
    return vb::CInt(vb::Val(Read_text(sh::Camera_pos, {id})));
}
void Cls_XML_header::Stream_CameraPos(int16_t id, int16_t value) {
    Write_number(sh::Camera_pos, value, {id});
}

std::string Cls_XML_header::Model_FileName(int16_t id) {
    return Read_text(sh::Model_FileName, {id});
}
void Cls_XML_header::Model_FileName(int16_t id, const std::string& value) {
    Write_text(sh::Model_FileName, value, {id});
}

int16_t Cls_XML_header::Selection_Rectangle(int16_t id, const std::string& side) {
    return vb::CInt(Get_text(rect_path(id, side)));
}
void Cls_XML_header::Selection_Rectangle(int16_t id, const std::string& side, int16_t value) {
    Let_text(rect_path(id, side), vb::CStr(value));
}
void Cls_XML_header::Let_Selection_rectangle(int16_t id, const std::string& side, int16_t value) {
    Selection_Rectangle(id, side, value);
}

int16_t Cls_XML_header::model_X_offset(int16_t id) {
    return Read_int(sh::model_X_offset, {id});
}
void Cls_XML_header::model_X_offset(int16_t id, int16_t value) {
    Write_number(sh::model_X_offset, value, {id});
}
int16_t Cls_XML_header::model_Y_offset(int16_t id) {
    return Read_int(sh::model_Y_offset, {id});
}
void Cls_XML_header::model_Y_offset(int16_t id, int16_t value) {
    Write_number(sh::model_Y_offset, value, {id});
}
int16_t Cls_XML_header::model_size_factor(int16_t id) {
    return Read_int(sh::model_size_factor, {id});
}
void Cls_XML_header::model_size_factor(int16_t id, int16_t value) {
    Write_number(sh::model_size_factor, value, {id});
}

std::string Cls_XML_header::Camera_ID(int16_t id) {
    if (id < 1 || id > 3) return {};
    return Read_text(sh::Camera_ID, {id});
}
void Cls_XML_header::Camera_ID(int16_t id, const std::string& value) {
    Write_text(sh::Camera_ID, value, {id});
}
