#include "mIntelJPEGLibrary.h"

#include "Dialogs.h"
#include "Ijl.h"
#include "Module_qfn_Globals.h"
#include "VbError.h"
#include "cDIBSection.h"

#include <string>

namespace {

void Warn(const std::string& text) {
    forms::MsgBox(text, forms::vbExclamation | forms::vbOKOnly, g_Program_Title);
}

// Frees the library state however the call ends.
struct Ijl_State {
    ijl::JPEG_CORE_PROPERTIES props;
    bool bound = false;
    ~Ijl_State() {
        if (bound) ijl::ijlFree(&props);
    }
};

[[noreturn]] void Raise_Save_Error(const std::string& text) {
    vb::Raise(kJPEG_Save_Error, text, std::string(kProgram_Name) + ".mIntelJPEGLibrary");
}

} // namespace

namespace {

// expected: nullptr for any size, else the width and height the picture must have.
bool Load_JPG(cDIBSection& dib, const uint8_t* jpeg, int32_t length, const int32_t* expected,
              int32_t& found_width, int32_t& found_height, bool warn = true) {
    const auto Warn = [warn](const std::string& text) {
        if (warn) ::Warn(text);
    };
    found_width = found_height = 0;
    Ijl_State s;
    const int32_t init = ijl::ijlInit(&s.props);
    if (init != ijl::IJL_OK) {
        Warn("Failed to initialise the IJL library: " + std::to_string(init));
        return false;
    }
    s.bound = true;
    s.props.JPGBytes = const_cast<uint8_t*>(jpeg);
    s.props.JPGSizeBytes = length;
    if (!jpeg || length <= 0 || ijl::ijlRead(&s.props, ijl::IJL_JBUFF_READPARAMS) != ijl::IJL_OK) {
        Warn("Failed to read JPG");
        return false;
    }
    s.props.JPGColor = s.props.JPGChannels == 1 ? ijl::IJL_G : ijl::IJL_YCBCR;
    const int32_t width = s.props.JPGWidth;
    const int32_t height = s.props.JPGHeight;
    found_width = width;
    found_height = height;
    if (expected && (width != expected[0] || height != expected[1])) return false;
    // A bitmap of the picture's size is reused: making one per frame costs
    // more than decoding a small crop.
    if (!dib.DIBSectionBitsPtr() || dib.Width() != width || dib.Height() != height) {
        if (!dib.Create(width, height)) return false;
    }
    if (dib.Width() != width || dib.Height() != height || !dib.DIBSectionBitsPtr()) return false;
    s.props.DIBWidth = width;
    s.props.DIBPadBytes = dib.BytesPerScanLine() - 3 * width;
    s.props.DIBHeight = -height;
    s.props.DIBChannels = 3;
    s.props.DIBBytes = dib.DIBSectionBitsPtr();
    if (ijl::ijlRead(&s.props, ijl::IJL_JBUFF_READWHOLEIMAGE) != ijl::IJL_OK) {
        Warn("Cannot read Image Data from file.");
        return false;
    }
    return true;
}

} // namespace

bool Load_JPG_From_Buffer(cDIBSection& dib, const uint8_t* jpeg, int32_t length) {
    int32_t found_width = 0, found_height = 0;
    return Load_JPG(dib, jpeg, length, nullptr, found_width, found_height);
}

bool Load_JPG_From_Buffer(cDIBSection& dib, const uint8_t* jpeg, int32_t length, int32_t width,
                          int32_t height, int32_t& found_width, int32_t& found_height, bool warn) {
    const int32_t expected[2] = {width, height};
    return Load_JPG(dib, jpeg, length, expected, found_width, found_height, warn);
}

bool Save_JPG_To_Buffer(cDIBSection& dib, uint8_t* buffer, int32_t& jpeg_size, int32_t quality) {
    Ijl_State s;
    const int32_t init = ijl::ijlInit(&s.props);
    if (init != ijl::IJL_OK)
        Raise_Save_Error("Failed to initialise the IJL library: " + std::to_string(init));
    s.bound = true;
    s.props.DIBWidth = dib.Width();
    s.props.DIBHeight = -dib.Height();
    s.props.DIBBytes = dib.DIBSectionBitsPtr();
    s.props.DIBPadBytes = dib.BytesPerScanLine() - 3 * dib.Width();
    s.props.JPGWidth = dib.Width();
    s.props.JPGHeight = dib.Height();
    s.props.jquality = quality;
    s.props.JPGBytes = buffer;
    s.props.JPGSizeBytes = jpeg_size;
    // The layer encodes into its own buffer and copies only what fits the
    // capacity given here, so a large picture can never overrun the caller.
    const int32_t r = ijl::ijlWrite(&s.props, ijl::IJL_JBUFF_WRITEWHOLEIMAGE);
    if (r != ijl::IJL_OK) Raise_Save_Error("Failed to save to JPG " + std::to_string(r));
    jpeg_size = s.props.JPGSizeBytes;
    return true;
}
