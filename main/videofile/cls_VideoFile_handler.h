#pragma once
// One video file: its name, kind and open file, its header document, the
// geometry and times of its frames, the sample read last, the state of a heat
// file being written, and the bitmaps frames are decoded into. The replay
// window keeps one for every file it opens; the capture window holds one per
// heat file while it writes it.
//
// Members that trap their errors hand them to the error report in the normal
// mode; in the development mode the error reaches the caller.
#include "AVI_Reader.h"
#include "DV_Reader.h"
#include "DrawDib.h"
#include "Gdi.h"
#include "PictureBox.h"
#include "QF3_Reader.h"
#include "QF3_format.h"
#include "SDV_Reader.h"
#include "Video_file_io.h"
#include "cDIBSection.h"
#include "cls_IDX.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class Cls_XML_header;
class clsAVIInfo;
namespace dv {
class Decoder;
class Recent_Pictures;
struct Picture;
} // namespace dv

// What the writer reads of one captured frame: the capture side's frame
// objects answer these by name. Pixels are 24-bit, bottom-up, rows padded to
// 4 bytes, at the crop size.
struct Captured_Frame {
    int32_t Capture_Local = 0;
    int32_t Capture_Mill = 0;
    int32_t Capture_Delta = 0;
    const uint8_t* Video_Adress = nullptr;
};

class cls_VideoFile_handler {
public:
    explicit cls_VideoFile_handler(int16_t player_index = 0);
    ~cls_VideoFile_handler();
    cls_VideoFile_handler(const cls_VideoFile_handler&) = delete;
    cls_VideoFile_handler& operator=(const cls_VideoFile_handler&) = delete;

    // ---- The file ----
    // Opens the file by its suffix; False means no file is open.
    bool Open_File(const std::string& file_name, const std::string& ignored = {});
    // Brings a written heat file's header up to date, closes the file and resets the object.
    void Close_File();
    // Writes the header document back into the file, by kind; a file it had
    // to open stays open.
    void Write_XML_Header();
    void Position_at_End();
    void Position_after_XML_header();
    int16_t File_num() const { return m_File.Number(); }
    // Renames the file within its folder and reopens it; False when the name
    // exists or the move fails.
    bool rename_file(const std::string& new_name);
    std::string DateCreated() const;
    std::string DateLastModified() const;
    void XML_Header_string(const std::string& text);
    std::string XML_Header_string();
    std::string Get_DOM_string();
    const uint8_t* QFN_header_addr() const { return m_dv->QFN_Header.data(); }
    void ReCreate_XML_header();
    void Read_to_Memory(bool value) { m_Read_to_Memory = value; }
    void Read_File_to_Memory();
    void Preread_File();
    void Read_Stream_Info();
    void Set_Multi_Stream_Size();
    int16_t stream_from_pos(int16_t camera_pos) const;
    void Num_write_streams(int16_t count);
    void JPG_Sizes(int32_t smallest, int32_t largest);
    int32_t Largest_JPG();
    int32_t Smallest_JPG();
    void Add_Segment_num() { ++m_Segment_Num; }
    int32_t Current_Segments_num() const { return m_Segment_Num; }
    int16_t Segments_Num();
    void Add_Reduced_Quality_num(int16_t count);
    std::string DIB_sizes() const;
    void xFix_starttime() {}
    void Compress_and_Write_RGB_frame() {}
    void DIB_to_File(int32_t, int32_t, int32_t) {}

    // Events: percentage read by Preread_File; around Read_File_to_Memory.
    std::function<void(int16_t)> Prereadpct;
    std::function<void()> StartPreread;
    std::function<void()> EndPreread;

    // ---- Reading heat files ----
    void Open_RGB_File();
    // How the replay window opens a heat: as Open_RGB_File, but a damaged or
    // foreign file is not put to the error report. It answers whether the file
    // opened; when not, the file is closed and `reason` holds why, or stays
    // empty when the file is no heat file at all (no heat file's mark at its
    // start).
    bool Open_Heat_File(std::string& reason);
    // Damaged records and pictures are noted (Frame_Damage) and written to the
    // event log instead of the error report and the decoder's message: set by a
    // window that shows the damage itself.
    void Note_Damage_Quietly(bool quiet) { m_Quiet_Damage = quiet; }
    // Why the sample last asked for (Read_RGB_sample) could not be read or
    // decoded; empty when it was.
    const std::string& Frame_Damage() const { return m_Frame_Damage; }
    void Read_QF3_Headers();
    // 1-based file position of sample n.
    int64_t RGB_video_adress(int32_t sample) const;
    void Read_RGB_sample(int32_t sample, bool decode);
    void Read_All_RGB_Frames();
    int32_t QF3_Capture_mill() const { return m_qf3->Read_Head.Capture_Mill; }
    int32_t QF3_Capture_local() const { return m_qf3->Read_Head.Capture_Local; }
    int16_t QF3_Capture_Delta() const;
    int32_t QF3_JPEG_Size() const { return m_qf3->Read_Head.JPEG_Length; }
    int16_t QF3_Compression_Quality() const { return m_qf3->Read_Head.Quality; }
    int16_t QF3_Displayed_Frame() const;
    int16_t QF3_Displayed_Field() const { return m_Field_To_Show; }
    std::string QF3_Properties();
    void Analyze_Sample_Length(const std::string& file_name);
    void Read_RGB_Headers();
    // The record head of sample n read alone: no picture is read or decoded
    // and the sample read last stays as it was. False when the file holds no
    // heat file record there (not a heat file, past its end, no marker).
    bool Read_RGB_sample_head(int32_t sample, qf3::Sample_Head& head);
    // The sample read last and where its picture lies (decoded bitmap or raw slot).
    int32_t Current_Sample() const { return m_qf3->Current_Sample; }
    const uint8_t* Sample_Pixels() const { return m_qf3->Sample_Pixels; }
    int32_t Rounded_Capture_Time() const { return m_Rounded_Capture_Time; }
    cDIBSection& Decoded_Frame() { return *m_DIB_Deint_source[0]; }

