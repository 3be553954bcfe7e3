// Writing heat files: creating them with their header block, appending one
// sample record per captured frame, and the settings a new header takes.
#include "cls_VideoFile_handler.h"

#include "Cls_XML_header.h"
#include "Dialogs.h"
#include "Module_dependant.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "VbConvert.h"
#include "VbError.h"
#include "VbString.h"
#include "VbTrap.h"
#include "XmlDom.h"
#include "cDIBSection.h"
#include "mIntelJPEGLibrary.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kJPEG_Buffer_Size = 1000000;

void Put_Marker(uint8_t* at, const char* marker) {
    std::memcpy(at, marker, 4);
}
template <class T> void Put(uint8_t* record, size_t offset, T value) {
    std::memcpy(record + offset, &value, sizeof value);
}

} // namespace

void cls_VideoFile_handler::Create_File() {
    vb::TrapAlways(
        [&] {
            m_File.Open(m_File_Name, video_file_io::Mode::Create_New);
            m_file_suffix = Get_File_Extension(m_File_Name);
            m_Segment_Num = 0;
            m_Appended = 0;
            m_Measured_Sample_Size = 0;
            m_File_Slot_Size = 0;
        },
        [&](const vb::VbError& e) {
            g_Captures_Stopped = true;
            m_File.Close();
            forms::MsgBox("File error! Check capture folder! \r\n" + std::to_string(e.number()) + " " +
                          e.description());
        });
}

void cls_VideoFile_handler::Cropped_Y(int32_t height) {
    m_Cropped_Y = height;
    if (!m_Capture_Bitmap) m_Capture_Bitmap = std::make_unique<cDIBSection>();
    m_Capture_Bitmap->Create(m_Cropped_X, m_Cropped_Y);
    m_Crop_Info = gdi::BITMAPINFOHEADER{};
    m_Crop_Info.biWidth = m_Cropped_X;
    m_Crop_Info.biHeight = m_Cropped_Y;
    m_Crop_Info.biSize = 40;
    m_Crop_Info.biSizeImage = static_cast<uint32_t>(m_Capture_Bitmap->SizeImage());
    m_Crop_Info.biBitCount = 24;
    m_Crop_Info.biPlanes = 1;
}

void cls_VideoFile_handler::Create_QF3_header() {
    Send_Trace("*Create_QF3_header");
    Header().rgb(true);
    Header().Create_Header();
    Header().RGB_X(vb::CInt(static_cast<double>(m_Cropped_X)));
    Header().RGB_Y(vb::CInt(static_cast<double>(m_Cropped_Y)));
    Header().RGB_interlaced(m_New_Interlaced);
    Header().RGB_preview_on(m_New_Preview);
    Header().RGB_JPEG_Quality(vb::CStr(m_Base_Quality));
    Header().RGB_fps(m_New_fps);
    Header().RGB_Rotated(m_RGB_Rotated_Setting);
    Header().File_comment1(m_New_Comment);
    if (!m_Compressed) {
        Header().RGB_Image_Size(m_Image_Size);
    } else {
        Header().RGB_fourcc(m_Codec_Text == "Intel" ? "IJL" : "MJPG");
        Header().RGB_JPEG_Codec(m_Codec_Text);
    }
    Send_Trace("Write_QF3_Header m_File_Name = : ", m_File_Name);
    if (!m_File.Is_Open()) Open_Read_Write(m_File_Name);
    Write_QF3_header();
    m_File.Close();
}

void cls_VideoFile_handler::Initiate_QF3_File(int32_t) {
    Send_Trace("*Initiate_QF3_File");
    m_JPEG_Length = 0;
    Size_Write_Slot(0);
    Create_QF3_header();
}

void cls_VideoFile_handler::Write_QF3_header() {
    if (!m_File.Is_Open()) return;
    vb::Trap("Write_QF3_header of Class Module cls_VideoFile_handler", [&] { Write_QF3_header_Body(); });
}

