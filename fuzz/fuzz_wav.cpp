// The WAV reader: a file in memory is either refused or gives a format and
// samples that lie inside it.
#include "FuzzSupport.h"
#include "PlaySound.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly the input's size, so that a read past it is caught.
    std::vector<uint8_t> file(data, data + size);
    sound::WaveFormat format;
    const uint8_t* samples = nullptr;
    size_t sample_bytes = 0;
    if (!sound::ParseWave(file.data(), file.size(), format, samples, sample_bytes)) return 0;
    if (samples < file.data() || samples + sample_bytes > file.data() + file.size()) std::abort();
    if (format.channels == 0 || format.block_align == 0) std::abort();
    volatile uint8_t sum = 0;
    for (size_t i = 0; i < sample_bytes; ++i)
        sum = sum + samples[i];
    return 0;
}