    // ---- Writing heat files ----
    void Create_File();
    void Cropped_X(int32_t width) { m_Cropped_X = width; }
    void Cropped_Y(int32_t height);
    void Create_QF3_header();
    void Initiate_QF3_File(int32_t ignored = 0);
    void Write_QF3_header();
    void Set_JPG_Maxsize(int32_t slot_size);
    void Append_Compressed_RGB_Frame(int32_t capture_local, int32_t capture_mill, int32_t capture_delta,
                                     int16_t quality, int32_t jpeg_length, const uint8_t* jpeg,
                                     int32_t capture_events);
    void Calculate_Compressed_Size(const std::vector<Captured_Frame>& frames);
    void Compress_Frame(int32_t item, int16_t quality);
    void Append_RGB_Frame(int32_t item);
    void Measured_fps(int16_t fps);
    int16_t Measured_fps();
    void RGB_fourcc(const std::string& value);
    void RGB_Max_Seen_size(const std::string& value);
    std::string RGB_Max_Seen_size();
    void RGB_Comp_Threshold(const std::string& value);
    std::string RGB_Comp_Threshold();
    // The frames Calculate_Compressed_Size and Append_RGB_Frame read, numbered from 1.
    void Captured_Frames(const std::vector<Captured_Frame>* frames) { m_Captured_Frames = frames; }
    int32_t JPEG_Length() const { return m_JPEG_Length; }
    const uint8_t* JPEG_Buffer() const { return m_JPEG_Buffer.data(); }
    cDIBSection* Capture_Bitmap() { return m_Capture_Bitmap.get(); }

    // Settings a new heat file's header takes.
    void Set_RGB_interlaced(bool value);
    bool RGB_interlaced();
    void RGB_interlaced(bool value) { m_New_Interlaced = value; }
    void Base_Quality(int16_t q) { m_Base_Quality = q; }
    void Compressed(bool value) { m_Compressed = value; }
    void Codec_Text(const std::string& value) { m_Codec_Text = value; }
    void New_fps(const std::string& value) { m_New_fps = value; }
    void New_Preview_on(bool value) { m_New_Preview = value; }
    void New_Comment(const std::string& value) { m_New_Comment = value; }

    // ---- Heat, lane and display fields ----
    void Heat_result(int16_t heat, int16_t lane, int32_t value);
    int32_t Heat_result(int16_t heat, int16_t lane);
    int32_t Heat_time(int16_t heat, int16_t lane);
    void Heat_time(int16_t heat, int16_t lane, int32_t value);
    void Heat_Clicktime(int16_t heat, int16_t lane, int32_t value);
    int32_t Heat_Clicktime(int16_t heat, int16_t lane);
    void Heat_Goalfield(int16_t heat, int16_t lane, int32_t value);
    int32_t Heat_Goalfield(int16_t heat, int16_t lane);
    void Heat_ID(int16_t heat, const std::string& value);
    std::string Heat_ID(int16_t heat);
    void Update_Heat_ID(int16_t heat, const std::string& value);
    std::string Heat_comment(int16_t heat);
    void Heat_comment(int16_t heat, const std::string& value);
    void Heat_Start_Correction(int16_t heat, int32_t value);
    int32_t Heat_Start_Correction(int16_t heat);
    void Start_local_mill(int16_t heat, int32_t value);
    void Start_PC_mill(int16_t heat, int32_t value);
    void Start_PC_Mill_time(int16_t heat, int32_t value);
    int32_t Start_local_Mill_Time(int16_t heat);
    int32_t Start_PC_Mill_time(int16_t heat);
    void Start_HDMI_events(int16_t heat, int32_t value);
    int32_t Start_HDMI_events(int16_t heat);
    int32_t RGB_startmill();
    void Set_Multi_Start(int16_t heat);
    void Clear_Multi_Start(int16_t heat);
    void Clear_Heats();
    int16_t Lane_count();
    void Lane_count(int16_t value);
    void Num_Lanes(int16_t value);
    int16_t Start_lane();
    void File_Lane_Pos(int16_t lane, int32_t x, int32_t y);
    int16_t LaneX(int16_t lane);
    int16_t LaneY(int16_t lane);
    void Get_Goalline(int16_t& x1, int16_t& y1, int16_t& x2, int16_t& y2);
    void Set_Goal_Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void Fix_Goal_Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void Show_goalline(bool value);
    bool Show_goalline();
    void Lanes_Visible(bool value);
    bool Lanes_Visible();
    void Lanes_flipped(bool value);
    bool Lanes_flipped();
    bool Lanes_locked();
    void Lanes_locked(bool value);
    void Lanes_reversed(bool value);
    bool Lanes_reversed();
    void rotated(bool value);
    bool rotated() const;
    bool RGB_Rotated();
    void Stream_rotated(int16_t stream, bool value);
    bool Stream_rotated(int16_t stream);
    std::string Event_name();
    void Event_name(const std::string& value);
    void Tidewick_Marathon_Class_Name(int32_t class_number, const std::string& value);
    std::string Tidewick_Marathon_Class_Name(int32_t class_number);
    void Tidewick_Marathon_Class_Start(int32_t class_number, const std::string& value);
    std::string Tidewick_Marathon_Class_Start(int32_t class_number);

