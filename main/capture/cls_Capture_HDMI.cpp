#include "cls_Capture_HDMI.h"

#include "ComCreate.h"
#include "Dialogs.h"
#include "Form_Tidewick_HDMI_debug.h"
#include "MediaType.h"
#include "Module_HDMI_Support.h"
#include "Module_OrvelGraphics.h"
#include "Module_canoe.h"
#include "Module_dependant.h"
#include "Module_ini_file.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "PictureBox.h"
#include "VbConvert.h"
#include "VbError.h"
#include "VbTrap.h"
#include "WinClock.h"
#include "mIntelJPEGLibrary.h"
#include "modAPIDraw.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

constexpr int16_t kLearning_Quality = 80;
// Room below which a JPEG's own headers would not fit a tiny crop.
constexpr int32_t kMin_JPG_Capacity = 65536;
constexpr int32_t kMillPerDay = 86400000;

int64_t Address_From_Text(const std::string& text) {
    return std::strtoll(text.c_str(), nullptr, 10);
}

} // namespace

com::ComPtr<cls_Capture_HDMI> cls_Capture_HDMI::Create() {
    com::ComPtr<cls_Capture_HDMI> made;
    auto* object = new cls_Capture_HDMI();
    object->m_counted = true;
    made.attach(object); // takes over the reference the object is made with
    return made;
}

com::ULONG cls_Capture_HDMI::Release() {
    const com::ULONG left = --m_refs;
    if (left == 0 && m_counted) delete this;
    return left;
}

cls_Capture_HDMI::cls_Capture_HDMI() {
    Send_Trace("*Cls_Capture_HDMI Initialize ");
    if (!oCapture) {
        Check(com::CreateInstance(CLSID_VideoCap5, oCapture), "CreateObject VideoCap5");
        Check(oCapture->Advise(this, &m_advise_cookie), "Advise");
    }
    Event_to_Send = 1;
    Stop_Captures_And_Flush = [] {
        g_Captures_Stopped = true;
        ::Stop_Captures_And_Flush();
    };
}

cls_Capture_HDMI::~cls_Capture_HDMI() {
    try {
        Send_Trace("*cls_Capture_HDMI Class_Terminate begin, index = ", 0, " ID_string = ", m_ID_string);
        Stop_Capture();
        Send_Trace("*cls_Capture,oCapture Unadvise");
        if (m_advise_cookie != 0 && oCapture) {
            oCapture->Unadvise(m_advise_cookie);
            m_advise_cookie = 0;
        }
    } catch (...) {
        // A destructor reports nothing; the library's object goes regardless.
    }
    oCapture.reset();
}

void cls_Capture_HDMI::Check(com::HRESULT hr, const char* what) {
    if (com::FAILED(hr)) vb::Raise(static_cast<int32_t>(hr), std::string(what) + " failed");
}

std::string cls_Capture_HDMI::Get_Property(const std::string& name) {
    com::Bstr key(name), value;
    Check(oCapture->GetProperty(key.get(), value.put()), "GetProperty");
    return value.str();
}

void cls_Capture_HDMI::Set_Property(const std::string& name, const std::string& value) {
    com::Bstr key(name), val(value);
    Check(oCapture->SetProperty(key.get(), val.get()), "SetProperty");
}

std::string cls_Capture_HDMI::Library_Last_Error() {
    com::Bstr text;
    Check(oCapture->GetLastError(text.put()), "GetLastError");
    return text.str();
}

com::HRESULT cls_Capture_HDMI::QueryInterface(com::REFIID riid, void** ppv) {
    if (!ppv) return com::E_POINTER;
    if (riid == com::IUnknown::kIID || riid == IVideoCapEvent::kIID) {
        *ppv = static_cast<IVideoCapEvent*>(this);
        AddRef();
        return com::S_OK;
    }
    *ppv = nullptr;
    return com::E_NOINTERFACE;
}

// ---- Source, run and stop ---------------------------------------------------

