#include "cls_VideoFile_handler.h"

#include "Cls_XML_header.h"
#include "Dialogs.h"
#include "DvDecoder.h"
#include "Module_canoe.h"
#include "Module_dependant.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "VbConvert.h"
#include "VbString.h"
#include "VbTrap.h"
#include "cDIBSection.h"

#include <algorithm>
#include <unistd.h>

namespace {

// A bitmap without pixels: each takes its size, and its memory, from the
// first file or drawing that needs it.
std::unique_ptr<cDIBSection> Make_DIB(const std::string& id) {
    auto dib = std::make_unique<cDIBSection>();
    dib->ID_string(id);
    return dib;
}

constexpr int64_t kPreread_Chunk = 1048576;

} // namespace

cls_VideoFile_handler::cls_VideoFile_handler(int16_t player_index) : m_index(player_index) {
    New_Readers();
    Send_Trace("* cls_VideoFile_Handler Initialize***, M_index = ", m_index);
    Size_Write_Slot(0);
    m_DrawDib_Open = true;
    m_has_selrect = false;
    // Eight frames of 720 x 576 made here would be cleared for every object,
    // and again whenever a file of another size comes: they are made at the
    // file's size when first needed and kept from file to file.
    m_DIB_Rotate_Source = Make_DIB("obj_DIB_Rotate_Source");
    m_DIB_Rotate_Target = Make_DIB("obj_DIB_Rotate_Target");
    for (int i = 0; i < 3; ++i)
        m_DIB_Deint_target[static_cast<size_t>(i)] =
            Make_DIB("obj_DIB_Deint_target " + std::to_string(i + 1));
    for (int i = 0; i < 3; ++i)
        m_DIB_Deint_source[static_cast<size_t>(i)] =
            Make_DIB("obj_DIB_Deint_source " + std::to_string(i + 1));
    m_Draw_Header = gdi::BITMAPINFOHEADER{};
    m_Draw_Header.biSize = 40;
    m_Draw_Header.biPlanes = 1;
    m_Draw_Header.biSizeImage = static_cast<uint32_t>(m_Frame_Size);
    m_Draw_Header.biWidth = 720;
    m_Draw_Header.biHeight = 576;
    m_Draw_Header.biBitCount = 24;
    m_Draw_Header.biCompression = 0;
    m_Base_Quality = 80;
    m_Compressed = true;
    m_Codec_Text = "Intel";
    // The JPEG buffer is made by the first compression: most objects only read.
}

cls_VideoFile_handler::~cls_VideoFile_handler() {
    Send_Trace("*cls_AVI_handler Terminate***, M_index = ", m_index);
    m_DrawDib_Open = false;
    try {
        if (m_File.Number() > 0) Close_File();
    } catch (...) {
        // An object that goes away cannot hand its error to anyone; the close
        // has reported it where it traps.
    }
    Release_Display_Bitmaps(); // also those of an open that failed
    Send_Trace("*cls_AVI_handler Terminate, end ");
}

void cls_VideoFile_handler::New_Readers() {
    // The frame buffers keep their memory, not their bytes: every open sizes
    // and clears them, and a frame-sized buffer made anew for every file
    // costs its pages again (most of opening a short file).
    std::unique_ptr<QF3_Reader> qf3 = std::make_unique<QF3_Reader>();
    std::unique_ptr<DV_Reader> dv = std::make_unique<DV_Reader>();
    const auto keep = [](std::vector<uint8_t>& old, std::vector<uint8_t>& fresh) {
        old.clear();
        fresh.swap(old);
    };
    if (m_dv) {
        keep(m_dv->Frame_Buffer, dv->Frame_Buffer);
        keep(m_dv->Streams_Buffer, dv->Streams_Buffer);
    }
    if (m_qf3) {
        keep(m_qf3->Read_Record, qf3->Read_Record);
        keep(m_qf3->Spare_Record, qf3->Spare_Record);
    }
    m_qf3 = std::move(qf3);
    m_dv = std::move(dv);
    m_sdv = std::make_unique<SDV_Reader>();
    m_avi = std::make_unique<AVI_Reader>();
    // The frame in store lives in the readers' buffers, which start empty.
    m_Frame_in_store = 0;
}

