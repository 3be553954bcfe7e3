// The capture window's heat slots: the active slot, the per-frame work,
// capture start and end, abort, finish and the new heat file.
#include "Form_capture_multi_file.h"

#include "Cls_XML_header.h"
#include "Dialogs.h"
#include "FolderBrowser.h"
#include "Form_HDMI_performance.h"
#include "Form_Tidewick_Full_Startup.h"
#include "Lane_Collection.h"
#include "Module_dependant.h"
#include "Module_ini_file.h"
#include "Module_lane_overlay.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "Services.h"
#include "VbColor.h"
#include "VbConvert.h"
#include "VbDate.h"
#include "VbError.h"
#include "VbTrap.h"
#include "WinClock.h"
#include "cls_Capture_HDMI.h"
#include "cls_VideoFile_handler.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr uint32_t kLight_Orange = 0x0080C0FF; // red 255, green 192, blue 128
constexpr int32_t kEscape = 27;

} // namespace

int16_t Form_capture_multi_file::Checked_Slot(int16_t slot) {
    if (slot < 0 || slot >= kSlots) vb::Raise(vb::errSubscriptOutOfRange, "Subscript out of range");
    return slot;
}

int32_t& Form_capture_multi_file::Heat_Start_Mill(int16_t slot) {
    return m_Heat_Start_Mill[static_cast<size_t>(Checked_Slot(slot))];
}

bool& Form_capture_multi_file::Heat_File_Initiated(int16_t slot) {
    return m_Heat_File_Initiated[static_cast<size_t>(Checked_Slot(slot))];
}

cls_VideoFile_handler& Form_capture_multi_file::File_Handler(int16_t slot) {
    return *obj_File_Handler[static_cast<size_t>(Checked_Slot(slot))];
}

// ---- Active slot --------------------------------------------------------------

void Form_capture_multi_file::Slot_Colours(int16_t slot, uint32_t colour) {
    for (forms::WidgetControl* c : std::initializer_list<forms::WidgetControl*>{
             &Frame_capture(slot), &Lbl_heat_ID(slot), &Lbl_file_size(slot), &Lbl_elapsed_time(slot),
             &Lbl_start_time(slot), &Lbl_file_name(slot), &Frame_active(slot), &Label_active_capture(slot)})
        c->BackColor(colour);
}

void Form_capture_multi_file::Set_Active_heat(int16_t slot) {
    vb::Trap("Set_Active_heat of Form Form_capture_multi_file", [&] {
        m_Active_Heat = Checked_Slot(slot);
        for (int16_t i = static_cast<int16_t>(Frame_capture.LBound()); i <= Frame_capture.UBound(); ++i)
            Slot_Colours(i, i == slot ? kLight_Orange : kButton_Face);
        Set_Active_Heat_start(slot);
    });
}

void Form_capture_multi_file::Set_Active_Heat_start(int16_t slot) {
    m_Active_Heat_Start = Checked_Slot(slot);
    for (int16_t i = static_cast<int16_t>(Label_active_start.LBound()); i <= Label_active_start.UBound();
         ++i) {
        Label_active_start(i).BackColor(i == slot ? vb::vbRed : kButton_Face);
        Label_active_start(i).Refresh();
    }
}

// ---- Per-frame work -----------------------------------------------------------

void Form_capture_multi_file::HDMI_event() {
    vb::Trap("DV_event of Form Form_capture_multi_file", [&] {
        if (Window_Visible("Form_HDMI_performance"))
            Form_HDMI_performance().HDMI_event(m_Capture->last_Capture_mill(),
                                               vb::CInt(m_Capture->last_Capture_delta()),
                                               m_Capture->Frames_Lost_Before_Last());
        if (Window_Visible("Frm_kanot_2")) return;
        if (++m_Frame_Counter > 6) {
            m_Frame_Counter = 0;
            Update_Heat_Times();
        }
        cls_Capture_HDMI& cap = *m_Capture;
        if (m_Capturing) {
            const int32_t length = cap.Last_JPG_Compressed_Size();
            File_Handler(m_Capturing_Slot)
                .Append_Compressed_RGB_Frame(cap.last_Capture_local(), cap.last_Capture_mill(),
                                             cap.last_Capture_delta(), cap.Last_used_JPG_quality(), length,
                                             cap.Last_JPG_addr(), cap.HDMI_events());
            m_Max_JPG_Size = std::max(m_Max_JPG_Size, length);
            m_Min_JPG_Size = std::min(m_Min_JPG_Size, length);
            ++m_Num_Written;
            Label_num_written.Caption(vb::CStr(m_Num_Written));
        }
        cap.Draw_Running_Arm_2(Picture_HDMI_arm, m_Capturing ? vb::vbRed : vb::vbBlue);
        // One question per press: frames go on arriving while the question
        // is up and while the operator still holds the key.
        const bool escape = First_Key_Down() == kEscape;
        if (escape && !m_Escape_Held) {
            m_Escape_Held = true;
            Send_Trace("*Key = 27, abort");
            Handle_Abort(m_Active_Heat_Start);
        } else if (!escape) {
            m_Escape_Held = false;
        }
        if (m_Live_Preview_Shown && m_Preview_Window && m_Preview_Window->Visible()) Paint_Preview();
    });
}

