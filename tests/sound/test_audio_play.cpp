#include "Cls_audio_play.h"
#include "Module_qfn_Globals.h"
#include "PlayPOP.h"
#include "PlaySound.h"
#include "TestEnv.h"
#include "VbTrap.h"

#include <condition_variable>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>

namespace {

using Triples = std::vector<std::vector<int>>;

// Trapped errors land here instead of the error report.
struct Reported {
    int32_t number;
    std::string location;
};

class AudioPlay : public ::testing::Test {
protected:
    void SetUp() override {
        sound::SetMidiBackend(&rec);
        vb::SetErrorHandler([this](const vb::VbError& e, const std::string& loc, const std::string&) {
            reported.push_back({e.number(), loc});
        });
        vb::SetTrappingEnabled([] { return g_Compiled; });
        g_Compiled = true;
        g_Exiting = false;
        test_env::dialogs().clear();
    }
    void TearDown() override {
        sound::SetMidiBackend(nullptr);
        vb::SetErrorHandler(nullptr);
        vb::SetTrappingEnabled(nullptr);
        g_Compiled = false;
        g_Exiting = false;
    }
    // The messages one call sends, on a player whose creation messages are put aside.
    template <class F> Triples sent_by(F&& f) {
        Cls_audio_play player;
        rec.sent.clear();
        f(player);
        Triples t = rec.triples();
        rec.sent.clear();
        return t;
    }
    sound::RecordingMidiOut rec{{"Recording A", "Recording B"}};
    std::vector<Reported> reported;
};

Triples per_channel(int status, std::vector<int> controllers) {
    Triples t;
    for (int c = 0; c < 16; ++c)
        for (int k : controllers)
            t.push_back({status + c, k, 0});
    return t;
}

TEST_F(AudioPlay, EachMemberSendsTheMessagesOfTheTable) {
    const struct Case {
        const char* what;
        std::function<void(Cls_audio_play&)> call;
        Triples expected;
    } cases[] = {
        {"All_sounds_off", [](auto& p) { p.All_sounds_off(); }, per_channel(0xB0, {120, 123})},
        {"All_sound_off", [](auto& p) { p.All_sound_off(); }, per_channel(0xB0, {120, 123})},
        {"All_Notes_off(5)", [](auto& p) { p.All_Notes_off(5); }, {{0xB5, 120, 0}}},
        {"Bendersub(2, 8192)", [](auto& p) { p.Bendersub(2, 8192); }, {{0xE2, 0, 64}}},
        {"Bendersub(0, 16383)", [](auto& p) { p.Bendersub(0, 16383); }, {{0xE0, 127, 127}}},
        {"control_change(1, 7, 100)", [](auto& p) { p.control_change(1, 7, 100); }, {{0xB1, 7, 100}}},
        {"midisetrpn(0xB3, 0, 1, 2, 3)",
         [](auto& p) { p.midisetrpn(0xB3, 0, 1, 2, 3); },
         {{0xB3, 101, 0}, {0xB3, 100, 1}, {0xB3, 6, 2}, {0xB3, 38, 3}}},
        {"note_off(3, 60)", [](auto& p) { p.note_off(3, 60); }, {{0x93, 60, 0}}},
        {"Note_On(0, 60, 127)", [](auto& p) { p.Note_On(0, 60, 127); }, {{0x90, 60, 127}}},
        {"pitch_bend(1, 0, 64)", [](auto& p) { p.pitch_bend(1, 0, 64); }, {{0xE1, 0, 64}}},
        {"program_change(0, 0, 66)",
         [](auto& p) { p.program_change(0, 0, 66); },
         {{0xB0, 0, 0}, {0xC0, 66, 0}}},
        {"program_change(9, 2, 5)", [](auto& p) { p.program_change(9, 2, 5); }, {{0xB9, 0, 2}, {0xC9, 5, 0}}},
        {"reset_controllers", [](auto& p) { p.reset_controllers(); }, per_channel(0xB0, {121})},
        {"Midi_Outshort(0x90, 1, 2)", [](auto& p) { p.Midi_Outshort(0x90, 1, 2); }, {{0x90, 1, 2}}},
        {"Play_C4", [](auto& p) { p.Play_C4(); }, {{0x90, 60, 127}}},
        {"Play_G4", [](auto& p) { p.Play_G4(); }, {{0x90, 67, 127}}},
        {"Bend(100)", [](auto& p) { p.Bend(100); }, {{0xE0, 0, 125}}},
        {"Bend(50)", [](auto& p) { p.Bend(50); }, {{0xE0, 64, 62}}},
        {"Bend(51)", [](auto& p) { p.Bend(51); }, {{0xE0, 96, 63}}}, // 8160: the centre 8192 is never reached
        {"Bend(0)", [](auto& p) { p.Bend(0); }, {{0xE0, 0, 0}}},
        {"Bend(200) is capped", [](auto& p) { p.Bend(200); }, {{0xE0, 0, 125}}},
        // Below 0 the value stops at 0: no data byte may have its top bit set.
        {"Bend(-1)", [](auto& p) { p.Bend(-1); }, {{0xE0, 0, 0}}},
        {"Bend(-32768)", [](auto& p) { p.Bend(-32768); }, {{0xE0, 0, 0}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sent_by(c.call), c.expected) << c.what;
    EXPECT_TRUE(reported.empty());
}

TEST_F(AudioPlay, MessageWordLayout) {
    Cls_audio_play p;
    EXPECT_EQ(p.packdword(0, 127, 60, 0x90), 0x007F3C90);
    EXPECT_EQ(p.packdword(99, 0, 0, 0xC0), 0xC0); // the first byte plays no part
    rec.sent.clear();
    p.Note_On(0, 60, 127);
    ASSERT_EQ(rec.sent.size(), 1u);
    EXPECT_EQ(rec.sent[0].message, 0x007F3C90u);
    int16_t high = 0, low = 0;
    p.Nibblize(-160, high, low);
    EXPECT_EQ(low, 96);
    EXPECT_EQ(high, 254); // bits 7 to 14, as the splitting always did
}

TEST_F(AudioPlay, AFirstDataByteOf128OverflowsAndNothingIsSent) {
    EXPECT_EQ(sent_by([](auto& p) { p.Note_On(0, 128, 1); }), Triples());
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0].number, 6);
    EXPECT_EQ(reported[0].location, "Midi_Outshort of Class Module Cls_audio_play");
    // In the development mode the error reaches the caller.
    Cls_audio_play p;
    g_Compiled = false;
    EXPECT_THROW(p.Note_On(0, 200, 1), vb::VbError);
    EXPECT_THROW(p.packdword(0, 0, 128, 0x90), vb::VbError);
}

TEST_F(AudioPlay, CreationOpensTheMapperAndDestructionSilencesAndCloses) {
    {
        Cls_audio_play p;
        EXPECT_NE(p.hMidiOut(), 0u);
        EXPECT_EQ(rec.open_ports.size(), 1u);
        EXPECT_EQ(rec.triples(), Triples({{0xB0, 0, 0}, {0xC0, 66, 0}}));
        rec.sent.clear();
        // Reopening closes the device first.
        EXPECT_TRUE(p.midi_out_open(1));
        EXPECT_EQ(rec.open_ports.size(), 1u);
        EXPECT_EQ(rec.open_ports.begin()->second, 1u);
    }
    EXPECT_EQ(rec.triples(), per_channel(0xB0, {120, 123}));
    EXPECT_TRUE(rec.open_ports.empty());

    rec.sent.clear();
    g_Exiting = true;
    {
        Cls_audio_play p;
        EXPECT_EQ(p.hMidiOut(), 0u);
    }
    EXPECT_TRUE(rec.sent.empty()); // nothing open, so the silencing goes nowhere
}

TEST_F(AudioPlay, WithoutADeviceMessagesAreLostWithoutAReport) {
    sound::RecordingMidiOut none(std::vector<std::string>{});
    sound::SetMidiBackend(&none);
    Cls_audio_play p;
    EXPECT_EQ(p.hMidiOut(), 0u);
    EXPECT_FALSE(p.midi_out_open(-1));
    EXPECT_FALSE(p.midi_out_open(3));
    p.Play_C4();
    EXPECT_TRUE(none.sent.empty());
    EXPECT_TRUE(reported.empty());
}

struct FakeList {
    void Clear() { items.clear(); }
    void AddItem(const std::string& t) { items.push_back({t, 0}); }
    int32_t NewIndex() const { return static_cast<int32_t>(items.size()) - 1; }
    void ItemData(int32_t index, int32_t value) { items.at(static_cast<size_t>(index)).second = value; }
    std::vector<std::pair<std::string, int32_t>> items{{"old entry", 9}};
};

TEST_F(AudioPlay, ListsTheMapperAndTheNumberedDevices) {
    Cls_audio_play p;
    FakeList list;
    p.midi_listoutdevs(list);
    using Items = std::vector<std::pair<std::string, int32_t>>;
    EXPECT_EQ(list.items, Items({{"MIDI Mapper", -1}, {"Recording A", 0}, {"Recording B", 1}}));
    sound::RecordingMidiOut no_mapper({"Only"}, false);
    sound::SetMidiBackend(&no_mapper);
    p.midi_listoutdevs(list);
    EXPECT_EQ(list.items, Items({{"Only", 0}}));
}

TEST_F(AudioPlay, ErrorTextIsShownInAMessageBox) {
    Cls_audio_play p;
    p.midi_outerr(sound::MMSYSERR_BADDEVICEID);
    ASSERT_EQ(test_env::dialogs().shown.size(), 1u);
    EXPECT_EQ(test_env::dialogs().shown[0].prompt,
              "A device ID has been used that is out of range for your system.");
    EXPECT_EQ(test_env::dialogs().shown[0].buttons, 0);
}

TEST(PlayPOP, ReturnsAtOnceAndRaisesNothingOnThisMachine) {
    g_Compiled = false; // the development mode: an error would reach this test
    g_Click_Sound = Click_Sound_Resource();
    EXPECT_NO_THROW(PlayPOP());
    EXPECT_NO_THROW(PlayPOP()); // again while the first may still play
    sound::WaitForSound();
    const auto s = sound::LastPlayState();
    EXPECT_TRUE(s == sound::PlayState::NoDevice || s == sound::PlayState::Finished) << int(s);
    // Nothing loaded: nothing plays, and still nothing is raised.
    g_Click_Sound.clear();
    EXPECT_NO_THROW(PlayPOP());
    EXPECT_EQ(sound::LastPlayState(), sound::PlayState::Stopped);
}

// A device that never finishes its first write until the sound is cut short.
struct Stuck : sound::PcmSink {
    bool open(const sound::WaveFormat& f) override {
        return f.samples_per_sec == 11025 && f.bits_per_sample == 8;
    }
    bool write(const uint8_t*, size_t) override {
        std::unique_lock g(m);
        cv.wait(g, [this] { return released; });
        return false;
    }
    void drain() override {}
    void abort() override {
        std::lock_guard g(m);
        released = true;
        cv.notify_all();
    }
    std::mutex m;
    std::condition_variable cv;
    bool released = false;
};

TEST(PlayPOP, PlaysTheClickInTheBackground) {
    // A device that never finishes its first write: PlayPOP must still come back.
    sound::SetPcmSinkFactory([] { return std::make_unique<Stuck>(); });
    g_Click_Sound = Click_Sound_Resource();
    PlayPOP();
    EXPECT_EQ(sound::LastPlayState(), sound::PlayState::Playing);
    sound::SetPcmSinkFactory(nullptr); // stops the stuck sound
    EXPECT_EQ(sound::LastPlayState(), sound::PlayState::Stopped);
    g_Click_Sound.clear();
}

} // namespace