    // ---- File facts, frame counts and frame times ----
    std::string File_name() const { return m_File_Name; }
    void File_name(const std::string& value);
    std::string Current_File_Suffix() const { return m_file_suffix; }
    bool File_open() const { return m_File.Number() >= 1; }
    bool Read_only() const { return m_Read_only; }
    void Read_only(bool value) { m_Read_only = value; }
    int64_t File_size() const;
    bool Has_XML_header();
    bool is_DV() const;
    int32_t DriveType() const { return m_Drive_Type; }
    int32_t Num_Frames() const { return m_Num_Frames; }
    int32_t QF3_Num_Frames();
    int32_t Num_fields() const;
    int32_t QF3_Num_fields();
    int32_t num_Calculated_frames() const { return m_num_Calculated_frames; }
    int32_t num_Fields_Gross() const;
    int32_t Clip_length() const { return m_Clip_length; }
    int16_t Seconds();
    int16_t mill_per_frame() const;
    int16_t Frame_Rate() const { return m_Frame_Rate; }
    bool NTSC() const { return m_NTSC; }
    int16_t Width() const { return m_Width; }
    int16_t Height() const { return m_Height; }
    bool Wide_Screen();
    int32_t Rounded_Compressed_Size() const { return m_Slot_Size; }
    int32_t Frame_Length() const { return m_qf3->Frame_Length; }
    int16_t Field_To_Show() const { return m_Field_To_Show; }
    int16_t xField_To_Show() const { return m_Field_To_Show; }
    int16_t eff_frameno() const;
    const uint8_t* Frame_address() const;
    int32_t Frame_in_store() const { return m_Frame_in_store; }
    void Clear_In_Bitmaps() { m_In_Bitmaps.clear(); }
    void Set_Screen_HDC(gdi::HDC dc) { m_Screen_HDC = dc; }
    // The memory device context of the open file's picture size; nullptr
    // without a file.
    gdi::HDC Display_HDC();
    int32_t Capture_mill_time() const { return m_dv->DV_Extra.Capture_Mill; }
    int32_t Frame_time() const { return m_dv->DV_Extra.Frame_Time; }
    int32_t Old_HeatStart() const { return m_dv->DV_Extra.Heat_Start; }
    int32_t Capture_HDMI_events() const { return m_qf3->Read_Head.Capture_Events; }
    int32_t Timestamp_long() const;
    std::string Timestamp_formatted() const;
    std::string Timestamp_string() const;
    int32_t RGB_TimeStamp();
    int32_t Multi_TimeStamp(int32_t heat_unused = 0) const;

    // ---- Remaining header fields ----
    std::string Creation_date();
    void Creation_date(const std::string& value);
    std::string Last_Capture_time();
    void Last_Capture_time(const std::string& value);
    std::string Hdr_spare1();
    void Hdr_spare1(const std::string& value);
    std::string Computer_name();
    std::string Computer_CPUInfo();
    std::string OS_version();
    std::string OS_bitness();
    std::string CPU_bitness();
    std::string Capture_Info();
    void Capture_Info(const std::string& value);
    std::string Phidget_serial();
    void Phidget_serial(const std::string& value);
    std::string Program_ID();
    std::string Program_Major();
    std::string Program_Minor();
    std::string Program_Revision();
    void RGB_Sample_Size(int32_t value);
    void Golfing(bool value);
    bool Has_weight_data();
    std::string Model_FileName();
    float model_size_factor();
    int16_t model_X_offset();
    int16_t model_Y_offset();
    int16_t Stream_Offset(int16_t stream);
    void Stream_Offset(int16_t stream, int16_t value);
    int16_t Camera_pos(int16_t stream);
    void Camera_pos(int16_t stream, int16_t value);
    void Set_stream_active(int32_t file_pos, bool active);
    bool pos_Active(int32_t file_pos);
    int16_t Active_Streams();
    int32_t Selection_start();
    void Selection_start(int32_t value);
    int32_t Selection_end();
    void Selection_end(int32_t value);
    std::string Player_Comment();
    void Update_Player_Comment(int16_t index_unused, const std::string& value);
    bool Start_Lane_Zero();
    void Start_Lane_Zero(bool value);
    std::string Reed_event();
    void Reed_event(const std::string& value);
    std::string Reed_Heat_ID();
    void Reed_Heat_ID(const std::string& value);
    std::string Reed_Heat_Name();
    void Reed_Heat_Name(const std::string& value);
    std::string Reed_Heat_Length();
    void Reed_Heat_Length(const std::string& value);
    std::string Reed_start_DateTime();
    void Reed_start_DateTime(const std::string& value);
    int32_t Reed_start_PC_mill();
    void Reed_start_PC_mill(int32_t value);
    std::string Reed_box_delay();
    void Reed_box_delay(const std::string& value);
    std::string Reed_Goal_compensation();
    void Reed_Goal_compensation(const std::string& value);
    std::string Reed_Split_compensation();
    void Reed_Split_compensation(const std::string& value);
    std::string Reed_Goal_Finish();
    void Reed_Goal_Finish(const std::string& value);
    std::string Reed_Goal_Split();
    void Reed_Goal_Split(const std::string& value);
    void Reed_split_firewire_ID(const std::string& value);
    void Reed_goal_firewire_ID(const std::string& value);
    std::string Reed_Dog_name(int32_t box);
    void Reed_Dog_name(int32_t box, const std::string& value);
    bool Reed_dead_heat(int32_t box);
    void Reed_dead_heat(int32_t box, bool value);
    int32_t Reed_Heat_Click_Time(int32_t box);
    void Reed_Heat_Click_Time(int32_t box, int32_t value);
    int32_t Reed_Heat_time(int32_t box, bool split);
    void Reed_Heat_time(int32_t box, bool split, int32_t value);
    int16_t Reed_heat_frame(int32_t box);
    void Reed_heat_frame(int32_t box, int16_t value);
    int16_t Reed_split_frame(int32_t box);
    void Reed_split_frame(int32_t box, int16_t value);

