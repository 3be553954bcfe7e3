#include "Screen.h"

#include "FormsInternal.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QPixmap>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace forms {

namespace {
int32_t override_w = 0, override_h = 0, override_monitors = 1;

QSize primary_size() {
    if (override_w > 0) return QSize(override_w, override_h);
    if (qGuiApp) {
        if (QScreen* s = QGuiApplication::primaryScreen()) return s->geometry().size();
    }
    return QSize(1920, 1080);
}
} // namespace

int32_t Screen_TwipsPerPixelX() {
    return kTwipsPerPixel;
}
int32_t Screen_TwipsPerPixelY() {
    return kTwipsPerPixel;
}
int32_t Screen_Width() {
    return primary_size().width() * kTwipsPerPixel;
}
int32_t Screen_Height() {
    return primary_size().height() * kTwipsPerPixel;
}

namespace {
int32_t override_reserved = -1;
}

void set_work_area_override(int32_t reserved_px) {
    override_reserved = reserved_px;
}

bool Screen_Has_Reserved_Area() {
    if (override_reserved >= 0) return override_reserved > 0;
    if (qGuiApp) {
        if (QScreen* s = QGuiApplication::primaryScreen()) return s->availableGeometry() != s->geometry();
    }
    return false;
}

int32_t Screen_Work_Area_Height() {
    if (override_reserved >= 0) return (primary_size().height() - override_reserved) * kTwipsPerPixel;
    if (override_w <= 0 && qGuiApp) {
        if (QScreen* s = QGuiApplication::primaryScreen())
            return s->availableGeometry().height() * kTwipsPerPixel;
    }
    return Screen_Height();
}

namespace detail {

QRect Work_Area_Px(const QWidget* w) {
    if (override_w > 0) return QRect(0, 0, override_w, override_h - std::max(0, override_reserved));
    if (qGuiApp) {
        QScreen* s = nullptr;
        if (w) s = QGuiApplication::screenAt(w->frameGeometry().center());
        if (!s && w) s = w->screen();
        if (!s) s = QGuiApplication::primaryScreen();
        if (s) {
            QRect area = s->availableGeometry();
            if (override_reserved > 0) area.setHeight(s->geometry().height() - override_reserved);
            return area;
        }
    }
    return QRect(0, 0, 1920, 1080);
}

void Fit_To_Work_Area(QWidget* w, bool move_inside) {
    if (!w) return;
    const QRect area = Work_Area_Px(w);
    if (area.isEmpty()) return;
    const QRect frame = w->frameGeometry();
    const int frame_w = frame.width() - w->width();
    const int frame_h = frame.height() - w->height();
    const int width = std::min(frame.width(), area.width());
    const int height = std::min(frame.height(), area.height());
    if (width != frame.width() || height != frame.height())
        w->resize(std::max(1, width - frame_w), std::max(1, height - frame_h));
    if (!move_inside) return;
    const int x = std::clamp(frame.x(), area.left(), area.left() + area.width() - width);
    const int y = std::clamp(frame.y(), area.top(), area.top() + area.height() - height);
    if (x != frame.x() || y != frame.y()) w->move(x, y);
}

} // namespace detail

int32_t GetSystemMetrics(int32_t index) {
    if (index != SM_CXFRAME && index != SM_CYFRAME) return 0;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || w->isMinimized()) continue;
        const QRect outer = w->frameGeometry(), inner = w->geometry();
        return index == SM_CXFRAME ? std::max(0, inner.left() - outer.left())
                                   : std::max(0, outer.bottom() - inner.bottom());
    }
    return 0;
}

int32_t Screen_Dpi_Y() {
    if (qGuiApp) {
        if (QScreen* s = QGuiApplication::primaryScreen())
            return static_cast<int32_t>(s->logicalDotsPerInchY() + 0.5);
    }
    return 96;
}

int32_t Monitor_Count() {
    if (override_w > 0) return override_monitors;
    if (qGuiApp) return static_cast<int32_t>(QGuiApplication::screens().size());
    return 1;
}

namespace {
int32_t pointer = vbDefault;
std::string icon;

QCursor custom_cursor() {
    const QPixmap image(QString::fromStdString(":/cursors/" + icon + ".png"));
    if (icon.empty() || image.isNull()) return QCursor(Qt::CrossCursor);
    return QCursor(image);
}
} // namespace

void Screen_MousePointer(int32_t p) {
    p = p == vbArrow || p == vbHourglass || p == vbCustom ? p : vbDefault;
    if (qGuiApp) {
        if (pointer != vbDefault) QGuiApplication::restoreOverrideCursor();
        if (p == vbCustom)
            QGuiApplication::setOverrideCursor(custom_cursor());
        else if (p != vbDefault)
            QGuiApplication::setOverrideCursor(p == vbArrow ? Qt::ArrowCursor : Qt::WaitCursor);
    }
    pointer = p;
}

int32_t Screen_MousePointer() {
    return pointer;
}

void Screen_MouseIcon(const std::string& cursor_resource) {
    icon = cursor_resource;
    if (pointer == vbCustom && qGuiApp) QGuiApplication::changeOverrideCursor(custom_cursor());
}

const std::string& Screen_MouseIcon() {
    return icon;
}

void set_screen_override(int32_t w, int32_t h, int32_t monitors) {
    override_w = w;
    override_h = h;
    override_monitors = monitors;
}

} // namespace forms
