#pragma once
// Copies of pictures between the two layouts the drawing layer keeps, 24-bit
// B, G, R rows (DIB sections, frames in memory) and 32-bit 0xFFRRGGBB rows
// (picture boxes, compatible bitmaps), by the nearest pixel and flipped on
// the way when the row orders differ: one pass over the memory, no painter.
// Qt reaches the 24-bit layout only through a slow general conversion, and a
// frame a picture shows 50 times a second cannot afford it. Only platform
// code (the drawing layer, the picture box's direct paint) uses this.
#include <QImage>
#include <QRect>

#include <cstdint>
#include <vector>

namespace gdi {

// Copies the rectangle `source` of `from` (memory rows) into the rectangle
// `dest` of `onto` (memory rows), scaled by the nearest pixel: destination
// pixel i of a side of n takes source pixel (2i + 1) * m / 2n of a side of m,
// the one under its centre. With flip, the last source row lands on the first
// destination row. What falls outside `onto` is left out. Returns false and
// touches nothing when either picture is of another format than 24-bit
// Format_BGR888 or 32-bit Format_RGB32, when `source` does not lie inside
// `from` or when both are one picture; the caller then paints it another way.
bool CopyNearest(QImage& onto, const QRect& dest, const QImage& from, const QRect& source, bool flip);

// A key colour as the 24-bit rows hold it: bytes b, g, r repeated over
// sixty-four pixels, made once per copy.
struct Key24 {
    uchar b, g, r;
    uchar run[192];
    Key24(uchar blue, uchar green, uchar red);
};

// The first of the 24-bit pixels i .. n - 1 of a B, G, R row that is not the
// key colour; n when all are. Long runs of the key, the most of an overlay,
// are passed over sixteen pixels at a time.
int FirstNotKey24(const uchar* row, int i, int n, const Key24& key);

// Where a keyed copy wrote in a row: pixels [first, end). A stretch may hold
// pixels of the key between those written.
struct Stretch {
    int first, end;
};

// The keyed copy of one unscaled row: every pixel of the 24-bit B, G, R row
// that is not the key is written to the same place of the 32-bit row as
// 0xFFRRGGBB; the key's leave the row as it was. The stretches written are
// appended to `wrote`, left to right.
void CopyNotKey24To32(uint32_t* out, const uchar* row, int n, const Key24& key, std::vector<Stretch>& wrote);

} // namespace gdi
