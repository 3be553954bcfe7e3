#pragma once
// What the capture library's tests share: the library registered into a
// registry of the test's own, three synthetic devices, a recording sink and
// a pump for the creating thread's message queue.
#include "ComCreate.h"
#include "ComPtr.h"
#include "IVideoCap.h"
#include "MessageQueue.h"
#include "Registry.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

namespace capture_test {

inline std::string library_path() {
    return std::filesystem::canonical("/proc/self/exe").parent_path().string() + "/OrvelCap5.so";
}

// One of the library's own exports, called as the registration tool does.
inline com::HRESULT call_export(const char* name) {
    void* h = ::dlopen(library_path().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) return com::E_FAIL;
    auto fn = reinterpret_cast<com::HRESULT (*)()>(::dlsym(h, name));
    const com::HRESULT hr = fn ? fn() : com::E_FAIL;
    ::dlclose(h);
    return hr;
}

// An HDMI grabber with three formats, a second camera and a line input.
inline const char* kDevices = "only;"
                              "video|HDMI Capture|USB3 HDMI grabber|/synthetic/hdmi|a1b2:c3|RGB24 "
                              "1920x1080@50,RGB24 1280x720@60,YUY2 640x480@25;"
                              "video|Second Cam|Spare camera|/synthetic/spare||RGB24 320x240@25;"
                              "audio|Line In|Test tone|/synthetic/tone||PCM 44100 2 16";

class CaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string dir = test_env::make_dir(
            std::string("cap-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        registry::SetRegistryFilePath(dir + "/registry.txt");
        setenv("TIDEWICK_SYNTHETIC_DEVICES", kDevices, 1);
        ASSERT_EQ(call_export("DllRegisterServer"), com::S_OK);
    }
    void TearDown() override { registry::SetRegistryFilePath({}); }

    com::ComPtr<IVideoCap> create() {
        com::ComPtr<IVideoCap> cap;
        EXPECT_EQ(com::CreateInstance(CLSID_VideoCap5, cap), com::S_OK);
        return cap;
    }
};

inline int32_t set_source(IVideoCap* cap, const std::string& source) {
    int32_t found = -1;
    com::Bstr s(source);
    EXPECT_EQ(cap->SetSource(s.get(), &found), com::S_OK) << source;
    return found;
}
inline std::string get(IVideoCap* cap, const std::string& key) {
    com::Bstr k(key), v;
    EXPECT_EQ(cap->GetProperty(k.get(), v.put()), com::S_OK);
    return v.str();
}
inline void set(IVideoCap* cap, const std::string& key, const std::string& value) {
    com::Bstr k(key), v(value);
    EXPECT_EQ(cap->SetProperty(k.get(), v.get()), com::S_OK);
}
inline std::string last_error(IVideoCap* cap) {
    com::Bstr v;
    EXPECT_EQ(cap->GetLastError(v.put()), com::S_OK);
    return v.str();
}

enum class Kind { DV, RGB, Audio };

struct Event {
    Kind kind;
    double time;
    const uint8_t* buffer;
    int32_t size;
    int32_t device;
    std::thread::id thread;
};

// Records every event; `on_event` runs inside the call.
class Sink final : public IVideoCapEvent {
public:
    com::HRESULT QueryInterface(com::REFIID riid, void** ppv) override {
        if (riid == com::IUnknown::kIID || riid == IVideoCapEvent::kIID) {
            *ppv = static_cast<IVideoCapEvent*>(this);
            AddRef();
            return com::S_OK;
        }
        *ppv = nullptr;
        return com::E_NOINTERFACE;
    }
    com::ULONG AddRef() override { return ++refs; }
    com::ULONG Release() override { return --refs; }
    com::HRESULT OnDVEvent(IVideoCap* s, double t, const uint8_t* b, int32_t n, int32_t d) override {
        return record(Kind::DV, s, t, b, n, d);
    }
    com::HRESULT OnRGBEvent(IVideoCap* s, double t, const uint8_t* b, int32_t n, int32_t d) override {
        return record(Kind::RGB, s, t, b, n, d);
    }
    com::HRESULT OnAudioEvent(IVideoCap* s, double t, const uint8_t* b, int32_t n, int32_t d) override {
        return record(Kind::Audio, s, t, b, n, d);
    }
    size_t count(Kind k) const {
        size_t n = 0;
        for (const auto& e : events)
            if (e.kind == k) ++n;
        return n;
    }

    std::atomic<com::ULONG> refs{1};
    std::vector<Event> events;
    std::function<void(const Event&, IVideoCap*)> on_event;
    std::string name;
    std::vector<std::string>* order = nullptr;

private:
    com::HRESULT record(Kind k, IVideoCap* s, double t, const uint8_t* b, int32_t n, int32_t d) {
        events.push_back({k, t, b, n, d, std::this_thread::get_id()});
        if (order) order->push_back(name);
        if (on_event) on_event(events.back(), s);
        return com::S_OK;
    }
};

// Runs the creating thread's queue until `done` or the time is up.
template <class Pred> bool pump_until(Pred done, int ms = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        msgqueue::MessageQueue::ForCurrentThread().pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
inline void pump_for(int ms) {
    pump_until([] { return false; }, ms);
}

} // namespace capture_test
