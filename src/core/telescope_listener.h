#pragma once

#include <cstdint>

#include "core/controller_settings.h"

namespace axistune {

// Receiver of every engine event; always called on the engine's worker thread. A listener
// returns quickly, never waits for the window thread and never writes into the engine queue.
class TelescopeListener {
  public:
    virtual void OnStatus(int32_t code) = 0;
    virtual void OnStatusValue(int32_t code, uint32_t value) = 0;
    // The record is valid only during the call; copy what you keep.
    virtual void OnSettings(const ControllerSettings* settings, int32_t kind) = 0;
    virtual void OnVoltage(uint32_t hundredthsOfVolt) = 0;
    virtual ~TelescopeListener() = default;
};

}  // namespace axistune
