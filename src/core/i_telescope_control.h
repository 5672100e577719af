#pragma once

#include <cstdint>

#include "core/advanced_settings.h"
#include "core/i_heart_beat_listener.h"

namespace axistune {

// The only way the user interface acts on the engine. Every operation queues one request and
// returns at once; the outcome comes back through TelescopeListener.
class iTelescopeControl : public iHeartBeatListener {
  public:
    virtual void Connect(uint8_t port, uint32_t baudRate) = 0;
    virtual void Disconnect() = 0;
    virtual void MoveManual(uint8_t direction, uint8_t speed) = 0;  // 0 N, 1 S, 2 W, 3 E
    virtual void StopMotion(uint8_t axes) = 0;                      // 4 both, 2/3 RA, 0/1 Dec
    virtual void SetTracking(uint8_t on) = 0;
    virtual void SetExp(uint8_t on) = 0;
    virtual void StoreSettings() = 0;
    virtual void SendCommand0B() = 0;
    virtual void ReloadDefaults() = 0;
    virtual void SetGearRatios(uint32_t raRatio, uint32_t decRatio) = 0;
    virtual void SetReverseFlags(uint8_t rotation, uint8_t guiding, uint8_t limitSwitches) = 0;
    virtual void SetCurrent(uint8_t selector, uint16_t milliamps) = 0;
    virtual void SetDecay(uint8_t selector, uint8_t decay) = 0;
    virtual void SetMaxSpeed(uint16_t raSpeed, uint16_t decSpeed) = 0;
    virtual void SetAcceleration(uint8_t raValue, uint8_t decValue) = 0;
    virtual void SetDeceleration(uint8_t raValue, uint8_t decValue) = 0;
    virtual void SetOvertone(uint8_t axis, uint8_t value) = 0;  // value: signed, two's complement
    virtual void SetIncreaseCurrentAt(uint8_t axis, uint16_t first, uint16_t second) = 0;
    virtual void SetGuidingRates(uint8_t raRate, uint8_t decRate) = 0;
    virtual void ApplyAdvanced(const AdvancedSettings& settings) = 0;
    virtual void ReadVoltage() = 0;
    virtual void InitScope(uint8_t positionCode) = 0;
    virtual void DefinePark() = 0;
};

}  // namespace axistune
