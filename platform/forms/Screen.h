#pragma once
// The screen as the program measures it: twips (1/1440 inch) at 15 twips
// per pixel, the primary screen's size, and the monitor count.
#include <cstdint>
#include <string>

namespace forms {

inline constexpr int32_t kTwipsPerPixel = 15;

int32_t Screen_TwipsPerPixelX();
int32_t Screen_TwipsPerPixelY();
// Size of the primary screen in twips.
int32_t Screen_Width();
int32_t Screen_Height();
int32_t Monitor_Count();
// Whether the primary screen's work area is smaller than the screen: some
// panel (a taskbar) keeps part of it for itself.
bool Screen_Has_Reserved_Area();
// Height in twips of the primary screen's work area: the screen less what
// panels keep for themselves (SPI_GETWORKAREA).
int32_t Screen_Work_Area_Height();
// The system metrics the program asks for: the sizing border of a window in
// pixels, horizontally (SM_CXFRAME) and vertically (SM_CYFRAME), as the
// window manager draws it around the program's shown windows; 0 while none
// is shown or for a border drawn inside the window. Other indexes give 0.
inline constexpr int32_t SM_CXFRAME = 32, SM_CYFRAME = 33;
int32_t GetSystemMetrics(int32_t index);
// Logical dots per inch of the primary screen, vertically (96 by default).
int32_t Screen_Dpi_Y();

// The mouse pointer over all windows of the program: 0 default, 1 arrow,
// 11 hourglass, 99 the program's own (Screen_MouseIcon); anything else: default.
enum MousePointers : int32_t { vbDefault = 0, vbArrow = 1, vbHourglass = 11, vbCustom = 99 };
void Screen_MousePointer(int32_t pointer);
int32_t Screen_MousePointer();
// The program's own pointer: the cursor resource of that name (the image
// ":/cursors/NAME.png" of the program, its hot spot in the middle); a name
// the program has no cursor for gives a cross. Shown at once when the
// program's own pointer is.
void Screen_MouseIcon(const std::string& cursor_resource);
const std::string& Screen_MouseIcon();

// Tests fix the screen to a known size in pixels and a monitor count;
// width 0 goes back to the real screens.
void set_screen_override(int32_t width_px, int32_t height_px, int32_t monitors = 1);
// Tests fix the work area's height in pixels (0: the whole screen).
void set_work_area_override(int32_t reserved_px);

} // namespace forms
