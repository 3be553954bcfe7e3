#include "PictureBox.h"

#include "GdiQt.h"
#include "Screen.h"

#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace forms {

struct PictureBox::Backing {
    QImage image;
    gdi::HDC dc = nullptr;
    int32_t scale_mode = vbTwips;
    double current_x = 0, current_y = 0;
    uint32_t back = 0x00FFFFFF;
};

// Shows the backing image; a larger box grows the image, keeping what is drawn.
class PictureWidget : public QWidget {
public:
    PictureWidget(QWidget* parent, PictureBox* box) : QWidget(parent), box(box) {}
    PictureBox* box;

protected:
    void paintEvent(QPaintEvent*) override {
        if (!box) return;
        QPainter p(this);
        p.drawImage(0, 0, box->b_->image);
    }
    void resizeEvent(QResizeEvent*) override {
        if (box) box->grow_image();
    }
};

void PictureBox::grow_image() const {
    const QWidget* w = raw_widget();
    if (!w) return;
    QImage& img = b_->image;
    if (!img.isNull() && img.width() >= w->width() && img.height() >= w->height()) return;
    QImage bigger(std::max({img.width(), w->width(), 1}), std::max({img.height(), w->height(), 1}),
                  QImage::Format_RGB32);
    bigger.fill(gdi::ToQColor(b_->back));
    if (!img.isNull()) {
        QPainter p(&bigger);
        p.drawImage(0, 0, img);
    }
    // Assigned into the same object, so the device context follows it.
    img = bigger;
}

QWidget* PictureBox::drawing_widget() const {
    QWidget* w = widget();
    grow_image();
    return w;
}

PictureBox::PictureBox(Form* owner, std::string name, int32_t index)
    : WidgetControl(owner, std::move(name), index), b_(std::make_unique<Backing>()) {}

PictureBox::~PictureBox() {
    if (b_->dc) gdi::DeleteDC(b_->dc);
}

QWidget* PictureBox::make_widget(QWidget* parent) {
    b_->scale_mode = vbTwips;
    b_->current_x = b_->current_y = 0;
    b_->back = 0x00FFFFFF;
    b_->image = QImage();
    auto* w = new PictureWidget(parent, this);
    w->resize(100, 100);
    return w;
}

void PictureBox::release() {
    if (QWidget* w = raw_widget()) static_cast<PictureWidget*>(w)->box = nullptr;
    if (b_->dc) gdi::DeleteDC(b_->dc);
    b_->dc = nullptr;
    b_->image = QImage();
    WidgetControl::release();
}

double PictureBox::pixels_to_scale(double px) const {
    return b_->scale_mode == vbPixels ? px : px * kTwipsPerPixel;
}
double PictureBox::scale_to_pixels(double v) const {
    return b_->scale_mode == vbPixels ? v : v / kTwipsPerPixel;
}

int32_t PictureBox::ScaleMode() const {
    ensure_loaded();
    return b_->scale_mode;
}
void PictureBox::ScaleMode(int32_t mode) {
    ensure_loaded();
    b_->scale_mode = mode == vbPixels ? vbPixels : vbTwips;
}
double PictureBox::ScaleWidth() const {
    return pixels_to_scale(widget()->width());
}
double PictureBox::ScaleHeight() const {
    return pixels_to_scale(widget()->height());
}

gdi::HDC PictureBox::hDC() {
    drawing_widget();
    if (!b_->dc) b_->dc = gdi::CreateDCForImage(&b_->image);
    return b_->dc;
}

void PictureBox::Cls() {
    drawing_widget();
    b_->back = BackColor();
    b_->image.fill(gdi::ToQColor(b_->back));
    b_->current_x = b_->current_y = 0;
    Refresh();
}

double PictureBox::CurrentX() const {
    ensure_loaded();
    return b_->current_x;
}
double PictureBox::CurrentY() const {
    ensure_loaded();
    return b_->current_y;
}
void PictureBox::CurrentX(double x) {
    ensure_loaded();
    b_->current_x = x;
}
void PictureBox::CurrentY(double y) {
    ensure_loaded();
    b_->current_y = y;
}

