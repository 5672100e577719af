#pragma once

#include <cstdint>
#include <string>

namespace axistune {

// The per-user folder that the settings history and the command line's snapshots share:
// Windows %LOCALAPPDATA%\AxisTune\snapshots; elsewhere $XDG_STATE_HOME/axistune/snapshots,
// by default ~/.local/state/axistune/snapshots.
std::string DefaultSnapshotFolder();

// Writes `text` to a temporary file beside `path` (named for this process and write, ending
// in ".partial") and renames it over `path`, so that a failed or interrupted write never
// leaves half a file under the real name and two writers never share a temporary. False with
// the reason, naming the file.
bool WriteFileAtomically(const std::string& path, const std::string& text, std::string* error);

// Reads a regular file of at most `limit` bytes; a folder, FIFO or device is refused by its
// type before it is opened, so that reading never blocks. False with the reason.
bool ReadSmallFile(const std::string& path, uint64_t limit, std::string* text, std::string* error);

}  // namespace axistune
