#include "cDIBSection.h"

#include "Dialogs.h"
#include "Module_qfn_Globals.h"
#include "VbConvert.h"
#include "VbError.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <limits>
#include <random>
#include <unistd.h>

namespace {

// Rows of 24-bit pixels are padded to a multiple of 4 bytes.
int64_t stride_of(int32_t width) {
    return (static_cast<int64_t>(width) * 3 + 3) & ~int64_t{3};
}

int32_t whole(double v) {
    return static_cast<int32_t>(vb::RoundHalfEven(v));
}

// Writes all of `len` bytes or reports that it could not.
bool write_block(int fd, const void* data, size_t len) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (len > 0) {
        const ssize_t n = ::write(fd, p, len);
        if (n <= 0) return false;
        p += n;
        len -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace

cDIBSection::~cDIBSection() {
    ClearUp();
}

void cDIBSection::UseDrawDib(bool use) {
    if (use) {
        if (!m_hDD) m_hDD = gdi::DrawDibOpen();
    } else if (m_hDD) {
        gdi::DrawDibClose(m_hDD);
        m_hDD = nullptr;
    }
}

int32_t cDIBSection::BytesPerScanLine() const {
    return static_cast<int32_t>(stride_of(m_bmi.biWidth));
}

bool cDIBSection::CreateDIB(gdi::HDC dc, int32_t width, int32_t height, gdi::HBITMAP& bitmap) {
    const int64_t size = stride_of(width) * height;
    if (width > 0 && height > 0 && size > std::numeric_limits<int32_t>::max()) vb::Raise(vb::errOverflow);
    m_bmi = gdi::BITMAPINFOHEADER{};
    m_bmi.biSize = 40;
    m_bmi.biWidth = width;
    m_bmi.biHeight = height;
    m_bmi.biPlanes = 1;
    m_bmi.biBitCount = 24;
    m_bmi.biCompression = gdi::BI_RGB;
    m_bmi.biSizeImage = static_cast<uint32_t>(size > 0 ? size : 0);
    m_Stored_Width = width;
    m_Stored_Height = height;
    gdi::BITMAPINFO info{m_bmi};
    void* bits = nullptr;
    bitmap = width > 0 && height > 0 ? gdi::CreateDIBSection(dc, &info, gdi::DIB_RGB_COLORS, &bits) : nullptr;
    m_pBits = bitmap ? static_cast<uint8_t*>(bits) : nullptr;
    return bitmap != nullptr;
}

bool cDIBSection::Create(int32_t width, int32_t height) {
    const bool had_drawdib = UseDrawDib();
    ClearUp();
    m_hDC = gdi::CreateCompatibleDC(nullptr);
    if (!m_hDC) return false;
    if (!CreateDIB(m_hDC, width, height, m_hDib)) {
        gdi::DeleteDC(m_hDC);
        m_hDC = nullptr;
        m_hDib = nullptr;
        m_pBits = nullptr;
        return false;
    }
    m_hBmpOld = gdi::SelectObject(m_hDC, m_hDib);
    UseDrawDib(had_drawdib);
    return true;
}

void cDIBSection::CreateFromPicture(gdi::HBITMAP picture) {
    gdi::BITMAP bm;
    if (!gdi::GetObjectBitmap(picture, &bm)) return;
    if (!Create(bm.bmWidth, bm.bmHeight)) return;
    gdi::HDC dc = gdi::CreateCompatibleDC(nullptr);
    if (!dc) return;
    gdi::HGDIOBJ old = gdi::SelectObject(dc, picture);
    LoadPictureBlt(dc, 0, 0, bm.bmWidth, bm.bmHeight, gdi::SRCCOPY);
    gdi::SelectObject(dc, old);
    gdi::DeleteDC(dc);
}

void cDIBSection::ClearUp() {
    if (m_hDC) {
        if (m_hDib) {
            gdi::SelectObject(m_hDC, m_hBmpOld);
            gdi::DeleteObject(m_hDib);
        }
        gdi::DeleteDC(m_hDC);
    }
    m_hDC = nullptr;
    m_hDib = nullptr;
    m_hBmpOld = nullptr;
    m_pBits = nullptr;
    UseDrawDib(false);
}

int16_t cDIBSection::Image_Brightness() const {
    if (Height() <= 0 || !holds_pixels()) return 0;
    int64_t sum = 0, count = 0;
    for (int32_t y = 0; y < Height(); y += 5) {
        const uint8_t* p = row(y);
        sum += p[0] + p[1] + p[2];
        ++count;
    }
    return vb::CInt(static_cast<double>(sum) / static_cast<double>(count));
}

int16_t cDIBSection::Image_Contrast() const {
    if (Height() <= 0 || !holds_pixels()) return 0;
    // The brightness is the mean over the same samples, already whole.
    const int32_t mean = Image_Brightness();
    int64_t dev = 0;
    int64_t count = 0;
    for (int32_t y = 0; y < Height(); y += 5) {
        const uint8_t* p = row(y);
        dev += std::abs(mean - (p[0] + p[1] + p[2]));
        ++count;
    }
    return vb::CInt(static_cast<double>(dev) / static_cast<double>(count));
}

float cDIBSection::Pixel_Luminance(int32_t x, int32_t y) const {
    if (!holds_pixels() || x < 0 || y < 0 || x >= Width() || y >= Height())
        vb::Raise(vb::errSubscriptOutOfRange);
    const uint8_t* p = row(Height() - y - 1) + 3 * static_cast<int64_t>(x);
    return 0.59f * p[1] + 0.3f * p[2] + 0.11f * p[0];
}

void cDIBSection::LoadPictureBlt(gdi::HDC src, int32_t src_left, int32_t src_top, int32_t width,
                                 int32_t height, uint32_t rop) {
    if (!m_hDC) return;
    if (width < 0) width = Width();
    if (height < 0) height = Height();
    gdi::BitBlt(m_hDC, 0, 0, width, height, src, src_left, src_top, rop);
}

bool cDIBSection::SavePicture(const std::string& file_name) {
    const int fd = ::open(file_name.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        const int err = errno;
        vb::Raise(17, std::strerror(err), std::string(kProgram_Name) + ".cDIBSection");
    }
    uint8_t file_header[14] = {};
    const uint32_t file_size = m_bmi.biSizeImage + 58;
    const uint32_t offset = 58;
    file_header[0] = 'B';
    file_header[1] = 'M';
    std::memcpy(file_header + 2, &file_size, 4);
    std::memcpy(file_header + 10, &offset, 4);
    uint8_t info[44] = {}; // the header and one colour entry that stays zero
    std::memcpy(info, &m_bmi, sizeof m_bmi);
    bool ok = write_block(fd, file_header, sizeof file_header) && write_block(fd, info, sizeof info);
    // A bitmap that was never made has no pixels to write.
    if (ok) ok = holds_pixels() && write_block(fd, m_pBits, m_bmi.biSizeImage);
    ::close(fd);
    return ok;
}

void cDIBSection::DIB_DrawDib(gdi::DrawTarget& target) {
    if (!holds_pixels()) return;
    UseDrawDib(true);
    gdi::DrawDibDraw(m_hDD, target.target_hdc(), 0, 0, 0, 0, &m_bmi, m_pBits, 0, 0,
                     whole(target.target_width_px()), whole(target.target_height_px()), 13369376);
}

void cDIBSection::DIB_DrawDib2(gdi::DrawTarget& target, int16_t src_top, int16_t src_left, int16_t src_width,
                               int16_t src_height) {
    if (!holds_pixels()) return;
    UseDrawDib(true);
    gdi::DrawDibDraw(m_hDD, target.target_hdc(), 0, 0, whole(target.target_width_px()),
                     whole(target.target_height_px()), &m_bmi, m_pBits, src_left, src_top, src_width,
                     src_height, 13369376);
}

void cDIBSection::DIB_PaintPicture(gdi::HDC dc, int32_t x, int32_t y, int32_t width, int32_t height,
                                   int32_t src_x, int32_t src_y, uint32_t rop) {
    try {
        if (!holds_pixels()) return;
        UseDrawDib(true);
        if (width < 0) width = Width();
        if (height < 0) height = Height();
        if (m_hDD) {
            // The source is clipped to the bitmap: a source point inside it
            // draws what lies between it and the bitmap's far edges.
            const int32_t sx = std::clamp(src_x, 0, m_Stored_Width);
            const int32_t sy = std::clamp(src_y, 0, m_Stored_Height);
            gdi::DrawDibDraw(m_hDD, dc, x, y, width, height, &m_bmi, m_pBits, sx, sy, m_Stored_Width - sx,
                             m_Stored_Height - sy, 0);
        } else {
            gdi::BitBlt(dc, x, y, width, height, m_hDC, src_x, src_y, rop);
        }
    } catch (...) {
        forms::MsgBox("DIB_paintpicture error");
    }
}

void cDIBSection::PaintPicture(gdi::HDC dc, int32_t x, int32_t y, int32_t width, int32_t height,
                               int32_t src_x, int32_t src_y, uint32_t rop) {
    if (!m_hDC) return;
    if (width < 0) width = Width();
    if (height < 0) height = Height();
    gdi::BitBlt(dc, x, y, width, height, m_hDC, src_x, src_y, rop);
}

void cDIBSection::StretchPicture(gdi::DrawTarget& target) {
    if (!m_hDC) return;
    gdi::StretchBlt(target.target_hdc(), 0, 0, whole(target.target_width_px()),
                    whole(target.target_height_px()), m_hDC, 0, 0, Width(), Height(), gdi::SRCCOPY);
}

void cDIBSection::RandomiseBits(bool gray) {
    if (!holds_pixels()) return;
    const auto now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    std::mt19937 gen(static_cast<uint32_t>(tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec));
    std::uniform_real_distribution<double> rnd(0.0, 1.0);
    auto draw = [&] { return static_cast<uint8_t>(vb::RoundHalfEven(rnd(gen) * 255)); };
    if (gray) {
        for (int32_t y = 0; y < Height(); ++y) {
            uint8_t* p = row(y);
            for (int32_t x = 0; x < Width(); ++x, p += 3)
                p[0] = p[1] = p[2] = draw();
        }
        return;
    }
    for (int32_t x = 0; x < Width(); ++x) {
        for (int32_t y = 0; y < Height(); ++y) {
            uint8_t* p = row(y) + 3 * static_cast<int64_t>(x);
            p[0] = 0;
            p[1] = draw();
            p[2] = draw();
        }
    }
}

void cDIBSection::Fill_with_RGB(int32_t colour) {
    if (colour < 0 || colour > 16777215) vb::Raise(vb::errOverflow);
    if (!holds_pixels()) return;
    const uint8_t blue = static_cast<uint8_t>(colour / 65536);
    const uint8_t green = static_cast<uint8_t>((colour - 65536 * blue) / 256);
    const uint8_t red = static_cast<uint8_t>(colour - 65536 * blue - 256 * green);
    for (int32_t y = 0; y < Height(); ++y) {
        uint8_t* p = row(y);
        for (int32_t x = 0; x < Width(); ++x, p += 3) {
            p[0] = blue;
            p[1] = green;
            p[2] = red;
        }
    }
}

std::shared_ptr<cDIBSection> cDIBSection::Resample(int32_t new_height, int32_t new_width) const {
    auto target = std::make_shared<cDIBSection>();
    if (!target->Create(new_width, new_height)) return nullptr;
    if (!holds_pixels()) return target;
    if (new_width == Width() && new_height == Height()) {
        target->LoadPictureBlt(m_hDC, 0, 0, -1, -1, gdi::SRCCOPY);
        return target;
    }
    if (Width() < 2 || Height() < 2) vb::Raise(vb::errSubscriptOutOfRange);
    const float x_scale = static_cast<float>(Width() - 1) / static_cast<float>(new_width);
    const float y_scale = static_cast<float>(Height() - 1) / static_cast<float>(new_height);
    auto round = [](double v) { return vb::RoundHalfEven(v); };
    for (int32_t y = 0; y < new_height; ++y) {
        const float fy = static_cast<float>(y) * y_scale;
        const int32_t iy = static_cast<int32_t>(std::floor(fy));
        const double dy = fy - static_cast<float>(iy);
        const uint8_t* r0 = row(iy);
        const uint8_t* r1 = row(std::min(iy + 1, Height() - 1));
        uint8_t* out = target->row(y);
        for (int32_t x = 0; x < new_width; ++x) {
            const float fx = static_cast<float>(x) * x_scale;
            const int32_t ix = static_cast<int32_t>(std::floor(fx));
            const double dx = fx - static_cast<float>(ix);
            const int64_t c0 = 3 * static_cast<int64_t>(ix);
            const int64_t c1 = 3 * static_cast<int64_t>(std::min(ix + 1, Width() - 1));
            for (int c = 0; c < 3; ++c) {
                const double left = round((1 - dy) * r0[c0 + c] + dy * r1[c0 + c]);
                const double right = round((1 - dy) * r0[c1 + c] + dy * r1[c1 + c]);
                const double v = round((1 - dx) * left + dx * right);
                out[3 * x + c] = static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
            }
        }
    }
    return target;
}
