#pragma once

#include <string>

#include "app/settings_history.h"

namespace axistune::cli {

// The settings history for people, newest first: a header and one line an entry (number,
// when, why, port, hardware type, firmware, file name), or a line that says it is empty.
std::string HistoryTable(const HistoryListing& listing, const std::string& folder);
// The same as a JSON array, for scripts.
std::string HistoryJson(const HistoryListing& listing);

// The file a restore names: `argument` as a path when it is one; otherwise a history entry
// ("history:latest", "history:N", an entry's file name). False with the reason for a
// "history:" reference that names no entry; any other argument is then taken as a path.
bool ResolveRestoreFile(const std::string& argument, std::string* path, std::string* error);

}  // namespace axistune::cli
