#pragma once

#include "core/setting_table.h"

namespace axistune {

// Follows what the controller holds: told of each settings change the engine actually sent (its
// frame went out), with the arguments as sent. A request dropped or refused because an exchange
// was outstanding is not reported, so this, not the window's calls, is the record to trust.
// Called on the worker thread; must return quickly.
class SettingsChangeObserver {
  public:
    // `sent.carries` is empty. ApplyAdvanced is reported once, when its chain sends its first
    // frame, with the engine's snapshot (`changed` included) that the chain sends from.
    virtual void OnSettingsChangeSent(const PlannedRequest& sent) = 0;
    // ReloadDefaults went out: the controller's settings become its defaults, which the engine
    // reads again and reports through OnSettings.
    virtual void OnReloadDefaultsSent() = 0;
    // StoreSettings went out: the controller is to keep what it holds now. Reported in order
    // with the changes, so that what was sent before it has been reported before it.
    virtual void OnStoreSettingsSent() = 0;

  protected:
    ~SettingsChangeObserver() = default;
};

}  // namespace axistune
