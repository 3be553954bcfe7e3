#include "AlsaQuiet.h"

#include <alsa/asoundlib.h>
#include <mutex>

namespace sound {

namespace {
void quiet(const char*, int, const char*, int, const char*, ...) {}
} // namespace

void silence_alsa_messages() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(quiet); });
}

} // namespace sound
