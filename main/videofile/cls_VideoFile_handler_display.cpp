// Showing a heat file's frames and fields on a picture window, the overlay
// trail, the file's information text, positions against a model video, the
// frame-path benchmarks and the analysis and comment members.
#include "cls_VideoFile_handler.h"

#include "Cls_XML_header.h"
#include "Dialogs.h"
#include "DvDecoder.h"
#include "DvEncoder.h"
#include "Module_OrvelGraphics.h"
#include "Module_dependant.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "QFN_Error_Handler.h"
#include "VbConvert.h"
#include "VbError.h"
#include "VbString.h"
#include "VbTrap.h"
#include "cDIBSection.h"
#include "clsAVIInfo.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

namespace {

// The 32-bit products of frame times: a heat longer than the type holds
// stops with an overflow instead of showing a wrapped time.
int32_t Checked_Product(int64_t a, int64_t b) {
    const int64_t p = a * b;
    if (p > INT32_MAX || p < INT32_MIN) vb::Raise(vb::errOverflow, "Overflow");
    return static_cast<int32_t>(p);
}

int32_t Checked_Difference(int64_t a, int64_t b) {
    return Checked_Product(a - b, 1);
}

std::string One_Place(double v) {
    return vb::CStr(vb::RoundHalfEven(v * 10.0) / 10.0);
}

double Divided(double a, double b) {
    if (b == 0) vb::Raise(vb::errDivisionByZero, "Division by zero");
    return a / b;
}

const std::string kCrlf = "\r\n";

} // namespace

// ---- Frames and fields of heat files ----

void cls_VideoFile_handler::Draw_RGB_Field(int32_t& field, gdi::DrawTarget& picture) {
    const double frame = std::floor(field / 2.0 + 0.5);
    m_eff_frameno = vb::CLng(frame);
    Read_RGB_sample(m_eff_frameno, true);
    m_Field_To_Show = (field % 2 != 0) ? 1 : 2;
    m_Current_Field = field;
    cDIBSection& target = *m_DIB_Deint_target[0];
    if (m_qf3->RGB_X > 0 && m_qf3->RGB_Y > 0) Fit_DIB(target, m_qf3->RGB_X, m_qf3->RGB_Y);
    // A sample the reader refused leaves the last field on show; the reader
    // has reported why.
    const int32_t wanted = m_eff_frameno < 1 ? 1 : m_eff_frameno;
    if (m_qf3->Current_Sample == wanted && m_qf3->Current_Decoded && m_qf3->Sample_Pixels &&
        target.DIBSectionBitsPtr()) {
        const bool decoded = m_qf3->Sample_Pixels == m_DIB_Deint_source[0]->DIBSectionBitsPtr();
        // A picture stored raw must fill the field picture: its slot is read
        // as one, and a smaller slot would be read past.
        if (!decoded && static_cast<int64_t>(m_qf3->Read_Head.Slot_Count) < target.SizeImage())
            vb::Raise(vb::errBadRecordLength,
                      "Heat file " + m_File_Name + ", sample " + std::to_string(wanted) + " holds " +
                          std::to_string(m_qf3->Read_Head.Slot_Count) + " picture bytes, a frame needs " +
                          std::to_string(target.SizeImage()));
        Line_Double_Field(m_qf3->Sample_Pixels, target, m_Field_To_Show == 1 ? 2 : 1);
    }
    Draw_Current_Field(picture);
    picture.Refresh();
    const int32_t start = m_Trim_Start == 0 ? 1 : m_Trim_Start;
    m_Effective_Time =
        static_cast<float>(Checked_Product(Checked_Difference(field, start), m_mill_per_field));
}

// Storage rows run bottom-up: library field 1 doubles the even rows, field 2
// the odd ones and leaves the first and last storage row of the field picture
// as they were. Pictures whose rows are padded (a width not a multiple of 4)
// or of odd height, which the library would read askew or past their end, are
// doubled row by row the same way.
void cls_VideoFile_handler::Line_Double_Field(const uint8_t* source, cDIBSection& target,
                                              int32_t library_field) {
    const int32_t w = target.Width();
    const int32_t h = target.Height();
    const int32_t stride = target.BytesPerScanLine();
    uint8_t* dest = target.DIBSectionBitsPtr();
    // The source row a storage row shows; -1 keeps the row.
    const auto row_from = [&](int32_t s) {
        if (library_field == 1) return s - (s % 2);
        if (s % 2 == 1) return s + 1 < h ? s : -1;
        return s == 0 ? -1 : s - 1;
    };
    const auto copy_row = [&](int32_t to, int32_t from) {
        std::memmove(dest + static_cast<int64_t>(to) * stride, source + static_cast<int64_t>(from) * stride,
                     static_cast<size_t>(w) * 3);
    };
    if (stride != w * 3 || h % 2 != 0 || h < 2) {
        for (int32_t s = 0; s < h; ++s)
            if (row_from(s) >= 0) copy_row(s, row_from(s));
        return;
    }
    deinterlaceFrame2(const_cast<uint8_t*>(source), dest, w, h, library_field);
}