    // ---- Stored settings ----
    void Owner(const std::string& value) { m_Owner = value; }
    void Player_index(int16_t value) { m_index = value; }
    int16_t p_index() const { return m_index; }
    void Blend_faktor(int16_t value) { m_Blend_faktor = value; }
    void Tolerances(int16_t a, int16_t b, int16_t c) { m_Tolerances = {a, b, c}; }
    void set_Synchtype(int16_t value) { m_Synch_type = value; }
    int16_t Synch_type() const { return m_Synch_type; }
    void Video_Offset(int16_t value) { m_Video_Offset = value; }
    int16_t Video_Offset() const { return m_Video_Offset; }
    void flip(int16_t value) { m_flip = value; }
    int16_t flip() const { return m_flip; }
    void RGB_Rotated(bool value) { m_RGB_Rotated_Setting = value; }
    bool Is_Deinterlaced() const { return m_Is_Deinterlaced; }
    bool has_selrect() const { return m_has_selrect; }
    int16_t SelRect_left() const;
    int16_t SelRect_top() const;
    int16_t SelRect_right() const;
    int16_t SelRect_bottom() const;
    int16_t SelRect_width() const;
    int16_t Selrect_Height() const;
    int16_t impact_pos() const { return m_impact_pos; }
    int16_t Impact_Time() const;
    int16_t Model_frame_at_Impact() const { return m_Model_frame_at_Impact; }
    int16_t Has_Model() const { return m_sdv->Has_Model ? -1 : 0; }
    int16_t Front_View_Width() const { return m_Front_View_Width; }
    int16_t Front_View_Height() const { return m_Front_View_Height; }
    int32_t Bench_rotate() const { return m_Bench[0]; }
    int32_t Bench_rotate_asm() const { return m_Bench[1]; }
    int32_t Bench_deint() const { return m_Bench[2]; }
    int32_t Bench_mirror() const { return m_Bench[3]; }
    int32_t Bench_decomp() const { return m_Bench[4]; }
    int32_t Bench_draw_to_picture() const { return m_Bench[5]; }
    int32_t Bench_draw_to_DC() const { return m_Bench[6]; }
    int16_t Reed_Camera() const { return m_dv->DV_Extra.Camera; }
    int16_t DV_data_hours() const { return m_DV_data_hours; }
    int16_t DV_data_minutes() const { return m_DV_data_minutes; }
    int32_t JUNK_pos() const { return m_avi->JUNK_pos; }
    std::string Hash_atype() const { return m_Hash_atype; }
    std::string video_codec() const { return m_video_codec; }
    int16_t Pos_In_File(int16_t index) const;
    int16_t model_Frame() const { return 0; }
    int16_t Weight_percent() const { return 0; }
    int16_t coord_x() const { return 0; }
    int16_t coord_y() const { return 0; }
    int16_t AVI_length_Seconds() const { return 0; }
    std::string DV_date() const { return {}; }
    void xSet_Time(int32_t, int32_t) {}

