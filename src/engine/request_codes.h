#pragma once

#include <cstdint>

namespace axistune {

// First payload byte of every request message in the engine queue.
enum RequestCode : uint8_t {
    kReqConnect = 3,
    kReqDisconnect = 4,
    kReqMoveManual = 5,
    kReqStopMotion = 6,
    kReqSetTracking = 7,
    kReqSetExp = 8,
    kReqStoreSettings = 21,
    kReqSendCommand0B = 22,
    kReqReloadDefaults = 23,
    kReqSetGearRatios = 24,
    kReqSetReverseFlags = 26,
    kReqSetCurrent = 27,
    kReqSetDecay = 28,
    kReqSetOvertone = 29,
    kReqSetIncreaseCurrentAt = 30,
    kReqSetMaxSpeed = 32,
    kReqSetAcceleration = 33,
    kReqSetDeceleration = 34,
    kReqSetGuidingRates = 35,
    kReqApplyAdvanced = 37,
    kReqReadVoltage = 38,
    kReqInitScope = 39,
    kReqDefinePark = 40,
};

// Header byte of a queue message: bit 7 set, bits 6..5 kind, bits 4..0 payload length.
enum QueueMessageKind : uint8_t {
    kKindRequest = 0,
    kKindTick = 1,
    kKindSerialBytes = 2,
    kKindLink = 3,  // link events from the serial reader (port lost)
};

constexpr uint8_t kQueueHeaderBit = 0x80;
constexpr uint8_t kMaxQueuePayload = 31;
constexpr uint8_t kMaxQueueMessage = 32;

constexpr uint8_t QueueHeader(QueueMessageKind kind, uint8_t length) {
    return static_cast<uint8_t>(kQueueHeaderBit | (kind << 5) | (length & 0x1F));
}

}  // namespace axistune
