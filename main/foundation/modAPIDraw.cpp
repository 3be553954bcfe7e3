#include "modAPIDraw.h"

#include "Dialogs.h"
#include "WinSystem.h"

#include <string>

namespace modAPIDraw {

gdi::HBRUSH Create_Select_Brush(gdi::HDC dc, int32_t colour, int32_t hatch, int32_t style,
                                gdi::HGDIOBJ& previous) {
    gdi::HBRUSH brush;
    if (style == BS_NULL)
        brush = gdi::GetStockObject(gdi::NULL_BRUSH);
    else if (style == BS_HATCHED)
        brush = gdi::CreateHatchBrush(hatch, static_cast<gdi::COLORREF>(colour));
    else
        brush = gdi::CreateSolidBrush(static_cast<gdi::COLORREF>(colour));
    previous = gdi::SelectObject(dc, brush);
    return brush;
}

gdi::HPEN Create_Select_Pen(gdi::HDC dc, int32_t style, int32_t width, int32_t colour,
                            gdi::HGDIOBJ& previous) {
    gdi::HPEN pen = gdi::CreatePen(style, width, static_cast<gdi::COLORREF>(colour));
    previous = gdi::SelectObject(dc, pen);
    return pen;
}

void Restore_Delete_Object(gdi::HDC dc, gdi::HGDIOBJ object, gdi::HGDIOBJ previous) {
    gdi::SelectObject(dc, previous);
    gdi::DeleteObject(object);
}

int32_t Draw_Line_Segment(gdi::HDC dc, const POINTAPI& from, const POINTAPI& to) {
    gdi::MoveToEx(dc, from.x, from.y, nullptr);
    const int32_t r = gdi::LineTo(dc, to.x, to.y) ? 1 : 0;
    if (r != 1) forms::MsgBox(std::to_string(win::GetLastError()));
    return r;
}

int32_t Draw_Ellipse(gdi::HDC dc, const POINTAPI& a, const POINTAPI& b) {
    return gdi::Ellipse(dc, a.x, a.y, b.x, b.y) ? 1 : 0;
}

int32_t Draw_Rectangle(gdi::HDC dc, const POINTAPI& a, const POINTAPI& b) {
    return gdi::Rectangle(dc, a.x, a.y, b.x, b.y) ? 1 : 0;
}

} // namespace modAPIDraw

using namespace modAPIDraw;

int32_t Line_With_Pen(gdi::HDC dc, const gdi::POINT& from, const gdi::POINT& to, int32_t pen_style,
                      int32_t pen_width, int32_t pen_colour) {
    gdi::HGDIOBJ old_pen = nullptr;
    gdi::HPEN pen = Create_Select_Pen(dc, pen_style, pen_width, pen_colour, old_pen);
    const int32_t r = Draw_Line_Segment(dc, from, to);
    Restore_Delete_Object(dc, pen, old_pen);
    return r;
}

namespace {
template <class Shape>
int32_t with_pen_brush(gdi::HDC dc, int32_t brush_colour, int32_t brush_hatch, int32_t brush_style,
                       int32_t pen_style, int32_t pen_width, int32_t pen_colour, Shape shape) {
    gdi::HGDIOBJ old_brush = nullptr, old_pen = nullptr;
    gdi::HBRUSH brush = Create_Select_Brush(dc, brush_colour, brush_hatch, brush_style, old_brush);
    gdi::HPEN pen = Create_Select_Pen(dc, pen_style, pen_width, pen_colour, old_pen);
    const int32_t r = shape();
    Restore_Delete_Object(dc, brush, old_brush);
    Restore_Delete_Object(dc, pen, old_pen);
    return r;
}
} // namespace

int32_t Ellipse_With_Pen_Brush(gdi::HDC dc, const gdi::POINT& first, const gdi::POINT& second,
                               int32_t brush_colour, int32_t brush_hatch, int32_t brush_style,
                               int32_t pen_style, int32_t pen_width, int32_t pen_colour) {
    return with_pen_brush(dc, brush_colour, brush_hatch, brush_style, pen_style, pen_width, pen_colour,
                          [&] { return Draw_Ellipse(dc, first, second); });
}

int32_t Rectangle_With_Pen_Brush(gdi::HDC dc, const gdi::POINT& first, const gdi::POINT& second,
                                 int32_t brush_colour, int32_t brush_hatch, int32_t brush_style,
                                 int32_t pen_style, int32_t pen_width, int32_t pen_colour) {
    return with_pen_brush(dc, brush_colour, brush_hatch, brush_style, pen_style, pen_width, pen_colour,
                          [&] { return Draw_Rectangle(dc, first, second); });
}
