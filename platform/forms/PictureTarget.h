#pragma once
// A picture box as the drawing layer's target: its device context, its inner
// size in pixels (whatever the box's scale), and its repaint request.
#include "DrawDib.h"
#include "PictureBox.h"

namespace forms {

class PictureTarget : public gdi::DrawTarget {
public:
    explicit PictureTarget(PictureBox& box) : box_(box) {}
    gdi::HDC target_hdc() override { return box_.hDC(); }
    double target_width_px() override;
    double target_height_px() override;
    void Refresh() { box_.Refresh(); }
    PictureBox& Box() { return box_; }

private:
    PictureBox& box_;
};

} // namespace forms
