// The header fields the windows read and write through the video file
// object, and the facts of the open file. Header members pass straight
// through to the header object and trap nothing unless said so; the members
// that write back rewrite the header in the file after setting the field.
#include "cls_VideoFile_handler.h"

#include "Cls_XML_header.h"
#include "Module_dependant.h"
#include "Module_trace.h"
#include "QFN_Error_Handler.h"
#include "VbConvert.h"
#include "VbTrap.h"
#include "WinClock.h"

// ---- Heat records ----

void cls_VideoFile_handler::Heat_result(int16_t heat, int16_t lane, int32_t value) {
    Header().Heat_result(heat, lane, value);
}
int32_t cls_VideoFile_handler::Heat_result(int16_t heat, int16_t lane) {
    return Header().Heat_result(heat, lane);
}

int32_t cls_VideoFile_handler::Heat_time(int16_t heat, int16_t lane) {
    Header();
    if (m_File_Name.empty()) return 0;
    return Header().Heat_result(heat, lane);
}

void cls_VideoFile_handler::Heat_time(int16_t heat, int16_t lane, int32_t value) {
    Header().Heat_result(heat, lane, value);
}
void cls_VideoFile_handler::Heat_Clicktime(int16_t heat, int16_t lane, int32_t value) {
    Header().Heat_Click_time(heat, lane, value);
}
int32_t cls_VideoFile_handler::Heat_Clicktime(int16_t heat, int16_t lane) {
    return Header().Heat_Click_time(heat, lane);
}
void cls_VideoFile_handler::Heat_Goalfield(int16_t heat, int16_t lane, int32_t value) {
    Header().Heat_Goal_Field(heat, lane, value);
}
int32_t cls_VideoFile_handler::Heat_Goalfield(int16_t heat, int16_t lane) {
    return Header().Heat_Goal_Field(heat, lane);
}
void cls_VideoFile_handler::Heat_ID(int16_t heat, const std::string& value) {
    Header().Heat_ID(heat, value);
}

std::string cls_VideoFile_handler::Heat_ID(int16_t heat) {
    const std::string id = Header().Heat_ID(heat);
    return id == " " ? std::string() : id;
}

void cls_VideoFile_handler::Update_Heat_ID(int16_t heat, const std::string& value) {
    Header().Heat_ID(heat, value);
    Write_XML_Header();
}

std::string cls_VideoFile_handler::Heat_comment(int16_t heat) {
    return Header().Heat_comment(heat);
}
void cls_VideoFile_handler::Heat_comment(int16_t heat, const std::string& value) {
    Header().Heat_comment(heat, value);
}

void cls_VideoFile_handler::Heat_Start_Correction(int16_t heat, int32_t value) {
    Header().Heat_Correction_mill(heat, value);
    Write_XML_Header();
}

int32_t cls_VideoFile_handler::Heat_Start_Correction(int16_t heat) {
    return Header().Heat_Correction_mill(heat);
}
void cls_VideoFile_handler::Start_local_mill(int16_t heat, int32_t value) {
    Header().Start_local_mill(heat, value);
}
void cls_VideoFile_handler::Start_PC_mill(int16_t heat, int32_t value) {
    Header().Start_PC_mill(heat, value);
}
void cls_VideoFile_handler::Start_PC_Mill_time(int16_t heat, int32_t value) {
    Header().Start_PC_mill(heat, value);
}

int32_t cls_VideoFile_handler::Start_local_Mill_Time(int16_t heat) {
    Header();
    if (m_File_Name.empty()) return 0;
    return Header().Start_local_mill(heat);
}

int32_t cls_VideoFile_handler::Start_PC_Mill_time(int16_t heat) {
    Header();
    if (m_File_Name.empty()) return 0;
    return Header().Start_PC_mill(heat);
}

void cls_VideoFile_handler::Start_HDMI_events(int16_t heat, int32_t value) {
    Header().Start_HDMI_events(heat, value);
}
int32_t cls_VideoFile_handler::Start_HDMI_events(int16_t heat) {
    return Header().Start_HDMI_events(heat);
}
int32_t cls_VideoFile_handler::RGB_startmill() {
    return Header().Start_PC_mill(1);
}

void cls_VideoFile_handler::Set_Multi_Start(int16_t heat) {
    Header().Start_local_mill(heat, Get_Local_Mill());
    Header().Start_PC_mill(heat, static_cast<int32_t>(win::timeGetTime()));
    Write_XML_Header();
}