void cls_VideoFile_handler::Draw_Current_Field(gdi::DrawTarget& picture) {
    gdi::DrawTarget& target = picture;
    cDIBSection& field = *m_DIB_Deint_target[0];
    if (rotated()) {
        Rotate_Into_Target(field);
        m_DIB_Rotate_Target->DIB_DrawDib2(target, 0, 0, vb::CInt(m_DIB_Rotate_Target->Width()),
                                          vb::CInt(m_DIB_Rotate_Target->Height()));
    } else {
        field.DIB_DrawDib2(target, 0, 0, vb::CInt(field.Width()), vb::CInt(field.Height()));
    }
}

void cls_VideoFile_handler::Draw_RGB_frame(int16_t& frame, gdi::DrawTarget& picture) {
    const int32_t start = m_Trim_Start == 0 ? 1 : m_Trim_Start;
    Read_RGB_sample(frame, true);
    Draw_Current_RGB_frame(picture);
    m_Effective_Time =
        static_cast<float>(Checked_Product(Checked_Difference(m_xCurrent, start), m_mill_per_frame));
}

void cls_VideoFile_handler::Draw_Current_RGB_frame(gdi::DrawTarget& picture) {
    gdi::DrawTarget& target = picture;
    cDIBSection& frame = *m_DIB_Deint_source[0];
    // A picture stored raw is copied into the frame bitmap, so a frame draw
    // shows it as the field draw does.
    if (m_qf3->Current_Decoded && m_qf3->Sample_Pixels && m_qf3->Sample_Pixels != frame.DIBSectionBitsPtr() &&
        m_qf3->RGB_X > 0 && m_qf3->RGB_Y > 0)
        Fit_DIB(frame, m_qf3->RGB_X, m_qf3->RGB_Y);
    if (m_qf3->Current_Decoded && m_qf3->Sample_Pixels && frame.DIBSectionBitsPtr() &&
        m_qf3->Sample_Pixels != frame.DIBSectionBitsPtr() &&
        static_cast<int64_t>(m_qf3->Read_Head.Slot_Count) >= frame.SizeImage())
        std::memcpy(frame.DIBSectionBitsPtr(), m_qf3->Sample_Pixels, static_cast<size_t>(frame.SizeImage()));
    if (rotated()) {
        Rotate_Into_Target(frame);
        m_DIB_Rotate_Target->DIB_DrawDib2(target, 0, 0, vb::CInt(m_DIB_Rotate_Target->Width()),
                                          vb::CInt(m_DIB_Rotate_Target->Height()));
    } else {
        frame.DIB_DrawDib2(target, 0, 0, vb::CInt(frame.Width()), vb::CInt(frame.Height()));
    }
    picture.Refresh();
}

void cls_VideoFile_handler::Rotate_Into_Target(cDIBSection& source) {
    if (!source.DIBSectionBitsPtr()) return;
    // The rotated picture is made once per file; only a source of another
    // size (a frame bitmap made again) makes it anew, never written past.
    if (m_DIB_Rotate_Target->Width() != source.Height() || m_DIB_Rotate_Target->Height() != source.Width() ||
        !m_DIB_Rotate_Target->DIBSectionBitsPtr())
        m_DIB_Rotate_Target->Create(source.Height(), source.Width());
    Rotate90(source.DIBSectionBitsPtr(), m_DIB_Rotate_Target->DIBSectionBitsPtr(), source.Width(),
             source.Height(), 0);
}

cDIBSection& cls_VideoFile_handler::Pixel_Bitmap() const {
    return rotated() ? *m_DIB_Rotate_Target : *m_DIB_Deint_target[0];
}

int32_t cls_VideoFile_handler::Get_Field_Pixel(int16_t x, int16_t y) {
    return static_cast<int32_t>(gdi::GetPixel(Pixel_Bitmap().hDC(), x, y));
}

void cls_VideoFile_handler::Set_Field_Pixel(int32_t x, int32_t y, int32_t colour) {
    gdi::SetPixel(Pixel_Bitmap().hDC(), x, y, static_cast<gdi::COLORREF>(colour));
}

void cls_VideoFile_handler::Let_Field_Pixel(int16_t x, int16_t y, int32_t colour) {
    Set_Field_Pixel(x, y, colour);
}

gdi::HDC cls_VideoFile_handler::DEint_HDC() const {
    return m_DIB_Deint_target[0]->hDC();
}

gdi::HDC cls_VideoFile_handler::Rotated_HDC() const {
    return m_DIB_Rotate_Target->hDC();
}

// ---- Overlays ----

void cls_VideoFile_handler::Ensure_Overlay_Bitmaps(int32_t width, int32_t height) {
    if (m_OL_Created && m_DIB_OL_source && m_DIB_OL_target && m_DIB_OL_first_frame) return;
    if (!m_DIB_OL_source) m_DIB_OL_source = std::make_unique<cDIBSection>();
    if (!m_DIB_OL_target) m_DIB_OL_target = std::make_unique<cDIBSection>();
    if (!m_DIB_OL_first_frame) m_DIB_OL_first_frame = std::make_unique<cDIBSection>();
    Fit_DIB(*m_DIB_OL_source, width, height);
    Fit_DIB(*m_DIB_OL_target, width, height);
    Fit_DIB(*m_DIB_OL_first_frame, width, height);
    m_OL_Created = true;
}

