#pragma once

#include <string>
#include <vector>

#include "core/client_outcome.h"
#include "core/setting_table.h"

namespace axistune {

// What a restore reports, in words every front end can read (the dialogs too): its steps as
// they begin and where it ended, with what was applied and what was not.

// Where a restore ended.
enum class RestoreEnd {
    kRestored,        // every value confirmed (nothing to send counts), stored if asked
    kPlanned,         // a dry run: the plan, nothing sent
    kBadFile,         // the file is not a settings file this version reads; nothing sent
    kOpenFailed,      // no connection: nothing sent
    kUnsuitable,      // the file does not suit this controller; nothing sent
    kSnapshotFailed,  // nothing sent
    kSendFailed,      // a request was not confirmed (no answer, connection lost, cancelled)
    kReopenFailed,    // every request confirmed, but reading back was impossible
    kNotTaken,        // read back: the controller reports other values; nothing stored
    kStoreFailed,     // every value confirmed, storing failed
};

struct RestoreResult {
    RestoreEnd end = RestoreEnd::kBadFile;
    ClientOutcome outcome;  // the exchange that ended it (kOpenFailed and later)
    // Each in the order sent. `unconfirmed` went to the controller without its confirmation
    // (the request that failed); `notApplied` never went.
    std::vector<SettingId> applied;
    std::vector<SettingId> unconfirmed;
    std::vector<SettingId> notApplied;
    std::vector<PlannedRequest> plan;
    SettingValues before{};  // the controller's values when planned
    SettingValues target{};  // what the file makes of them
    std::string snapshotPath;
    // Read back: the settings that differ from the file (read-only ones too).
    std::vector<SettingId> mismatched;
    // For people, one problem a line, as the command line prints them after "axistune-cli: ".
    std::vector<std::string> problems;

    bool Ok() const { return end == RestoreEnd::kRestored || end == RestoreEnd::kPlanned; }
};

// A step as it begins, for a progress display.
struct RestoreEvent {
    enum Kind {
        kStep,             // `text` begins: step `index` of `total` (0 while not known)
        kSnapshotWritten,  // `text` is the snapshot's path
        kVerified,         // the read back matched the file
    };
    Kind kind = kStep;
    std::string text;
    int index = 0;
    int total = 0;
};

}  // namespace axistune
