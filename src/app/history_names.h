#pragma once

#include <cstdint>
#include <string>

namespace axistune {

// Why the settings history took an entry.
enum class HistoryReason { kConnected, kBeforeReload, kBeforeStore, kBeforeRestore };

// "connected", "before-reload", "before-store", "before-restore": as file names and listings
// show the reason.
const char* HistoryReasonKey(HistoryReason reason);
bool ParseHistoryReason(const std::string& key, HistoryReason* reason);

// What an entry's file name records beside the settings file's own contents (hardware type,
// firmware and the time are in the file too). The name is the only record of the port, so
// that every entry stays a settings file that any version's reader accepts.
struct HistoryName {
    int64_t takenUtc = 0;   // whole seconds since 1970 (UTC)
    uint32_t sequence = 1;  // orders entries taken within one second; 1 is not written
    HistoryReason reason = HistoryReason::kConnected;
    std::string port;
};

// Every byte outside [A-Za-z0-9._-] as %XX (upper-case hex): "tcp://h:5000" becomes
// "tcp%3A%2F%2Fh%3A5000". Legal in file names on Windows and Linux, and reversible.
std::string PercentEncode(const std::string& text);
// Reverses PercentEncode; false for a byte it would have encoded or a broken escape.
bool PercentDecode(const std::string& encoded, std::string* text);

// "history-20261208T062200Z-before-reload-COM3.json", with "-2" after the time for the second
// entry of that second.
std::string FormatHistoryName(const HistoryName& name);
// False for any name FormatHistoryName could not have made: such a file is not the history's.
bool ParseHistoryName(const std::string& fileName, HistoryName* name);

}  // namespace axistune
