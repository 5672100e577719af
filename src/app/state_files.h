#pragma once

#include <cstdint>
#include <string>

namespace axistune {

// The per-user folder that the settings history and the command line's snapshots share:
// Windows %LOCALAPPDATA%\AxisTune\snapshots; elsewhere $XDG_STATE_HOME/axistune/snapshots,
// by default ~/.local/state/axistune/snapshots.
std::string DefaultSnapshotFolder();

// This program's per-user folder: Windows %LOCALAPPDATA%\AxisTune; elsewhere
// $<xdgVariable>/axistune when it is an absolute path, else $HOME/<homeFallback>/axistune.
std::string PerUserFolder(const char* xdgVariable, const char* homeFallback);

// Writes `text` to a temporary file beside `path` (named for this process and write, ending
// in ".partial") and renames it over `path`, so that a failed or interrupted write never
// leaves half a file under the real name and two writers never share a temporary. False with
// the reason, naming the file.
bool WriteFileAtomically(const std::string& path, const std::string& text, std::string* error);

// Ends the process with `code` at once, first removing the temporaries of writes in progress:
// for a stop while the main thread is blocked. Any thread; no write starts or ends after it.
[[noreturn]] void ExitRemovingTemporaries(int code);

// Reads a regular file of at most `limit` bytes. A folder, FIFO or device (on Windows also a
// reserved name such as NUL or COM1, or a \\.\ path) is refused by its type before it is
// opened, so that reading never blocks, and the opened file is checked again. False with the
// reason, to follow "PATH: ".
bool ReadSmallFile(const std::string& path, uint64_t limit, std::string* text, std::string* error);

}  // namespace axistune
