#pragma once
// What the capture window's tests, the soak run and the capture benchmark
// need around the window: the capture library registered with a synthetic
// camera, the heat's start stamped as the start signal stamps it, and a plain
// window in place of the full-screen preview.
#include "Controls.h"
#include "Form.h"
#include "PictureBox.h"

#include <cstdint>
#include <filesystem>
#include <string>

class Form_capture_multi_file;

namespace capture_rig {

// The synthetic 1920 x 1080 camera at 50 frames per second, as the README describes it.
inline constexpr const char* kSynthetic_Camera =
    "video|Synthetic HDMI|Test pattern|/synthetic/0||RGB24 1920x1080@50";

// Registers the capture library beside this executable into the registry file
// `registry_file`; false when it could not.
bool Register_Capture_Library(const std::string& registry_file);

// A home of the program's own in the temporary folder (with "heats" in it),
// so that settings, heat files and the registry never touch the user's:
// XDG_DATA_HOME points there and the synthetic camera is the one source.
// Called before the application object is made.
std::filesystem::path Make_Home(const std::string& program);

// With the application object made: the capture library registered into the
// home's registry, and settings that capture the synthetic camera's 440 x 1080
// crop into the home's "heats" under the event name `event`. False when the
// library could not be registered.
bool Set_Up_Capture(const std::filesystem::path& home, const std::string& event);

// The start of the slot's heat, as the slot's "Start" button gives it.
void Stamp_Heat_Start(class Form_capture_multi_file& window, int16_t slot);

} // namespace capture_rig
