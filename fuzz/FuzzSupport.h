#pragma once
// What every fuzz target shares: a private home for the settings, logs and
// registry the readers touch, a headless Qt application, and errors trapped
// and dropped as in the normal mode (a refused input is no finding).
#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz_support {

// Once per process; cheap on every later call.
void Init();

// The bytes as a file with the given suffix (".qf3", ".avi", ...), the same
// path every time so that one input costs one write and no folder walk.
std::string Write_Input(const uint8_t* data, size_t size, const std::string& suffix);

// The folder that holds the process's private files.
const std::string& Home();

} // namespace fuzz_support
