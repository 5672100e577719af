#pragma once

#include <string>

namespace axistune {

// The windows' per-user on/off choices are small text files of "key = on|off" lines, with
// "#" comments, so that a user can read and mend them by hand.

// The value of `key`; `fallback` when the file is missing, unreadable or without that line.
bool ReadSwitchFile(const std::string& path, const char* key, bool fallback);

// Writes `comment` (whole "#" lines) and the one line, atomically, creating the folder. False
// with the reason.
bool WriteSwitchFile(const std::string& path, const std::string& comment, const char* key, bool on,
                     std::string* error);

}  // namespace axistune