// ---- Capture start and end ------------------------------------------------------

void Form_capture_multi_file::Handle_Capture_Start(int16_t slot) {
    vb::Trap("Handle_Capture_Start of Form Frm_capture", [&] {
        Checked_Slot(slot);
        // One capture at a time: a second start (the button and the box's
        // switch together) must not re-point the running one.
        if (m_Capturing) {
            Send_Trace("*Handle_Capture_Start, already capturing into slot ", m_Capturing_Slot);
            return;
        }
        if (!Heat_File_Initiated(slot)) {
            forms::Beep();
            forms::MsgBox("No file initiated!");
            return;
        }
        if (Heat_Start_Mill(slot) == 0) {
            forms::MsgBox("Heat not started!");
            return;
        }
        m_Max_JPG_Size = 0;
        m_Min_JPG_Size = 999999;
        m_Num_Written = 0;
        Label_num_written.Caption("0");
        Label_num_written.Visible(true);
        cls_VideoFile_handler& file = File_Handler(slot);
        file.File_name(Label_filename(slot).Caption());
        file.Open_RGB_File();
        if (!file.File_open()) return;
        file.Position_at_End();
        // The slot of the records is the file's own (fixed at its heat start)
        // and no picture may exceed it: a longer one could not be appended.
        const int32_t slot_size = file.Header().RGB_Compressed_buffer_Size();
        if (slot_size > 0) file.Set_JPG_Maxsize(slot_size);
        if (m_Capture) {
            m_Capture->JPG_Size_Cap(slot_size);
            m_Capture->Post_linear(-1);
        }
        m_Capturing_Slot = slot;
        m_Capturing = true;
        Send_Trace("*Handle_Capture_Start, end");
    });
}

void Form_capture_multi_file::Handle_Capture_End(int16_t slot) {
    vb::Trap("Handle_Capture_End of Form Frm_capture_multi_file", [&] {
        Send_Trace("*Handle_Capture_End, begin");
        Checked_Slot(slot);
        const bool was_capturing = m_Capturing;
        m_Capturing = false;
        // The end belongs to the slot that is capturing, whichever slot is
        // active by now.
        if (was_capturing) slot = m_Capturing_Slot;
        if (!Heat_File_Initiated(slot)) {
            forms::MsgBox("Errror, Handle_Capture_End, file not initiated!");
            return;
        }
        if (was_capturing) {
            cls_VideoFile_handler& file = File_Handler(slot);
            file.JPG_Sizes(m_Min_JPG_Size, m_Max_JPG_Size);
            file.Add_Segment_num();
            if (m_Capture) {
                // A count beyond 16 bits must not cost the header.
                file.Add_Reduced_Quality_num(
                    static_cast<int16_t>(std::min<int32_t>(m_Capture->Reduced_Quality_Num(), 32767)));
                file.Measured_fps(vb::CInt(m_Capture->Measured_fps()));
                m_Capture->JPG_Size_Cap(0);
            }
            file.Last_Capture_time(vb::CStr(Get_Local_Mill()));
            file.Close_File();
        }
        Update_File_Size(slot);
        Label_num_written.Visible(false);
    });
}

void Form_capture_multi_file::End_Running_Capture() {
    if (m_Capturing) Handle_Capture_End(m_Capturing_Slot);
}

void Form_capture_multi_file::Command_Capture_MouseDown() {
    Handle_Capture_Start(m_Active_Heat);
}

void Form_capture_multi_file::Command_Capture_MouseUp() {
    Send_Trace("*Command_Capture_MouseUp");
    Handle_Capture_End(m_Active_Heat);
}

// ---- Abort ----------------------------------------------------------------------