void cls_VideoFile_handler::Store_OL_Source() {
    if (!m_OL_Created) {
        Send_Trace("Store_OL_source create DIB:s");
        Ensure_Overlay_Bitmaps(m_Width, m_Height);
        m_DIB_OL_source->ID_string("obj_DIB_OL_source");
        m_DIB_OL_target->ID_string("obj_DIB_OL_target");
        m_DIB_OL_first_frame->ID_string("obj_DIB_OL_first_frame");
    }
    Send_Trace("Store_OL_source deinterlaceFrame2");
    cDIBSection& reference = *m_DIB_OL_first_frame;
    if (is_DV()) {
        // The source is read as a picture of the reference frame's size.
        cDIBSection& frame = *m_DIB_Deint_source[0];
        if (frame.Width() == reference.Width() && frame.Height() == reference.Height() &&
            frame.DIBSectionBitsPtr() && reference.DIBSectionBitsPtr())
            deinterlaceFrame2(frame.DIBSectionBitsPtr(), reference.DIBSectionBitsPtr(), reference.Width(),
                              reference.Height(), m_Field_To_Show);
    } else {
        Fit_DIB(reference, m_Width, m_Height);
        Decode_Buffered_Frame(reference, m_Width, m_Height);
    }
}

void cls_VideoFile_handler::A_Blend(gdi::DrawTarget& picture) {
    cDIBSection& field = *m_DIB_Deint_target[0];
    if (!is_DV()) {
        Fit_DIB(field, m_Width, m_Height);
        Decode_Buffered_Frame(field, m_Width, m_Height);
    }
    if (!m_OL_Created) return;
    Blend_Overlay(field, 4);
    gdi::DrawTarget& target = picture;
    m_DIB_OL_target->DIB_DrawDib2(target, 0, 0, vb::CInt(m_DIB_OL_target->Width()),
                                  vb::CInt(m_DIB_OL_target->Height()));
    picture.Refresh();
}

void cls_VideoFile_handler::Blend_Overlay(cDIBSection& new_frame, int16_t mode) {
    cDIBSection& source = *m_DIB_OL_source;
    cDIBSection& target = *m_DIB_OL_target;
    cDIBSection& reference = *m_DIB_OL_first_frame;
    const int32_t w = vb::CInt(source.Width());
    const int32_t h = vb::CInt(source.Height());
    // The routines take every picture at the source's size; pictures of
    // another size (the control's and the frame's differ) are not blended.
    auto same = [&](const cDIBSection& d) {
        return d.Width() == w && d.Height() == h && d.DIBSectionBitsPtr() != nullptr;
    };
    if (!same(new_frame) || !same(target)) return;
    if (mode == 2 || mode == 3) {
        LBlend(new_frame.DIBSectionBitsPtr(), target.DIBSectionBitsPtr(), w, h, mode == 2 ? 1 : 2);
    } else if (mode == 4) {
        if (!same(reference)) return;
        ABlend(new_frame.DIBSectionBitsPtr(), target.DIBSectionBitsPtr(), reference.DIBSectionBitsPtr(), w, h,
               m_Blend_faktor);
    }
}

void cls_VideoFile_handler::Paint_Overlay_Target(gdi::DrawTarget& picture) {
    gdi::DrawTarget& target = picture;
    m_DIB_OL_target->DIB_PaintPicture(target.target_hdc(), 0, 0, vb::CLng(target.target_width_px()),
                                      vb::CLng(target.target_height_px()), 0, 0, gdi::SRCCOPY);
}

void cls_VideoFile_handler::Draw_Overlay_Frame(int32_t frame, gdi::DrawTarget& picture) {
    if (!m_OL_Created) return;
    if (frame == 1) {
        Decode_Buffered_Frame(*m_DIB_OL_target, m_DIB_OL_target->Width(), m_DIB_OL_target->Height());
        Read_ff();
    } else {
        Decode_Buffered_Frame(*m_DIB_OL_source, m_DIB_OL_source->Width(), m_DIB_OL_source->Height());
        Blend_Overlay(*m_DIB_OL_source, m_Overlay_Mode);
    }
    Paint_Overlay_Target(picture);
}

void cls_VideoFile_handler::Read_ff() {
    if (!m_DIB_OL_first_frame || !m_DIB_OL_first_frame->hDC()) return;
    Read_Overlay_Frame(1);
    Decode_Buffered_Frame(*m_DIB_OL_first_frame, m_DIB_OL_first_frame->Width(),
                          m_DIB_OL_first_frame->Height());
}

void cls_VideoFile_handler::Restore_target(int32_t& frame) {
    Ensure_Overlay_Bitmaps(m_Width, m_Height);
    Read_Overlay_Frame(frame);
    Decode_Buffered_Frame(*m_DIB_OL_target, m_Width, m_Height);
}

