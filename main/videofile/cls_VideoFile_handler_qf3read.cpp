// Reading heat files: the header block, the sample records, the decoding of
// their pictures, and the file's information text.
#include "cls_VideoFile_handler.h"

#include "Cls_XML_header.h"
#include "Dialogs.h"
#include "Ijl.h"
#include "Module_dependant.h"
#include "Module_trace.h"
#include "VbConvert.h"
#include "VbError.h"
#include "VbTrap.h"
#include "XmlDom.h"
#include "cDIBSection.h"
#include "mIntelJPEGLibrary.h"

#include <algorithm>
#include <cstring>

namespace {

// Damaged files are refused with these: a record or a length that does not
// fit is never read past.
constexpr int32_t kPast_End = 62; // "Input past end of file"

bool Is_Marker(const void* bytes, const char* marker) {
    return std::memcmp(bytes, marker, 4) == 0;
}

std::string Num(int64_t v) {
    return std::to_string(v);
}

} // namespace

void cls_VideoFile_handler::Open_RGB_File() {
    m_qf3->RGB_Open_OK = false;
    vb::Trap("Open_file of Class Module Class_RGB_file_handler", [&] {
        Open_RGB_File_Body();
        m_qf3->RGB_Open_OK = true;
    });
}

bool cls_VideoFile_handler::Open_Heat_File(std::string& reason) {
    reason.clear();
    m_qf3->RGB_Open_OK = false;
    m_Heat_Mark_Seen = false;
    try {
        Open_RGB_File_Body();
        m_qf3->RGB_Open_OK = true;
        return true;
    } catch (const vb::VbError& e) {
        // Damage and foreign files are the operator's to be told, plainly;
        // any other failure is the program's and goes to the report.
        if (e.number() != vb::errBadRecordLength && e.number() != kPast_End) throw;
        if (m_Heat_Mark_Seen) reason = e.description();
        Send_Trace("*Open_Heat_File refused ", e.description());
        Write_Event_Log(e.description());
        Close_File();
        return false;
    }
}

