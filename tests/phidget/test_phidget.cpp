#include "ErrorOf.h"
#include "PhidgetInterfaceKit.h"
#include "TestEnv.h"
#include "VbError.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

using namespace phidget;

// What a kit's handlers saw, and on which thread.
struct Events {
    explicit Events(PhidgetInterfaceKit& kit) {
        kit.OnAttach = [this] { log.push_back("attach"), threads.push_back(std::this_thread::get_id()); };
        kit.OnDetach = [this] { log.push_back("detach"), threads.push_back(std::this_thread::get_id()); };
        kit.OnInputChange = [this](int32_t i, bool s) {
            log.push_back("in" + std::to_string(i) + (s ? "+" : "-"));
            threads.push_back(std::this_thread::get_id());
        };
        kit.OnOutputChange = [this](int32_t i, bool s) {
            log.push_back("out" + std::to_string(i) + (s ? "+" : "-"));
        };
    }
    std::vector<std::string> take() {
        DeliverEvents();
        auto l = std::move(log);
        log.clear();
        return l;
    }
    std::vector<std::string> log;
    std::vector<std::thread::id> threads;
};

using Log = std::vector<std::string>;

class ControlBox : public ::testing::Test {
protected:
    void SetUp() override {
        StandInBox::Reset();
        ResetLibrary();
    }
    void TearDown() override {
        DeliverEvents();
        StandInBox::Reset();
        ResetLibrary();
    }
};

using test_env::error_of;

TEST_F(ControlBox, CreationFailsWhileTheLibraryIsNotInstalled) {
    ::setenv("TIDEWICK_PHIDGET_LIBRARY", "absent", 1);
    EXPECT_FALSE(LibraryInstalled());
    EXPECT_EQ(error_of([] { PhidgetInterfaceKit::Create(); }), 429);
    ::unsetenv("TIDEWICK_PHIDGET_LIBRARY");
    EXPECT_TRUE(LibraryInstalled());
    SetLibraryInstalled(false);
    EXPECT_EQ(error_of([] { PhidgetInterfaceKit::Create(); }), 429);
    SetLibraryInstalled(true);
    EXPECT_NE(PhidgetInterfaceKit::Create(), nullptr);
}

TEST_F(ControlBox, VersionTextHoldsBothVersionsAndSaysItIsAStandIn) {
    const std::string v = PhidgetInterfaceKit::Create()->LibraryVersion();
    EXPECT_NE(v.find("Phidget COM Library 2.1.6"), std::string::npos);
    EXPECT_NE(v.find("Phidget21 - Version 2.1.6"), std::string::npos);
    EXPECT_NE(v.find("stand-in"), std::string::npos);
    SetLibraryVersion("Phidget COM Library 2.1.8");
    EXPECT_EQ(PhidgetInterfaceKit::Create()->LibraryVersion(), "Phidget COM Library 2.1.8");
}

TEST_F(ControlBox, AttachInputsOutputsAndDetachArriveAsEvents) {
    auto kit = PhidgetInterfaceKit::Create();
    Events ev(*kit);
    kit->Open(0);
    EXPECT_FALSE(kit->IsAttached());
    EXPECT_EQ(error_of([&] { kit->SerialNumber(); }), kErrNotAttached);
    EXPECT_EQ(ev.take(), Log());

    StandInBox::Plug(123456);
    EXPECT_TRUE(ev.log.empty()); // raised when the thread next handles its events, not inside the call
    EXPECT_EQ(ev.take(), Log({"attach"}));
    EXPECT_TRUE(kit->IsAttached());
    EXPECT_EQ(kit->SerialNumber(), 123456);
    EXPECT_EQ(kit->InputCount(), 8);
    EXPECT_EQ(kit->OutputCount(), 8);

    StandInBox::SetInput(1, true);
    StandInBox::SetInput(1, true); // no change, no event
    StandInBox::SetInput(0, true);
    StandInBox::SetInput(0, false);
    EXPECT_EQ(ev.take(), Log({"in1+", "in0+", "in0-"}));
    EXPECT_TRUE(kit->InputState(1));
    EXPECT_FALSE(kit->InputState(0));

    kit->OutputState(0, true);
    EXPECT_TRUE(StandInBox::Output(0));
    EXPECT_TRUE(kit->OutputState(0));
    EXPECT_EQ(ev.take(), Log({"out0+"}));
    EXPECT_EQ(error_of([&] { kit->OutputState(8, true); }), kErrOutOfBounds);
    EXPECT_EQ(error_of([&] { kit->InputState(-1); }), kErrOutOfBounds);

    StandInBox::Unplug();
    EXPECT_EQ(ev.take(), Log({"detach"}));
    EXPECT_FALSE(kit->IsAttached());
    EXPECT_EQ(error_of([&] { kit->OutputState(0, false); }), kErrNotAttached);
    StandInBox::SetInput(2, true); // a detached box tells nobody
    EXPECT_EQ(ev.take(), Log());

    // A kit opened while the box is in is told so; one looking for another box is not.
    StandInBox::Plug(7);
    auto other = PhidgetInterfaceKit::Create();
    Events other_ev(*other);
    other->Open(99);
    EXPECT_EQ(ev.take(), Log({"attach"}));
    EXPECT_EQ(other_ev.take(), Log());
    EXPECT_FALSE(other->IsAttached());
    kit->Close();
    StandInBox::SetInput(3, true);
    EXPECT_EQ(ev.take(), Log());
}

