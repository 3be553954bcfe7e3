#include "Module_capture.h"

#include "Screen.h"
#include "VbConvert.h"

forms::Picture Capture_Form_Picture(forms::Form& window) {
    const int32_t w =
        static_cast<int32_t>(vb::RoundHalfEven(window.Width() / double(forms::Screen_TwipsPerPixelX())));
    const int32_t h =
        static_cast<int32_t>(vb::RoundHalfEven(window.Height() / double(forms::Screen_TwipsPerPixelY())));
    return Capture_Window(window.hWnd(), false, 0, 0, w, h);
}

forms::Picture Capture_Window(forms::hwnd_t hwnd, bool client, int32_t left, int32_t top, int32_t width,
                              int32_t height) {
    forms::Form* f = forms::Form::FromHandle(hwnd);
    if (!f) return forms::Picture();
    return forms::Crop_Picture(client ? f->Grab() : f->Grab_With_Frame(), left, top, width, height);
}

forms::Picture Create_Bitmap_Picture(gdi::HBITMAP bitmap, int32_t) {
    return forms::Picture_From_Bitmap(bitmap);
}