void cls_VideoFile_handler::Open_RGB_File_Body() {
    m_File_Length = Get_File_Size(m_File_Name);
    Send_Trace("*Open_RGB_File, begin ", "Filename = ", m_File_Name, " Filelength = ", m_File_Length);
    m_qf3->Current_Sample = 0;
    m_qf3->Current_Decoded = false;
    m_Measured_Sample_Size = 0;
    m_Appended = 0;
    m_file_suffix = Get_File_Extension(m_File_Name);
    Open_Read_Write(m_File_Name);
    Read_QF3_Headers_Body();

    m_qf3->RGB_X = Header().RGB_X();
    m_qf3->RGB_Y = Header().RGB_Y();
    // The frame bitmaps below follow this size: refuse what no frame can be
    // before anything is made.
    if (m_qf3->RGB_X < 0 || m_qf3->RGB_Y < 0 || m_qf3->RGB_X > ijl::kMaxFrameSide ||
        m_qf3->RGB_Y > ijl::kMaxFrameSide)
        vb::Raise(vb::errBadRecordLength, "Heat file " + m_File_Name + " has a frame size of " +
                                              Num(m_qf3->RGB_X) + " x " + Num(m_qf3->RGB_Y) +
                                              " outside 0 to " + Num(ijl::kMaxFrameSide));
    m_Width = m_qf3->RGB_X;
    m_Height = m_qf3->RGB_Y;
    // The frame bitmaps follow this size when the first picture is drawn: a
    // heat file opened only for its header (the start, the results) makes
    // and clears no frame.
    m_qf3->QF3_Interlaced = Header().RGB_interlaced();
    m_qf3->QF3_fourcc = Header().RGB_fourcc();
    m_qf3->QF3_Codec = Header().RGB_JPEG_Codec();
    m_qf3->Sample_Size = Header().RGB_Sample_Size();
    m_Streams[0].Rotated = Header().RGB_Rotated();

    // The records say how large they are; the header's figure is checked
    // against sample 1, and a file of one record (whose size the writer could
    // not yet measure) still reads.
    m_File_Slot_Size = Read_File_Slot();
    if (m_File_Slot_Size > 0) {
        const int32_t record_size = m_File_Slot_Size + qf3::kRecord_Overhead;
        if (m_qf3->Sample_Size != record_size) {
            if (m_qf3->Sample_Size > 0)
                Write_Event_Log("Heat file " + m_File_Name + ": header sample size " +
                                Num(m_qf3->Sample_Size) + ", records of " + Num(record_size) + " bytes read");
            m_qf3->Sample_Size = record_size;
        }
        if (m_Slot_Size != m_File_Slot_Size) Size_Write_Slot(m_File_Slot_Size);
    } else if (m_qf3->Sample_Size < 0) {
        vb::Raise(vb::errBadRecordLength,
                  "Heat file " + m_File_Name + " has a negative sample size " + Num(m_qf3->Sample_Size));
    }

    m_qf3->Num_RGB_Frames = Header_Frames();
    if (m_qf3->Num_RGB_Frames < 0)
        vb::Raise(vb::errBadRecordLength,
                  "Heat file " + m_File_Name + " has a negative frame count " + Num(m_qf3->Num_RGB_Frames));
    // A damaged or stale count never reaches past the records the file holds.
    {
        const int64_t records = std::max<int64_t>(0, m_File.Length() - qf3::kBlock_Size);
        const int64_t whole = m_File_Slot_Size == 0 ? 0 : records / m_qf3->Sample_Size;
        if (m_qf3->Num_RGB_Frames > whole) {
            Write_Event_Log("Heat file " + m_File_Name + ": header says " + Num(m_qf3->Num_RGB_Frames) +
                            " frames, the file holds " + Num(whole) + " whole records");
            m_qf3->Num_RGB_Frames = static_cast<int32_t>(whole);
        }
    }
    m_Num_Frames = m_qf3->Num_RGB_Frames;
    m_qf3->QF3_Quality = vb::CInt(vb::Val(Header().RGB_JPEG_Quality()));
    if (!Header().RGB_interlaced()) {
        m_Num_fields = m_Num_Frames;
    } else {
        m_Num_fields = 2 * m_Num_Frames;
        m_mill_per_frame = 40;
        m_mill_per_field = 20;
    }
    m_Gross_fields = m_Num_fields;
    if (m_qf3->Num_RGB_Frames > 1) {
        Send_Trace("*Open_RGB_File, Read_RGB_sample 1");
        // Each read reports its own failure: one damaged sample does not
        // keep the rest of the heat from being opened.
        Read_RGB_sample(1, false);
        Send_Trace("*Open_RGB_File, Read_RGB_sample 2");
        Read_RGB_sample(2, false);
        Send_Trace("*Open_RGB_File, Read_RGB_sample m_qf3->Num_RGB_Frames ", m_qf3->Num_RGB_Frames);
        Read_RGB_sample(m_qf3->Num_RGB_Frames, false);
    }
    Send_Trace("*Open_RGB_File, end");
}

int32_t cls_VideoFile_handler::Read_File_Slot() {
    if (!m_File.Is_Open() || m_File.Length() <= qf3::kBlock_Size) return 0;
    qf3::Sample_Head head{};
    const int64_t got = m_File.Read_At(qf3::kBlock_Size, &head, sizeof head);
    // A file cut inside the first record's head holds no frame: it is read
    // as a heat without frames, which is what it is.
    if (got < static_cast<int64_t>(sizeof head)) return 0;
    if (!Is_Marker(head.Start_Marker, "RGBS"))
        vb::Raise(vb::errBadRecordLength,
                  "Heat file " + m_File_Name + ": sample 1 does not start with its marker");
    if (head.Slot_Dimensions != 1 || head.Slot_Lower_Bound != 1 || head.Slot_Count <= 0 ||
        head.Slot_Count > qf3::kMax_Slot_Size)
        vb::Raise(vb::errBadRecordLength,
                  "Heat file " + m_File_Name + ": sample 1 has a damaged slot size " + Num(head.Slot_Count));
    return head.Slot_Count;
}

void cls_VideoFile_handler::Read_QF3_Headers() {
    vb::Trap("Read_QF3_Headers of Class Module cls_VideoFile_handler", [&] { Read_QF3_Headers_Body(); });
}

