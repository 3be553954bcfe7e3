#include "ComServer.h"

#include "Registry.h"

#include <dlfcn.h>
#include <filesystem>

namespace com {

namespace {
using registry::ERROR_SUCCESS;
using registry::HKEY_CLASSES_ROOT;

bool write(const std::string& path, const std::string& name, const std::string& text) {
    return registry::WriteString(HKEY_CLASSES_ROOT, path, name, text) == ERROR_SUCCESS;
}

void remove_progid(const std::string& progid, const CLSID& clsid) {
    if (progid.empty()) return;
    std::string text;
    GUID named;
    if (registry::ReadString(HKEY_CLASSES_ROOT, progid + "\\CLSID", "", text) == ERROR_SUCCESS &&
        ParseGuid(text, named) && !(named == clsid))
        return; // another class took this name meanwhile
    registry::RegDeleteTreeA(HKEY_CLASSES_ROOT, progid);
}
} // namespace

HRESULT RegisterServerClass(const ClassRegistration& reg) {
    const std::string id = GuidToString(reg.clsid);
    const std::string key = "CLSID\\" + id;
    bool ok = !reg.module_path.empty();
    ok = ok && write(key, "", reg.description);
    if (!reg.progid.empty()) ok = ok && write(key + "\\ProgID", "", reg.progid);
    if (!reg.version_independent_progid.empty())
        ok = ok && write(key + "\\VersionIndependentProgID", "", reg.version_independent_progid);
    ok = ok && write(key + "\\InprocServer32", "", reg.module_path);
    if (!reg.threading_model.empty())
        ok = ok && write(key + "\\InprocServer32", "ThreadingModel", reg.threading_model);
    if (reg.typelib) ok = ok && write(key + "\\TypeLib", "", GuidToString(*reg.typelib));
    if (!reg.progid.empty()) {
        ok = ok && write(reg.progid, "", reg.description);
        ok = ok && write(reg.progid + "\\CLSID", "", id);
    }
    if (!reg.version_independent_progid.empty()) {
        ok = ok && write(reg.version_independent_progid, "", reg.description);
        ok = ok && write(reg.version_independent_progid + "\\CLSID", "", id);
        if (!reg.progid.empty())
            ok = ok && write(reg.version_independent_progid + "\\CurVer", "", reg.progid);
    }
    if (reg.appid) {
        ok = ok && write("AppID\\" + GuidToString(*reg.appid), "", reg.appid_name);
        ok = ok && write("AppID\\" + std::filesystem::path(reg.module_path).filename().string(), "AppID",
                         GuidToString(*reg.appid));
    }
    return ok ? S_OK : SELFREG_E_CLASS;
}

HRESULT UnregisterServerClass(const ClassRegistration& reg) {
    remove_progid(reg.version_independent_progid, reg.clsid);
    remove_progid(reg.progid, reg.clsid);
    registry::RegDeleteTreeA(HKEY_CLASSES_ROOT, "CLSID\\" + GuidToString(reg.clsid));
    if (reg.appid) {
        registry::RegDeleteTreeA(HKEY_CLASSES_ROOT, "AppID\\" + GuidToString(*reg.appid));
        registry::RegDeleteTreeA(HKEY_CLASSES_ROOT,
                                 "AppID\\" + std::filesystem::path(reg.module_path).filename().string());
    }
    return registry::KeyExists(HKEY_CLASSES_ROOT, "CLSID\\" + GuidToString(reg.clsid)) ? SELFREG_E_CLASS
                                                                                       : S_OK;
}

std::string ModulePathOf(const void* address) {
    Dl_info info{};
    if (!::dladdr(address, &info) || !info.dli_fname) return {};
    std::error_code ec;
    const auto p = std::filesystem::canonical(info.dli_fname, ec);
    return ec ? std::string(info.dli_fname) : p.string();
}

} // namespace com
