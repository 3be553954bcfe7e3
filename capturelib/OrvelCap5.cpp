// The module of the in-process server: its four exports, its count of live
// objects and locks, and its registration.
#include "CVideoCap.h"

#include "ComServer.h"
#include "Guid.h"
#include "Registry.h"

namespace {

com::ServerModule g_module;

const char kAppIdName[] = "OrvelCap5";
const char kAppIdModuleKey[] = "OrvelCap5.DLL";

com::ClassRegistration Registration() {
    com::ClassRegistration reg;
    reg.clsid = CLSID_VideoCap5;
    reg.description = "VideoCap5 Class";
    reg.progid = "OrvelCap.VideoCap5.1";
    reg.version_independent_progid = "OrvelCap.VideoCap5";
    reg.threading_model = "Both";
    reg.module_path = com::ModulePathOf(reinterpret_cast<const void*>(&Registration));
    reg.typelib = LIBID_OrvelCap5;
    return reg;
}

// The AppID keys carry the module's name as the original registration
// script wrote it, whatever the file is called here.
bool RegisterAppId() {
    using namespace registry;
    const std::string appid = com::GuidToString(APPID_OrvelCap5);
    return WriteString(HKEY_CLASSES_ROOT, "AppID\\" + appid, "", kAppIdName) == ERROR_SUCCESS &&
           WriteString(HKEY_CLASSES_ROOT, std::string("AppID\\") + kAppIdModuleKey, "AppID", appid) ==
               ERROR_SUCCESS;
}

void UnregisterAppId() {
    using namespace registry;
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "AppID\\" + com::GuidToString(APPID_OrvelCap5));
    RegDeleteTreeA(HKEY_CLASSES_ROOT, std::string("AppID\\") + kAppIdModuleKey);
}

} // namespace

COM_EXPORT com::HRESULT DllGetClassObject(com::REFCLSID rclsid, com::REFIID riid, void** ppv) {
    return com::GetClassObject<CVideoCap>(g_module, rclsid, CLSID_VideoCap5, riid, ppv);
}

COM_EXPORT com::HRESULT DllCanUnloadNow() {
    return g_module.can_unload_now();
}

COM_EXPORT com::HRESULT DllRegisterServer() {
    if (!RegisterAppId()) return com::SELFREG_E_CLASS;
    return com::RegisterServerClass(Registration());
}

COM_EXPORT com::HRESULT DllUnregisterServer() {
    const com::HRESULT hr = com::UnregisterServerClass(Registration());
    UnregisterAppId();
    return hr;
}
