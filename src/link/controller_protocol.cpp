#include "link/controller_protocol.h"

#include "core/controller_constants.h"
#include "core/status_codes.h"
#include "link/controller_commands.h"
#include "link/firmware_check.h"
#include "link/settings_decoding.h"

namespace axistune {

namespace {

constexpr uint8_t kReservedAtStart = 7;
constexpr uint8_t kLongVersionLength = 5;
constexpr uint8_t kShortVersionLength = 3;
constexpr uint8_t kLongVersionMarker = 0x01;

bool IsKnownHardware(uint32_t type) {
    return type == 1 || type == 3 || type == 4 || type == 5;
}

// Version 0.x, 1.0 and 1.1 controllers answer the short version reply and cannot be driven.
bool IsOldShortVersion(uint8_t major, uint8_t minor) {
    return major == 0 || (major == 1 && minor <= 1);
}

// Within one message a request to close the link outweighs a completed read, which outweighs
// nothing: a later reply in the same message must not hide either.
int Stronger(int a, int b) {
    if (a == kOutcomeCloseLink || b == kOutcomeCloseLink) {
        return kOutcomeCloseLink;
    }
    if (a == kOutcomeHandshakeDone || b == kOutcomeHandshakeDone) {
        return kOutcomeHandshakeDone;
    }
    return kOutcomeNothing;
}

}  // namespace

ControllerProtocol::ControllerProtocol(FrameSink& sink, TelescopeListener& listener)
    : sink_(sink), listener_(listener) {}

int ControllerProtocol::StartHandshake() {
    settings_ = ControllerSettings{};
    parser_.Reset();
    settings_.reserved1 = kReservedAtStart;
    settings_.modeFlagZero = 1;
    settingsKind_ = kSettingsConnected;
    replyTimeout_ = kReplyTimeoutTicks;
    protocolState_ = ST_WAIT_VERSION;
    pendingState_ = ST_READY;
    SendReadVersion(sink_);
    return kOutcomeNothing;
}

int ControllerProtocol::OnSerialBytes(const uint8_t* bytes, uint32_t count) {
    int outcome = kOutcomeNothing;
    for (uint32_t i = 0; i < count; ++i) {
        if (parser_.Feed(bytes[i])) {
            outcome = Stronger(outcome, DecodeReply(parser_.Reply()));
        }
    }
    return outcome;
}

int ControllerProtocol::OnTick() {
    int outcome = kOutcomeNothing;
    if (replyTimeout_ > 0) {
        --replyTimeout_;
        if (replyTimeout_ == 0 && IsTimedState(protocolState_)) {
            listener_.OnStatus(kStatusTimeout);
            outcome = kOutcomeCloseLink;
        }
    }
    if (protocolState_ == ST_DELAY) {
        if (delayTicks_ > 0) {
            --delayTicks_;
            if (delayTicks_ > 0) {
                return outcome;
            }
        }
        protocolState_ = pendingState_;
        pendingState_ = ST_READY;
        SendQuery(protocolState_);
    }
    return outcome;
}

void ControllerProtocol::SendQuery(int32_t state) {
    switch (state) {
        case ST_WAIT_MODE_FLAG:
            SendReadModeFlag(sink_);
            break;
        case ST_WAIT_FIRMWARE:
            SendReadFirmware(sink_);
            break;
        case ST_WAIT_BASE:
            SendReadBaseSettings(sink_);
            break;
        case ST_WAIT_AXIS:
            SendReadAxisSettings(sink_);
            break;
        default:
            return;
    }
    replyTimeout_ = kReplyTimeoutTicks;
}

void ControllerProtocol::DelayTo(int32_t state) {
    protocolState_ = ST_DELAY;
    pendingState_ = state;
    delayTicks_ = kQueryDelayTicks;
}

int ControllerProtocol::DecodeReply(const ReplyView& reply) {
    switch (protocolState_) {
        case ST_WAIT_VERSION:
            return DecodeVersion(reply);
        case ST_WAIT_MODE_FLAG:
            // An empty or one-byte reply carries no flag: it reads as 0.
            settings_.modeFlag = reply.Byte(3);
            settings_.modeFlagZero = settings_.modeFlag == 0 ? 1 : 0;
            DelayTo(ST_WAIT_FIRMWARE);
            return kOutcomeNothing;
        case ST_WAIT_FIRMWARE:
            return DecodeFirmware(reply);
        case ST_WAIT_BASE:
            DecodeBaseSettings(reply, settings_, true);
            DelayTo(ST_WAIT_AXIS);
            return kOutcomeNothing;
        case ST_WAIT_AXIS:
            DecodeAxisSettings(reply, settings_);
            RecomputeTopRates(settings_);
            protocolState_ = ST_WAIT_MERIDIAN;
            replyTimeout_ = kReplyTimeoutTicks;
            SendReadMeridian(sink_);
            return kOutcomeNothing;
        case ST_WAIT_MERIDIAN:
            DecodeMeridian(reply, settings_);
            protocolState_ = ST_WAIT_GEO;
            replyTimeout_ = kReplyTimeoutTicks;
            SendReadGeo(sink_);
            return kOutcomeNothing;
        case ST_WAIT_GEO:
            DecodeGeo(reply, settings_);
            if (settings_.features & kFeatureClosedLoop) {
                protocolState_ = ST_WAIT_CLOSED_LOOP;
                replyTimeout_ = kReplyTimeoutTicks;
                SendReadClosedLoop(sink_);
                return kOutcomeNothing;
            }
            return FinishRead();
        case ST_WAIT_CLOSED_LOOP:
            settings_.closedLoopDefault = reply.Byte(3);
            return FinishRead();
        case ST_WAIT_GEAR_ACK:
            protocolState_ = ST_WAIT_GEAR_REREAD;
            SendReadBaseSettings(sink_);
            return kOutcomeNothing;
        case ST_WAIT_GEAR_REREAD:
            // Only the gear ratios changed; the mount type is the user's, not re-read here.
            DecodeBaseSettings(reply, settings_, false);
            RecomputeTopRates(settings_);
            protocolState_ = ST_READY;
            listener_.OnSettings(&settings_, kSettingsGearReread);
            return kOutcomeNothing;
        case ST_WAIT_VOLTAGE:
            protocolState_ = ST_READY;
            listener_.OnVoltage(reply.U16(5));
            return kOutcomeNothing;
        case ST_WAIT_SYNC_ACK:
            protocolState_ = ST_READY;
            listener_.OnStatus(kStatusSynchronized);
            return kOutcomeNothing;
        case ST_WAIT_PARK_ACK:
            protocolState_ = ST_READY;
            listener_.OnStatus(kStatusParkDefined);
            return kOutcomeNothing;
        case ST_WAIT_STORE_ACK:
            protocolState_ = ST_READY;
            listener_.OnStatus(kStatusParametersStored);
            return kOutcomeNothing;
        case ST_WAIT_RELOAD_ACK:
            settingsKind_ = kSettingsReloaded;
            protocolState_ = ST_WAIT_BASE;
            SendReadBaseSettings(sink_);
            return kOutcomeNothing;
        case ST_ADV_GEO:
            NextAdvancedStep(kStepMount);
            return kOutcomeNothing;
        case ST_ADV_MOUNT:
            NextAdvancedStep(kStepMeridian);
            return kOutcomeNothing;
        case ST_ADV_MERIDIAN:
            NextAdvancedStep(kStepClosedLoop);
            return kOutcomeNothing;
        case ST_ADV_CLOSED_LOOP:
            protocolState_ = ST_READY;
            listener_.OnStatus(kStatusSettingsDone);
            return kOutcomeNothing;
        default:
            // Nothing awaited (offline, idle, between queries): the reply is consumed.
            return kOutcomeNothing;
    }
}

int ControllerProtocol::DecodeVersion(const ReplyView& reply) {
    const uint8_t length = reply.PayloadLength();
    if (length == kLongVersionLength) {
        if (reply.Byte(2) != kLongVersionMarker) {
            return kOutcomeNothing;
        }
        settings_.versionWord = reply.U32(3);
        settings_.hardwareType = settings_.versionWord >> 16;
        if (!IsKnownHardware(settings_.hardwareType)) {
            listener_.OnStatus(kStatusIncompatibleDevice);
            return kOutcomeCloseLink;
        }
        DelayTo(ST_WAIT_MODE_FLAG);
        return kOutcomeNothing;
    }
    if (length == kShortVersionLength) {
        const uint8_t major = reply.Byte(3);
        const uint8_t minor = reply.Byte(4);
        settings_.versionWord = 0x10000u + minor * 256u + major;
        if (IsOldShortVersion(major, minor)) {
            // The port stays open; the dispatcher refuses requests until the user disconnects.
            protocolState_ = ST_OFFLINE;
            listener_.OnSettings(&settings_, kSettingsOldController);
            return kOutcomeNothing;
        }
        DelayTo(ST_WAIT_MODE_FLAG);
        return kOutcomeNothing;
    }
    return kOutcomeNothing;
}

int ControllerProtocol::DecodeFirmware(const ReplyView& reply) {
    settings_.firmwareVersion = reply.U32(3);
    settings_.protocolLevel = ProtocolLevelFor(settings_.hardwareType, settings_.firmwareVersion);
    if (settings_.protocolLevel == kAcceptedProtocolLevel) {
        DelayTo(ST_WAIT_BASE);
        return kOutcomeNothing;
    }
    protocolState_ = ST_READY;
    listener_.OnStatusValue(kStatusFirmwareTooOld, settings_.firmwareVersion);
    return kOutcomeCloseLink;
}

int ControllerProtocol::FinishRead() {
    protocolState_ = ST_READY;
    listener_.OnSettings(
        &settings_, settingsKind_ == kSettingsReloaded ? kSettingsReloaded : kSettingsConnected);
    return kOutcomeHandshakeDone;
}

void ControllerProtocol::SetMaxSpeeds(uint16_t raSpeed, uint16_t decSpeed) {
    settings_.raMaxSpeed = raSpeed;
    settings_.decMaxSpeed = decSpeed;
    RecomputeTopRates(settings_);
}

}  // namespace axistune