void cls_VideoFile_handler::Clear_Multi_Start(int16_t heat) {
    Header().Start_local_mill(heat, 0);
    Header().Start_PC_mill(heat, 0);
    Write_XML_Header();
}

void cls_VideoFile_handler::Clear_Heats() {
    const int16_t heats = Header().heats_num();
    for (int16_t heat = 1; heat <= heats; ++heat)
        Header().Start_local_mill(heat, 0);
}

// ---- Lanes, goal line and display flags ----

int16_t cls_VideoFile_handler::Lane_count() {
    return Header().Num_Lanes();
}

void cls_VideoFile_handler::Lane_count(int16_t value) {
    Header().Num_Lanes(value);
    Write_XML_Header();
}

void cls_VideoFile_handler::Num_Lanes(int16_t value) {
    Header().Num_Lanes(value);
}
int16_t cls_VideoFile_handler::Start_lane() {
    return Header().Start_lane();
}
void cls_VideoFile_handler::File_Lane_Pos(int16_t lane, int32_t x, int32_t y) {
    Header().Lane_pos(lane, x, y);
}
int16_t cls_VideoFile_handler::LaneX(int16_t lane) {
    return vb::CInt(Header().Lane_pos_X(lane));
}
int16_t cls_VideoFile_handler::LaneY(int16_t lane) {
    return vb::CInt(Header().Lane_pos_Y(lane));
}

void cls_VideoFile_handler::Get_Goalline(int16_t& x1, int16_t& y1, int16_t& x2, int16_t& y2) {
    Header().Get_Goalline(x1, y1, x2, y2);
}

void cls_VideoFile_handler::Set_Goal_Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    Header().Set_Goalline(x1, y1, x2, y2);
}

void cls_VideoFile_handler::Fix_Goal_Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    Header().Set_Goalline(x1, y1, x2, y2);
    Write_XML_Header();
}

void cls_VideoFile_handler::Show_goalline(bool value) {
    Header().Show_goalline(value);
}
bool cls_VideoFile_handler::Show_goalline() {
    return Header().Show_goalline();
}
void cls_VideoFile_handler::Lanes_Visible(bool value) {
    Header().Lanes_Visible(value);
}
bool cls_VideoFile_handler::Lanes_Visible() {
    return Header().Lanes_Visible();
}
void cls_VideoFile_handler::Lanes_flipped(bool value) {
    Header().Lanes_flipped(value);
}
bool cls_VideoFile_handler::Lanes_flipped() {
    return Header().Lanes_flipped();
}
bool cls_VideoFile_handler::Lanes_locked() {
    return Header().Lanes_locked();
}

void cls_VideoFile_handler::Lanes_locked(bool value) {
    Header().Lanes_locked(value);
    Write_XML_Header();
}

void cls_VideoFile_handler::Lanes_reversed(bool value) {
    Header().Lanes_reversed(value);
}
bool cls_VideoFile_handler::Lanes_reversed() {
    return Header().Lanes_reversed();
}

void cls_VideoFile_handler::rotated(bool value) {
    Header().Stream_rotated(1, value);
    Write_XML_Header();
}

bool cls_VideoFile_handler::rotated() const {
    if (m_file_suffix == "avi") return false;
    return m_Streams[0].Rotated;
}

bool cls_VideoFile_handler::RGB_Rotated() {
    return Header().RGB_Rotated();
}

void cls_VideoFile_handler::Stream_rotated(int16_t stream, bool value) {
    Header().Stream_rotated(stream, value);
    Write_XML_Header();
}

bool cls_VideoFile_handler::Stream_rotated(int16_t stream) {
    return Header().Stream_rotated(stream);
}
std::string cls_VideoFile_handler::Event_name() {
    return Header().Event_name();
}

void cls_VideoFile_handler::Event_name(const std::string& value) {
    Header().Event_name(value);
    Write_XML_Header();
}

void cls_VideoFile_handler::Tidewick_Marathon_Class_Name(int32_t n, const std::string& value) {
    Header().Tidewick_Marathon_Class_Name(vb::CInt(n), value);
}
std::string cls_VideoFile_handler::Tidewick_Marathon_Class_Name(int32_t n) {
    return Header().Tidewick_Marathon_Class_Name(vb::CInt(n));
}
void cls_VideoFile_handler::Tidewick_Marathon_Class_Start(int32_t n, const std::string& value) {
    Header().Tidewick_Marathon_Class_Start(vb::CInt(n), value);
}
std::string cls_VideoFile_handler::Tidewick_Marathon_Class_Start(int32_t n) {
    return Header().Tidewick_Marathon_Class_Start(vb::CInt(n));
}

