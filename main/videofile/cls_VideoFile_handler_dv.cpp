// The DV-based kinds ("dv", "qf1", "qf2"), AVI chunks and index, DV frame and
// field drawing, the DV extra data block and the trace record in DV frames.
#include "Cls_XML_header.h"
#include "DV_Timecode_module.h"
#include "Dialogs.h"
#include "DvDecoder.h"
#include "Ijl.h"
#include "Module_OrvelGraphics.h"
#include "Module_dependant.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "QF3_format.h"
#include "VbConvert.h"
#include "VbError.h"
#include "VbTrap.h"
#include "clsAVIInfo.h"
#include "cls_VideoFile_handler.h"

#include "Module_diagnostics.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <unistd.h>

namespace {

constexpr int32_t kDV_Frame = 144000;
// The "qf1"/"qf2" layout: record, header text, end marker at a fixed place.
constexpr int32_t kQFN_Record = 20;
constexpr int64_t kQFN_Marker_Offset = 99999;
constexpr int32_t kQFN_Header_Length = 100005;
constexpr int32_t kQFN_Max_XML = 99979;
// A sample holds one DV frame per camera; the stream table has five entries.
constexpr int16_t kMax_Streams = 5;
constexpr int32_t kTrace_Offset = 48008;
constexpr int32_t kTrace_Size = 88;
constexpr uint32_t kSRCCOPY = 13369376;

using video_file_io::Get16;
using video_file_io::Get32;
using video_file_io::Put16;
using video_file_io::Put32;

[[noreturn]] void Corrupt(const std::string& what) {
    vb::Raise(vb::errInputPastEnd, "Corrupt file, (" + what + ")");
}

int32_t Whole(double v) {
    return static_cast<int32_t>(std::nearbyint(v));
}

} // namespace

// ---- Opening the DV-based kinds ----

bool cls_VideoFile_handler::Open_DV_Kind() {
    m_dv->Raw_DV = true;
    find_DV_offset(m_File_Name);
    // The first frame's header block and packs, wherever the DV data begins.
    {
        video_file_io::File f;
        f.Open(m_File_Name, video_file_io::Mode::Read);
        std::vector<uint8_t> head(480, 0);
        const int64_t got = f.Read_At(m_dv->DV_Offset, head.data(), 480);
        if (got < 480) Corrupt("DV frame cut off");
        if (dv::Frame_Size_Of(head.data(), head.size()) == 0) Corrupt("no DV header");
        DV_Header_Parse(head.data(), head.size());
    }
    if (g_DV.DV_System == 60) {
        m_Frame_Size = 120000;
        m_NTSC = true;
        m_Width = 720;
        m_Height = 480;
        m_mill_per_frame = 33;
        m_mill_per_field = 16;
        m_Frame_Rate = 30;
    } else {
        m_Frame_Size = kDV_Frame;
        m_NTSC = false;
        m_Width = 720;
        m_Height = 576;
        m_mill_per_frame = 40;
        m_mill_per_field = 20;
        m_Frame_Rate = 25;
    }
    m_dv->Frame_Buffer.assign(static_cast<size_t>(m_Frame_Size), 0);
    m_dv->Streams_Buffer.assign(static_cast<size_t>(m_Frame_Size), 0);
    m_video_codec.clear();
    m_Num_Video_streams = 1;
    const int64_t length = Get_File_Size(m_File_Name);
    m_Num_Frames = Whole(static_cast<double>(length) / m_Frame_Size);
    // A frame cut off at the end is no frame: it would decode from zeros.
    if (static_cast<int64_t>(m_Num_Frames) * m_Frame_Size > length)
        m_Num_Frames = static_cast<int32_t>(length / m_Frame_Size);
    if (m_Num_Frames < 1) Corrupt("no whole DV frame");
    m_num_Calculated_frames = m_Num_Frames;
    m_Num_fields = 2 * m_Num_Frames;
    m_Gross_fields = m_Num_fields;
    m_Draw_Header.biWidth = m_Width;
    m_Draw_Header.biHeight = m_Height;
    m_Draw_Header.biCompression = 0;
    m_Draw_Header.biSizeImage = static_cast<uint32_t>(m_Frame_Size);
    m_File.Open(m_File_Name, m_Read_only ? video_file_io::Mode::Read : video_file_io::Mode::Read_Write);
    m_dv->DV_Picture_Frame = 0;
    return true;
}

bool cls_VideoFile_handler::Get_QFN_header() {
    m_dv->Raw_DV = false;
    m_dv->Stream_Buffer = true;
    m_File.Open(m_File_Name, m_Read_only ? video_file_io::Mode::Read : video_file_io::Mode::Read_Write);
    m_Is_Deinterlaced = false;
    m_Frame_Size = kDV_Frame;
    m_NTSC = false;
    m_Width = 720;
    m_Height = 576;
    m_dv->DV_Picture_Frame = 0;
    const bool read = vb::Trap("Get_QFN_header of Class Module cls_AVI_handler", [&] {
        const int64_t length = m_File.Length();
        if (m_File.Read_At(0, m_dv->QFN_Header.data(), kQFN_Record) < kQFN_Record)
            Corrupt("QFN1 record cut off");
        m_dv->After_QFN_Record = kQFN_Record + 1;
        const int32_t xml_len = Get32(m_dv->QFN_Header.data() + 12);
        const int32_t header_len = Get32(m_dv->QFN_Header.data() + 4);
        if (xml_len < 0 || xml_len > kQFN_Max_XML || kQFN_Record + static_cast<int64_t>(xml_len) > length)
            Corrupt("Invalid XML length " + std::to_string(xml_len));
        if (header_len < kQFN_Record + xml_len || header_len > length)
            Corrupt("Invalid header length " + std::to_string(header_len));
        m_dv->QFN_Header_Len = header_len;
        m_dv->QFN_XML.assign(static_cast<size_t>(xml_len), 0);
        m_File.Read_At(kQFN_Record, m_dv->QFN_XML.data(), xml_len);
        m_dv->After_QFN_XML = kQFN_Record + 1 + xml_len;
        Header().XML_string(Bytes_to_String(m_dv->QFN_XML));
    });
    if (!read) {
        m_File.Close();
        return false;
    }
    m_Num_Video_streams = Header().Streams_no();
    if (m_Num_Video_streams == 0) {
        Close_File();
        return false;
    }
    if (m_Num_Video_streams < 0 || m_Num_Video_streams > kMax_Streams) {
        const int16_t streams = m_Num_Video_streams;
        m_Num_Video_streams = 0;
        vb::Trap("Get_QFN_header of Class Module cls_AVI_handler",
                 [&] { Corrupt("Invalid number of streams " + std::to_string(streams)); });
        Close_File();
        return false;
    }
    Read_Stream_Info();
    const int64_t sample = static_cast<int64_t>(m_Num_Video_streams) * m_Frame_Size;
    const int64_t frame_bytes = m_File.Length() - m_dv->QFN_Header_Len;
    m_num_Calculated_frames = Whole(static_cast<double>(frame_bytes) / kDV_Frame);
    m_Num_Frames = Header_Frames();
    // The header's count never reaches past the samples the file holds (a
    // capture cut short, or a damaged count).
    const int32_t whole_samples = static_cast<int32_t>(frame_bytes / sample);
    if (m_Num_Frames > whole_samples || m_Num_Frames < 0) {
        Send_Trace("*Get_QFN_header, frames in header: ", m_Num_Frames, " in file: ", whole_samples);
        m_Num_Frames = whole_samples;
    }
    m_Num_fields = 2 * m_Num_Frames;
    m_Gross_fields = m_Num_fields;
    m_dv->Frame_Buffer.assign(static_cast<size_t>(m_Frame_Size), 0);
    m_dv->Streams_Buffer.assign(static_cast<size_t>(sample), 0);
    m_video_codec = "CDVC";
    m_mill_per_frame = 40;
    m_mill_per_field = 20;
    m_Frame_Rate = 25;
    if (m_Draw_Header.biBitCount == 0) m_Draw_Header.biBitCount = 24;
    m_Draw_Header.biWidth = 720;
    m_Draw_Header.biHeight = 576;
    m_Draw_Header.biSizeImage = static_cast<uint32_t>(m_Frame_Size);
    return true;
}

void cls_VideoFile_handler::Get_QF3_header() {
    const int32_t xml_len = Get32(m_dv->QFN_Header.data() + 12);
    if (xml_len < 0 || xml_len > kQFN_Max_XML) Corrupt("Invalid XML length " + std::to_string(xml_len));
    std::vector<uint8_t> text(static_cast<size_t>(xml_len), 0);
    m_File.Read_At(m_File.Position, text.data(), xml_len);
    m_File.Position += xml_len;
    Header().XML_string(Bytes_to_String(text));
}

int32_t cls_VideoFile_handler::QFN_Header_Length() const {
    return Get32(m_dv->QFN_Header.data() + 4);
}
int32_t cls_VideoFile_handler::QFN_XML_Length() const {
    return Get32(m_dv->QFN_Header.data() + 12);
}

// ---- Writing the record, the header text and the end marker ----

void cls_VideoFile_handler::Write_QFN_header() {
    if (!m_File.Is_Open()) return;
    std::memcpy(m_dv->QFN_Header.data(), "QFN1", 4);
    m_File.Write_At(0, m_dv->QFN_Header.data(), kQFN_Record);
    m_dv->After_QFN_Record = kQFN_Record + 1;
}