bool cls_Capture_HDMI::Set_Source_from_Saved() {
    Send_Trace("*Set_Source_from_Saved, begin");
    m_saved_Friendly_name = Read_Ini("capturesettings", "friendlyname", g_Ini_File_Path, "noname");
    m_saved_Video_prop_num = Read_Ini("capturesettings", "videoproperty", g_Ini_File_Path, "-1");
    Send_Trace("*Set_Source_from_Saved: ", "m_saved_Friendly_name = ", m_saved_Friendly_name,
               "m_saved_Video_prop_num= ", m_saved_Video_prop_num);

    bool found = false;
    int32_t n = 1;
    std::string name;
    for (; n <= 10; ++n) {
        int32_t exists = 0;
        com::Bstr source("video:" + std::to_string(n));
        Check(oCapture->SetSource(source.get(), &exists), "SetSource");
        Library_Last_Error();
        if (exists == 0) break;
        name = Get_Property("sourceFriendlyName");
        if (name == m_saved_Friendly_name) {
            found = true;
            break;
        }
    }
    if (found) {
        g_Current_Friendly_Name = name;
        Set_Property("SetFormat", m_saved_Video_prop_num);
        const int64_t amt = Address_From_Text(Get_Property("GetProp"));
        g_Current_Property_String = Process_AMT(amt);
        Send_Trace("*Sourcenum = ", n, " Property = ", g_Current_Property_String);
        m_SourcePropFound = true;
    }
    Send_Trace("*Found_Friendly = ", found ? "True" : "False");
    if (!found) {
        forms::MsgBox("Could not find the saved Video source! Please re-select Video source!",
                      forms::vbOKOnly);
        m_SourcePropFound = false;
        return false;
    }
    return true;
}

void cls_Capture_HDMI::Capture_Run() {
    vb::TrapAlways(
        [&] {
            Send_Trace("Capture_run begin ", "Post-hit_frames = ", 0, "Max_frames = ", m_MaxFrames);
            vb::DoEvents();
            m_HDMI_events = 0;
            m_stamp_board->Publish(m_last_Capture_mill, 0);
            m_frames_lost = m_frames_overwritten = m_frames_never_delivered = 0;
            m_lost_before_last = 0;
            m_lost_logged = 0;
            m_arm_phase = 0;
            m_run_mill_21 = 0;
            m_frame_error_told = false;
            m_is_Running = true;
            Advise();
            Check(oCapture->Run(), "Run");
            m_LastError = Library_Last_Error();
            Send_Trace("*Capture_Run end ");
        },
        [&](const vb::VbError& err) {
            forms::MsgBox("Capture_run error at " + vb::CStr(err.line()) +
                              " description = " + err.description(),
                          forms::vbOKOnly);
        });
}

void cls_Capture_HDMI::Stop_Capture() {
    if (m_is_Running) {
        Send_Trace(" *cls_capture Stop, object =  ", 0, " ", g_Current_Friendly_Name);
        Check(oCapture->Stop(), "Stop");
        m_is_Running = false;
        if (m_frames_lost > m_lost_logged) {
            Write_Event_Log("Frames lost: " + vb::CStr(m_frames_lost - m_lost_logged) +
                            " at the end of the run, " + vb::CStr(m_frames_lost) + " this run (overwritten " +
                            vb::CStr(m_frames_overwritten) + ", never delivered " +
                            vb::CStr(m_frames_never_delivered) + ")");
            m_lost_logged = m_frames_lost;
        }
    } else {
        Send_Trace(" *cls_capture m_is_Running = False  ID = ", m_ID_string);
    }
}

void cls_Capture_HDMI::Pause_Capture() {
    Send_Trace("*Pause_Capture, index = ", 0);
    if (m_is_Running) {
        Check(oCapture->Stop(), "Stop");
        m_paused = true;
    }
}

void cls_Capture_HDMI::UnPause_Capture() {
    if (!m_paused) return;
    Check(oCapture->Run(), "Run");
    m_paused = false;
}

void cls_Capture_HDMI::Advise() {
    if (m_advise_cookie != 0) return;
    Check(oCapture->Advise(this, &m_advise_cookie), "Advise");
    m_LastError = Library_Last_Error();
}

void cls_Capture_HDMI::UnAdvise() {
    Send_Trace("*UnAdvise, cookie = ", static_cast<int64_t>(m_advise_cookie));
    if (m_advise_cookie == 0) return;
    Send_Trace("*cls_Capture_HDMI UnAdvise");
    Check(oCapture->Unadvise(m_advise_cookie), "Unadvise");
    m_advise_cookie = 0;
}

std::string cls_Capture_HDMI::Current_FriendlyName() const {
    return g_Current_Friendly_Name;
}
std::string cls_Capture_HDMI::Current_PropertyString() const {
    return g_Current_Property_String;
}
void cls_Capture_HDMI::Direct_Compress(bool v) {
    g_Direct_Compression = v;
}
void cls_Capture_HDMI::Post_linear(int16_t v) {
    Send_Trace("*Post_linear = ", v);
    m_Post_linear = v;
}
void cls_Capture_HDMI::MaxFrames(int32_t v) {
    Send_Trace("*MaxFrames = ", v);
    m_MaxFrames = v;
}

