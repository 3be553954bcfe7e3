#include "Ijl.h"

#include <atomic>
#include <cstring>
#include <turbojpeg.h>

namespace ijl {

namespace {

// One compressor, one decompressor and one output buffer per thread, made at
// the first frame and reused: setting them up per frame costs more than the
// coding of a small crop.
struct Codec {
    tjhandle compressor = nullptr;
    tjhandle decompressor = nullptr;
    unsigned char* out = nullptr;
    unsigned long out_size = 0;
    ~Codec() {
        if (out) tjFree(out);
        if (compressor) tjDestroy(compressor);
        if (decompressor) tjDestroy(decompressor);
    }
};

Codec& codec() {
    thread_local Codec c;
    return c;
}

std::atomic<uint64_t> whole_image_reads{0};

constexpr uint32_t kStateMagic = 0x494A4C31; // marks a record that ijlInit bound

bool bound(const JPEG_CORE_PROPERTIES* p) {
    return p && p->state == reinterpret_cast<void*>(static_cast<uintptr_t>(kStateMagic));
}

int32_t dib_pitch(const JPEG_CORE_PROPERTIES* p) {
    return p->DIBWidth * 3 + p->DIBPadBytes;
}

} // namespace

int32_t ijlInit(JPEG_CORE_PROPERTIES* p) {
    if (!p) return IJL_INVALID_JPEG_PROPERTIES;
    *p = JPEG_CORE_PROPERTIES{};
    p->state = reinterpret_cast<void*>(static_cast<uintptr_t>(kStateMagic));
    return IJL_OK;
}

int32_t ijlFree(JPEG_CORE_PROPERTIES* p) {
    if (!bound(p)) return IJL_INVALID_JPEG_PROPERTIES;
    p->state = nullptr;
    return IJL_OK;
}

int32_t ijlRead(JPEG_CORE_PROPERTIES* p, int32_t iotype) {
    if (!bound(p)) return IJL_INVALID_JPEG_PROPERTIES;
    if (!p->JPGBytes || p->JPGSizeBytes <= 0) return IJL_ERR_NOT_JPEG;
    Codec& c = codec();
    if (!c.decompressor && !(c.decompressor = tjInitDecompress())) return IJL_MEMORY_ERROR;
    int w = 0, h = 0, subsamp = 0, colorspace = 0;
    if (tjDecompressHeader3(c.decompressor, p->JPGBytes, static_cast<unsigned long>(p->JPGSizeBytes), &w, &h,
                            &subsamp, &colorspace) != 0)
        return IJL_ERR_NOT_JPEG;
    if (w <= 0 || h <= 0 || w > kMaxFrameSide || h > kMaxFrameSide) return IJL_UNSUPPORTED_FRAME;
    if (iotype == IJL_JBUFF_READPARAMS) {
        p->JPGWidth = w;
        p->JPGHeight = h;
        p->JPGChannels = colorspace == TJCS_GRAY ? 1 : 3;
        return IJL_OK;
    }
    if (iotype != IJL_JBUFF_READWHOLEIMAGE) return IJL_INVALID_ENCODER;
    whole_image_reads.fetch_add(1, std::memory_order_relaxed);
    if (!p->DIBBytes || p->DIBChannels != 3) return IJL_UNSUPPORTED_BYTES_PER_PIXEL;
    // The bitmap must be the image's size: a decode never writes beyond it.
    if (p->DIBWidth != w || (p->DIBHeight != h && p->DIBHeight != -h) || p->DIBPadBytes < 0)
        return IJL_INVALID_JPEG_PROPERTIES;
    const int flags = (p->DIBHeight < 0 ? TJFLAG_BOTTOMUP : 0);
    if (tjDecompress2(c.decompressor, p->JPGBytes, static_cast<unsigned long>(p->JPGSizeBytes), p->DIBBytes,
                      w, dib_pitch(p), h, TJPF_BGR, flags) != 0)
        // A warning is no success either: a picture cut short decodes with one
        // and leaves the rest of the bitmap grey.
        return IJL_ERR_DATA;
    return IJL_OK;
}

uint64_t Whole_Image_Reads() {
    return whole_image_reads.load(std::memory_order_relaxed);
}

int32_t ijlWrite(JPEG_CORE_PROPERTIES* p, int32_t iotype) {
    if (!bound(p)) return IJL_INVALID_JPEG_PROPERTIES;
    if (iotype != IJL_JBUFF_WRITEWHOLEIMAGE) return IJL_INVALID_ENCODER;
    if (!p->DIBBytes || p->DIBWidth <= 0 || p->DIBHeight == 0 || p->DIBPadBytes < 0 || p->DIBChannels != 3)
        return IJL_INVALID_JPEG_PROPERTIES;
    if (!p->JPGBytes || p->JPGSizeBytes <= 0) return IJL_BUFFER_TOO_SMALL;
    Codec& c = codec();
    if (!c.compressor && !(c.compressor = tjInitCompress())) return IJL_MEMORY_ERROR;
    const int w = p->DIBWidth, h = p->DIBHeight < 0 ? -p->DIBHeight : p->DIBHeight;
    const int quality = p->jquality < 1 ? 1 : p->jquality > 100 ? 100 : p->jquality;
    const int flags = (p->DIBHeight < 0 ? TJFLAG_BOTTOMUP : 0) | TJFLAG_NOREALLOC;
    // Encode into our own buffer of the library's worst-case size, then copy
    // only what fits the caller's: the caller's capacity is never passed.
    const unsigned long worst = tjBufSize(w, h, TJSAMP_420);
    if (c.out_size < worst) {
        if (c.out) tjFree(c.out);
        c.out = tjAlloc(static_cast<int>(worst));
        c.out_size = c.out ? worst : 0;
        if (!c.out) return IJL_MEMORY_ERROR;
    }
    unsigned long len = c.out_size;
    unsigned char* out = c.out;
    if (tjCompress2(c.compressor, p->DIBBytes, w, dib_pitch(p), h, TJPF_BGR, &out, &len, TJSAMP_420, quality,
                    flags) != 0)
        return IJL_ERR_COMP;
    if (len > static_cast<unsigned long>(p->JPGSizeBytes)) return IJL_BUFFER_TOO_SMALL;
    std::memcpy(p->JPGBytes, out, len);
    p->JPGSizeBytes = static_cast<int32_t>(len);
    return IJL_OK;
}

} // namespace ijl
