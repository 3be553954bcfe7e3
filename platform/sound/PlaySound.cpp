#include "PlaySound.h"

#include "AlsaQuiet.h"

#include <alsa/asoundlib.h>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace sound {

namespace {

uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

class AlsaSink : public PcmSink {
public:
    ~AlsaSink() override {
        if (pcm_) snd_pcm_close(pcm_);
    }
    bool open(const WaveFormat& f) override {
        frame_bytes_ = f.block_align;
        silence_alsa_messages();
        // Opened without blocking: a busy or absent device must not hold the caller.
        if (snd_pcm_open(&pcm_, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) {
            pcm_ = nullptr;
            return false;
        }
        snd_pcm_nonblock(pcm_, 0);
        const snd_pcm_format_t fmt = f.bits_per_sample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
        if (snd_pcm_set_params(pcm_, fmt, SND_PCM_ACCESS_RW_INTERLEAVED, f.channels, f.samples_per_sec, 1,
                               100000) < 0)
            return false;
        return true;
    }
    bool write(const uint8_t* frames, size_t count) override {
        while (count > 0) {
            const snd_pcm_sframes_t n = snd_pcm_writei(pcm_, frames, count);
            if (n < 0) {
                if (snd_pcm_recover(pcm_, static_cast<int>(n), 1) < 0) return false;
                continue;
            }
            count -= static_cast<size_t>(n);
            frames += static_cast<size_t>(n) * frame_bytes_;
        }
        return true;
    }
    void drain() override { snd_pcm_drain(pcm_); }

private:
    snd_pcm_t* pcm_ = nullptr;
    size_t frame_bytes_ = 1;
};

struct Player {
    std::mutex mutex; // guards the fields below and the start and stop of sounds
    PcmSinkFactory factory;
    std::thread worker;
    std::shared_ptr<PcmSink> sink;
    std::atomic<bool> stop{false};
    std::atomic<PlayState> state{PlayState::Idle};

    ~Player() { halt(); }

    void halt() {
        stop = true;
        if (auto s = sink) s->abort();
        if (worker.joinable()) worker.join();
        sink.reset();
        stop = false;
    }
};

Player& player() {
    static Player p;
    return p;
}

void play(std::vector<uint8_t> file, WaveFormat format, size_t offset, size_t length,
          std::shared_ptr<PcmSink> sink) {
    Player& p = player();
    if (!sink->open(format)) {
        p.state = PlayState::NoDevice;
        return;
    }
    // Written in pieces of about 20 ms, so that a new sound can cut this one short.
    const size_t frame = format.block_align;
    const size_t chunk = std::max<size_t>(1, format.samples_per_sec / 50);
    size_t frames = length / frame, at = 0;
    while (at < frames) {
        if (p.stop) {
            p.state = PlayState::Stopped;
            return;
        }
        const size_t n = std::min(chunk, frames - at);
        if (!sink->write(file.data() + offset + at * frame, n)) {
            p.state = p.stop ? PlayState::Stopped : PlayState::NoDevice;
            return;
        }
        at += n;
    }
    sink->drain();
    p.state = PlayState::Finished;
}

} // namespace

bool ParseWave(const uint8_t* file, size_t max_size, WaveFormat& format, const uint8_t*& samples,
               size_t& sample_bytes) {
    samples = nullptr;
    sample_bytes = 0;
    if (!file || max_size < 12) return false;
    if (std::memcmp(file, "RIFF", 4) != 0 || std::memcmp(file + 8, "WAVE", 4) != 0) return false;
    const uint64_t end = std::min<uint64_t>(uint64_t(le32(file + 4)) + 8, max_size);
    uint64_t at = 12;
    bool have_format = false;
    while (at + 8 <= end) {
        const uint8_t* chunk = file + at;
        const uint64_t size = le32(chunk + 4);
        if (at + 8 + size > end) return false; // a chunk longer than the file
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16) return false;
            format.format_tag = le16(chunk + 8);
            format.channels = le16(chunk + 10);
            format.samples_per_sec = le32(chunk + 12);
            format.avg_bytes_per_sec = le32(chunk + 16);
            format.block_align = le16(chunk + 20);
            format.bits_per_sample = le16(chunk + 22);
            have_format = true;
        } else if (std::memcmp(chunk, "data", 4) == 0 && have_format) {
            samples = chunk + 8;
            sample_bytes = static_cast<size_t>(size);
            break;
        }
        at += 8 + size + (size & 1); // chunks are padded to even lengths
    }
    if (!have_format || !samples) return false;
    const bool pcm = format.format_tag == 1 && (format.bits_per_sample == 8 || format.bits_per_sample == 16);
    return pcm && format.channels >= 1 && format.channels <= 8 && format.samples_per_sec >= 1000 &&
           format.samples_per_sec <= 192000 &&
           format.block_align == format.channels * format.bits_per_sample / 8;
}

bool PlaySoundA(const void* sound, void*, uint32_t flags) {
    Player& p = player();
    std::unique_lock lock(p.mutex);
    p.halt();
    if (!sound || (flags & SND_PURGE)) {
        p.state = PlayState::Stopped;
        return sound == nullptr;
    }
    if (!(flags & SND_MEMORY)) {
        p.state = PlayState::BadData; // sounds by name or file are not offered here
        return false;
    }
    const auto* file = static_cast<const uint8_t*>(sound);
    WaveFormat format;
    const uint8_t* samples;
    size_t n;
    if (!ParseWave(file, SIZE_MAX, format, samples, n)) {
        p.state = PlayState::BadData;
        return false;
    }
    const size_t offset = static_cast<size_t>(samples - file);
    std::vector<uint8_t> copy(file, file + offset + n);
    p.sink = p.factory ? std::shared_ptr<PcmSink>(p.factory()) : std::make_shared<AlsaSink>();
    p.state = PlayState::Playing;
    p.worker = std::thread(play, std::move(copy), format, offset, n, p.sink);
    if (flags & SND_ASYNC) return true;
    p.worker.join();
    p.sink.reset();
    return p.state == PlayState::Finished;
}

void SetPcmSinkFactory(PcmSinkFactory factory) {
    Player& p = player();
    std::lock_guard lock(p.mutex);
    p.halt();
    p.factory = std::move(factory);
}

PlayState LastPlayState() {
    return player().state;
}

void WaitForSound() {
    Player& p = player();
    std::lock_guard lock(p.mutex);
    if (p.worker.joinable()) p.worker.join();
    p.sink.reset();
}

std::string ClickWave() {
    const uint32_t rate = 11025, count = 1896;
    std::string w;
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            w.push_back(static_cast<char>(v >> (8 * i)));
    };
    auto put16 = [&](uint16_t v) {
        w.push_back(static_cast<char>(v));
        w.push_back(static_cast<char>(v >> 8));
    };
    w += "RIFF";
    put32(36 + count);
    w += "WAVEfmt ";
    put32(16);
    put16(1);
    put16(1);
    put32(rate);
    put32(rate);
    put16(1);
    put16(8);
    w += "data";
    put32(count);
    // A short knock: a falling tone under a fast decay, silent well before the end.
    for (uint32_t i = 0; i < count; ++i) {
        const double t = double(i) / rate;
        const double v = std::exp(-t * 60.0) * std::sin(2 * M_PI * (1800.0 - 6000.0 * t) * t);
        w.push_back(static_cast<char>(static_cast<uint8_t>(std::lround(128 + 110 * v))));
    }
    return w;
}

} // namespace sound
