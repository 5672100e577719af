#pragma once

#include <atomic>
#include <cstdint>

#include "core/telescope_listener.h"
#include "engine/advanced_source.h"
#include "engine/settings_change_observer.h"
#include "link/controller_protocol.h"
#include "link/frame_sink.h"

namespace axistune {

// Turns each accepted request message into controller commands: decides whether the request
// may run in the current exchange state, sets the state that will take the controller's answer,
// writes the frame and reports the request's own status codes. The answers themselves are the
// ControllerProtocol's. Runs on the engine's worker thread, only once the handshake is done.
class RequestExecution {
  public:
    RequestExecution(ControllerProtocol& protocol, FrameSink& sink, TelescopeListener& listener,
                     AdvancedSource& advanced);

    RequestExecution(const RequestExecution&) = delete;
    RequestExecution& operator=(const RequestExecution&) = delete;

    // The whole queue message: header byte (payload length in bits 4..0), request code, then
    // the little-endian arguments. Unknown codes and payloads too short for their code do
    // nothing; nothing beyond the header's length is read.
    void Execute(const uint8_t* message);

    // Any thread; null stops the calls.
    void SetSettingsChangeObserver(SettingsChangeObserver* observer);

  private:
    // An idle-only request may run: true in ST_READY. Otherwise refuses with status 10 when
    // `report` is set, or drops the request silently.
    bool Idle(bool report);
    void MoveManual(uint8_t direction, uint8_t speedIndex);
    void InitScope(uint8_t positionCode);
    // Tells the observer, if any, that this settings change went out.
    void Sent(SettingRequest request, uint8_t selector, uint32_t first, uint32_t second = 0,
              uint32_t third = 0);
    void SentAdvanced(const AdvancedSettings& snapshot);

    ControllerProtocol& protocol_;
    FrameSink& sink_;
    TelescopeListener& listener_;
    AdvancedSource& advanced_;
    std::atomic<SettingsChangeObserver*> observer_{nullptr};
};

}  // namespace axistune
