#include "Bstr.h"
#include "ComCreate.h"
#include "ComObject.h"
#include "ComPtr.h"
#include "ConnectionPoint.h"
#include "Guid.h"
#include "Registry.h"
#include "SystemMessage.h"
#include "TestEnv.h"
#include "TestServerInterfaces.h"

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace {

using namespace com;

// The test programs, the server library and the tool all land in one folder.
std::string bin_dir() {
    return std::filesystem::canonical("/proc/self/exe").parent_path().string();
}
std::string server_path() {
    return bin_dir() + "/libtw_test_comserver.so";
}

// Calls the server library's own entry point, as the registration tool does.
HRESULT call_entry(const char* name) {
    void* h = ::dlopen(server_path().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) return E_FAIL;
    auto fn = reinterpret_cast<HRESULT (*)()>(::dlsym(h, name));
    const HRESULT hr = fn ? fn() : E_FAIL;
    ::dlclose(h);
    return hr;
}

// Each test gets a registry of its own.
class ComTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string dir = test_env::make_dir(
            std::string("reg-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        registry::SetRegistryFilePath(dir + "/registry.txt");
    }
    void TearDown() override { registry::SetRegistryFilePath({}); }
};

// A sink that records the sums it is told; can unadvise itself from inside its call.
class Sink final : public testsrv::IAdderEvents {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IUnknown::kIID || riid == testsrv::IAdderEvents::kIID) {
            *ppv = static_cast<testsrv::IAdderEvents*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
    HRESULT OnSum(int32_t sum) override {
        sums.push_back(sum);
        if (unadvise_from) unadvise_from->Unadvise(unadvise_cookie);
        return S_OK;
    }
    ULONG refs = 1;
    std::vector<int32_t> sums;
    IConnectionPoint* unadvise_from = nullptr;
    DWORD unadvise_cookie = 0;
};

// An object that answers no outgoing interface.
class Stranger final : public IUnknown {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (riid == IUnknown::kIID) {
            *ppv = this;
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
};

TEST(Guid, ParsesAndFormatsTheRegistryForm) {
    constexpr GUID cap = MakeGuid("{A2E04531-98BB-43b2-96EE-28D0CE80CE3A}");
    static_assert(cap.Data1 == 0xA2E04531 && cap.Data2 == 0x98BB && cap.Data3 == 0x43B2);
    static_assert(cap.Data4[0] == 0x96 && cap.Data4[7] == 0x3A);
    EXPECT_EQ(GuidToString(cap), "{A2E04531-98BB-43B2-96EE-28D0CE80CE3A}");
    GUID g;
    EXPECT_TRUE(ParseGuid("a2e04531-98bb-43b2-96ee-28d0ce80ce3a", g));
    EXPECT_EQ(g, cap);
    for (const char* bad : {"", "{A2E04531-98BB-43b2-96EE-28D0CE80CE3A",
                            "A2E04531-98BB-43b2-96EE-28D0CE80CE3", "{A2E04531+98BB-43b2-96EE-28D0CE80CE3A}",
                            "{G2E04531-98BB-43b2-96EE-28D0CE80CE3A}", "OrvelCap.VideoCap5"}) {
        EXPECT_FALSE(ParseGuid(bad, g)) << bad;
        EXPECT_EQ(CLSIDFromString(bad, &g), CO_E_CLASSSTRING) << bad;
    }
}

TEST(Bstr, KeepsLengthNulsAndTreatsNullAsEmpty) {
    BSTR s = SysAllocStringLen("a\0b", 3);
    EXPECT_EQ(SysStringLen(s), 3u);
    EXPECT_EQ(FromBSTR(s), std::string("a\0b", 3));
    EXPECT_EQ(s[3], '\0');
    EXPECT_EQ(SysReAllocString(&s, "Oct 17 2013 13:37:30"), 1);
    EXPECT_EQ(FromBSTR(s), "Oct 17 2013 13:37:30");
    SysFreeString(s);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(FromBSTR(nullptr), "");
    SysFreeString(nullptr);
    Bstr owned("BuildNumber");
    Bstr copy = owned;
    EXPECT_NE(copy.get(), owned.get());
    EXPECT_EQ(copy.str(), "BuildNumber");
    *copy.put() = ToBSTR("x");
    EXPECT_EQ(copy.str(), "x");
}

TEST_F(ComTest, UnregisteredClassFailsCleanly) {
    ComPtr<testsrv::IAdder> adder;
    EXPECT_EQ(CreateInstance(testsrv::CLSID_Adder, adder), REGDB_E_CLASSNOTREG);
    EXPECT_FALSE(adder);
    CLSID clsid;
    EXPECT_EQ(CLSIDFromProgID(testsrv::kProgId, &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(CreateInstance(std::string(testsrv::kProgId), adder), CO_E_CLASSSTRING);
    void* raw = reinterpret_cast<void*>(1);
    EXPECT_EQ(
        CoCreateInstance(testsrv::CLSID_Adder, nullptr, CLSCTX_INPROC_SERVER, testsrv::IAdder::kIID, &raw),
        REGDB_E_CLASSNOTREG);
    EXPECT_EQ(raw, nullptr);
    EXPECT_EQ(SystemMessage(static_cast<uint32_t>(REGDB_E_CLASSNOTREG)), "Class not registered\r\n");
    // The program's own creation raises the language's error for it.
    try {
        NewObject<testsrv::IAdder>(testsrv::CLSID_Adder);
        ADD_FAILURE();
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.number(), 429);
    }
}

TEST_F(ComTest, RegisteredServerIsCreatedByClassIdAndByProgId) {
    ASSERT_EQ(call_entry("DllRegisterServer"), S_OK);

    // What the registration wrote.
    const std::string key = "CLSID\\{5C6B1E0A-7D3F-4E8B-9A41-2F0D6C3B8E71}";
    std::string text;
    ASSERT_EQ(registry::ReadString(registry::HKEY_CLASSES_ROOT, key + "\\InprocServer32", "", text), 0);
    EXPECT_EQ(text, std::filesystem::canonical(server_path()).string());
    ASSERT_EQ(
        registry::ReadString(registry::HKEY_CLASSES_ROOT, key + "\\InprocServer32", "ThreadingModel", text),
        0);
    EXPECT_EQ(text, "Both");
    ASSERT_EQ(registry::ReadString(registry::HKEY_CLASSES_ROOT, "TidewickTest.Adder\\CurVer", "", text), 0);
    EXPECT_EQ(text, "TidewickTest.Adder.1");

    ComPtr<testsrv::IAdder> adder = NewObject<testsrv::IAdder>(testsrv::CLSID_Adder);
    ASSERT_TRUE(adder);
    int32_t sum = 0;
    EXPECT_EQ(adder->Add(2, 40, &sum), S_OK);
    EXPECT_EQ(sum, 42);
    EXPECT_EQ(adder->Add(2, 40, nullptr), E_POINTER);

    for (const char* progid : {testsrv::kProgId, testsrv::kVersionIndependentProgId}) {
        CLSID clsid;
        ASSERT_EQ(CLSIDFromProgID(progid, &clsid), S_OK) << progid;
        EXPECT_EQ(clsid, testsrv::CLSID_Adder);
        ComPtr<testsrv::IAdder> by_name;
        ASSERT_EQ(CreateInstance(std::string(progid), by_name), S_OK) << progid;
        int32_t live = 0;
        by_name->LiveCount(&live);
        EXPECT_EQ(live, 2); // this object and the first one, in one loaded library
    }
    std::string progid;
    EXPECT_EQ(ProgIDFromCLSID(testsrv::CLSID_Adder, progid), S_OK);
    EXPECT_EQ(progid, testsrv::kProgId);

    // Interfaces the class lacks, and aggregation.
    ComPtr<IClassFactory> factory;
    ComPtr<IConnectionPoint> none;
    EXPECT_EQ(adder.As(none), E_NOINTERFACE);
    ASSERT_EQ(CoGetClassObject(testsrv::CLSID_Adder, CLSCTX_INPROC_SERVER, nullptr, IClassFactory::kIID,
                               factory.put_void()),
              S_OK);
    void* obj = nullptr;
    EXPECT_EQ(factory->CreateInstance(adder.get(), IUnknown::kIID, &obj), CLASS_E_NOAGGREGATION);

    // Unregistered again: creation fails, nothing of the class is left.
    adder.reset();
    factory.reset();
    ASSERT_EQ(call_entry("DllUnregisterServer"), S_OK);
    EXPECT_EQ(CreateInstance(testsrv::CLSID_Adder, adder), REGDB_E_CLASSNOTREG);
    EXPECT_FALSE(registry::KeyExists(registry::HKEY_CLASSES_ROOT, key));
    EXPECT_FALSE(registry::KeyExists(registry::HKEY_CLASSES_ROOT, testsrv::kProgId));
    EXPECT_FALSE(registry::KeyExists(registry::HKEY_CLASSES_ROOT, testsrv::kVersionIndependentProgId));
    CoFreeUnusedLibraries();
}

TEST_F(ComTest, BadLibraryEntriesFailWithTheirOwnCodes) {
    const std::string key = "CLSID\\{5C6B1E0A-7D3F-4E8B-9A41-2F0D6C3B8E71}\\InprocServer32";
    ComPtr<testsrv::IAdder> adder;
    registry::WriteString(registry::HKEY_CLASSES_ROOT, key, "", test_env::root() + "/missing.so");
    EXPECT_EQ(CreateInstance(testsrv::CLSID_Adder, adder), CO_E_DLLNOTFOUND);
    registry::WriteString(registry::HKEY_CLASSES_ROOT, key, "", "libm.so.6"); // loads, but serves nothing
    EXPECT_EQ(CreateInstance(testsrv::CLSID_Adder, adder), CO_E_ERRORINDLL);
    registry::WriteString(registry::HKEY_CLASSES_ROOT, key, "", "");
    EXPECT_EQ(CreateInstance(testsrv::CLSID_Adder, adder), REGDB_E_CLASSNOTREG);
    // A library that serves another class.
    registry::WriteString(registry::HKEY_CLASSES_ROOT, key, "", server_path());
    constexpr CLSID other = MakeGuid("{A2E04531-98BB-43b2-96EE-28D0CE80CE3A}");
    registry::WriteString(registry::HKEY_CLASSES_ROOT, "CLSID\\" + GuidToString(other) + "\\InprocServer32",
                          "", server_path());
    EXPECT_EQ(CreateInstance(other, adder), CLASS_E_CLASSNOTAVAILABLE);
}

TEST_F(ComTest, AdviseGivesUniqueCookiesAndUnadviseTakesThemBack) {
    Sink a, b; // outlive the object, also when a check below ends the test early
    ASSERT_EQ(call_entry("DllRegisterServer"), S_OK);
    ComPtr<testsrv::IAdder> adder;
    ASSERT_EQ(CreateInstance(testsrv::CLSID_Adder, adder), S_OK);
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(adder.As(container), S_OK);
    ComPtr<IConnectionPoint> cp;
    EXPECT_EQ(container->FindConnectionPoint(IUnknown::kIID, cp.put()), CONNECT_E_NOCONNECTION);
    ASSERT_EQ(container->FindConnectionPoint(testsrv::IAdderEvents::kIID, cp.put()), S_OK);
    IID iid;
    EXPECT_EQ(cp->GetConnectionInterface(&iid), S_OK);
    EXPECT_EQ(iid, testsrv::IAdderEvents::kIID);

    DWORD ca = 0, cb = 0, cb2 = 0;
    ASSERT_EQ(cp->Advise(&a, &ca), S_OK);
    ASSERT_EQ(cp->Advise(&b, &cb), S_OK);
    ASSERT_EQ(cp->Advise(&b, &cb2), S_OK); // the same sink twice: called once per connection
    EXPECT_NE(ca, 0u);
    EXPECT_EQ(std::set<DWORD>({ca, cb, cb2}).size(), 3u);
    EXPECT_EQ(a.refs, 2u);
    EXPECT_EQ(b.refs, 3u);

    int32_t sum;
    adder->Add(1, 2, &sum);
    EXPECT_EQ(a.sums, std::vector<int32_t>({3}));
    EXPECT_EQ(b.sums, std::vector<int32_t>({3, 3}));

    EXPECT_EQ(cp->Unadvise(ca), S_OK);
    EXPECT_EQ(a.refs, 1u);
    EXPECT_EQ(cp->Unadvise(ca), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(cp->Unadvise(0), CONNECT_E_NOCONNECTION);
    adder->Add(2, 2, &sum);
    EXPECT_EQ(a.sums.size(), 1u);

    // A cookie is never handed out again, even after its connection went.
    DWORD again = 0;
    ASSERT_EQ(cp->Advise(&a, &again), S_OK);
    EXPECT_EQ(std::set<DWORD>({ca, cb, cb2, again}).size(), 4u);

    // A sink may leave from inside its own call; the others are still called.
    b.unadvise_from = cp.get();
    b.unadvise_cookie = cb;
    a.sums.clear();
    b.sums.clear();
    adder->Add(5, 5, &sum);
    EXPECT_EQ(b.sums, std::vector<int32_t>({10, 10}));
    EXPECT_EQ(a.sums, std::vector<int32_t>({10}));
    EXPECT_EQ(cp->Unadvise(cb), CONNECT_E_NOCONNECTION);

    Stranger stranger;
    DWORD c = 7;
    EXPECT_EQ(cp->Advise(&stranger, &c), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cp->Advise(nullptr, &c), E_POINTER);
    EXPECT_EQ(cp->Advise(&a, nullptr), E_POINTER);

    // Releasing the object releases the sinks it still holds.
    cp.reset();
    container.reset();
    adder.reset();
    EXPECT_EQ(a.refs, 1u);
    EXPECT_EQ(b.refs, 1u);
}

TEST(SinkList, LimitAndOrder) {
    Sink a, b, c; // outlive the list, which releases what it still holds
    SinkList<testsrv::IAdderEvents> list(2);
    DWORD k1 = 0, k2 = 0, k3 = 0;
    EXPECT_EQ(list.add(&a, &k1), S_OK);
    EXPECT_EQ(list.add(&b, &k2), S_OK);
    EXPECT_EQ(list.add(&c, &k3), CONNECT_E_ADVISELIMIT);
    EXPECT_EQ(c.refs, 1u);
    std::vector<testsrv::IAdderEvents*> order;
    list.for_each([&](testsrv::IAdderEvents* s) { order.push_back(s); });
    EXPECT_EQ(order, std::vector<testsrv::IAdderEvents*>({&a, &b}));
    EXPECT_TRUE(list.remove(k1));
    EXPECT_FALSE(list.remove(k1));
    EXPECT_EQ(list.add(&c, &k3), S_OK);
    EXPECT_GT(k3, k2);
}

TEST_F(ComTest, RegistrationToolRegistersAndUnregisters) {
    const std::string tool = bin_dir() + "/regsvr";
    std::string out;
    ASSERT_EQ(test_env::run(tool + " " + server_path() + " 2>&1", &out), 0) << out;
    EXPECT_NE(out.find("DllRegisterServer"), std::string::npos);
    ComPtr<testsrv::IAdder> adder;
    EXPECT_EQ(CreateInstance(std::string(testsrv::kVersionIndependentProgId), adder), S_OK);
    adder.reset();
    ASSERT_EQ(test_env::run(tool + " /u /s " + server_path() + " 2>&1", &out), 0) << out;
    EXPECT_EQ(out, "");
    EXPECT_EQ(CreateInstance(testsrv::CLSID_Adder, adder), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(test_env::run(tool + " /s " + test_env::root() + "/none.so"), 3);
    EXPECT_EQ(test_env::run(tool + " /s libm.so.6"), 4);
}

} // namespace
