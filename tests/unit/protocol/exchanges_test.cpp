// Exchanges after the handshake: re-reads, single acknowledgements and the advanced chain.
#include <gtest/gtest.h>

#include "core/status_codes.h"
#include "protocol_harness.h"

using namespace axistune;

namespace {

Bytes Frame(uint8_t command) {
    return Bytes{0xAA, 0x01, command};
}

TEST(ReloadDefaults, ReReadsEverythingAndReportsKindTwo) {
    Harness h;
    ControllerImage before;
    Connect(h, before);
    h.Ticks(40);  // let the handshake's reply time-out run out

    h.Request({23});
    EXPECT_EQ(h.protocol.ProtocolState(), ST_WAIT_RELOAD_ACK);
    EXPECT_EQ(h.Feed(kAck), kOutcomeNothing);
    EXPECT_EQ(h.protocol.ProtocolState(), ST_WAIT_BASE);
    EXPECT_EQ(h.protocol.SettingsKind(), kSettingsReloaded);

    ControllerImage defaults;
    defaults.features = 0x00;
    defaults.raGearRatio = 2000000;
    defaults.mountType = 1;
    defaults.raMaxSpeed = 800;
    defaults.flipHysteresis = 3;
    EXPECT_EQ(h.Feed(BaseSettingsReply(defaults)), kOutcomeNothing);
    h.Ticks(2);
    EXPECT_EQ(h.Feed(AxisSettingsReply(defaults)), kOutcomeNothing);
    EXPECT_EQ(h.Feed(MeridianReply(defaults)), kOutcomeNothing);
    EXPECT_EQ(h.Feed(GeoReply(defaults)), kOutcomeHandshakeDone);

    EXPECT_EQ(h.sink.frames,
              (std::vector<Bytes>{
                  {0xAA, 0x02, 0x0C, 0x01}, Frame(0x14), Frame(0x15), Frame(0x3D), Frame(0x64)}));
    ASSERT_EQ(h.listener.Events().size(), 1u);
    EXPECT_EQ(h.listener.Events()[0].code, kSettingsReloaded);
    const ControllerSettings s = h.listener.Events()[0].settings;
    EXPECT_EQ(s.raGearRatio, 2000000u);
    EXPECT_EQ(s.mountType, 1);
    EXPECT_EQ(s.raTopRate, 80000u);
    EXPECT_EQ(s.flipHysteresis, 3);
    EXPECT_EQ(h.protocol.ProtocolState(), ST_READY);
    EXPECT_EQ(h.protocol.SettingsKind(), kSettingsReloaded);  // until the next handshake
}

TEST(ReloadDefaults, TheBaseReReadArmsNoTimeOutButTheAxisStepDoes) {
    Harness h;
    Connect(h);
    h.Ticks(40);
    h.Request({23});
    h.Feed(kAck);
    EXPECT_EQ(h.Ticks(200), kOutcomeNothing);
    EXPECT_TRUE(h.listener.Events().empty());
    EXPECT_EQ(h.protocol.ProtocolState(), ST_WAIT_BASE);

    h.Feed(BaseSettingsReply(ControllerImage{}));
    h.Ticks(2);
    EXPECT_EQ(h.Ticks(31), kOutcomeNothing);
    EXPECT_EQ(h.Tick(), kOutcomeCloseLink);
    EXPECT_EQ(h.listener.Statuses(), std::vector<int32_t>{kStatusTimeout});
}

TEST(ReloadDefaults, AnEarlierQuerysTimeOutStillRunningEndsAnUnansweredBaseReRead) {
    Harness h;
    Connect(h);  // the last query armed 32 ticks, none spent yet
    h.Ticks(10);
    h.Request({23});
    h.Feed(kAck);
    EXPECT_EQ(h.Ticks(21), kOutcomeNothing);
    EXPECT_EQ(h.Tick(), kOutcomeCloseLink);
    EXPECT_EQ(h.listener.Statuses(), std::vector<int32_t>{kStatusTimeout});
}

TEST(GearRatios, AcknowledgementReReadsTheBaseSettingsButKeepsTheMountType) {
    Harness h;
    ControllerImage c;
    c.mountType = 1;
    Connect(h, c);

    h.Request({24, 0x40, 0x42, 0x0F, 0x00, 0x80, 0x84, 0x1E, 0x00});
    EXPECT_EQ(h.Feed(kAck), kOutcomeNothing);
    EXPECT_EQ(h.protocol.ProtocolState(), ST_WAIT_GEAR_REREAD);

    ControllerImage reread = c;
    reread.raGearRatio = 1000000;
    reread.decGearRatio = 2000000;
    reread.raSiderealRate = 120;
    reread.mountType = 2;  // must not be taken
    EXPECT_EQ(h.Feed(BaseSettingsReply(reread)), kOutcomeNothing);

    EXPECT_EQ(h.sink.frames.back(), Frame(0x14));
    ASSERT_EQ(h.listener.Events().size(), 1u);
    EXPECT_EQ(h.listener.Events()[0].kind, RecordingListener::Event::kSettings);
    EXPECT_EQ(h.listener.Events()[0].code, kSettingsGearReread);
    const ControllerSettings s = h.listener.Events()[0].settings;
    EXPECT_EQ(s.raGearRatio, 1000000u);
    EXPECT_EQ(s.decGearRatio, 2000000u);
    EXPECT_EQ(s.mountType, 1);
    EXPECT_EQ(s.raTopRate, 600u * 120u);
    EXPECT_EQ(h.protocol.ProtocolState(), ST_READY);
}

TEST(GearRatios, AShortReReadReadsZerosNotTheEarlierRepliesBytes) {
    Harness h;
    Connect(h);  // the buffer now holds the axis and geo replies' bytes
    h.Request({24, 1, 0, 0, 0, 1, 0, 0, 0});
    h.Feed(kAck);
    h.Feed({0x55, 0x05, 0xEE, 0xEE, 0x84, 0x10, 0x20});  // features and half a gear ratio
    ASSERT_EQ(h.listener.Events().size(), 1u);
    const ControllerSettings s = h.listener.Events()[0].settings;
    EXPECT_EQ(s.features, 0x84);
    EXPECT_EQ(s.raGearRatio, 0x2010u);
    EXPECT_EQ(s.raScale, 0u);
    EXPECT_EQ(s.raSiderealRate, 0u);
    EXPECT_EQ(s.decFeatures, 0);
    EXPECT_EQ(s.decGearRatio, 0u);
    EXPECT_EQ(s.decSiderealRate, 0u);
    EXPECT_EQ(s.raTopRate, 0u);
}

TEST(Voltage, ReplyBytesFiveAndSixAreTheVoltage) {
    Harness h;
    Connect(h);
    h.Request({38});
    EXPECT_EQ(h.Feed({0x55, 0x05, 0xEE, 0xEE, 0xEE, 0xE8, 0x04}), kOutcomeNothing);
    ASSERT_EQ(h.listener.Events().size(), 1u);
    EXPECT_EQ(h.listener.Events()[0].kind, RecordingListener::Event::kVoltage);
    EXPECT_EQ(h.listener.Events()[0].value, 1256u);
    EXPECT_EQ(h.protocol.ProtocolState(), ST_READY);
}

TEST(Acknowledgements, SyncParkAndStoreReportTheirStatusAndReturnToIdle) {
    const struct {
        Bytes request;
        int32_t awaiting;
        int32_t status;
    } cases[] = {{{39, 4}, ST_WAIT_SYNC_ACK, kStatusSynchronized},
                 {{40}, ST_WAIT_PARK_ACK, kStatusParkDefined},
                 {{21}, ST_WAIT_STORE_ACK, kStatusParametersStored}};
    for (const auto& c : cases) {
        Harness h;
        Connect(h);
        h.Request(c.request);
        EXPECT_EQ(h.protocol.ProtocolState(), c.awaiting);
        // The acknowledgement may carry bytes; they are not looked at.
        EXPECT_EQ(h.Feed({0x55, 0x01, 0x00}), kOutcomeNothing);
        EXPECT_EQ(h.listener.Statuses(), std::vector<int32_t>{c.status});
        EXPECT_EQ(h.protocol.ProtocolState(), ST_READY);
        EXPECT_EQ(h.sink.frames.size(), 1u);
    }
}

TEST(Acknowledgements, ExchangesAfterTheHandshakeNeverTimeOut) {
    const Bytes requests[] = {{24, 1, 0, 0, 0, 1, 0, 0, 0}, {38}, {39, 4}, {40}, {21}, {23}};
    for (const Bytes& request : requests) {
        Harness h;
        Connect(h);  // its last query's count is still running
        h.Request(request);
        const int32_t awaiting = h.protocol.ProtocolState();
        EXPECT_EQ(h.Ticks(100), kOutcomeNothing);
        EXPECT_TRUE(h.listener.Events().empty()) << int(request[0]);
        EXPECT_EQ(h.protocol.ProtocolState(), awaiting);
    }
}

// --- Advanced settings ---------------------------------------------------------------------

struct AdvancedHarness : Harness {
    explicit AdvancedHarness(uint8_t features) {
        ControllerImage c;
        c.features = features;
        c.meridian0 = 0x11;
        c.meridian1 = 0x22;
        c.flipHysteresis = 5;
        c.closedLoopDefault = 0;
        Connect(*this, c);
    }
    void Apply(uint32_t changed) {
        advanced.pending = AdvancedSettings{0x80, changed, 1, -1000, 2000, 1, 1, 9};
        Request({37});
    }
    uint8_t LastCommand() const { return LastFrame()[2]; }
};

TEST(AdvancedChain, MeridianFirstThenClosedLoopAfterItsAcknowledgement) {
    AdvancedHarness h(0x84);
    h.Apply(0x30);
    EXPECT_EQ(h.advanced.taken, 1);
    ASSERT_EQ(h.sink.frames.size(), 1u);
    EXPECT_EQ(h.LastFrame(), (Bytes{0xAA, 0x06, 0x3E, 0x01, 0x01, 0x11, 0x22, 0x09}));
    EXPECT_EQ(h.protocol.ProtocolState(), ST_ADV_MERIDIAN);
    EXPECT_EQ(h.protocol.Settings().flipHysteresis, 9);
    EXPECT_EQ(h.protocol.Settings().closedLoopDefault, 0);

    h.Feed(kAck);
    ASSERT_EQ(h.sink.frames.size(), 2u);
    EXPECT_EQ(h.LastFrame(), (Bytes{0xAA, 0x03, 0x59, 0x01, 0x01}));
    EXPECT_EQ(h.protocol.ProtocolState(), ST_ADV_CLOSED_LOOP);
    EXPECT_EQ(h.protocol.Settings().closedLoopDefault, 1);
    EXPECT_TRUE(h.listener.Events().empty());

    h.Feed(kAck);
    EXPECT_EQ(h.sink.frames.size(), 2u);
    EXPECT_EQ(h.listener.Statuses(), std::vector<int32_t>{kStatusSettingsDone});
    EXPECT_EQ(h.protocol.ProtocolState(), ST_READY);
}

TEST(AdvancedChain, ClosedLoopIsSkippedLaterInTheChainWithoutTheFeature) {
    AdvancedHarness h(0x04);
    h.Apply(0x30);
    h.Feed(kAck);
    EXPECT_EQ(h.sink.frames.size(), 1u);
    EXPECT_EQ(h.protocol.Settings().closedLoopDefault, 0);
    EXPECT_EQ(h.listener.Statuses(), std::vector<int32_t>{kStatusSettingsDone});
}

TEST(AdvancedChain, AFirstClosedLoopStepIsSentWithoutTheFeature) {
    AdvancedHarness h(0x04);
    h.Apply(0x20);
    EXPECT_EQ(h.LastFrame(), (Bytes{0xAA, 0x03, 0x59, 0x01, 0x01}));
    EXPECT_EQ(h.protocol.ProtocolState(), ST_ADV_CLOSED_LOOP);
    h.Feed(kAck);
    EXPECT_EQ(h.listener.Statuses(), std::vector<int32_t>{kStatusSettingsDone});
}

TEST(AdvancedChain, AllGroupsGoOutInOrderOneAcknowledgementApart) {
    AdvancedHarness h(0x84);
    h.Apply(0x3F);
    const uint8_t expected[] = {0x65, 0x1B, 0x3E, 0x59};
    const int32_t states[] = {ST_ADV_GEO, ST_ADV_MOUNT, ST_ADV_MERIDIAN, ST_ADV_CLOSED_LOOP};
    for (int step = 0; step < 4; ++step) {
        ASSERT_EQ(h.sink.frames.size(), static_cast<size_t>(step + 1));
        EXPECT_EQ(h.LastCommand(), expected[step]);
        EXPECT_EQ(h.protocol.ProtocolState(), states[step]);
        if (step == 1) {
            EXPECT_EQ(h.protocol.Settings().mountType, 1);  // kept when the frame goes out
        }
        h.Feed(kAck);
    }
    EXPECT_EQ(h.sink.frames.size(), 4u);
    EXPECT_EQ(h.listener.Statuses(), std::vector<int32_t>{kStatusSettingsDone});
}

TEST(AdvancedChain, GeoAloneEndsAfterOneAcknowledgement) {
    for (uint32_t changed : {0x01u, 0x02u, 0x04u, 0x07u}) {
        AdvancedHarness h(0x84);
        h.Apply(changed);
        ASSERT_EQ(h.sink.frames.size(), 1u);
        EXPECT_EQ(h.LastCommand(), 0x65);
        h.Feed(kAck);
        EXPECT_EQ(h.sink.frames.size(), 1u);
        EXPECT_EQ(h.listener.Statuses(), std::vector<int32_t>{kStatusSettingsDone});
        // The geo values are sent, not kept: the record is the controller's last reading.
        EXPECT_EQ(h.protocol.Settings().latitude, ControllerImage{}.latitude);
    }
}

TEST(AdvancedChain, NothingChangedSendsAndReportsNothing) {
    AdvancedHarness h(0x84);
    h.Request({40});  // an exchange in progress stays in progress
    h.Clear();
    h.Apply(0x00);
    EXPECT_EQ(h.advanced.taken, 1);
    EXPECT_TRUE(h.sink.frames.empty());
    EXPECT_TRUE(h.listener.Events().empty());
    EXPECT_EQ(h.protocol.ProtocolState(), ST_WAIT_PARK_ACK);
}

TEST(AdvancedChain, TheChainReadsTheSnapshotTakenWhenTheRequestRan) {
    AdvancedHarness h(0x84);
    h.Apply(0x18);
    h.advanced.pending.flipHysteresis = 44;  // a later ApplyAdvanced, not yet executed
    h.Feed(kAck);
    EXPECT_EQ(h.LastFrame(), (Bytes{0xAA, 0x06, 0x3E, 0x01, 0x01, 0x11, 0x22, 0x09}));
}

}  // namespace
