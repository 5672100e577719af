#pragma once

#include <string>

namespace axistune {

// Whether the windows take history entries on their own, remembered per user in a small text
// file beside the snapshots folder ("history.conf": "automatic = off"). Missing, unreadable or
// without that line, the history is on.
std::string HistorySwitchPath(const std::string& snapshotFolder);
bool ReadHistorySwitch(const std::string& path);
// Writes the file (and its folder) atomically. False with the reason.
bool WriteHistorySwitch(const std::string& path, bool automatic, std::string* error);

}  // namespace axistune
