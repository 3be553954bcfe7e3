#include "Gdi.h"
#include "GdiQt.h"
#include "PixelCopy.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QThread>

#include <algorithm>
#include <array>
#include <cassert>
#include <cctype>
#include <cmath>
#include <cstring>
#include <memory>
#include <set>
#include <thread>
#include <utility>
#include <vector>

namespace gdi {

class GdiObject {
public:
    enum class Kind { Pen, Brush, Font, Bitmap };
    explicit GdiObject(Kind k) : kind(k) {}
    Kind kind;
    bool stock = false;
    int selected = 0; // DCs that hold it selected

    // Pen and brush.
    int32_t style = PS_SOLID;
    int32_t width = 1;
    COLORREF color = 0;
    int32_t hatch = -1; // -1 solid brush
    bool null_brush = false;

    // Font.
    QFont font;
    int32_t escapement = 0;

    // Bitmap: its own memory, wrapped by `image` (never copied, so drawing
    // into the image writes that memory).
    std::vector<uint8_t> memory;
    QImage image;
    bool bottom_up = false;
};

class DeviceContext {
public:
    HGDIOBJ pen = nullptr;
    HGDIOBJ brush = nullptr;
    HGDIOBJ font = nullptr;
    HGDIOBJ bitmap = nullptr;
    std::unique_ptr<GdiObject> own_bitmap; // the 1 x 1 bitmap a memory DC starts with
    QImage* external = nullptr;
    int32_t bk_mode = OPAQUE;
    COLORREF bk_color = RGB(255, 255, 255);
    COLORREF text_color = 0;
    int32_t stretch_mode = BLACKONWHITE;
    POINT pos;
    std::function<void(const QRect&)> damage;
    DirectPaint direct;
};

namespace {

// Never destroyed: program-wide bitmaps may be released while the process
// exits, after this file's statics would be gone.
std::set<const DeviceContext*>& live_dcs = *new std::set<const DeviceContext*>;
std::set<const GdiObject*>& live_objects = *new std::set<const GdiObject*>;

// The tables below are unguarded: only the main thread may touch them.
void check_thread() {
#ifndef NDEBUG
    static const std::thread::id owner = QCoreApplication::instance()
                                             ? QCoreApplication::instance()->thread()->isCurrentThread()
                                                   ? std::this_thread::get_id()
                                                   : std::thread::id()
                                             : std::this_thread::get_id();
    assert(std::this_thread::get_id() == owner && "gdi is for the main thread only");
#endif
}

bool valid(HDC dc) {
    check_thread();
    return dc && live_dcs.count(dc);
}
bool valid(HGDIOBJ o) {
    check_thread();
    return o && live_objects.count(o);
}

// Tells the owner of the DC's surface what changed.
void damaged(HDC dc, const QRect& r) {
    if (dc && dc->damage && !r.isEmpty()) dc->damage(r.normalized());
}

// The rectangles a keyed copy wrote, for its damage. Runs within reach of a
// rectangle (beside it in a row, or a few rows below) grow it, so a line,
// upright or slanted, or a mark with its label is one rectangle each and a
// repaint covers the marks instead of the whole picture under them. An
// overlay busy enough to make more than a few dozen reports their bounds.
class Written_Rects {
public:
    // A run of written pixels [x0, x1) in row y; rows come in order, runs in
    // a row from left to right.
    void run(int y, int x0, int x1) {
        if (y == row_ && x0 <= right_ + kReach) {
            right_ = x1;
            return;
        }
        flush();
        row_ = y;
        left_ = x0;
        right_ = x1;
    }
    void report(HDC dc) {
        flush();
        if (bounds_only_) damaged(dc, bounds_.rect());
        for (const Box& b : boxes_)
            damaged(dc, b.rect());
    }

private:
    static constexpr int kReach = 16;
    static constexpr size_t kMost = 32;

    // Edges inclusive of left and top, exclusive of right and bottom; kept
    // plain, as every run of every row is tested against them.
    struct Box {
        int l, t, r, b;
        void grow(const Box& o) {
            l = std::min(l, o.l);
            t = std::min(t, o.t);
            r = std::max(r, o.r);
            b = std::max(b, o.b);
        }
        QRect rect() const { return QRect(l, t, r - l, b - t); }
    };

    // The row's run joins every rectangle within reach above or beside it.
    void flush() {
        if (right_ <= left_) return;
        Box grown{left_, row_, right_, row_ + 1};
        right_ = left_;
        if (bounds_only_) {
            bounds_.grow(grown);
            return;
        }
        for (size_t i = 0; i < boxes_.size();) {
            const Box& o = boxes_[i];
            if (o.l < grown.r + kReach && grown.l < o.r + kReach && o.b + kReach > grown.t) {
                grown.grow(o);
                boxes_[i] = boxes_.back();
                boxes_.pop_back();
            } else {
                ++i;
            }
        }
        boxes_.push_back(grown);
        if (boxes_.size() > kMost) {
            bounds_only_ = true;
            bounds_ = boxes_.front();
            for (const Box& o : boxes_)
                bounds_.grow(o);
            boxes_.clear();
        }
    }