void cls_VideoFile_handler::Write_QFN_XML() {
    const std::string text = Header().XML_string();
    // Past 99979 bytes the text would overwrite the end marker and the first
    // frame: such a header is refused and the file keeps the one it had.
    if (text.size() > static_cast<size_t>(kQFN_Max_XML))
        vb::Raise(vb::errInvalidProcedureCall, "Header text of " + std::to_string(text.size()) +
                                                   " bytes does not fit before the end marker");
    m_File.Write_At(kQFN_Record, text.data(), static_cast<int64_t>(text.size()));
    m_dv->After_QFN_XML = kQFN_Record + 1 + static_cast<int64_t>(text.size());
    Put32(m_dv->QFN_Header.data() + 12, static_cast<int32_t>(text.size()));
    Write_QFN_header();
}

void cls_VideoFile_handler::Add_Header_padding() {
    m_File.Write_At(kQFN_Marker_Offset, "hdrend", 6);
    m_File.Position = kQFN_Marker_Offset + 6;
    Put32(m_dv->QFN_Header.data() + 4, static_cast<int32_t>(m_File.Position));
    m_dv->QFN_Header_Len = static_cast<int32_t>(m_File.Position);
    Write_QFN_header();
}

void cls_VideoFile_handler::Write_QFN_header_len() {
    Put32(m_dv->QFN_Header.data() + 4, static_cast<int32_t>(m_File.Position));
    Write_QFN_header();
}

void cls_VideoFile_handler::Initiate_QFN_File() {
    vb::Trap("Initiate_QFN_File of Class Module cls_AVI_handler", [&] {
        if (!m_File.Is_Open()) Open_Read_Write(m_File_Name);
        m_file_suffix = Get_File_Extension(m_File_Name);
        m_dv->QFN_Header.fill(0);
        Header().Create_Header();
        if (Header().Streams_no() < 1) Header().Streams_no(1);
        Write_QFN_XML();
        Add_Header_padding();
        m_DV_frames_appended = 0;
        m_File_Initiated = true;
    });
}

void cls_VideoFile_handler::Write_AVI_XML() {
    // The text goes into the header chunk the file has; appending one is
    // Append_XML_header's, which builds the document anew.
    if (m_avi->Chunk_Address[0] == 0) return;
    const int64_t at = m_avi->Chunk_Address[0] - 1;
    uint8_t head[8] = {};
    m_File.Read_At(at, head, 8);
    const int32_t size = Get32(head + 4);
    if (size < 0 || at + 8 + static_cast<int64_t>(size) > m_File.Length())
        Corrupt("Invalid XML chunk size " + std::to_string(size));
    // The header text is held to the heat file's cap: no station writes more.
    if (size > qf3::kXML_Field_Size)
        Corrupt("XML chunk of " + std::to_string(size) + " bytes is above the cap of " +
                std::to_string(qf3::kXML_Field_Size));
    std::string text = Header().XML_string();
    if (text.size() > static_cast<size_t>(size))
        vb::Raise(vb::errInvalidProcedureCall, "Header text of " + std::to_string(text.size()) +
                                                   " bytes does not fit its chunk of " +
                                                   std::to_string(size));
    text.resize(static_cast<size_t>(size), ' ');
    m_File.Write_At(at + 8, text.data(), size);
}

// ---- Appending DV frames ----

void cls_VideoFile_handler::Check_Frame_Header(const uint8_t* frame, const char* location) {
    if (!g_Compiled && !Check_DV_Header(frame)) Send_Trace("*", location, ", no DV header in frame");
}

void cls_VideoFile_handler::Append_DV_frame(const uint8_t* frame) {
    vb::Trap("append_dv_frame of cls_avi_handler", [&] {
        if (!frame) vb::Raise(vb::errInvalidProcedureCall, "No DV frame");
        Check_Frame_Header(frame, "Append_DV_frame");
        if (!m_File.Is_Open()) Get_QFN_header();
        if (!m_File.Is_Open()) vb::Raise(vb::errBadFileNameOrNumber, "File not open: " + m_File_Name);
        const int64_t end = m_File.Length();
        // Frames go behind the end marker, never over the header block.
        m_File.Position = std::max<int64_t>(end, kQFN_Header_Length);
        m_File.Write_At(m_File.Position, frame, kDV_Frame);
        m_File.Position += kDV_Frame;
        ++m_DV_frames_appended;
        DV_Header_Parse(frame);
        const int32_t received = DV_Timecode_Frame();
        if (received > 10) {
            const int32_t expected = m_dv->Last_TC_Frame + 1;
            // The first frame of an append has nothing to follow.
            if (m_dv->Last_TC_Frame > 0 && expected != received)
                Send_Trace("Expected DV frame ", expected, " Received frame ", received);
            m_dv->Last_TC_Frame = received;
        }
    });
}

void cls_VideoFile_handler::Write_DV_frame(const uint8_t* frame) {
    vb::Trap("write_dv_frame of cls_avi_handler", [&] {
        if (!frame) vb::Raise(vb::errInvalidProcedureCall, "No DV frame");
        Check_Frame_Header(frame, "Write_DV_frame");
        m_File.Write_At(m_File.Position, frame, kDV_Frame);
        m_File.Position += kDV_Frame;
    });
}

// ---- AVI: the header reader, the chunk walk and the index ----

bool cls_VideoFile_handler::Read_AVI_Info(const std::string& file_name) {
    if (!m_avi->AVI_Info) m_avi->AVI_Info = std::make_shared<clsAVIInfo>();
    return m_avi->AVI_Info->ReadFile(file_name);
}

std::string cls_VideoFile_handler::AVI_Video_Codec() const {
    return m_avi->AVI_Info ? m_avi->AVI_Info->VideoCodec() : std::string{};
}

void cls_VideoFile_handler::Parse_Chunks() {
    Send_Trace("*cls_AVI_handler, ParseChunks");
    uint8_t riff[12] = {};
    if (m_File.Read_At(0, riff, 12) < 12) Corrupt("RIFF header cut off");
    const int64_t riff_size = Get32(riff + 4);
    const int64_t length = m_File.Length();
    m_avi->Chunk_Address.fill(0);
    int64_t pos = 13;
    while (pos < riff_size && pos <= length) {
        uint8_t head[8] = {};
        if (m_File.Read_At(pos - 1, head, 8) < 8) break; // header cut off by the end of the file
        const int64_t read_pos = pos + 8;
        const int32_t size = Get32(head + 4);
        // A negative size would walk backwards for ever.
        if (size < 0) Corrupt("Invalid chunk size " + std::to_string(size));
        const int64_t next = read_pos + size;
        const std::string tag(reinterpret_cast<const char*>(head), 4);
        const int32_t here = static_cast<int32_t>(pos);
        if (tag == "JUNK" || tag == "JUNQ") {
            m_avi->Junk_Address = static_cast<int32_t>(read_pos);
            m_avi->JUNK_pos = m_avi->Junk_Address;
        } else if (tag.size() == 4 && tag.compare(0, 3, "ORA") == 0 && tag[3] >= '1' && tag[3] <= '5') {
            m_avi->Chunk_Address[static_cast<size_t>(tag[3] - '0')] = here;
        } else if (tag == "ORHD") {
            m_avi->Chunk_Address[6] = here;
        } else if (tag == "QFXM") {
            m_avi->Chunk_Address[0] = here;
            m_avi->XML_chunk_pos = here;
            read_AVI_XML_string();
        } else if (tag == "idx1") {
            m_avi->Chunk_Address[7] = here;
        }
        if (next > INT32_MAX) vb::Raise(vb::errOverflow);
        pos = next;
    }
    Send_Trace("*cls_AVI_handler, ParseChunks, end");
}

void cls_VideoFile_handler::read_AVI_XML_string() {
    uint8_t head[8] = {};
    const int64_t at = m_avi->Chunk_Address[0] - 1;
    m_File.Read_At(at, head, 8);
    const int32_t size = Get32(head + 4);
    if (size < 0 || at + 8 + static_cast<int64_t>(size) > m_File.Length())
        Corrupt("Invalid XML chunk size " + std::to_string(size));
    // The header text is held to the heat file's cap: no station writes more.
    if (size > qf3::kXML_Field_Size)
        Corrupt("XML chunk of " + std::to_string(size) + " bytes is above the cap of " +
                std::to_string(qf3::kXML_Field_Size));
    std::vector<uint8_t> text(static_cast<size_t>(size) + 1, 0);
    m_File.Read_At(at + 8, text.data(), size);
    Header().XML_string(Bytes_to_String(text));
}

