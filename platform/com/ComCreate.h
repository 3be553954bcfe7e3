#pragma once
// Creating objects of registered classes. A class is registered under
// HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32, whose default value is the
// path of the shared library that serves it; the library is loaded once per
// process with dlopen and asked for the class factory by DllGetClassObject.
// A ProgID key (HKEY_CLASSES_ROOT\<ProgID>) names the class in its CLSID
// sub-key, or names the current versioned ProgID in CurVer.
#include "ComPtr.h"
#include "Unknown.h"

#include <cstddef>
#include <string>

namespace com {

inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
inline constexpr DWORD CLSCTX_ALL = 0x17;

// The exports every in-process server library offers, under these names.
using DllGetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, void**);
using DllCanUnloadNowFn = HRESULT (*)();
using DllRegisterServerFn = HRESULT (*)();
using DllUnregisterServerFn = HRESULT (*)();

// REGDB_E_CLASSNOTREG when the class is not registered (or names no library),
// CO_E_DLLNOTFOUND when its library cannot be loaded, CO_E_ERRORINDLL when
// the library lacks DllGetClassObject, else what the library answers.
HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* server_info, REFIID riid, void** ppv);
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** ppv);
// CO_E_CLASSSTRING when the ProgID is not registered.
HRESULT CLSIDFromProgID(const std::string& progid, CLSID* clsid);
HRESULT ProgIDFromCLSID(REFCLSID clsid, std::string& progid);
// Unloads the libraries that answer DllCanUnloadNow with S_OK.
void CoFreeUnusedLibraries();

// Memory that crosses interfaces and is freed by the receiver.
void* CoTaskMemAlloc(size_t size);
void CoTaskMemFree(void* p);

// Typed creation, by class identifier or by ProgID ("OrvelCap.VideoCap5").
template <class T> HRESULT CreateInstance(REFCLSID clsid, ComPtr<T>& out) {
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, T::kIID, out.put_void());
}
template <class T> HRESULT CreateInstance(const std::string& progid, ComPtr<T>& out) {
    out.reset();
    CLSID clsid;
    const HRESULT hr = CLSIDFromProgID(progid, &clsid);
    return FAILED(hr) ? hr : CreateInstance(clsid, out);
}

} // namespace com