Cls_XML_header& cls_VideoFile_handler::Header() {
    if (!m_XML_header) m_XML_header = std::make_unique<Cls_XML_header>();
    return *m_XML_header;
}

// ---- Opening ----

bool cls_VideoFile_handler::Open_File(const std::string& file_name, const std::string&) {
    if (!vb::TrappingEnabled()) return Open_File_Body(file_name);
    try {
        return Open_File_Body(file_name);
    } catch (...) {
        const vb::VbError e = vb::ToVbError(std::current_exception());
        if (e.number() == vb::errPermissionDenied) {
            forms::MsgBox("Permission denied!");
        } else {
            forms::MsgBox("File: " + file_name + " Open error! " + "\r\n" + std::to_string(e.number()) + " " +
                          e.description());
        }
        Send_Trace("*OF Open_File_Error");
        Send_Trace("*OF6");
        Send_Trace("*File error ", e.number(), e.description(), e.line());
        m_File.Close();
        return false;
    }
}

bool cls_VideoFile_handler::Open_File_Body(const std::string& file_name) {
    Send_Trace("*cls_AVI_handler Open_file, File_name = ", file_name);
    Close_File();
    New_Readers();
    m_File_Name = file_name;
    m_In_Memory = false;
    if (!FileExists(file_name)) {
        Send_Trace("*OF1, filename = ", file_name);
        return false;
    }
    if (Get_File_Size(file_name) < 100) {
        forms::MsgBox("Corrupt file, (Invalid file length)");
        Send_Trace("*OF2");
        if (g_Compiled) return false;
    }
    m_file_suffix = Get_File_Extension(file_name);
    const std::string upper = vb::UCase(m_file_suffix);
    if (upper != "AVI" && upper != "QF1" && upper != "SDV" && upper != "DV" && upper != "QF3" &&
        upper != "QF2") {
        forms::MsgBox("cls_AVI_handler can't open this file type! " + file_name);
        Send_Trace("*OF3");
        return false;
    }
    m_dv->DV_Extra_Data_Flag = false;
    m_Num_Video_streams = 0;
    m_Read_only = ::access(file_name.c_str(), W_OK) != 0;
    // The overlay bitmaps of the last file are kept for their memory, not
    // their pictures: the overlay starts anew with every file.
    if (!m_DIB_OL_source) m_DIB_OL_source = Make_DIB("obj_DIB_OL_source");
    if (!m_DIB_OL_target) m_DIB_OL_target = Make_DIB("obj_DIB_OL_target");
    if (!m_DIB_OL_first_frame) m_DIB_OL_first_frame = Make_DIB("obj_DIB_OL_first_frame");
    m_OL_Created = false;

    bool opened = false;
    if (Is_Suffix("dv")) {
        opened = Open_DV_Kind();
    } else if (Is_Suffix("sdv")) {
        opened = Open_SDV_Kind();
    } else if (Is_Suffix("qf1") || Is_Suffix("qf2")) {
        opened = Get_QFN_header();
    } else if (Is_Suffix("qf3")) {
        Open_RGB_File();
        opened = m_qf3->RGB_Open_OK;
        if (opened) {
            if (Header().RGB_interlaced()) {
                m_mill_per_frame = 40;
                m_mill_per_field = 20;
            } else {
                m_mill_per_frame = 20;
            }
        } else {
            // A heat file whose headers could not be read is not open: its
            // samples would be read with sizes nobody checked.
            m_File.Close();
        }
    }
    m_Clip_length = m_mill_per_frame * m_Num_Frames;
    if (opened && m_Read_to_Memory) Read_File_to_Memory();
    // DV pictures are 720 x 576 or, for NTSC, 720 x 480: the rotated copy
    // and the frame it is made from follow the file. One of the right size
    // is kept, as every rotation fills it whole. Heat files make theirs when
    // a picture is first drawn; a file that did not open needs none.
    if (opened && !Is_Suffix("qf3") && m_Width > 0 && m_Height > 0) {
        Fit_DIB(*m_DIB_Rotate_Source, m_Width, m_Height);
        Fit_DIB(*m_DIB_Rotate_Target, m_Height, m_Width);
    }
    m_Drive_Letter = file_name.substr(0, 1);
    m_Drive_Type = 3; // a fixed disk: Linux mounts tell no drive letters apart
    return opened;
}

