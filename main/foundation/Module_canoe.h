#pragma once
// The program-wide initialisation, the exit procedure and the capture stop.
#include <functional>

// Fills the program-wide variables once per run; later calls return at once.
// A run ended by an error leaves the guard unset, so the next call runs it again.
void Tidewick_Initialization();
// Sets g_Compiled: True in the normal mode, False in the development mode.
void Test_Compiled();
// Points the trap of every procedure at the error report, while g_Compiled holds.
void Install_Error_Trap();
// Forgets that the initialisation ran (tests only).
void Reset_Initialization_Guard();

// The control-box library check: a kit object is made (and kept in
// g_Phidget_Check) and, in the normal mode, its version texts compared.
bool Verify_Phidgets();

// Whether the XML and the JPEG libraries the program links work. The
// initialisation asks through Library_Checks, where tests put failing ones.
bool XML_Library_Works();
bool JPEG_Library_Works();
struct Library_Checks {
    std::function<bool()> XML = XML_Library_Works;
    std::function<bool()> JPEG = JPEG_Library_Works;
};
Library_Checks& Installed_Library_Checks();

// The one way out of the program: logs, releases the capture object, asks
// (normal mode), stops a running capture, unloads every window and ends the
// process. Returns only when the operator cancels (or an error was reported).
void Tidewick_exit();
// How many times the exit walks the loaded windows before it gives up on
// one that refuses to unload.
inline constexpr int kMax_Unload_Rounds = 10;
// Clears the capture-running flag and stops the capture window's capture;
// every failing step is skipped.
void Stop_All_Captures();
// Stop_All_Captures, then about a second of pending events (Flush_DV_events).
void Stop_Captures_And_Flush();