void cls_VideoFile_handler::Write_QF3_header_Body() {
    const std::string text = vb::ToLatin1(Header().XML_string());
    // A header that no longer fits its field is refused before anything is
    // written: the block on disk keeps the last header that did fit, with
    // every result in it.
    if (text.size() > static_cast<size_t>(qf3::kXML_Field_Size))
        vb::Raise(59, "The header of " + m_File_Name + " has grown to " + std::to_string(text.size()) +
                          " characters, more than the " + std::to_string(qf3::kXML_Field_Size) +
                          " its block holds; the header in the file is left as it was");
    auto block = std::make_unique<qf3::Header_Block>();
    std::memset(block.get(), 0, sizeof(qf3::Header_Block));
    std::memcpy(block->Magic, "QFN3", 4);
    block->Block_Length = qf3::kBlock_Size;
    block->XML_Length = static_cast<int32_t>(text.size());
    std::memcpy(block->XML_Text, text.data(), text.size());
    std::memcpy(block->End_Magic, "QFNX", 4);
    m_File.Write_At(0, block.get(), qf3::kBlock_Size);
    m_qf3->After_XML_Pos = qf3::kBlock_Size + 1;
}

void cls_VideoFile_handler::Size_Write_Slot(int32_t slot_size) {
    if (slot_size < 0 || slot_size > qf3::kMax_Slot_Size)
        vb::Raise(vb::errInvalidProcedureCall, "Slot size " + std::to_string(slot_size) +
                                                   " is outside 0 to " + std::to_string(qf3::kMax_Slot_Size));
    m_Slot_Size = slot_size;
    m_Write_Record.assign(static_cast<size_t>(slot_size) + qf3::kRecord_Overhead, 0);
    uint8_t* r = m_Write_Record.data();
    Put_Marker(r, "RGBS");
    Put_Marker(r + offsetof(qf3::Sample_Head, Middle_Marker), "RGBE");
    Put<int16_t>(r, offsetof(qf3::Sample_Head, Slot_Dimensions), 1);
    Put<int32_t>(r, offsetof(qf3::Sample_Head, Slot_Count), slot_size);
    Put<int32_t>(r, offsetof(qf3::Sample_Head, Slot_Lower_Bound), 1);
    Put_Marker(r + qf3::kRecord_Head_Size + slot_size, "RGBF");
}

void cls_VideoFile_handler::Set_JPG_Maxsize(int32_t slot_size) {
    if (slot_size == 0) Stop_All_Captures_For_File();
    // Records appended later keep the size the file's records already have:
    // the reader finds record n by arithmetic.
    if (m_File_Slot_Size > 0 && slot_size != m_File_Slot_Size) {
        Send_Trace("*Set_JPG_Maxsize, the file's records keep their slot of ", m_File_Slot_Size,
                   " bytes, not ", slot_size);
        slot_size = m_File_Slot_Size;
    }
    Size_Write_Slot(slot_size);
    Header().RGB_Compressed_buffer_Size(slot_size);
}

void cls_VideoFile_handler::Append_Compressed_RGB_Frame(int32_t capture_local, int32_t capture_mill,
                                                        int32_t capture_delta, int16_t quality,
                                                        int32_t jpeg_length, const uint8_t* jpeg,
                                                        int32_t capture_events) {
    vb::Trap("Append_Compressed_RGB_Frame of Class Module cls_VideoFile_handler", [&] {
        if (!m_File.Is_Open()) {
            Stop_All_Captures_For_File();
            vb::Raise(vb::errBadFileNameOrNumber,
                      "Bad file name or number: no heat file is open for writing");
        }
        if (m_File_Slot_Size > 0 && m_Slot_Size != m_File_Slot_Size) Size_Write_Slot(m_File_Slot_Size);
        // A picture longer than the slot would overrun the record and every
        // record after it; it is left out and said so.
        if (jpeg_length < 0 || jpeg_length > m_Slot_Size || (jpeg_length > 0 && !jpeg)) {
            Send_Trace("*Append_Compressed_RGB_Frame, JPEG of ", jpeg_length,
                       " bytes does not fit the slot of ", m_Slot_Size, " bytes, frame skipped");
            Write_Event_Log("Frame skipped in " + m_File_Name + ": JPEG of " + std::to_string(jpeg_length) +
                            " bytes, slot of " + std::to_string(m_Slot_Size));
            return;
        }
        uint8_t* r = m_Write_Record.data();
        Put<int32_t>(r, offsetof(qf3::Sample_Head, Capture_Mill), capture_mill);
        Put<int32_t>(r, offsetof(qf3::Sample_Head, Capture_Delta), capture_delta);
        Put<int32_t>(r, offsetof(qf3::Sample_Head, Capture_Local), capture_local);
        Put<int16_t>(r, offsetof(qf3::Sample_Head, Quality), quality);
        Put<int32_t>(r, offsetof(qf3::Sample_Head, JPEG_Length), jpeg_length);
        Put<int32_t>(r, offsetof(qf3::Sample_Head, Capture_Events), capture_events);
        if (jpeg_length > 0) std::memcpy(r + qf3::kRecord_Head_Size, jpeg, static_cast<size_t>(jpeg_length));
        Write_Record();
    });
}

