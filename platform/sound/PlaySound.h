#pragma once
// Playing a WAV file held in memory, in the background or to its end. Where
// there is no sound device the sound is silently not played: nothing is
// raised and nothing printed.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace sound {

inline constexpr uint32_t SND_SYNC = 0x0000;
inline constexpr uint32_t SND_ASYNC = 0x0001;     // return at once, play in the background
inline constexpr uint32_t SND_NODEFAULT = 0x0002; // never a default sound in place of a bad one
inline constexpr uint32_t SND_MEMORY = 0x0004;    // `sound` points at a whole WAV file in memory
inline constexpr uint32_t SND_PURGE = 0x0040;

// Plays the WAV file at `sound` (with SND_MEMORY); a null `sound` stops what
// plays. A new sound stops the one still playing. The bytes are copied, so
// the caller's buffer need not outlive the call. False when nothing plays
// (no sound device, a file that is no PCM WAV, no SND_MEMORY). `module` is
// accepted and unused.
bool PlaySoundA(const void* sound, void* module, uint32_t flags);

struct WaveFormat {
    uint16_t format_tag = 0;
    uint16_t channels = 0;
    uint32_t samples_per_sec = 0;
    uint32_t avg_bytes_per_sec = 0;
    uint16_t block_align = 0;
    uint16_t bits_per_sample = 0;
};

// Reads a RIFF WAVE file: its "fmt " chunk and the bytes of its "data" chunk.
// No chunk is read past the end that the RIFF header declares, nor past
// `max_size` when that is known; false for anything that is no 8- or 16-bit
// PCM file.
bool ParseWave(const uint8_t* file, size_t max_size, WaveFormat& format, const uint8_t*& samples,
               size_t& sample_bytes);

// A complete WAV file of the program's click: 8-bit mono PCM at 11025 Hz,
// 1896 sample bytes (about 172 ms), 1940 bytes in all.
std::string ClickWave();

// Where the samples go: the sound device, or a test's own sink.
class PcmSink {
public:
    virtual ~PcmSink() = default;
    // False when there is no device for this format.
    virtual bool open(const WaveFormat& format) = 0;
    // Plays whole frames; false ends the sound.
    virtual bool write(const uint8_t* frames, size_t frame_count) = 0;
    // Waits until what was written has been heard.
    virtual void drain() = 0;
    // Called from another thread to cut a sound short; may be called while write() runs.
    virtual void abort() {}
};
using PcmSinkFactory = std::function<std::unique_ptr<PcmSink>()>;
// Installs the sink maker (nullptr: the sound device through ALSA).
void SetPcmSinkFactory(PcmSinkFactory factory);

enum class PlayState { Idle, Playing, Finished, Stopped, NoDevice, BadData };
// The state of the latest sound.
PlayState LastPlayState();
// Waits until the latest sound has ended (tests and program end).
void WaitForSound();

} // namespace sound