void Form_capture_multi_file::Handle_Abort(int16_t slot) {
    vb::Trap("Handle_Abort of Form Form_capture_multi_file", [&] {
        if (Heat_Start_Mill(slot) == 0) {
            forms::MsgBox("Heat not started!");
            return;
        }
        const int16_t s = m_Active_Heat_Start;
        const int32_t answer =
            forms::MsgBox("Aborting heat " + Text_Heat_ID(s).Text() + " , are you sure?",
                          forms::vbOKCancel + forms::vbDefaultButton2, "Tidewick Aborting Heat");
        if (answer == forms::vbOK) {
            Label_heat_time(s).Caption("Aborted");
            Label_start_time(s).Caption("Aborted");
            Label_filename(s).ForeColor(vb::vbCyan);
            Heat_Start_Mill(s) = 0;
            cls_VideoFile_handler& file = File_Handler(s);
            // The slot's own object: it holds the file open only while it captures.
            const bool opened_here = !file.File_open();
            if (opened_here) {
                file.File_name(Label_filename(s).Caption());
                file.Open_RGB_File();
            }
            file.Clear_Multi_Start(1);
            file.Write_XML_Header();
            if (opened_here) file.Close_File();
        }
        Command_start(s).Tag.clear();
    });
}

// ---- Displays -------------------------------------------------------------------

void Form_capture_multi_file::Update_Heat_Times() {
    vb::Trap("Update_heat_times of Form Form_capture_multi_file", [&] {
        for (int16_t i = static_cast<int16_t>(Frame_capture.LBound()); i <= Frame_capture.UBound(); ++i) {
            // Timer values run through negative numbers too: only 0 is "not started".
            if (Heat_Start_Mill(i) == 0) continue;
            const int32_t elapsed =
                static_cast<int32_t>(win::timeGetTime() - static_cast<uint32_t>(Heat_Start_Mill(i)));
            Label_heat_time(i).Caption(Display_Mill_Time(elapsed, false));
            Label_heat_time(i).Refresh();
        }
    });
}

void Form_capture_multi_file::Update_File_Size(int16_t slot) {
    vb::Trap("Update_File_size of Form Form_capture_multi_file", [&] {
        const std::string name = Label_filename(slot).Caption();
        if (name.empty()) {
            Label_file_size(slot).Caption("0 MB");
            return;
        }
        const double mb = static_cast<double>(Get_File_Size(name)) / 1048576.0;
        Label_file_size(slot).Caption(vb::CStr(File_Handler(slot).Current_Segments_num()) + "/" +
                                      vb::FormatNumber(vb::RoundHalfEven(mb * 10) / 10, "0.0") + "MB");
    });
}

void Form_capture_multi_file::Paint_Preview() {
    vb::Trap("do_preview of Form Frm_capture", [&] {
        if (++m_Preview_Counter < 2) return;
        m_Preview_Counter = 0;
        if (!m_Preview_Picture || !m_Capture) return;
        m_Capture->Draw_Cropped_DIB(*m_Preview_Picture);
        if (m_Preview_Hooks.Painted) m_Preview_Hooks.Painted();
        // The goal line and lane marks are drawn over it by the preview window.
        m_Preview_Picture->Refresh();
        // No pending window events are let run here: inside a frame event a
        // click could end the capture or close the file being appended to.
    });
}

void Form_capture_multi_file::Hide_Video_preview() {
    if (m_Preview_Window) m_Preview_Window->Hide();
    Preview_Hidden();
    m_Live_Preview_Shown = false;
    item_preview.Checked(false);
}

void Form_capture_multi_file::Start_Capture() {
    vb::Trap("Start_capture of Form Frm_capture", [&] {
        Send_Trace("*Form_capture_multi_file Start_Capture, begin");
        if (!m_Capture) return;
        m_Stamp_Board.store(m_Capture->Stamp_Board());
        m_Capture->Do_log_time(-1);
        m_Capture->Post_linear(0);
        m_Capture->MaxFrames(1);
        m_Capture->Capture_Run();
        Send_Trace("*obj_Capture_HDMI.Last_Error =", m_Capture->Last_Error());
    });
}

void Form_capture_multi_file::Update_PC_Time() {
    Label_PC_Time.Caption(vb::FormatDate(vb::ToLocal(win::clock().wall_now()), "hh:nn"));
}

void Form_capture_multi_file::save_event() {
    vb::Trap("save_event of Form Form_capture_multi_file", [&] {
        Write_Ini("Canoe", "event_name", Text_Event_name.Text(), g_Ini_File_Path);
        Load_Event_name();
    });
}

// ---- Slot commands ----------------------------------------------------------------

