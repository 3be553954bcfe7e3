// The WAV reader and player: a file in memory is either refused or gives a
// format and samples that lie inside it, and a file the reader takes plays
// to its end through PlaySoundA (into a sink that takes the samples at once,
// in place of the sound device).
#include "FuzzSupport.h"
#include "PlaySound.h"

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// Takes every sample at once; touches each, so that a read past the file is caught.
class Quick_Sink : public sound::PcmSink {
public:
    bool open(const sound::WaveFormat& format) override {
        frame_ = format.block_align;
        return frame_ > 0;
    }
    bool write(const uint8_t* frames, size_t frame_count) override {
        volatile uint8_t sum = 0;
        for (size_t i = 0; i < frame_count * frame_; ++i)
            sum = sum + frames[i];
        return true;
    }
    void drain() override {}

private:
    size_t frame_ = 1;
};

void Setup() {
    static const bool done = [] {
        sound::SetPcmSinkFactory([] { return std::make_unique<Quick_Sink>(); });
        return true;
    }();
    (void)done;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Setup();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Setup();
    // A copy of exactly the input's size, so that a read past it is caught.
    std::vector<uint8_t> file(data, data + size);
    sound::WaveFormat format;
    const uint8_t* samples = nullptr;
    size_t sample_bytes = 0;
    if (!sound::ParseWave(file.data(), file.size(), format, samples, sample_bytes)) return 0;
    if (samples < file.data() || samples + sample_bytes > file.data() + file.size()) std::abort();
    if (format.channels == 0 || format.block_align == 0) std::abort();
    // The player takes a whole file, as its callers hand it: this one is.
    if (!sound::PlaySoundA(file.data(), nullptr, sound::SND_MEMORY | sound::SND_NODEFAULT)) std::abort();
    if (sound::LastPlayState() != sound::PlayState::Finished) std::abort();
    return 0;
}