bool cls_VideoFile_handler::Get_AVI_indexes(const std::string& file_name) {
    Send_Trace("*Get_AVI_indexes");
    m_avi->Index_Collection.clear();
    m_avi->Text_Index_Collection.clear();
    m_avi->Index_Valid = m_avi->Index_Relative = m_avi->Index_DV_Type1 = false;
    const int64_t length = m_File.Is_Open() ? m_File.Length() : 0;
    if (length == 0) {
        forms::MsgBox("GET_AVI_Indexes, empty file!");
        return false;
    }
    const int32_t movie = m_avi->AVI_Info ? m_avi->AVI_Info->MovieOffset() : 0;
    // No idx1 chunk (a file cut before it) is no index: offset 0 would read
    // the file's own head as entries.
    const int32_t index_offset = m_avi->AVI_Info ? m_avi->AVI_Info->IndexOffset() : 0;
    int64_t at =
        m_avi->Chunk_Address[7] != 0 ? m_avi->Chunk_Address[7] : (index_offset > 0 ? index_offset + 1 : 0);
    if (at < 1) return false;
    uint8_t head[8] = {};
    if (m_File.Read_At(at - 1, head, 8) < 8) return false;
    // Whole entries only: a size that is no multiple of 16 names a part entry,
    // and rounding it up would read past the chunk.
    const int32_t count = Get32(head + 4) / 16;
    if (count < 1 || count > 150000) return false;
    std::vector<uint8_t> entries(static_cast<size_t>(count) * 16, 0);
    // Entries the file does not hold are not entries: only whole ones count.
    const int64_t got = m_File.Read_At(at - 1 + 8, entries.data(), static_cast<int64_t>(entries.size()));
    const int64_t whole = got / 16;
    for (int64_t i = 0; i < whole; ++i) {
        const uint8_t* e = entries.data() + 16 * i;
        cls_IDX idx;
        idx.ckid.assign(reinterpret_cast<const char*>(e), 4);
        idx.dwFlags = Get32(e + 4);
        idx.dwChunkOffset = Get32(e + 8);
        idx.dwChunkLength = Get32(e + 12);
        if (idx.ckid == "00db" || idx.ckid == "00dc" || idx.ckid == "00__")
            m_avi->Index_Collection.push_back(idx);
        else if (idx.ckid == "01db")
            m_avi->Text_Index_Collection.push_back(idx);
    }
    m_avi->Index_Count = static_cast<int32_t>(m_avi->Index_Collection.size());
    m_avi->Text_Index_Count = static_cast<int32_t>(m_avi->Text_Index_Collection.size());
    if (m_avi->Index_Count == 0) {
        forms::MsgBox("File: " + file_name + g_Program_Title + "  found no AVI index! ");
        return false;
    }
    const auto is_frame_tag = [&](int64_t position) {
        if (position < 1) return false;
        char tag[5] = {};
        if (m_File.Read_At(position - 1, tag, 4) < 4) return false;
        const std::string t(tag, 4);
        return t == "00db" || t == "00dc" || t == "01db" || t == "00__";
    };
    const int64_t first = m_avi->Index_Collection.front().dwChunkOffset;
    if (m_avi->AVI_Info && m_avi->AVI_Info->iavs() && is_frame_tag(first + movie + 4 + 1)) {
        m_avi->Index_DV_Type1 = true;
    } else if (is_frame_tag(first + movie + 1)) {
        m_avi->Index_Relative = true;
        m_avi->Index_Valid = true;
    } else if (is_frame_tag(first + 1)) {
        m_avi->Index_Valid = true;
        m_avi->Index_Relative = false;
    } else {
        Send_Trace("*Get_AVI_indexes, end");
    }
    return true;
}

bool cls_VideoFile_handler::Read_ODML_Index() {
    std::vector<char> block(10000);
    int64_t from = m_File.Position;
    for (int b = 1; b <= 10; ++b) {
        const int64_t got = m_File.Read_At(from, block.data(), 10000);
        const std::string_view view(block.data(), static_cast<size_t>(std::max<int64_t>(got, 0)));
        const size_t hit = view.find("ix00");
        if (hit != std::string_view::npos) {
            const int64_t at = from + static_cast<int64_t>(hit);
            uint8_t head[32] = {};
            if (m_File.Read_At(at, head, 32) < 32) return false;
            const int32_t in_use = Get32(head + 12);
            const int32_t size = Get32(head + 4);
            // The entries must lie inside the index chunk and the file.
            if (in_use < 0 || static_cast<int64_t>(in_use) * 8 + 24 > size ||
                at + 32 + static_cast<int64_t>(in_use) * 8 > m_File.Length())
                Corrupt("Invalid OpenDML index");
            std::vector<uint8_t> e(static_cast<size_t>(in_use) * 8);
            m_File.Read_At(at + 32, e.data(), static_cast<int64_t>(e.size()));
            m_avi->ODML_Index.assign(static_cast<size_t>(in_use) + 1, {0, 0});
            for (int32_t i = 0; i < in_use; ++i)
                m_avi->ODML_Index[static_cast<size_t>(i)] = {Get32(e.data() + 8 * i),
                                                             Get32(e.data() + 8 * i + 4)};
            return true;
        }
        if (got < 10000) break;
        from += 10000;
    }
    return false;
}

int32_t cls_VideoFile_handler::Index_flag(int32_t entry) const {
    if (entry < 1 || entry > static_cast<int32_t>(m_avi->Index_Collection.size()))
        vb::Raise(vb::errSubscriptOutOfRange);
    return m_avi->Index_Collection[static_cast<size_t>(entry - 1)].dwFlags;
}

int16_t cls_VideoFile_handler::Text_Length() const {
    if (!Has_Text_Stream()) return 0;
    return static_cast<int16_t>(m_avi->Text_Index_Collection.front().dwChunkLength);
}

uint8_t* cls_VideoFile_handler::Extra_Data_Addr() {
    if (m_dv->Streams_Buffer.empty()) return nullptr;
    if (g_Extra_Data_Offset < 0 || static_cast<size_t>(g_Extra_Data_Offset) >= m_dv->Streams_Buffer.size())
        return nullptr;
    return m_dv->Streams_Buffer.data() + g_Extra_Data_Offset;
}

void cls_VideoFile_handler::Force_Reread_Frame() {
    if (m_dv->Frame_Marker_Address) std::memset(m_dv->Frame_Marker_Address, 0, 6);
}

void cls_VideoFile_handler::find_DV_offset(const std::string& file_name) {
    m_dv->Frame_Buffer.assign(1001, 0);
    video_file_io::File f;
    f.Open(file_name, video_file_io::Mode::Read);
    f.Read_At(0, m_dv->Frame_Buffer.data(), 1001);
    f.Close();
    const auto it =
        std::find_if(m_dv->Frame_Buffer.begin(), m_dv->Frame_Buffer.end(), [](uint8_t b) { return b != 0; });
    if (it == m_dv->Frame_Buffer.end()) Corrupt("no DV data in the first 1001 bytes");
    m_dv->DV_Offset = static_cast<int16_t>(it - m_dv->Frame_Buffer.begin());
}

void cls_VideoFile_handler::calculate_luminance() {
    const auto luma = [](int32_t a, int32_t b, int32_t c) {
        return Whole((b * 81.0 + a * 18.0 + c) / 100.0 + 1);
    };
    m_Frame_Luma_1 = luma(m_Luma_Colours[0], m_Luma_Colours[1], m_Luma_Colours[2]);
    m_Frame_Luma_2 = luma(m_Luma_Colours[3], m_Luma_Colours[4], m_Luma_Colours[5]);
}

// ---- The frame reader ----

void cls_VideoFile_handler::Read_Frame(int32_t frame, int16_t stream) {
    Read_Frame_Body(frame, stream);
}