void cls_VideoFile_handler::Open_Read_Write(const std::string& path) {
    m_File.Open(path, video_file_io::Mode::Read_Write);
}

// ---- Closing ----

void cls_VideoFile_handler::Close_File() {
    if (m_File.Number() <= 0) return;
    // The file is closed and the object reset however the header update ends.
    struct Closer {
        cls_VideoFile_handler* self;
        ~Closer() {
            self->m_File.Close();
            self->Reset_After_Close();
        }
    } closer{this};
    vb::Trap("Close_file of Class Module cls_AVI_handler", [&] {
        m_file_suffix = Get_File_Extension(m_File_Name);
        if (Is_Suffix("qf3") && m_Appended > 0) {
            Header_Frames(Header_Frames() + m_Appended);
            m_Appended = 0;
            if (m_Measured_Sample_Size > 0) Header().RGB_Sample_Size(m_Measured_Sample_Size);
            Header().Segments_no(vb::CInt(static_cast<double>(Header().Segments_no()) + 1));
            m_Segment_Num = Header().Segments_no();
            if (m_JPG_Largest > Header().RGB_Compressed_max_Size())
                Header().RGB_Compressed_max_Size(m_JPG_Largest);
            // A writing that never reported its sizes has no smallest picture.
            if (m_JPG_Smallest > 0 && m_JPG_Smallest < Header().RGB_Compressed_min_Size())
                Header().RGB_Compressed_min_Size(m_JPG_Smallest);
            Write_QF3_header();
        }
        if (m_DV_frames_appended > 0) {
            Header_Frames(Header_Frames() + m_DV_frames_appended);
            m_DV_frames_appended = 0;
            Write_XML_Header();
        }
        m_File.Position = 0;
    });
}

void cls_VideoFile_handler::Reset_After_Close() {
    m_Appended = 0;
    m_Width = 0;
    m_Height = 0;
    m_mill_per_frame = 0;
    m_mill_per_field = 0;
    m_Frame_Rate = 0;
    m_Num_Frames = 0;
    m_Num_fields = 0;
    m_Gross_fields = 0;
    m_Clip_length = 0;
    m_video_codec = "0";
    m_file_suffix.clear();
    m_Drive_Letter.clear();
    m_Drive_Type = 0;
    m_Num_Video_streams = 0;
    m_Streams = {};
    m_Pos_Present = {};
    m_Pos_Active = {};
    m_Side_by_Side = 0;
    m_Third_Pos = false;
    if (m_index >= 0 && m_index < 5) g_Player_File_Kind[m_index] = 0;
    m_xCurrent = 0;
    m_Current_Field = 0;
    m_eff_frameno = 0;
    m_Rounded_Capture_Time = 0;
    m_File_Slot_Size = 0;
    m_JPG_Smallest = 0;
    m_JPG_Largest = 0;
    // The display bitmaps stay for the next file: Display_HDC hands them out
    // only while a file is open.
    Reset_DV_State();
    New_Readers();
    m_OL_Created = false;
    Clear_In_Bitmaps();
}

// ---- The header in the file ----