void cls_VideoFile_handler::Read_QF3_Headers_Body() {
    // Not cleared: the whole block is read, or the file refused.
    std::unique_ptr<qf3::Header_Block> block(new qf3::Header_Block);
    const int64_t got = m_File.Read_At(0, block.get(), qf3::kBlock_Size);
    m_Heat_Mark_Seen = got >= 4 && Is_Marker(block->Magic, "QFN3");
    if (got < qf3::kBlock_Size)
        vb::Raise(kPast_End, "Heat file " + m_File_Name + " is cut short: its header block holds " +
                                 Num(got) + " of " + Num(qf3::kBlock_Size) + " bytes");
    m_qf3->First_Sample_Addr = qf3::kBlock_Size + 1;
    const int32_t length = block->XML_Length;
    if (length <= 0 || length > qf3::kXML_Field_Size)
        vb::Raise(vb::errBadRecordLength, "Heat file " + m_File_Name + " has a damaged header: text length " +
                                              Num(length) + " outside 1 to " + Num(qf3::kXML_Field_Size));
    const std::string text = Bytes_to_String(block->XML_Text, static_cast<size_t>(length));
    // The header is checked as XML here, so a damaged text is told as such
    // instead of surfacing later as a missing field.
    xmldom::DOMDocument60 probe;
    if (text.empty() || !probe.loadXML(text))
        vb::Raise(vb::errBadRecordLength,
                  "Heat file " + m_File_Name + " has a damaged header: " +
                      (text.empty() ? std::string("no text") : probe.parseError().reason));
    Header().XML_string(text);
}

int64_t cls_VideoFile_handler::RGB_video_adress(int32_t sample) const {
    return m_qf3->First_Sample_Addr + static_cast<int64_t>(sample - 1) * m_qf3->Sample_Size;
}

void cls_VideoFile_handler::Read_RGB_sample(int32_t sample, bool decode) {
    m_Frame_Damage.clear();
    const int32_t wanted = sample == 0 ? 1 : sample;
    if (m_Quiet_Damage) {
        try {
            Read_RGB_sample_Body(sample, decode);
        } catch (const vb::VbError& e) {
            if (e.number() != vb::errBadRecordLength && e.number() != kPast_End) throw;
            m_Frame_Damage = e.description();
        }
    } else {
        vb::Trap("Read_RGB_sample of Class Module Class_RGB_file_handler",
                 [&] { Read_RGB_sample_Body(sample, decode); });
    }
    if (m_Frame_Damage.empty() && m_File.Is_Open() &&
        (m_qf3->Current_Sample != wanted || (decode && !m_qf3->Current_Decoded)))
        m_Frame_Damage = "Heat file " + m_File_Name + ", sample " + Num(wanted) +
                         (m_qf3->Current_Sample != wanted ? " has no record" : " holds no readable picture");
    if (!m_Frame_Damage.empty() && m_Quiet_Damage) Write_Event_Log(m_Frame_Damage);
}

void cls_VideoFile_handler::Read_RGB_sample_Body(int32_t sample, bool decode) {
    if (sample == m_qf3->Current_Sample) {
        if (decode && sample > 0 && !m_qf3->Current_Decoded) Decode_Current_Sample();
        return;
    }
    if (sample == 0) {
        Write_Event_Log("!!! FNum 0->1 File: " + m_File_Name);
        sample = 1;
    }
    if (sample < 0 || !m_File.Is_Open()) return;
    const int64_t address = RGB_video_adress(sample);
    const int64_t offset = address - 1;
    // Read into the spare record, so a refused read leaves the current sample whole.
    std::vector<uint8_t>& spare = m_qf3->Spare_Record;
    spare.resize(qf3::kRecord_Head_Size);
    const int64_t head_got = m_File.Read_At(offset, spare.data(), qf3::kRecord_Head_Size);
    if (!Is_Marker(spare.data(), "RGBS")) return;
    Send_Trace("*Read_RGB_sample get my_fnum = ", sample, " My_Video_adress = ", address);
    const int64_t file_length = m_File.Length();
    qf3::Sample_Head head;
    std::memcpy(&head, spare.data(), sizeof head);
    const std::string where = "Heat file " + m_File_Name + ", sample " + Num(sample);
    if (head_got < qf3::kRecord_Head_Size) vb::Raise(kPast_End, where + " is cut short");
    if (head.Slot_Dimensions != 1 || head.Slot_Lower_Bound != 1 || head.Slot_Count <= 0 ||
        head.Slot_Count > qf3::kMax_Slot_Size)
        vb::Raise(vb::errBadRecordLength, where + " has a damaged slot size " + Num(head.Slot_Count));
    const int64_t record_size = static_cast<int64_t>(head.Slot_Count) + qf3::kRecord_Overhead;
    if (m_qf3->Sample_Size > 0 && record_size != m_qf3->Sample_Size)
        vb::Raise(vb::errBadRecordLength, where + " is " + Num(record_size) +
                                              " bytes long, the file's records " + Num(m_qf3->Sample_Size));
    if (offset + record_size > file_length)
        vb::Raise(kPast_End, where + " is cut short: it needs " + Num(record_size) +
                                 " bytes, the file ends after " + Num(file_length - offset));
    spare.resize(static_cast<size_t>(record_size));
    m_File.Read_At(offset + qf3::kRecord_Head_Size, spare.data() + qf3::kRecord_Head_Size,
                   record_size - qf3::kRecord_Head_Size);
    m_qf3->Read_Record.swap(spare);
    m_qf3->Read_Head = head;
    m_qf3->Current_Sample = sample;
    m_xCurrent = sample;
    m_qf3->Current_Decoded = false;
    m_qf3->Frame_Length = head.JPEG_Length;
    m_Rounded_Capture_Time = Round_To_Multiple(head.Capture_Mill, 40) - 10;
    if (decode) Decode_Current_Sample();
    Send_Trace("*Read_RGB_Sample, end");
}

