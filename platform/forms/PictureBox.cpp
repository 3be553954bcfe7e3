#include "PictureBox.h"

#include "GdiQt.h"
#include "PixelCopy.h"
#include "Screen.h"

#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace forms {

// A picture handed over in direct-paint mode, painted by the next paint event.
struct DirectFrame {
    const QImage* memory = nullptr;
    bool bottom_up = false;
    QRect source, dest;
    bool smooth = false;
};

struct PictureBox::Backing {
    QImage image;
    gdi::HDC dc = nullptr;
    int32_t scale_mode = vbTwips;
    double current_x = 0, current_y = 0;
    uint32_t back = 0x00FFFFFF;
    int32_t draw_width = 1;
    bool direct = false;
    DirectFrame frame;
    QImage direct_rows; // a direct picture in the screen's layout, reused
    // What was drawn since the last paint, in the box's pixels.
    QRegion unpainted;
};

// Shows the backing image; a larger box grows the image, keeping what is drawn.
class PictureWidget : public QWidget {
public:
    PictureWidget(QWidget* parent, PictureBox* box) : QWidget(parent), box(box) {
        // Everything is painted from the image: no background fill first.
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    PictureBox* box;

protected:
    void paintEvent(QPaintEvent* e) override {
        if (!box) return;
        QPainter p(this);
        const DirectFrame& f = box->b_->frame;
        if (f.memory) {
            if (!f.smooth && into_store(p, e->region(), f)) return;
            // Nearest pixel: turned into the screen's 32-bit layout in one
            // pass (flipped and scaled on the way), then copied plainly.
            QImage& rows = box->b_->direct_rows;
            if (!f.smooth) {
                if (rows.size() != f.dest.size()) rows = QImage(f.dest.size(), QImage::Format_RGB32);
                if (gdi::CopyNearest(rows, rows.rect(), *f.memory, f.source, f.bottom_up)) {
                    p.drawImage(f.dest.topLeft(), rows);
                    return;
                }
            }
            // Straight from the frame's memory to the screen, flipped and scaled once.
            p.setRenderHint(QPainter::SmoothPixmapTransform, f.smooth);
            if (f.bottom_up && f.dest.size() == f.source.size()) {
                // Unscaled, a flip is fastest row by row.
                p.setCompositionMode(QPainter::CompositionMode_Source);
                for (int row = 0; row < f.dest.height(); ++row)
                    p.drawImage(QPoint(f.dest.x(), f.dest.bottom() - row), *f.memory,
                                QRect(f.source.x(), f.source.y() + row, f.source.width(), 1));
            } else if (f.bottom_up) {
                p.translate(0, f.dest.y() + f.dest.height());
                p.scale(1, -1);
                p.drawImage(QRect(f.dest.x(), 0, f.dest.width(), f.dest.height()), *f.memory, f.source);
            } else {
                p.drawImage(f.dest, *f.memory, f.source);
            }
            return;
        }
        // Rectangle by rectangle: the bounds of a few marks far apart would
        // copy most of the picture.
        for (const QRect& r : e->region())
            p.drawImage(r.topLeft(), box->b_->image, r);
        box->b_->unpainted -= e->region();
    }
    void resizeEvent(QResizeEvent*) override {
        if (box) box->grow_image();
    }

private:
    // When the window's store is a plain 32-bit image in memory, unscaled by
    // the screen, the frame is turned into the store's pixels in place: one
    // pass over the memory instead of a conversion and a copy. Only what the
    // paint event asks for is written. False, with nothing written, when the
    // store is anything else (a grab into a pixmap, a scaled screen); the
    // caller paints it.
    static bool into_store(QPainter& p, const QRegion& asked, const DirectFrame& f) {
        QPaintEngine* engine = p.paintEngine();
        QPaintDevice* device = engine ? engine->paintDevice() : nullptr;
        if (!device || device->devType() != QInternal::Image) return false;
        QImage& store = *static_cast<QImage*>(device);
        // Opaque pixels are the same four bytes in each of these layouts.
        const QImage::Format fmt = store.format();
        if (fmt != QImage::Format_RGB32 && fmt != QImage::Format_ARGB32 &&
            fmt != QImage::Format_ARGB32_Premultiplied)
            return false;
        if (store.devicePixelRatio() != 1.0) return false;
        if (f.memory->format() != QImage::Format_BGR888 && f.memory->format() != QImage::Format_RGB32)
            return false;
        const QTransform t = p.deviceTransform();
        if (t.type() != QTransform::TxNone && t.type() != QTransform::TxTranslate) return false;
        const QPoint shift(qRound(t.dx()), qRound(t.dy()));
        uchar* const bits = store.bits();
        for (const QRect& r : asked) {
            // The part to write, in the store's pixels; what lies outside the
            // region asked for (a sibling, the window's frame) is not the
            // box's to touch.
            const QRect area = (f.dest & r & p.window()).translated(shift) & store.rect();
            if (area.isEmpty()) continue;
            // A view of that part alone, so that the copy clips to it.
            QImage part(bits + area.top() * store.bytesPerLine() + area.left() * 4, area.width(),
                        area.height(), store.bytesPerLine(), QImage::Format_RGB32);
            if (!gdi::CopyNearest(part, f.dest.translated(shift - area.topLeft()), *f.memory, f.source,
                                  f.bottom_up))
                return false;
        }
        return true;
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

void PictureBox::changed(const QRect& r) const {
    QWidget* w = raw_widget();
    if (!w) return;
    w->update(r);
    // Many small drawings (points, glyphs) would make the region costly to
    // keep; their bounds repaint the same pixels and a few more.
    QRegion& u = b_->unpainted;
    u += r & w->rect();
    if (u.rectCount() > 256) u = u.boundingRect();
}

void PictureBox::changed_all() const {
    QWidget* w = raw_widget();
    if (!w) return;
    w->update();
    b_->unpainted = w->rect();
}

// A repaint of what was drawn since the last paint shows the same picture as
// one of the whole box: the rest is on the screen already. A few marks keyed
// over a picture just shown would otherwise copy the whole picture to the
// screen a second time.
void PictureBox::Refresh() {
    QWidget* w = widget();
    if (b_->unpainted.isEmpty()) {
        w->repaint();
        return;
    }
    const QRegion r = b_->unpainted;
    w->repaint(r);
    // What the repaint left out lies outside the window's view; Qt paints it
    // when it comes into view.
    b_->unpainted = QRegion();
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
    b_->draw_width = 1;
    b_->direct = false;
    b_->frame = {};
    b_->image = QImage();
    b_->unpainted = QRegion();
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
double PictureBox::target_width_px() {
    return widget()->width();
}
double PictureBox::target_height_px() {
    return widget()->height();
}

gdi::HDC PictureBox::hDC() {
    drawing_widget();
    if (!b_->dc) {
        b_->dc = gdi::CreateDCForImage(&b_->image);
        gdi::SetDamageHook(b_->dc, [this](const QRect& r) { changed(r); });
        if (b_->direct) DirectPaint(true);
    }
    return b_->dc;
}

void PictureBox::DirectPaint(bool on) {
    ensure_loaded();
    b_->direct = on;
    if (!b_->dc) return;
    if (!on) {
        gdi::SetDirectPaint(b_->dc, {});
        return;
    }
    gdi::SetDirectPaint(b_->dc, [this](const QImage& memory, bool bottom_up, const QRect& source,
                                       const QRect& dest, bool smooth) {
        QWidget* w = raw_widget();
        if (!w) return;
        // The memory is the caller's and lives only for this call: painted now.
        b_->frame = DirectFrame{&memory, bottom_up, source, dest, smooth};
        w->repaint(dest);
        b_->frame = {};
    });
}

bool PictureBox::DirectPaint() const {
    ensure_loaded();
    return b_->direct;
}

void PictureBox::Cls() {
    drawing_widget();
    b_->back = BackColor();
    b_->image.fill(gdi::ToQColor(b_->back));
    b_->current_x = b_->current_y = 0;
    changed_all();
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

int32_t PictureBox::DrawWidth() const {
    ensure_loaded();
    return b_->draw_width;
}
void PictureBox::DrawWidth(int32_t px) {
    ensure_loaded();
    b_->draw_width = std::max(px, 1);
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
    const QRect r(QPoint(std::min(ax, bx), std::min(ay, by)), QPoint(std::max(ax, bx), std::max(ay, by)));
    const int wd = b_->draw_width;
    if (box == 2) {
        p.fillRect(r, gdi::ToQColor(color));
    } else {
        p.setPen(QPen(gdi::ToQColor(color), wd, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        if (box == 1)
            p.drawRect(r.adjusted(0, 0, -1, -1));
        else
            p.drawLine(ax, ay, bx, by);
    }
    changed(r.adjusted(-wd, -wd, wd, wd));
    b_->current_x = x2;
    b_->current_y = y2;
}

void PictureBox::Circle(double x, double y, double radius, uint32_t color) {
    drawing_widget();
    QPainter p(&b_->image);
    const QPointF c(scale_to_pixels(x), scale_to_pixels(y));
    const double r = scale_to_pixels(radius);
    p.setPen(QPen(gdi::ToQColor(color), b_->draw_width));
    p.drawEllipse(c, r, r);
    const int reach = px(r) + b_->draw_width + 1;
    changed(QRect(px(c.x()) - reach, px(c.y()) - reach, 2 * reach + 1, 2 * reach + 1));
    b_->current_x = x;
    b_->current_y = y;
}

void PictureBox::PSet(double x, double y, uint32_t color) {
    drawing_widget();
    const int ix = px(scale_to_pixels(x)), iy = px(scale_to_pixels(y));
    if (b_->image.valid(ix, iy)) b_->image.setPixelColor(ix, iy, gdi::ToQColor(color));
    changed(QRect(ix, iy, 1, 1));
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

void PictureBox::Print(const std::string& text, bool new_line) {
    QWidget* w = drawing_widget();
    const QFont f = w->font();
    const QFontMetrics fm(f);
    QPainter p(&b_->image);
    p.setFont(f);
    p.setPen(gdi::ToQColor(ForeColor()));
    // Each line break starts a new line at the left edge, as the original prints.
    const QStringList lines = QString::fromStdString(text).split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = QString(lines[i]).remove('\r');
        const int x = px(scale_to_pixels(b_->current_x)), y = px(scale_to_pixels(b_->current_y));
        p.drawText(x, y + fm.ascent(), line);
        const int advance = fm.horizontalAdvance(line);
        changed(QRect(x, y, advance + 2, fm.height()));
        if (i + 1 == lines.size() && !new_line) {
            b_->current_x += pixels_to_scale(advance);
        } else {
            b_->current_x = 0;
            b_->current_y += pixels_to_scale(fm.height());
        }
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
    const QRect r(px(scale_to_pixels(x)), px(scale_to_pixels(y)), w, h);
    QPainter p(&b_->image);
    p.setRenderHint(QPainter::SmoothPixmapTransform, r.size() != picture.image().size());
    p.drawImage(r, picture.image());
    changed(r);
}

Picture PictureBox::Image() const {
    drawing_widget();
    return Picture::FromImage(b_->image.copy(0, 0, widget()->width(), widget()->height()));
}

} // namespace forms