void cls_VideoFile_handler::Read_Frame_Body(int32_t frame, int16_t stream) {
    int32_t n = std::min(frame, m_Num_Frames);
    if (n < 1) n = 1;
    const std::string& sfx = m_file_suffix;
    if (sfx == "dv") {
        m_dv->Frame_Position = static_cast<int64_t>(n - 1) * m_Frame_Size + m_dv->DV_Offset + 1;
        m_dv->Streams_Buffer.resize(static_cast<size_t>(m_Frame_Size));
        m_File.Read_At(m_dv->Frame_Position - 1, m_dv->Streams_Buffer.data(),
                       static_cast<int64_t>(m_dv->Streams_Buffer.size()));
        m_dv->Frame_Data = m_dv->Streams_Buffer.data();
        m_dv->Frame_Data_Size = m_Frame_Size;
        m_dv->Buffered_Frame = n;
    } else if (sfx == "qf1" || sfx == "qf2") {
        if (stream < 1 || stream > m_Num_Video_streams) vb::Raise(vb::errSubscriptOutOfRange);
        m_dv->Frame_Position =
            static_cast<int64_t>(n - 1) * (static_cast<int64_t>(m_Num_Video_streams) * m_Frame_Size) +
            m_dv->QFN_Header_Len + static_cast<int64_t>(stream - 1) * m_Frame_Size + 1;
        if (m_In_Memory) {
            const int64_t at = m_dv->Frame_Position - 1;
            const int64_t have =
                std::clamp<int64_t>(static_cast<int64_t>(m_File_Copy.size()) - at, 0, m_Frame_Size);
            std::fill(m_dv->Streams_Buffer.begin(), m_dv->Streams_Buffer.end(), 0);
            if (have > 0)
                std::memcpy(m_dv->Streams_Buffer.data(), m_File_Copy.data() + at, static_cast<size_t>(have));
        } else {
            m_File.Read_At(m_dv->Frame_Position - 1, m_dv->Streams_Buffer.data(),
                           static_cast<int64_t>(m_dv->Streams_Buffer.size()));
        }
        m_dv->Frame_Data = m_dv->Streams_Buffer.data();
        m_dv->Frame_Data_Size = m_Frame_Size;
        m_dv->Buffered_Frame = n;
        m_dv->Current_Stream = stream;
        Do_Read_DV_extra_data();
        m_Rounded_Capture_Time = Round_To_Multiple(m_dv->DV_Extra.Capture_Mill, 40) - 10;
    } else if (sfx == "sdv" || sfx == "SDV") {
        m_dv->Frame_Position =
            static_cast<int64_t>(n - 1) * m_Num_Video_streams * kDV_Frame + m_sdv->DV_Start + 1;
        m_File.Read_At(m_dv->Frame_Position - 1, m_dv->Streams_Buffer.data(),
                       static_cast<int64_t>(m_dv->Streams_Buffer.size()));
        m_dv->Frame_Data = m_dv->Streams_Buffer.data();
        m_dv->Frame_Data_Size = kDV_Frame;
        m_dv->Buffered_Frame = n;
    } else if (sfx == "avi" || sfx == "AVI") {
        if (m_File_Name.empty()) return;
        int64_t address = 0;
        int32_t length = 0;
        if (!m_avi->Index_Valid && !m_avi->Index_DV_Type1) {
            if (n < 1 || static_cast<size_t>(n) > m_avi->ODML_Index.size())
                vb::Raise(vb::errSubscriptOutOfRange);
            address =
                static_cast<int64_t>(m_avi->ODML_Index[static_cast<size_t>(n - 1)].first) + m_avi->ODML_Base;
            length = m_avi->ODML_Index[static_cast<size_t>(n - 1)].second;
        } else {
            n = std::min<int32_t>(n, static_cast<int32_t>(m_avi->Index_Collection.size()));
            if (n < 1) vb::Raise(vb::errSubscriptOutOfRange);
            const cls_IDX& e = m_avi->Index_Collection[static_cast<size_t>(n - 1)];
            const int32_t movie = m_avi->AVI_Info ? m_avi->AVI_Info->MovieOffset() : 0;
            address = e.dwChunkOffset;
            if (m_avi->Index_DV_Type1)
                address += movie + 12;
            else if (m_avi->Index_Relative)
                address += movie;
            length = e.dwChunkLength;
        }
        m_avi->Frame_Chunk_Address = address;
        m_avi->Frame_Chunk_Length = length;
        if (length == 0) return;
        // A chunk must lie inside the file: a damaged index names any length.
        if (length < 0 || address < 0 || address + 8 + static_cast<int64_t>(length) > m_File.Length())
            Corrupt("Invalid AVI chunk of frame " + std::to_string(n));
        m_dv->Frame_Buffer.assign(static_cast<size_t>(length) + 8 + 1, 0);
        m_File.Read_At(address, m_dv->Frame_Buffer.data(), static_cast<int64_t>(length) + 8);
        m_Frame_Size = length;
        m_Draw_Header.biSizeImage = static_cast<uint32_t>(length);
        m_dv->Frame_Data = m_dv->Frame_Buffer.data() + 8;
        m_dv->Frame_Data_Size = length;
        m_dv->Frame_Position = 0;
        if (m_avi->Text_Index_Count > 0 && static_cast<size_t>(n) <= m_avi->Text_Index_Collection.size()) {
            const cls_IDX& t = m_avi->Text_Index_Collection[static_cast<size_t>(n - 1)];
            const int32_t movie = m_avi->AVI_Info ? m_avi->AVI_Info->MovieOffset() : 0;
            m_avi->Text_Address = static_cast<int64_t>(t.dwChunkOffset) + movie + 9;
            m_avi->Text_Length_Value = t.dwChunkLength;
            // Both ends inside the file, checked before the buffer is made; a
            // damaged text chunk is told and leaves the frame without text.
            m_avi->Text_Buffer.clear();
            vb::Trap("Read_Frame of Class Module cls_AVI_handler", [&] {
                if (m_avi->Text_Length_Value < 0 || m_avi->Text_Address < 1 ||
                    m_avi->Text_Address - 1 + m_avi->Text_Length_Value > m_File.Length())
                    Corrupt("Invalid AVI text chunk of frame " + std::to_string(n));
                m_avi->Text_Buffer.assign(static_cast<size_t>(m_avi->Text_Length_Value), 0);
                m_File.Read_At(m_avi->Text_Address - 1, m_avi->Text_Buffer.data(), m_avi->Text_Length_Value);
            });
        }
        m_dv->Buffered_Frame = n;
        m_dv->Frame_Percent = m_Num_Frames > 0 ? Whole(n * 100.0 / m_Num_Frames) : 0;
        m_dv->Frame_Start_Ms = (n - 1) * static_cast<double>(m_mill_per_frame);
    } else {
        return;
    }
    m_Frame_in_store = m_dv->Buffered_Frame;
    Get_Current_Trace_data(n);
}

void cls_VideoFile_handler::Get_Current_Trace_data(int32_t frame) {
    if (frame < 1 || static_cast<size_t>(frame) > m_dv->Trace_Array.size()) return;
    m_dv->Trace_Data = m_dv->Trace_Array[static_cast<size_t>(frame - 1)];
}

// ---- Decoding a DV frame ----

// Decodes the frame in the read buffer and draws the source rectangle of it
// (frame pixels, from the top-left) stretched onto the destination of the
// device context; with a bitmap, into that bitmap. The decode result records
// whether it worked: a frame that does not decode leaves the picture as it was.
bool cls_VideoFile_handler::Decode_DV(cDIBSection* into, gdi::HDC dc, int32_t x, int32_t y, int32_t w,
                                      int32_t h, int32_t sx, int32_t sy, int32_t sw, int32_t sh) {
    m_dv->Decode_Result = 0;
    if (!m_dv->Frame_Data) return false;
    if (into) dc = into->hDC();
    if (!dc) return false;
    if (!m_DV_Decoder) m_DV_Decoder = std::make_shared<dv::Decoder>();
    // Three: the frame shown and the two of an overlay.
    if (!m_DV_Recent) m_DV_Recent = std::make_unique<dv::Recent_Pictures>(3);
    const dv::Picture* decoded =
        m_DV_Recent->Decode(*m_DV_Decoder, m_dv->Frame_Data, static_cast<size_t>(m_dv->Frame_Data_Size));
    if (!decoded) {
        Send_Trace("*Decode_DV, ", m_DV_Decoder->last_error());
        return false;
    }
    const dv::Picture& pic = *decoded;
    gdi::BITMAPINFOHEADER bmi{};
    bmi.biSize = 40;
    bmi.biWidth = pic.width;
    bmi.biHeight = pic.height;
    bmi.biPlanes = 1;
    bmi.biBitCount = 24;
    bmi.biSizeImage = static_cast<uint32_t>(pic.bits.size());
    // A whole picture into a bitmap of its own size is a plain copy of the rows.
    if (into && into->Width() == pic.width && into->Height() == pic.height && x == 0 && y == 0 &&
        w == pic.width && h == pic.height && sx == 0 && sy == 0 && sw == pic.width && sh == pic.height &&
        into->BytesPerScanLine() == pic.stride) {
        std::memcpy(into->DIBSectionBitsPtr(), pic.bits.data(), pic.bits.size());
        m_dv->Decode_Result = 1;
        return true;
    }
    static gdi::HDRAWDIB draw_dib = gdi::DrawDibOpen();
    m_dv->Decode_Result =
        gdi::DrawDibDraw(draw_dib, dc, x, y, w, h, &bmi, pic.bits.data(), sx, sy, sw, sh, 0) ? 1 : 0;
    return m_dv->Decode_Result != 0;
}

// ---- Frame drawing ----

void cls_VideoFile_handler::Draw_Frame(int32_t& frame, forms::PictureBox* picture, bool mirror,
                                       int16_t stream, gdi::HDC dc, bool rotate) {
    vb::Trap("Draw_frame of Class Module cls_AVI_handler", [&] {
        Send_Trace("*Draw_frame1, Frameno = ", frame);
        if (m_dv->Frames_In_Store && picture) {
            if (frame < 1 || static_cast<size_t>(frame) > m_In_Bitmaps.size())
                vb::Raise(vb::errSubscriptOutOfRange);
            m_In_Bitmaps[static_cast<size_t>(frame - 1)]->DIB_PaintPicture(picture->hDC(), 0, 0, -1, -1, 0, 0,
                                                                           kSRCCOPY);
            return;
        }
        if (!File_open()) return;
        const int32_t sw = picture ? Whole(picture->ScaleWidth()) : m_Width;
        const int32_t shh = picture ? Whole(picture->ScaleHeight()) : m_Height;
        // Without a picture the overlay bitmaps take the frame's size; an
        // open makes them anew without pixels.
        if (!m_DIB_OL_target || m_DIB_OL_target->Width() == 0) m_OL_Created = false;
        Ensure_Overlay_Bitmaps(sw, shh);
        if (frame == 0) frame = 1;
        m_dv->Current_Frame = frame;
        Read_Frame(frame, stream);
        m_Draw_Header.biSizeImage = static_cast<uint32_t>(m_Frame_Size);
        if (rotate) {
            cDIBSection& src = *m_DIB_Rotate_Source;
            // An AVI file's opening makes no rotated pair: it follows the frame here.
            if (m_Width > 0 && m_Height > 0) {
                Fit_DIB(src, m_Width, m_Height);
                Fit_DIB(*m_DIB_Rotate_Target, m_Height, m_Width);
            }
            Decode_DV(&src, nullptr, 0, 0, src.Width(), src.Height(), 0, 0, src.Width(), src.Height());
            Rotate90(src.DIBSectionBitsPtr(), m_DIB_Rotate_Target->DIBSectionBitsPtr(), src.Width(),
                     src.Height(), 0);
            if (picture) m_DIB_Rotate_Target->DIB_PaintPicture(picture->hDC(), 0, 0, sw, shh, 0, 0, kSRCCOPY);
            return;
        }
        if (m_flip != 0 || mirror) {
            cDIBSection& t = *m_DIB_OL_target;
            Decode_DV(&t, nullptr, 0, 0, t.Width(), t.Height(), 0, 0, m_Width, m_Height);
            FlipImageRGB24(t.DIBSectionBitsPtr(), t.Width(), t.Height());
            if (picture) t.DIB_PaintPicture(picture->hDC(), 0, 0, sw, shh, 0, 0, kSRCCOPY);
            return;
        }
        if (m_has_selrect) {
            if (picture)
                Decode_DV(nullptr, picture->hDC(), 0, 0, sw, shh, SelRect_left(), SelRect_top(),
                          SelRect_width(), Selrect_Height());
        } else if (m_Overlay_Mode == 0) {
            m_dv->Decode_Note = std::to_string(m_Frame_Size);
            bool ok;
            if (dc)
                ok = Decode_DV(nullptr, dc, 0, 0, m_Width, m_Height, 0, 0, m_Draw_Header.biWidth,
                               m_Draw_Header.biHeight);
            else
                ok = picture && Decode_DV(nullptr, picture->hDC(), 0, 0, sw, shh, 0, 0, m_Draw_Header.biWidth,
                                          m_Draw_Header.biHeight);
            if (!ok) m_dv->Decode_Note = g_DV_Codec;
        } else if (picture) {
            Draw_Overlay_Frame(frame, *picture);
        }
        m_Effective_Time =
            static_cast<float>(static_cast<int64_t>(m_dv->Buffered_Frame - 1) * m_mill_per_frame);
    });
}

