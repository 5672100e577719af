#include "engine/request_execution.h"

#include "core/status_codes.h"
#include "engine/move_arguments.h"
#include "engine/request_codes.h"
#include "link/controller_commands.h"
#include "link/protocol_states.h"

namespace axistune {

namespace {

// Argument bytes after the request code; -1 for codes that request execution does not handle.
int ArgumentBytes(uint8_t code) {
    switch (code) {
        case kReqStopMotion:
        case kReqSetTracking:
        case kReqSetExp:
        case kReqInitScope:
            return 1;
        case kReqMoveManual:
        case kReqSetOvertone:
        case kReqSetAcceleration:
        case kReqSetDeceleration:
        case kReqSetGuidingRates:
            return 2;
        case kReqSetReverseFlags:
        case kReqSetCurrent:
        case kReqSetDecay:
            return 3;
        case kReqSetMaxSpeed:
            return 4;
        case kReqSetIncreaseCurrentAt:
            return 5;
        case kReqSetGearRatios:
            return 8;
        case kReqStoreSettings:
        case kReqSendCommand0B:
        case kReqReloadDefaults:
        case kReqApplyAdvanced:
        case kReqReadVoltage:
        case kReqDefinePark:
            return 0;
        default:
            return -1;
    }
}

uint16_t U16At(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t U32At(const uint8_t* p) {
    return static_cast<uint32_t>(U16At(p)) | (static_cast<uint32_t>(U16At(p + 2)) << 16);
}

constexpr bool kReport = true;
constexpr bool kDrop = false;

}  // namespace

RequestExecution::RequestExecution(ControllerProtocol& protocol, FrameSink& sink,
                                   TelescopeListener& listener, AdvancedSource& advanced)
    : protocol_(protocol), sink_(sink), listener_(listener), advanced_(advanced) {}

bool RequestExecution::Idle(bool report) {
    if (protocol_.IsIdle()) {
        return true;
    }
    if (report) {
        listener_.OnStatus(kStatusCommunicationError);
    }
    return false;
}

void RequestExecution::Execute(const uint8_t* message) {
    const int payload = message[0] & 0x1F;
    if (payload < 1) {
        return;
    }
    const uint8_t code = message[1];
    const int needed = ArgumentBytes(code);
    if (needed < 0 || payload - 1 < needed) {
        return;
    }
    const uint8_t* a = message + 2;

    switch (code) {
        case kReqMoveManual:
            MoveManual(a[0], a[1]);
            break;
        case kReqStopMotion:
            SendStop(sink_, StopMask(a[0]));
            listener_.OnStatus(kStatusReady);
            break;
        case kReqSetTracking:
            SendTracking(sink_, a[0]);
            break;
        case kReqSetExp:
            SendExp(sink_, a[0]);
            break;
        case kReqStoreSettings:
            if (Idle(kReport)) {
                protocol_.SetProtocolState(ST_WAIT_STORE_ACK);
                SendStoreSettings(sink_);
                if (SettingsChangeObserver* observer = observer_.load(std::memory_order_acquire)) {
                    observer->OnStoreSettingsSent();
                }
            }
            break;
        case kReqSendCommand0B:
            if (Idle(kDrop)) {
                SendCommand0B(sink_);
            }
            break;
        case kReqReloadDefaults:
            protocol_.SetProtocolState(ST_WAIT_RELOAD_ACK);
            SendReloadDefaults(sink_);
            if (SettingsChangeObserver* observer = observer_.load(std::memory_order_acquire)) {
                observer->OnReloadDefaultsSent();
            }
            break;
        case kReqSetGearRatios:
            if (Idle(kReport)) {
                protocol_.SetProtocolState(ST_WAIT_GEAR_ACK);
                SendSetGearRatios(sink_, U32At(a), U32At(a + 4));
                Sent(SettingRequest::kGearRatios, 0, U32At(a), U32At(a + 4));
            }
            break;
        case kReqSetReverseFlags:
            if (Idle(kDrop)) {
                SendSetReverse(sink_, a[0], a[1], a[2]);
                Sent(SettingRequest::kReverseFlags, 0, a[0], a[1], a[2]);
            }
            break;
        case kReqSetCurrent:
            if (Idle(kReport)) {
                SendSetCurrent(sink_, a[0], U16At(a + 1));
                Sent(SettingRequest::kCurrent, a[0], U16At(a + 1));
            }
            break;
        case kReqSetDecay:
            // The request carries the decay as 16 bits; the controller takes its low byte.
            if (Idle(kDrop)) {
                SendSetDecay(sink_, a[0], a[1]);
                Sent(SettingRequest::kDecay, a[0], a[1]);
            }
            break;
        case kReqSetOvertone:
            if (Idle(kReport)) {
                SendSetOvertone(sink_, a[0], a[1]);
                Sent(SettingRequest::kOvertone, a[0], a[1]);
            }
            break;
        case kReqSetIncreaseCurrentAt:
            if (Idle(kReport)) {
                SendSetIncreaseCurrent(sink_, a[0], U16At(a + 1), U16At(a + 3));
                Sent(SettingRequest::kIncreaseCurrent, a[0], U16At(a + 1), U16At(a + 3));
            }
            break;
        case kReqSetMaxSpeed:
            if (Idle(kDrop)) {
                protocol_.SetMaxSpeeds(U16At(a), U16At(a + 2));
                SendSetMaxSpeed(sink_, U16At(a), U16At(a + 2));
                Sent(SettingRequest::kMaxSpeed, 0, U16At(a), U16At(a + 2));
            }
            break;
        case kReqSetAcceleration:
            if (Idle(kDrop)) {
                SendSetAcceleration(sink_, a[0], a[1]);
                Sent(SettingRequest::kAcceleration, 0, a[0], a[1]);
            }
            break;
        case kReqSetDeceleration:
            if (Idle(kDrop)) {
                SendSetDeceleration(sink_, a[0], a[1]);
                Sent(SettingRequest::kDeceleration, 0, a[0], a[1]);
            }
            break;
        case kReqSetGuidingRates:
            if (Idle(kDrop)) {
                SendSetGuiding(sink_, a[0], a[1]);
                Sent(SettingRequest::kGuidingRates, 0, a[0], a[1]);
            }
            break;
        case kReqApplyAdvanced: {
            const AdvancedSettings snapshot = advanced_.TakeAdvancedSnapshot();
            if (protocol_.StartAdvancedChain(snapshot)) {
                SentAdvanced(snapshot);
            }
            break;
        }
        case kReqReadVoltage:
            protocol_.SetProtocolState(ST_WAIT_VOLTAGE);
            SendReadVoltage(sink_);
            break;
        case kReqInitScope:
            InitScope(a[0]);
            break;
        case kReqDefinePark:
            protocol_.SetProtocolState(ST_WAIT_PARK_ACK);
            SendDefinePark(sink_);
            break;
        default:
            break;
    }
}

void RequestExecution::SetSettingsChangeObserver(SettingsChangeObserver* observer) {
    observer_.store(observer, std::memory_order_release);
}

void RequestExecution::Sent(SettingRequest request, uint8_t selector, uint32_t first,
                            uint32_t second, uint32_t third) {
    SettingsChangeObserver* observer = observer_.load(std::memory_order_acquire);
    if (observer == nullptr) {
        return;
    }
    PlannedRequest sent;
    sent.request = request;
    sent.selector = selector;
    sent.first = first;
    sent.second = second;
    sent.third = third;
    observer->OnSettingsChangeSent(sent);
}

// Reported once, when the first step goes out: the later steps follow from the same snapshot as
// the controller acknowledges each one, and an exchange that replaces the chain ends it.
void RequestExecution::SentAdvanced(const AdvancedSettings& snapshot) {
    SettingsChangeObserver* observer = observer_.load(std::memory_order_acquire);
    if (observer == nullptr) {
        return;
    }
    PlannedRequest sent;
    sent.request = SettingRequest::kAdvanced;
    sent.advanced = snapshot;
    observer->OnSettingsChangeSent(sent);
}

void RequestExecution::MoveManual(uint8_t direction, uint8_t speedIndex) {
    const ManualMove move = ComputeManualMove(protocol_.Settings(), direction, speedIndex);
    SendMove(sink_, move.axis, move.speed);
    listener_.OnStatus(kStatusManualMovement);
}

void RequestExecution::InitScope(uint8_t positionCode) {
    uint8_t letters[3];
    if (!InitPositionLetters(positionCode, letters)) {
        protocol_.SetProtocolState(ST_READY);
        return;
    }
    protocol_.SetProtocolState(ST_WAIT_SYNC_ACK);
    SendInitPosition(sink_, letters[0], letters[1], letters[2]);
}

}  // namespace axistune
