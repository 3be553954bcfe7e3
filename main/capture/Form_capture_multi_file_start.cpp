// The capture window's start signal and control box: the box's inputs (start
// contact, arming switch, start button, capture switch), the heat start
// stamped into the slot's heat file and read back a second later, the lamp
// output and the box display the operator checks the wiring with.
#include "Form_capture_multi_file.h"

#include "Cls_XML_header.h"
#include "Dialogs.h"
#include "Gdi.h"
#include "Module_canoe.h"
#include "Module_dependant.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "PhidgetInterfaceKit.h"
#include "PlayPOP.h"
#include "Services.h"
#include "VbColor.h"
#include "VbConvert.h"
#include "VbTrap.h"
#include "WinClock.h"
#include "cls_Capture_HDMI.h"
#include "cls_VideoFile_handler.h"

#include <algorithm>

namespace {

constexpr uint32_t kGrey = gdi::RGB(100, 100, 100);
constexpr uint32_t kDark = gdi::RGB(60, 60, 60);

// Box inputs and outputs by their wiring.
constexpr int32_t kStart_Contact = 0;
constexpr int32_t kArming_Switch = 1;
constexpr int32_t kStart_Button = 2;
constexpr int32_t kSecond_Button = 3;
constexpr int32_t kCapture_Switch = 5;
constexpr int32_t kLamp = 0;

// Input changes this soon after the window's load or the box's attach are
// bounces of plugging in, not signals.
constexpr uint32_t kGuard_Mill = 5000;
// How long after writing a start it is read back from the file.
constexpr int32_t kRead_Back_Mill = 1000;

// A file slot every frame of the crop fits at the learning quality: what the
// heat gets when its start comes before the camera's first frame.
int32_t Usable_Slot_Size(const cls_Capture_HDMI* cap) {
    if (cap && cap->JPG_Buffer_Size() > 0) return cap->JPG_Buffer_Size();
    return std::max<int32_t>(int32_t{g_Capture_Crop_Width} * g_Capture_Crop_Height * 3, 65536);
}

} // namespace

// ---- Layout and wiring ------------------------------------------------------------

void Form_capture_multi_file::Design_Control_Box() {
    for (int16_t t = 0; t < 2; ++t) {
        Frame_toggle(t).Caption(t == 0 ? "Arm" : "Capture");
        Toggle_circle.Add(t).Container(Frame_toggle(t));
        Toggle_circle(t).Kind(forms::vbShapeCircle);
        Toggle_circle(t).Move(360, 480, 600, 600);
        Toggle_circle(t).BorderColor(kDark);
        for (forms::ControlArray<forms::Shape>* lever : {&Shape_on, &Shape_off}) {
            forms::Shape& s = lever->Add(t);
            s.Container(Frame_toggle(t));
            s.Kind(forms::vbShapeRoundedRectangle);
            s.FillStyle(forms::vbFSSolid);
            s.FillColor(kDark);
            s.Move(570, lever == &Shape_on ? 240 : 780, 180, 420);
        }
        Shape_off(t).Visible(false);
    }
    for (int16_t b = 0; b < 2; ++b) {
        forms::Shape& s = Shape_Button.Add(b);
        s.Container(Frame_Control_box);
        s.Kind(forms::vbShapeCircle);
        s.FillStyle(forms::vbFSSolid);
        s.FillColor(vb::vbGreen);
        s.Move(9600 + b * 1200, 360, 840, 840);
    }
    Timer_start_check.Enabled(false);
    Timer_start_check.Interval(kRead_Back_Mill);
}

void Form_capture_multi_file::Open_Control_Box() {
    m_Invert_Start = false;
    m_LED_Pressed = false;
    m_Start_Checks.clear();
    obj_phidget = phidget::PhidgetInterfaceKit::Create();
    obj_phidget->OnAttach = [this] { obj_phidget_OnAttach(); };
    obj_phidget->OnDetach = [this] { obj_phidget_OnDetach(); };
    obj_phidget->OnInputChange = [this](int32_t index, bool state) {
        obj_phidget_OnInputChange(index, state);
    };
    // A start is stamped at the contact, on the box's thread: the window
    // thread may be busy with a frame, and the stamp must not wait for it.
    obj_phidget->OnInputChangeAtOnce = [this](int32_t index, bool state) -> std::function<void()> {
        if (index != kStart_Contact && index != kStart_Button) return {};
        const Frame_Stamp_Board::Start_Stamp stamp = Take_Start_Stamp();
        return [this, index, state, stamp] { obj_phidget_OnInputChange(index, state, &stamp); };
    };
    Timer_start_check.OnTimer = [this] { Check_Start_Read_Back(); };
    Picture_LED.MouseDown = [this](int32_t, int32_t, float, float) {
        m_LED_Pressed = true;
        Draw_LED();
    };
    Picture_LED.MouseUp = [this](int32_t, int32_t, float, float) {
        m_LED_Pressed = false;
        Draw_LED();
    };
    for (int16_t i = 0; i < kSlots; ++i)
        Command_start.Element(i).Click = [this, i] { Handle_Start_Event(i); };
    obj_phidget->Open(0);
}