void cls_VideoFile_handler::Store_frame(int32_t& frame, const std::string& which) {
    if (!File_open()) return;
    Ensure_Overlay_Bitmaps(m_Width, m_Height);
    if (frame == 0) frame = 1;
    Read_Overlay_Frame(frame);
    if (which == "source") {
        Decode_Buffered_Frame(*m_DIB_OL_source, m_Width, m_Height);
    } else if (which == "target") {
        Decode_Buffered_Frame(*m_DIB_OL_target, m_Width, m_Height);
    }
    // Any other text decodes into no bitmap: nothing to keep.
}

void cls_VideoFile_handler::Reset_Overlay(gdi::DrawTarget& picture) {
    if (m_Overlay_Mode == 0 || !m_OL_Created) return;
    cDIBSection& into = m_Overlay_Mode == 4 ? *m_DIB_OL_first_frame : *m_DIB_OL_target;
    Decode_Buffered_Frame(into, into.Width(), into.Height());
    Paint_Overlay_Target(picture);
}

// A heat file's frames are its samples, read and decoded; the other kinds
// read the compressed frame into the read buffer.
void cls_VideoFile_handler::Read_Overlay_Frame(int32_t frame) {
    if (Is_Suffix("qf3"))
        Read_RGB_sample(frame, true);
    else
        Read_Frame(frame);
}

// The frame in the read buffer decoded into the bitmap at (0, 0, width,
// height). A heat file's frame is its decoded sample; the other kinds decode
// their compressed frame.
void cls_VideoFile_handler::Decode_Buffered_Frame(cDIBSection& into, int32_t width, int32_t height) {
    if (!into.hDC()) return;
    if (Is_Suffix("qf3")) {
        cDIBSection& frame = *m_DIB_Deint_source[0];
        if (!m_qf3->Current_Decoded || !frame.hDC()) return;
        gdi::StretchBlt(into.hDC(), 0, 0, width, height, frame.hDC(), 0, 0, frame.Width(), frame.Height(),
                        gdi::SRCCOPY);
        return;
    }
    Blit_Frame(into.hDC(), width, height);
}

// ---- The information text ----

std::string cls_VideoFile_handler::Property_String() {
    const int64_t size = Get_File_Size(m_File_Name);
    const double mb = static_cast<double>(size) / 1048576.0;
    std::string t;
    const std::string& sfx = m_file_suffix;
    if (sfx != "qf3") {
        t += "File name : " + m_File_Name + kCrlf;
        t += "File size= " + One_Place(mb) + " mByte" + kCrlf;
    }
    if (sfx == "dv") {
        t += "Num frames = " + vb::CStr(m_Num_Frames) + kCrlf;
        t += "Dimensions w*h = " + vb::CStr(m_Width) + " * " + vb::CStr(m_Height) + kCrlf;
        t += "NTSC: " + vb::CStr(m_NTSC) + kCrlf;
        t += "Clip length = " + One_Place(m_Clip_length / 1000.0) + " sec" + kCrlf;
    } else if (sfx == "avi" || sfx == "AVI") {
        clsAVIInfo* info = AVI_Info();
        t += "Num frames = " + vb::CStr(info ? info->NumFrames() : 0) + kCrlf;
        t += "Dimensions w*h = " + vb::CStr(m_Width) + " * " + vb::CStr(m_Height) + kCrlf;
        t += "NTSC: " + vb::CStr(m_NTSC) + kCrlf;
        t += "Fourcc = " + (info ? info->VideoCodec() : std::string()) + kCrlf;
        // The frame rate, not the field rate the frame duration gives here.
        const int32_t micro = info ? info->MicroSecPerFrame() : 0;
        if (micro > 0) t += "Fps = " + One_Place(1000000.0 / micro) + kCrlf;
        if (m_Num_Frames > 0)
            t += "kByte/frame =   " +
                 vb::CStr(vb::RoundHalfEven(static_cast<double>(size) / m_Num_Frames / 1024.0)) + kCrlf;
        t += "Has XML chunk = " + vb::CStr(Has_XML_header()) + kCrlf;
    } else if (sfx == "qf1" || sfx == "qf2") {
        std::string frames = vb::CStr(m_Num_Frames);
        if (m_Num_Video_streams > 1) frames += "*" + vb::CStr(m_Num_Video_streams);
        t += "Num frames = " + frames + kCrlf;
        t += "Num streams = " + vb::CStr(m_Num_Video_streams) + kCrlf;
        t += "Clip length = " + One_Place(m_Clip_length / 1000.0) + " sec" + kCrlf;
        t += "Dimensions w*h = " + vb::CStr(m_Width) + " * " + vb::CStr(m_Height) + kCrlf;
        if (Stream_rotated(1))
            t += " Rotated dimensions = " + vb::CStr(m_Height) + " * " + vb::CStr(m_Width) + kCrlf;
        else
            t += kCrlf;
        t += "NTSC: " + vb::CStr(m_NTSC) + kCrlf;
        if (is_DV()) t += "Wide-screen = " + vb::CStr(Parse_DV_header()) + kCrlf;
        t += "Rotated = " + vb::CStr(m_Streams[0].Rotated) + kCrlf;
        t += "Fourcc = " + g_DV_Codec + kCrlf;
        t += "Fps = " + One_Place(Divided(1000.0, m_mill_per_frame)) + kCrlf;
        for (int32_t n = 1; n <= 3; ++n)
            t += "Comment" + vb::CStr(n) + "= " + comment(n) + kCrlf;
        t += "Subject name = " + Subject_name() + kCrlf;
    } else if (sfx == "qf3") {
        t += "File_size: " + One_Place(mb) + " MB" + kCrlf;
        t += "Progressive : " + vb::CStr(!Header().RGB_interlaced()) + kCrlf;
        t += "Frames : " + vb::CStr(Header_Frames()) + kCrlf;
        t += "Dimensions : " + vb::CStr(m_qf3->RGB_X) + "*" + vb::CStr(m_qf3->RGB_Y) + kCrlf;
        t += "Rotated : " + vb::CStr(RGB_Rotated()) + kCrlf;
        t += "Fourcc : " + m_qf3->QF3_fourcc + kCrlf;
        t += "Codec : " + m_qf3->QF3_Codec + kCrlf;
        t += "Quality : " + vb::CStr(m_qf3->QF3_Quality) + kCrlf;
        t += "Measured fps : " + Header().RGB_fps() + kCrlf;
        t += "Phidget serial  : " + Header().Phidget_serial() + kCrlf;
        t += "Comment : " + Header().File_comment1() + kCrlf;
    }
    if (Has_XML_header()) {
        t += "Selection start/end = " + vb::CStr(Selection_start()) + "/" + vb::CStr(Selection_end()) + kCrlf;
        const std::string app = SpecApp();
        t += "Special application =  " + app + kCrlf;
        if (vb::UCase(app) == "GOLF") {
            t += "Swing top at =  " + vb::CStr(Header().Top_field()) + kCrlf;
            t += "Swing impact at =  " + vb::CStr(Header().Impact_field()) + kCrlf;
        }
        if (m_Num_Video_streams == 2)
            t += "Stream 2 offset =  " + vb::CStr(Header().Offset_fields(2)) + kCrlf;
    }
    return t;
}