TEST_F(ControlBox, EventsDrivenFromAnotherThreadArriveOnTheProgramThread) {
    auto kit = PhidgetInterfaceKit::Create();
    Events ev(*kit);
    kit->Open(-1);
    std::thread wiring([] {
        StandInBox::Plug(42);
        StandInBox::SetInput(5, true);
    });
    wiring.join();
    EXPECT_EQ(ev.take(), Log({"attach", "in5+"}));
    for (auto id : ev.threads)
        EXPECT_EQ(id, std::this_thread::get_id());
}

// What must be read at the contact itself is read on the box's thread, in
// the order of the changes, and the work it hands over runs on the kit's
// thread in place of the plain event; other inputs keep their plain event.
TEST_F(ControlBox, AnInputChangeIsSeenAtOnceOnTheBoxThreadAndItsWorkQueued) {
    auto kit = PhidgetInterfaceKit::Create();
    Events ev(*kit);
    std::vector<std::pair<int32_t, std::thread::id>> at_once; // written on the box's thread only
    kit->OnInputChangeAtOnce = [&](int32_t index, bool state) -> std::function<void()> {
        at_once.emplace_back(index, std::this_thread::get_id());
        if (index != 0) return {};
        return [&ev, state] {
            ev.log.push_back(std::string("taken0") + (state ? "+" : "-"));
            ev.threads.push_back(std::this_thread::get_id());
        };
    };
    kit->Open(-1);
    std::thread::id box_thread;
    std::thread wiring([&] {
        box_thread = std::this_thread::get_id();
        StandInBox::Plug(42);
        StandInBox::SetInput(0, true);
        StandInBox::SetInput(2, true);
        StandInBox::SetInput(0, false);
    });
    wiring.join();
    ASSERT_EQ(at_once.size(), 3u) << "seen before the program thread handled anything";
    EXPECT_EQ(at_once[0].first, 0);
    EXPECT_EQ(at_once[1].first, 2);
    for (const auto& [index, id] : at_once)
        EXPECT_EQ(id, box_thread);
    EXPECT_EQ(ev.take(), Log({"attach", "taken0+", "in2+", "taken0-"}));
    for (auto id : ev.threads)
        EXPECT_EQ(id, std::this_thread::get_id());
}

TEST_F(ControlBox, AKitGoneBeforeItsEventsMissesThemQuietly) {
    auto kit = PhidgetInterfaceKit::Create();
    bool called = false;
    kit->OnAttach = [&] { called = true; };
    kit->Open(0);
    StandInBox::Plug(1);
    kit.reset();
    DeliverEvents();
    EXPECT_FALSE(called);
}

// Run in a child process of its own by the test below, with the variable set.
TEST(EnvironmentBox, PluggedAtFirstUse) {
    if (!std::getenv("TIDEWICK_PHIDGET_BOX"))
        GTEST_SKIP() << "runs inside ABoxNamedInTheEnvironmentIsPlugged";
    auto kit = PhidgetInterfaceKit::Create();
    kit->Open(0);
    EXPECT_TRUE(kit->IsAttached());
    EXPECT_EQ(kit->SerialNumber(), 31337);
}

TEST_F(ControlBox, ABoxNamedInTheEnvironmentIsPlugged) {
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string cmd = "TIDEWICK_PHIDGET_BOX=31337 '" + self +
                            "' --gtest_filter=EnvironmentBox.PluggedAtFirstUse --gtest_brief=0 2>&1";
    std::string out;
    EXPECT_EQ(test_env::run(cmd, &out), 0) << out;
    // The child must have run the one test to its end, not skipped it or matched nothing.
    EXPECT_NE(out.find("[       OK ] EnvironmentBox.PluggedAtFirstUse"), std::string::npos) << out;
    EXPECT_NE(out.find("[  PASSED  ] 1 test."), std::string::npos) << out;
    EXPECT_EQ(out.find("SKIPPED"), std::string::npos) << out;
}

} // namespace
