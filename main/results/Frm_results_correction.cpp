// The start-time correction of the open heat: the operator picks a unit
// (hours, minutes, seconds, hundredths) and holds + or -; the correction
// reaches the file's header once, on release. Shown times are the stored
// results minus the correction; the stored results never change.
#include "Frm_results.h"

#include "Frm_kanot_2.h"
#include "Module_dependant.h"
#include "Module_lane_results.h"
#include "Module_qfn_Globals.h"
#include "VbColor.h"
#include "VbConvert.h"
#include "VbError.h"
#include "VbTrap.h"
#include "cls_VideoFile_handler.h"

namespace {

constexpr uint32_t kOrange = 0x0080FF;
constexpr uint32_t kButton_Face = 0x8000000F;
constexpr int64_t kDay = 86400000;
constexpr int32_t kSteps[] = {3600000, 60000, 1000, 10};

// A sum or a negation that leaves the 32-bit range is the runtime's overflow.
int32_t checked_32(int64_t v) {
    if (v < INT32_MIN || v > INT32_MAX) vb::Raise(vb::errOverflow);
    return static_cast<int32_t>(v);
}

} // namespace

void Frm_results::Display_Time_Components(forms::ControlArray<forms::Label>& labels, int32_t mill) {
    // A time before midnight (a start corrected back past it) is a time of
    // the day before, not a negative one.
    const auto of_day = static_cast<int32_t>(((mill % kDay) + kDay) % kDay);
    const char* parts[] = {"h", "m", "s", "t"};
    for (int32_t i = 0; i <= 3; ++i)
        labels(i).Caption(vb::FormatNumber(Display_mill_hms(parts[i], of_day), "00"));
}

void Frm_results::Display_Compensate_Mill() {
    show_correction(g_Start_Correction_Mill);
    Display_Corrected_Start_Time();
}

void Frm_results::show_correction(int32_t c) {
    const bool negative = c < 0;
    Lbl_Minus.Visible(negative);
    const int32_t size = negative ? checked_32(-static_cast<int64_t>(c)) : c;
    for (int32_t i = 0; i <= 3; ++i)
        Lbl_hms_correction(i).ForeColor(negative ? vb::vbRed : vb::vbBlue);
    Display_Time_Components(Lbl_hms_correction, size);
}

void Frm_results::Display_Original_Start_Time() {
    Display_Time_Components(Lbl_hms, Heat_Start_Mill);
}

void Frm_results::Display_Corrected_Start_Time() {
    Display_Time_Components(Lbl_hms_corrected,
                            checked_32(static_cast<int64_t>(Heat_Start_Mill) + g_Start_Correction_Mill));
}

void Frm_results::Update_File_With_Time_Correction() {
    // Without an open file there is no header to write into.
    if (!Replay_File_Open()) return;
    Replay_Video_File().Heat_Start_Correction(1, g_Start_Correction_Mill);
}

void Frm_results::Deselect_Correction_Items() {
    for (int32_t i = 0; i <= 3; ++i)
        Lbl_hms_correction(i).BackColor(kButton_Face);
    Correction_Step = 0;
}

void Frm_results::Clear_Heat_Data() {
    Lbl_heat.Caption("");
    g_Start_Correction_Mill = 0;
    Display_Compensate_Mill();
    Heat_Start_Mill = 0;
    Display_Original_Start_Time();
    Display_Corrected_Start_Time();
}

void Frm_results::Lbl_hms_correction_Click(int32_t index) {
    vb::Trap("Lbl_hms_correction_Click of Form Frm_results", [&] {
        if (!Replay_File_Open() || m_Digits_Button == forms::vbRightButton) return;
        Deselect_Correction_Items();
        Lbl_hms_correction(index).BackColor(kOrange);
        Correction_Step = kSteps[index];
    });
}

void Frm_results::Lbl_hms_correction_MouseDown(int32_t index, int32_t Button) {
    (void)index;
    m_Digits_Button = Button;
    if (Button != forms::vbRightButton) return;
    vb::Trap("Lbl_hms_correction_MouseDown of Form Frm_results", [this] {
        Deselect_Correction_Items();
        g_Start_Correction_Mill = 0;
        Display_Compensate_Mill();
        Update_File_With_Time_Correction();
        Frm_kanot_2().Fill_Results();
    });
}

void Frm_results::Cmd_time_MouseDown(int32_t index) {
    vb::Trap("Cmd_time_MouseDown of Form Frm_results", [&] {
        if (!Replay_File_Open()) return;
        Button_Held = true;
        Repeat_Delay = 200;
        // The release arrives while the loop lets window events run; it
        // clears the flag and writes the file.
        // A file closed meanwhile ends the loop too: no release would.
        while (Button_Held && Replay_File_Open()) {
            const int64_t step = index == 0 ? Correction_Step : -static_cast<int64_t>(Correction_Step);
            g_Start_Correction_Mill = checked_32(g_Start_Correction_Mill + step);
            Do_Sleep(Repeat_Delay, false);
            vb::DoEvents();
            Repeat_Delay = std::max(50, Repeat_Delay - 50);
            Display_Compensate_Mill();
        }
    });
}

void Frm_results::Cmd_time_MouseUp(int32_t index) {
    (void)index;
    vb::Trap("Cmd_time_MouseUp of Form Frm_results", [this] {
        // Let go whatever happened while held, so the hold loop always ends.
        Button_Held = false;
        if (!Replay_File_Open()) return;
        Update_File_With_Time_Correction();
        Frm_kanot_2().Fill_Results();
    });
}