// ---- Positions against a model video ----

int32_t cls_VideoFile_handler::xCurrent() const {
    return m_Is_Deinterlaced ? m_xCurrent : m_Current_Field;
}

int32_t cls_VideoFile_handler::Current_net() {
    if (m_Is_Deinterlaced) return m_xCurrent;
    return m_Current_Field - Selection_start() + 1;
}

float cls_VideoFile_handler::Frame_Read_Time() const {
    if (m_file_suffix == "qf3")
        return m_qf3->Current_Sample > 0
                   ? static_cast<float>(static_cast<int64_t>(m_qf3->Current_Sample - 1) * m_mill_per_frame)
                   : 0.0f;
    return static_cast<float>(m_dv->Frame_Start_Ms);
}

bool cls_VideoFile_handler::has_Base_Time() {
    bool has = false;
    vb::Trap("has_Base_Time of Class Module cls_AVI_handler", [&] { has = m_Base_Time > 0; });
    return has;
}

int32_t cls_VideoFile_handler::Effective_time() const {
    return vb::CLng(static_cast<double>(m_Effective_Time));
}

std::string cls_VideoFile_handler::Formatted_Time() const {
    return vb::FormatNumber(Effective_time() / 1000.0, "#0.00");
}

int16_t cls_VideoFile_handler::Synch_time(float time_ms) {
    int16_t result = 0;
    vb::Trap("Synch_time of Class Module cls_AVI_handler", [&] {
        if (m_Is_Deinterlaced) {
            m_eff_frameno = vb::CLng(Divided(time_ms, m_mill_per_frame));
            result = vb::CInt(m_eff_frameno);
        } else {
            m_eff_fieldno = vb::CLng(Divided(time_ms, m_mill_per_field) + 1);
            const int32_t selection = Selection_start();
            if (selection > 0)
                m_eff_fieldno = Checked_Difference(static_cast<int64_t>(selection) + m_eff_fieldno, 1);
            result = vb::CInt(m_eff_fieldno);
        }
    });
    return result;
}

int32_t cls_VideoFile_handler::Synch_percentage(int16_t percent) {
    int32_t result = 0;
    vb::TrapAlways(
        [&] {
            m_Percentage = percent;
            const int32_t count = m_Is_Deinterlaced ? m_Num_Frames : m_Num_fields;
            const int32_t n = vb::CLng(Checked_Product(count, percent) / 100.0);
            if (m_Is_Deinterlaced)
                m_eff_frameno = n;
            else
                m_eff_fieldno = n;
            result = n;
        },
        [](const vb::VbError& e) { vb::ReportError(e, "Synch_percentage of Class Module cls_AVI_handler"); });
    return result;
}

int16_t cls_VideoFile_handler::Synch_model(int16_t offset) {
    // Wide enough for any offset: the answer is always within the file.
    int32_t n = static_cast<int32_t>(m_Video_Offset) + offset;
    if (n < 1) n = 1;
    if (n > m_Num_Frames) n = m_Num_Frames;
    return vb::CInt(n);
}

// ---- Frame-path benchmarks ----

void cls_VideoFile_handler::Bench_Prepare() {
    m_DIB_Deint_source[0]->Create(720, 576);
    Load_Bench_DV_Frame();
    m_DIB_Rotate_Source->Create(720, 576);
    m_DIB_Rotate_Target->Create(576, 720);
}

