#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/client_outcome.h"
#include "core/controller_settings.h"
#include "core/setting_table.h"
#include "core/settings_file.h"

namespace axistune {

// What a restore needs of the connection. The command line's opens its device (and prints why
// it could not); the windows' reconnects on the window's port number and baud rate.
class RestoreLink {
  public:
    virtual ~RestoreLink() = default;
    // Connects (a connection already open is closed first) and waits for the settings.
    virtual ClientOutcome Open() = 0;
    virtual ClientOutcome Close() = 0;
    // The settings the last Open read.
    virtual ControllerSettings Settings() const = 0;
    virtual ClientOutcome Send(const PlannedRequest& request) = 0;
    virtual ClientOutcome Store() = 0;
};

// Writes the settings read before anything is sent where the user can restore them. True with
// the file written (or the history entry that already holds them); false with the message.
using RestoreSnapshot =
    std::function<bool(const ControllerSettings& before, std::string* path, std::string* message)>;

struct RestoreOrder {
    std::string name;  // how messages name the file: its path or the history entry
    std::string text;  // the file's text
    SettingSelection selection = SettingSelection().set();
    bool dryRun = false;       // plan only; send nothing
    bool store = false;        // store in the controller once every value is confirmed
    RestoreSnapshot snapshot;  // null: none (taken only when there is something to send)
};

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

// Called on the thread that runs the restore, with the result so far.
using RestoreProgress = std::function<void(const RestoreEvent&, const RestoreResult&)>;

// The restore, in one place for the command line and the windows: checks the file, connects
// afresh, checks that the file suits the controller, plans only the differences, takes the
// snapshot, sends each request and waits for it, connects again and compares every value,
// stores if asked. Blocks; never on a window's thread. Leaves the connection open (after a
// failure, as the failure left it).
RestoreResult RunRestoreProcedure(const RestoreOrder& order, RestoreLink& link,
                                  const RestoreProgress& progress);

// Steps a restore of `plan` announces: connecting, the snapshot, each request, connecting
// again, storing.
int RestoreStepCount(size_t planSize, bool snapshot, bool store);

}  // namespace axistune