// ---- Frame road -------------------------------------------------------------

com::HRESULT cls_Capture_HDMI::OnDVEvent(IVideoCap* pSource, double, const uint8_t*, int32_t, int32_t) {
    com::ComPtr<IVideoCap> hold(pSource);
    return com::S_OK;
}

com::HRESULT cls_Capture_HDMI::OnAudioEvent(IVideoCap* pSource, double, const uint8_t*, int32_t, int32_t) {
    com::ComPtr<IVideoCap> hold(pSource);
    return com::S_OK;
}

com::HRESULT cls_Capture_HDMI::OnRGBEvent(IVideoCap* pSource, double, const uint8_t* pBuffer,
                                          int32_t lBufferSize, int32_t) {
    com::ComPtr<IVideoCap> hold(pSource);
    // Released after the handler: it may drop the owner's reference, and the
    // object then goes only when its own event is over.
    com::ComPtr<cls_Capture_HDMI> self(this);
    try {
        if (!m_library_records_read) Read_Library_Records();
        const int32_t now = static_cast<int32_t>(win::timeGetTime());
        m_last_Capture_mill = Came_Mill(now);
        const int32_t waited = static_cast<int32_t>(uint32_t(now) - uint32_t(m_last_Capture_mill));
        m_last_Capture_local = (Get_Local_Mill() - waited + kMillPerDay) % kMillPerDay;
        m_last_Capture_delta = m_last_Capture_mill - m_prev_Capture_mill;
        m_prev_Capture_mill = m_last_Capture_mill;
        ++m_HDMI_events;
        // Published at once: a start contact from now on stamps this frame,
        // however long its crop and compression take.
        m_stamp_board->Publish(m_last_Capture_mill, m_HDMI_events);
        Count_Lost_Frames();

        if (++m_fps_count >= 50) {
            const int32_t t = static_cast<int32_t>(win::timeGetTime());
            const int32_t dt = t - m_fps_mark;
            if (dt > 0) {
                m_Running_fps = static_cast<float>(vb::RoundHalfEven(50000.0 / dt));
                m_fps_mark = t;
                m_fps_count = 0;
            }
        }
        // Each measurement takes both of its probes from one run: the first
        // probe waits until the run has taken the second.
        if (m_HDMI_events == 21) m_run_mill_21 = static_cast<int32_t>(win::timeGetTime());
        if (m_HDMI_events == 31) {
            m_mill_21 = m_run_mill_21;
            m_mill_31 = static_cast<int32_t>(win::timeGetTime());
        }
        if (m_HDMI_events == 131) {
            m_fps_mill_31 = m_mill_31;
            m_mill_131 = static_cast<int32_t>(win::timeGetTime());
        }

        m_arm_phase += 1;
        if (m_arm_phase > 100) m_arm_phase = 1;

        if (!m_header_read) Get_VideoHeader();
        if (m_Do_Crop) {
            Crop_RGB_picture(pBuffer, lBufferSize, m_src_width, m_src_height, m_crop_width, m_crop_height);
            if (g_Rotated_Crop) Rotate_Crop();
        }
        if (Event_to_Send == 1 && HDMIreceived) HDMIreceived();
    } catch (...) {
        // The library ignores what a sink answers; a failed frame is simply not announced.
        vb::ReportError(vb::ToVbError(std::current_exception()),
                        "OnRGBEvent of Class Module cls_Capture_HDMI");
    }
    return com::S_OK;
}

void cls_Capture_HDMI::Read_Library_Records() {
    m_library_records_read = true;
    m_lost_counts =
        reinterpret_cast<const VideoCapFramesLost*>(Address_From_Text(Get_Property("FramesLost")));
    if (m_lost_counts) {
        m_overwritten_seen = m_lost_counts->overwritten.load(std::memory_order_relaxed);
        m_never_delivered_seen = m_lost_counts->never_delivered.load(std::memory_order_relaxed);
    }
    m_delivery_age =
        reinterpret_cast<const VideoCapDeliveryAge*>(Address_From_Text(Get_Property("DeliveryAge")));
}

