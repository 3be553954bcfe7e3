#pragma once
// What an in-process server library needs: its own count of live objects and
// locks (for DllCanUnloadNow), a class factory, reference counting, and the
// registration of its classes.
//
// A server library exports its four entry points with COM_EXPORT and keeps
// everything else hidden (CXX_VISIBILITY_PRESET hidden and
// -Wl,--exclude-libs,ALL on its target), so that its copy of these layers
// never mixes with the program's. Its ServerModule is a static object of the
// library's own.
#include "ComResult.h"
#include "Unknown.h"

#include <atomic>
#include <new>
#include <optional>
#include <string>

#define COM_EXPORT extern "C" __attribute__((visibility("default")))

namespace com {

// Live objects and server locks of one library.
class ServerModule {
public:
    void lock() { count_.fetch_add(1); }
    void unlock() { count_.fetch_sub(1); }
    long count() const { return count_.load(); }
    // DllCanUnloadNow: S_OK when nothing is alive, else S_FALSE.
    HRESULT can_unload_now() const { return count_.load() == 0 ? S_OK : S_FALSE; }

private:
    std::atomic<long> count_{0};
};

// A thread-safe reference count that starts at 1 (the creator's reference).
class RefCount {
public:
    ULONG add() { return static_cast<ULONG>(n_.fetch_add(1) + 1); }
    ULONG release() { return static_cast<ULONG>(n_.fetch_sub(1) - 1); }

private:
    std::atomic<long> n_{1};
};

// The class factory of T. T is constructed from the ServerModule, derives from IUnknown,
// starts with one reference and counts itself in the module it is given.
template <class T> class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(ServerModule& module) : module_(module) { module_.lock(); }

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid == IUnknown::kIID || riid == IClassFactory::kIID) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return refs_.add(); }
    ULONG Release() override {
        const ULONG n = refs_.release();
        if (n == 0) delete this;
        return n;
    }
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        T* object = new (std::nothrow) T(module_);
        if (!object) return E_OUTOFMEMORY;
        const HRESULT hr = object->QueryInterface(riid, ppv);
        object->Release();
        return hr;
    }
    HRESULT LockServer(BOOL lock) override {
        if (lock)
            module_.lock();
        else
            module_.unlock();
        return S_OK;
    }

private:
    ~ClassFactory() { module_.unlock(); }
    ServerModule& module_;
    RefCount refs_;
};

// The body of DllGetClassObject for a library with one class T.
template <class T>
HRESULT GetClassObject(ServerModule& module, REFCLSID requested, REFCLSID served, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!(requested == served)) return CLASS_E_CLASSNOTAVAILABLE;
    auto* factory = new (std::nothrow) ClassFactory<T>(module);
    if (!factory) return E_OUTOFMEMORY;
    const HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}

// What registering one class writes under HKEY_CLASSES_ROOT:
//   CLSID\{clsid}                       = description
//     ProgID                            = progid
//     VersionIndependentProgID          = version_independent_progid
//     InprocServer32                    = module_path, ThreadingModel = threading_model
//     TypeLib                           = {typelib}        (when given)
//   <progid>                            = description, CLSID = {clsid}
//   <version_independent_progid>        = description, CLSID = {clsid}, CurVer = progid
//   AppID\{appid}                       = appid_name       (when given)
//   AppID\<module file name>            AppID = {appid}
struct ClassRegistration {
    CLSID clsid;
    std::string description;
    std::string progid;
    std::string version_independent_progid;
    std::string threading_model = "Both";
    std::string module_path;
    std::optional<GUID> typelib;
    std::optional<GUID> appid;
    std::string appid_name;
};

// S_OK, or SELFREG_E_CLASS when an entry could not be written.
HRESULT RegisterServerClass(const ClassRegistration& reg);
// Removes what RegisterServerClass wrote (ProgID keys only while they still
// name this class); S_OK also when nothing was registered.
HRESULT UnregisterServerClass(const ClassRegistration& reg);

// The path of the loaded library (or program) holding `address`.
std::string ModulePathOf(const void* address);

} // namespace com
