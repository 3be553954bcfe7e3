#pragma once
// A picture box: a persistent backing image (what the original called
// auto-redraw) that drawing goes to, shown by the widget on Refresh and on
// every repaint, and a device context of its own over that image.
#include "Controls.h"
#include "Gdi.h"
#include "Picture.h"

#include <functional>
#include <memory>

namespace forms {

class PictureBox : public WidgetControl {
public:
    PictureBox(Form* owner, std::string name, int32_t index = -1);
    ~PictureBox() override;

    int32_t ScaleMode() const;
    void ScaleMode(int32_t mode);
    // Inner size in the box's scale.
    double ScaleWidth() const;
    double ScaleHeight() const;
    // The device context over the backing image; it stays the same while the
    // window is loaded and follows the image when the box is resized.
    gdi::HDC hDC();
    // Clears to the background colour; the print position goes to 0, 0.
    void Cls();
    double CurrentX() const;
    double CurrentY() const;
    void CurrentX(double x);
    void CurrentY(double y);
    // A line from (x1, y1) to (x2, y2); box 1 draws its rectangle, box 2 fills it.
    void Line(double x1, double y1, double x2, double y2, uint32_t color, int32_t box = 0);
    void PSet(double x, double y, uint32_t color);
    // The colour at a point; -1 outside the picture.
    int64_t Point(double x, double y) const;
    // Prints text at the print position in the box's font and fore colour,
    // then moves the position to the start of the next line.
    void Print(const std::string& text);
    double TextWidth(const std::string& text) const;
    double TextHeight(const std::string& text) const;
    // Draws a picture scaled into the rectangle (width or height < 0: its own size).
    void PaintPicture(const Picture& picture, double x, double y, double width = -1, double height = -1);
    // The backing image as a picture.
    Picture Image() const;

    std::function<void()> Click, DblClick;

protected:
    QWidget* make_widget(QWidget* parent) override;
    void release() override;
    void moved() override { grow_image(); }
    void mouse_click() override {
        if (Click) Click();
    }
    void mouse_double_click() override {
        if (DblClick) DblClick();
    }
    double pixels_to_scale(double px) const override;
    double scale_to_pixels(double v) const override;

private:
    friend class PictureWidget;
    // The backing image at least as large as the box.
    void grow_image() const;
    QWidget* drawing_widget() const;
    struct Backing;
    std::unique_ptr<Backing> b_;
};

} // namespace forms