int32_t cls_Capture_HDMI::Came_Mill(int32_t now) const {
    // Frames that waited in the library's queue while this thread was held
    // up are delivered close together; each is stamped when it came.
    const uint32_t age_us = m_delivery_age ? m_delivery_age->microseconds.load(std::memory_order_relaxed) : 0;
    if (age_us == 0) return now;
    const int32_t came = static_cast<int32_t>(win::timeGetTimeBefore(std::chrono::microseconds(age_us)));
    // Capture times rise through a heat file: a frame that came within the
    // same millisecond as the one before (a camera catching up) still
    // follows it, unless the timer itself has not moved since. Unsigned
    // differences, as the timer wraps.
    auto after = [](int32_t a, int32_t b) { return static_cast<int32_t>(uint32_t(a) - uint32_t(b)) > 0; };
    if (m_HDMI_events == 0 || after(came, m_prev_Capture_mill)) return came;
    const int32_t next = static_cast<int32_t>(uint32_t(m_prev_Capture_mill) + 1);
    return after(next, now) ? now : next;
}

void cls_Capture_HDMI::Count_Lost_Frames() {
    m_lost_before_last = 0;
    if (!m_lost_counts) return;
    // The library's counts run over its object's life; what is new since the
    // last frame went missing just before this one.
    const uint32_t over = m_lost_counts->overwritten.load(std::memory_order_relaxed);
    const uint32_t never = m_lost_counts->never_delivered.load(std::memory_order_relaxed);
    const int32_t new_over = static_cast<int32_t>(over - m_overwritten_seen);
    const int32_t new_never = static_cast<int32_t>(never - m_never_delivered_seen);
    m_overwritten_seen = over;
    m_never_delivered_seen = never;
    m_lost_before_last = new_over + new_never;
    if (m_lost_before_last == 0) return;
    m_frames_overwritten += new_over;
    m_frames_never_delivered += new_never;
    m_frames_lost += m_lost_before_last;
    const uint32_t now = win::timeGetTime();
    if (m_lost_logged == 0 || now - m_lost_log_mill >= 1000) {
        Write_Event_Log("Frames lost: " + vb::CStr(m_frames_lost - m_lost_logged) + " before frame event " +
                        vb::CStr(m_HDMI_events) + ", " + vb::CStr(m_frames_lost) + " this run (overwritten " +
                        vb::CStr(m_frames_overwritten) + ", never delivered " +
                        vb::CStr(m_frames_never_delivered) + ")");
        m_lost_logged = m_frames_lost;
        m_lost_log_mill = now;
    }
}

void cls_Capture_HDMI::Get_VideoHeader() {
    const int64_t address = Address_From_Text(Get_Property("VIDEOINFOHEADER"));
    if (address == 0) vb::Raise(91, "No video header");
    dshow::VIDEOINFOHEADER vih;
    std::memcpy(&vih, reinterpret_cast<const void*>(address), sizeof vih);
    m_src_width = vih.bmiHeader.biWidth;
    m_src_height = vih.bmiHeader.biHeight;
    m_header_read = true;
}

int32_t cls_Capture_HDMI::last_Capture_delta() const {
    return (m_last_Capture_delta >= 0 && m_last_Capture_delta <= 10000) ? m_last_Capture_delta : 0;
}

float cls_Capture_HDMI::Measured_fps() const {
    if (m_mill_131 == 0) return 0;
    const float s = static_cast<float>(m_mill_131 - m_fps_mill_31) / 1000.0f;
    return static_cast<float>(vb::RoundHalfEven(100.0 / s));
}

std::string cls_Capture_HDMI::HDMI_Sample_Dimensions() const {
    return vb::CStr(m_src_width) + "*" + vb::CStr(m_src_height);
}

