#pragma once
// Facts of the machine and the user that the program asks the system for.
#include <cstdint>
#include <string>

namespace win {

// The path separator of this platform, used wherever a path is joined.
inline constexpr char kPathSep = '/';

// The computer's name, cut at its terminating zero.
std::string GetComputerName();

// The local application-data folder ($XDG_DATA_HOME, else ~/.local/share),
// created when missing. On failure returns false with the reason in `error`.
bool GetLocalAppDataFolder(std::string& folder, std::string& error);

// A folder that is always defined for this user, for when the one above
// cannot be had: $TMPDIR (or /tmp) plus "Tidewick-<uid>", created.
std::string FallbackAppDataFolder();

// The user's documents folder: XDG_DOCUMENTS_DIR as xdg-user-dirs records it,
// else ~/Documents when it exists, else the home folder.
std::string DocumentsFolder();

// The folder of system files: the folder holding the running program.
std::string GetSystemDirectory();

// Full path of the running program and its file name without extension.
std::string ProgramPath();
std::string ProgramName();

// The process and thread identifiers, as the trace shows them.
int64_t InstanceHandle();
int64_t CurrentThreadId();

// Whether another process of this program runs for this user: a lock file
// in the runtime folder ($XDG_RUNTIME_DIR, else the temporary folder) that
// the first process to ask holds until it ends.
bool PrevInstance();

// The last system error number of the calling thread (errno).
int32_t GetLastError();

// The kind of drive a folder lies on, as the shell's DriveType numbers it:
// 1 removable, 2 fixed, 3 network (share_name: what is mounted there, such
// as "server:/export" or "//server/share"), 4 CD-ROM. A folder that does not
// exist is looked up by its nearest existing parent.
int32_t DriveType(const std::string& folder, std::string& share_name);

// Writes a file whole or not at all: the bytes go to a new file beside it,
// which then takes the file's place. False, with the reason in `error`, when
// any step fails; the file as it was and no stray file are left behind then.
bool WriteFileWhole(const std::string& path, const std::string& bytes, std::string& error);

} // namespace win
