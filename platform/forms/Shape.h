#pragma once
// A shape drawn on its window: a rectangle, square, oval or circle, outlined
// with the border colour and filled with the fill colour when its fill style
// is solid. It takes no mouse or key input, as the original's.
#include "Controls.h"

#include <cstdint>

namespace forms {

enum ShapeKinds : int32_t {
    vbShapeRectangle = 0,
    vbShapeSquare = 1,
    vbShapeOval = 2,
    vbShapeCircle = 3,
    vbShapeRoundedRectangle = 4,
    vbShapeRoundedSquare = 5
};
enum FillStyles : int32_t { vbFSSolid = 0, vbFSTransparent = 1 };

class Shape : public WidgetControl {
public:
    using WidgetControl::WidgetControl;
    int32_t Kind() const;
    // The original's Shape property (ShapeKinds).
    void Kind(int32_t shape);
    uint32_t FillColor() const;
    void FillColor(uint32_t c);
    int32_t FillStyle() const;
    void FillStyle(int32_t style);
    uint32_t BorderColor() const;
    void BorderColor(uint32_t c);
    int32_t BorderWidth() const;
    void BorderWidth(int32_t px);

protected:
    QWidget* make_widget(QWidget* parent) override;

private:
    friend class ShapeWidget;
    void changed();
    int32_t kind_ = vbShapeRectangle, fill_style_ = vbFSTransparent, border_width_ = 1;
    uint32_t fill_ = 0, border_ = 0;
};

} // namespace forms