void cls_VideoFile_handler::Benchmark_Decomp_Once() {
    if (!m_Bench_Prepared) {
        Load_Bench_DV_Frame();
        m_DIB_Deint_source[0]->Create(720, 576);
        m_DIB_Rotate_Source->Create(720, 576);
        m_DIB_Rotate_Target->Create(576, 720);
        m_Bench_Prepared = true;
    }
    m_Last_Draw_Result = Decode_Bench_DV_Frame(*m_DIB_Deint_source[0]) ? 1 : 0;
}

void cls_VideoFile_handler::Benchmark_Deint_Once() {
    cDIBSection& frame = *m_DIB_Deint_source[0];
    cDIBSection& into = *m_DIB_Rotate_Source;
    // Both are the benchmark's 720 x 576 once prepared; unprepared bitmaps
    // of other sizes are not read past.
    if (!frame.DIBSectionBitsPtr() || !into.DIBSectionBitsPtr() || frame.Width() != into.Width() ||
        frame.Height() != into.Height())
        return;
    deinterlaceFrame2(frame.DIBSectionBitsPtr(), into.DIBSectionBitsPtr(), into.Width(), into.Height(),
                      m_Field_To_Show);
}

void cls_VideoFile_handler::Benchmark_Rotate_Once() {
    cDIBSection& source = *m_DIB_Rotate_Source;
    cDIBSection& target = *m_DIB_Rotate_Target;
    if (source.Width() != 720 || source.Height() != 576 || target.Width() != 576 || target.Height() != 720)
        return;
    Rotate90(source.DIBSectionBitsPtr(), target.DIBSectionBitsPtr(), 720, 576, 1);
}

void cls_VideoFile_handler::benchmark_getfile() {
    std::vector<uint8_t> buffer(144000);
    const uint32_t start = Get_Time_Mill();
    for (int i = 0; i < 20; ++i)
        m_File.Read_At(2880000 - 1, buffer.data(), 144000);
    const uint32_t elapsed = Get_Time_Mill() - start;
    forms::MsgBox("Get time = " + vb::CStr(elapsed / 20.0));
}

// The program's "DV" resource 102: one PAL frame that the program encodes
// itself, so it is always there. The picture is easy to check by eye and by
// test: the top half white with a red block at its left quarter, the bottom
// half black.
void cls_VideoFile_handler::Load_Bench_DV_Frame() {
    static const std::vector<uint8_t> frame = [] {
        constexpr int32_t w = 720, h = 576;
        std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3, 0);
        for (int32_t y = 0; y < h / 2; ++y)
            for (int32_t x = 0; x < w; ++x) {
                uint8_t* p = rgb.data() + (static_cast<size_t>(y) * w + x) * 3;
                p[0] = 255;
                p[1] = p[2] = x < w / 4 ? 0 : 255;
            }
        return dv::Encode_Frame(rgb, true);
    }();
    if (frame.size() != 144000) vb::Raise(326, "Resource with identifier '102' not found");
    m_Bench_DV_Frame = frame;
}

bool cls_VideoFile_handler::Decode_Bench_DV_Frame(cDIBSection& into) {
    if (m_Bench_DV_Frame.size() != 144000) return false;
    if (!m_DV_Decoder) m_DV_Decoder = std::make_shared<dv::Decoder>();
    if (!m_DV_Picture) m_DV_Picture = std::make_shared<dv::Picture>();
    if (!m_DV_Decoder->Decode(m_Bench_DV_Frame.data(), m_Bench_DV_Frame.size(), *m_DV_Picture)) return false;
    const dv::Picture& pic = *m_DV_Picture;
    if (into.Width() != pic.width || into.Height() != pic.height || into.BytesPerScanLine() != pic.stride)
        return false;
    std::memcpy(into.DIBSectionBitsPtr(), pic.bits.data(), pic.bits.size());
    return true;
}

// ---- Golf analysis, comments and graph objects ----

