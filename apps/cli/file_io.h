#pragma once

#include <cstdint>
#include <string>

namespace axistune::cli {

// A settings file is about 1.5 KB; anything larger than this is not one. Files are read and
// written through app/state_files.h.
constexpr uint64_t kSettingsFileLimit = 1024 * 1024;

// Whether `path` can take a file the program writes: a regular file, or a missing one in an
// existing folder; never a directory, FIFO or device (nor NUL, CON... on Windows). False with
// the reason, to follow "PATH: ".
bool CheckOutputPath(const std::string& path, std::string* error);
// "2025-01-31T18:04:05Z"
std::string UtcTimestamp();
// "20250131-180405"
std::string CompactTimestamp();

}  // namespace axistune::cli