void cls_VideoFile_handler::Blit_Frame(gdi::HDC dc, int32_t& width, int32_t& height) {
    Decode_DV(nullptr, dc, 0, 0, width, height, 0, 0, m_Draw_Header.biWidth, m_Draw_Header.biHeight);
}

void cls_VideoFile_handler::Draw_Panned_frame(int32_t frame, forms::PictureBox& picture, int16_t& x,
                                              int16_t& y) {
    Read_Frame(frame, 1);
    const int32_t w = vb::CInt(picture.ScaleWidth()), h = vb::CInt(picture.ScaleHeight());
    Decode_DV(nullptr, picture.hDC(), 0, 0, w, h, x, y, w, h);
}

void cls_VideoFile_handler::Get_Frame(int32_t frame, int32_t& length, const uint8_t*& address) {
    Read_Frame(frame, 1);
    // The frame's compressed data: behind the chunk header of an AVI chunk,
    // the sample buffer's start for the DV kinds.
    length = m_dv->Frame_Data_Size;
    address = m_dv->Frame_Data;
}

void cls_VideoFile_handler::Refresh_frame(forms::PictureBox& picture) {
    vb::TrapAlways(
        [&] {
            const int32_t sw = Whole(picture.ScaleWidth()), sh = Whole(picture.ScaleHeight());
            if (m_Overlay_Mode > 0) {
                // Kept from an earlier file, the bitmap shows nothing until this file's overlay is made.
                if (m_DIB_OL_target && m_OL_Created)
                    m_DIB_OL_target->DIB_PaintPicture(picture.hDC(), 0, 0, sw, sh, 0, 0, kSRCCOPY);
            } else if (m_dv->Frame_Data) {
                const int32_t w = m_Draw_Header.biWidth == 0 ? -1 : m_Draw_Header.biWidth;
                const int32_t h = m_Draw_Header.biHeight == 0 ? -1 : m_Draw_Header.biHeight;
                Decode_DV(nullptr, picture.hDC(), 0, 0, sw, sh, 0, 0, w, h);
            }
        },
        [](const vb::VbError& e) { vb::ReportError(e, "Refresh_frame of Class Module cls_AVI_handler"); });
}

void cls_VideoFile_handler::Read_In_Bitmaps() {
    m_In_Bitmaps.clear();
    m_dv->Frames_In_Store = false;
    for (int32_t f = 1; f <= m_Num_Frames; ++f) {
        auto dib = std::make_unique<cDIBSection>();
        dib->Create(m_Width, m_Height);
        int32_t frame = f;
        Draw_Frame(frame, nullptr, false, 1, dib->hDC(), false);
        m_In_Bitmaps.push_back(std::move(dib));
    }
    m_dv->Frames_In_Store = true;
}

// ---- Field drawing ----

void cls_VideoFile_handler::Draw_field_3(int32_t& field, forms::PictureBox& picture, int16_t& stream,
                                         bool& rotate) {
    vb::Trap("Draw_field_3 of Class Module cls_AVI_handler", [&] {
        if (!File_open()) return;
        m_Current_Field = field;
        if (field == 0) return;
        if (stream < 1 || stream > 3) vb::Raise(vb::errSubscriptOutOfRange);
        const size_t s = static_cast<size_t>(stream - 1);
        cDIBSection& target = *m_DIB_Deint_target[s];
        cDIBSection& source = *m_DIB_Deint_source[s];
        const int32_t sw = Whole(picture.ScaleWidth()), sh = Whole(picture.ScaleHeight());
        if (field == m_dv->Last_Field_Drawn && stream == m_dv->Last_Stream_Drawn && !rotate) {
            target.DIB_PaintPicture(picture.hDC(), 0, 0, sw, sh, 0, 0, kSRCCOPY);
            return;
        }
        if (m_File_Name.empty()) return;
        m_eff_frameno = vb::CLng((field + 0.5) / 2);
        m_Field_To_Show = field % 2 == 1 ? 1 : 2;
        Read_Frame(m_eff_frameno, stream);
        const int32_t rows = m_NTSC ? 480 : 576;
        if (target.Height() != rows) {
            target.Create(720, rows);
            source.Create(720, rows);
            m_dv->Stream_Frame_Decoded[s] = 0;
        }
        if (m_dv->Stream_Frame_Decoded[s] != m_eff_frameno) {
            Decode_DV(&source, nullptr, 0, 0, source.Width(), source.Height(), 0, 0, m_Draw_Header.biWidth,
                      m_Draw_Header.biHeight);
            m_dv->Stream_Frame_Decoded[s] = m_eff_frameno;
        }
        deinterlaceFrame2(source.DIBSectionBitsPtr(), target.DIBSectionBitsPtr(), target.Width(),
                          target.Height(), m_Field_To_Show);
        if (!rotate) {
            target.DIB_PaintPicture(picture.hDC(), 0, 0, sw, sh, 0, 0, kSRCCOPY);
        } else {
            Rotate90(target.DIBSectionBitsPtr(), m_DIB_Rotate_Target->DIBSectionBitsPtr(), target.Width(),
                     target.Height(), 0);
            const bool single = m_Show_Single_Stream != 0;
            const int32_t w = (m_Num_Video_streams == 2 && !single) ? Whole(picture.ScaleWidth() / 2) : sw;
            const int32_t x = (stream == 2 && !single) ? w : 0;
            m_DIB_Rotate_Target->DIB_PaintPicture(picture.hDC(), x, 0, w, sh, 0, 0, kSRCCOPY);
        }
        const int32_t start = Trimmed_Start() != 0 ? Trimmed_Start() : 1;
        m_Effective_Time = static_cast<float>((m_Current_Field - start) * m_mill_per_field);
        m_dv->Last_Field_Drawn = field;
        m_dv->Last_Stream_Drawn = stream;
    });
}

void cls_VideoFile_handler::Draw_Field(int32_t& field, forms::PictureBox& picture, bool& invert,
                                       int16_t& stream) {
    vb::TrapAlways(
        [&] {
            gdi::SetStretchBltMode(picture.hDC(), 4);
            if (field == 0) return;
            if (!m_DV_Field_DIB) {
                m_DV_Field_DIB = std::make_unique<cDIBSection>();
                m_DV_Decode_DIB = std::make_unique<cDIBSection>();
            }
            if (m_DV_Field_DIB->Width() != m_Width || m_DV_Field_DIB->Height() != m_Height) {
                m_DV_Field_DIB->Create(m_Width, m_Height);
                m_DV_Decode_DIB->Create(m_Width, m_Height);
            }
            const gdi::HDC field_dc = m_DV_Field_DIB->hDC();
            if (field == m_dv->Last_Field_Drawn && stream == m_dv->Last_Stream_Drawn) {
                gdi::BitBlt(picture.hDC(), 0, 0, m_Width, m_Height, field_dc, 0, 0, kSRCCOPY);
                return;
            }
            if (m_File_Name.empty()) return;
            m_dv->Decode_Note = m_File_Name;
            m_eff_frameno = vb::CLng((field + 0.5) / 2);
            m_Field_To_Show = field % 2 == 1 ? 1 : 2;
            Read_Frame(m_eff_frameno, stream);
            Decode_DV(m_DV_Decode_DIB.get(), nullptr, 0, 0, m_Width, m_Height, 0, 0, m_Draw_Header.biWidth,
                      m_Draw_Header.biHeight);
            int16_t show = m_Field_To_Show;
            if (invert) show = show == 1 ? 2 : 1;
            const int32_t r0 = show == 1 ? 1 : 2;
            const gdi::HDC decode_dc = m_DV_Decode_DIB->hDC();
            for (int32_t r = r0; r <= m_Height - 1; r += 2) {
                gdi::BitBlt(field_dc, 0, r, m_Width, 1, decode_dc, 0, r, kSRCCOPY);
                if (r + 1 < m_Height) gdi::BitBlt(field_dc, 0, r + 1, m_Width, 1, decode_dc, 0, r, kSRCCOPY);
            }
            gdi::StretchBlt(picture.hDC(), 0, 0, Whole(picture.ScaleWidth()), Whole(picture.ScaleHeight()),
                            field_dc, 0, 0, m_Width, m_Height, kSRCCOPY);
            m_dv->Last_Field_Drawn = field;
            m_dv->Last_Stream_Drawn = stream;
        },
        [](const vb::VbError&) {});
}

