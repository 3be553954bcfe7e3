#include "MidiOut.h"
#include "PlaySound.h"

#include <condition_variable>
#include <cstring>
#include <gtest/gtest.h>
#include <mutex>

namespace {

using namespace sound;

// A sound device that holds each write until the test lets it go.
struct GatedSink : PcmSink {
    struct Shared {
        std::mutex m;
        std::condition_variable cv;
        bool open_gate = false, aborted = false;
        int opens = 0;
        size_t frames = 0;
        WaveFormat format;
    };
    explicit GatedSink(std::shared_ptr<Shared> s) : s_(std::move(s)) {}
    bool open(const WaveFormat& f) override {
        std::lock_guard g(s_->m);
        ++s_->opens;
        s_->format = f;
        return true;
    }
    bool write(const uint8_t*, size_t n) override {
        std::unique_lock g(s_->m);
        s_->cv.wait(g, [&] { return s_->open_gate || s_->aborted; });
        if (s_->aborted) return false;
        s_->frames += n;
        return true;
    }
    void drain() override {}
    void abort() override {
        std::lock_guard g(s_->m);
        s_->aborted = true;
        s_->cv.notify_all();
    }
    std::shared_ptr<Shared> s_;
};

TEST(Wave, TheClickIsTheFileItShouldBe) {
    const std::string click = ClickWave();
    ASSERT_EQ(click.size(), 1940u);
    WaveFormat f;
    const uint8_t* samples;
    size_t n;
    ASSERT_TRUE(ParseWave(reinterpret_cast<const uint8_t*>(click.data()), click.size(), f, samples, n));
    EXPECT_EQ(f.format_tag, 1);
    EXPECT_EQ(f.channels, 1);
    EXPECT_EQ(f.samples_per_sec, 11025u);
    EXPECT_EQ(f.avg_bytes_per_sec, 11025u);
    EXPECT_EQ(f.block_align, 1);
    EXPECT_EQ(f.bits_per_sample, 8);
    EXPECT_EQ(n, 1896u);
    EXPECT_EQ(samples - reinterpret_cast<const uint8_t*>(click.data()), 44);
}

TEST(Wave, LengthsThatPointPastTheFileAreRefused) {
    std::string w = ClickWave();
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(w.data() + at, &v, 4); };
    const auto* p = reinterpret_cast<const uint8_t*>(w.data());
    WaveFormat f;
    const uint8_t* s;
    size_t n;
    std::string good = w;
    put32(40, 100000); // data chunk longer than the file
    EXPECT_FALSE(ParseWave(p, w.size(), f, s, n));
    w = good;
    put32(4, 100000); // RIFF size beyond what the caller has
    EXPECT_FALSE(ParseWave(p, 50, f, s, n));
    w = good;
    put32(16, 12); // a format chunk too short to hold a format
    EXPECT_FALSE(ParseWave(p, w.size(), f, s, n));
    w = good;
    w[20] = 3; // not PCM
    EXPECT_FALSE(ParseWave(p, w.size(), f, s, n));
    EXPECT_FALSE(PlaySoundA(w.data(), nullptr, SND_ASYNC | SND_MEMORY));
    EXPECT_EQ(LastPlayState(), PlayState::BadData);
}

