#include "Form_Auto_detect.h"

#include "Frm_kanot_2.h"
#include "Module_dependant.h"
#include "Module_windows.h"
#include "VbColor.h"
#include "VbConvert.h"

namespace {

// A threshold caption as a number; a caption that is none raises 13.
int32_t threshold(const forms::Label& label) {
    return vb::CLng(label.Caption());
}

} // namespace

class Form_Auto_detect& Form_Auto_detect() {
    return forms::Instance<class Form_Auto_detect>();
}

Form_Auto_detect::Form_Auto_detect() : Form("Form_Auto_detect") {
    for (int32_t i = 0; i < 3; ++i) {
        Label_max.Add(i);
        Label_min.Add(i);
        Label_avg.Add(i);
        Check_use.Add(i);
        Label_hsl.Add(i);
    }
    for (int32_t i = 0; i < 8; ++i)
        Label_heading.Add(i);
    Check_draw_HSL.Click = [this] { Check_draw_HSL_Click(); };
    const struct {
        forms::UpDown* updown;
        forms::Label* label;
    } pairs[] = {{&UpDown_hue_min, &Label_hue_min},
                 {&UpDown2, &Label_hue_max},
                 {&UpDown_sat, &Label_Sat_min},
                 {&UpDown_lum_min, &Label_lum_min},
                 {&UpDownLum_max, &Label_lum_max}};
    for (const auto& p : pairs)
        p.updown->Change = [u = p.updown, l = p.label] { l->Caption(vb::CStr(u->Value())); };
}

void Form_Auto_detect::Design() {
    Caption("Auto detect");
    Move(0, 0, 6000, 5700);

    Frame1.Caption("Goal line");
    Frame1.Move(120, 60, 5700, 1740);
    const char* names[] = {"Hue", "Sat", "Lum"};
    for (int32_t i = 0; i < 3; ++i) {
        const double top = 540 + i * 360;
        Check_use.Element(i).Container(Frame1);
        Check_use.Element(i).Caption(names[i]);
        Check_use.Element(i).Move(120, top, 1000, 300);
        Check_use.Element(i).Value(1);
        forms::Label* columns[] = {&Label_min.Element(i), &Label_avg.Element(i), &Label_max.Element(i)};
        for (int32_t c = 0; c < 3; ++c) {
            columns[c]->Container(Frame1);
            columns[c]->Caption("-");
            columns[c]->Move(1300 + c * 1200, top, 1100, 300);
        }
    }
    const char* columns[] = {"Min", "Avg", "Max"};
    for (int32_t c = 0; c < 3; ++c) {
        Label_heading.Element(c).Container(Frame1);
        Label_heading.Element(c).Caption(columns[c]);
        Label_heading.Element(c).Move(1300 + c * 1200, 240, 1100, 300);
    }

    Frame_Triggers.Caption("Triggers");
    Frame_Triggers.Move(120, 1860, 5700, 2100);
    const struct {
        const char* caption;
        forms::Label* label;
        forms::UpDown* updown;
        double left, top;
    } thresholds[] = {{"Hue min", &Label_hue_min, &UpDown_hue_min, 120, 300},
                      {"Hue max", &Label_hue_max, &UpDown2, 2920, 300},
                      {"Sat max", &Label_Sat_min, &UpDown_sat, 120, 780},
                      {"Lum min", &Label_lum_min, &UpDown_lum_min, 120, 1260},
                      {"Lum max", &Label_lum_max, &UpDownLum_max, 2920, 1260}};
    int32_t heading = 3;
    for (const auto& t : thresholds) {
        forms::Label& name = Label_heading.Element(heading++);
        name.Container(Frame_Triggers);
        name.Caption(t.caption);
        name.Move(t.left, t.top, 1000, 300);
        t.label->Container(Frame_Triggers);
        t.label->Caption("123");
        t.label->Move(t.left + 1080, t.top, 800, 300);
        t.updown->Container(Frame_Triggers);
        t.updown->Min(-1000);
        t.updown->Max(1000);
        t.updown->Value(123);
        t.updown->Move(t.left + 1920, t.top - 30, 300, 360);
    }
    const struct {
        forms::Label* label;
        const char* caption;
        double left;
    } indicators[] = {{&Label_HUE, "HUE", 120}, {&Label_SAT, "SAT", 1500}, {&Label_LUM, "LUM", 2880}};
    for (const auto& ind : indicators) {
        ind.label->Container(Frame_Triggers);
        ind.label->Caption(ind.caption);
        ind.label->Alignment(2);
        ind.label->ForeColor(0xFFFFFF);
        ind.label->BackColor(vb::vbBlack);
        ind.label->Move(ind.left, 1700, 1080, 300);
    }
    Label_Trigger.Container(Frame_Triggers);
    Label_Trigger.Caption("Trigger");
    Label_Trigger.Alignment(2);
    Label_Trigger.BackColor(vb::vbGreen);
    Label_Trigger.Move(4260, 1700, 1080, 300);

    Frame_hsl.Caption("Pixel");
    Frame_hsl.Move(120, 4020, 5700, 900);
    Picture_test.Container(Frame_hsl);
    Picture_test.Move(120, 300, 480, 480);
    for (int32_t i = 0; i < 3; ++i) {
        Label_hsl.Element(i).Container(Frame_hsl);
        Label_hsl.Element(i).Move(720 + i * 1000, 300, 960, 300);
    }
    Label_XY.Container(Frame_hsl);
    Label_XY.Move(3900, 300, 1700, 300);

    Check_draw_HSL.Caption("Draw HSL");
    Check_draw_HSL.Move(120, 5040, 1300, 300);
    Command_start_Auto.Caption("Start Auto Detect");
    Command_start_Auto.Move(1440, 5000, 2000, 380);
    Command_Continue_Auto.Caption("Continue Auto Detect");
    Command_Continue_Auto.Move(3540, 5000, 2280, 380);
}

