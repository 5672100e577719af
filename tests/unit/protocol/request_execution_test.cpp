#include <gtest/gtest.h>

#include "core/status_codes.h"
#include "protocol_harness.h"
#include "text/twos_complement.h"

using namespace axistune;

namespace {

// The signed speed and axis byte of a CMD_MOVE frame.
struct SentMove {
    uint8_t axis;
    int32_t speed;
};

SentMove MoveOf(const Bytes& frame) {
    EXPECT_EQ(frame.size(), 9u);
    EXPECT_EQ((Bytes(frame.begin(), frame.begin() + 4)), (Bytes{0xAA, 0x07, 0x23, 0x00}));
    const uint32_t raw =
        frame[5] | (frame[6] << 8) | (frame[7] << 16) | (static_cast<uint32_t>(frame[8]) << 24);
    return SentMove{frame[4], AsSigned32(raw)};
}

ControllerImage RaHundredTopSixtyThousand(uint8_t mountType = 0) {
    ControllerImage c;
    c.raSiderealRate = 100;
    c.raMaxSpeed = 600;  // top rate 60000
    c.decSiderealRate = 50;
    c.decMaxSpeed = 500;  // top rate 25000
    c.mountType = mountType;
    return c;
}

TEST(ManualMove, SpeedFollowsTheSliderFromSiderealFractionsToTheTopRate) {
    const struct {
        uint8_t index;
        int32_t speed;
    } cases[] = {{0, 32},  {1, 65},  {2, 100},   {3, 132},    {4, 165},   {5, 200},
                 {6, 400}, {7, 876}, {10, 4214}, {20, 25376}, {31, 60000}};
    Harness h;
    Connect(h, RaHundredTopSixtyThousand());
    for (const auto& c : cases) {
        h.Clear();
        h.Request({5, 2, c.index});  // west: RA, positive
        ASSERT_EQ(h.sink.frames.size(), 1u);
        const SentMove m = MoveOf(h.LastFrame());
        EXPECT_EQ(m.axis, 0x80);
        EXPECT_EQ(m.speed, c.speed) << "index " << int(c.index);
        EXPECT_EQ(h.listener.Statuses(), std::vector<int32_t>{kStatusManualMovement});
    }
}

TEST(ManualMove, EastAtSiderealIsMinusOneHundredOnTheWire) {
    Harness h;
    Connect(h, RaHundredTopSixtyThousand());
    h.Request({5, 3, 2});
    EXPECT_EQ(h.LastFrame(), (Bytes{0xAA, 0x07, 0x23, 0x00, 0x80, 0x9C, 0xFF, 0xFF, 0xFF}));
}

TEST(ManualMove, SignAxisAndRatesByMountTypeAndDirection) {
    const struct {
        uint8_t mountType;
        uint8_t direction;
        uint8_t axis;
        int32_t speed;  // at index 31: the axis' top rate
    } cases[] = {
        {0, 0, 0x40, 25000},
        {0, 1, 0x40, -25000},
        {0, 2, 0x80, 60000},
        {0, 3, 0x80, -60000},
        {1, 0, 0x40, 25000},
        {1, 1, 0x40, -25000},
        {1, 2, 0x80, 60000},
        {1, 3, 0x80, -60000},
        {2, 0, 0x40, 25000},
        {2, 1, 0x40, 25000},
        {2, 2, 0x80, 60000},
        {2, 3, 0x80, 60000},
        {5, 1, 0x40, 25000},
        {5, 3, 0x80, 60000},
        // No axis: fixed rates, never negated.
        {0, 4, 0x00, 200000},
        {1, 7, 0x00, 200000},
        {0, 255, 0x00, 200000},
    };
    for (const auto& c : cases) {
        Harness h;
        Connect(h, RaHundredTopSixtyThousand(c.mountType));
        h.Request({5, c.direction, 31});
        const SentMove m = MoveOf(h.LastFrame());
        EXPECT_EQ(m.axis, c.axis) << int(c.mountType) << "/" << int(c.direction);
        EXPECT_EQ(m.speed, c.speed) << int(c.mountType) << "/" << int(c.direction);
    }
}

TEST(ManualMove, NoAxisUsesTwoHundredAsTheSiderealRate) {
    Harness h;
    Connect(h, RaHundredTopSixtyThousand());
    h.Request({5, 9, 2});
    EXPECT_EQ(MoveOf(h.LastFrame()).speed, 200);
    h.Request({5, 9, 6});
    EXPECT_EQ(MoveOf(h.LastFrame()).speed, 800);
}

TEST(ManualMove, ExtremeRatesWrapWithoutUndefinedArithmetic) {
    ControllerImage c;
    c.raSiderealRate = 0x02000001;  // x 256 wraps past 2^32, x 64 past 2^31
    c.raMaxSpeed = 0xFFFF;
    c.decSiderealRate = 0x00800000;  // four times sidereal is 2^25 exactly
    c.decMaxSpeed = 0x0100;          // top rate 2^31: beyond a signed 32-bit speed
    Harness h;
    Connect(h, c);
    EXPECT_EQ(h.protocol.Settings().raTopRate, 0xFFFFu * 0x02000001u);  // wrapped product

    h.Request({5, 2, 2});  // 0x02000001 * 64 = 0x80000040: negative as a signed product
    EXPECT_EQ(MoveOf(h.LastFrame()).speed, AsSigned32(0x80000040u) / 64);
    h.Request({5, 3, 2});  // and its negation
    EXPECT_EQ(MoveOf(h.LastFrame()).speed, -(AsSigned32(0x80000040u) / 64));
    // A top rate that no signed 32-bit speed can carry goes out as the most negative value;
    // south on an equatorial mount negates it, which wraps back to itself.
    h.Request({5, 0, 31});
    EXPECT_EQ(MoveOf(h.LastFrame()).speed, INT32_MIN);
    h.Request({5, 1, 31});
    EXPECT_EQ(MoveOf(h.LastFrame()).speed, INT32_MIN);
    // Indices beyond the slider keep rising along the curve.
    h.Request({5, 9, 255});
    EXPECT_EQ(MoveOf(h.LastFrame()).speed, 6262299);
}

TEST(SetMaxSpeed, KeepsTheSpeedsAndRecomputesTheTopRatesBeforeSending) {
    Harness h;
    Connect(h, RaHundredTopSixtyThousand());
    h.Request({32, 0x20, 0x03, 0x58, 0x02});  // 800, 600
    EXPECT_EQ(h.protocol.Settings().raMaxSpeed, 800u);
    EXPECT_EQ(h.protocol.Settings().decMaxSpeed, 600u);
    EXPECT_EQ(h.protocol.Settings().raTopRate, 80000u);
    EXPECT_EQ(h.protocol.Settings().decTopRate, 30000u);
    h.Request({5, 2, 31});
    EXPECT_EQ(MoveOf(h.LastFrame()).speed, 80000);
}

// --- Idle-only requests ----------------------------------------------------------------------

TEST(IdleOnly, WhileAStoreIsAwaitedSomeAreRefusedAndOthersDropped) {
    const struct {
        Bytes request;
        bool refused;  // status 10; otherwise dropped without a word
    } cases[] = {
        {{21}, true},
        {{24, 1, 0, 0, 0, 1, 0, 0, 0}, true},
        {{27, 0x81, 0xD0, 0x07}, true},
        {{29, 0x80, 0x05}, true},
        {{30, 0x80, 0xF4, 0x01, 0xF4, 0x01}, true},
        {{22}, false},
        {{26, 1, 1, 1}, false},
        {{28, 0x80, 2, 0}, false},
        {{32, 0x20, 0x03, 0x58, 0x02}, false},
        {{33, 0x10, 0x10}, false},
        {{34, 0x10, 0x10}, false},
        {{35, 8, 8}, false},
    };
    for (const auto& c : cases) {
        Harness h;
        Connect(h, RaHundredTopSixtyThousand());
        h.Request({21});
        h.Clear();
        const ControllerSettings before = h.protocol.Settings();
        h.Request(c.request);
        EXPECT_TRUE(h.sink.frames.empty()) << int(c.request[0]);
        EXPECT_EQ(h.listener.Statuses(), c.refused ? std::vector<int32_t>{kStatusCommunicationError}
                                                   : std::vector<int32_t>{})
            << int(c.request[0]);
        EXPECT_EQ(h.protocol.ProtocolState(), ST_WAIT_STORE_ACK);
        EXPECT_EQ(h.protocol.Settings().raMaxSpeed, before.raMaxSpeed);
        EXPECT_EQ(h.protocol.Settings().decMaxSpeed, before.decMaxSpeed);
        EXPECT_EQ(h.protocol.Settings().raTopRate, before.raTopRate);
        EXPECT_EQ(h.protocol.Settings().decTopRate, before.decTopRate);
    }
}

TEST(IdleOnly, OtherRequestsRunAndReplaceTheAwaitedExchange) {
    const struct {
        Bytes request;
        int32_t stateAfter;
    } cases[] = {
        {{5, 2, 2}, ST_WAIT_STORE_ACK}, {{6, 4}, ST_WAIT_STORE_ACK}, {{7, 1}, ST_WAIT_STORE_ACK},
        {{8, 0}, ST_WAIT_STORE_ACK},    {{23}, ST_WAIT_RELOAD_ACK},  {{38}, ST_WAIT_VOLTAGE},
        {{39, 5}, ST_WAIT_SYNC_ACK},    {{39, 3}, ST_READY},         {{40}, ST_WAIT_PARK_ACK},
    };
    for (const auto& c : cases) {
        Harness h;
        Connect(h);
        h.Request({21});
        h.Clear();
        h.Request(c.request);
        const bool sends = !(c.request == Bytes{39, 3});
        EXPECT_EQ(h.sink.frames.size(), sends ? 1u : 0u) << int(c.request[0]);
        EXPECT_EQ(h.protocol.ProtocolState(), c.stateAfter) << int(c.request[0]);
    }
}

TEST(IdleOnly, TheReplyIsTakenAsTheAnswerToTheNewerRequest) {
    Harness h;
    Connect(h);
    h.Request({21});
    h.Request({40});
    h.Feed(kAck);
    EXPECT_EQ(h.listener.Statuses(), std::vector<int32_t>{kStatusParkDefined});
    EXPECT_EQ(h.protocol.ProtocolState(), ST_READY);
}

TEST(IdleOnly, AdvancedSettingsRunWhileAnExchangeIsAwaited) {
    Harness h;
    Connect(h);
    h.Request({21});
    h.advanced.pending.changed = kChangedMountType;
    h.advanced.pending.mountType = 2;
    h.Request({37});
    EXPECT_EQ(h.LastFrame(), (Bytes{0xAA, 0x03, 0x1B, 0x01, 0x02}));
    EXPECT_EQ(h.protocol.ProtocolState(), ST_ADV_MOUNT);
}

// --- Malformed messages ----------------------------------------------------------------------

TEST(Malformed, UnknownCodesAndShortPayloadsDoNothing) {
    const Bytes messages[] = {
        // Unknown, or handled by the dispatcher alone.
        {3, 5, 0, 0xC2, 0x01, 0x00},
        {4},
        {0},
        {9},
        {25},
        {31},
        {36},
        {41},
        {0xFF},
        // One argument byte short.
        {5, 2},
        {6},
        {7},
        {8},
        {24, 1, 0, 0, 0, 1, 0, 0},
        {26, 1, 1},
        {27, 0x81, 0xD0},
        {28, 0x80, 2},
        {29, 0x80},
        {30, 0x80, 1, 0, 1},
        {32, 1, 0, 1},
        {33, 1},
        {34, 1},
        {35, 1},
        {39},
    };
    for (const Bytes& m : messages) {
        Harness h;
        Connect(h);
        h.Request(m);
        EXPECT_TRUE(h.sink.frames.empty()) << int(m[0]) << " length " << m.size();
        EXPECT_TRUE(h.listener.Events().empty()) << int(m[0]);
        EXPECT_EQ(h.protocol.ProtocolState(), ST_READY);
        EXPECT_EQ(h.advanced.taken, 0);
    }
    Harness h;
    Connect(h);
    const uint8_t headerOnly[] = {0x80};
    h.requests.Execute(headerOnly);
    EXPECT_TRUE(h.sink.frames.empty());
}

TEST(Malformed, ExtraArgumentBytesAreIgnored) {
    Harness h;
    Connect(h);
    h.Request({40, 0x55, 0x66});
    EXPECT_EQ(h.LastFrame(), (Bytes{0xAA, 0x03, 0x69, 0x01, 0x01}));
}

}  // namespace
