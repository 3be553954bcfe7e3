// One kind of video file (its suffix given at build time) opened by the
// video file object and its first frames read, as the player does. The
// object is made once per process and reused, as the program reuses it.
#include "FuzzSupport.h"
#include "VbError.h"
#include "cls_VideoFile_handler.h"

#include <algorithm>
#include <memory>

#ifndef FUZZ_SUFFIX
#error "FUZZ_SUFFIX names the file kind (\".qf3\", \".avi\", ...)"
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_support::Init();
    static auto* vf = new cls_VideoFile_handler();
    const std::string path = fuzz_support::Write_Input(data, size, FUZZ_SUFFIX);
    try {
        vf->Read_only(true);
        // AVI files have an opening of their own; every other kind opens by its suffix.
        const bool avi = std::string_view(FUZZ_SUFFIX) == ".avi";
        if (avi ? vf->Open_AVI_File(path) : vf->Open_File(path)) {
            const int32_t frames = std::min<int32_t>(vf->Num_Frames(), 3);
            for (int32_t f = 1; f <= frames; ++f) {
                if (vf->is_DV() || std::string_view(FUZZ_SUFFIX) != ".qf3") {
                    vf->Read_Frame(f);
                    int32_t length = 0;
                    const uint8_t* address = nullptr;
                    vf->Get_Frame(f, length, address);
                } else {
                    vf->Read_RGB_sample(f, true);
                }
            }
        }
    } catch (const vb::VbError&) {
    }
    try {
        vf->Close_File();
    } catch (const vb::VbError&) {
    }
    return 0;
}