void Form_Auto_detect::Form_Load() {
    Move_To_Stored_Pos(*this);
}

void Form_Auto_detect::Form_QueryUnload(int32_t& Cancel, int32_t UnloadMode) {
    (void)Cancel, (void)UnloadMode;
    Store_Left_Top(*this);
}

void Form_Auto_detect::Pixel_to_HSL(int32_t colour) {
    RGB_to_HSL(colour, Hue, Saturation, Lightness);
}

void Form_Auto_detect::Test_pixel_for_Trigger(int32_t colour, bool& fired) {
    Trigger_Hue = Trigger_Sat = Trigger_Lum = false;
    Label_HUE.BackColor(vb::vbBlack);
    Label_SAT.BackColor(vb::vbBlack);
    Label_LUM.BackColor(vb::vbBlack);
    Pixel_to_HSL(colour);
    if (Check_use(0).Value() == 1) {
        const int32_t lo = threshold(Label_hue_min), hi = threshold(Label_hue_max);
        Trigger_Hue = Hue > hi + 10 || Hue < lo - 10;
    }
    if (Check_use(1).Value() == 1) Trigger_Sat = Saturation > threshold(Label_Sat_min) + 2;
    if (Check_use(2).Value() == 1) {
        const int32_t lo = threshold(Label_lum_min), hi = threshold(Label_lum_max);
        Trigger_Lum = Lightness < lo || Lightness > hi;
    }
    if (Trigger_Hue) Label_HUE.BackColor(vb::vbRed);
    if (Trigger_Sat) Label_SAT.BackColor(vb::vbRed);
    if (Trigger_Lum) Label_LUM.BackColor(vb::vbRed);
    fired = Trigger_Hue || Trigger_Sat || Trigger_Lum;
    Label_Trigger.BackColor(fired ? vb::vbRed : vb::vbGreen);
    Picture_test.BackColor(static_cast<uint32_t>(colour) & 0xFFFFFF);
    Picture_test.Cls(); // the picture keeps what was drawn: fill it with the new colour
    Picture_test.Refresh();
    Label_hsl(0).Caption("H= " + vb::CStr(Hue));
    Label_hsl(1).Caption("S= " + vb::CStr(Saturation));
    Label_hsl(2).Caption("L= " + vb::CStr(Lightness));
    const class Frm_kanot_2& main = Frm_kanot_2();
    Label_XY.Caption(vb::CStr(main.Examined_X) + "," + vb::CStr(main.Examined_Y));
}

void Form_Auto_detect::set_threshold(forms::Label& label, forms::UpDown& updown, int32_t value) {
    label.Caption(vb::CStr(value));
    if (value >= updown.Min() && value <= updown.Max()) updown.Value(value);
}

void Form_Auto_detect::Show_Goal_Range(const int32_t max[3], const int32_t min[3], const int32_t avg[3]) {
    for (int32_t i = 0; i < 3; ++i) {
        Label_max(i).Caption(vb::CStr(max[i]));
        Label_min(i).Caption(vb::CStr(min[i]));
        Label_avg(i).Caption(vb::CStr(avg[i]));
    }
    set_threshold(Label_lum_min, UpDown_lum_min, min[2]);
    set_threshold(Label_lum_max, UpDownLum_max, max[2]);
    set_threshold(Label_Sat_min, UpDown_sat, max[1]);
    set_threshold(Label_hue_min, UpDown_hue_min, min[0]);
    set_threshold(Label_hue_max, UpDown2, max[0]);
}

void Form_Auto_detect::Check_draw_HSL_Click() {
    class Frm_kanot_2& main = Frm_kanot_2();
    main.SliderPlay_Focus();
    main.Slider_play_Scroll();
}
