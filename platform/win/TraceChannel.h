#pragma once
// The channel to an outside trace viewer: a local datagram socket of a fixed
// name in the user's runtime folder. Sending never waits: a slow or absent
// viewer loses lines, the program loses nothing.
#include <cstdint>
#include <string>

namespace win {

// "vbAcceleratorVBTRACER_TRACEWIN" in $XDG_RUNTIME_DIR (else /tmp/Tidewick-<uid>).
std::string TraceViewerSocketPath();

// Looks for a listening viewer; returns a handle (> 0) to send to, or 0.
int32_t FindTraceViewer();
// Sends one line without blocking; false when it did not go.
bool SendToTraceViewer(int32_t handle, const std::string& bytes);
void CloseTraceViewer(int32_t handle);

} // namespace win
