#pragma once
// What the printer and a picture box share, so that one drawing (a results
// page, a frame, a series) goes to paper or into the print preview's picture
// through the same calls. Positions and sizes are in the surface's scale
// (the printer's twips, the picture box's ScaleMode); colours 0x00BBGGRR.
#include "Picture.h"

#include <cstdint>
#include <string>

namespace forms {

class DrawingSurface {
public:
    virtual ~DrawingSurface() = default;
    // The print position.
    virtual double CurrentX() const = 0;
    virtual double CurrentY() const = 0;
    virtual void CurrentX(double x) = 0;
    virtual void CurrentY(double y) = 0;
    // Prints at the print position in the surface's font and fore colour; with
    // new_line the position then goes to the left edge of the next line.
    virtual void Print(const std::string& text = {}, bool new_line = true) = 0;
    virtual double TextWidth(const std::string& text) const = 0;
    virtual double TextHeight(const std::string& text) const = 0;
    // box 1 draws the rectangle, 2 fills it; the line is DrawWidth wide.
    virtual void Line(double x1, double y1, double x2, double y2, uint32_t color = 0, int32_t box = 0) = 0;
    virtual void Circle(double x, double y, double radius, uint32_t color = 0) = 0;
    // Width or height < 0: the picture's own size.
    virtual void PaintPicture(const Picture& picture, double x, double y, double width = -1,
                              double height = -1) = 0;
    // The inner size.
    virtual double ScaleWidth() const = 0;
    virtual double ScaleHeight() const = 0;
    virtual std::string FontName() const = 0;
    virtual void FontName(const std::string& name) = 0;
    virtual double FontSize() const = 0;
    virtual void FontSize(double points) = 0;
    virtual bool FontBold() const = 0;
    virtual void FontBold(bool b) = 0;
    virtual bool FontItalic() const = 0;
    virtual void FontItalic(bool b) = 0;
    virtual bool FontUnderline() const = 0;
    virtual void FontUnderline(bool b) = 0;
    // Line width in pixels of the surface (the printer's: of its resolution).
    virtual int32_t DrawWidth() const = 0;
    virtual void DrawWidth(int32_t px) = 0;
    virtual uint32_t ForeColor() const = 0;
    virtual void ForeColor(uint32_t c) = 0;
};

} // namespace forms