void cls_VideoFile_handler::Write_XML_Header() {
    vb::Trap("Write_XML_header of Class Module cls_AVI_handler", [&] {
        if (!Has_XML_header()) {
            Send_Trace("*Has_XML_header = False");
            return;
        }
        Header().Update_Time(Get_Date_Time_String());
        Header().Update_Program(g_Program_Title);
        Header().XML_string();
        bool opened_here = false;
        if (!m_File.Is_Open()) {
            Open_Read_Write(m_File_Name);
            opened_here = true;
        }
        if (Is_Suffix("qf1") || Is_Suffix("qf2")) {
            const int64_t position = m_File.Position;
            Write_QFN_XML();
            if (opened_here)
                m_File.Close();
            else
                m_File.Position = position;
        } else if (Is_Suffix("qf3")) {
            Write_QF3_header();
        } else if (Is_Suffix("avi")) {
            Write_AVI_XML();
        }
    });
}

void cls_VideoFile_handler::Position_at_End() {
    m_File_Length = m_File.Length();
    m_File.Position = m_File_Length;
}

void cls_VideoFile_handler::Position_after_XML_header() {
    if (m_qf3->After_XML_Pos > 0) m_File.Position = m_qf3->After_XML_Pos - 1;
}

// ---- Renaming, dates, the in-use test ----

bool cls_VideoFile_handler::rename_file(const std::string& new_name) {
    const std::string new_path = ParsePath(m_File_Name, 16) + new_name;
    if (FileExists(new_path)) {
        forms::MsgBox("New file already exists!");
        g_Captures_Stopped = true;
        return false;
    }
    const std::string old_path = m_File_Name;
    Close_File();
    if (!video_file_io::Move_File(old_path, new_path)) {
        Send_Trace("*rename_file, move failed: ", old_path, new_path);
        Write_Event_Log("Rename of " + old_path + " to " + new_path + " failed");
        Open_File(old_path);
        return false;
    }
    Open_File(new_path);
    return true;
}

std::string cls_VideoFile_handler::DateCreated() const {
    return video_file_io::File_Created_Text(m_File_Name);
}

std::string cls_VideoFile_handler::DateLastModified() const {
    return video_file_io::File_Modified_Text(m_File_Name);
}

int32_t cls_VideoFile_handler::IsFileInUse(const std::string& file_name) {
    Send_Trace("*IsFileInUse begin, file =  ", file_name);
    int32_t result;
    if (FileExists(file_name)) {
        Send_Trace("*IsFileInUse 1  ");
        result = video_file_io::File_In_Use(file_name) == -1 ? -1 : 0;
    } else {
        Send_Trace("*IsFileInUse 2  ");
        result = -999;
    }
    Send_Trace("*IsFileInUse end  ");
    return result;
}

// ---- The header document ----

void cls_VideoFile_handler::XML_Header_string(const std::string& text) {
    Header().XML_string(text);
}
std::string cls_VideoFile_handler::XML_Header_string() {
    return Header().XML_string();
}
std::string cls_VideoFile_handler::Get_DOM_string() {
    return Header().Get_DOM_string();
}

void cls_VideoFile_handler::ReCreate_XML_header() {
    // A heat file's header without its picture data could not be read again.
    if (Get_File_Extension(m_File_Name) == "qf3") Header().rgb(true);
    Header().Create_Header();
    Write_XML_Header();
}

// ---- Whole-file reads ----

void cls_VideoFile_handler::Read_File_to_Memory() {
    const int64_t length = m_File.Length();
    m_File_Copy.assign(static_cast<size_t>(length), 0);
    if (StartPreread) StartPreread();
    m_File.Read_At(0, m_File_Copy.data(), length);
    m_In_Memory = true;
    if (EndPreread) EndPreread();
}

