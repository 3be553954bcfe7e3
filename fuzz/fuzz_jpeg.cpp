// The JPEG layer as the frame decoder uses it: the picture's size read, a
// bitmap of that size made, the picture decoded into it.
#include "Ijl.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> jpeg(data, data + size);
    ijl::JPEG_CORE_PROPERTIES p;
    if (ijl::ijlInit(&p) != ijl::IJL_OK) std::abort();
    p.JPGBytes = jpeg.data();
    p.JPGSizeBytes = static_cast<int32_t>(jpeg.size());
    if (ijl::ijlRead(&p, ijl::IJL_JBUFF_READPARAMS) == ijl::IJL_OK) {
        if (p.JPGWidth <= 0 || p.JPGHeight <= 0 || p.JPGWidth > ijl::kMaxFrameSide ||
            p.JPGHeight > ijl::kMaxFrameSide)
            std::abort(); // the layer answers only sizes a frame can have
        const int32_t pad = (4 - p.JPGWidth * 3 % 4) % 4;
        std::vector<uint8_t> dib(static_cast<size_t>(p.JPGWidth * 3 + pad) * p.JPGHeight);
        p.DIBBytes = dib.data();
        p.DIBWidth = p.JPGWidth;
        p.DIBHeight = -p.JPGHeight;
        p.DIBPadBytes = pad;
        (void)ijl::ijlRead(&p, ijl::IJL_JBUFF_READWHOLEIMAGE);
    }
    ijl::ijlFree(&p);
    return 0;
}
