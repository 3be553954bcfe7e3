#pragma once
// Lines, ellipses and rectangles drawn with a pen and a brush made for the one
// call and removed again at once.
#include "Gdi.h"

#include <cstdint>

namespace modAPIDraw {

using POINTAPI = gdi::POINT;

gdi::HBRUSH Create_Select_Brush(gdi::HDC dc, int32_t colour, int32_t hatch, int32_t style,
                                gdi::HGDIOBJ& previous);
gdi::HPEN Create_Select_Pen(gdi::HDC dc, int32_t style, int32_t width, int32_t colour,
                            gdi::HGDIOBJ& previous);
void Restore_Delete_Object(gdi::HDC dc, gdi::HGDIOBJ object, gdi::HGDIOBJ previous);
int32_t Draw_Line_Segment(gdi::HDC dc, const POINTAPI& from, const POINTAPI& to);
int32_t Draw_Ellipse(gdi::HDC dc, const POINTAPI& first, const POINTAPI& second);
int32_t Draw_Rectangle(gdi::HDC dc, const POINTAPI& first, const POINTAPI& second);

} // namespace modAPIDraw

// Brush styles of the logical brush record.
enum : int32_t { BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2 };

int32_t Line_With_Pen(gdi::HDC dc, const gdi::POINT& from, const gdi::POINT& to, int32_t pen_style,
                      int32_t pen_width, int32_t pen_colour);
int32_t Ellipse_With_Pen_Brush(gdi::HDC dc, const gdi::POINT& first, const gdi::POINT& second,
                               int32_t brush_colour, int32_t brush_hatch, int32_t brush_style,
                               int32_t pen_style, int32_t pen_width, int32_t pen_colour);
int32_t Rectangle_With_Pen_Brush(gdi::HDC dc, const gdi::POINT& first, const gdi::POINT& second,
                                 int32_t brush_colour, int32_t brush_hatch, int32_t brush_style,
                                 int32_t pen_style, int32_t pen_width, int32_t pen_colour);