void cls_VideoFile_handler::Decode_Current_Sample() {
    if (m_qf3->Read_Record.size() < static_cast<size_t>(qf3::kRecord_Overhead)) return;
    m_DrawDib_Open = true;
    const uint8_t* slot = m_qf3->Read_Record.data() + qf3::kRecord_Head_Size;
    if (m_qf3->QF3_fourcc == "IJL" || m_qf3->QF3_fourcc == "JPEG") {
        const std::string where = "Heat file " + m_File_Name + ", sample " + Num(m_qf3->Current_Sample);
        const int32_t length = m_qf3->Read_Head.JPEG_Length;
        if (length <= 0 || length > m_qf3->Read_Head.Slot_Count)
            vb::Raise(vb::errBadRecordLength, where + " has a damaged picture length " + Num(length) +
                                                  " for a slot of " + Num(m_qf3->Read_Head.Slot_Count) +
                                                  " bytes");
        // Decoded aside and taken only whole: a picture that fails (the
        // decoder has told the operator) leaves the frame shown before.
        // The picture's own size is compared with the file's before anything
        // of that size is made.
        int32_t jpg_width = 0;
        int32_t jpg_height = 0;
        if (!m_Decode_Aside) m_Decode_Aside = std::make_unique<cDIBSection>();
        if (!Load_JPG_From_Buffer(*m_Decode_Aside, slot, length, m_qf3->RGB_X, m_qf3->RGB_Y, jpg_width,
                                  jpg_height, !m_Quiet_Damage)) {
            if (jpg_width != 0 && (jpg_width != m_qf3->RGB_X || jpg_height != m_qf3->RGB_Y))
                vb::Raise(vb::errBadRecordLength, where + " holds a picture of " + Num(jpg_width) + "x" +
                                                      Num(jpg_height) + ", the file's frames are " +
                                                      Num(m_qf3->RGB_X) + "x" + Num(m_qf3->RGB_Y));
            return;
        }
        std::swap(m_DIB_Deint_source[0], m_Decode_Aside);
        cDIBSection& dib = *m_DIB_Deint_source[0];
        m_qf3->Sample_Pixels = dib.DIBSectionBitsPtr();
    } else {
        m_qf3->Sample_Pixels = slot;
    }
    m_qf3->Current_Decoded = true;
    Send_Trace("*Read_RGB_Sample, end");
}

void cls_VideoFile_handler::Read_All_RGB_Frames() {
    for (int32_t n = 1; n <= m_qf3->Num_RGB_Frames; ++n)
        Read_RGB_sample(n, true);
}

int16_t cls_VideoFile_handler::QF3_Capture_Delta() const {
    return vb::CInt(static_cast<double>(m_qf3->Read_Head.Capture_Delta));
}

int16_t cls_VideoFile_handler::QF3_Displayed_Frame() const {
    return vb::CInt(static_cast<double>(m_eff_frameno));
}

