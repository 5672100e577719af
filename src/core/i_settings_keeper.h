#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/controller_settings.h"
#include "core/setting_table.h"
#include "core/settings_file.h"

namespace axistune {

// Why an entry of the settings history was taken.
enum class KeptBecause { kConnected, kBeforeReload, kBeforeStore, kBeforeRestore };

// One file of the history folder, as the history dialog lists it.
struct KeptEntry {
    std::string fileName;
    std::string path;
    bool byHistory = false;  // the history wrote it (else a snapshot or a file the user put there)
    KeptBecause reason = KeptBecause::kConnected;  // when byHistory
    std::string port;                              // when byHistory
    int64_t takenUtc = 0;                          // seconds since 1970
    bool readable = false;
    SettingsFile settings;  // when readable
    std::string error;      // why it is not readable
};

struct KeptHistory {
    std::string folder;
    bool automatic = true;
    std::vector<KeptEntry> entries;  // newest first
    // Why the folder cannot be listed or the last entry was not written; empty when all is well.
    std::string problem;
};

// What a restore from the window reports: each step as it begins, and last the outcome.
struct RestoreNews {
    bool finished = false;
    std::string step;  // a step: "Reading the controller's settings"
    // The outcome, when finished: refused or failed with the command line's message, and the
    // settings by what became of them.
    bool succeeded = false;
    std::string message;
    std::vector<SettingId> applied;
    std::vector<SettingId> unconfirmed;  // sent, but the read-back does not show them
    std::vector<SettingId> notApplied;
};

// The window posts itself this wParam when restore news is waiting (the mailbox uses 1000).
constexpr uintptr_t kRestoreNewsPost = 1001;

// The settings history and restores of a window program. The main window calls it on its own
// thread and every call returns without waiting for the controller or a slow disk: entries are
// written and restores run on threads of their own. A restore's news is queued and announced
// with a post of kRestoreNewsPost to the window, which then drains it.
class iSettingsKeeper {
  public:
    // The window asks to connect to this port; entries and restores name it.
    virtual void Connecting(uint8_t port, uint32_t baudRate) = 0;
    // What the controller holds now; false before anything was read.
    virtual bool HeldNow(ControllerSettings* settings) const = 0;

    // Reads and checks a settings file as the command line does (and that it suits the connected
    // controller); false with the command line's message.
    virtual bool Examine(const std::string& path, SettingsFile* file,
                         std::string* message) const = 0;
    // Writes what the controller holds now as a settings file.
    virtual bool Backup(const std::string& path, std::string* message) = 0;

    virtual KeptHistory History() const = 0;
    virtual bool Remove(const std::string& fileName, std::string* message) = 0;
    virtual bool SetAutomatic(bool on, std::string* message) = 0;

    // Starts restoring the selected settings of the file; false with the reason when it cannot
    // start (nothing is sent then).
    virtual bool StartRestore(const std::string& path, const SettingSelection& selection,
                              std::string* message) = 0;
    virtual bool Restoring() const = 0;
    virtual std::vector<RestoreNews> DrainRestoreNews() = 0;

  protected:
    ~iSettingsKeeper() = default;
};

}  // namespace axistune
