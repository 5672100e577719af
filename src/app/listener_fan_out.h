#pragma once

#include "core/telescope_listener.h"

namespace axistune {

// Passes every engine event to the window's mailbox first, exactly as it would get it alone,
// then to a client that must hear every event (the mailbox keeps only one).
class ListenerFanOut : public TelescopeListener {
  public:
    ListenerFanOut(TelescopeListener& first, TelescopeListener& second)
        : first_(first), second_(second) {}

    void OnStatus(int32_t code) override {
        first_.OnStatus(code);
        second_.OnStatus(code);
    }
    void OnStatusValue(int32_t code, uint32_t value) override {
        first_.OnStatusValue(code, value);
        second_.OnStatusValue(code, value);
    }
    void OnSettings(const ControllerSettings* settings, int32_t kind) override {
        first_.OnSettings(settings, kind);
        second_.OnSettings(settings, kind);
    }
    void OnVoltage(uint32_t hundredthsOfVolt) override {
        first_.OnVoltage(hundredthsOfVolt);
        second_.OnVoltage(hundredthsOfVolt);
    }

  private:
    TelescopeListener& first_;
    TelescopeListener& second_;
};

}  // namespace axistune