// ---- File facts, counts and times ----

void cls_VideoFile_handler::File_name(const std::string& value) {
    m_File_Name = value;
    m_file_suffix = Get_File_Extension(value);
}

int64_t cls_VideoFile_handler::File_size() const {
    return Get_File_Size(m_File_Name);
}

bool cls_VideoFile_handler::Has_XML_header() {
    m_file_suffix = Get_File_Extension(m_File_Name);
    if (Is_Suffix("qf1") || Is_Suffix("qf2") || Is_Suffix("qf3")) return true;
    if (Is_Suffix("avi") || Is_Suffix("AVI")) return m_avi->XML_chunk_pos >= 1;
    return false;
}

bool cls_VideoFile_handler::is_DV() const {
    if (m_file_suffix == "sdv" || m_file_suffix == "qf1" || m_file_suffix == "qf2") return true;
    const std::string codec = AVI_Video_Codec();
    return codec == "msdv" || codec == "dvsd" || codec == "CDVC";
}

int32_t cls_VideoFile_handler::QF3_Num_Frames() {
    return Header_Frames();
}
// Field counts are 32-bit: a heat of more than 16383 frames has more fields
// than 16 bits hold.
int32_t cls_VideoFile_handler::Num_fields() const {
    return m_Num_fields;
}
int32_t cls_VideoFile_handler::QF3_Num_fields() {
    return vb::CLng(2.0 * Header_Frames());
}
int32_t cls_VideoFile_handler::num_Fields_Gross() const {
    return m_Gross_fields;
}
int16_t cls_VideoFile_handler::Seconds() {
    return vb::CInt(Header_Frames() / 25.0);
}

int16_t cls_VideoFile_handler::mill_per_frame() const {
    const int16_t d = vb::CInt(m_mill_per_frame);
    const auto half = [d] { return vb::CInt(d / 2.0); };
    if (m_file_suffix == "avi" || m_file_suffix == "AVI") return m_Is_Deinterlaced ? d : half();
    if (m_file_suffix == "sdv" || m_file_suffix == "qf1" || m_file_suffix == "qf2") return half();
    return d;
}

bool cls_VideoFile_handler::Wide_Screen() {
    // A raw DV file holds nothing but DV frames, though no AVI codec names them.
    if (!is_DV() && !(m_dv->Raw_DV && File_open())) return false;
    // The frame in store must be one this file's reader holds: the parser
    // reads the reader's buffer, and an open starts with a fresh, empty one.
    if (m_Frame_in_store == 0 || !m_dv->Frame_Data) Read_Frame(1);
    return Parse_DV_header();
}

int16_t cls_VideoFile_handler::eff_frameno() const {
    return vb::CInt(m_eff_frameno);
}

const uint8_t* cls_VideoFile_handler::Frame_address() const {
    if (m_Frame_Data_1) return m_dv->Frame_Buffer.empty() ? nullptr : m_dv->Frame_Buffer.data();
    if (m_Frame_Data_2) return m_dv->Streams_Buffer.empty() ? nullptr : m_dv->Streams_Buffer.data();
    return m_dv->Frame_Buffer.size() > 8 ? m_dv->Frame_Buffer.data() + 8 : nullptr;
}

int32_t cls_VideoFile_handler::Timestamp_long() const {
    if (m_file_suffix == "qf1" || m_file_suffix == "qf2") return m_dv->DV_Extra.Time_Stamp;
    if (m_file_suffix == "qf3") return m_qf3->Read_Head.Capture_Mill;
    return 0;
}

std::string cls_VideoFile_handler::Timestamp_formatted() const {
    if (m_file_suffix == "qf1" || m_file_suffix == "qf2")
        return Display_Mill_Time(m_dv->DV_Extra.Time_Stamp, false);
    if (m_file_suffix == "qf3") {
        return Display_Mill_Time(
            video_file_io::Get32(m_Write_Record.data() + offsetof(qf3::Sample_Head, Capture_Mill)), false);
    }
    return {};
}

std::string cls_VideoFile_handler::Timestamp_string() const {
    return "\r\nDV frame timestamp = " + std::to_string(m_dv->DV_Extra.Time_Stamp);
}

int32_t cls_VideoFile_handler::RGB_TimeStamp() {
    int32_t t = m_Rounded_Capture_Time - Header().Start_PC_mill(1);
    if (m_Field_To_Show == 2) t += 20;
    return t;
}

