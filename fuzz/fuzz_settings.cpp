// The settings file: values and window positions read from whatever it
// holds, and one value written, which must read back as written.
#include "FuzzSupport.h"
#include "Module_ini_file.h"
#include "Module_qfn_Globals.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_support::Init();
    g_Ini_File_Path = fuzz_support::Write_Input(data, size, ".ini");
    (void)Read_Ini("Settings", "Folder", g_Ini_File_Path, "");
    (void)Read_Ini("capture", "crop", g_Ini_File_Path, "720*576");
    int32_t left = 0, top = 0, width = 100, height = 100;
    Get_Form_Pos("frmMain", left, top, width, height);
    if (Write_Ini("windowpos", "frmFuzz", "12,34", g_Ini_File_Path) == 1 &&
        Read_Ini("windowpos", "frmFuzz", g_Ini_File_Path, "") != "12,34")
        std::abort();
    return 0;
}