bool cls_VideoFile_handler::is_Tidewick() {
    return Header().is_Tidewick();
}
int16_t cls_VideoFile_handler::Impact_field() {
    return Header().Impact_field();
}
int16_t cls_VideoFile_handler::Top_field() {
    return Header().Top_field();
}
std::string cls_VideoFile_handler::Must_print() {
    return Header().Must_print();
}
void cls_VideoFile_handler::Must_print(const std::string& value) {
    Header().Must_print(value);
}
std::string cls_VideoFile_handler::Graded_at() {
    return Header().Graded_at();
}
void cls_VideoFile_handler::Graded_at(const std::string& value) {
    Header().Graded_at(value);
}
bool cls_VideoFile_handler::Graded_active() {
    return Header().Graded_active();
}
void cls_VideoFile_handler::Graded_active(bool value) {
    Header().Graded_active(value);
}
std::string cls_VideoFile_handler::Grade_slice() {
    return Header().Grade_slice();
}
void cls_VideoFile_handler::Grade_slice(const std::string& value) {
    Header().Grade_slice(value);
}
std::string cls_VideoFile_handler::Grade_direction() {
    return Header().Grade_direction();
}
void cls_VideoFile_handler::Grade_direction(const std::string& value) {
    Header().Grade_direction(value);
}
std::string cls_VideoFile_handler::Grade_top() {
    return Header().Grade_top();
}
void cls_VideoFile_handler::Grade_top(const std::string& value) {
    Header().Grade_top(value);
}
std::string cls_VideoFile_handler::Grade_toe() {
    return Header().Grade_toe();
}
void cls_VideoFile_handler::Grade_toe(const std::string& value) {
    Header().Grade_toe(value);
}
std::string cls_VideoFile_handler::Grade_club() {
    return Header().Grade_club();
}
void cls_VideoFile_handler::Grade_club(const std::string& value) {
    Header().Grade_club(value);
}
std::string cls_VideoFile_handler::Grade_comment() {
    return Header().Grade_comment();
}
void cls_VideoFile_handler::Grade_comment(const std::string& value) {
    Header().Grade_comment(value);
}
std::string cls_VideoFile_handler::File_comment1() {
    return Header().File_comment1();
}
void cls_VideoFile_handler::File_comment1(const std::string& value) {
    Header().File_comment1(value);
}
std::string cls_VideoFile_handler::Venue() {
    return Header().Venue();
}
void cls_VideoFile_handler::Venue(const std::string& value) {
    Header().Venue(value);
}
std::string cls_VideoFile_handler::comment(int32_t n) {
    return Header().comment(vb::CInt(n));
}
void cls_VideoFile_handler::comment(int32_t n, const std::string& value) {
    Header().comment(vb::CInt(n), value);
}
std::string cls_VideoFile_handler::Subject_name() {
    return Header().Subject_name();
}
void cls_VideoFile_handler::Subject_name(const std::string& value) {
    Header().Subject_name(value);
}
std::string cls_VideoFile_handler::anp_line(int32_t line) {
    return Header().anp_line(vb::CInt(line));
}
void cls_VideoFile_handler::anp_line(int32_t line, const std::string& value) {
    Header().anp_line(vb::CInt(line), value);
}
int16_t cls_VideoFile_handler::anp_file_lines() {
    return Header().anp_numlines();
}
void cls_VideoFile_handler::anp_file_lines(int16_t value) {
    Header().anp_numlines(value);
}
std::string cls_VideoFile_handler::anp_filename() {
    return Header().anp_filename();
}
void cls_VideoFile_handler::anp_filename(const std::string& value) {
    Header().anp_filename(value);
}
std::string cls_VideoFile_handler::SpecApp() {
    return Header().SpecApp();
}
void cls_VideoFile_handler::SpecApp(const std::string& value) {
    Header().SpecApp(value);
}
std::string cls_VideoFile_handler::Camera_ID(int32_t stream) {
    return Header().Camera_ID(vb::CInt(stream));
}
void cls_VideoFile_handler::Camera_ID(int32_t stream, const std::string& value) {
    Header().Camera_ID(vb::CInt(stream), value);
}

void cls_VideoFile_handler::Save_Graph_object(int16_t id, int16_t obj_type, int16_t layer, int32_t color,
                                              int16_t linetype, int16_t linewidth, bool filled, int16_t x1,
                                              int16_t y1, int16_t x2, int16_t y2, int16_t x3, int16_t y3,
                                              int16_t x4, int16_t y4) {
    Header().Graph_object(id, obj_type, layer, color, linetype, linewidth, filled, x1, y1, x2, y2, x3, y3, x4,
                          y4);
}

void cls_VideoFile_handler::Load_Graph_object(int16_t id, int16_t& obj_type, int16_t& layer, int32_t& color,
                                              int16_t& linetype, int16_t& linewidth, bool& filled,
                                              int16_t& x1, int16_t& y1, int16_t& x2, int16_t& y2, int16_t& x3,
                                              int16_t& y3, int16_t& x4, int16_t& y4) {
    Header().get_Graph_object(id, obj_type, layer, color, linetype, linewidth, filled, x1, y1, x2, y2, x3, y3,
                              x4, y4);
}

void cls_VideoFile_handler::Dump_XML_Header(const std::string& folder) {
    Header().Dump_XML_to_File(folder);
}

void cls_VideoFile_handler::Set_Frames_no(int16_t count) {
    Header().Frames_no(count);
    Write_XML_Header();
}

void cls_VideoFile_handler::Set_Selrect_stream1(int16_t bottom, int16_t left, int16_t right, int16_t top) {
    Header().Selection_Rectangle(1, "b", bottom);
    Header().Selection_Rectangle(1, "t", top);
    Header().Selection_Rectangle(1, "l", left);
    Header().Selection_Rectangle(1, "r", right);
    Write_XML_Header();
}

void cls_VideoFile_handler::Set_This_Impact_Frame() {
    if (Is_Suffix("qf1") || Is_Suffix("qf2"))
        Header().Impact_field(vb::CInt(m_xCurrent));
    else if (Is_Suffix("avi") || Is_Suffix("AVI"))
        Header().Impact_field(vb::CInt(m_qf3->Current_Sample));
    Write_XML_Header();
}

