#include "Shape.h"

#include "GdiQt.h"

#include <QPainter>
#include <QWidget>

#include <algorithm>

namespace forms {

class ShapeWidget : public QWidget {
public:
    ShapeWidget(QWidget* parent, const Shape* s) : QWidget(parent), shape(s) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    const Shape* shape;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const Shape& s = *shape;
        const int bw = std::max(s.border_width_, 0);
        p.setPen(bw > 0 ? QPen(gdi::ToQColor(s.border_), bw, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin)
                        : QPen(Qt::NoPen));
        p.setBrush(s.fill_style_ == vbFSSolid ? QBrush(gdi::ToQColor(s.fill_)) : QBrush(Qt::NoBrush));
        // Squares and circles take the shorter side, centred.
        QRectF r = QRectF(rect()).adjusted(bw / 2.0, bw / 2.0, -(bw + 1) / 2.0, -(bw + 1) / 2.0);
        const int32_t k = s.kind_;
        if (k == vbShapeSquare || k == vbShapeCircle || k == vbShapeRoundedSquare) {
            const double side = std::min(r.width(), r.height());
            r = QRectF(r.center().x() - side / 2, r.center().y() - side / 2, side, side);
        }
        if (k == vbShapeOval || k == vbShapeCircle) {
            p.setRenderHint(QPainter::Antialiasing);
            p.drawEllipse(r);
        } else if (k == vbShapeRoundedRectangle || k == vbShapeRoundedSquare) {
            p.setRenderHint(QPainter::Antialiasing);
            const double radius = std::min(r.width(), r.height()) / 6;
            p.drawRoundedRect(r, radius, radius);
        } else {
            p.drawRect(r);
        }
    }
};

QWidget* Shape::make_widget(QWidget* parent) {
    kind_ = vbShapeRectangle;
    fill_style_ = vbFSTransparent;
    border_width_ = 1;
    fill_ = border_ = 0;
    return new ShapeWidget(parent, this);
}

void Shape::changed() {
    widget()->update();
}

int32_t Shape::Kind() const {
    ensure_loaded();
    return kind_;
}
void Shape::Kind(int32_t shape) {
    ensure_loaded();
    kind_ = std::clamp(shape, 0, 5);
    changed();
}
uint32_t Shape::FillColor() const {
    ensure_loaded();
    return fill_;
}
void Shape::FillColor(uint32_t c) {
    ensure_loaded();
    fill_ = c & 0xFFFFFF;
    changed();
}
int32_t Shape::FillStyle() const {
    ensure_loaded();
    return fill_style_;
}
void Shape::FillStyle(int32_t style) {
    ensure_loaded();
    fill_style_ = style == vbFSSolid ? vbFSSolid : vbFSTransparent;
    changed();
}
uint32_t Shape::BorderColor() const {
    ensure_loaded();
    return border_;
}
void Shape::BorderColor(uint32_t c) {
    ensure_loaded();
    border_ = c & 0xFFFFFF;
    changed();
}
int32_t Shape::BorderWidth() const {
    ensure_loaded();
    return border_width_;
}
void Shape::BorderWidth(int32_t px) {
    ensure_loaded();
    border_width_ = std::max(px, 0);
    changed();
}

} // namespace forms