void cls_Capture_HDMI::Crop_RGB_picture(const uint8_t* pBuffer, int32_t lBufferSize, int32_t src_width,
                                        int32_t src_height, int32_t crop_width, int32_t crop_height) {
    // Cropping switched on before any crop was set: nothing to crop into.
    if (crop_width <= 0 || crop_height <= 0) return;
    const auto crop = [&] {
        const int32_t x_off = vb::CLng(src_width / 2.0 - crop_width / 2.0);
        const int32_t y_off = vb::CLng(src_height / 2.0 - crop_height / 2.0);
        if (m_crop_dib.Width() != crop_width || m_crop_dib.Height() != crop_height)
            m_crop_dib.Create(crop_width, crop_height);
        uint8_t* dst = m_crop_dib.DIBSectionBitsPtr();
        if (!dst) vb::Raise(7, "Out of memory");

        // A row-wise copy bounded by the frame and by the lent buffer's length:
        // a crop larger than the camera's frame keeps black borders, a buffer
        // shorter than its header says is never read past.
        const int64_t src_stride = dshow::Rgb24Stride(src_width);
        const int64_t dst_stride = m_crop_dib.BytesPerScanLine();
        const int32_t x0 = std::max(0, -x_off);
        const int32_t x1 = std::min(crop_width, src_width - x_off);
        const bool covers =
            x_off >= 0 && y_off >= 0 && x_off + crop_width <= src_width && y_off + crop_height <= src_height;
        bool short_buffer = false;
        if (!covers) std::memset(dst, 0, static_cast<size_t>(dst_stride * crop_height));
        if (pBuffer && x1 > x0) {
            for (int32_t r = 0; r < crop_height; ++r) {
                const int32_t sy = y_off + r; // counted from the top of the picture
                if (sy < 0 || sy >= src_height) continue;
                const int64_t src_row = src_height - 1 - sy; // the frame is bottom-up
                const int64_t from = src_row * src_stride + static_cast<int64_t>(x_off + x0) * 3;
                const int64_t bytes = static_cast<int64_t>(x1 - x0) * 3;
                if (from + bytes > lBufferSize) {
                    short_buffer = true;
                    continue;
                }
                std::memcpy(dst + (crop_height - 1 - r) * dst_stride + static_cast<int64_t>(x0) * 3,
                            pBuffer + from, static_cast<size_t>(bytes));
            }
        }
        if (short_buffer || !pBuffer) {
            Send_Trace("*Crop_RGB_picture: frame buffer shorter than its header, bytes = ", lBufferSize);
            Stop_Captures_And_Flush();
        }
        Compress_RGB();
    };
    try {
        crop();
    } catch (...) {
        // The frame is still announced, as one without a picture (length 0),
        // never with the last frame's; the operator hears of it once a run.
        m_Last_JPG_Compressed_Size = 0;
        const bool told = std::exchange(m_frame_error_told, true);
        if (!vb::TrappingEnabled()) throw;
        if (!told)
            vb::ReportError(vb::ToVbError(std::current_exception()),
                            "Crop_RGB_picture of Class Module cls_Capture_HDMI");
    }
}

void cls_Capture_HDMI::Rotate_Crop() {
    const int32_t w = m_crop_dib.Width(), h = m_crop_dib.Height();
    if (w <= 0 || h <= 0 || !m_crop_dib.DIBSectionBitsPtr()) return;
    // The rotated copy may not have been sized for this crop (rotation chosen
    // without Capture_Rotate_RGB); it is made to fit before it is written.
    if (m_rotated_dib.Width() != h || m_rotated_dib.Height() != w) m_rotated_dib.Create(h, w);
    if (!m_rotated_dib.DIBSectionBitsPtr()) return;
    Rotate90(m_crop_dib.DIBSectionBitsPtr(), m_rotated_dib.DIBSectionBitsPtr(), w, h, 0);
}

void cls_Capture_HDMI::Draw_Cropped_DIB(forms::PictureBox& picture) {
    cDIBSection& dib = g_Rotated_Crop ? m_rotated_dib : m_crop_dib;
    dib.DIB_PaintPicture(picture.hDC(), 0, 0, vb::CLng(picture.ScaleWidth()), vb::CLng(picture.ScaleHeight()),
                         0, 0, 13369376);
}

void cls_Capture_HDMI::Draw_Running_Arm_2(forms::PictureBox& picture, int32_t colour) {
    picture.Cls();
    const float angle = (m_arm_phase / 100.0f) * 2.0f * 3.14159f - 1.570795f;
    const int32_t cx = vb::CLng(picture.ScaleWidth()) / 2;
    const int32_t cy = vb::CLng(picture.ScaleHeight()) / 2;
    int32_t width = vb::CLng(picture.ScaleWidth() / 8.0);
    if (width > 4) width = 4;
    const gdi::POINT from{cx, cy};
    const gdi::POINT to{vb::CLng(cx + cx * std::cos(angle)), vb::CLng(cy + cy * std::sin(angle))};
    Line_With_Pen(picture.hDC(), from, to, 0, width, colour);
    picture.Refresh();
}

// ---- Compression ------------------------------------------------------------

