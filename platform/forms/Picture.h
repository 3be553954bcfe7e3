#pragma once
// A picture held in memory: what a window or a picture box shows, a loaded
// picture file, or what the clipboard carries. Copies share the pixels.
#include "Gdi.h"

#include <cstdint>
#include <memory>
#include <string>

class QImage;

namespace forms {

class Picture {
public:
    Picture();
    bool IsNull() const;
    // Size in pixels.
    int32_t Width() const;
    int32_t Height() const;
    // Writes a PNG file; false when it could not be written.
    bool SavePng(const std::string& path) const;

    // For the platform layers.
    static Picture FromImage(const QImage& image);
    const QImage& image() const;

private:
    std::shared_ptr<const QImage> img_;
};

// What a device context or a bitmap holds, as a picture (a copy, upright
// whatever the row order of the bitmap).
Picture Picture_From_DC(gdi::HDC dc);
Picture Picture_From_Bitmap(gdi::HBITMAP bitmap);

// The rectangle (x, y, width, height) of a picture in pixels; what lies
// outside the picture comes out black.
Picture Crop_Picture(const Picture& picture, int32_t x, int32_t y, int32_t width, int32_t height);

// Reads a picture file (BMP, JPEG, PNG, GIF); raises error 481 "Invalid
// picture" when it is not one, 53 when it is missing.
Picture LoadPicture(const std::string& path);

} // namespace forms
