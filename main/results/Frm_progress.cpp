#include "Frm_progress.h"

#include <algorithm>
#include <cmath>

class Frm_progress& Frm_progress() {
    return forms::Instance<class Frm_progress>();
}

Frm_progress::Frm_progress() : Form("Frm_progress") {}

void Frm_progress::Design() {
    Caption("Form1");
    Move(3000, 3000, 5400, 1700);
    Text_caption.Locked(true);
    Text_caption.Move(20, 120, 5200, 360);
    ProgressBar1.Min(0);
    ProgressBar1.Max(100);
    ProgressBar1.Move(1000, 660, 3600, 360);
}

void Frm_progress::Set_Caption(const std::string& text) {
    Text_caption.Text(text);
    Text_caption.Refresh();
    Refresh();
}

void Frm_progress::Set_Percent(int16_t percent) {
    if (percent < ProgressBar1.Min() || percent > ProgressBar1.Max()) return;
    ProgressBar1.Value(percent);
    Refresh();
}

void Frm_progress::Form_Resize() {
    const double w = ScaleWidth();
    ProgressBar1.Width(0.7 * w);
    ProgressBar1.Left(std::nearbyint(w - ProgressBar1.Width()) / 3);
    Text_caption.Left(20);
    Text_caption.Width(std::max(0.0, w - 40));
}