    // ---- Frame and field display, overlays, information text, model
    // synchronisation, frame-path benchmarks, golf analysis and comments ----
    // Picture controls are the caller's; the drawing paints over their whole inner area.
    void Draw_RGB_Field(int32_t& field, gdi::DrawTarget& picture);
    void Draw_Current_Field(gdi::DrawTarget& picture);
    void Draw_RGB_frame(int16_t& frame, gdi::DrawTarget& picture);
    void Draw_Current_RGB_frame(gdi::DrawTarget& picture);
    int32_t Get_Field_Pixel(int16_t x, int16_t y);
    // The bitmap the field pixels come from: the field shown, at the displayed frame size.
    cDIBSection& Shown_Field_Bitmap() const { return Pixel_Bitmap(); }
    void Set_Field_Pixel(int32_t x, int32_t y, int32_t colour);
    void Let_Field_Pixel(int16_t x, int16_t y, int32_t colour);
    gdi::HDC DEint_HDC() const;
    gdi::HDC Rotated_HDC() const;
    int16_t Overlay() const { return m_Overlay_Mode; }
    void Overlay(int16_t mode) { m_Overlay_Mode = mode; }
    int16_t Blend_faktor() const { return m_Blend_faktor; }
    void Read_ff();
    void Store_OL_Source();
    void A_Blend(gdi::DrawTarget& picture);
    void Restore_target(int32_t& frame);
    void Store_frame(int32_t& frame, const std::string& which);
    void Reset_Overlay(gdi::DrawTarget& picture);
    // The overlay step of the frame drawing: the frame has been read.
    void Draw_Overlay_Frame(int32_t frame, gdi::DrawTarget& picture);
    std::string Property_String();
    int32_t xCurrent() const;
    int32_t Current_net();
    float Player_Time() const { return Frame_Read_Time() - m_Base_Time; }
    float Player_Effective_Time() const { return m_Effective_Time - m_Base_Time; }
    void Set_Base_time(bool value) { m_Base_Time = value ? Frame_Read_Time() : 0.0f; }
    bool has_Base_Time();
    int32_t Effective_time() const;
    std::string Formatted_Time() const;
    int32_t Percentage() const { return m_Percentage; }
    int16_t Num_Video_streams() const { return m_Num_Video_streams; }
    int16_t Synch_time(float time_ms);
    int32_t Synch_percentage(int16_t percent);
    int16_t Synch_model(int16_t offset);
    void Bench_Prepare();
    void Benchmark_Decomp_Once();
    void Benchmark_Deint_Once();
    void Benchmark_Rotate_Once();
    void benchmark_getfile();
    void benchmark_deint() {}
    void Benchmark_Rotate(int32_t) {}
    void Benchmark_Decomp() {}
    void benchmark_mirror() {}
    void Benchmark_Draw_to_Picture() {}
    void Benchmark_Draw_to_Picture_Once() {}
    void Benchmark_Draw_to_DC() {}
    bool is_Tidewick();
    int16_t Impact_field();
    int16_t Top_field();
    std::string Must_print();
    void Must_print(const std::string& value);
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
    std::string File_comment1();
    void File_comment1(const std::string& value);
    std::string Venue();
    void Venue(const std::string& value);
    std::string comment(int32_t n);
    void comment(int32_t n, const std::string& value);
    std::string Subject_name();
    void Subject_name(const std::string& value);
    std::string anp_line(int32_t line);
    void anp_line(int32_t line, const std::string& value);
    int16_t anp_file_lines();
    void anp_file_lines(int16_t value);
    std::string anp_filename();
    void anp_filename(const std::string& value);
    std::string SpecApp();
    void SpecApp(const std::string& value);
    std::string Camera_ID(int32_t stream);
    void Camera_ID(int32_t stream, const std::string& value);
    void Save_Graph_object(int16_t id, int16_t obj_type, int16_t layer, int32_t color, int16_t linetype,
                           int16_t linewidth, bool filled, int16_t x1, int16_t y1, int16_t x2, int16_t y2,
                           int16_t x3, int16_t y3, int16_t x4, int16_t y4);
    void Load_Graph_object(int16_t id, int16_t& obj_type, int16_t& layer, int32_t& color, int16_t& linetype,
                           int16_t& linewidth, bool& filled, int16_t& x1, int16_t& y1, int16_t& x2,
                           int16_t& y2, int16_t& x3, int16_t& y3, int16_t& x4, int16_t& y4);
    void Dump_XML_Header(const std::string& folder);
    void Set_Frames_no(int16_t count);
    void Set_Selrect_stream1(int16_t bottom, int16_t left, int16_t right, int16_t top);
    void Set_This_Impact_Frame();
    void Set_Specific_Impact_Field(int16_t value);
    void Set_Specific_Top_Frame(int16_t value);
    void Set_Start_frame();
    void Set_End_frame();
    void Clear_Start_Frame();
    void Clear_End_Frame();
    int16_t Trimmed_Start() const;
    int16_t Trimmed_End() const;
    void Calculate_Number_of_Fields();
    bool Has_DV_Header() const;
    void Initial_Quality(int16_t quality) { m_Base_Quality = quality; }
    int32_t Club_Speed() const { return 0; }
    void Clear_in_Store();
    void Show_Single_Stream(int16_t value) { m_Show_Single_Stream = value; }
    void Force_num_Streams(int16_t value) { m_Force_num_Streams = value; }
    void Seek_end() {}
    void Dump_XML_String(const std::string& text);
    std::string Read_Comment() const;
    void Write_comment(const std::string& text);
    void Force_Framerate(int32_t fps);