// An input as the box reports it; off while no box is attached.
bool Form_capture_multi_file::Box_Input(int32_t index) const {
    if (!obj_phidget || !obj_phidget->IsAttached()) return false;
    return obj_phidget->InputState(index);
}

// ---- Box events -------------------------------------------------------------------

Frame_Stamp_Board::Start_Stamp Form_capture_multi_file::Take_Start_Stamp() const {
    Frame_Stamp_Board::Start_Stamp stamp;
    stamp.local_mill = Get_Local_Mill();
    if (const std::shared_ptr<const Frame_Stamp_Board> board = m_Stamp_Board.load())
        stamp.frame = board->Read();
    stamp.taken = std::chrono::steady_clock::now();
    return stamp;
}

void Form_capture_multi_file::obj_phidget_OnInputChange(int32_t Index, bool State,
                                                        const Frame_Stamp_Board::Start_Stamp* stamp) {
    // A box event after the window went is not the window's any more.
    if (!IsLoaded()) return;
    vb::Trap("obj_Phidget_OnInputChange of Form Frm_capture_multi_file", [&] {
        const uint32_t now = win::timeGetTime();
        if (now - m_Load_Time < kGuard_Mill || now - m_Box_Attach_Time < kGuard_Mill) return;
        // While the operator checks the wiring, inputs start or capture nothing.
        if (Frame_Control_box.Visible()) {
            Display_Control_Box();
            return;
        }
        if (obj_phidget->IsAttached()) g_Phidget_Attached = true;
        switch (Index) {
        case kStart_Contact: {
            const bool contact = Box_Input(kStart_Contact);
            if (contact == !m_Invert_Start && Box_Input(kArming_Switch))
                Handle_Start_Event(m_Active_Heat_Start, stamp);
            Set_Phidget_State(kLamp, contact);
            break;
        }
        case kArming_Switch:
            if (State) m_Invert_Start = Box_Input(kStart_Contact);
            break;
        case kStart_Button:
            if (State)
                Handle_Start_Event(m_Active_Heat_Start, stamp);
            else
                Handle_start_mouseup(m_Active_Heat_Start);
            break;
        case kSecond_Button:
            if (State) Shape_Button(1).FillColor(vb::vbRed);
            break;
        case kCapture_Switch:
            if (State)
                Handle_Capture_Start(m_Active_Heat);
            else
                Handle_Capture_End(m_Active_Heat);
            break;
        default:
            break;
        }
    });
}

void Form_capture_multi_file::obj_phidget_OnAttach() {
    if (!IsLoaded()) return;
    vb::Trap("obj_phidget_OnAttach of Form Frm_capture_multi_file", [&] {
        Send_Trace("*obj_phidget_OnAttach start");
        m_Box_Attach_Time = win::timeGetTime();
        g_Phidget_Attached = true;
        g_Phidget_Serial = vb::CStr(obj_phidget->SerialNumber());
        if (Frame_Control_box.Visible()) {
            Display_Control_Box();
        } else {
            Update_Control_Box_Led();
            Send_Trace("obj_phidget_OnAttach end");
        }
    });
}

void Form_capture_multi_file::obj_phidget_OnDetach() {
    if (!IsLoaded()) return;
    vb::Trap("obj_phidget_OnDetach of Form Frm_capture_multi_file", [&] {
        Send_Trace("obj_phidget_OnDetach start");
        g_Phidget_Attached = false;
        g_Phidget_Serial.clear();
        if (Frame_Control_box.Visible())
            Display_Control_Box();
        else
            Send_Trace("obj_phidget_OnDetach end");
    });
}

void Form_capture_multi_file::Handle_start_mouseup(int16_t) {}

// ---- Box display and lamp ---------------------------------------------------------