void cls_VideoFile_handler::Write_Record() {
    m_File.Write_At(m_File.Position, m_Write_Record.data(), static_cast<int64_t>(m_Write_Record.size()));
    m_File.Position += static_cast<int64_t>(m_Write_Record.size());
    ++m_Appended;
    if (m_File_Slot_Size == 0) m_File_Slot_Size = m_Slot_Size;
    if (m_Appended == 1) {
        m_Pos_After_First = m_File.Position;
    } else if (m_Appended == 2) {
        m_Pos_After_Second = m_File.Position;
        m_Measured_Sample_Size = static_cast<int32_t>(m_Pos_After_Second - m_Pos_After_First);
        Header().RGB_Sample_Size(m_Measured_Sample_Size);
    }
}

void cls_VideoFile_handler::Calculate_Compressed_Size(const std::vector<Captured_Frame>& frames) {
    m_Captured_Frames = &frames;
    const int32_t count = static_cast<int32_t>(frames.size());
    const int32_t items[3] = {count - 1, vb::CLng(count / 2.0), 2};
    m_Quality_In_Use = m_Base_Quality;
    if (!m_Compressed) return;
    int32_t largest = 0;
    if (m_Codec_Text == "Intel") {
        for (int32_t item : items) {
            if (item < 1 || item > count) continue;
            m_JPEG_Length = 0;
            Compress_Frame(item, m_Base_Quality);
            largest = std::max(largest, m_JPEG_Length);
        }
    }
    const int32_t slot = static_cast<int32_t>((largest + 5500) / 1000) * 1000;
    Size_Write_Slot(m_File_Slot_Size > 0 ? m_File_Slot_Size : slot);
    Header().RGB_Image_Size(m_Slot_Size);
    Write_XML_Header();
}

void cls_VideoFile_handler::Compress_Frame(int32_t item, int16_t quality) {
    vb::Trap("Compress_Frame of Class Module Class_RGB_file_handler", [&] {
        m_Crop_Info.biSize = 40;
        m_Crop_Info.biWidth = m_Cropped_X;
        m_Crop_Info.biHeight = m_Cropped_Y;
        m_Crop_Info.biPlanes = 1;
        m_Crop_Info.biBitCount = 24;
        m_Crop_Info.biCompression = 0;
        if (m_Codec_Text != "Intel") return;
        if (!m_Captured_Frames || item < 1 || item > static_cast<int32_t>(m_Captured_Frames->size()))
            vb::Raise(vb::errSubscriptOutOfRange, "No captured frame " + std::to_string(item));
        if (!m_Capture_Bitmap || !m_Capture_Bitmap->DIBSectionBitsPtr())
            vb::Raise(vb::errObjectNotSet, "The crop size was not set before compressing");
        const Captured_Frame& frame = (*m_Captured_Frames)[static_cast<size_t>(item - 1)];
        if (!frame.Video_Adress)
            vb::Raise(vb::errObjectNotSet, "Captured frame " + std::to_string(item) + " has no pixels");
        m_DrawDib_Open = true;
        m_Crop_Info.biSizeImage = static_cast<uint32_t>(m_Capture_Bitmap->SizeImage());
        std::memcpy(m_Capture_Bitmap->DIBSectionBitsPtr(), frame.Video_Adress,
                    static_cast<size_t>(m_Capture_Bitmap->SizeImage()));
        if (m_JPEG_Buffer.empty()) m_JPEG_Buffer.resize(kJPEG_Buffer_Size);
        int32_t size = static_cast<int32_t>(m_JPEG_Buffer.size()) - 1;
        Save_JPG_To_Buffer(*m_Capture_Bitmap, m_JPEG_Buffer.data(), size, quality);
        m_JPEG_Length = size;
    });
}

