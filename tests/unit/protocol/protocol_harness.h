#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/request_execution.h"
#include "link/controller_protocol.h"
#include "protocol_fakes.h"
#include "support/recording_listener.h"

namespace axistune {

// A reply as the controller sends it: 0x55, L, payload.
inline Bytes Reply(const Bytes& payload) {
    Bytes r(payload.size() + 2);
    r[0] = 0x55;
    r[1] = static_cast<uint8_t>(payload.size());
    std::copy(payload.begin(), payload.end(), r.begin() + 2);
    return r;
}

inline void PutU16(Bytes& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

inline void PutU32(Bytes& b, uint32_t v) {
    PutU16(b, static_cast<uint16_t>(v));
    PutU16(b, static_cast<uint16_t>(v >> 16));
}

// What a simulated controller reports, for tests that need a connected core with known values.
struct ControllerImage {
    uint8_t features = 0x84;
    uint32_t raGearRatio = 1382400;
    uint32_t raSiderealRate = 100;
    uint8_t decFeatures = 0x08;
    uint32_t decGearRatio = 1036800;
    uint32_t decSiderealRate = 75;
    uint8_t mountType = 0;
    uint16_t raMaxSpeed = 600;
    uint16_t decMaxSpeed = 400;
    uint8_t meridian0 = 0x11;
    uint8_t meridian1 = 0x22;
    uint8_t flipHysteresis = 5;
    int32_t latitude = 47 * 86400 + 30 * 1440;
    int32_t longitude = -(8 * 86400);
    uint8_t hemisphere = 0;
    uint8_t closedLoopDefault = 1;
};

inline Bytes BaseSettingsReply(const ControllerImage& c) {
    Bytes p{0xEE, 0xEE, c.features};
    PutU32(p, c.raGearRatio);
    PutU32(p, 0x01020304);  // scale
    PutU32(p, c.raSiderealRate);
    p.push_back(c.decFeatures);
    PutU32(p, c.decGearRatio);
    PutU32(p, 0x05060708);
    PutU32(p, c.decSiderealRate);
    p.push_back(c.mountType);
    return Reply(p);
}

inline void PutAxisBlock(Bytes& p, uint16_t maxSpeed) {
    PutU16(p, maxSpeed);
    p.push_back(8);   // guiding rate
    PutU16(p, 2000);  // max current
    PutU16(p, 300);   // idle, track, run currents
    PutU16(p, 600);
    PutU16(p, 1200);
    p.insert(p.end(), {1, 2, 3});  // decays
    p.push_back(0xFB);             // overtone -5
    p.push_back(0);
    p.push_back(64);  // acceleration
    p.push_back(48);  // deceleration
    PutU16(p, 500);   // increase current at
    PutU16(p, 0);
    p.push_back(0);
    PutU32(p, 0);
}

inline Bytes AxisSettingsReply(const ControllerImage& c) {
    Bytes p{0xEE, 0xEE, 0x01, 0x21};
    PutAxisBlock(p, c.raMaxSpeed);
    PutAxisBlock(p, c.decMaxSpeed);
    return Reply(p);
}

inline Bytes MeridianReply(const ControllerImage& c) {
    return Reply({0xEE, 0xEE, c.meridian0, c.meridian1, c.flipHysteresis});
}

inline Bytes GeoReply(const ControllerImage& c) {
    Bytes p{0xEE};
    PutU32(p, static_cast<uint32_t>(c.latitude));
    PutU32(p, static_cast<uint32_t>(c.longitude));
    p.push_back(c.hemisphere);
    return Reply(p);
}

const Bytes kAck = {0x55, 0x00};

// The protocol core with recording fakes, driven by bytes, ticks and request messages alone.
struct Harness {
    RecordingFrameSink sink;
    RecordingListener listener;
    FakeAdvancedSource advanced;
    ControllerProtocol protocol{sink, listener};
    RequestExecution requests{protocol, sink, listener, advanced};

    int Feed(const Bytes& bytes) {
        return protocol.OnSerialBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
    }
    int Tick() { return protocol.OnTick(); }
    // Ticks n times; the outcome of the last tick.
    int Ticks(int n) {
        int outcome = 0;
        for (int i = 0; i < n; ++i) {
            outcome = Tick();
        }
        return outcome;
    }
    // A request message (code and arguments) in a buffer of exactly its size, so that a read
    // beyond the message is caught under the address sanitizer.
    void Request(const Bytes& payload) {
        std::vector<uint8_t> message;
        message.push_back(static_cast<uint8_t>(0x80 | (payload.size() & 0x1F)));
        message.insert(message.end(), payload.begin(), payload.end());
        requests.Execute(message.data());
    }
    void Clear() {
        sink.frames.clear();
        listener.Clear();
    }
    const Bytes& LastFrame() const { return sink.frames.back(); }
};

// Walks the whole connection read with the given controller values and leaves the core idle
// with empty recordings.
inline void Connect(Harness& h, const ControllerImage& c = ControllerImage{}) {
    h.protocol.StartHandshake();
    h.Feed({0x55, 0x05, 0x01, 0x0A, 0x00, 0x01, 0x00});
    h.Ticks(2);
    h.Feed({0x55, 0x02, 0xEE, 0x00});
    h.Ticks(2);
    h.Feed({0x55, 0x05, 0xEE, 0x0A, 0x00, 0x00, 0x01});
    h.Ticks(2);
    h.Feed(BaseSettingsReply(c));
    h.Ticks(2);
    h.Feed(AxisSettingsReply(c));
    h.Feed(MeridianReply(c));
    int outcome = h.Feed(GeoReply(c));
    if (c.features & 0x80) {
        outcome = h.Feed({0x55, 0x02, 0xEE, c.closedLoopDefault});
    }
    ASSERT_EQ(outcome, kOutcomeHandshakeDone);
    ASSERT_EQ(h.protocol.ProtocolState(), ST_READY);
    h.Clear();
}

}  // namespace axistune