namespace {
int px(double v) {
    return static_cast<int>(std::lround(v));
}
} // namespace

void PictureBox::Line(double x1, double y1, double x2, double y2, uint32_t color, int32_t box) {
    drawing_widget();
    QPainter p(&b_->image);
    const int ax = px(scale_to_pixels(x1)), ay = px(scale_to_pixels(y1));
    const int bx = px(scale_to_pixels(x2)), by = px(scale_to_pixels(y2));
    if (box == 2) {
        p.fillRect(
            QRect(QPoint(std::min(ax, bx), std::min(ay, by)), QPoint(std::max(ax, bx), std::max(ay, by))),
            gdi::ToQColor(color));
    } else {
        p.setPen(gdi::ToQColor(color));
        if (box == 1)
            p.drawRect(
                QRect(QPoint(std::min(ax, bx), std::min(ay, by)), QPoint(std::max(ax, bx), std::max(ay, by)))
                    .adjusted(0, 0, -1, -1));
        else
            p.drawLine(ax, ay, bx, by);
    }
    b_->current_x = x2;
    b_->current_y = y2;
}

void PictureBox::PSet(double x, double y, uint32_t color) {
    drawing_widget();
    const int ix = px(scale_to_pixels(x)), iy = px(scale_to_pixels(y));
    if (b_->image.valid(ix, iy)) b_->image.setPixelColor(ix, iy, gdi::ToQColor(color));
    b_->current_x = x;
    b_->current_y = y;
}

int64_t PictureBox::Point(double x, double y) const {
    drawing_widget();
    const int ix = px(scale_to_pixels(x)), iy = px(scale_to_pixels(y));
    if (!b_->image.valid(ix, iy)) return -1;
    const QRgb c = b_->image.pixel(ix, iy);
    return qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16);
}

void PictureBox::Print(const std::string& text) {
    QWidget* w = drawing_widget();
    const QFont f = w->font();
    const QFontMetrics fm(f);
    QPainter p(&b_->image);
    p.setFont(f);
    p.setPen(gdi::ToQColor(ForeColor()));
    // Each line break starts a new line at the left edge, as the original prints.
    const QStringList lines = QString::fromStdString(text).split('\n');
    for (const QString& line : lines) {
        const int x = px(scale_to_pixels(b_->current_x)), y = px(scale_to_pixels(b_->current_y));
        p.drawText(x, y + fm.ascent(), QString(line).remove('\r'));
        b_->current_x = 0;
        b_->current_y += pixels_to_scale(fm.height());
    }
}

double PictureBox::TextWidth(const std::string& text) const {
    const QFontMetrics fm(widget()->font());
    int widest = 0;
    for (const QString& line : QString::fromStdString(text).split('\n'))
        widest = std::max(widest, fm.horizontalAdvance(line));
    return pixels_to_scale(widest);
}

double PictureBox::TextHeight(const std::string& text) const {
    const QFontMetrics fm(widget()->font());
    const auto lines = QString::fromStdString(text).split('\n').size();
    return pixels_to_scale(static_cast<double>(fm.height()) * static_cast<double>(lines));
}

void PictureBox::PaintPicture(const Picture& picture, double x, double y, double width, double height) {
    drawing_widget();
    if (picture.IsNull()) return;
    const int w = width < 0 ? picture.Width() : px(scale_to_pixels(width));
    const int h = height < 0 ? picture.Height() : px(scale_to_pixels(height));
    QPainter p(&b_->image);
    p.drawImage(QRect(px(scale_to_pixels(x)), px(scale_to_pixels(y)), w, h), picture.image());
}

Picture PictureBox::Image() const {
    drawing_widget();
    return Picture::FromImage(b_->image.copy(0, 0, widget()->width(), widget()->height()));
}

} // namespace forms