void cls_VideoFile_handler::Set_Specific_Impact_Field(int16_t value) {
    if (Is_Suffix("qf1") || Is_Suffix("qf2") || Is_Suffix("qf3"))
        Header().Impact_field(value);
    else if (Is_Suffix("avi") || Is_Suffix("AVI"))
        Header().Impact_field(vb::CInt(m_qf3->Current_Sample));
    Write_XML_Header();
}

void cls_VideoFile_handler::Set_Specific_Top_Frame(int16_t value) {
    if (Is_Suffix("qf1") || Is_Suffix("qf2") || Is_Suffix("qf3") || Is_Suffix("avi") || Is_Suffix("AVI"))
        Header().Top_field(value);
    Write_XML_Header();
}

void cls_VideoFile_handler::Set_Start_frame() {
    Header().Selection_start(1, m_xCurrent);
    Write_XML_Header();
    Calculate_Number_of_Fields();
}

void cls_VideoFile_handler::Set_End_frame() {
    Header().Selection_end(1, m_xCurrent);
    Write_XML_Header();
    Calculate_Number_of_Fields();
}

void cls_VideoFile_handler::Clear_Start_Frame() {
    Header().Selection_start(1, 0);
    Write_XML_Header();
    Calculate_Number_of_Fields();
}

void cls_VideoFile_handler::Clear_End_Frame() {
    Header().Selection_end(1, 0);
    Write_XML_Header();
    Calculate_Number_of_Fields();
}

int16_t cls_VideoFile_handler::Trimmed_Start() const {
    if (vb::LCase(m_file_suffix) == "avi") return 1;
    return m_Trim_Start;
}

int16_t cls_VideoFile_handler::Trimmed_End() const {
    if (m_file_suffix == "avi") return 0;
    return m_Trim_End;
}

void cls_VideoFile_handler::Calculate_Number_of_Fields() {
    Read_Stream_Info();
    if (m_Trim_End != 0)
        m_Num_fields = static_cast<int32_t>(m_Trim_End) - m_Trim_Start;
    else
        m_Num_fields = m_Gross_fields - m_Trim_Start; // from the whole file: a second call lowers nothing
}

bool cls_VideoFile_handler::Has_DV_Header() const {
    if (m_file_suffix == "sdv" || m_file_suffix == "qf1" || m_file_suffix == "qf2") return true;
    return m_avi->Chunk_Address[6] > 0; // "ORHD"
}

void cls_VideoFile_handler::Clear_in_Store() {
    m_Frame_in_store = 0;
    m_qf3->Current_Sample = 0;
    m_qf3->Current_Decoded = false;
    m_dv->Buffered_Frame = 0;
    m_dv->Current_Frame = 0;
    m_dv->DV_Picture_Frame = 0;
    m_dv->Stream_Frame_Decoded = {};
    Force_Reread_Frame();
}

// The DV comment: bytes 82 to 161 of the DV extra data block.
constexpr size_t kComment_At = 82;
constexpr size_t kComment_Size = 80;

std::string cls_VideoFile_handler::Read_Comment() const {
    const uint8_t* field = m_dv->DV_Extra_Block.data() + kComment_At;
    if (field[0] == 0) return {};
    return Bytes_to_String(field, kComment_Size);
}

void cls_VideoFile_handler::Write_comment(const std::string& text) {
    // Without the block read from the frame the rewrite would land on the
    // frame's own picture data.
    if (std::memcmp(m_dv->DV_Extra_Block.data(), "SSCD", 4) != 0)
        vb::Raise(vb::errInvalidProcedureCall,
                  "The frame read last holds no DV extra data block: " + m_File_Name);
    String_to_Bytes(vb::Left(text, static_cast<int64_t>(kComment_Size)),
                    m_dv->DV_Extra_Block.data() + kComment_At, kComment_Size);
    Rewrite_DV_Extra_data();
}

void cls_VideoFile_handler::Force_Framerate(int32_t fps) {
    const int32_t micro = vb::CLng(Divided(1000000.0, fps));
    // Only a head record read from this file is written back: an empty one
    // would overwrite the start of the file.
    if (std::memcmp(m_avi->AVI_Chunk_Head.data(), "avih", 4) != 0 || !m_File.Is_Open())
        vb::Raise(vb::errInvalidProcedureCall, "No AVI header has been read from " + m_File_Name);
    video_file_io::Put32(m_avi->AVI_Main_Header.data(), micro);
    // The main header follows the RIFF head, the header list head and its
    // own chunk head.
    m_File.Write_At(12 + 12 + 8, m_avi->AVI_Main_Header.data(),
                    static_cast<int64_t>(m_avi->AVI_Main_Header.size()));
}

void cls_VideoFile_handler::Dump_XML_String(const std::string& text) {
    // The program's folder is not writable on every installation; the
    // application-data folder, beside the settings and the logs, is.
    const std::string folder = g_AppData_Folder.empty() ? Get_Local_AppData_Folder() : g_AppData_Folder;
    const std::string path = folder + "/dumpxml.xml";
    // Shortened first: a shorter dump would keep the tail of the last one.
    std::ofstream f(path, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!f.is_open()) vb::Raise(vb::errPathFileAccess, "Path/File access error");
    f.write(text.data(), static_cast<std::streamsize>(text.size()));
}
