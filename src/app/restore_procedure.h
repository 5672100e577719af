#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/client_outcome.h"
#include "core/controller_settings.h"
#include "core/restore_report.h"
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