int32_t cls_VideoFile_handler::Multi_TimeStamp(int32_t) const {
    int32_t t = m_Rounded_Capture_Time - m_dv->DV_Extra.Heat_Start;
    if (m_Field_To_Show == 2) t += 20;
    if (m_dv->DV_Extra.Camera_Offset < 500) t -= m_dv->DV_Extra.Camera_Offset;
    return t;
}

// ---- Remaining header fields ----

std::string cls_VideoFile_handler::Creation_date() {
    return Header().Creation_date();
}
void cls_VideoFile_handler::Creation_date(const std::string& v) {
    Header().Creation_date(v);
}
std::string cls_VideoFile_handler::Last_Capture_time() {
    return Header().Last_Capture_time();
}
void cls_VideoFile_handler::Last_Capture_time(const std::string& v) {
    Header().Last_Capture_time(v);
}
std::string cls_VideoFile_handler::Hdr_spare1() {
    return Header().Hdr_spare1();
}
void cls_VideoFile_handler::Hdr_spare1(const std::string& v) {
    Header().Hdr_spare1(v);
}
std::string cls_VideoFile_handler::Computer_name() {
    return Header().Comp_Name();
}
std::string cls_VideoFile_handler::Computer_CPUInfo() {
    return Header().Comp_CPUInfo();
}
std::string cls_VideoFile_handler::OS_version() {
    return Header().OS_version();
}
std::string cls_VideoFile_handler::OS_bitness() {
    return Header().Comp_OSbitness();
}
std::string cls_VideoFile_handler::CPU_bitness() {
    return Header().Comp_CPUbitness();
}
std::string cls_VideoFile_handler::Capture_Info() {
    return Header().Comp_CaptureInfo();
}
void cls_VideoFile_handler::Capture_Info(const std::string& v) {
    Header().Comp_CaptureInfo(v);
}
std::string cls_VideoFile_handler::Phidget_serial() {
    return Header().Phidget_serial();
}
void cls_VideoFile_handler::Phidget_serial(const std::string& v) {
    Header().Reed_ph_serial(v);
}
std::string cls_VideoFile_handler::Program_ID() {
    return Header().prog_id();
}
std::string cls_VideoFile_handler::Program_Major() {
    return Header().Prog_Major();
}
std::string cls_VideoFile_handler::Program_Minor() {
    return Header().Prog_Minor();
}
std::string cls_VideoFile_handler::Program_Revision() {
    return Header().Prog_Revision();
}
void cls_VideoFile_handler::RGB_Sample_Size(int32_t v) {
    Header().RGB_Sample_Size(v);
}
void cls_VideoFile_handler::Golfing(bool v) {
    Header().Golfing(v);
}
bool cls_VideoFile_handler::Has_weight_data() {
    return Header().Has_weight_data();
}
std::string cls_VideoFile_handler::Model_FileName() {
    return Header().Model_FileName(1);
}
float cls_VideoFile_handler::model_size_factor() {
    return static_cast<float>(Header().model_size_factor(1));
}
int16_t cls_VideoFile_handler::model_X_offset() {
    return Header().model_X_offset(1);
}
int16_t cls_VideoFile_handler::model_Y_offset() {
    return Header().model_Y_offset(1);
}
int16_t cls_VideoFile_handler::Stream_Offset(int16_t stream) {
    return Header().Offset_fields(stream);
}

void cls_VideoFile_handler::Stream_Offset(int16_t stream, int16_t value) {
    if (stream >= 1 && stream <= 3) Header().Offset_fields(stream, value);
}

int16_t cls_VideoFile_handler::Camera_pos(int16_t stream) {
    return Header().Stream_CameraPos(stream);
}
void cls_VideoFile_handler::Camera_pos(int16_t stream, int16_t value) {
    Header().Stream_CameraPos(stream, value);
}

void cls_VideoFile_handler::Set_stream_active(int32_t file_pos, bool active) {
    const int16_t stream = stream_from_pos(vb::CInt(file_pos));
    if (stream != 0) Header().Stream_Active(stream, active);
    Write_XML_Header();
}

bool cls_VideoFile_handler::pos_Active(int32_t file_pos) {
    return Header().Stream_Active(stream_from_pos(vb::CInt(file_pos)));
}

