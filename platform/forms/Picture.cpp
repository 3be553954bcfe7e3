#include "Picture.h"

#include "GdiQt.h"
#include "VbError.h"

#include <QFileInfo>
#include <QImage>

namespace forms {

namespace {
const QImage& null_image() {
    static const QImage empty;
    return empty;
}
} // namespace

Picture::Picture() = default;
bool Picture::IsNull() const {
    return !img_ || img_->isNull();
}
int32_t Picture::Width() const {
    return img_ ? img_->width() : 0;
}
int32_t Picture::Height() const {
    return img_ ? img_->height() : 0;
}
bool Picture::SavePng(const std::string& path) const {
    return !IsNull() && img_->save(QString::fromStdString(path), "PNG");
}

Picture Picture::FromImage(const QImage& image) {
    Picture p;
    p.img_ = std::make_shared<const QImage>(image);
    return p;
}

const QImage& Picture::image() const {
    return img_ ? *img_ : null_image();
}

Picture Picture_From_DC(gdi::HDC dc) {
    return Picture::FromImage(gdi::SurfaceImage(dc));
}

Picture Picture_From_Bitmap(gdi::HBITMAP bitmap) {
    return Picture::FromImage(gdi::BitmapImage(bitmap));
}

Picture Crop_Picture(const Picture& picture, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return Picture();
    QImage out(width, height, QImage::Format_RGB32);
    out.fill(Qt::black);
    const QImage& src = picture.image();
    for (int32_t row = 0; row < height; ++row) {
        const int32_t sy = y + row;
        if (sy < 0 || sy >= src.height()) continue;
        for (int32_t col = 0; col < width; ++col) {
            const int32_t sx = x + col;
            if (sx >= 0 && sx < src.width()) out.setPixel(col, row, src.pixel(sx, sy));
        }
    }
    return Picture::FromImage(out);
}

Picture LoadPicture(const std::string& path) {
    const QString p = QString::fromStdString(path);
    if (!QFileInfo(p).isFile()) vb::Raise(vb::errFileNotFound);
    QImage img(p);
    if (img.isNull()) vb::Raise(481, "Invalid picture");
    return Picture::FromImage(img);
}

} // namespace forms
