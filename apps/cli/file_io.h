#pragma once

#include <cstdint>
#include <string>

namespace axistune::cli {

// A settings file is about 1.5 KB; anything larger than this is not one.
constexpr uint64_t kSettingsFileLimit = 1024 * 1024;

// A settings file's whole text. Only a regular file of at most kSettingsFileLimit bytes is
// read: a FIFO, a device or a directory is refused by its type before it is opened, and a
// large file by its size. False with the reason, to follow "PATH: ".
bool ReadSettingsText(const std::string& path, std::string* text, std::string* error);
// Whether `path` can take a file the program writes: a regular file, or a missing one in an
// existing folder; never a directory, FIFO or device (nor NUL, CON... on Windows). False with
// the reason, to follow "PATH: ".
bool CheckOutputPath(const std::string& path, std::string* error);
// Writes a temporary file beside `path` and renames it over `path`, so that an interrupted or
// failed write never leaves half a file where a good one was.
bool WriteFileAtomically(const std::string& path, const std::string& text, std::string* error);
// Ends the process with `code` at once, first removing the temporaries of writes in progress:
// for a stop while the main thread is blocked. Any thread.
[[noreturn]] void ExitRemovingTemporaries(int code);
// "2025-01-31T18:04:05Z"
std::string UtcTimestamp();
// "20250131-180405"
std::string CompactTimestamp();

}  // namespace axistune::cli
