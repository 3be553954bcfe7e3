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
    cls_Capture_HDMI& cap = *window.obj_Capture_HDMI();
    cap.Lock_Max_Direct_Compressed_size();
    cls_VideoFile_handler& f = window.File_Handler(slot);
    f.File_name(window.Label_filename(slot).Caption());
    f.Open_RGB_File();
    f.Start_local_mill(1, Get_Local_Mill());
    f.Start_HDMI_events(1, cap.HDMI_events());
    f.Start_PC_mill(1, cap.last_Capture_mill());
    f.Set_JPG_Maxsize(cap.JPG_Compression_Threshold());
    f.Write_QF3_header();
    f.Close_File();
    window.Heat_Start_Mill(slot) = cap.last_Capture_mill();
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
