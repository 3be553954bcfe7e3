#pragma once
// The JPEG library calls the codec module makes, on frames in memory.
// Bitmaps are 24-bit blue-green-red with rows padded by DIBPadBytes; a
// negative DIBHeight means the rows lie bottom-up (the first row in memory is
// the bottom of the picture), which is how the program's bitmaps are laid out.
#include <cstdint>

namespace ijl {

enum IJLERR : int32_t {
    IJL_OK = 0,
    IJL_INTERRUPT_OK = 1,
    IJL_ROI_OK = 2,
    IJL_EXCEPTION_DETECTED = -1,
    IJL_INVALID_ENCODER = -2,
    IJL_UNSUPPORTED_SUBSAMPLING = -3,
    IJL_UNSUPPORTED_BYTES_PER_PIXEL = -4,
    IJL_MEMORY_ERROR = -5,
    IJL_BAD_HUFFMAN_TABLE = -6,
    IJL_BAD_QUANT_TABLE = -7,
    IJL_INVALID_JPEG_PROPERTIES = -8,
    IJL_ERR_FILECLOSE = -9,
    IJL_INVALID_FILENAME = -10,
    IJL_ERROR_EOF = -11,
    IJL_PROG_NOT_SUPPORTED = -12,
    IJL_ERR_NOT_JPEG = -13,
    IJL_ERR_COMP = -14,
    IJL_ERR_SOF = -15,
    IJL_ERR_DNL = -16,
    IJL_ERR_NO_HUF = -17,
    IJL_ERR_NO_QUAN = -18,
    IJL_ERR_NO_FRAME = -19,
    IJL_ERR_MULT_FRAME = -20,
    IJL_ERR_DATA = -21,
    IJL_ERR_NO_IMAGE = -22,
    IJL_FILE_ERROR = -23,
    IJL_INTERNAL_ERROR = -24,
    IJL_BAD_RST_MARKER = -25,
    IJL_THUMBNAIL_DIB_TOO_SMALL = -26,
    IJL_THUMBNAIL_DIB_WRONG_COLOR = -27,
    IJL_BUFFER_TOO_SMALL = -28,
    IJL_UNSUPPORTED_FRAME = -29,
    IJL_ERR_COM_BUFFER = -30,
    IJL_RESERVED = -99,
};

// The largest side of a picture the layer reads: a frame of any camera the
// station takes (1920 x 1080, turned or not) fits well inside it. A larger
// picture is refused with IJL_UNSUPPORTED_FRAME before anything is decoded
// or allocated for it, so a damaged size in a file never costs gigabytes.
inline constexpr int32_t kMaxFrameSide = 4096;

enum IJLIOTYPE : int32_t {
    IJL_JBUFF_READPARAMS = 1,
    IJL_JBUFF_READWHOLEIMAGE = 3,
    IJL_JBUFF_WRITEWHOLEIMAGE = 9,
};

enum IJL_COLOR : int32_t { IJL_RGB = 1, IJL_BGR = 2, IJL_YCBCR = 3, IJL_G = 4 };

// The library's core properties record: the fields the program reads and
// writes, in their order. The library's own state hangs off `state`.
struct JPEG_CORE_PROPERTIES {
    uint32_t UseJPEGPROPERTIES = 0;
    uint8_t* DIBBytes = nullptr;
    int32_t DIBWidth = 0;
    int32_t DIBHeight = 0;
    int32_t DIBPadBytes = 0;
    int32_t DIBChannels = 3;
    int32_t DIBColor = IJL_BGR;
    int32_t DIBSubsampling = 0;
    const char* JPGFile = nullptr;
    uint8_t* JPGBytes = nullptr;
    int32_t JPGSizeBytes = 0;
    int32_t JPGWidth = 0;
    int32_t JPGHeight = 0;
    int32_t JPGChannels = 3;
    int32_t JPGColor = IJL_YCBCR;
    int32_t JPGSubsampling = 1; // 4:2:0
    int32_t JPGThumbWidth = 0;
    int32_t JPGThumbHeight = 0;
    int32_t cconversion_reqd = 1;
    int32_t upsampling_reqd = 1;
    int32_t jquality = 75;
    void* state = nullptr;
};

// Sets the record's defaults and binds the library state to it.
int32_t ijlInit(JPEG_CORE_PROPERTIES* props);
// Releases what ijlInit bound (the codec itself is kept for the next frame).
int32_t ijlFree(JPEG_CORE_PROPERTIES* props);
// Type 1 fills JPGWidth, JPGHeight and JPGChannels from the image at
// JPGBytes/JPGSizeBytes; type 3 decodes it into DIBBytes. Both refuse a
// picture with a side above kMaxFrameSide.
int32_t ijlRead(JPEG_CORE_PROPERTIES* props, int32_t iotype);
// How many pictures ijlRead has decoded (type 3) in this process, on any thread.
uint64_t Whole_Image_Reads();
// Type 9 encodes the bitmap into JPGBytes, at most JPGSizeBytes bytes; on
// success JPGSizeBytes holds the length written. Nothing is written past the
// capacity: a picture that does not fit fails with IJL_BUFFER_TOO_SMALL.
int32_t ijlWrite(JPEG_CORE_PROPERTIES* props, int32_t iotype);

} // namespace ijl