std::string cls_VideoFile_handler::QF3_Properties() {
    const int64_t length = Get_File_Size(m_File_Name);
    const int32_t frames = Header_Frames();
    const bool rotated = Header().RGB_Rotated();
    const std::string crlf = "\r\n";
    const double mb = vb::RoundHalfEven(static_cast<double>(length) / 1048576.0 * 10.0) / 10.0;
    // A heat file with no frames yet has no average to show.
    const double average = frames > 0 ? static_cast<double>(length / frames) / 1024.0 : 0.0;
    const std::string x = vb::CStr(Header().RGB_X());
    const std::string y = vb::CStr(Header().RGB_Y());
    std::string t;
    t += "File size: " + vb::CStr(mb) + " MB" + crlf;
    t += "Average frame size : " + vb::CStr(average) + " kB" + crlf;
    t += "Frames : " + vb::CStr(static_cast<int64_t>(frames)) + crlf;
    t += "Segments : " + vb::CStr(Header().Segments_no()) + crlf;
    t += "Rotated : " + vb::CStr(rotated) + crlf;
    t += "Dimensions : " + (rotated ? y + "*" + x + " Rotated" : x + "*" + y) + crlf;
    t += "Fourcc : " + m_qf3->QF3_fourcc + crlf;
    t += "Codec : " + m_qf3->QF3_Codec + crlf;
    t += "Base Quality : " + vb::CStr(m_qf3->QF3_Quality) + crlf;
    t += "Reduced Quality instances : " + vb::CStr(Header().JPG_Reduced_Qual_num()) + crlf;
    t += "JPG Threshold : " + Header().RGB_Max_Seen_size() + "/" + Header().RGB_Comp_Threshold() + crlf;
    t += "Max JPG : " + vb::CStr(Header().RGB_Compressed_max_Size()) + crlf;
    t += "Min JPG : " + vb::CStr(Header().RGB_Compressed_min_Size()) + crlf;
    t += "Measured fps : " + Header().RGB_fps() + crlf;
    t += "Interlaced : " + vb::CStr(Header().RGB_interlaced()) + crlf;
    t += "Capture Computer : " + Header().Comp_Name() + crlf;
    t += "Phidget serial : " + Header().Phidget_serial() + crlf;
    t += "Comment : " + Header().File_comment1();
    return t;
}

void cls_VideoFile_handler::Analyze_Sample_Length(const std::string& file_name) {
    Send_Trace("*Analyze_Sample_Length filename = ", file_name);
    video_file_io::File file;
    file.Open(file_name, video_file_io::Mode::Read_Write);
    auto block = std::make_unique<qf3::Header_Block>();
    file.Read_At(0, block.get(), qf3::kBlock_Size);
    const int32_t length = block->XML_Length;
    if (length <= 0 || length > qf3::kXML_Field_Size)
        vb::Raise(vb::errBadRecordLength,
                  "Heat file " + file_name + " has a damaged header: text length " + Num(length));
    Cls_XML_header header;
    header.XML_string(Bytes_to_String(block->XML_Text, static_cast<size_t>(length)));
    std::vector<uint8_t> bytes(400000);
    const int64_t got = file.Read_At(0, bytes.data(), static_cast<int64_t>(bytes.size()));
    bytes.resize(static_cast<size_t>(got));
    Send_Trace("*Analyze_Sample_Length 2");
    int64_t first = -1, second = -1;
    for (size_t i = 0; i + 4 <= bytes.size(); ++i) {
        if (!Is_Marker(&bytes[i], "RGBS")) continue;
        Send_Trace("*Analyze_Sample_Length 3");
        if (first < 0) {
            first = static_cast<int64_t>(i);
            Send_Trace("*Analyze_Sample_Length 4, my_j = ", 1);
        } else {
            second = static_cast<int64_t>(i);
            Send_Trace("*Analyze_Sample_Length 4, my_j = ", 2);
            break;
        }
    }
    Send_Trace("*Analyze_Sample_Length 5");
    const int32_t header_size = header.RGB_Sample_Size();
    const int64_t distance = first >= 0 && second >= 0 ? second - first : 0;
    Send_Trace(" *temp_XML_header_samplesize= ", header_size);
    Send_Trace(" *RGBS_distance = ", distance);
    if (distance != header_size) forms::MsgBox("sample size missmatch!");
    file.Close();
    Send_Trace("*Analyze_Sample_Length, end ");
}

void cls_VideoFile_handler::Read_RGB_Headers() {
    Send_Trace("Read_RGB_Headers start");
    auto block = std::make_unique<qf3::Header_Block>();
    const int64_t got = m_File.Read_At(0, block.get(), qf3::kBlock_Size);
    if (got < qf3::kBlock_Size) vb::Raise(kPast_End, "Heat file " + m_File_Name + " is cut short");
    const int32_t length = block->XML_Length;
    if (length <= 0 || length > qf3::kXML_Field_Size ||
        qf3::kBlock_Size + static_cast<int64_t>(length) > m_File.Length())
        vb::Raise(vb::errBadRecordLength,
                  "Heat file " + m_File_Name + " has a damaged header: text length " + Num(length));
    std::vector<uint8_t> text(static_cast<size_t>(length));
    m_File.Read_At(qf3::kBlock_Size, text.data(), length);
    m_qf3->First_Sample_Addr = qf3::kBlock_Size + length + 1;
    Header().XML_string(Bytes_to_String(text));
    Send_Trace("Read_RGB_Headers end");
}
