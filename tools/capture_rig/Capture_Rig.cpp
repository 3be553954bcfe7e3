#include "Capture_Rig.h"

#include "Form_capture_multi_file.h"
#include "Module_dependant.h"
#include "Module_qfn_Globals.h"
#include "Registry.h"
#include "Screen.h"
#include "cls_Capture_HDMI.h"
#include "cls_VideoFile_handler.h"

#include <dlfcn.h>
#include <filesystem>

namespace capture_rig {

bool Register_Capture_Library(const std::string& registry_file) {
    registry::SetRegistryFilePath(registry_file);
    const std::string lib =
        std::filesystem::canonical("/proc/self/exe").parent_path().string() + "/OrvelCap5.so";
    // The library stays loaded: COM loads the same file for the object anyway.
    void* h = ::dlopen(lib.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) return false;
    auto fn = reinterpret_cast<int32_t (*)()>(::dlsym(h, "DllRegisterServer"));
    return fn && fn() == 0;
}

void Stamp_Heat_Start(class Form_capture_multi_file& window, int16_t slot) {
    window.Handle_Start_Event(slot);
}

void Preview_Stand_In::Design() {
    Caption("Live preview");
    const int32_t w = g_Capture_Crop_Width / 2, h = g_Capture_Crop_Height / 2;
    const int32_t tx = forms::Screen_TwipsPerPixelX(), ty = forms::Screen_TwipsPerPixelY();
    Move(0, 0, (w + 16) * tx, (h + 40) * ty);
    Picture_preview.ScaleMode(forms::vbPixels);
    Picture_preview.Move(0, 0, w * tx, h * ty);
}

} // namespace capture_rig
