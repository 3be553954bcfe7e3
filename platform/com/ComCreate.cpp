#include "ComCreate.h"

#include "Registry.h"

#include <cstdlib>
#include <dlfcn.h>
#include <map>
#include <mutex>

namespace com {

namespace {

struct Library {
    void* handle = nullptr;
    DllGetClassObjectFn get_class_object = nullptr;
    DllCanUnloadNowFn can_unload_now = nullptr;
};

std::mutex& libs_mutex() {
    static std::mutex m;
    return m;
}
std::map<std::string, Library>& libs() {
    static auto* l =
        new std::map<std::string, Library>; // kept to the end: objects may outlive static destruction
    return *l;
}

HRESULT load(const std::string& path, Library& out) {
    std::lock_guard g(libs_mutex());
    auto it = libs().find(path);
    if (it != libs().end()) {
        out = it->second;
        return S_OK;
    }
    Library lib;
    lib.handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib.handle) return CO_E_DLLNOTFOUND;
    lib.get_class_object = reinterpret_cast<DllGetClassObjectFn>(::dlsym(lib.handle, "DllGetClassObject"));
    lib.can_unload_now = reinterpret_cast<DllCanUnloadNowFn>(::dlsym(lib.handle, "DllCanUnloadNow"));
    if (!lib.get_class_object) {
        ::dlclose(lib.handle);
        return CO_E_ERRORINDLL;
    }
    libs()[path] = lib;
    out = lib;
    return S_OK;
}

} // namespace

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void*, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!(context & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
    std::string path;
    if (registry::ReadString(registry::HKEY_CLASSES_ROOT,
                             "CLSID\\" + GuidToString(clsid) + "\\InprocServer32", "",
                             path) != registry::ERROR_SUCCESS ||
        path.empty())
        return REGDB_E_CLASSNOTREG;
    Library lib;
    if (const HRESULT hr = load(path, lib); FAILED(hr)) return hr;
    return lib.get_class_object(clsid, riid, ppv);
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    ComPtr<IClassFactory> factory;
    HRESULT hr = CoGetClassObject(clsid, context, nullptr, IClassFactory::kIID, factory.put_void());
    if (FAILED(hr)) return hr;
    if (!factory) return E_UNEXPECTED;
    hr = factory->CreateInstance(outer, riid, ppv);
    if (FAILED(hr)) *ppv = nullptr;
    return hr;
}

HRESULT CLSIDFromProgID(const std::string& progid, CLSID* clsid) {
    if (!clsid) return E_INVALIDARG;
    if (progid.empty()) return CO_E_CLASSSTRING;
    std::string text;
    if (registry::ReadString(registry::HKEY_CLASSES_ROOT, progid + "\\CLSID", "", text) ==
            registry::ERROR_SUCCESS &&
        ParseGuid(text, *clsid))
        return S_OK;
    // A version-independent ProgID without a class of its own follows its current version.
    std::string current;
    if (registry::ReadString(registry::HKEY_CLASSES_ROOT, progid + "\\CurVer", "", current) ==
            registry::ERROR_SUCCESS &&
        !current.empty() && current != progid &&
        registry::ReadString(registry::HKEY_CLASSES_ROOT, current + "\\CLSID", "", text) ==
            registry::ERROR_SUCCESS &&
        ParseGuid(text, *clsid))
        return S_OK;
    return CO_E_CLASSSTRING;
}

HRESULT ProgIDFromCLSID(REFCLSID clsid, std::string& progid) {
    progid.clear();
    if (registry::ReadString(registry::HKEY_CLASSES_ROOT, "CLSID\\" + GuidToString(clsid) + "\\ProgID", "",
                             progid) != registry::ERROR_SUCCESS ||
        progid.empty())
        return REGDB_E_CLASSNOTREG;
    return S_OK;
}

void CoFreeUnusedLibraries() {
    std::lock_guard g(libs_mutex());
    for (auto it = libs().begin(); it != libs().end();) {
        if (it->second.can_unload_now && it->second.can_unload_now() == S_OK) {
            ::dlclose(it->second.handle);
            it = libs().erase(it);
        } else {
            ++it;
        }
    }
}

void* CoTaskMemAlloc(size_t size) {
    return std::malloc(size ? size : 1);
}
void CoTaskMemFree(void* p) {
    std::free(p);
}

} // namespace com