TEST(PlaySound, AsynchronousReturnsBeforeTheSoundEndsAndANewOneStopsIt) {
    auto shared = std::make_shared<GatedSink::Shared>();
    SetPcmSinkFactory([shared] { return std::make_unique<GatedSink>(shared); });
    std::string click = ClickWave();
    // The device holds the first write: the call must come back all the same.
    ASSERT_TRUE(PlaySoundA(click.data(), nullptr, SND_ASYNC | SND_NODEFAULT | SND_MEMORY));
    EXPECT_EQ(LastPlayState(), PlayState::Playing);
    click.assign(click.size(), '\0'); // the caller's bytes may change at once
    // A second sound cuts the first short.
    const std::string again = ClickWave();
    ASSERT_TRUE(PlaySoundA(again.data(), nullptr, SND_ASYNC | SND_MEMORY));
    {
        std::lock_guard g(shared->m);
        EXPECT_TRUE(shared->aborted);
        shared->aborted = false;
        shared->open_gate = true;
        shared->cv.notify_all();
    }
    WaitForSound();
    EXPECT_EQ(LastPlayState(), PlayState::Finished);
    EXPECT_EQ(shared->opens, 2);
    EXPECT_EQ(shared->frames, 1896u);
    EXPECT_EQ(shared->format.samples_per_sec, 11025u);
    // A null sound stops whatever plays.
    EXPECT_TRUE(PlaySoundA(nullptr, nullptr, 0));
    EXPECT_EQ(LastPlayState(), PlayState::Stopped);
    SetPcmSinkFactory(nullptr);
}

TEST(PlaySound, WithoutASoundDeviceNothingIsRaised) {
    // This machine's own device (none where the tests run): silent, and over.
    const std::string click = ClickWave();
    EXPECT_NO_THROW(PlaySoundA(click.data(), nullptr, SND_ASYNC | SND_NODEFAULT | SND_MEMORY));
    WaitForSound();
    const PlayState s = LastPlayState();
    EXPECT_TRUE(s == PlayState::NoDevice || s == PlayState::Finished) << int(s);
}

TEST(Midi, CallsGoToTheInstalledOutput) {
    RecordingMidiOut rec({"Synth A", "A name longer than the thirty-one characters"}, true);
    SetMidiBackend(&rec);
    EXPECT_EQ(midiOutGetNumDevs(), 2u);
    MIDIOUTCAPSA caps;
    ASSERT_EQ(midiOutGetDevCapsA(1, &caps, sizeof caps), MMSYSERR_NOERROR);
    EXPECT_EQ(std::string(caps.szPname), "A name longer than the thirty-o");
    ASSERT_EQ(midiOutGetDevCapsA(static_cast<uintptr_t>(-1), &caps, sizeof caps), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutGetDevCapsA(2, &caps, sizeof caps), MMSYSERR_BADDEVICEID);

    HMIDIOUT h = 0;
    ASSERT_EQ(midiOutOpen(&h, MIDI_MAPPER, 0, 0, 0), MMSYSERR_NOERROR);
    EXPECT_NE(h, 0u);
    EXPECT_EQ(midiOutShortMsg(h, 0x7F3C90), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutClose(h), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutShortMsg(h, 0x90), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiOutClose(h), MMSYSERR_INVALHANDLE);
    ASSERT_EQ(rec.sent.size(), 1u);
    EXPECT_EQ(rec.sent[0].device, 0u); // the mapper is the first device
    EXPECT_EQ(rec.triples(), std::vector<std::vector<int>>({{0x90, 60, 127}}));
    EXPECT_TRUE(rec.open_ports.empty());

    char text[128];
    EXPECT_EQ(midiOutGetErrorTextA(MMSYSERR_BADDEVICEID, text, sizeof text), MMSYSERR_NOERROR);
    EXPECT_STRNE(text, "");
    EXPECT_EQ(midiOutGetErrorTextA(12345, text, sizeof text), MMSYSERR_BADERRNUM);
    SetMidiBackend(nullptr);
}

TEST(Midi, WithoutASequencerThereAreNoDevicesAndOpenFails) {
    // The machine's own MIDI: where no sequencer answers, nothing opens and nothing is raised.
    const uint32_t n = midiOutGetNumDevs();
    if (n > 0) GTEST_SKIP() << "this machine has MIDI output devices";
    HMIDIOUT h = 123;
    EXPECT_NE(midiOutOpen(&h, MIDI_MAPPER, 0, 0, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(h, 0u);
    MIDIOUTCAPSA caps;
    EXPECT_EQ(midiOutGetDevCapsA(static_cast<uintptr_t>(-1), &caps, sizeof caps), MMSYSERR_BADDEVICEID);
}

} // namespace