void cls_VideoFile_handler::Preread_File() {
    if (!m_File.Is_Open()) return;
    const uint32_t start = Get_Time_Mill();
    const int64_t size = m_File.Length();
    std::vector<uint8_t> chunk(static_cast<size_t>(kPreread_Chunk));
    int64_t position = m_File.Position;
    int64_t chunks = 0;
    while (position < size) {
        const int64_t n = std::min(kPreread_Chunk, size - position);
        m_File.Read_At(position, chunk.data(), n);
        position += n;
        ++chunks;
        // 64-bit: chunks x 1 MB x 100 passes 2^31 from 21 MB on.
        if (Prereadpct && size > 0)
            Prereadpct(static_cast<int16_t>(std::min<int64_t>(100, chunks * kPreread_Chunk * 100 / size)));
    }
    Send_Trace("*File ", m_File_Name, "Pre_read in : ", static_cast<int64_t>(Get_Time_Mill() - start),
               " milliseconds");
}

// ---- Streams ----

void cls_VideoFile_handler::Read_Stream_Info() {
    Send_Trace("*Read_Stream_Info");
    const int16_t n = std::min<int16_t>(m_Num_Video_streams, 5);
    for (int16_t s = 1; s <= n; ++s) {
        Stream_Info& st = m_Streams[static_cast<size_t>(s - 1)];
        st.Active = Header().Stream_Active(s);
        st.Rotated = Header().Stream_rotated(s);
        st.Camera_Pos = Header().Stream_CameraPos(s);
        st.Sel_Bottom = Header().Selection_Rectangle(s, "b");
        st.Sel_Top = Header().Selection_Rectangle(s, "t");
        st.Sel_Left = Header().Selection_Rectangle(s, "l");
        st.Sel_Right = Header().Selection_Rectangle(s, "r");
        st.Sel_Width = vb::CInt(static_cast<double>(st.Sel_Right - st.Sel_Left));
        st.Sel_Height = vb::CInt(static_cast<double>(st.Sel_Bottom - st.Sel_Top));
    }
    // The trimmed range lives in the golf record; other headers have none.
    const bool golf = Header().is_Golf();
    m_Trim_Start = golf ? Header().trimmed_Start_Field() : int16_t{0};
    m_Trim_End = golf ? Header().trimmed_End_Field() : int16_t{0};
}

void cls_VideoFile_handler::Set_Multi_Stream_Size() {
    m_Pos_Present = {};
    m_Pos_Active = {};
    m_Side_by_Side = 0;
    m_Third_Pos = false;
    const int16_t n = std::min<int16_t>(m_Num_Video_streams, 5);
    for (int16_t s = 1; s <= n; ++s) {
        const Stream_Info& st = m_Streams[static_cast<size_t>(s - 1)];
        int16_t pos = st.Camera_Pos > 3 ? int16_t{1} : st.Camera_Pos;
        if (pos < 1) continue;
        m_Pos_Present[static_cast<size_t>(pos - 1)] = true;
        if (st.Active) {
            m_Pos_Active[static_cast<size_t>(pos - 1)] = true;
            if (pos == 1 || pos == 2) ++m_Side_by_Side;
            if (pos == 3) m_Third_Pos = true;
        }
    }
    if (m_Side_by_Side == 1 && m_Pos_Active[0]) {
        const int16_t s = stream_from_pos(1);
        if (s > 0) {
            m_Width = m_Streams[static_cast<size_t>(s - 1)].Sel_Width;
            m_Height = m_Streams[static_cast<size_t>(s - 1)].Sel_Height;
        }
    } else if (m_Side_by_Side == 2) {
        m_Width = vb::CInt(static_cast<double>(m_Streams[0].Sel_Width) + m_Streams[1].Sel_Width);
        m_Height = static_cast<int16_t>(Max_Value(m_Streams[0].Sel_Height, m_Streams[1].Sel_Height));
    }
    if (m_Width == 0) m_Width = 720;
    if (m_Height == 0) m_Height = 576;
}

