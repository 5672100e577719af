#pragma once

#include <cstddef>
#include <cstdint>

#include "core/i_telescope_control.h"
#include "engine/request_message.h"

namespace axistune {

// Encodes every iTelescopeControl operation as its queue message. The engine supplies the
// queue write, the protocol level and the hand-over of the advanced settings.
class ControlRequests : public iTelescopeControl {
  public:
    void Beat() override;
    void Connect(uint8_t port, uint32_t baudRate) override;
    void Disconnect() override;
    void MoveManual(uint8_t direction, uint8_t speed) override;
    void StopMotion(uint8_t axes) override;
    void SetTracking(uint8_t on) override;
    void SetExp(uint8_t on) override;
    void StoreSettings() override;
    void SendCommand0B() override;
    void ReloadDefaults() override;
    void SetGearRatios(uint32_t raRatio, uint32_t decRatio) override;
    void SetReverseFlags(uint8_t rotation, uint8_t guiding, uint8_t limitSwitches) override;
    void SetCurrent(uint8_t selector, uint16_t milliamps) override;
    void SetDecay(uint8_t selector, uint8_t decay) override;
    void SetMaxSpeed(uint16_t raSpeed, uint16_t decSpeed) override;
    void SetAcceleration(uint8_t raValue, uint8_t decValue) override;
    void SetDeceleration(uint8_t raValue, uint8_t decValue) override;
    void SetOvertone(uint8_t axis, uint8_t value) override;
    void SetIncreaseCurrentAt(uint8_t axis, uint16_t first, uint16_t second) override;
    void SetGuidingRates(uint8_t raRate, uint8_t decRate) override;
    void ApplyAdvanced(const AdvancedSettings& settings) override;
    void ReadVoltage() override;
    void InitScope(uint8_t positionCode) override;
    void DefinePark() override;

  protected:
    // One whole message, written in one go under the queue write lock.
    virtual void WriteMessage(const uint8_t* bytes, size_t count) = 0;
    virtual uint8_t CurrentProtocolLevel() const = 0;
    // Copies the record into the pending advanced words under the engine's data lock.
    virtual void StorePendingAdvanced(const AdvancedSettings& settings) = 0;

  private:
    void Send(RequestMessage message);

    // The controller ignores overtone and current-increase commands below this level, so they
    // are not even queued.
    static constexpr uint8_t kLevelForTuning = 3;
};

}  // namespace axistune
