// One kind of video file (its suffix given at build time) opened by the
// video file object as the player opens it: its first frames read and drawn
// (a heat file's fields and frames, an AVI file's frames, and the overlay of
// two frames; of the DV-based kinds the frame, the rotation and the overlay
// the input asks for), the facts the information text tells, and, for the
// kinds with a header, the header written back and the file opened again.
// "qf1"/"qf2" files are read into memory; AVI files also give their INFO
// list and text chunks. The object and the picture are made once per
// process and reused, as the program reuses them.
#include "DIB_Canvas.h"
#include "FuzzSupport.h"
#include "VbError.h"
#include "clsAVIInfo.h"
#include "cls_VideoFile_handler.h"

#include <algorithm>
#include <string_view>
#include <vector>

#ifndef FUZZ_SUFFIX
#error "FUZZ_SUFFIX names the file kind (\".qf3\", \".avi\", ...)"
#endif

namespace {

constexpr std::string_view kSuffix = FUZZ_SUFFIX;
constexpr bool kHeat = kSuffix == ".qf3";
constexpr bool kAvi = kSuffix == ".avi";
constexpr bool kQfn = kSuffix == ".qf2" || kSuffix == ".qf1";

using Picture = DIB_Canvas;

struct Setup {
    cls_VideoFile_handler vf;
    // The player's picture, small: drawing stretches every frame onto it.
    Picture picture{96, 72};
};

Setup& Once() {
    static Setup* s = [] {
        fuzz_support::Init();
        return new Setup;
    }();
    return *s;
}

template <class F> void trapped(F&& step) {
    try {
        step();
    } catch (const vb::VbError&) {
        // A refused input is no finding.
    }
}

void Draw_Heat(cls_VideoFile_handler& vf, Picture& picture, int32_t frames) {
    for (int32_t f = 1; f <= frames; ++f) {
        int32_t field = 2 * f - 1 + (f == 2);
        trapped([&] { vf.Draw_RGB_Field(field, picture); });
    }
    int16_t frame = 1;
    trapped([&] { vf.Draw_RGB_frame(frame, picture); });
    trapped([&] { (void)vf.Get_Field_Pixel(1, 1); });
}

// What an input of a DV-based kind ("dv", "sdv", "qf1"/"qf2") asks for, from
// its last byte: which of its first frames is drawn, whether rotated, and
// whether the overlay of its first two frames is made. Every input drew and
// decoded them all, and the rotation and the decodes were most of its time;
// the fuzzer reaches each choice by that one byte, which the readers take as
// frame data or leave as a cut-off tail.
struct Ask {
    int32_t frame;
    bool rotate;
    bool overlay;
};

Ask Asked(const uint8_t* data, size_t size, int32_t frames) {
    const uint8_t last = size ? data[size - 1] : 0;
    return {1 + last % std::max<int32_t>(frames, 1), (last & 0x40) != 0, (last & 0x80) != 0};
}

void Draw_DV(cls_VideoFile_handler& vf, Picture& picture, const Ask& ask) {
    int32_t frame = ask.frame;
    trapped([&] { vf.Draw_Frame(frame, nullptr, false, 1, picture.dib.hDC(), ask.rotate); });
    int32_t length = 0;
    const uint8_t* address = nullptr;
    trapped([&] { vf.Get_Frame(ask.frame, length, address); });
}

void Overlay(cls_VideoFile_handler& vf, Picture& picture, int32_t frames) {
    if (frames < 2) return;
    trapped([&] {
        int32_t first = 1, second = 2;
        vf.Overlay(1);
        vf.Store_frame(first, "target");
        vf.Store_OL_Source();
        vf.Store_frame(second, "source");
        vf.Draw_Overlay_Frame(2, picture);
        vf.A_Blend(picture);
        vf.Reset_Overlay(picture);
        vf.Overlay(0);
    });
}

void Avi_Texts(cls_VideoFile_handler& vf, int32_t frames) {
    if (const clsAVIInfo* info = vf.AVI_Info()) {
        std::vector<int32_t> tags;
        info->GetInfoList(tags);
        for (int32_t tag : tags)
            (void)info->QueryInfo(tag);
    }
    for (int32_t f = 1; f <= frames && vf.Has_Text_Stream(); ++f) {
        int32_t length = 0;
        const uint8_t* address = nullptr;
        trapped([&] { vf.Get_Text_buffer(f, length, address); });
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Once();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Setup& s = Once();
    cls_VideoFile_handler& vf = s.vf;
    const std::string path = fuzz_support::Write_Input(data, size, std::string(kSuffix));
    trapped([&] {
        vf.Read_to_Memory(kQfn);
        // AVI files have an opening of their own; every other kind opens by its suffix.
        if (!(kAvi ? vf.Open_AVI_File(path) : vf.Open_File(path))) return;
        const int32_t frames = std::min<int32_t>(vf.Num_Frames(), 3);
        if (kHeat) {
            Draw_Heat(vf, s.picture, frames);
            Overlay(vf, s.picture, frames);
        } else if (kAvi) {
            // An AVI file's frames are of any codec, each reached by its own
            // frames: all of them are drawn, the second rotated.
            for (int32_t f = 1; f <= frames; ++f)
                Draw_DV(vf, s.picture, Ask{f, f == 2, true});
            Overlay(vf, s.picture, frames);
        } else {
            const Ask ask = Asked(data, size, frames);
            Draw_DV(vf, s.picture, ask);
            if (ask.overlay) Overlay(vf, s.picture, frames);
        }
        if (kAvi) Avi_Texts(vf, frames);
        trapped([&] { (void)vf.Wide_Screen(); });
        trapped([&] { (void)vf.Property_String(); });
        if (vf.Has_XML_header()) {
            // The header as the player stores a change: written back, then the file read again.
            trapped([&] { vf.Event_name("Fuzz regatta"); });
            vf.Close_File();
            if (vf.Open_File(path)) trapped([&] { (void)vf.Event_name(); });
        }
    });
    trapped([&] { vf.Close_File(); });
    return 0;
}