void cls_Capture_HDMI::set_HDMI_Crop(int16_t width, int16_t height) {
    Send_Trace("*HDMI_Crop X,Y = ", width, ",", height);
    m_crop_width = width;
    m_crop_height = height;
    m_crop_dib.Create(width, height);
    if (m_Rotate_RGB) m_rotated_dib.Create(height, width);
    m_rgb_size = static_cast<int32_t>(width) * height * 3;
    m_jpg_buffer.assign(static_cast<size_t>(std::max(m_rgb_size, kMin_JPG_Capacity)), 0);
    Reset_Compression_Counters();
    m_Last_JPG_addr = m_jpg_buffer.data();
    m_jpg_capacity = static_cast<int32_t>(m_jpg_buffer.size());
}

void cls_Capture_HDMI::Reset_Compression_Counters() {
    m_Last_JPG_addr = nullptr;
    m_jpg_capacity = 0;
    m_Direct_Compressed_Num = 0;
    m_Reduced_Quality_Num = 0;
    m_Max_Seen_Compressed_Size = 0;
    m_compressed_sum = 0;
    m_min_seen_size = 999999;
    m_JPG_Compression_Threshold = 0;
}

void cls_Capture_HDMI::Compress_RGB() {
    if (!m_Last_JPG_addr || m_jpg_capacity <= 0) vb::Raise(91, "No JPEG buffer: the crop is not set");
    int32_t size = 0;
    int32_t target = m_JPG_Compression_Threshold;
    if (m_JPG_Size_Cap > 0 && (target <= 0 || target > m_JPG_Size_Cap)) target = m_JPG_Size_Cap;
    if (target <= 0) {
        size = m_jpg_capacity;
        Save_JPG_To_Buffer(m_crop_dib, m_Last_JPG_addr, size, kLearning_Quality);
        m_Last_JPG_Compressed_Size = size;
        if (size > m_Max_Seen_Compressed_Size) m_Max_Seen_Compressed_Size = size;
        if (size < m_min_seen_size) m_min_seen_size = size;
    } else {
        int16_t quality = kLearning_Quality;
        for (;;) {
            ++m_reduce_passes;
            size = m_jpg_capacity;
            Save_JPG_To_Buffer(m_crop_dib, m_Last_JPG_addr, size, quality);
            if (size <= target) {
                m_Last_JPG_Compressed_Size = size;
                m_Last_used_JPG_quality = quality;
                break;
            }
            const int16_t lower = vb::CInt(quality * 0.8);
            if (lower >= quality) {
                // At the lowest quality nothing gets smaller: the frame is
                // dropped (length 0) rather than handed out over its target.
                ++m_dropped_frames;
                Send_Trace("*Frame dropped, over the target at quality = ", quality, " Size = ", size,
                           " Target = ", target);
                m_Last_JPG_Compressed_Size = 0;
                m_Last_used_JPG_quality = quality;
                return;
            }
            quality = lower;
            ++m_Reduced_Quality_Num;
            Send_Trace("*Reduced quality = ", quality, " Cnt = ", m_reduce_passes);
        }
    }
    ++m_Direct_Compressed_Num;
    m_compressed_sum += static_cast<float>(size);
    Show_Compression_Statistics();
}

void cls_Capture_HDMI::Show_Compression_Statistics() {
    class Form_Tidewick_HDMI_debug& debug = Form_Tidewick_HDMI_debug();
    // Reading Visible would load a window nobody asked for, once per frame.
    if (!debug.IsLoaded() || !debug.Visible()) return;
    debug.Label_max_dircomp_size.Caption(vb::CStr(m_Max_Seen_Compressed_Size));
    debug.Label_min_dircomp_size.Caption(vb::CStr(m_min_seen_size));
    debug.Label_num_direct_comp.Caption(vb::CStr(m_Direct_Compressed_Num));
    debug.Label_Average_JPG_size.Caption(
        vb::CStr(vb::RoundHalfEven(m_compressed_sum / static_cast<double>(m_Direct_Compressed_Num))));
    // The rate since frame event 21 of the run; before it, or with no time
    // passed, the label keeps what it shows.
    const int32_t elapsed = static_cast<int32_t>(win::timeGetTime()) - m_run_mill_21;
    if (m_run_mill_21 != 0 && elapsed > 0)
        debug.Label_fps.Caption(
            vb::CStr(vb::RoundHalfEven((m_Direct_Compressed_Num - 21) * 1000.0 / elapsed)));
}

void cls_Capture_HDMI::Lock_Max_Direct_Compressed_size() {
    if (m_Max_Seen_Compressed_Size == 0) Stop_Captures_And_Flush();
    m_JPG_Compression_Threshold = vb::CLng(m_Max_Seen_Compressed_Size * 1.2);
}
