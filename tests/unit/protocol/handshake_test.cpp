// The connection handshake, driven with the controller's bytes and heartbeat ticks alone.
#include <gtest/gtest.h>

#include "core/status_codes.h"
#include "protocol_harness.h"

using namespace axistune;

namespace {

const Bytes kVersionType1 = {0x55, 0x05, 0x01, 0x0A, 0x00, 0x01, 0x00};
const Bytes kModeFlagZero = {0x55, 0x02, 0xEE, 0x00};
const Bytes kFirmware1_0_0_10 = {0x55, 0x05, 0xEE, 0x0A, 0x00, 0x00, 0x01};

Bytes Frame(uint8_t command) {
    return Bytes{0xAA, 0x01, command};
}

// A reply whose byte k is `pattern(k)` for k = 2 .. length + 1.
template <typename Pattern>
Bytes PatternReply(uint8_t length, Pattern pattern) {
    Bytes r{0x55, length};
    for (int k = 2; k < length + 2; ++k) {
        r.push_back(static_cast<uint8_t>(pattern(k)));
    }
    return r;
}

// Base settings with byte k = k (features at byte 4 set to 0x84 or 0x04).
Bytes PatternBaseReply(uint8_t features) {
    Bytes r = PatternReply(0x1D, [](int k) { return k; });
    r[4] = features;
    return r;
}

// Axis settings with byte k = 0xA0 + k: every byte distinct, overtones negative.
Bytes PatternAxisReply() {
    return PatternReply(0x3A, [](int k) { return 0xA0 + k; });
}

class HandshakeTest : public ::testing::Test {
  protected:
    // Runs the handshake of the example up to the geo reply, checking each step on the way.
    void WalkToGeo(uint8_t features) {
        EXPECT_EQ(h.protocol.StartHandshake(), kOutcomeNothing);
        ExpectFrames({Frame(0x01)});
        EXPECT_EQ(h.protocol.ProtocolState(), ST_WAIT_VERSION);
        EXPECT_EQ(h.protocol.ReplyTimeout(), 32);

        EXPECT_EQ(h.Feed(kVersionType1), kOutcomeNothing);
        EXPECT_EQ(h.protocol.ProtocolState(), ST_DELAY);
        EXPECT_EQ(h.protocol.PendingState(), ST_WAIT_MODE_FLAG);
        EXPECT_EQ(h.protocol.DelayTicks(), 2);
        EXPECT_EQ(h.Tick(), kOutcomeNothing);
        ExpectFrames({});  // the query goes out on the second tick
        EXPECT_EQ(h.Tick(), kOutcomeNothing);
        ExpectFrames({Frame(0x03)});
        EXPECT_EQ(h.protocol.ProtocolState(), ST_WAIT_MODE_FLAG);
        EXPECT_EQ(h.protocol.PendingState(), ST_READY);

        EXPECT_EQ(h.Feed(kModeFlagZero), kOutcomeNothing);
        h.Ticks(2);
        ExpectFrames({Frame(0x02)});

        EXPECT_EQ(h.Feed(kFirmware1_0_0_10), kOutcomeNothing);
        h.Ticks(2);
        ExpectFrames({Frame(0x14)});
        EXPECT_EQ(h.protocol.ProtocolState(), ST_WAIT_BASE);

        EXPECT_EQ(h.Feed(PatternBaseReply(features)), kOutcomeNothing);
        EXPECT_EQ(h.protocol.ProtocolState(), ST_DELAY);
        h.Ticks(2);
        ExpectFrames({Frame(0x15)});

        // From the axis settings on, each query follows its predecessor's reply at once.
        EXPECT_EQ(h.Feed(PatternAxisReply()), kOutcomeNothing);
        ExpectFrames({Frame(0x3D)});
        EXPECT_EQ(h.protocol.ProtocolState(), ST_WAIT_MERIDIAN);
        EXPECT_EQ(h.Feed({0x55, 0x05, 0xEE, 0xEE, 0x31, 0x32, 0x33}), kOutcomeNothing);
        ExpectFrames({Frame(0x64)});
        EXPECT_EQ(h.protocol.ProtocolState(), ST_WAIT_GEO);
        EXPECT_TRUE(h.listener.Events().empty());
    }