    // ---- DV-based files, AVI files, DV frame and field drawing, trace curves ----
    // "qf1"/"qf2" files: the 20-byte record, the end marker, appended DV frames.
    void Get_QF3_header();
    void Write_QFN_header();
    void Add_Header_padding();
    void Write_QFN_header_len();
    // Makes the file just created a "qf2" file: record, header text, end marker.
    void Initiate_QFN_File();
    bool File_Initiated() const { return m_File_Initiated; }
    void Append_DV_frame(const uint8_t* frame);
    void Write_DV_frame(const uint8_t* frame);
    void Write_frame(const uint8_t* frame) { Write_DV_frame(frame); }
    int32_t DV_frames_appended() const { return m_DV_frames_appended; }
    int32_t QFN_Header_Length() const;
    int32_t QFN_XML_Length() const;
    // Frames of DV material drawn onto a picture (or into a device context).
    void Draw_Frame(int32_t& frame, forms::PictureBox* picture, bool mirror, int16_t stream, gdi::HDC dc,
                    bool rotate);
    void Blit_Frame(gdi::HDC dc, int32_t& width, int32_t& height);
    void Draw_Panned_frame(int32_t frame, forms::PictureBox& picture, int16_t& x, int16_t& y);
    void Get_Frame(int32_t frame, int32_t& length, const uint8_t*& address);
    void Refresh_frame(forms::PictureBox& picture);
    void Read_In_Bitmaps();
    int32_t Decode_Result() const { return m_dv->Decode_Result; }
    std::string Decode_Note() const { return m_dv->Decode_Note; }
    int32_t Current_Frame_Number() const { return m_dv->Current_Frame; }
    int32_t Buffered_Frame() const { return m_dv->Buffered_Frame; }
    // The compressed data of the frame read last and its length; null before any read.
    const uint8_t* Frame_Data() const { return m_dv->Frame_Data; }
    int32_t Frame_Data_Size() const { return m_dv->Frame_Data_Size; }
    // Single fields of DV material, line-doubled to full height.
    void Draw_field_3(int32_t& field, forms::PictureBox& picture, int16_t& stream, bool& rotate);
    void Draw_Field(int32_t& field, forms::PictureBox& picture, bool& invert, int16_t& stream);
    void Refresh_field(forms::PictureBox& picture, bool& rotated);
    void Deinterlace_DIBS(cDIBSection& target, cDIBSection& source);
    void Draw_field_multi2(int32_t, int32_t) {}
    void Draw_field_multi3(int32_t, int32_t) {}
    cDIBSection& DV_Field_Picture(int16_t stream) {
        return *m_DIB_Deint_target.at(static_cast<size_t>(stream - 1));
    }
    // AVI chunks, index and the frame reader of every compressed-frame kind.
    // Reads the AVI header of the file named (the reader the AVI members use).
    bool Read_AVI_Info(const std::string& file_name);
    // Opens an AVI file for the AVI members (Open_File opens none): header
    // reader, chunk walk and frame index. False, with no file open, when one fails.
    bool Open_AVI_File(const std::string& file_name);
    clsAVIInfo* AVI_Info() const { return m_avi->AVI_Info.get(); }
    void Parse_Chunks();
    void read_AVI_XML_string();
    bool Get_AVI_indexes(const std::string& file_name);
    bool Read_ODML_Index();
    const std::vector<std::pair<int32_t, int32_t>>& ODML_Index() const { return m_avi->ODML_Index; }
    void Read_Frame(int32_t frame, int16_t stream = 1);
    int32_t Index_flag(int32_t entry) const;
    int16_t Text_Length() const;
    const uint8_t* text_adress() const {
        return m_avi->Text_Buffer.empty() ? nullptr : m_avi->Text_Buffer.data();
    }
    uint8_t* Extra_Data_Addr();
    void Force_Reread_Frame();
    void Get_Current_Trace_data(int32_t frame);
    void Close_AVIFunctions() {}
    bool Linear_buffer() const { return m_Linear_buffer; }
    bool is_Start_Cam() const { return false; }
    int16_t Lap_Count() const { return m_Lap_Count; }
    int32_t xTime_stamp() const { return 0; }
    void find_DV_offset(const std::string& file_name);
    int16_t DV_Offset() const { return m_dv->DV_Offset; }
    void calculate_luminance();
    int32_t Chunk_Address(int index) const { return m_avi->Chunk_Address.at(static_cast<size_t>(index)); }
    int32_t Junk_Address() const { return m_avi->Junk_Address; }
    const std::vector<cls_IDX>& Index_Collection() const { return m_avi->Index_Collection; }
    const std::vector<cls_IDX>& Text_Index_Collection() const { return m_avi->Text_Index_Collection; }
    bool Index_Valid() const { return m_avi->Index_Valid; }
    bool Index_Relative() const { return m_avi->Index_Relative; }
    bool Index_DV_Type1() const { return m_avi->Index_DV_Type1; }
    int64_t Frame_Position() const { return m_dv->Frame_Position; }
    int64_t Frame_Chunk_Address() const { return m_avi->Frame_Chunk_Address; }
    int32_t Frame_Chunk_Length() const { return m_avi->Frame_Chunk_Length; }
    int32_t DV_Frame_Size() const { return m_Frame_Size; }
    // Own AVI chunks, the DV header record and the DV extra data block.
    void Append_XML_header();
    void Append_DV_header();
    void Rewrite_AVI_Header();
    void Rewrite_DV_header();
    void Do_Read_DV_extra_data();
    void Rewrite_DV_Extra_data();
    void Golf_header(bool value) { m_Golf_Flag = value; }
    void Fill_PBox(forms::PictureBox& picture);
    const std::array<uint8_t, 192>& DV_Extra_Block() const { return m_dv->DV_Extra_Block; }
    int32_t DV_Extra_Offset() const { return m_dv->DV_Extra_Offset; }
    // AVI header records, text chunks, channel names and DV texts.
    void Read_Headers();
    void get_AVI_strh(int32_t& size, const uint8_t*& address) const;
    void get_AVI_strf(int32_t& size, const uint8_t*& address) const;
    const uint8_t* AVI_Chunk_addr() const { return m_avi->AVI_Chunk_Head.data(); }
    const uint8_t* AVIINFO_addr() const { return m_avi->AVI_Main_Header.data(); }
    bool Has_Text_Stream() const { return m_avi->Text_Index_Count > 0; }
    void Get_Text_buffer(int32_t frame, int32_t& length, const uint8_t*& address);
    void Put_Text_buffer(const uint8_t* bytes, int32_t length);
    void Rewrite_Text_Buffer(int32_t frame);
    // Where the table of data channel names lies (1-based; 0 = none).
    void Channel_Table_Position(int32_t position) { m_Channel_Table_Pos = position; }
    std::string Data_Channel_Name(int16_t channel);
    void Write_channel_name(int16_t channel, const std::string& name);
    std::string Timecode_string();
    void xWrite_DV_frame();
    // Parses the DV packs of the frame read last; True when it is wide screen.
    bool Parse_DV_header();
    // Trace curves in the frames of DV material.
    int16_t Trace_X(int16_t trace) const;
    int16_t Trace_Y(int16_t trace) const;
    void Update_Trace_Data(int16_t trace, int16_t x, int16_t y);
    void Clear_Trace_Data();
    void Clear_all_Traces();
    void Read_Trace_Data();
    void Read_Trace_Array();
    void Trace_Array_Coords(int16_t trace, int32_t field, int16_t& x, int16_t& y) const;
    void Rewrite_DV_frame();
    void Debug_Trace_Array() {}
    void Debug_m_Trace_Data(const std::string&) {}
    std::string Trace_Name(int32_t trace);
    void Trace_Name(int32_t trace, const std::string& value);
    int32_t Trace_Color(int32_t trace);
    void Trace_Color(int32_t trace, int32_t value);
    bool Trace_Bezier(int32_t trace);
    void Trace_Bezier(int32_t trace, bool value);
    int16_t Trace_Thickness(int32_t trace);
    void Trace_Thickness(int32_t trace, int16_t value);

