#pragma once

#include "core/controller_settings.h"
#include "core/setting_table.h"
#include "engine/settings_change_observer.h"
#include "platform/lock.h"

namespace axistune {

// What the controller holds now: the settings read at connect (or re-read after new gear ratios
// or a reload), with every change the engine actually sent applied since: what a settings-history
// entry taken before a reload or a store holds, so that a mistaken reload can be undone. Sends
// nothing; fed on the engine's worker thread (listener and engine observer), read on any thread.
class HeldSettings final : public SettingsChangeObserver {
  public:
    enum class State {
        kUnknown,  // nothing read since this object was made
        kCurrent,  // read, with the changes sent since applied
        kStale,    // defaults reloaded and not read again yet: the record is what was held before
    };

    struct Snapshot {
        State state = State::kUnknown;
        ControllerSettings settings{};
        SettingValues Values() const { return ReadSettings(settings); }
    };

    // From the listener's OnSettings: the record just read (a null record is ignored).
    void OnSettingsRead(const ControllerSettings* settings);

    void OnSettingsChangeSent(const PlannedRequest& sent) override;
    void OnReloadDefaultsSent() override;
    void OnStoreSettingsSent() override {}  // the controller holds the same

    Snapshot Now() const;

  private:
    mutable Lock lock_;
    Snapshot held_;
};

}  // namespace axistune
