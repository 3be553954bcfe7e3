#include "Module_trace.h"

#include "Dialogs.h"
#include "Module_qfn_Globals.h"
#include "TraceChannel.h"
#include "VbDate.h"
#include "VbString.h"
#include "VbTrap.h"
#include "WinClock.h"
#include "WinSystem.h"

#include <cstdio>
#include <fstream>

bool Tracer_Active() {
    if (!g_Tracer_Searched) {
        g_Tracer_hWnd = win::FindTraceViewer();
        g_Tracer_Searched = true;
    }
    return g_Tracer_hWnd != 0;
}

void Reset_Tracer() {
    win::CloseTraceViewer(g_Tracer_hWnd);
    g_Tracer_hWnd = 0;
    g_Tracer_Searched = false;
}

std::string Trace_Prefix() {
    const auto now = vb::ToLocal(win::clock().wall_now());
    return win::ProgramName() + (g_Compiled ? " C" : " I") + ": " + std::to_string(win::InstanceHandle()) +
           ": " + std::to_string(win::CurrentThreadId()) + ": " + vb::FormatDate(now, "yyyymmdd hhnnss") +
           ": ";
}

void Send_Trace_Items(const std::vector<std::string>& items) {
    if (!Tracer_Active()) return;
    std::string line;
    for (const auto& item : items) {
        line += item;
        line += '\t';
    }
    // The viewer reads the same bytes the original sent: one byte per character.
    win::SendToTraceViewer(g_Tracer_hWnd, vb::ToLatin1(Trace_Prefix() + line));
}

void Trace_String(const std::string& text) {
    Send_Trace(text);
}

void Write_Event_Log(const std::string& text) {
    const std::string folder = g_AppData_Folder.empty() ? Get_Local_AppData_Folder() : g_AppData_Folder;
    const std::string file = folder + win::kPathSep + "Tidewick_eventlog.txt";
    std::ofstream out(file, std::ios::app | std::ios::binary);
    if (out) out << vb::GeneralDate(vb::ToLocal(win::clock().wall_now())) << text << "\n";
    out.flush();
    if (out) return;
    // Trapped only in the normal mode, where the operator sees one plain box.
    if (!g_Compiled) vb::Raise(vb::errPathFileAccess, "Path/File access error: " + file);
    forms::MsgBox("Log error");
}

std::string Get_Local_AppData_Folder() {
    static bool reported = false;
    std::string folder, error;
    if (win::GetLocalAppDataFolder(folder, error)) return folder;
    const std::string fallback = win::FallbackAppDataFolder();
    if (!reported) {
        reported = true;
        std::fprintf(stderr, "Tidewick: local application-data folder unavailable (%s); using %s\n",
                     error.c_str(), fallback.c_str());
        forms::MsgBox("The local application-data folder could not be used (" + error + ")." +
                          "\nSettings and logs go to " + fallback,
                      forms::vbExclamation);
    }
    return fallback;
}
