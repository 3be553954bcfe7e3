// The registry file: whatever it holds is read, its keys and values listed,
// and one value written back, which rewrites the whole file.
#include "FuzzSupport.h"
#include "Registry.h"

#include <cstdlib>
#include <string>

using namespace registry;

namespace {

// Walks a key's sub-keys a few levels down, reading every value met.
void walk(HKEY key, int depth) {
    uint32_t sub_keys = 0, max_sub = 0, values = 0, max_name = 0, max_value = 0;
    if (RegQueryInfoKeyA(key, &sub_keys, &max_sub, &values, &max_name, &max_value) != ERROR_SUCCESS) return;
    for (uint32_t i = 0; i < values && i < 64; ++i) {
        std::string name(max_name + 1, '\0'), data(max_value, '\0');
        uint32_t name_size = max_name + 1, data_size = max_value, type = 0;
        const LONG r =
            RegEnumValueA(key, i, name.data(), &name_size, nullptr, &type, data.data(), &data_size);
        if (r != ERROR_SUCCESS) std::abort(); // the sizes told must be enough
    }
    if (depth == 0) return;
    for (uint32_t i = 0; i < sub_keys && i < 16; ++i) {
        std::string name(max_sub + 1, '\0');
        if (RegEnumKeyA(key, i, name.data(), max_sub + 1) != ERROR_SUCCESS) std::abort();
        HKEY sub = 0;
        if (RegOpenKeyExA(key, name.c_str(), 0, KEY_QUERY_VALUE, &sub) != ERROR_SUCCESS) continue;
        walk(sub, depth - 1);
        RegCloseKey(sub);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_support::Init();
    static const std::string path = fuzz_support::Home() + "/registry-input.txt";
    static bool once = (SetRegistryFilePath(path), true);
    (void)once;
    fuzz_support::Write_Input(data, size, ".txt");
    std::rename((fuzz_support::Home() + "/input.txt").c_str(), path.c_str());
    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        walk(root, 3);
    std::string text;
    ReadString(HKEY_CURRENT_USER, "Software\\Tidewick", "Folder", text);
    if (WriteString(HKEY_CURRENT_USER, "Software\\Tidewick", "Folder", "/data/heats") == ERROR_SUCCESS) {
        if (ReadString(HKEY_CURRENT_USER, "Software\\Tidewick", "Folder", text) != ERROR_SUCCESS ||
            text != "/data/heats")
            std::abort(); // a value written must read back
    }
    if (OpenHandleCount() != 0) std::abort();
    return 0;
}
