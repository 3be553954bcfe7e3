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

Picture LoadPicture(const std::string& path) {
    const QString p = QString::fromStdString(path);
    if (!QFileInfo(p).isFile()) vb::Raise(vb::errFileNotFound);
    QImage img(p);
    if (img.isNull()) vb::Raise(481, "Invalid picture");
    return Picture::FromImage(img);
}

} // namespace forms