void Form_capture_multi_file::Command_newFile_Click(int16_t slot) {
    vb::Trap("Command_newFile_Click of Form Form_capture_multi_file", [&] {
        Send_Trace("Command_newFile_Click Index = ", slot);
        Hide_Video_preview();
        const std::string folder = Lbl_capture_folder.Caption();
        if (!FolderExists(folder)) {
            forms::MsgBox("Can't find Capture Folder!");
            return;
        }
        const std::string current = Label_filename(slot).Caption();
        if (!current.empty() && FileExists(current)) {
            forms::MsgBox("File already initated. Click Finish If you want to initiate a new file!");
            return;
        }
        const std::string heat_id = Text_Heat_ID(slot).Text();
        if (heat_id.empty()) {
            forms::MsgBox("No Heat ID given!");
            return;
        }
        // Only the file's own name is made safe: the folder's drive colon and
        // any hyphen in the folder stay, while the event name and the heat
        // identifier lose every character a file name cannot carry.
        std::string base = g_Event_Name + "Heat" + heat_id + " " + Get_Date_Time_String();
        for (char& c : base)
            if (c == ':' || c == '-' || c == ',' || c == '/' || c == '\\') c = '_';
        const std::string stem = folder + "/" + base;
        // A name already taken (two new files within one second) gets a number.
        std::string name = stem + ".qf3";
        for (int n = 2; FileExists(name); ++n)
            name = stem + "_" + std::to_string(n) + ".qf3";
        Label_filename(slot).Caption(name);
        g_Last_Captured_File = name;
        Write_New_Heat_File(slot, name);
    });
}

void Form_capture_multi_file::Write_New_Heat_File(int16_t slot, const std::string& file_name) {
    cls_VideoFile_handler& file = File_Handler(slot);
    file.File_name(file_name);
    file.Create_File();
    if (file.File_num() == 0) return;
    file.Cropped_X(g_Capture_Crop_Width);
    file.Cropped_Y(g_Capture_Crop_Height);
    file.Set_Screen_HDC(0);
    file.RGB_interlaced(!(m_Capture && m_Capture->Measured_fps() > 45.0f));
    file.RGB_Rotated(g_Rotated_Crop);
    file.Create_QF3_header();
    // Create_QF3_header leaves the file closed: the rest of the header goes
    // into the document and is written with the file open again.
    if (!file.File_open()) file.Open_RGB_File();
    file.Start_Lane_Zero(g_Opt_Lane_Zero);
    if (m_Capture)
        file.Capture_Info(m_Capture->Current_FriendlyName() + " " + m_Capture->Current_PropertyString());
    file.Event_name(g_Event_Name);
    file.Show_goalline(g_Opt_Show_Goalline);
    file.Set_Goal_Line(g_Live_Goal_Points[0], g_Live_Goal_Points[1], g_Live_Goal_Points[2],
                       g_Live_Goal_Points[3]);
    file.Lanes_flipped(g_Opt_Flip_Lanes);
    file.Num_Lanes(g_Preview_Lane_Num);
    file.Lanes_locked(true);
    file.Lanes_Visible(g_Opt_Show_Lanes);
    file.File_comment1(Form_Tidewick_Full_Startup().JPEG_Bench_Report);
    // The marks are stored by position, as the replay window reads them back;
    // a collection shorter than the lane count leaves the rest unset.
    const Lane_Mark_Collection& marks = Lane_Collection();
    for (int16_t lane = 1; lane <= g_Preview_Lane_Num && lane <= marks.Count(); ++lane)
        file.File_Lane_Pos(lane, marks.Item(lane).X(), marks.Item(lane).Y());
    file.Heat_ID(1, Text_Heat_ID(slot).Text());
    file.Clear_Heats();
    file.Write_QF3_header();
    file.Close_File();

    Heat_File_Initiated(slot) = true;
    Label_filename(slot).Enabled(true);
    Label_file_size(slot).Enabled(true);
    Label_filename(slot).ForeColor(vb::vbBlack);
    vb::DoEvents();
    Update_File_Size(slot);
    Label_heat_time(slot).Caption(Display_Mill_Time(0, false));
    Label_start_time(slot).Caption(Display_Mill_Time(0, false));
    Heat_Start_Mill(slot) = 0;
    Command_start(slot).Tag.clear();
}

void Form_capture_multi_file::Command_Finish_Click(int16_t slot) {
    vb::Trap("Command_Finish_Click of Form Form_capture_multi_file", [&] {
        Send_Trace("Command_Finish_Click Index = ", slot);
        Command_Finish(slot).BackColor(vb::vbGreen);
        Clear_Heat(slot);
    });
}

void Form_capture_multi_file::Clear_Heat(int16_t slot) {
    vb::Trap("Clear_Heat of Form Form_capture_multi_file", [&] {
        // Finishing the heat being captured ends its capture first, so its
        // header holds every frame.
        if (m_Capturing && m_Capturing_Slot == slot) Handle_Capture_End(slot);
        const std::string name = Label_filename(slot).Caption();
        if (!name.empty()) {
            g_Last_Captured_File = name;
            Write_Ini("Canoe", "last_captured_file", name, g_Ini_File_Path);
        }
        Heat_Start_Mill(slot) = 0;
        Heat_File_Initiated(slot) = false;
        Label_filename(slot).ForeColor(vb::vbGreen);
        Label_filename(slot).Caption(name + " finished");
        Command_start(slot).Tag.clear();
    });
}
