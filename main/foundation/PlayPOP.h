#pragma once
// The click that marks a heat start (a procedure of Module_Tidewick).
#include <string>

// Plays g_Click_Sound from memory in the background and returns at once; a
// click still playing starts again. Nothing plays when no sound was loaded
// or the machine has no sound device.
void PlayPOP();

// The bytes of the program's click sound resource (101, "CUSTOM"): a
// complete 1940-byte 8-bit mono WAV file at 11025 Hz.
std::string Click_Sound_Resource();
