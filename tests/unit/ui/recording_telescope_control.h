#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/i_telescope_control.h"

namespace axistune {

// Records every request as text, e.g. "SetCurrent(0x80,500)": axis and selector bytes in hex,
// the overtone as a signed number, everything else in decimal.
class RecordingTelescopeControl : public iTelescopeControl {
  public:
    std::vector<std::string> calls;
    AdvancedSettings lastAdvanced{};

    void Clear() { calls.clear(); }

    void Beat() override { Add("Beat()"); }
    void Connect(uint8_t port, uint32_t baudRate) override {
        Add("Connect(" + D(port) + "," + D(baudRate) + ")");
    }
    void Disconnect() override { Add("Disconnect()"); }
    void MoveManual(uint8_t direction, uint8_t speed) override {
        Add("MoveManual(" + D(direction) + "," + D(speed) + ")");
    }
    void StopMotion(uint8_t axes) override { Add("StopMotion(" + D(axes) + ")"); }
    void SetTracking(uint8_t on) override { Add("SetTracking(" + D(on) + ")"); }
    void SetExp(uint8_t on) override { Add("SetExp(" + D(on) + ")"); }
    void StoreSettings() override { Add("StoreSettings()"); }
    void SendCommand0B() override { Add("SendCommand0B()"); }
    void ReloadDefaults() override { Add("ReloadDefaults()"); }
    void SetGearRatios(uint32_t ra, uint32_t dec) override {
        Add("SetGearRatios(" + D(ra) + "," + D(dec) + ")");
    }
    void SetReverseFlags(uint8_t rotation, uint8_t guiding, uint8_t limits) override {
        Add("SetReverseFlags(" + D(rotation) + "," + D(guiding) + "," + D(limits) + ")");
    }
    void SetCurrent(uint8_t selector, uint16_t milliamps) override {
        Add("SetCurrent(" + H(selector) + "," + D(milliamps) + ")");
    }
    void SetDecay(uint8_t selector, uint8_t decay) override {
        Add("SetDecay(" + H(selector) + "," + D(decay) + ")");
    }
    void SetMaxSpeed(uint16_t ra, uint16_t dec) override {
        Add("SetMaxSpeed(" + D(ra) + "," + D(dec) + ")");
    }
    void SetAcceleration(uint8_t ra, uint8_t dec) override {
        Add("SetAcceleration(" + D(ra) + "," + D(dec) + ")");
    }
    void SetDeceleration(uint8_t ra, uint8_t dec) override {
        Add("SetDeceleration(" + D(ra) + "," + D(dec) + ")");
    }
    void SetOvertone(uint8_t axis, uint8_t value) override {
        const int signedValue = value >= 128 ? static_cast<int>(value) - 256 : value;
        Add("SetOvertone(" + H(axis) + "," + std::to_string(signedValue) + ")");
    }
    void SetIncreaseCurrentAt(uint8_t axis, uint16_t first, uint16_t second) override {
        Add("SetIncreaseCurrentAt(" + H(axis) + "," + D(first) + "," + D(second) + ")");
    }
    void SetGuidingRates(uint8_t ra, uint8_t dec) override {
        Add("SetGuidingRates(" + D(ra) + "," + D(dec) + ")");
    }
    void ApplyAdvanced(const AdvancedSettings& settings) override {
        lastAdvanced = settings;
        Add("ApplyAdvanced()");
    }
    void ReadVoltage() override { Add("ReadVoltage()"); }
    void InitScope(uint8_t positionCode) override { Add("InitScope(" + D(positionCode) + ")"); }
    void DefinePark() override { Add("DefinePark()"); }

  private:
    void Add(std::string call) { calls.push_back(std::move(call)); }
    static std::string D(uint32_t value) { return std::to_string(value); }
    static std::string H(uint32_t value) {
        char text[8];
        std::snprintf(text, sizeof text, "0x%02X", value);
        return text;
    }
};

}  // namespace axistune