void cls_VideoFile_handler::Refresh_field(forms::PictureBox& picture, bool& rotated) {
    const int32_t sw = Whole(picture.ScaleWidth()), sh = Whole(picture.ScaleHeight());
    if (rotated) {
        m_DIB_Rotate_Target->DIB_PaintPicture(picture.hDC(), 0, 0, sw, sh, 0, 0, kSRCCOPY);
    } else if (is_DV()) {
        m_DIB_Deint_target[0]->DIB_PaintPicture(picture.hDC(), 0, 0, sw, sh, 0, 0, kSRCCOPY);
    } else {
        int32_t w = sw, h = sh;
        Blit_Frame(picture.hDC(), w, h);
    }
}

void cls_VideoFile_handler::Deinterlace_DIBS(cDIBSection& target, cDIBSection& source) {
    vb::TrapAlways(
        [&] {
            uint8_t* t = target.DIBSectionBitsPtr();
            const uint8_t* s = source.DIBSectionBitsPtr();
            if (!t || !s) vb::Raise(vb::errObjectNotSet);
            // Two bitmaps of different sizes would copy past the smaller one.
            if (target.SizeImage() != source.SizeImage() ||
                target.BytesPerScanLine() != source.BytesPerScanLine())
                vb::Raise(vb::errSubscriptOutOfRange);
            std::memcpy(t, s, static_cast<size_t>(source.SizeImage()));
            const int32_t stride = source.BytesPerScanLine();
            const int32_t r0 = m_Field_To_Show == 1 ? 2 : 1;
            for (int32_t r = r0; r <= source.Height() - 2; r += 2)
                std::memcpy(t + static_cast<int64_t>(r + 1) * stride, s + static_cast<int64_t>(r) * stride,
                            static_cast<size_t>(stride));
        },
        [](const vb::VbError& e) { vb::ReportError(e, "Deinterlace_DIBS of Class Module cls_AVI_handler"); });
}

// ---- Own AVI chunks, the DV header record and the DV extra data ----

void cls_VideoFile_handler::Append_XML_header() {
    if (m_Read_only) {
        forms::MsgBox("File is Read Only!");
        return;
    }
    if (!m_avi->AVI_Info) Read_AVI_Info(m_File_Name);
    const int64_t riff_size = m_avi->AVI_Info->RIFFsize();
    if (m_Golf_Flag) Header().Golfing(true);
    Header().Create_Header();
    std::string text = Header().XML_string();
    text.resize(30000, ' ');
    // A text that does not parse is shown to the operator and still written.
    Validate_XML_string(text);
    uint8_t head[8];
    std::memcpy(head, "QFXM", 4);
    Put32(head + 4, 30000);
    m_File.Write_At(riff_size + 8, head, 8);
    m_File.Write_At(riff_size + 16, text.data(), 30000);
    const int64_t length = m_File.Length();
    m_File.Read_At(0, m_avi->RIFF_Header.data(), 12);
    Put32(m_avi->RIFF_Header.data() + 4, static_cast<int32_t>(length - 8));
    Rewrite_AVI_Header();
    Parse_Chunks();
}

void cls_VideoFile_handler::Append_DV_header() {
    const int64_t length = m_File.Length();
    std::vector<uint8_t> chunk(8 + 23860, 0);
    std::memcpy(chunk.data(), "ORHD", 4);
    Put32(chunk.data() + 4, 23860);
    std::memcpy(chunk.data() + 8, "ORDV", 4);
    Put32(chunk.data() + 12, 21974);
    m_File.Write_At(length, chunk.data(), static_cast<int64_t>(chunk.size()));
    m_File.Read_At(0, m_avi->RIFF_Header.data(), 12);
    Put32(m_avi->RIFF_Header.data() + 4, static_cast<int32_t>(m_File.Length() - 8));
    Rewrite_AVI_Header();
}

void cls_VideoFile_handler::Rewrite_AVI_Header() {
    m_File.Write_At(0, m_avi->RIFF_Header.data(), 12);
}

void cls_VideoFile_handler::Rewrite_DV_header() {
    m_File.Write_At(0, m_sdv->DV_Header_Record.data(), static_cast<int64_t>(m_sdv->DV_Header_Record.size()));
}

void cls_VideoFile_handler::Do_Read_DV_extra_data() {
    const std::string& sfx = m_file_suffix;
    if (sfx != "sdv" && sfx != "SDV" && sfx != "qf1" && sfx != "qf2") return;
    if (!m_dv->DV_Extra_Searched && m_dv->DV_Extra_Offset == 0) {
        // The whole 4-byte tag must lie in the buffer.
        const size_t last =
            std::min<size_t>(30000, m_dv->Streams_Buffer.size() >= 4 ? m_dv->Streams_Buffer.size() - 4 : 0);
        for (size_t i = 0; i <= last && m_dv->Streams_Buffer.size() >= 4; ++i) {
            if (std::memcmp(m_dv->Streams_Buffer.data() + i, "SSCD", 4) == 0) {
                m_dv->DV_Extra_Offset = static_cast<int32_t>(i);
                break;
            }
        }
        m_dv->DV_Extra_Searched = true;
    }
    // Only a block that this frame holds counts: a frame without one shows
    // no times or comment of another, and a rewrite never lands on it.
    const size_t at = static_cast<size_t>(m_dv->DV_Extra_Offset);
    const bool found = at + m_dv->DV_Extra_Block.size() <= m_dv->Streams_Buffer.size() &&
                       std::memcmp(m_dv->Streams_Buffer.data() + at, "SSCD", 4) == 0;
    m_dv->DV_Extra_Data_Flag = false;
    m_dv->DV_Extra_Block.fill(0);
    m_dv->DV_Extra = {};
    if (found && m_dv->DV_Extra_Offset < 15001) {
        std::memcpy(m_dv->DV_Extra_Block.data(), m_dv->Streams_Buffer.data() + m_dv->DV_Extra_Offset,
                    m_dv->DV_Extra_Block.size());
        m_dv->DV_Extra.Time_Stamp = Get32(m_dv->DV_Extra_Block.data() + 12);
        m_dv->DV_Extra.Capture_Mill = Get32(m_dv->DV_Extra_Block.data() + 24);
        m_dv->DV_Extra.Heat_Start = Get32(m_dv->DV_Extra_Block.data() + 28);
        m_dv->DV_Extra.Frame_Time = Get32(m_dv->DV_Extra_Block.data() + 32);
        m_dv->DV_Extra_Data_Flag = true;
    }
}

void cls_VideoFile_handler::Rewrite_DV_Extra_data() {
    if (m_dv->Frame_Position < 1 || !m_dv->DV_Extra_Data_Flag) return;
    m_File.Write_At(m_dv->Frame_Position - 1 + m_dv->DV_Extra_Offset, m_dv->DV_Extra_Block.data(),
                    static_cast<int64_t>(m_dv->DV_Extra_Block.size()));
}

void cls_VideoFile_handler::Fill_PBox(forms::PictureBox& picture) {
    gdi::HDC dc = picture.hDC();
    gdi::Rectangle(dc, 0, 0, Whole(picture.ScaleWidth()), Whole(picture.ScaleHeight()));
}

// ---- AVI header records, text chunks, channel names, DV texts ----

void cls_VideoFile_handler::Read_Headers() {
    if (vb::LCase(m_file_suffix) != "avi" || !m_File.Is_Open()) return;
    Send_Trace("*Read_Headers");
    int64_t at = 0;
    const auto read = [&](void* target, int64_t n) {
        if (m_File.Read_At(at, target, n) < n) Corrupt("AVI headers cut off");
        at += n;
    };
    uint8_t file_head[12], list[12];
    read(file_head, 12);
    at = 12;
    read(list, 12);
    read(m_avi->AVI_Chunk_Head.data(), 8);
    read(m_avi->AVI_Main_Header.data(), 56);
    read(list, 12);
    const auto chunk = [&](std::vector<uint8_t>& data) {
        uint8_t head[8];
        read(head, 8);
        const int32_t size = Get32(head + 4);
        if (size < 0 || at + size > m_File.Length()) Corrupt("Invalid chunk size " + std::to_string(size));
        data.assign(static_cast<size_t>(size), 0);
        read(data.data(), size);
    };
    chunk(m_avi->AVI_strh);
    chunk(m_avi->AVI_strf);
    Send_Trace("*Read_Headers, end");
}

void cls_VideoFile_handler::get_AVI_strh(int32_t& size, const uint8_t*& address) const {
    size = static_cast<int32_t>(m_avi->AVI_strh.size());
    address = m_avi->AVI_strh.empty() ? nullptr : m_avi->AVI_strh.data();
}