    int row_ = -1, left_ = 0, right_ = 0;
    std::vector<Box> boxes_;
    bool bounds_only_ = false;
    Box bounds_{};
};

// Pixels travel inside this file as Qt's 0x00RRGGBB.
uint32_t to_rgb(COLORREF c) {
    return (static_cast<uint32_t>(GetRValue(c)) << 16) | (static_cast<uint32_t>(GetGValue(c)) << 8) |
           static_cast<uint32_t>(GetBValue(c));
}
COLORREF to_colorref(uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// One pixel of a row, 24-bit packed (B, G, R) or 32-bit, as 0x00RRGGBB.
uint32_t read_px(const uchar* row, int x, bool packed) {
    if (packed) {
        const uchar* p = row + 3 * x;
        return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
    }
    return reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFF;
}

void write_px(uchar* row, int x, bool packed, uint32_t rgb) {
    if (packed) {
        uchar* p = row + 3 * x;
        p[0] = static_cast<uchar>(rgb);
        p[1] = static_cast<uchar>(rgb >> 8);
        p[2] = static_cast<uchar>(rgb >> 16);
        return;
    }
    reinterpret_cast<uint32_t*>(row)[x] = 0xFF000000u | rgb;
}

// One surface in picture coordinates: y counts from the top of the picture,
// whatever the row order in memory.
struct Surface {
    QImage* img = nullptr;
    bool bottom_up = false;
    int w = 0, h = 0;

    explicit Surface(HDC dc) {
        if (!valid(dc)) return;
        if (dc->external) {
            img = dc->external;
        } else if (dc->bitmap) {
            img = &dc->bitmap->image;
            bottom_up = dc->bitmap->bottom_up;
        }
        if (img && !img->isNull()) {
            w = img->width();
            h = img->height();
        } else {
            img = nullptr;
        }
    }
    // A top-down picture of the program's own (32-bit).
    explicit Surface(QImage* picture) : img(picture), w(picture->width()), h(picture->height()) {}
    bool ok() const { return img != nullptr; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
    uchar* row(int y) const { return img->scanLine(bottom_up ? h - 1 - y : y); }
    const uchar* crow(int y) const { return img->constScanLine(bottom_up ? h - 1 - y : y); }
    bool packed24() const { return img->format() == QImage::Format_BGR888; }
    uint32_t get(int x, int y) const { return read_px(crow(y), x, packed24()); }
    void set(int x, int y, uint32_t rgb) const { write_px(row(y), x, packed24(), rgb); }
};

// A painter in picture coordinates over the rows [top, bottom) a drawing can
// touch. On bottom-up memory it paints a top-down copy of those rows and
// writes them back in memory order when done: a flipping transform would move
// aliased outlines by a pixel against their fills.
struct Painter {
    const Surface& s;
    int top = 0, rows = 0;
    QImage band;
    QPainter p;
    Painter(const Surface& surface, int from_row, int to_row) : s(surface) {
        if (!s.bottom_up) {
            p.begin(s.img);
        } else {
            top = std::clamp(from_row, 0, s.h);
            rows = std::clamp(to_row, top, s.h) - top;
            band = QImage(s.w, std::max(rows, 1), s.img->format());
            for (int y = 0; y < rows; ++y)
                std::memcpy(band.scanLine(y), s.row(top + y), static_cast<size_t>(3 * s.w));
            p.begin(&band);
            p.translate(0, -top);
        }
        p.setRenderHint(QPainter::Antialiasing, false);
    }
    ~Painter() {
        p.end();
        for (int y = 0; y < rows; ++y)
            std::memcpy(s.row(top + y), band.constScanLine(y), static_cast<size_t>(3 * s.w));
    }
};

bool rop_needs_source(uint32_t rop) {
    return rop != DSTINVERT && rop != BLACKNESS && rop != WHITENESS;
}

QPainter::CompositionMode mode_for(uint32_t rop) {
    switch (rop) {
    case SRCPAINT:
        return QPainter::RasterOp_SourceOrDestination;
    case SRCAND:
        return QPainter::RasterOp_SourceAndDestination;
    case SRCINVERT:
        return QPainter::RasterOp_SourceXorDestination;
    case SRCERASE:
        return QPainter::RasterOp_SourceAndNotDestination;
    case NOTSRCCOPY:
        return QPainter::RasterOp_NotSource;
    case NOTSRCERASE:
        return QPainter::RasterOp_NotSourceAndNotDestination;
    case MERGEPAINT:
        return QPainter::RasterOp_NotSourceOrDestination;
    case DSTINVERT:
        return QPainter::RasterOp_NotDestination;
    default:
        return QPainter::CompositionMode_Source;
    }
}

// A rectangle in picture coordinates as rows in memory.
QRect to_memory(const QRect& r, int height, bool bottom_up) {
    return bottom_up ? QRect(r.x(), height - r.y() - r.height(), r.width(), r.height()) : r;
}

// Paints `src_mem` (a rectangle of `src` in memory order, rows bottom-up when
// src_bottom_up) into `dst` (picture coordinates of the surface, mirrored on
// the axes asked), flipped and scaled by the painter in one pass.
void paint_into(const Surface& d, const QRect& dst, bool mirror_x, bool mirror_y, const QImage& src,
                const QRect& src_mem, bool src_bottom_up, bool smooth, uint32_t rop) {
    if (dst.isEmpty() || src_mem.isEmpty()) return;
    const QRect dm = to_memory(dst, d.h, d.bottom_up);
    const bool flip_y = mirror_y != (src_bottom_up != d.bottom_up);
    // Frames and bitmaps copied straight, the nearest pixel, in one pass.
    if (!mirror_x && !smooth && mode_for(rop) == QPainter::CompositionMode_Source &&
        CopyNearest(*d.img, dm, src, src_mem, flip_y))
        return;
    // Qt converts B, G, R bytes into a 32-bit picture slowly, R, G, B quickly:
    // read as R, G, B and written as R, G, B, X the bytes land where a 32-bit
    // picture keeps B, G, R, X, so the same bytes come out right, at speed.
    QImage as_rgb, into;
    const QImage* from = &src;
    QImage* onto = d.img;
    if (src.format() == QImage::Format_BGR888 && d.img->format() == QImage::Format_RGB32 &&
        mode_for(rop) == QPainter::CompositionMode_Source) {
        as_rgb =
            QImage(src.constBits(), src.width(), src.height(), src.bytesPerLine(), QImage::Format_RGB888);
        into = QImage(d.img->bits(), d.img->width(), d.img->height(), d.img->bytesPerLine(),
                      QImage::Format_RGBX8888);
        from = &as_rgb;
        onto = &into;
    }
    QPainter p(onto);
    if (flip_y && !mirror_x && dm.size() == src_mem.size()) {
        // A plain flip is fastest row by row: each row a straight copy.
        p.setCompositionMode(mode_for(rop));
        for (int row = 0; row < dm.height(); ++row)
            p.drawImage(QPoint(dm.x(), dm.y() + dm.height() - 1 - row), *from,
                        QRect(src_mem.x(), src_mem.y() + row, src_mem.width(), 1));
        return;
    }
    p.setCompositionMode(mode_for(rop));
    p.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    if (!mirror_x && !flip_y) {
        p.drawImage(dm, *from, src_mem);
        return;
    }
    QTransform t;
    t.translate(dm.x() + (mirror_x ? dm.width() : 0), dm.y() + (flip_y ? dm.height() : 0));
    t.scale(mirror_x ? -1 : 1, flip_y ? -1 : 1);
    p.setTransform(t);
    p.drawImage(QRect(0, 0, dm.width(), dm.height()), *from, src_mem);
}

// The operations without a source: a fill with the raster operation.
void fill_rop(const Surface& d, const QRect& dst, uint32_t rop) {
    QPainter p(d.img);
    const QRect dm = to_memory(dst, d.h, d.bottom_up);
    if (rop == BLACKNESS || rop == WHITENESS) {
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(dm, rop == BLACKNESS ? Qt::black : Qt::white);
        return;
    }
    p.setCompositionMode(mode_for(rop));
    p.fillRect(dm, Qt::black);
}

// A stretch from one surface to another (or within one), picture coordinates
// on both sides; a negative extent mirrors that axis.
bool stretch(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, uint32_t rop) {
    const Surface d(dest);
    if (!d.ok() || w == 0 || h == 0) return false;
    if (!rop_needs_source(rop)) {
        const QRect r =
            QRect(QPoint(std::min(x, x + w), std::min(y, y + h)), QSize(std::abs(w), std::abs(h)));
        fill_rop(d, r, rop);
        damaged(dest, r);
        return true;
    }
    const Surface s(src);
    if (!s.ok() || sw == 0 || sh == 0) return false;
    bool mx = false, my = false;
    if (sw < 0) {
        sx += sw + 1;
        sw = -sw;
        mx = !mx;
    }
    if (sh < 0) {
        sy += sh + 1;
        sh = -sh;
        my = !my;
    }
    if (w < 0) {
        x += w + 1;
        w = -w;
        mx = !mx;
    }
    if (h < 0) {
        y += h + 1;
        h = -h;
        my = !my;
    }
    QRect sm = to_memory(QRect(sx, sy, sw, sh), s.h, s.bottom_up);
    const bool smooth = valid(dest) && dest->stretch_mode == HALFTONE && (w != sw || h != sh);
    if (s.img == d.img) {
        // Within one surface the rectangles may overlap: the source goes out first.
        const QRect inside = sm & s.img->rect();
        if (inside.isEmpty()) return true;
        const QImage part = s.img->copy(inside);
        // Keep the clipped part's place within the asked rectangle.
        const QRect dst(x, y, w, h);
        paint_into(d, dst, mx, my, part, QRect(sm.topLeft() - inside.topLeft(), sm.size()), s.bottom_up,
                   smooth, rop);
        damaged(dest, dst);
        return true;
    }
    paint_into(d, QRect(x, y, w, h), mx, my, *s.img, sm, s.bottom_up, smooth, rop);
    damaged(dest, QRect(x, y, w, h));
    return true;
}

GdiObject* make(GdiObject::Kind k) {
    auto* o = new GdiObject(k);
    live_objects.insert(o);
    return o;
}

std::string lower(std::string s) {
    for (auto& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

GdiObject* stock(int32_t which) {
    static std::array<GdiObject*, 18> objects{};
    if (which < 0 || which >= static_cast<int32_t>(objects.size())) return nullptr;
    if (objects[static_cast<size_t>(which)]) return objects[static_cast<size_t>(which)];
    GdiObject* o = nullptr;
    switch (which) {
    case WHITE_BRUSH:
    case LTGRAY_BRUSH:
    case GRAY_BRUSH:
    case DKGRAY_BRUSH:
    case BLACK_BRUSH: {
        static const COLORREF shades[] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128),
                                          RGB(64, 64, 64), RGB(0, 0, 0)};
        o = make(GdiObject::Kind::Brush);
        o->color = shades[which];
        break;
    }
    case NULL_BRUSH:
        o = make(GdiObject::Kind::Brush);
        o->null_brush = true;
        break;
    case WHITE_PEN:
    case BLACK_PEN:
    case NULL_PEN:
        o = make(GdiObject::Kind::Pen);
        o->color = which == WHITE_PEN ? RGB(255, 255, 255) : 0;
        o->style = which == NULL_PEN ? PS_NULL : PS_SOLID;
        break;
    case SYSTEM_FONT:
    case DEFAULT_GUI_FONT:
        o = make(GdiObject::Kind::Font);
        o->font = FontFor("MS Sans Serif", which == SYSTEM_FONT ? 16 : 11,
                          which == SYSTEM_FONT ? FW_BOLD : FW_NORMAL, false);
        break;
    default:
        return nullptr;
    }
    o->stock = true;
    objects[static_cast<size_t>(which)] = o;
    return o;
}

void select_into(HGDIOBJ& slot, HGDIOBJ o) {
    if (slot) --slot->selected;
    slot = o;
    if (o) ++o->selected;
}

HDC make_dc() {
    auto* dc = new DeviceContext;
    live_dcs.insert(dc);
    select_into(dc->pen, stock(BLACK_PEN));
    select_into(dc->brush, stock(WHITE_BRUSH));
    select_into(dc->font, stock(SYSTEM_FONT));
    return dc;
}

QBrush qbrush(const GdiObject* b) {
    if (!b || b->null_brush) return Qt::NoBrush;
    if (b->hatch < 0) return QBrush(ToQColor(b->color));
    static const Qt::BrushStyle styles[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::BDiagPattern,
                                            Qt::FDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
    const int h = std::clamp(b->hatch, 0, 5);
    return QBrush(ToQColor(b->color), styles[h]);
}

// Fills the inside of a shape: opaque background behind a hatch first.
void fill_rect(QPainter& p, const QRect& r, const GdiObject* brush, const DeviceContext* dc) {
    if (!brush || brush->null_brush || r.width() <= 0 || r.height() <= 0) return;
    if (brush->hatch >= 0 && dc->bk_mode == OPAQUE) p.fillRect(r, ToQColor(dc->bk_color));
    p.fillRect(r, qbrush(brush));
}

QPen qpen(const GdiObject* pen) {
    if (!pen || pen->style == PS_NULL) return Qt::NoPen;
    static const Qt::PenStyle styles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                          Qt::DashDotDotLine};
    QPen q(ToQColor(pen->color));
    q.setWidth(std::max(pen->width, 1));
    q.setStyle(styles[std::clamp(pen->style, 0, 4)]);
    return q;
}

} // namespace

std::string MapFontFamily(const std::string& face) {
    const std::string f = lower(face);
    if (f == "arial" || f == "ms sans serif" || f == "microsoft sans serif" || f == "tahoma" ||
        f == "verdana" || f == "ms shell dlg")
        return "Liberation Sans";
    if (f == "courier new" || f == "courier" || f == "lucida console") return "Liberation Mono";
    if (f == "times new roman" || f == "times") return "Liberation Serif";
    return face;
}

QFont FontFor(const std::string& face, int32_t pixel_height, int32_t weight, bool italic) {
    QFont f(QString::fromStdString(MapFontFamily(face.empty() ? "MS Sans Serif" : face)));
    f.setPixelSize(std::max(pixel_height, 1));
    f.setWeight(static_cast<QFont::Weight>(std::clamp(weight <= 0 ? 400 : weight, 100, 900)));
    f.setItalic(italic);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

HDC CreateCompatibleDC(HDC) {
    HDC dc = make_dc();
    dc->own_bitmap.reset(make(GdiObject::Kind::Bitmap));
    dc->own_bitmap->stock = true; // never deleted by DeleteObject, goes with its DC
    dc->own_bitmap->image = QImage(1, 1, QImage::Format_RGB32);
    dc->own_bitmap->image.fill(Qt::black);
    dc->bitmap = dc->own_bitmap.get();
    return dc;
}

HDC CreateDCForImage(QImage* surface) {
    HDC dc = make_dc();
    dc->external = surface;
    return dc;
}

bool DeleteDC(HDC dc) {
    if (!valid(dc)) return false;
    select_into(dc->pen, nullptr);
    select_into(dc->brush, nullptr);
    select_into(dc->font, nullptr);
    if (dc->bitmap != dc->own_bitmap.get()) select_into(dc->bitmap, nullptr);
    live_objects.erase(dc->own_bitmap.get());
    live_dcs.erase(dc);
    delete dc;
    return true;
}

HPEN CreatePen(int32_t style, int32_t width, COLORREF color) {
    GdiObject* o = make(GdiObject::Kind::Pen);
    o->style = style;
    o->width = width;
    o->color = color;
    return o;
}

HBRUSH CreateSolidBrush(COLORREF color) {
    GdiObject* o = make(GdiObject::Kind::Brush);
    o->color = color;
    return o;
}

HBRUSH CreateHatchBrush(int32_t hatch, COLORREF color) {
    GdiObject* o = make(GdiObject::Kind::Brush);
    o->color = color;
    o->hatch = std::clamp(hatch, 0, 5);
    return o;
}

HFONT CreateFont(int32_t height, int32_t, int32_t escapement, int32_t, int32_t weight, bool italic,
                 bool underline, bool strike_out, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                 const std::string& face) {
    GdiObject* o = make(GdiObject::Kind::Font);
    // A negative height is the characters' height, a positive one the cell's
    // (characters plus internal leading); 0 asks for the default size.
    int32_t px = height == 0 ? 16 : std::abs(height);
    QFont f = FontFor(face, px, weight, italic);
    if (height > 0) {
        const int cell = QFontMetrics(f).height();
        if (cell > 0) f.setPixelSize(std::max(1, static_cast<int>(std::lround(double(px) * px / cell))));
    }
    f.setUnderline(underline);
    f.setStrikeOut(strike_out);
    o->font = f;
    o->escapement = escapement;
    return o;
}

HGDIOBJ GetStockObject(int32_t which) {
    return stock(which);
}

HBITMAP CreateCompatibleBitmap(HDC, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return nullptr;
    GdiObject* o = make(GdiObject::Kind::Bitmap);
    o->image = QImage(width, height, QImage::Format_RGB32);
    if (o->image.isNull()) {
        DeleteObject(o);
        return nullptr;
    }
    o->image.fill(Qt::black);
    return o;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, uint32_t, void** bits, void*, uint32_t) {
    if (bits) *bits = nullptr;
    if (!info) return nullptr;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biBitCount != 24 || h.biCompression != BI_RGB || h.biWidth <= 0 || h.biHeight == 0) return nullptr;
    const int64_t w = h.biWidth;
    const int64_t rows = std::abs(static_cast<int64_t>(h.biHeight));
    const int64_t stride = DibStride24(w);
    if (w > 65535 || rows > 65535) return nullptr;
    GdiObject* o = make(GdiObject::Kind::Bitmap);
    try {
        o->memory.assign(static_cast<size_t>(stride * rows), 0);
    } catch (const std::bad_alloc&) {
        DeleteObject(o);
        return nullptr;
    }
    o->bottom_up = h.biHeight > 0;
    o->image =
        QImage(o->memory.data(), static_cast<int>(w), static_cast<int>(rows), stride, QImage::Format_BGR888);
    if (bits) *bits = o->memory.data();
    return o;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ o) {
    if (!valid(dc) || !valid(o)) return nullptr;
    HGDIOBJ previous = nullptr;
    switch (o->kind) {
    case GdiObject::Kind::Pen:
        previous = dc->pen;
        select_into(dc->pen, o);
        break;
    case GdiObject::Kind::Brush:
        previous = dc->brush;
        select_into(dc->brush, o);
        break;
    case GdiObject::Kind::Font:
        previous = dc->font;
        select_into(dc->font, o);
        break;
    case GdiObject::Kind::Bitmap:
        // Only memory DCs hold bitmaps, and a bitmap sits in one DC at a time.
        if (dc->external || (o->selected > 0 && dc->bitmap != o)) return nullptr;
        previous = dc->bitmap;
        if (dc->bitmap && dc->bitmap != dc->own_bitmap.get()) --dc->bitmap->selected;
        dc->bitmap = o;
        if (o != dc->own_bitmap.get()) ++o->selected;
        break;
    }
    return previous;
}

bool DeleteObject(HGDIOBJ o) {
    if (!valid(o) || o->stock || o->selected > 0) return false;
    live_objects.erase(o);
    delete o;
    return true;
}

bool GetObjectBitmap(HBITMAP b, BITMAP* out) {
    if (!out || !valid(b) || b->kind != GdiObject::Kind::Bitmap) return false;
    out->bmType = 0;
    out->bmWidth = b->image.width();
    out->bmHeight = b->image.height();
    out->bmWidthBytes = static_cast<int32_t>(b->image.bytesPerLine());
    out->bmPlanes = 1;
    out->bmBitsPixel = static_cast<uint16_t>(b->image.depth());
    out->bmBits = b->memory.empty() ? nullptr : b->memory.data();
    return true;
}

int32_t SetBkMode(HDC dc, int32_t mode) {
    if (!valid(dc)) return 0;
    return std::exchange(dc->bk_mode, mode);
}
int32_t GetBkMode(HDC dc) {
    return valid(dc) ? dc->bk_mode : 0;
}
COLORREF SetBkColor(HDC dc, COLORREF c) {
    return valid(dc) ? std::exchange(dc->bk_color, c) : CLR_INVALID;
}
COLORREF SetTextColor(HDC dc, COLORREF c) {
    return valid(dc) ? std::exchange(dc->text_color, c) : CLR_INVALID;
}
int32_t SetStretchBltMode(HDC dc, int32_t mode) {
    return valid(dc) ? std::exchange(dc->stretch_mode, mode) : 0;
}

bool MoveToEx(HDC dc, int32_t x, int32_t y, POINT* previous) {
    if (!valid(dc)) return false;
    if (previous) *previous = dc->pos;
    dc->pos = POINT{x, y};
    return true;
}

bool LineTo(HDC dc, int32_t x, int32_t y) {
    if (!valid(dc)) return false;
    const Surface s(dc);
    const POINT from = dc->pos;
    dc->pos = POINT{x, y};
    if (!s.ok() || !dc->pen || dc->pen->style == PS_NULL) return true;
    const int reach = std::max(dc->pen->width, 1);
    damaged(dc, QRect(QPoint(std::min(from.x, x), std::min(from.y, y)),
                      QPoint(std::max(from.x, x), std::max(from.y, y)))
                    .adjusted(-reach, -reach, reach, reach));
    if (dc->pen->width <= 1 && dc->pen->style == PS_SOLID) {
        // Bresenham from the start to just before the end point.
        const uint32_t rgb = to_rgb(dc->pen->color);
        int x0 = from.x, y0 = from.y;
        const int dx = std::abs(x - x0), dy = -std::abs(y - y0);
        const int sx = x0 < x ? 1 : -1, sy = y0 < y ? 1 : -1;
        int err = dx + dy;
        while (x0 != x || y0 != y) {
            if (s.inside(x0, y0)) s.set(x0, y0, rgb);
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y0 += sy;
            }
        }
        return true;
    }
    const int pad = dc->pen->width + 2;
    Painter p(s, std::min(from.y, y) - pad, std::max(from.y, y) + pad + 1);
    p.p.setPen(qpen(dc->pen));
    p.p.drawLine(from.x, from.y, x, y);
    return true;
}

bool Rectangle(HDC dc, int32_t l, int32_t t, int32_t r, int32_t b) {
    if (!valid(dc)) return false;
    const Surface s(dc);
    if (!s.ok()) return false;
    if (r < l) std::swap(l, r);
    if (b < t) std::swap(t, b);
    damaged(dc, QRect(l, t, r - l, b - t));
    Painter p(s, t - 1, b + 1);
    const bool no_pen = !dc->pen || dc->pen->style == PS_NULL;
    if (no_pen) {
        // Without a pen the filled area is one pixel smaller on the right and bottom.
        fill_rect(p.p, QRect(l, t, r - l - 1, b - t - 1), dc->brush, dc);
        return true;
    }
    const int w = std::max(dc->pen->width, 1);
    fill_rect(p.p, QRect(l + w, t + w, r - l - 2 * w, b - t - 2 * w), dc->brush, dc);
    if (dc->pen->style == PS_SOLID || w > 1) {
        const QColor c = ToQColor(dc->pen->color);
        p.p.fillRect(QRect(l, t, r - l, w), c);
        p.p.fillRect(QRect(l, b - w, r - l, w), c);
        p.p.fillRect(QRect(l, t, w, b - t), c);
        p.p.fillRect(QRect(r - w, t, w, b - t), c);
    } else {
        p.p.setPen(qpen(dc->pen));
        p.p.setBrush(Qt::NoBrush);
        p.p.drawRect(QRect(l, t, r - l - 1, b - t - 1));
    }
    return true;
}

bool Ellipse(HDC dc, int32_t l, int32_t t, int32_t r, int32_t b) {
    if (!valid(dc)) return false;
    const Surface s(dc);
    if (!s.ok()) return false;
    const int pad = (dc->pen ? dc->pen->width : 1) + 2;
    damaged(dc, QRect(QPoint(std::min(l, r), std::min(t, b)), QPoint(std::max(l, r), std::max(t, b)))
                    .adjusted(-pad, -pad, pad, pad));
    Painter p(s, std::min(t, b) - pad, std::max(t, b) + pad);
    if (dc->brush && dc->brush->hatch >= 0 && dc->bk_mode == OPAQUE) {
        p.p.setPen(Qt::NoPen);
        p.p.setBrush(ToQColor(dc->bk_color));
        p.p.drawEllipse(QRect(l, t, r - l - 1, b - t - 1));
    }
    p.p.setPen(qpen(dc->pen));
    p.p.setBrush(qbrush(dc->brush));
    p.p.drawEllipse(QRect(l, t, r - l - 1, b - t - 1));
    return true;
}

QFont SelectedFont(HDC dc) {
    return valid(dc) && dc->font ? dc->font->font : FontFor("MS Sans Serif", 16, 400, false);
}

bool TextOut(HDC dc, int32_t x, int32_t y, const std::string& text) {
    if (!valid(dc)) return false;
    const Surface s(dc);
    if (!s.ok()) return false;
    const QFont f = SelectedFont(dc);
    const QString t = QString::fromStdString(text);
    const QFontMetrics fm(f);
    const bool turned = dc->font && dc->font->escapement != 0;
    damaged(dc, turned ? QRect(0, 0, s.w, s.h) : QRect(x, y, fm.horizontalAdvance(t), fm.height()));
    Painter p(s, turned ? 0 : y - 2, turned ? s.h : y + fm.height() + 2);
    p.p.translate(x, y);
    if (turned) p.p.rotate(-dc->font->escapement / 10.0);
    if (dc->bk_mode == OPAQUE)
        p.p.fillRect(QRect(0, 0, fm.horizontalAdvance(t), fm.height()), ToQColor(dc->bk_color));
    p.p.setFont(f);
    p.p.setPen(ToQColor(dc->text_color));
    p.p.drawText(0, fm.ascent(), t);
    return true;
}

bool GetTextExtentPoint32(HDC dc, const std::string& text, int32_t* cx, int32_t* cy) {
    if (!valid(dc)) return false;
    const QFontMetrics fm(SelectedFont(dc));
    if (cx) *cx = fm.horizontalAdvance(QString::fromStdString(text));
    if (cy) *cy = fm.height();
    return true;
}

COLORREF GetPixel(HDC dc, int32_t x, int32_t y) {
    const Surface s(dc);
    if (!s.ok() || !s.inside(x, y)) return CLR_INVALID;
    return to_colorref(s.get(x, y));
}

COLORREF SetPixel(HDC dc, int32_t x, int32_t y, COLORREF color) {
    const Surface s(dc);
    if (!s.ok() || !s.inside(x, y)) return CLR_INVALID;
    s.set(x, y, to_rgb(color));
    damaged(dc, QRect(x, y, 1, 1));
    return color & 0xFFFFFF;
}

bool BitBlt(HDC dest, int32_t x, int32_t y, int32_t width, int32_t height, HDC src, int32_t sx, int32_t sy,
            uint32_t rop) {
    // Pixels from outside the source are not copied.
    return stretch(dest, x, y, width, height, src, sx, sy, width, height, rop);
}

bool StretchBlt(HDC dest, int32_t x, int32_t y, int32_t width, int32_t height, HDC src, int32_t sx,
                int32_t sy, int32_t sw, int32_t sh, uint32_t rop) {
    return stretch(dest, x, y, width, height, src, sx, sy, sw, sh, rop);
}

bool DrawPicture(HDC dest, const QRect& dst, const QImage& memory, bool bottom_up, const QRect& source) {
    if (!valid(dest) || memory.isNull() || dst.isEmpty() || source.isEmpty()) return false;
    const bool smooth = dest->stretch_mode == HALFTONE && dst.size() != source.size();
    const QRect sm = to_memory(source, memory.height(), bottom_up);
    if (dest->direct) {
        dest->direct(memory, bottom_up, sm, dst, smooth);
        return true;
    }
    const Surface d(dest);
    if (!d.ok()) return false;
    paint_into(d, dst, false, false, memory, sm, bottom_up, smooth, SRCCOPY);
    damaged(dest, dst);
    return true;
}

bool DrawImage(HDC dest, int32_t x, int32_t y, int32_t width, int32_t height, const QImage& picture,
               uint32_t rop) {
    const Surface d(dest);
    if (!d.ok() || picture.isNull() || width <= 0 || height <= 0) return false;
    // Pictures drawn this way (loaded files, captured windows) are scaled smoothly.
    paint_into(d, QRect(x, y, width, height), false, false, picture, picture.rect(), false,
               QSize(width, height) != picture.size(), rop);
    damaged(dest, QRect(x, y, width, height));
    return true;
}

void SetDamageHook(HDC dc, std::function<void(const QRect&)> hook) {
    if (valid(dc)) dc->damage = std::move(hook);
}

void SetDirectPaint(HDC dc, DirectPaint paint) {
    if (valid(dc)) dc->direct = std::move(paint);
}

int32_t SurfaceWidth(HDC dc) {
    return Surface(dc).w;
}
int32_t SurfaceHeight(HDC dc) {
    return Surface(dc).h;
}

QImage SurfaceImage(HDC dc) {
    const Surface s(dc);
    if (!s.ok()) return {};
    const QImage pic = s.img->convertToFormat(QImage::Format_RGB32);
    return s.bottom_up ? pic.mirrored(false, true) : pic;
}

QImage BitmapImage(HBITMAP b) {
    if (!valid(b) || b->kind != GdiObject::Kind::Bitmap) return {};
    QImage pic = b->image.convertToFormat(QImage::Format_RGB32);
    return b->bottom_up ? pic.mirrored(false, true) : pic;
}

} // namespace gdi

namespace gdi {

bool TransparentBlt(HDC dest, int32_t x, int32_t y, int32_t width, int32_t height, HDC src, int32_t sx,
                    int32_t sy, int32_t sw, int32_t sh, COLORREF transparent) {
    const Surface d(dest);
    const Surface s(src);
    if (!d.ok() || !s.ok() || width <= 0 || height <= 0 || sw <= 0 || sh <= 0) return false;
    // Within one surface a key copy would read pixels it has just written.
    if (s.img == d.img) return false;
    const uint32_t key = to_rgb(transparent);
    const int x0 = std::max(0, -x), x1 = std::min(width, d.w - x);
    const int y0 = std::max(0, -y), y1 = std::min(height, d.h - y);
    if (x0 >= x1 || y0 >= y1) return true;
    // Nearest source pixel, columns worked out once for every row.
    std::vector<int> cols(static_cast<size_t>(x1 - x0));
    for (int px = x0; px < x1; ++px)
        cols[static_cast<size_t>(px - x0)] = sx + static_cast<int>(static_cast<int64_t>(px) * sw / width);
    const bool dp = d.packed24(), sp = s.packed24();
    const uchar kb = static_cast<uchar>(key), kg = static_cast<uchar>(key >> 8),
                kr = static_cast<uchar>(key >> 16);
    const Key24 key24(kb, kg, kr);
    Written_Rects written;
    std::vector<Stretch> stretches;
    for (int py = y0; py < y1; ++py) {
        const int src_y = sy + static_cast<int>(static_cast<int64_t>(py) * sh / height);
        if (src_y < 0 || src_y >= s.h) continue;
        const uchar* sr = s.crow(src_y);
        uchar* dr = d.row(y + py);
        if (sp && !dp) {
            // The usual case, a 24-bit overlay over a picture's 32-bit image:
            // most pixels are the key and are only compared.
            auto* out = reinterpret_cast<uint32_t*>(dr) + x;
            int px = x0;
            if (width == sw && sx + x0 >= 0 && sx + x1 <= s.w) {
                stretches.clear();
                CopyNotKey24To32(out + x0, sr + 3 * static_cast<qsizetype>(sx + x0), x1 - x0, key24,
                                 stretches);
                for (const Stretch& st : stretches)
                    written.run(y + py, x + x0 + st.first, x + x0 + st.end);
                px = x1;
            }
            for (; px < x1; ++px) {
                const int src_x = cols[static_cast<size_t>(px - x0)];
                if (src_x < 0 || src_x >= s.w) continue;
                const uchar* p = sr + 3 * src_x;
                if (p[0] == kb && p[1] == kg && p[2] == kr) continue;
                out[px] = 0xFF000000u | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
                written.run(y + py, x + px, x + px + 1);
            }
            continue;
        }
        for (int px = x0; px < x1; ++px) {
            const int src_x = cols[static_cast<size_t>(px - x0)];
            if (src_x < 0 || src_x >= s.w) continue;
            const uint32_t v = read_px(sr, src_x, sp);
            if (v == key) continue;
            write_px(dr, x + px, dp, v);
            written.run(y + py, x + px, x + px + 1);
        }
    }
    written.report(dest);
    return true;
}

} // namespace gdi
