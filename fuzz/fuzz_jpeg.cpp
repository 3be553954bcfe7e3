// The JPEG layer as the frame decoder and the heat writer use it: the
// picture's size read, a bitmap of that size made, the picture decoded into
// it; then through the program's own load and save from buffers: decoded
// into a reused bitmap and encoded again, which must decode once more.
#include "FuzzSupport.h"
#include "Ijl.h"
#include "VbError.h"
#include "cDIBSection.h"
#include "mIntelJPEGLibrary.h"

#include <cstdlib>
#include <vector>

namespace {

struct Setup {
    cDIBSection picture, again;
    std::vector<uint8_t> saved = std::vector<uint8_t>(1000000);
};

Setup& Once() {
    static Setup* s = [] {
        fuzz_support::Init();
        return new Setup;
    }();
    return *s;
}

void Layer(std::vector<uint8_t>& jpeg) {
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
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Once();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Setup& s = Once();
    std::vector<uint8_t> jpeg(data, data + size);
    Layer(jpeg);
    if (!Load_JPG_From_Buffer(s.picture, jpeg.data(), static_cast<int32_t>(jpeg.size()))) return 0;
    int32_t length = static_cast<int32_t>(s.saved.size());
    try {
        Save_JPG_To_Buffer(s.picture, s.saved.data(), length, 75);
    } catch (const vb::VbError&) {
        return 0; // a picture whose JPEG does not fit the buffer is refused
    }
    if (length <= 0 || length > static_cast<int32_t>(s.saved.size())) std::abort();
    // What the program wrote, it reads back at the same size.
    if (!Load_JPG_From_Buffer(s.again, s.saved.data(), length) || s.again.Width() != s.picture.Width() ||
        s.again.Height() != s.picture.Height())
        std::abort();
    return 0;
}