int16_t cls_VideoFile_handler::Active_Streams() {
    const int16_t n = Header().Streams_no();
    int16_t count = 0;
    for (int16_t s = 1; s <= n; ++s)
        if (Header().Stream_Active(s)) ++count;
    return count;
}

int32_t cls_VideoFile_handler::Selection_start() {
    if (m_file_suffix == "sdv") return SDV_Selection(false);
    if (!Has_XML_header()) return 0;
    return Header().Selection_start(1);
}

void cls_VideoFile_handler::Selection_start(int32_t value) {
    if (m_file_suffix == "sdv") return SDV_Selection(false, static_cast<int16_t>(value));
    Header().Selection_start(1, value);
}

int32_t cls_VideoFile_handler::Selection_end() {
    if (m_file_suffix == "sdv") return SDV_Selection(true);
    if (!Has_XML_header()) return 0;
    return Header().Selection_end(1);
}

void cls_VideoFile_handler::Selection_end(int32_t value) {
    if (m_file_suffix == "sdv") return SDV_Selection(true, static_cast<int16_t>(value));
    Header().Selection_end(1, value);
}

std::string cls_VideoFile_handler::Player_Comment() {
    return Header().Player_Comment();
}

void cls_VideoFile_handler::Update_Player_Comment(int16_t, const std::string& value) {
    Header().Player_Comment(value);
    Write_XML_Header();
}

bool cls_VideoFile_handler::Start_Lane_Zero() {
    return Header().Start_lane() == 0;
}
void cls_VideoFile_handler::Start_Lane_Zero(bool value) {
    Header().Start_lane(value ? 0 : 1);
}
std::string cls_VideoFile_handler::Reed_event() {
    return Header().Reed_event();
}
void cls_VideoFile_handler::Reed_event(const std::string& v) {
    Header().Reed_event(v);
}
std::string cls_VideoFile_handler::Reed_Heat_ID() {
    return Header().Reed_Heat_ID();
}
void cls_VideoFile_handler::Reed_Heat_ID(const std::string& v) {
    Header().Reed_Heat_ID(v);
}
std::string cls_VideoFile_handler::Reed_Heat_Name() {
    return Header().Reed_Heat_Name();
}
void cls_VideoFile_handler::Reed_Heat_Name(const std::string& v) {
    Header().Reed_Heat_Name(v);
}
std::string cls_VideoFile_handler::Reed_Heat_Length() {
    return Header().Reed_Heat_Length();
}
void cls_VideoFile_handler::Reed_Heat_Length(const std::string& v) {
    Header().Reed_Heat_Length(v);
}
std::string cls_VideoFile_handler::Reed_start_DateTime() {
    return Header().Reed_start_DateTime();
}
void cls_VideoFile_handler::Reed_start_DateTime(const std::string& v) {
    Header().Reed_start_DateTime(v);
}

int32_t cls_VideoFile_handler::Reed_start_PC_mill() {
    int32_t result = 0;
    vb::Trap("Reed_start_PC_mill of Class Module cls_AVI_handler",
             [&] { result = vb::CLng(Header().Reed_heat_start_PC_mill()); });
    return result;
}

void cls_VideoFile_handler::Reed_start_PC_mill(int32_t v) {
    Header().Reed_heat_start_PC_mill(vb::CStr(v));
}

std::string cls_VideoFile_handler::Reed_box_delay() {
    std::string result;
    vb::Trap("Reed_Box_delay of Class Module cls_AVI_handler", [&] { result = Header().Reed_box_delay(); });
    return result;
}

void cls_VideoFile_handler::Reed_box_delay(const std::string& v) {
    Header().Reed_box_delay(v);
}

std::string cls_VideoFile_handler::Reed_Goal_compensation() {
    std::string result;
    vb::Trap("Reed_Goal_compensation of Class Module cls_AVI_handler", [&] {
        const std::string t = Header().Goal_Compensation();
        if (vb::Val(t) == 0 && m_dv->DV_Extra.Camera_Offset > 0)
            result = std::to_string(m_dv->DV_Extra.Camera_Offset);
        else
            result = t;
    });
    return result;
}

void cls_VideoFile_handler::Reed_Goal_compensation(const std::string& v) {
    Header().Goal_Compensation(v);
}
std::string cls_VideoFile_handler::Reed_Split_compensation() {
    return Header().Split_Compensation();
}
void cls_VideoFile_handler::Reed_Split_compensation(const std::string& v) {
    Header().Split_Compensation(v);
}
std::string cls_VideoFile_handler::Reed_Goal_Finish() {
    return Header().Reed_Goal_Finish();
}
void cls_VideoFile_handler::Reed_Goal_Finish(const std::string& v) {
    Header().Reed_Goal_Finish(v);
}
std::string cls_VideoFile_handler::Reed_Goal_Split() {
    return Header().Reed_Goal_Split();
}

