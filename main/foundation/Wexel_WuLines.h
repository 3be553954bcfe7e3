#pragma once
// Thick anti-aliased straight lines by Wu's method: two blended edge pixels
// and a solid span between them on every step, with an optional dash pattern
// on steep lines.
#include "Gdi.h"

#include <cstdint>

struct Colour_Triple {
    uint8_t blue = 0, green = 0, red = 0;
};

struct WuPoint {
    int16_t x = 0, y = 0;
};

void Draw_Wu_Line(gdi::HDC dc, WuPoint from, WuPoint to, Colour_Triple colour, int16_t width, bool dashed);
int32_t Colour_From_Triple(const Colour_Triple& t);
Colour_Triple Triple_From_Colour(int32_t colour);
Colour_Triple Blend_Triple(const Colour_Triple& line, const Colour_Triple& background, float t);
uint8_t Blend_Channel(uint8_t a, uint8_t b, float t);