    // The header object, made on first use and kept for the object's life.
    Cls_XML_header& Header();

private:
    struct Stream_Info {
        bool Active = false;
        bool Rotated = false;
        int16_t Camera_Pos = 0;
        int32_t Sel_Left = 0, Sel_Top = 0, Sel_Right = 0, Sel_Bottom = 0;
        int16_t Sel_Width = 0, Sel_Height = 0;
    };
    bool Open_File_Body(const std::string& file_name);
    void Open_RGB_File_Body();
    void Read_QF3_Headers_Body();
    void Read_RGB_sample_Body(int32_t sample, bool decode);
    void Decode_Current_Sample();
    void Open_Read_Write(const std::string& path);
    void Size_Write_Slot(int32_t slot_size);
    void Write_Record();
    void Write_QF3_header_Body();
    // The frame count of the header as 32 bits: the header's own accessor
    // stops at 32767 frames, a long heat does not.
    int32_t Header_Frames();
    void Header_Frames(int32_t count);
    bool Is_Suffix(const char* lower) const { return m_file_suffix == lower; }
    void Reset_After_Close();
    void Stop_All_Captures_For_File();

    // Kinds and drawing that live with other parts of the object; until they
    // are built they open nothing and draw nothing.
    bool Open_DV_Kind();
    bool Open_SDV_Kind();
    bool Get_QFN_header();
    void Write_QFN_XML();
    void Write_AVI_XML();
    // A memory device context beside the screen's and two bitmaps of the
    // open file's picture size, the first selected into it: made by every
    // open (those of the previous file released first), gone at the close.
    void Make_Display_Bitmaps();
    // Makes the bitmap at the size given unless it already has that size.
    static void Fit_DIB(cDIBSection& dib, int32_t width, int32_t height);
    void Release_Display_Bitmaps();
    void Stop_All_Captures();
    int32_t IsFileInUse(const std::string& file_name);
    // The slot size the file's records already have (from sample 1), 0 when
    // it holds none yet; a file never takes a second record size.
    int32_t Read_File_Slot();

    // File identity and mode.
    std::string m_File_Name;
    std::string m_file_suffix;
    video_file_io::File m_File;
    bool m_Read_only = false;
    std::string m_Drive_Letter;
    int32_t m_Drive_Type = 0;
    int64_t m_File_Length = 0;
    int16_t m_index = 0;

    std::unique_ptr<Cls_XML_header> m_XML_header;

    // Each kind's reading state: fresh at every open and at close.
    void New_Readers();
    std::unique_ptr<QF3_Reader> m_qf3;
    std::unique_ptr<DV_Reader> m_dv;
    std::unique_ptr<SDV_Reader> m_sdv;
    std::unique_ptr<AVI_Reader> m_avi;

    // Kind and frame geometry.
    bool m_Is_Deinterlaced = false;
    bool m_NTSC = false;
    int32_t m_Frame_Size = 144000;
    int16_t m_Width = 0;
    int16_t m_Height = 0;
    int32_t m_mill_per_frame = 0;
    int32_t m_mill_per_field = 0;
    int16_t m_Frame_Rate = 0;
    int32_t m_Num_Frames = 0;
    int32_t m_Num_fields = 0;
    int32_t m_Gross_fields = 0;
    int32_t m_num_Calculated_frames = 0;
    int32_t m_Clip_length = 0;
    std::string m_video_codec;
    gdi::BITMAPINFOHEADER m_Draw_Header{};
    int16_t m_Num_Video_streams = 0;
    std::array<Stream_Info, 5> m_Streams{};
    std::array<bool, 6> m_Pos_Present{};
    std::array<bool, 6> m_Pos_Active{};
    int16_t m_Side_by_Side = 0;
    bool m_Third_Pos = false;
    std::vector<uint8_t> m_File_Copy;
    bool m_In_Memory = false;
    bool m_Read_to_Memory = false;

    // Current frame and sample.
    int32_t m_xCurrent = 0;
    int32_t m_Current_Field = 0;
    int16_t m_Field_To_Show = 1;
    int32_t m_eff_frameno = 0;
    int32_t m_Rounded_Capture_Time = 0;

    // Heat-file writing.
    std::vector<uint8_t> m_Write_Record; // head, slot, end marker: one write per frame
    int32_t m_Cropped_X = 0;
    int32_t m_Cropped_Y = 0;
    gdi::BITMAPINFOHEADER m_Crop_Info{};
    int16_t m_Base_Quality = 80;
    int16_t m_Quality_In_Use = 80;
    bool m_Compressed = true;
    std::string m_Codec_Text = "Intel";
    bool m_New_Interlaced = false;
    bool m_New_Preview = false;
    std::string m_New_fps = "25";
    std::string m_New_Comment;
    bool m_RGB_Rotated_Setting = false;
    int32_t m_Image_Size = 0;
    int32_t m_Slot_Size = 0;
    std::vector<uint8_t> m_JPEG_Buffer;
    int32_t m_JPEG_Length = 0;
    std::unique_ptr<cDIBSection> m_Capture_Bitmap;
    const std::vector<Captured_Frame>* m_Captured_Frames = nullptr;
    int32_t m_Appended = 0;
    int32_t m_Measured_Sample_Size = 0;
    int64_t m_Pos_After_First = 0;
    int64_t m_Pos_After_Second = 0;
    int64_t m_Length_Before_First = 0;
    int32_t m_DV_frames_appended = 0;
    bool m_File_Initiated = false;
    int32_t m_Segment_Num = 0;
    int32_t m_File_Slot_Size = 0;
    int16_t m_Num_Write_Streams = 0;
    int32_t m_JPG_Smallest = 0;
    int32_t m_JPG_Largest = 0;