    void ExpectFrames(const std::vector<Bytes>& frames) {
        EXPECT_EQ(h.sink.frames, frames);
        h.sink.frames.clear();
    }

    Harness h;
};

const Bytes kGeoReply = {0x55, 0x0A, 0xEE, 0x01, 0x02, 0x03, 0x84, 0x05, 0x06, 0x07, 0x88, 0x09};

TEST_F(HandshakeTest, WithClosedLoopEndsAfterTheClosedLoopReply) {
    WalkToGeo(0x84);
    EXPECT_EQ(h.Feed(kGeoReply), kOutcomeNothing);
    ExpectFrames({Frame(0x58)});
    EXPECT_EQ(h.protocol.ProtocolState(), ST_WAIT_CLOSED_LOOP);
    EXPECT_EQ(h.protocol.ReplyTimeout(), 32);

    EXPECT_EQ(h.Feed({0x55, 0x02, 0xEE, 0x5C}), kOutcomeHandshakeDone);
    EXPECT_EQ(h.protocol.ProtocolState(), ST_READY);
    ASSERT_EQ(h.listener.Events().size(), 1u);
    EXPECT_EQ(h.listener.Events()[0].kind, RecordingListener::Event::kSettings);
    EXPECT_EQ(h.listener.Events()[0].code, kSettingsConnected);
    EXPECT_EQ(h.listener.Events()[0].settings.closedLoopDefault, 0x5C);
    EXPECT_EQ(h.protocol.Settings().protocolLevel, 6);
    ExpectFrames({});
}

TEST_F(HandshakeTest, WithoutClosedLoopEndsAfterTheGeoReply) {
    WalkToGeo(0x04);
    EXPECT_EQ(h.Feed(kGeoReply), kOutcomeHandshakeDone);
    ExpectFrames({});
    EXPECT_EQ(h.protocol.ProtocolState(), ST_READY);
    ASSERT_EQ(h.listener.Events().size(), 1u);
    EXPECT_EQ(h.listener.Events()[0].code, kSettingsConnected);
    EXPECT_EQ(h.listener.Events()[0].settings.closedLoopDefault, 0);
}

TEST_F(HandshakeTest, EveryFieldComesFromItsReplyPosition) {
    WalkToGeo(0x84);
    h.Feed(kGeoReply);
    h.Feed({0x55, 0x02, 0xEE, 0x5C});
    ASSERT_EQ(h.listener.Events().size(), 1u);
    const ControllerSettings s = h.listener.Events()[0].settings;

    EXPECT_EQ(s.reserved1, 7);
    EXPECT_EQ(s.protocolLevel, 6);
    EXPECT_EQ(s.versionWord, 0x0001000Au);
    EXPECT_EQ(s.hardwareType, 1u);
    EXPECT_EQ(s.firmwareVersion, 0x0100000Au);
    EXPECT_EQ(s.modeFlag, 0);
    EXPECT_EQ(s.modeFlagZero, 1);

    EXPECT_EQ(s.features, 0x84);
    EXPECT_EQ(s.raGearRatio, 0x08070605u);
    EXPECT_EQ(s.raScale, 0x0C0B0A09u);
    EXPECT_EQ(s.raSiderealRate, 0x100F0E0Du);
    EXPECT_EQ(s.decFeatures, 0x11);
    EXPECT_EQ(s.decGearRatio, 0x15141312u);
    EXPECT_EQ(s.decScale, 0x19181716u);
    EXPECT_EQ(s.decSiderealRate, 0x1D1C1B1Au);
    EXPECT_EQ(s.mountType, 30);

    EXPECT_EQ(s.reverseRotation, 0xA4);
    EXPECT_EQ(s.reverseGuiding, 0x05);  // low nibble of 0xA5
    EXPECT_EQ(s.reverseLimits, 0x0A);   // high nibble of 0xA5
    EXPECT_EQ(s.raMaxSpeed, 0xA7A6u);
    EXPECT_EQ(s.raGuidingRate, 0xA8);
    EXPECT_EQ(s.raMaxCurrent, 0xAAA9);
    EXPECT_EQ(s.raCurrent[0], 0xACAB);
    EXPECT_EQ(s.raCurrent[1], 0xAEAD);
    EXPECT_EQ(s.raCurrent[2], 0xB0AF);
    EXPECT_EQ(s.raDecay[0], 0xB1);
    EXPECT_EQ(s.raDecay[1], 0xB2);
    EXPECT_EQ(s.raDecay[2], 0xB3);
    EXPECT_EQ(s.raOvertone, -76);  // 0xB4
    EXPECT_EQ(s.raAux1, 0xB5);
    EXPECT_EQ(s.raAcceleration, 0xB6);
    EXPECT_EQ(s.raDeceleration, 0xB7);
    EXPECT_EQ(s.raIncCurrentAt, 0xB9B8);
    EXPECT_EQ(s.raAux2, 0xBBBA);
    EXPECT_EQ(s.raAux3, 0xBC);
    EXPECT_EQ(s.raAux4, 0xC0BFBEBDu);

    EXPECT_EQ(s.decMaxSpeed, 0xC2C1u);
    EXPECT_EQ(s.decGuidingRate, 0xC3);
    EXPECT_EQ(s.decMaxCurrent, 0xC5C4);
    EXPECT_EQ(s.decCurrent[0], 0xC7C6);
    EXPECT_EQ(s.decCurrent[1], 0xC9C8);
    EXPECT_EQ(s.decCurrent[2], 0xCBCA);
    EXPECT_EQ(s.decDecay[0], 0xCC);
    EXPECT_EQ(s.decDecay[1], 0xCD);
    EXPECT_EQ(s.decDecay[2], 0xCE);
    EXPECT_EQ(s.decOvertone, -49);  // 0xCF
    EXPECT_EQ(s.decAux1, 0xD0);
    EXPECT_EQ(s.decAcceleration, 0xD1);
    EXPECT_EQ(s.decDeceleration, 0xD2);
    EXPECT_EQ(s.decIncCurrentAt, 0xD4D3);
    EXPECT_EQ(s.decAux2, 0xD6D5);
    EXPECT_EQ(s.decAux3, 0xD7);
    EXPECT_EQ(s.decAux4, 0xDBDAD9D8u);

    EXPECT_EQ(s.meridian0, 0x31);
    EXPECT_EQ(s.meridian1, 0x32);
    EXPECT_EQ(s.flipHysteresis, 0x33);
    EXPECT_EQ(s.latitude, -2080177663);   // 0x84030201
    EXPECT_EQ(s.longitude, -2012805627);  // 0x88070605
    EXPECT_EQ(s.hemisphere, 0x09);
    EXPECT_EQ(s.closedLoopDefault, 0x5C);

    // 32-bit products, wrapping: 0xA7A6 * 0x100F0E0D and 0xC2C1 * 0x1D1C1B1A.
    EXPECT_EQ(s.raTopRate, 0x3BED976Eu);
    EXPECT_EQ(s.decTopRate, 0x3EBA229Au);
}

TEST_F(HandshakeTest, ANewHandshakeForgetsTheLastController) {
    WalkToGeo(0x84);
    h.Feed(kGeoReply);
    h.Feed({0x55, 0x02, 0xEE, 0x5C});
    h.Clear();
    EXPECT_EQ(h.protocol.StartHandshake(), kOutcomeNothing);
    const ControllerSettings& s = h.protocol.Settings();
    EXPECT_EQ(s.protocolLevel, 0);
    EXPECT_EQ(s.raGearRatio, 0u);
    EXPECT_EQ(s.closedLoopDefault, 0);
    EXPECT_EQ(s.reserved1, 7);
    EXPECT_EQ(s.modeFlagZero, 1);
    EXPECT_EQ(h.protocol.SettingsKind(), kSettingsConnected);
    ExpectFrames({Frame(0x01)});
}

TEST_F(HandshakeTest, AStartInTheMiddleOfAReplyDropsItsRest) {
    h.protocol.StartHandshake();
    h.Feed({0x55, 0x05, 0x01});  // a reply cut short by a reconnect
    h.protocol.StartHandshake();
    h.Clear();
    EXPECT_EQ(h.Feed(kVersionType1), kOutcomeNothing);
    EXPECT_EQ(h.protocol.ProtocolState(), ST_DELAY);
    EXPECT_EQ(h.protocol.Settings().hardwareType, 1u);
}

// --- Refusals -----------------------------------------------------------------------------

TEST_F(HandshakeTest, UnknownHardwareTypeIsIncompatible) {
    h.protocol.StartHandshake();
    EXPECT_EQ(h.Feed({0x55, 0x05, 0x01, 0x0A, 0x00, 0x02, 0x00}), kOutcomeCloseLink);
    EXPECT_EQ(h.listener.Statuses(), std::vector<int32_t>{kStatusIncompatibleDevice});
    EXPECT_EQ(h.protocol.Settings().hardwareType, 2u);
}

TEST_F(HandshakeTest, VersionRepliesOfOtherShapesAreIgnoredUntilTheTimeOut) {
    h.protocol.StartHandshake();
    EXPECT_EQ(h.Feed({0x55, 0x05, 0x02, 0x0A, 0x00, 0x01, 0x00}), kOutcomeNothing);  // byte 2
    EXPECT_EQ(h.Feed({0x55, 0x04, 0x01, 0x0A, 0x00, 0x01}), kOutcomeNothing);
    EXPECT_EQ(h.Feed({0x55, 0x06, 0x01, 0x0A, 0x00, 0x01, 0x00, 0x00}), kOutcomeNothing);
    EXPECT_EQ(h.Feed(kAck), kOutcomeNothing);
    EXPECT_EQ(h.protocol.ProtocolState(), ST_WAIT_VERSION);
    EXPECT_TRUE(h.listener.Events().empty());
    EXPECT_EQ(h.Ticks(31), kOutcomeNothing);
    EXPECT_EQ(h.Tick(), kOutcomeCloseLink);
    EXPECT_EQ(h.listener.Statuses(), std::vector<int32_t>{kStatusTimeout});
}

TEST_F(HandshakeTest, OldShortVersionReportsAnOldControllerAndStaysOffline) {
    const struct { uint8_t major, minor; } cases[] = {{0, 0}, {0, 9}, {1, 0}, {1, 1}};
    for (const auto& c : cases) {
        Harness fresh;
        fresh.protocol.StartHandshake();
        EXPECT_EQ(fresh.Feed({0x55, 0x03, 0xEE, c.major, c.minor}), kOutcomeNothing);
        EXPECT_EQ(fresh.protocol.ProtocolState(), ST_OFFLINE);
        ASSERT_EQ(fresh.listener.Events().size(), 1u);
        EXPECT_EQ(fresh.listener.Events()[0].kind, RecordingListener::Event::kSettings);
        EXPECT_EQ(fresh.listener.Events()[0].code, kSettingsOldController);
        EXPECT_EQ(fresh.listener.Events()[0].settings.versionWord,
                  0x10000u + c.minor * 256u + c.major);
        EXPECT_EQ(fresh.listener.Events()[0].settings.hardwareType, 0u);
        // The port stays open: no time-out ends this state.
        EXPECT_EQ(fresh.Ticks(40), kOutcomeNothing);
        EXPECT_EQ(fresh.listener.Events().size(), 1u);
    }
}

TEST_F(HandshakeTest, ShortVersionOneTwoContinuesAndIsRefusedByTheFirmwareCheck) {
    h.protocol.StartHandshake();
    EXPECT_EQ(h.Feed({0x55, 0x03, 0xEE, 0x01, 0x02}), kOutcomeNothing);
    EXPECT_EQ(h.protocol.Settings().versionWord, 0x10201u);
    EXPECT_EQ(h.protocol.ProtocolState(), ST_DELAY);
    h.Ticks(2);
    h.Feed(kModeFlagZero);
    h.Ticks(2);
    EXPECT_EQ(h.Feed(kFirmware1_0_0_10), kOutcomeCloseLink);
    ASSERT_EQ(h.listener.Events().size(), 1u);
    EXPECT_EQ(h.listener.Events()[0].kind, RecordingListener::Event::kStatusValue);
    EXPECT_EQ(h.listener.Events()[0].code, kStatusFirmwareTooOld);
    EXPECT_EQ(h.listener.Events()[0].value, 0x0100000Au);
    EXPECT_EQ(h.protocol.ProtocolState(), ST_READY);
    EXPECT_EQ(h.protocol.Settings().protocolLevel, 1);
}

// Firmware acceptance at the edges of every range, through the version and firmware replies.
struct FirmwareCase {
    uint16_t hardwareType;  // 0: announced by the short version reply 2.0
    uint32_t firmware;
    uint8_t level;
};

class FirmwareCheckTest : public ::testing::TestWithParam<FirmwareCase> {};

TEST_P(FirmwareCheckTest, SetsTheLevelAndOnlySixContinues) {
    const FirmwareCase& c = GetParam();
    Harness h;
    h.protocol.StartHandshake();
    if (c.hardwareType == 0) {
        h.Feed({0x55, 0x03, 0xEE, 0x02, 0x00});
    } else {
        h.Feed({0x55, 0x05, 0x01, 0x0A, 0x00, static_cast<uint8_t>(c.hardwareType),
                static_cast<uint8_t>(c.hardwareType >> 8)});
    }
    h.Ticks(2);
    h.Feed(kModeFlagZero);
    h.Ticks(2);
    h.Clear();
    Bytes reply{0x55, 0x05, 0xEE};
    PutU32(reply, c.firmware);
    const int outcome = h.Feed(reply);
    EXPECT_EQ(h.protocol.Settings().protocolLevel, c.level);
    if (c.level == 6) {
        EXPECT_EQ(outcome, kOutcomeNothing);
        EXPECT_TRUE(h.listener.Events().empty());
        h.Ticks(2);
        EXPECT_EQ(h.sink.frames, std::vector<Bytes>{Frame(0x14)});
    } else {
        EXPECT_EQ(outcome, kOutcomeCloseLink);
        ASSERT_EQ(h.listener.Events().size(), 1u);
        EXPECT_EQ(h.listener.Events()[0].kind, RecordingListener::Event::kStatusValue);
        EXPECT_EQ(h.listener.Events()[0].code, kStatusFirmwareTooOld);
        EXPECT_EQ(h.listener.Events()[0].value, c.firmware);
        EXPECT_EQ(h.protocol.ProtocolState(), ST_READY);
        EXPECT_EQ(h.Ticks(40), kOutcomeNothing);  // refused: no time-out follows
    }
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, FirmwareCheckTest,
    ::testing::Values(FirmwareCase{1, 0x00000000, 1}, FirmwareCase{1, 0x01000000, 1},
                      FirmwareCase{1, 0x01000001, 2}, FirmwareCase{1, 0x01000002, 3},
                      FirmwareCase{1, 0x01000003, 3}, FirmwareCase{1, 0x01000004, 4},
                      FirmwareCase{1, 0x01000008, 4}, FirmwareCase{1, 0x01000009, 5},
                      FirmwareCase{1, 0x0100000A, 6}, FirmwareCase{1, 0x62FFFFFF, 6},
                      FirmwareCase{1, 0x63000000, 1}, FirmwareCase{1, 0x6300000B, 1},
                      FirmwareCase{1, 0x6300000C, 6}, FirmwareCase{1, 0xFFFFFFFF, 6},
                      FirmwareCase{3, 0x0100000A, 4}, FirmwareCase{3, 0xFFFFFFFF, 4},
                      FirmwareCase{4, 0x00000000, 4}, FirmwareCase{4, 0x0100000A, 4},
                      FirmwareCase{5, 0x00000000, 4}, FirmwareCase{5, 0x01000004, 4},
                      FirmwareCase{5, 0x01000005, 6}, FirmwareCase{5, 0x62FFFFFF, 6},
                      FirmwareCase{5, 0x63000000, 1}, FirmwareCase{5, 0x6300000D, 1},
                      FirmwareCase{5, 0x6300000E, 6}, FirmwareCase{0, 0x0100000A, 1},
                      FirmwareCase{0, 0xFFFFFFFF, 1}));

// --- Time-out -----------------------------------------------------------------------------

TEST_F(HandshakeTest, TimeOutIsRaisedOnceOnTheThirtySecondTickAfterAQuery) {
    h.protocol.StartHandshake();
    for (int tick = 1; tick <= 31; ++tick) {
        ASSERT_EQ(h.Tick(), kOutcomeNothing) << tick;
    }
    EXPECT_TRUE(h.listener.Events().empty());
    EXPECT_EQ(h.Tick(), kOutcomeCloseLink);
    EXPECT_EQ(h.Ticks(100), kOutcomeNothing);
    EXPECT_EQ(h.listener.Statuses(), std::vector<int32_t>{kStatusTimeout});
}

TEST_F(HandshakeTest, EachDelayedQueryRestartsTheTimeOut) {
    h.protocol.StartHandshake();
    h.Ticks(20);
    h.Feed(kVersionType1);
    h.Ticks(2);  // mode-flag query: 32 ticks from here
    EXPECT_EQ(h.protocol.ReplyTimeout(), 32);
    EXPECT_EQ(h.Ticks(31), kOutcomeNothing);
    EXPECT_TRUE(h.listener.Events().empty());
    EXPECT_EQ(h.Tick(), kOutcomeCloseLink);
    EXPECT_EQ(h.listener.Statuses(), std::vector<int32_t>{kStatusTimeout});
}

TEST_F(HandshakeTest, ImmediateQueriesAlsoArmTheTimeOut) {
    h.protocol.StartHandshake();
    h.Ticks(2);
    h.Feed(kVersionType1);
    h.Ticks(2);
    h.Feed(kModeFlagZero);  // answered, but the count from the mode-flag query goes on
    h.Ticks(2);
    h.Feed(kFirmware1_0_0_10);
    h.Ticks(2);
    h.Feed(BaseSettingsReply(ControllerImage{}));
    h.Ticks(2);                                    // axis query re-arms 32
    h.Feed(AxisSettingsReply(ControllerImage{}));  // meridian query re-arms 32
    EXPECT_EQ(h.Ticks(31), kOutcomeNothing);
    EXPECT_EQ(h.protocol.ProtocolState(), ST_WAIT_MERIDIAN);
    EXPECT_EQ(h.Tick(), kOutcomeCloseLink);
    EXPECT_EQ(h.listener.Statuses(), std::vector<int32_t>{kStatusTimeout});
}

// --- Reply boundaries ---------------------------------------------------------------------

TEST_F(HandshakeTest, RepliesSplitOverMessagesAreReassembled) {
    h.protocol.StartHandshake();
    EXPECT_EQ(h.Feed({0x55}), kOutcomeNothing);
    EXPECT_EQ(h.Feed({0x05, 0x01, 0x0A}), kOutcomeNothing);
    EXPECT_EQ(h.protocol.ProtocolState(), ST_WAIT_VERSION);
    EXPECT_EQ(h.Feed({0x00, 0x01}), kOutcomeNothing);
    EXPECT_EQ(h.Feed({0x00}), kOutcomeNothing);
    EXPECT_EQ(h.protocol.ProtocolState(), ST_DELAY);
    EXPECT_EQ(h.protocol.Settings().versionWord, 0x0001000Au);
}

TEST_F(HandshakeTest, GarbageBeforeAnEmptyReplyIsDropped) {
    h.protocol.StartHandshake();
    h.Feed(kVersionType1);
    h.Ticks(2);
    h.Feed({0x00, 0x13, 0x55, 0x00});  // an empty mode-flag reply
    EXPECT_EQ(h.protocol.ProtocolState(), ST_DELAY);
    EXPECT_EQ(h.protocol.PendingState(), ST_WAIT_FIRMWARE);
    EXPECT_EQ(h.protocol.Settings().modeFlag, 0);
    EXPECT_EQ(h.protocol.Settings().modeFlagZero, 1);
}

TEST_F(HandshakeTest, ModeFlagIsTakenFromItsOwnReplyOnly) {
    const struct {
        Bytes reply;
        uint8_t flag;
    } cases[] = {
        {{0x55, 0x02, 0xEE, 0x07}, 7},
        {{0x55, 0x02, 0xEE, 0x00}, 0},
        {{0x55, 0x00}, 0},
        // One payload byte carries no flag: byte 3 must not read the version reply's 0x0A.
        {{0x55, 0x01, 0xEE}, 0},
    };
    for (const auto& c : cases) {
        Harness fresh;
        fresh.protocol.StartHandshake();
        fresh.Feed(kVersionType1);  // leaves 0x0A at reply byte 3
        fresh.Ticks(2);
        fresh.Feed(c.reply);
        EXPECT_EQ(fresh.protocol.Settings().modeFlag, c.flag);
        EXPECT_EQ(fresh.protocol.Settings().modeFlagZero, c.flag == 0 ? 1 : 0);
        EXPECT_EQ(fresh.protocol.PendingState(), ST_WAIT_FIRMWARE);
    }
}

TEST_F(HandshakeTest, OversizeReplyIsConsumedWholeAndTheNextReplyIsFound) {
    WalkToGeo(0x84);
    // 120 payload bytes as the geo reply: decoded once, the rest of it is not a new reply.
    Bytes big{0x55, 120};
    for (int i = 0; i < 120; ++i) {
        big.push_back(i == 50 ? 0x55 : 0x01);
    }
    EXPECT_EQ(h.Feed(big), kOutcomeNothing);
    ExpectFrames({Frame(0x58)});
    EXPECT_EQ(h.protocol.Settings().latitude, 0x01010101);
    EXPECT_EQ(h.Feed({0x55, 0x02, 0xEE, 0x01}), kOutcomeHandshakeDone);
}

TEST_F(HandshakeTest, TwoRepliesInOneMessageGiveTheOutcomeOfTheSecond) {
    WalkToGeo(0x84);
    Bytes both = kGeoReply;
    both.insert(both.end(), {0x55, 0x02, 0xEE, 0x01});
    EXPECT_EQ(h.Feed(both), kOutcomeHandshakeDone);
    ExpectFrames({Frame(0x58)});
    EXPECT_EQ(h.protocol.Settings().closedLoopDefault, 1);
}

TEST_F(HandshakeTest, ALaterReplyInTheSameMessageDoesNotHideACompletedRead) {
    WalkToGeo(0x04);
    Bytes both = kGeoReply;
    both.insert(both.end(), {0x55, 0x01, 0x00});  // stray reply, ignored while idle
    EXPECT_EQ(h.Feed(both), kOutcomeHandshakeDone);
    EXPECT_EQ(h.protocol.ProtocolState(), ST_READY);
}

TEST_F(HandshakeTest, ALaterReplyInTheSameMessageDoesNotHideACloseRequest) {
    h.protocol.StartHandshake();
    Bytes both = {0x55, 0x05, 0x01, 0x0A, 0x00, 0x02, 0x00};        // incompatible
    both.insert(both.end(), {0x55, 0x04, 0x00, 0x00, 0x00, 0x00});  // ignored
    EXPECT_EQ(h.Feed(both), kOutcomeCloseLink);
    EXPECT_EQ(h.listener.Statuses(), std::vector<int32_t>{kStatusIncompatibleDevice});
}

TEST_F(HandshakeTest, RepliesWhileNothingIsAwaitedAreIgnored) {
    // Offline (never started), and between queries.
    EXPECT_EQ(h.Feed(kVersionType1), kOutcomeNothing);
    EXPECT_EQ(h.protocol.ProtocolState(), ST_OFFLINE);
    h.protocol.StartHandshake();
    h.Feed(kVersionType1);
    h.Clear();
    EXPECT_EQ(h.Feed(kFirmware1_0_0_10), kOutcomeNothing);
    EXPECT_EQ(h.protocol.ProtocolState(), ST_DELAY);
    EXPECT_EQ(h.protocol.Settings().firmwareVersion, 0u);
    EXPECT_TRUE(h.listener.Events().empty());
    EXPECT_TRUE(h.sink.frames.empty());
}

}  // namespace
