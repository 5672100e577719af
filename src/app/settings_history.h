#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/history_names.h"
#include "app/state_files.h"
#include "core/settings_file.h"

namespace axistune {

// The settings history: settings files in the per-user snapshots folder, one per entry, that
// the windows take on their own and the command line lists and restores. The folder is shared
// with the command line's snapshots and any file the user keeps there; the history prunes only
// the entries it named itself (history_names.h).
constexpr size_t kHistoryEntryLimit = 200;

enum class HistoryResult {
    kWritten,
    kUnchanged,  // the same controller's newest entry holds these settings already
    kOff,        // the user turned the automatic history off
    kFailed,
};

struct HistoryOutcome {
    HistoryResult result = HistoryResult::kFailed;
    // kWritten: the new entry; kUnchanged: the entry that holds these settings.
    std::string path;
    // kFailed: why, for the history dialog. kWritten: empty, or the old entries that could not
    // be pruned.
    std::string message;
    bool Ok() const { return result != HistoryResult::kFailed; }
};

struct HistoryEntry {
    std::string path;
    std::string fileName;
    bool writtenByHistory = false;                     // named by the history, and so pruned by it
    HistoryReason reason = HistoryReason::kConnected;  // writtenByHistory only
    std::string port;                                  // writtenByHistory only
    // Seconds since 1970 (UTC): from the history's name, else the file's "taken", else the
    // time the file was last written.
    int64_t takenUtc = 0;
    bool readable = false;
    SettingsFile settings;  // readable: hardware type, firmware, values
    std::string error;      // not readable: why ("ra.acceleration: ...")
};

struct HistoryListing {
    std::vector<HistoryEntry> entries;  // newest first
    std::string error;  // the folder could not be read; a missing folder is an empty history
};

class SettingsHistory {
  public:
    explicit SettingsHistory(std::string folder = DefaultSnapshotFolder(),
                             size_t entryLimit = kHistoryEntryLimit);

    const std::string& Folder() const { return folder_; }

    // Whether the windows take entries on their own (history_switch.h); on by default.
    bool Automatic() const;
    bool SetAutomatic(bool automatic, std::string* error) const;

    // Writes an entry for the controller on `port`, unless the switch is off (a restore's
    // entry is written regardless: the restore depends on it) or that controller's newest
    // entry (same port and hardware type) holds the same settings; then removes the
    // history's oldest entries beyond the limit. The entry's "taken" is the time of writing.
    // Never throws.
    HistoryOutcome Write(HistoryReason reason, const std::string& port,
                         const SettingsFile& settings) const;
    HistoryOutcome WriteAt(int64_t takenUtc, HistoryReason reason, const std::string& port,
                           const SettingsFile& settings) const;

    // Every *.json file in the folder, read and checked, newest first.
    HistoryListing List() const;
    // Deletes one file of the folder, named as HistoryEntry::fileName (any entry the listing
    // shows; only the user does this). False with the reason.
    bool Remove(const std::string& fileName, std::string* error) const;
    // The file that `reference` names: "history:latest" (the listing's first entry),
    // "history:N" (its Nth, from 1), "history:FILE" or a bare FILE name in the folder. False
    // with the reason.
    bool Resolve(const std::string& reference, std::string* path, std::string* error) const;

  private:
    std::string folder_;
    size_t entryLimit_;
};

// The largest file the history reads as an entry.
constexpr uint64_t kHistoryFileLimit = 1024 * 1024;

// Whether two files hold the same settings: hardware type and every setting's presence and
// value (not the time, nor the firmware).
bool SameSettings(const SettingsFile& a, const SettingsFile& b);

}  // namespace axistune
