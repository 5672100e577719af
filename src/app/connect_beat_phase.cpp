#include "app/connect_beat_phase.h"

#include "app/heart_beat.h"
#include "engine/serial_link.h"

namespace axistune {

namespace {

// AA 01 01 and its seven-byte answer, ten bits a character.
constexpr uint64_t kVersionExchangeBits = (3 + 7) * 10;
// Covers an FTDI adapter's default 16 ms latency timer and the engine's own few milliseconds.
constexpr uint64_t kMarginMs = 25;

}  // namespace

uint32_t ConnectBeatPhaseMs(uint32_t baudRate) {
    const uint64_t lineMs =
        baudRate == 0 ? 0 : (kVersionExchangeBits * 1000 + baudRate - 1) / baudRate;
    const uint64_t afterAnswer = SerialLink::kHandshakePauseMs + lineMs + kMarginMs;
    const uint64_t phase = afterAnswer % HeartBeat::kPeriodMs;
    return static_cast<uint32_t>(phase == 0 ? HeartBeat::kPeriodMs : phase);
}

}  // namespace axistune