    // Bitmaps and drawing objects.
    std::unique_ptr<cDIBSection> m_DIB_Rotate_Source;
    std::unique_ptr<cDIBSection> m_DIB_Rotate_Target;
    std::array<std::unique_ptr<cDIBSection>, 3> m_DIB_Deint_target;
    std::array<std::unique_ptr<cDIBSection>, 3> m_DIB_Deint_source;
    std::unique_ptr<cDIBSection> m_DIB_OL_source;
    std::unique_ptr<cDIBSection> m_DIB_OL_target;
    std::unique_ptr<cDIBSection> m_DIB_OL_first_frame;
    std::vector<std::unique_ptr<cDIBSection>> m_In_Bitmaps;
    bool m_DrawDib_Open = false;
    gdi::HDC m_Screen_HDC = nullptr;
    gdi::HDC m_Display_DC = nullptr;
    gdi::HBITMAP m_Display_Bitmap[2] = {nullptr, nullptr};
    std::pair<int32_t, int32_t> m_Display_Size{0, 0};
    gdi::HGDIOBJ m_Display_DC_Original = nullptr; // the memory DC's own bitmap
    int32_t m_Frame_in_store = 0;
    bool m_Frame_Data_1 = false;
    bool m_Frame_Data_2 = false;

    // Stored settings.
    std::string m_Owner;
    int16_t m_Blend_faktor = 0;
    std::array<int16_t, 3> m_Tolerances{};
    int16_t m_Synch_type = 0;
    int16_t m_Video_Offset = 0;
    int16_t m_flip = 0;
    bool m_has_selrect = false;
    int32_t m_SelRect_left = 0, m_SelRect_top = 0, m_SelRect_right = 0, m_SelRect_bottom = 0;
    int16_t m_impact_pos = 0;
    int16_t m_Model_frame_at_Impact = 0;
    int16_t m_Front_View_Width = 0;
    int16_t m_Front_View_Height = 0;
    std::array<int32_t, 7> m_Bench{};
    int16_t m_DV_data_hours = 0;
    int16_t m_DV_data_minutes = 0;
    std::string m_Hash_atype;
    std::array<int16_t, 6> m_Pos_In_File{};

    // Display, overlays, model synchronisation, benchmarks and analysis.
    void Rotate_Into_Target(cDIBSection& source);
    void Line_Double_Field(const uint8_t* source, cDIBSection& target, int32_t library_field);
    cDIBSection& Pixel_Bitmap() const;
    void Ensure_Overlay_Bitmaps(int32_t width, int32_t height);
    void Decode_Buffered_Frame(cDIBSection& into, int32_t width, int32_t height);
    void Read_Overlay_Frame(int32_t frame);
    // The time of the frame read last from the file's start: its place in a
    // heat file, the frame reader's start time for the other kinds.
    float Frame_Read_Time() const;
    void Blend_Overlay(cDIBSection& new_frame, int16_t mode);
    void Paint_Overlay_Target(gdi::DrawTarget& picture);
    // The benchmark's DV test frame, the program's resource "DV" 102.
    void Load_Bench_DV_Frame();
    bool Decode_Bench_DV_Frame(cDIBSection& into);
    std::vector<uint8_t> m_Bench_DV_Frame;
    bool m_Quiet_Damage = false;
    bool m_Heat_Mark_Seen = false; // the header block read last begins with the heat file's mark
    std::string m_Frame_Damage;
    std::unique_ptr<cDIBSection> m_Decode_Aside; // where a heat file's picture is decoded before it is taken
    int16_t m_Overlay_Mode = 0;
    bool m_OL_Created = false;
    float m_Effective_Time = 0.0f;
    float m_Base_Time = 0.0f;
    int32_t m_eff_fieldno = 0;
    int32_t m_Percentage = 0;
    int16_t m_Trim_Start = 0;
    int16_t m_Trim_End = 0;
    int16_t m_Show_Single_Stream = 0;
    int16_t m_Force_num_Streams = 0;
    bool m_Bench_Prepared = false;
    int32_t m_Last_Draw_Result = 0;

    // DV-based files, AVI files, DV drawing and trace curves.
    std::string AVI_Video_Codec() const;
    bool Decode_DV(cDIBSection* into, gdi::HDC dc, int32_t x, int32_t y, int32_t w, int32_t h, int32_t sx,
                   int32_t sy, int32_t sw, int32_t sh);
    void Read_Frame_Body(int32_t frame, int16_t stream);
    void Check_Frame_Header(const uint8_t* frame, const char* location);
    // Forgets the frame read, the pictures drawn and the index of the file closed.
    void Reset_DV_State();
    // The selection of an "sdv" file, kept in its DV header record.
    int16_t SDV_Selection(bool end) const;
    void SDV_Selection(bool end, int16_t value);
    uint8_t* Trace_Frame_Buffer();
    std::shared_ptr<dv::Decoder> m_DV_Decoder;
    std::shared_ptr<dv::Picture> m_DV_Picture;        // the benchmark's decode
    std::unique_ptr<dv::Recent_Pictures> m_DV_Recent; // the file's frames decoded last
    std::unique_ptr<cDIBSection> m_DV_Decode_DIB;
    std::unique_ptr<cDIBSection> m_DV_Field_DIB;
    std::array<int32_t, 6> m_Luma_Colours{};
    int32_t m_Frame_Luma_1 = 0, m_Frame_Luma_2 = 0;
    bool m_Linear_buffer = false;
    int16_t m_Lap_Count = 0;
    bool m_Golf_Flag = false;
    int32_t m_Channel_Table_Pos = 0;
};
