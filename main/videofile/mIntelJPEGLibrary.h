#pragma once
// The program's JPEG encoder and decoder, on frames in memory. Pictures are
// the program's bottom-up 24-bit bitmaps; the JPEG bytes always belong to
// the caller.
#include <cstdint>

class cDIBSection;

// Error number of every encoder failure.
inline constexpr int32_t kJPEG_Save_Error = 26001;

// Decodes the `length` bytes at `jpeg` into the bitmap, which is made again
// whenever its size differs from the picture's. Failures are told to the
// operator in a message box and answer False.
bool Load_JPG_From_Buffer(cDIBSection& dib, const uint8_t* jpeg, int32_t length);
// As above for a picture that must have a known size: the size read from the
// header goes to found_width/found_height (0 when the header cannot be read),
// and a picture of another size answers False, silently, before anything of
// its size is made or decoded. With `warn` False no failure is told.
bool Load_JPG_From_Buffer(cDIBSection& dib, const uint8_t* jpeg, int32_t length, int32_t width,
                          int32_t height, int32_t& found_width, int32_t& found_height, bool warn = true);

// Encodes the bitmap at `quality` into `buffer`, whose capacity `jpeg_size`
// holds on entry; on success it holds the length written. Never writes past
// the capacity: a picture that does not fit raises error 26001, as does any
// other failure, and leaves `jpeg_size` as it was.
bool Save_JPG_To_Buffer(cDIBSection& dib, uint8_t* buffer, int32_t& jpeg_size, int32_t quality);
