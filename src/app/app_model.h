#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "app/event_poster.h"
#include "app/telescope_control_dlg_callback.h"
#include "core/telescope_listener.h"

namespace axistune {

class Lock;  // platform: the dialogs that include this header see no platform header

// The engine's listener: keeps the latest event in a one-slot mailbox and posts the window,
// whose thread then calls Deliver. A second event before delivery replaces the first.
class AppModel : public TelescopeListener {
  public:
    AppModel();
    ~AppModel() override;
    AppModel(const AppModel&) = delete;
    AppModel& operator=(const AppModel&) = delete;

    void OnStatus(int32_t code) override;
    void OnStatusValue(int32_t code, uint32_t value) override;
    void OnSettings(const ControllerSettings* settings, int32_t kind) override;
    void OnVoltage(uint32_t hundredthsOfVolt) override;

    // Window thread: passes the mailbox's event to the callback; acts on wParam 1000 only.
    void Deliver(uintptr_t wParam);

    void SetCallback(TelescopeControlDlgCallback* callback);  // window thread
    void SetPoster(EventPoster* poster);                      // wiring, before the engine runs

  private:
    enum MailKind : int32_t {
        kMailNone = 0,
        kMailStatus = 1,
        kMailStatusValue = 2,
        kMailSettings = 3,
        kMailVoltage = 4
    };
    void Post();

    const std::unique_ptr<Lock> lock_;
    int32_t kind_ = kMailNone;
    int32_t code_ = 0;
    uint32_t value_ = 0;
    ControllerSettings record_{};
    ControllerSettings deliveredRecord_{};
    TelescopeControlDlgCallback* callback_ = nullptr;
    std::atomic<EventPoster*> poster_{nullptr};
};

}  // namespace axistune