void cls_VideoFile_handler::Append_RGB_Frame(int32_t item) {
    vb::Trap("append_RGB_frame of cls_avi_handler", [&] {
        if (!m_File.Is_Open()) {
            Open_Read_Write(m_File_Name);
            Read_QF3_Headers_Body();
            m_File_Slot_Size = Read_File_Slot();
            m_File_Length = m_File.Length();
            m_File.Position = m_File_Length;
        }
        if (!m_Captured_Frames || item < 1 || item > static_cast<int32_t>(m_Captured_Frames->size()))
            vb::Raise(vb::errSubscriptOutOfRange, "No captured frame " + std::to_string(item));
        if (m_File_Slot_Size > 0 && m_Slot_Size != m_File_Slot_Size) Size_Write_Slot(m_File_Slot_Size);
        const Captured_Frame& frame = (*m_Captured_Frames)[static_cast<size_t>(item - 1)];
        uint8_t* r = m_Write_Record.data();
        Put<int32_t>(r, offsetof(qf3::Sample_Head, Capture_Local), frame.Capture_Local);
        Put<int32_t>(r, offsetof(qf3::Sample_Head, Capture_Mill), frame.Capture_Mill);
        Put<int32_t>(r, offsetof(qf3::Sample_Head, Capture_Delta), frame.Capture_Delta);
        int16_t q = m_Base_Quality;
        for (;;) {
            m_JPEG_Length = 0;
            Compress_Frame(item, q);
            if (m_JPEG_Length > 0 && m_JPEG_Length <= m_Slot_Size) break;
            Send_Trace("*Append_RGB_Frame, lowering quality");
            const int16_t lower = vb::CInt(q * 0.85);
            // From 3 on the next step is 3 again: a frame that does not fit
            // even there is left out rather than looped on for ever.
            if (lower == q || m_JPEG_Length <= 0) {
                Send_Trace("*Append_RGB_Frame, frame ", item, " does not fit the slot of ", m_Slot_Size,
                           " bytes even at quality ", q, ", frame skipped");
                return;
            }
            q = lower;
        }
        m_Quality_In_Use = q;
        Put<int16_t>(r, offsetof(qf3::Sample_Head, Quality), q);
        Put<int32_t>(r, offsetof(qf3::Sample_Head, JPEG_Length), m_JPEG_Length);
        std::memcpy(r + qf3::kRecord_Head_Size, m_JPEG_Buffer.data(), static_cast<size_t>(m_JPEG_Length));
        if (m_Appended == 0) m_Length_Before_First = m_File.Length();
        Write_Record();
        if (m_Appended == 1 && m_Measured_Sample_Size == 0) {
            Close_File();
            m_Measured_Sample_Size = static_cast<int32_t>(Get_File_Size(m_File_Name) - m_Length_Before_First);
        }
    });
}

void cls_VideoFile_handler::Measured_fps(int16_t fps) {
    Header().RGB_fps(vb::CStr(fps));
}
int16_t cls_VideoFile_handler::Measured_fps() {
    return vb::CInt(vb::Val(Header().RGB_fps()));
}
void cls_VideoFile_handler::RGB_fourcc(const std::string& value) {
    Header().RGB_fourcc(value);
}
void cls_VideoFile_handler::RGB_Max_Seen_size(const std::string& value) {
    Header().RGB_Max_Seen_size(value);
}
std::string cls_VideoFile_handler::RGB_Max_Seen_size() {
    return Header().RGB_Max_Seen_size();
}
void cls_VideoFile_handler::RGB_Comp_Threshold(const std::string& value) {
    Header().RGB_Comp_Threshold(value);
}
std::string cls_VideoFile_handler::RGB_Comp_Threshold() {
    return Header().RGB_Comp_Threshold();
}
void cls_VideoFile_handler::Set_RGB_interlaced(bool value) {
    Header().RGB_interlaced(value);
}
bool cls_VideoFile_handler::RGB_interlaced() {
    return Header().RGB_interlaced();
}

// ---- The header's frame count, past 32767 frames ----

int32_t cls_VideoFile_handler::Header_Frames() {
    try {
        return Header().Frames_no();
    } catch (const vb::VbError& e) {
        if (e.number() != vb::errOverflow) throw;
    }
    xmldom::DOMDocument60 doc;
    doc.loadXML(Header().XML_string());
    const xmldom::Node node = doc.selectSingleNode("//num_frames");
    if (!node) vb::Raise(vb::errObjectNotSet);
    return vb::CLng(node.text());
}

void cls_VideoFile_handler::Header_Frames(int32_t count) {
    if (count >= -32768 && count <= 32767) {
        Header().Frames_no(static_cast<int16_t>(count));
        return;
    }
    // The header's own field is written as decimal text of any width; only
    // its accessor is 16-bit, so a long heat goes through the text.
    xmldom::DOMDocument60 doc;
    doc.loadXML(Header().XML_string());
    xmldom::Node node = doc.selectSingleNode("//num_frames");
    if (!node) vb::Raise(vb::errObjectNotSet);
    node.setText(std::to_string(count));
    Header().XML_string(doc.xml());
}