void cls_VideoFile_handler::get_AVI_strf(int32_t& size, const uint8_t*& address) const {
    size = static_cast<int32_t>(m_avi->AVI_strf.size());
    address = m_avi->AVI_strf.empty() ? nullptr : m_avi->AVI_strf.data();
}

void cls_VideoFile_handler::Get_Text_buffer(int32_t frame, int32_t& length, const uint8_t*& address) {
    length = 0;
    address = nullptr;
    if (!Has_Text_Stream()) return;
    if (frame < 1 || static_cast<size_t>(frame) > m_avi->Text_Index_Collection.size())
        vb::Raise(vb::errSubscriptOutOfRange);
    const cls_IDX& e = m_avi->Text_Index_Collection[static_cast<size_t>(frame - 1)];
    const int64_t p =
        static_cast<int64_t>(e.dwChunkOffset) + (m_avi->AVI_Info ? m_avi->AVI_Info->MovieOffset() : 0) + 1;
    if (e.dwChunkLength < 0 || p < 1 || p - 1 + e.dwChunkLength > m_File.Length())
        Corrupt("Invalid text chunk");
    m_avi->Text_Buffer.assign(static_cast<size_t>(e.dwChunkLength), 0);
    m_File.Read_At(p - 1, m_avi->Text_Buffer.data(), e.dwChunkLength);
    length = e.dwChunkLength;
    address = m_avi->Text_Buffer.empty() ? nullptr : m_avi->Text_Buffer.data();
}

void cls_VideoFile_handler::Put_Text_buffer(const uint8_t* bytes, int32_t length) {
    if (!Has_Text_Stream() || length < 1) return;
    const int32_t frame = m_Frame_in_store;
    if (frame < 1 || static_cast<size_t>(frame) > m_avi->Text_Index_Collection.size())
        vb::Raise(vb::errSubscriptOutOfRange);
    const cls_IDX& e = m_avi->Text_Index_Collection[static_cast<size_t>(frame - 1)];
    const int64_t p =
        static_cast<int64_t>(e.dwChunkOffset) + (m_avi->AVI_Info ? m_avi->AVI_Info->MovieOffset() : 0) + 1;
    if (static_cast<int64_t>(length) + 12 > e.dwChunkLength) {
        forms::MsgBox("Text buffer overflow at rewrite!");
        return;
    }
    m_File.Write_At(p - 1 + 12, bytes, length);
}

void cls_VideoFile_handler::Rewrite_Text_Buffer(int32_t frame) {
    if (m_Drive_Type == 5) {
        forms::MsgBox("AVI file is on CD-ROM!");
        return;
    }
    if (m_Read_only) {
        forms::MsgBox("AVI file is read only");
        return;
    }
    try {
        if (!Has_Text_Stream() || frame < 1 ||
            static_cast<size_t>(frame) > m_avi->Text_Index_Collection.size())
            return;
        const cls_IDX& e = m_avi->Text_Index_Collection[static_cast<size_t>(frame - 1)];
        const int64_t p = static_cast<int64_t>(e.dwChunkOffset) +
                          (m_avi->AVI_Info ? m_avi->AVI_Info->MovieOffset() : 0) + 9;
        // Never more than the chunk holds: the rest would overwrite the next chunk.
        const int64_t n =
            std::min<int64_t>(static_cast<int64_t>(m_avi->Text_Buffer.size()), std::max(e.dwChunkLength, 0));
        m_File.Write_At(p - 1, m_avi->Text_Buffer.data(), n);
    } catch (...) {
    }
}

std::string cls_VideoFile_handler::Data_Channel_Name(int16_t channel) {
    if (!m_File.Is_Open() || m_Channel_Table_Pos == 0 || channel < 1) return {};
    try {
        char name[40] = {};
        m_File.Read_At(m_Channel_Table_Pos - 1 + 8 + 40 * static_cast<int64_t>(channel - 1), name, 40);
        std::string s(name, 40);
        while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
            s.pop_back();
        return s;
    } catch (...) {
        return {};
    }
}

void cls_VideoFile_handler::Write_channel_name(int16_t channel, const std::string& name) {
    if (m_Channel_Table_Pos == 0 || channel < 1) return;
    try {
        std::string field = name.substr(0, 40);
        field.resize(40, ' ');
        m_File.Write_At(m_Channel_Table_Pos - 1 + 8 + 40 * static_cast<int64_t>(channel - 1), field.data(),
                        40);
    } catch (...) {
    }
}

bool cls_VideoFile_handler::Parse_DV_header() {
    if (m_dv->Frame_Data)
        DV_Header_Parse(m_dv->Frame_Data, static_cast<size_t>(m_dv->Frame_Data_Size));
    else
        DV_Header_Parse(m_dv->Streams_Buffer.empty() ? nullptr : m_dv->Streams_Buffer.data(),
                        m_dv->Streams_Buffer.size());
    m_DV_data_hours = g_DV.DV_Rec_Hours;
    m_DV_data_minutes = g_DV.DV_Rec_Minutes;
    return DV_Is_Wide();
}

std::string cls_VideoFile_handler::Timecode_string() {
    Parse_DV_header();
    return "\r\nRec. date " + DV_Rec_DateTime() + "\r\nTimecode: " + DV_Timecode_Text() +
           "\r\nShutterspeed " + DV_Shutter_Text() + "\r\n" + DV_WB_Text_All() +
           "\r\nIris = " + DV_Iris_Text() + "\r\nAE mode = " + DV_AE_Mode_Text() +
           "\r\nAGC = " + DV_AGC_Text() + "\r\nFocal length = " + DV_Focal_Text() +
           "\r\nZoom = " + DV_Zoom_Text();
}

void cls_VideoFile_handler::xWrite_DV_frame() {
    // "c:\temp\dv_frame.dv" of the original: the temporary folder here.
    const char* tmp = std::getenv("TMPDIR");
    const std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/dv_frame.dv";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (m_dv->Frame_Data) out.write(reinterpret_cast<const char*>(m_dv->Frame_Data), m_dv->Frame_Data_Size);
}

// ---- Trace curves ----

uint8_t* cls_VideoFile_handler::Trace_Frame_Buffer() {
    if (m_file_suffix == "avi" || m_file_suffix == "AVI") {
        if (m_dv->Frame_Buffer.size() < 8 + kTrace_Offset + kTrace_Size) return nullptr;
        return m_dv->Frame_Buffer.data() + 8;
    }
    if (m_dv->Streams_Buffer.size() < kTrace_Offset + kTrace_Size) return nullptr;
    return m_dv->Streams_Buffer.data();
}

namespace {
size_t Trace_Index(int16_t field, int16_t trace) {
    if (trace < 1 || trace > 10 || field < 1 || field > 2) vb::Raise(vb::errSubscriptOutOfRange);
    return static_cast<size_t>((field - 1) + 2 * (trace - 1));
}
} // namespace

int16_t cls_VideoFile_handler::Trace_X(int16_t trace) const {
    return Get16(m_dv->Trace_Data.data() + 8 + 2 * Trace_Index(m_Field_To_Show, trace));
}

int16_t cls_VideoFile_handler::Trace_Y(int16_t trace) const {
    return Get16(m_dv->Trace_Data.data() + 48 + 2 * Trace_Index(m_Field_To_Show, trace));
}

void cls_VideoFile_handler::Update_Trace_Data(int16_t trace, int16_t x, int16_t y) {
    const size_t i = Trace_Index(m_Field_To_Show, trace);
    uint8_t* buffer = Trace_Frame_Buffer();
    if (!buffer) vb::Raise(vb::errSubscriptOutOfRange, "No frame read");
    std::memcpy(m_dv->Trace_Data.data(), "QFTD", 4);
    Put16(m_dv->Trace_Data.data() + 4, 87);
    Put16(m_dv->Trace_Data.data() + 8 + 2 * i, x);
    Put16(m_dv->Trace_Data.data() + 48 + 2 * i, y);
    std::memcpy(buffer + kTrace_Offset, m_dv->Trace_Data.data(), kTrace_Size);
    Rewrite_DV_frame();
}

void cls_VideoFile_handler::Clear_Trace_Data() {
    uint8_t* buffer = Trace_Frame_Buffer();
    if (!buffer) vb::Raise(vb::errSubscriptOutOfRange, "No frame read");
    std::memset(m_dv->Trace_Data.data() + 8, 0, 80);
    std::memcpy(buffer + kTrace_Offset, m_dv->Trace_Data.data(), kTrace_Size);
    Rewrite_DV_frame();
}

void cls_VideoFile_handler::Clear_all_Traces() {
    for (int32_t f = 1; f <= m_Num_Frames; ++f) {
        Read_Frame(f, 1);
        Clear_Trace_Data();
    }
}

void cls_VideoFile_handler::Rewrite_DV_frame() {
    if (!g_Compiled) {
        const uint8_t* b = Trace_Frame_Buffer();
        if (b && !Check_DV_Header(b)) Send_Trace("*Rewrite_DV_frame, no DV header in frame");
    }
    if (m_file_suffix == "avi" || m_file_suffix == "AVI") {
        m_File.Write_At(m_avi->Frame_Chunk_Address, m_dv->Frame_Buffer.data(),
                        std::min<int64_t>(static_cast<int64_t>(m_dv->Frame_Buffer.size()),
                                          m_avi->Frame_Chunk_Length + 8));
    } else if (m_file_suffix == "qf1" || m_file_suffix == "qf2") {
        if (m_dv->Frame_Position < 1) return;
        m_File.Write_At(m_dv->Frame_Position - 1, m_dv->Streams_Buffer.data(), m_Frame_Size);
    }
}

