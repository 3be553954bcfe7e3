#pragma once
// A picture box: a persistent backing image (what the original called
// auto-redraw) that drawing goes to, and a device context of its own over
// that image. Every drawing (its own calls and gdi calls on its hDC) schedules
// a repaint of what it changed; Refresh repaints at once what was drawn since
// the last paint, or the whole box when nothing was.
//
// Direct paint, for live video where nothing reads the picture back:
// pictures drawn on the hDC (DrawDibDraw, gdi::DrawPicture) go straight to
// the screen, flipped and scaled on the way, with no backing image between;
// the box repaints them at once. Until the next picture an exposed box shows
// its backing image.
#include "Controls.h"
#include "DrawDib.h"
#include "DrawingSurface.h"
#include "Gdi.h"
#include "Picture.h"

#include <functional>
#include <memory>

class QRect;

namespace forms {

class PictureBox : public WidgetControl, public DrawingSurface, public gdi::DrawTarget {
public:
    PictureBox(Form* owner, std::string name, int32_t index = -1);
    ~PictureBox() override;

    int32_t ScaleMode() const;
    void ScaleMode(int32_t mode);
    // Inner size in the box's scale.
    double ScaleWidth() const override;
    double ScaleHeight() const override;
    // The device context over the backing image; it stays the same while the
    // window is loaded and follows the image when the box is resized.
    gdi::HDC hDC();
    // Clears to the background colour; the print position goes to 0, 0.
    void Cls();
    double CurrentX() const override;
    double CurrentY() const override;
    void CurrentX(double x) override;
    void CurrentY(double y) override;
    // A line from (x1, y1) to (x2, y2); box 1 draws its rectangle, box 2 fills it.
    void Line(double x1, double y1, double x2, double y2, uint32_t color = 0, int32_t box = 0) override;
    void Circle(double x, double y, double radius, uint32_t color = 0) override;
    void PSet(double x, double y, uint32_t color);
    // The colour at a point; -1 outside the picture.
    int64_t Point(double x, double y) const;
    // Prints text at the print position in the box's font and fore colour.
    void Print(const std::string& text = {}, bool new_line = true) override;
    double TextWidth(const std::string& text) const override;
    double TextHeight(const std::string& text) const override;
    // Draws a picture scaled into the rectangle (width or height < 0: its own size).
    void PaintPicture(const Picture& picture, double x, double y, double width = -1,
                      double height = -1) override;
    // The backing image as a picture.
    Picture Image() const;
    int32_t DrawWidth() const override;
    void DrawWidth(int32_t px) override;
    void DirectPaint(bool on);
    bool DirectPaint() const;

    // The font and colour of what the box prints (the control's own).
    std::string FontName() const override { return WidgetControl::FontName(); }
    void FontName(const std::string& name) override { WidgetControl::FontName(name); }
    double FontSize() const override { return WidgetControl::FontSize(); }
    void FontSize(double points) override { WidgetControl::FontSize(points); }
    bool FontBold() const override { return WidgetControl::FontBold(); }
    void FontBold(bool b) override { WidgetControl::FontBold(b); }
    bool FontItalic() const override { return WidgetControl::FontItalic(); }
    void FontItalic(bool b) override { WidgetControl::FontItalic(b); }
    bool FontUnderline() const override { return WidgetControl::FontUnderline(); }
    void FontUnderline(bool b) override { WidgetControl::FontUnderline(b); }
    uint32_t ForeColor() const override { return WidgetControl::ForeColor(); }
    void ForeColor(uint32_t c) override { WidgetControl::ForeColor(c); }
    void Refresh() override;

    // As a drawing target of the gdi layer: its DC and inner size in pixels.
    gdi::HDC target_hdc() override { return hDC(); }
    double target_width_px() override;
    double target_height_px() override;

    std::function<void()> Click, DblClick;

protected:
    QWidget* make_widget(QWidget* parent) override;
    void release() override;
    void moved() override { grow_image(); }
    void mouse_click() override { fire(Click); }
    void mouse_double_click() override { fire(DblClick); }
    double pixels_to_scale(double px) const override;
    double scale_to_pixels(double v) const override;

private:
    friend class PictureWidget;
    // The backing image at least as large as the box.
    void grow_image() const;
    QWidget* drawing_widget() const;
    // Schedules a repaint of a rectangle of pixels.
    void changed(const QRect& r) const;
    void changed_all() const;
    struct Backing;
    std::unique_ptr<Backing> b_;
};

} // namespace forms