void Form_capture_multi_file::Display_Control_Box() {
    vb::Trap("Display_Control_box of Form Form_capture_multi_file", [&] {
        Label_remote.BackColor(Box_Input(kStart_Contact) ? vb::vbRed : vb::vbGreen);
        const bool armed = Box_Input(kArming_Switch), capture = Box_Input(kCapture_Switch);
        Shape_on(0).Visible(armed);
        Shape_off(0).Visible(!armed);
        Shape_on(1).Visible(capture);
        Shape_off(1).Visible(!capture);
        Shape_Button(0).FillColor(Box_Input(kStart_Button) ? vb::vbRed : vb::vbGreen);
        if (Box_Input(kSecond_Button)) Shape_Button(1).FillColor(vb::vbRed);
        Draw_LED();
        if (obj_phidget && obj_phidget->IsAttached()) {
            Label_attached.Caption("Box attached");
            Label_serial.Caption("Serial: " + vb::CStr(obj_phidget->SerialNumber()));
        } else {
            Label_attached.Caption("Box not attached");
            Label_serial.Caption("");
            Shape_Button(0).FillColor(kButton_Face);
            Label_remote.BackColor(kButton_Face);
        }
    });
}

void Form_capture_multi_file::Draw_LED() {
    vb::Trap("draw_LED of Form Form_capture_multi_file", [&] {
        const bool lit = m_LED_Pressed || Box_Input(kStart_Contact);
        Picture_LED.Cls();
        const double w = Picture_LED.ScaleWidth(), h = Picture_LED.ScaleHeight();
        const int32_t r = vb::CLng(w / 3), cx = vb::CLng(w / 2), cy = vb::CLng(h / 2);
        const uint32_t colour = lit ? vb::vbYellow : kGrey;
        const gdi::HDC dc = Picture_LED.hDC();
        const gdi::HBRUSH brush = gdi::CreateSolidBrush(colour);
        const gdi::HPEN pen = gdi::CreatePen(0, 1, colour);
        const gdi::HGDIOBJ old_brush = gdi::SelectObject(dc, brush);
        const gdi::HGDIOBJ old_pen = gdi::SelectObject(dc, pen);
        gdi::Ellipse(dc, cx - r, cy - r, cx + r, cy + r);
        gdi::SelectObject(dc, old_brush);
        gdi::SelectObject(dc, old_pen);
        gdi::DeleteObject(brush);
        gdi::DeleteObject(pen);
        Picture_LED.Refresh();
        Set_Phidget_State(kLamp, lit);
    });
}

void Form_capture_multi_file::Set_Phidget_State(int32_t index, bool state) {
    if (!g_Phidget_Attached || !obj_phidget) return;
    // A box that cannot take the output (gone meanwhile) changes nothing.
    vb::TrapAlways([&] { obj_phidget->OutputState(index, state); }, [](const vb::VbError&) {});
}

void Form_capture_multi_file::Update_Control_Box_Led() {
    vb::Trap("Update_Control_Box_Led of Form Frm_capture_multi_file", [&] {
        if (!g_Phidget_Attached || g_Exiting) return;
        Set_Phidget_State(kLamp, Box_Input(kStart_Contact));
    });
}

// ---- Heat start -------------------------------------------------------------------

