#include "engine/control_requests.h"

#include "engine/request_message.h"

namespace axistune {

namespace {

constexpr uint8_t kTickMessage[] = {QueueHeader(kKindTick, 0), 0x00};

}  // namespace

void ControlRequests::Send(RequestMessage message) {
    const uint8_t* data = message.Data();
    WriteMessage(data, message.Size());
}

void ControlRequests::Beat() {
    WriteMessage(kTickMessage, sizeof kTickMessage);
}

void ControlRequests::Connect(uint8_t port, uint32_t baudRate) {
    Send(RequestMessage(kReqConnect).Byte(port).Long(baudRate));
}

void ControlRequests::Disconnect() {
    Send(RequestMessage(kReqDisconnect));
}

void ControlRequests::MoveManual(uint8_t direction, uint8_t speed) {
    Send(RequestMessage(kReqMoveManual).Byte(direction).Byte(speed));
}

void ControlRequests::StopMotion(uint8_t axes) {
    Send(RequestMessage(kReqStopMotion).Byte(axes));
}

void ControlRequests::SetTracking(uint8_t on) {
    Send(RequestMessage(kReqSetTracking).Byte(on));
}

void ControlRequests::SetExp(uint8_t on) {
    Send(RequestMessage(kReqSetExp).Byte(on));
}

void ControlRequests::StoreSettings() {
    Send(RequestMessage(kReqStoreSettings));
}

void ControlRequests::SendCommand0B() {
    Send(RequestMessage(kReqSendCommand0B));
}

void ControlRequests::ReloadDefaults() {
    Send(RequestMessage(kReqReloadDefaults));
}

void ControlRequests::SetGearRatios(uint32_t raRatio, uint32_t decRatio) {
    Send(RequestMessage(kReqSetGearRatios).Long(raRatio).Long(decRatio));
}

void ControlRequests::SetReverseFlags(uint8_t rotation, uint8_t guiding, uint8_t limitSwitches) {
    Send(RequestMessage(kReqSetReverseFlags).Byte(rotation).Byte(guiding).Byte(limitSwitches));
}

void ControlRequests::SetCurrent(uint8_t selector, uint16_t milliamps) {
    Send(RequestMessage(kReqSetCurrent).Byte(selector).Word(milliamps));
}

void ControlRequests::SetDecay(uint8_t selector, uint8_t decay) {
    // The decay travels as a 16-bit field whose high byte is always 0.
    Send(RequestMessage(kReqSetDecay).Byte(selector).Word(decay));
}

void ControlRequests::SetMaxSpeed(uint16_t raSpeed, uint16_t decSpeed) {
    Send(RequestMessage(kReqSetMaxSpeed).Word(raSpeed).Word(decSpeed));
}

void ControlRequests::SetAcceleration(uint8_t raValue, uint8_t decValue) {
    Send(RequestMessage(kReqSetAcceleration).Byte(raValue).Byte(decValue));
}

void ControlRequests::SetDeceleration(uint8_t raValue, uint8_t decValue) {
    Send(RequestMessage(kReqSetDeceleration).Byte(raValue).Byte(decValue));
}

void ControlRequests::SetOvertone(uint8_t axis, uint8_t value) {
    if (CurrentProtocolLevel() < kLevelForTuning) {
        return;
    }
    Send(RequestMessage(kReqSetOvertone).Byte(axis).Byte(value));
}

void ControlRequests::SetIncreaseCurrentAt(uint8_t axis, uint16_t first, uint16_t second) {
    if (CurrentProtocolLevel() < kLevelForTuning) {
        return;
    }
    Send(RequestMessage(kReqSetIncreaseCurrentAt).Byte(axis).Word(first).Word(second));
}

void ControlRequests::SetGuidingRates(uint8_t raRate, uint8_t decRate) {
    Send(RequestMessage(kReqSetGuidingRates).Byte(raRate).Byte(decRate));
}

void ControlRequests::ApplyAdvanced(const AdvancedSettings& settings) {
    // The words are handed over first, so the request always finds them when it runs.
    StorePendingAdvanced(settings);
    Send(RequestMessage(kReqApplyAdvanced));
}

void ControlRequests::ReadVoltage() {
    Send(RequestMessage(kReqReadVoltage));
}

void ControlRequests::InitScope(uint8_t positionCode) {
    Send(RequestMessage(kReqInitScope).Byte(positionCode));
}

void ControlRequests::DefinePark() {
    Send(RequestMessage(kReqDefinePark));
}

}  // namespace axistune
