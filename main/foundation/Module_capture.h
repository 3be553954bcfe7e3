#pragma once
// Pictures of what a window shows, for the clipboard and the printer.
#include "Form.h"
#include "Gdi.h"
#include "Picture.h"

#include <cstdint>

// The whole window at its outer size.
forms::Picture Capture_Form_Picture(forms::Form& window);
// The rectangle (left, top, width, height) in pixels of the window's client
// area, or of the whole window with the frame and title bar the window
// manager draws (as the screen shows it).
forms::Picture Capture_Window(forms::hwnd_t hwnd, bool client, int32_t left, int32_t top, int32_t width,
                              int32_t height);
// A picture that holds a copy of the bitmap's pixels; there are no palettes.
forms::Picture Create_Bitmap_Picture(gdi::HBITMAP bitmap, int32_t palette = 0);