void cls_VideoFile_handler::Reed_Goal_Split(const std::string& v) {
    vb::TrapAlways([&] { Header().Reed_Goal_Split(v); }, [](const vb::VbError&) {});
}

void cls_VideoFile_handler::Reed_split_firewire_ID(const std::string& v) {
    Header().Reed_split_firewire_ID(v);
}
void cls_VideoFile_handler::Reed_goal_firewire_ID(const std::string& v) {
    Header().Reed_goal_firewire_ID(v);
}
std::string cls_VideoFile_handler::Reed_Dog_name(int32_t box) {
    return Header().Reed_Dog_name(vb::CInt(box));
}
void cls_VideoFile_handler::Reed_Dog_name(int32_t box, const std::string& v) {
    Header().Reed_Dog_name(vb::CInt(box), v);
}
bool cls_VideoFile_handler::Reed_dead_heat(int32_t box) {
    return Header().Reed_dead_heat(vb::CInt(box));
}
void cls_VideoFile_handler::Reed_dead_heat(int32_t box, bool v) {
    Header().Reed_dead_heat(vb::CInt(box), v);
}

int32_t cls_VideoFile_handler::Reed_Heat_Click_Time(int32_t box) {
    int32_t result = 0;
    vb::Trap("Reed_Heat_Click_Time of Class Module cls_AVI_handler",
             [&] { result = Header().Reed_Heat_Click_Time(vb::CInt(box)); });
    return result;
}

void cls_VideoFile_handler::Reed_Heat_Click_Time(int32_t box, int32_t v) {
    Header().Reed_Heat_Click_Time(vb::CInt(box), v);
}

int32_t cls_VideoFile_handler::Reed_Heat_time(int32_t box, bool split) {
    int32_t result = 0;
    vb::Trap("Reed_Heat_time of Class Module cls_AVI_handler",
             [&] { result = Header().Reed_Heat_time(vb::CInt(box), split); });
    return result;
}

void cls_VideoFile_handler::Reed_Heat_time(int32_t box, bool split, int32_t v) {
    Header().Reed_Heat_time(vb::CInt(box), split, v);
}

int16_t cls_VideoFile_handler::Reed_heat_frame(int32_t box) {
    int16_t result = 0;
    vb::Trap("Reed_heat_frame of Class Module cls_AVI_handler",
             [&] { result = Header().Reed_heat_frame(vb::CInt(box)); });
    return result;
}

void cls_VideoFile_handler::Reed_heat_frame(int32_t box, int16_t v) {
    Header().Reed_heat_frame(vb::CInt(box), v);
}
int16_t cls_VideoFile_handler::Reed_split_frame(int32_t box) {
    return Header().Reed_split_frame(vb::CInt(box));
}
void cls_VideoFile_handler::Reed_split_frame(int32_t box, int16_t v) {
    Header().Reed_split_frame(vb::CInt(box), v);
}

// ---- Stored settings ----

int16_t cls_VideoFile_handler::SelRect_left() const {
    return vb::CInt(m_SelRect_left);
}
int16_t cls_VideoFile_handler::SelRect_top() const {
    return vb::CInt(m_SelRect_top);
}
int16_t cls_VideoFile_handler::SelRect_right() const {
    return vb::CInt(m_SelRect_right);
}
int16_t cls_VideoFile_handler::SelRect_bottom() const {
    return vb::CInt(m_SelRect_bottom);
}
int16_t cls_VideoFile_handler::SelRect_width() const {
    return vb::CInt(static_cast<int64_t>(m_SelRect_right) - m_SelRect_left);
}
int16_t cls_VideoFile_handler::Selrect_Height() const {
    return vb::CInt(static_cast<int64_t>(m_SelRect_bottom) - m_SelRect_top);
}
int16_t cls_VideoFile_handler::Impact_Time() const {
    return vb::CInt(static_cast<int64_t>(m_impact_pos) * m_mill_per_frame);
}

int16_t cls_VideoFile_handler::Pos_In_File(int16_t index) const {
    if (index < 1 || index > 6) vb::Raise(vb::errSubscriptOutOfRange);
    return m_Pos_In_File[static_cast<size_t>(index - 1)];
}