int16_t cls_VideoFile_handler::stream_from_pos(int16_t camera_pos) const {
    int16_t found = 0;
    const int16_t n = std::min<int16_t>(m_Num_Video_streams, 5);
    for (int16_t s = 1; s <= n; ++s)
        if (m_Streams[static_cast<size_t>(s - 1)].Camera_Pos == camera_pos) found = s;
    return found;
}

void cls_VideoFile_handler::Num_write_streams(int16_t count) {
    m_Num_Write_Streams = count;
    Header().Streams_no(count);
}

// ---- Sizes and counts of a written file ----

void cls_VideoFile_handler::JPG_Sizes(int32_t smallest, int32_t largest) {
    m_JPG_Smallest = smallest;
    m_JPG_Largest = largest;
}

int32_t cls_VideoFile_handler::Largest_JPG() {
    return Header().RGB_Compressed_max_Size();
}
int32_t cls_VideoFile_handler::Smallest_JPG() {
    return Header().RGB_Compressed_min_Size();
}
int16_t cls_VideoFile_handler::Segments_Num() {
    return Header().Segments_no();
}

void cls_VideoFile_handler::Add_Reduced_Quality_num(int16_t count) {
    Header().JPG_Reduced_Qual_num(vb::CInt(static_cast<double>(Header().JPG_Reduced_Qual_num()) + count));
}

std::string cls_VideoFile_handler::DIB_sizes() const {
    const cDIBSection& s = *m_DIB_Deint_source[0];
    const cDIBSection& t = *m_DIB_Deint_target[0];
    return std::to_string(s.Width()) + "," + std::to_string(s.Height()) + " " + std::to_string(t.Width()) +
           "," + std::to_string(t.Height());
}

// ---- Parts of the object that other kinds and the drawing fill in ----

void cls_VideoFile_handler::Fit_DIB(cDIBSection& dib, int32_t width, int32_t height) {
    if (dib.Width() == width && dib.Height() == height && dib.DIBSectionBitsPtr()) return;
    dib.Create(width, height);
}

gdi::HDC cls_VideoFile_handler::Display_HDC() {
    if (!File_open()) return nullptr;
    // Made when first asked for and kept while files of the same size follow.
    if (!m_Display_DC || !m_Display_Bitmap[0] ||
        m_Display_Size != std::pair<int32_t, int32_t>{m_Width, m_Height})
        Make_Display_Bitmaps();
    return m_Display_DC;
}

void cls_VideoFile_handler::Make_Display_Bitmaps() {
    Release_Display_Bitmaps();
    m_Display_DC = gdi::CreateCompatibleDC(m_Screen_HDC);
    m_Display_Size = {m_Width, m_Height};
    if (!m_Display_DC || m_Width <= 0 || m_Height <= 0) return;
    for (auto& bitmap : m_Display_Bitmap)
        bitmap = gdi::CreateCompatibleBitmap(m_Display_DC, m_Width, m_Height);
    m_Display_DC_Original = gdi::SelectObject(m_Display_DC, m_Display_Bitmap[0]);
}

void cls_VideoFile_handler::Release_Display_Bitmaps() {
    // The bitmap leaves the device context before it is deleted: a selected
    // bitmap would be kept.
    if (m_Display_DC && m_Display_DC_Original) gdi::SelectObject(m_Display_DC, m_Display_DC_Original);
    m_Display_DC_Original = nullptr;
    for (auto& bitmap : m_Display_Bitmap) {
        if (bitmap) gdi::DeleteObject(bitmap);
        bitmap = nullptr;
    }
    if (m_Display_DC) gdi::DeleteDC(m_Display_DC);
    m_Display_DC = nullptr;
}
void cls_VideoFile_handler::Stop_All_Captures() {
    ::Stop_All_Captures();
}

void cls_VideoFile_handler::Stop_All_Captures_For_File() {
    Stop_All_Captures();
    g_Captures_Stopped = true;
    Flush_DV_events();
}