void Form_capture_multi_file::Handle_Start_Event(int16_t slot, const Frame_Stamp_Board::Start_Stamp* stamp) {
    vb::Trap("Handle_Start_Event of Form Frm_capture_multi_file", [&] {
        Checked_Slot(slot);
        const std::string file_name = Label_filename(slot).Caption();
        const std::string heat_label = Frame_capture(slot).Caption();
        // The last frame received before the signal: taken at the contact by
        // the box's thread, or now for the window's own button.
        const Frame_Stamp_Board::Start_Stamp taken = stamp ? *stamp : Take_Start_Stamp();
        m_Last_Start_Stamp = taken;
        const int32_t local_mill = taken.local_mill;
        cls_Capture_HDMI* cap = m_Capture.get();
        int32_t capture_mill = cap ? taken.frame.capture_mill : 0;
        const int32_t events = cap ? taken.frame.events : 0;
        Hide_Video_preview();
        // Locking the size target before any frame was compressed would stop
        // the camera; the compression then stays in learning until a later
        // start of another heat locks it.
        const bool frames_seen = cap && cap->Max_Seen_Compressed_Size() > 0;
        if (frames_seen) cap->Lock_Max_Direct_Compressed_size();
        const bool substituted = capture_mill == 0;
        if (substituted) {
            capture_mill = static_cast<int32_t>(win::timeGetTime());
            Write_Event_Log("obj_Capture_HDMI.last_Capture_mill = 0, substituted!!");
        }
        // The timer's values run through negative numbers too: only 0 means
        // not started.
        if (Heat_Start_Mill(slot) != 0) {
            forms::MsgBox(heat_label + " already started! (m1)", forms::vbOKOnly, g_Program_Title);
            return;
        }
        Send_Trace("Handle_Start_Event Index = ", slot);
        if (!Heat_File_Initiated(slot)) {
            forms::Beep();
            return;
        }
        PlayPOP();
        Heat_Start_Mill(slot) = capture_mill;
        if (!FileExists(file_name)) {
            forms::MsgBox("Error! Can't find file!", forms::vbOKOnly, g_Program_Title);
            return;
        }
        cls_VideoFile_handler& file = File_Handler(slot);
        // The slot's object is open only while it captures (a heat aborted and
        // started again during its capture): then the start goes through it.
        const bool opened_here = !file.File_open();
        if (opened_here) {
            file.File_name(file_name);
            file.Set_Screen_HDC(0);
            file.Open_RGB_File();
        }
        if (file.Start_local_Mill_Time(1) != 0 || file.Start_PC_Mill_time(1) != 0) {
            if (opened_here) file.Close_File();
            // A second start pulse for a heat the file already holds a start
            // of: the camera and any capture go on.
            forms::MsgBox("Heat already started! (m2)", forms::vbOKOnly, g_Program_Title);
            return;
        }
        Write_Start(slot, local_mill, capture_mill, events);
        if (opened_here) file.Close_File();
        // The window shows the start once it is in the file: repainting first
        // would keep the start from the disk for as long as that takes.
        Set_Active_heat(slot);
        Command_start(slot).Tag = "started";
        Label_start_time(slot).Caption(Display_Mill_Time(local_mill, false));
        Label_start_time(slot).Refresh();
        Label_filename(slot).ForeColor(vb::vbRed);
        m_Start_Checks.push_back({slot, file_name, capture_mill, local_mill});
        Timer_start_check.Enabled(false);
        Timer_start_check.Enabled(true);
        if (substituted)
            forms::MsgBox(heat_label +
                              " started before the camera's first frame: its start time was taken from "
                              "the PC clock!",
                          forms::vbOKOnly, g_Program_Title);
    });
}

void Form_capture_multi_file::Write_Start(int16_t slot, int32_t local_mill, int32_t capture_mill,
                                          int32_t events) {
    cls_VideoFile_handler& file = File_Handler(slot);
    cls_Capture_HDMI* cap = m_Capture.get();
    file.Start_local_mill(1, local_mill);
    file.Start_HDMI_events(1, events);
    file.Start_PC_mill(1, capture_mill);
    const int32_t threshold = cap ? cap->JPG_Compression_Threshold() : 0;
    // With no size target yet the records get a slot that holds any frame.
    file.Set_JPG_Maxsize(threshold > 0 ? threshold : Usable_Slot_Size(cap));
    file.RGB_Comp_Threshold(vb::CStr(threshold));
    file.RGB_Max_Seen_size(vb::CStr(cap ? cap->Max_Seen_Compressed_Size() : 0));
    file.Write_QF3_header();
}

void Form_capture_multi_file::Check_Start_Read_Back() {
    Timer_start_check.Enabled(false);
    const std::vector<Start_Check> checks = std::move(m_Start_Checks);
    m_Start_Checks.clear();
    for (const Start_Check& c : checks) {
        vb::Trap("Handle_Start_Event of Form Frm_capture_multi_file", [&] {
            // A heat aborted within the second has no start to find.
            if (Label_filename(c.slot).Caption() == c.file && Heat_Start_Mill(c.slot) == 0) return;
            // A reader of its own: the slot's object may be appending by now.
            cls_VideoFile_handler reader;
            reader.File_name(c.file);
            reader.Open_RGB_File();
            const int32_t pc = reader.Start_PC_Mill_time(1), local = reader.Start_local_Mill_Time(1);
            reader.Close_File();
            // Not only present: the values written, or finish times would be
            // measured from another start.
            if (pc == 0 || local == 0 || pc != c.pc_mill || local != c.local_mill) {
                Write_Event_Log("!!!Start time missing");
                forms::MsgBox("Start Time missing!\r\nPlease notify quillfen!", forms::vbOKOnly,
                              "Serious error!");
            }
        });
    }
}
