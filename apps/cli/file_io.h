#pragma once

#include <string>

namespace axistune::cli {

// The whole file; false with the system's reason.
bool ReadTextFile(const std::string& path, std::string* text, std::string* error);
// Writes a temporary file beside `path` and renames it over `path`, so that an interrupted or
// failed write never leaves half a file where a good one was.
bool WriteFileAtomically(const std::string& path, const std::string& text, std::string* error);
// Where restore and reload-defaults keep the settings they replace: the per-user state folder
// (Linux: $XDG_STATE_HOME or ~/.local/state, then axistune/snapshots; Windows:
// %LOCALAPPDATA%\AxisTune\snapshots).
std::string DefaultSnapshotFolder();
// "2025-01-31T18:04:05Z"
std::string UtcTimestamp();
// "20250131-180405"
std::string CompactTimestamp();

}  // namespace axistune::cli
