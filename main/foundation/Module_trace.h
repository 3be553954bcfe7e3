#pragma once
// The trace to the outside viewer, the event log and the local
// application-data folder they and the settings live in.
#include "VbConvert.h"

#include <string>
#include <vector>

// Whether the trace viewer is known; searches for it once per run.
bool Tracer_Active();

// Sends one line built of the items, each followed by a tab, behind the
// program's prefix. Does nothing when no viewer runs; never fails.
void Send_Trace_Items(const std::vector<std::string>& items);

template <class... Args> void Send_Trace(const Args&... args) {
    if (!Tracer_Active()) return;
    try {
        Send_Trace_Items(std::vector<std::string>{vb::CStr(args)...});
    } catch (...) {
        // The trace never reports anything to its caller.
    }
}

void Trace_String(const std::string& text);

// The prefix of every trace line: program name, mode mark, instance, thread
// and time, each followed by ": ".
std::string Trace_Prefix();

// Appends one dated line to "Tidewick_eventlog.txt" in the application-data folder.
void Write_Event_Log(const std::string& text);

// The local application-data folder, created when missing. When it cannot be
// had, the failure is reported once and a defined fallback folder is used, so
// settings and logs never land in the current folder or the root.
std::string Get_Local_AppData_Folder();

// Forgets the viewer search, so the next trace searches again (tests).
void Reset_Tracer();
