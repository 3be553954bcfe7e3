// Registers or unregisters an in-process server library, as regsvr32 did:
//   regsvr [/u] [/s] library.so
// Loads the library, calls its DllRegisterServer (or DllUnregisterServer
// with /u) and reports the result; /s prints nothing. The registrations go to
// the user's registry file (TIDEWICK_REGISTRY names another one).
#include "ComCreate.h"
#include "Registry.h"
#include "SystemMessage.h"

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <string>

namespace {

void usage() {
    std::fprintf(stderr, "usage: regsvr [/u] [/s] <library>\n");
}

std::string hex(com::HRESULT hr) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(hr));
    return buf;
}

} // namespace

int main(int argc, char** argv) {
    bool unregister = false, silent = false;
    std::string library;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "/u" || a == "-u")
            unregister = true;
        else if (a == "/s" || a == "-s")
            silent = true;
        else if (library.empty())
            library = a;
        else {
            usage();
            return 2;
        }
    }
    if (library.empty()) {
        usage();
        return 2;
    }
    // The library records its own path; give it a full one.
    std::error_code ec;
    if (std::filesystem::exists(library, ec))
        library = std::filesystem::absolute(library, ec).lexically_normal().string();

    void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        if (!silent)
            std::fprintf(stderr, "The module \"%s\" failed to load.\n%s\n", library.c_str(), ::dlerror());
        return 3;
    }
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto fn = reinterpret_cast<com::HRESULT (*)()>(::dlsym(handle, entry));
    if (!fn) {
        if (!silent)
            std::fprintf(stderr, "The module \"%s\" was loaded but the entry-point %s was not found.\n",
                         library.c_str(), entry);
        return 4;
    }
    const com::HRESULT hr = fn();
    if (com::FAILED(hr)) {
        if (!silent)
            std::fprintf(stderr,
                         "The module \"%s\" was loaded but the call to %s failed with error code %s.\n%s",
                         library.c_str(), entry, hex(hr).c_str(),
                         com::SystemMessage(static_cast<uint32_t>(hr)).c_str());
        return 5;
    }
    if (!silent)
        std::printf("%s in %s succeeded (registry %s).\n", entry, library.c_str(),
                    registry::RegistryFilePath().c_str());
    return 0;
}
