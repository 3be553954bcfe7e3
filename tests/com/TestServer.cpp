// A one-class in-process server, built as a shared library only for the tests.
#include "ComServer.h"
#include "ConnectionPoint.h"
#include "TestServerInterfaces.h"

namespace {

com::ServerModule g_module;

class Adder final : public testsrv::IAdder, public com::IConnectionPointContainer {
public:
    explicit Adder(com::ServerModule& module) : module_(module), events_(this) { module_.lock(); }

    com::HRESULT QueryInterface(com::REFIID riid, void** ppv) override {
        if (!ppv) return com::E_POINTER;
        if (riid == com::IUnknown::kIID || riid == testsrv::IAdder::kIID) {
            *ppv = static_cast<testsrv::IAdder*>(this);
        } else if (riid == com::IConnectionPointContainer::kIID) {
            *ppv = static_cast<com::IConnectionPointContainer*>(this);
        } else {
            *ppv = nullptr;
            return com::E_NOINTERFACE;
        }
        AddRef();
        return com::S_OK;
    }
    com::ULONG AddRef() override { return refs_.add(); }
    com::ULONG Release() override {
        const com::ULONG n = refs_.release();
        if (n == 0) delete this;
        return n;
    }

    com::HRESULT Add(int32_t a, int32_t b, int32_t* sum) override {
        if (!sum) return com::E_POINTER;
        *sum = a + b;
        events_.sinks().for_each([&](testsrv::IAdderEvents* sink) { sink->OnSum(*sum); });
        return com::S_OK;
    }
    com::HRESULT LiveCount(int32_t* count) override {
        if (!count) return com::E_POINTER;
        *count = static_cast<int32_t>(module_.count());
        return com::S_OK;
    }

    com::HRESULT FindConnectionPoint(com::REFIID riid, com::IConnectionPoint** ppcp) override {
        if (!ppcp) return com::E_POINTER;
        *ppcp = nullptr;
        if (!(riid == testsrv::IAdderEvents::kIID)) return com::CONNECT_E_NOCONNECTION;
        *ppcp = &events_;
        events_.AddRef();
        return com::S_OK;
    }

private:
    ~Adder() { module_.unlock(); }
    com::ServerModule& module_;
    com::RefCount refs_;
    com::ConnectionPoint<testsrv::IAdderEvents> events_;
};

com::ClassRegistration registration() {
    com::ClassRegistration r;
    r.clsid = testsrv::CLSID_Adder;
    r.description = "Adder Class";
    r.progid = testsrv::kProgId;
    r.version_independent_progid = testsrv::kVersionIndependentProgId;
    r.module_path = com::ModulePathOf(reinterpret_cast<const void*>(&registration));
    return r;
}

} // namespace

COM_EXPORT com::HRESULT DllGetClassObject(com::REFCLSID clsid, com::REFIID riid, void** ppv) {
    return com::GetClassObject<Adder>(g_module, clsid, testsrv::CLSID_Adder, riid, ppv);
}
COM_EXPORT com::HRESULT DllCanUnloadNow() {
    return g_module.can_unload_now();
}
COM_EXPORT com::HRESULT DllRegisterServer() {
    return com::RegisterServerClass(registration());
}
COM_EXPORT com::HRESULT DllUnregisterServer() {
    return com::UnregisterServerClass(registration());
}
