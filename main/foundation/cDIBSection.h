#pragma once
// The program's frame bitmap: 24-bit, bottom-up (the first row in memory is
// the bottom row of the picture), blue-green-red, rows padded to 4 bytes,
// selected into a memory device context of its own. Its pixel memory is
// handed to the image library and the JPEG codec without copying; the
// address is valid only until the next creation or the object's end, and is
// null whenever the object holds no bitmap.
#include "DrawDib.h"
#include "Gdi.h"

#include <cstdint>
#include <memory>
#include <string>

class cDIBSection {
public:
    cDIBSection() = default;
    ~cDIBSection();
    cDIBSection(const cDIBSection&) = delete;
    cDIBSection& operator=(const cDIBSection&) = delete;

    void Capture_Local(int32_t v) { m_Capture_Local = v; }
    int32_t Capture_Local() const { return m_Capture_Local; }
    void Capture_Mill(int32_t v) { m_Capture_Mill = v; }
    int32_t Capture_Mill() const { return m_Capture_Mill; }
    void ID_string(const std::string& id) { m_ID = id; }

    bool UseDrawDib() const { return m_hDD != nullptr; }
    void UseDrawDib(bool use);

    // Fills the header and makes the DIB section; the stored size is set in every case.
    bool CreateDIB(gdi::HDC dc, int32_t width, int32_t height, gdi::HBITMAP& bitmap);
    // Makes the bitmap the picture's size and copies the picture into it.
    void CreateFromPicture(gdi::HBITMAP picture);
    // (Re)creates the bitmap; False leaves the object without a bitmap.
    bool Create(int32_t width, int32_t height);

    int32_t BytesPerScanLine() const;
    int32_t Width() const { return m_bmi.biWidth; }
    int32_t Height() const { return m_bmi.biHeight; }
    const gdi::BITMAPINFOHEADER* pBitmapInfo() const { return &m_bmi; }
    int32_t SizeImage() const { return static_cast<int32_t>(m_bmi.biSizeImage); }
    const gdi::BITMAPINFOHEADER* Addr_InfoHeader() const { return &m_bmi; }
    int16_t BitCount() const { return static_cast<int16_t>(m_bmi.biBitCount); }
    int16_t ClrImportant() const { return static_cast<int16_t>(m_bmi.biClrImportant); }
    int16_t ClrUsed() const { return static_cast<int16_t>(m_bmi.biClrUsed); }
    int32_t Compression() const { return static_cast<int32_t>(m_bmi.biCompression); }
    int16_t Planes() const { return static_cast<int16_t>(m_bmi.biPlanes); }
    int16_t SizeInfoHeader() const { return 40; }
    int32_t XPelsPerMeter() const { return m_bmi.biXPelsPerMeter; }
    int32_t YPelsPerMeter() const { return m_bmi.biYPelsPerMeter; }

    // Mean of red + green + blue over the first pixel of every fifth row (0..765).
    int16_t Image_Brightness() const;
    // Luminance of pixel (x, y), y counted from the top; outside raises error 9.
    float Pixel_Luminance(int32_t x, int32_t y) const;
    // Mean absolute deviation of the channel sum over the same samples.
    int16_t Image_Contrast() const;

    void LoadPictureBlt(gdi::HDC src, int32_t src_left, int32_t src_top, int32_t width, int32_t height,
                        uint32_t rop);
    // Writes a 24-bit BMP with its pixels at offset 58; error 17 when the
    // file cannot be made, False when a write fails.
    bool SavePicture(const std::string& file_name);

    void DIB_DrawDib(gdi::DrawTarget& target);
    void DIB_DrawDib2(gdi::DrawTarget& target, int16_t src_top, int16_t src_left, int16_t src_width,
                      int16_t src_height);
    void DIB_PaintPicture(gdi::HDC dc, int32_t x, int32_t y, int32_t width, int32_t height, int32_t src_x,
                          int32_t src_y, uint32_t rop);
    void PaintPicture(gdi::HDC dc, int32_t x, int32_t y, int32_t width, int32_t height, int32_t src_x,
                      int32_t src_y, uint32_t rop);
    void StretchPicture(gdi::DrawTarget& target);

    gdi::HDC hDC() const { return m_hDC; }
    gdi::HBITMAP hDib() const { return m_hDib; }
    uint8_t* DIBSectionBitsPtr() const { return m_hDib ? m_pBits : nullptr; }

    void RandomiseBits(bool gray);
    // Colour = red + 256 * green + 65536 * blue; outside 0..16777215 raises error 6.
    void Fill_with_RGB(int32_t colour);
    void ClearUp();
    // A new bitmap holding this picture resampled (bilinear); null when it
    // cannot be made. A source under 2 x 2 raises error 9.
    std::shared_ptr<cDIBSection> Resample(int32_t new_height, int32_t new_width) const;

private:
    bool holds_pixels() const { return m_hDib && m_pBits; }
    uint8_t* row(int32_t memory_row) const {
        return m_pBits + static_cast<int64_t>(memory_row) * BytesPerScanLine();
    }

    gdi::HBITMAP m_hDib = nullptr;
    gdi::HGDIOBJ m_hBmpOld = nullptr;
    gdi::HDC m_hDC = nullptr;
    gdi::HDRAWDIB m_hDD = nullptr;
    uint8_t* m_pBits = nullptr;
    gdi::BITMAPINFOHEADER m_bmi{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    int32_t m_Stored_Width = 0;
    int32_t m_Stored_Height = 0;
    std::string m_ID;
    int32_t m_Capture_Mill = 0;
    int32_t m_Capture_Local = 0;
};
