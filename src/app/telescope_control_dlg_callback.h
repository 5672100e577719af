#pragma once

#include <cstdint>

#include "core/controller_settings.h"

namespace axistune {

// Engine events as the window receives them, on the window thread (same slots as
// TelescopeListener).
class TelescopeControlDlgCallback {
  public:
    virtual void OnStatus(int32_t code) = 0;
    virtual void OnStatusValue(int32_t code, uint32_t value) = 0;
    virtual void OnSettings(const ControllerSettings& settings, int32_t kind) = 0;
    virtual void OnVoltage(uint32_t hundredthsOfVolt) = 0;
    virtual ~TelescopeControlDlgCallback() = default;
};

}  // namespace axistune