void cls_VideoFile_handler::Read_Trace_Data() {
    const uint8_t* buffer = Trace_Frame_Buffer();
    if (!buffer) return;
    std::memcpy(m_dv->Read_Trace.data(), buffer + kTrace_Offset, kTrace_Size);
}

void cls_VideoFile_handler::Read_Trace_Array() {
    if (!File_open()) return;
    m_dv->Trace_Array.assign(static_cast<size_t>(std::max(m_Num_Frames, 0)), {});
    for (int32_t f = 1; f <= std::min(50, m_Num_Frames); ++f) {
        Read_Frame(f, 1);
        Read_Trace_Data();
        m_dv->Trace_Array[static_cast<size_t>(f - 1)] = m_dv->Read_Trace;
    }
}

void cls_VideoFile_handler::Trace_Array_Coords(int16_t trace, int32_t field, int16_t& x, int16_t& y) const {
    const int32_t frame = Whole(field / 2.0 + 0.4);
    const int16_t f = field % 2 == 1 ? 1 : 2;
    const size_t i = Trace_Index(f, trace);
    if (frame < 1 || static_cast<size_t>(frame) > m_dv->Trace_Array.size())
        vb::Raise(vb::errSubscriptOutOfRange);
    const auto& rec = m_dv->Trace_Array[static_cast<size_t>(frame - 1)];
    x = Get16(rec.data() + 8 + 2 * i);
    y = Get16(rec.data() + 48 + 2 * i);
}

std::string cls_VideoFile_handler::Trace_Name(int32_t trace) {
    return Header().Trace_Name(static_cast<int16_t>(trace));
}
void cls_VideoFile_handler::Trace_Name(int32_t trace, const std::string& value) {
    Header().Trace_Name(static_cast<int16_t>(trace), value);
    Write_XML_Header();
}
int32_t cls_VideoFile_handler::Trace_Color(int32_t trace) {
    try {
        return static_cast<int32_t>(vb::Val(Header().Trace_Color(static_cast<int16_t>(trace))));
    } catch (...) {
        return 0;
    }
}
void cls_VideoFile_handler::Trace_Color(int32_t trace, int32_t value) {
    Header().Trace_Color(static_cast<int16_t>(trace), std::to_string(value));
    Write_XML_Header();
}
bool cls_VideoFile_handler::Trace_Bezier(int32_t trace) {
    return Header().Trace_Bezier(static_cast<int16_t>(trace));
}
void cls_VideoFile_handler::Trace_Bezier(int32_t trace, bool value) {
    Header().Trace_Bezier(static_cast<int16_t>(trace), value);
    Write_XML_Header();
}
int16_t cls_VideoFile_handler::Trace_Thickness(int32_t trace) {
    return Header().Trace_Thickness(static_cast<int16_t>(trace));
}
void cls_VideoFile_handler::Trace_Thickness(int32_t trace, int16_t value) {
    Header().Trace_Thickness(static_cast<int16_t>(trace), value);
    Write_XML_Header();
}

// ---- Opening an AVI file for its AVI members ----

bool cls_VideoFile_handler::Open_AVI_File(const std::string& file_name) {
    Close_File();
    New_Readers();
    m_File_Name = file_name;
    m_file_suffix = Get_File_Extension(file_name);
    if (!FileExists(file_name)) return false;
    m_Read_only = ::access(file_name.c_str(), W_OK) != 0;
    bool ok = false;
    vb::Trap("Open_AVI_File of Class Module cls_AVI_handler", [&] {
        m_File.Open(file_name, m_Read_only ? video_file_io::Mode::Read : video_file_io::Mode::Read_Write);
        if (!Read_AVI_Info(file_name)) return;
        Parse_Chunks();
        if (!Get_AVI_indexes(file_name)) return;
        const clsAVIInfo& info = *m_avi->AVI_Info;
        // The frame drawing's bitmaps follow this size: refuse what no frame can be.
        if (info.Width() < 0 || info.Height() < 0 || info.Width() > ijl::kMaxFrameSide ||
            info.Height() > ijl::kMaxFrameSide)
            Corrupt("Frame size " + std::to_string(info.Width()) + " x " + std::to_string(info.Height()) +
                    " outside 0 to " + std::to_string(ijl::kMaxFrameSide));
        m_Num_Frames = m_avi->Index_Count;
        m_Num_fields = 2 * m_Num_Frames;
        m_Gross_fields = m_Num_fields;
        m_Width = static_cast<int16_t>(info.Width());
        m_Height = static_cast<int16_t>(info.Height());
        m_NTSC = info.Height() == 480;
        m_Frame_Rate = static_cast<int16_t>(info.FrameRate());
        m_mill_per_frame = info.MicroSecPerFrame() > 0 ? Whole(info.MicroSecPerFrame() / 1000.0)
                           : info.FrameRate() > 0      ? 1000 / info.FrameRate()
                                                       : 40;
        m_mill_per_field = m_mill_per_frame / 2;
        m_video_codec = info.VideoCodec();
        m_Num_Video_streams = 1;
        m_Draw_Header.biWidth = info.Width();
        m_Draw_Header.biHeight = info.Height();
        m_Clip_length =
            static_cast<int32_t>(std::min<int64_t>(int64_t{m_mill_per_frame} * m_Num_Frames, INT32_MAX));
        ok = true;
    });
    if (!ok) Close_File();
    if (!ok) m_File.Close();
    return ok;
}

// ---- Closing ----

void cls_VideoFile_handler::Reset_DV_State() {
    // The kinds' own state goes with their readers; these facts of the
    // frame read last live in the object itself.
    m_Frame_in_store = 0;
    m_File_Initiated = false;
    m_NTSC = false;
    m_Frame_Size = kDV_Frame;
}

// ---- "sdv" files ----
// The DV header record that heads an "sdv" file (64 bytes): "ORDV", the
// offset of the first sample (32-bit), the frame count (32-bit), the number
// of streams, the model flag, the selection start and end (16-bit each),
// the rest zero. Samples of one 144000-byte frame per stream follow from
// the first sample's offset.
namespace {
constexpr size_t kSDV_DV_Start = 4, kSDV_Frames = 8, kSDV_Streams = 12, kSDV_Model = 14, kSDV_Sel_Start = 16,
                 kSDV_Sel_End = 18;
}

bool cls_VideoFile_handler::Open_SDV_Kind() {
    m_dv->Raw_DV = false;
    m_dv->Stream_Buffer = true;
    m_File.Open(m_File_Name, m_Read_only ? video_file_io::Mode::Read : video_file_io::Mode::Read_Write);
    m_Is_Deinterlaced = false;
    uint8_t* r = m_sdv->DV_Header_Record.data();
    const int64_t length = m_File.Length();
    if (m_File.Read_At(0, r, static_cast<int64_t>(m_sdv->DV_Header_Record.size())) <
        static_cast<int64_t>(m_sdv->DV_Header_Record.size()))
        Corrupt("DV header record cut off");
    if (std::memcmp(r, "ORDV", 4) != 0) Corrupt("no DV header record");
    m_sdv->DV_Start = Get32(r + kSDV_DV_Start);
    const int16_t streams = Get16(r + kSDV_Streams);
    if (streams < 1 || streams > kMax_Streams)
        Corrupt("Invalid number of streams " + std::to_string(streams));
    if (m_sdv->DV_Start < static_cast<int32_t>(m_sdv->DV_Header_Record.size()) || m_sdv->DV_Start > length)
        Corrupt("Invalid DV start " + std::to_string(m_sdv->DV_Start));
    m_Num_Video_streams = streams;
    m_sdv->Has_Model = Get16(r + kSDV_Model) != 0;
    const int64_t sample = static_cast<int64_t>(streams) * kDV_Frame;
    m_Num_Frames = std::clamp<int32_t>(Get32(r + kSDV_Frames), 0,
                                       static_cast<int32_t>((length - m_sdv->DV_Start) / sample));
    m_Num_fields = 2 * m_Num_Frames;
    m_Gross_fields = m_Num_fields;
    m_Frame_Size = kDV_Frame;
    m_dv->Frame_Buffer.assign(static_cast<size_t>(kDV_Frame), 0);
    m_dv->Streams_Buffer.assign(static_cast<size_t>(sample), 0);
    m_video_codec = "CDVC";
    m_mill_per_frame = 40;
    m_mill_per_field = 20;
    m_Frame_Rate = 25;
    m_Width = 720;
    m_Height = 576;
    m_Draw_Header.biWidth = 720;
    m_Draw_Header.biHeight = 576;
    m_Draw_Header.biBitCount = 24;
    m_Draw_Header.biSizeImage = static_cast<uint32_t>(kDV_Frame);
    m_NTSC = false;
    if (m_index >= 0 && m_index < 5) g_Player_File_Kind[m_index] = 2;
    return true;
}

int16_t cls_VideoFile_handler::SDV_Selection(bool end) const {
    return Get16(m_sdv->DV_Header_Record.data() + (end ? kSDV_Sel_End : kSDV_Sel_Start));
}

void cls_VideoFile_handler::SDV_Selection(bool end, int16_t value) {
    Put16(m_sdv->DV_Header_Record.data() + (end ? kSDV_Sel_End : kSDV_Sel_Start), value);
    Rewrite_DV_header();
}
