#include "PictureTarget.h"

#include "Form.h"
#include "Screen.h"

namespace forms {

namespace {
double To_Pixels(const PictureBox& box, double v) {
    return box.ScaleMode() == vbPixels ? v : v / kTwipsPerPixel;
}
} // namespace

double PictureTarget::target_width_px() {
    return To_Pixels(box_, box_.ScaleWidth());
}

double PictureTarget::target_height_px() {
    return To_Pixels(box_, box_.ScaleHeight());
}

} // namespace forms
