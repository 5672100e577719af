#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/engine_client.h"
#include "app/event_poster.h"
#include "app/held_settings.h"
#include "app/history_writer.h"
#include "app/restore_runner.h"
#include "app/settings_history.h"
#include "core/i_settings_keeper.h"
#include "core/port_catalogue.h"
#include "core/telescope_listener.h"

namespace axistune {

// The settings history and restores of a window program. It hears every engine event on the
// worker (Session::Watch), so that what the controller holds now follows what the engine sent,
// and writes the entries on a thread of its own. The entries before a reload or a store are
// taken as the engine sends it, in order with the changes: a value typed just before the click
// that sends it is in the entry. A restore's reconnects add no "connected"
// entries: the restore writes its own entry of the settings before it, and the read-back holds
// the file's values.
class SettingsKeeper final : public iSettingsKeeper,
                             public TelescopeListener,
                             public SettingsChangeObserver {
  public:
    // ports names the port numbers (null: the platform's own names, COM<n> on Windows); it must
    // outlive the keeper.
    explicit SettingsKeeper(std::string folder = DefaultSnapshotFolder(),
                            const PortCatalogue* ports = nullptr);
    ~SettingsKeeper() override;
    SettingsKeeper(const SettingsKeeper&) = delete;
    SettingsKeeper& operator=(const SettingsKeeper&) = delete;

    // Once the session runs: the client restores drive and the window that restore news wakes.
    void Attach(std::shared_ptr<EngineClient> client, EventPoster* window);
    // Before Session::Stop frees the window: ends a restore and the entries' thread (bounded
    // waits). Nothing reaches the window afterwards; the engine may still report to the keeper.
    void Stop();

    void Connecting(uint8_t port, uint32_t baudRate) override;
    bool HeldNow(ControllerSettings* settings) const override;
    bool Examine(const std::string& path, SettingsFile* file, std::string* message) const override;
    bool Backup(const std::string& path, std::string* message) override;
    KeptHistory History() const override;
    bool Remove(const std::string& fileName, std::string* message) override;
    bool SetAutomatic(bool on, std::string* message) override;
    bool StartRestore(const std::string& path, const SettingSelection& selection,
                      std::string* message) override;
    bool Restoring() const override;
    std::vector<RestoreNews> DrainRestoreNews() override;

    // TelescopeListener: the engine's worker.
    void OnStatus(int32_t) override {}
    void OnStatusValue(int32_t, uint32_t) override {}
    void OnSettings(const ControllerSettings* settings, int32_t kind) override;
    void OnVoltage(uint32_t) override {}

    // SettingsChangeObserver: the engine's worker. The keeper is both of what Session::Watch
    // takes, before Start.
    void OnSettingsChangeSent(const PlannedRequest& sent) override;
    void OnReloadDefaultsSent() override;
    void OnStoreSettingsSent() override;

  private:
    std::string PortName() const;
    void Submit(HistoryReason reason, const ControllerSettings& settings);
    void KeepHeld(HistoryReason reason);

    const SettingsHistory history_;
    const PortCatalogue* const ports_;
    HeldSettings held_;
    HistoryWriter writer_;
    RestoreRunner runner_;

    mutable std::mutex lock_;  // the fields below
    uint8_t port_ = 0;
    uint32_t baudRate_ = 0;
    std::shared_ptr<EngineClient> client_;
    EventPoster* window_ = nullptr;
};

}  // namespace axistune
