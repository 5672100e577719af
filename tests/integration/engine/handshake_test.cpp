#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "app/heart_beat.h"
#include "core/status_codes.h"
#include "support/engine_harness.h"

using namespace axistune;

namespace {

using Clock = std::chrono::steady_clock;

struct RateCase {
    const char* profile;
    uint32_t baud;
};

class HandshakeAtTheControllersRate : public ::testing::TestWithParam<RateCase> {};

// With the real 250 ms heartbeat: the connection takes about the protocol's own delays (the
// 500 ms pause and four two-tick pauses between queries).
TEST_P(HandshakeAtTheControllersRate, DeliversTheSimulatorsSettingsInAboutTheProtocolsTime) {
    EngineHarness harness(GetParam().profile);
    HeartBeat heartBeat;
    heartBeat.Attach(&harness.Engine());
    ASSERT_TRUE(heartBeat.Start());
    const auto start = Clock::now();
    ASSERT_TRUE(harness.ConnectAndWait(GetParam().baud, 15000));
    const auto elapsedMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    heartBeat.Detach();
    heartBeat.Stop();
    std::printf("[ figure ] handshake with %s at %u baud: %lld ms (floor about 1500 to 2500 ms)\n",
                GetParam().profile, GetParam().baud, static_cast<long long>(elapsedMs));

    const auto events = harness.Listener().Events();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0].code, kStatusOpeningPort);
    EXPECT_EQ(events[1].code, kStatusConnecting);
    const ControllerSettings* record = LastSettings(events, kSettingsConnected);
    ASSERT_NE(record, nullptr);
    ExpectSettingsMatchSimulator(*record, harness.Sim().GetSettings());
    EXPECT_EQ(harness.Engine().ProtocolLevel(), 6);
}

INSTANTIATE_TEST_SUITE_P(Profiles, HandshakeAtTheControllersRate,
                         ::testing::Values(RateCase{"dx5", 115200}, RateCase{"dx3", 9600},
                                           RateCase{"rv5", 115200}));

TEST(Handshake, ClosedLoopDefaultIsReadOnlyFromAControllerThatHasIt) {
    EngineHarness rv5("rv5");
    rv5.TickEvery(kFastTickMs);
    ASSERT_TRUE(rv5.ConnectAndWait(115200));
    EXPECT_EQ(rv5.Sim().FramesReceived(0x58), 1u);

    EngineHarness dx5("dx5");
    dx5.TickEvery(kFastTickMs);
    ASSERT_TRUE(dx5.ConnectAndWait(115200));
    EXPECT_EQ(dx5.Sim().FramesReceived(0x58), 0u);
}

TEST(Handshake, RefusedControllersReportWhyAndCloseTheLink) {
    {
        EngineHarness harness("incompatible");
        harness.TickEvery(kFastTickMs);
        harness.Engine().Connect(kSimPort, 115200);
        ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusIncompatibleDevice, 5000));
    }
    {
        EngineHarness harness("old-firmware");
        harness.TickEvery(kFastTickMs);
        harness.Engine().Connect(kSimPort, 115200);
        ASSERT_TRUE(harness.Listener().WaitUntil(
            [](const std::vector<RecordingListener::Event>& events) {
                for (const auto& e : events) {
                    if (e.kind == RecordingListener::Event::kStatusValue) {
                        return e.code == kStatusFirmwareTooOld && e.value == 0x01000009u;
                    }
                }
                return false;
            },
            5000));
        // The link is closed: a request is refused as not connected.
        harness.Engine().StoreSettings();
        EXPECT_TRUE(harness.Listener().WaitForStatus(kStatusNotConnectedYet, 2000));
    }
    {
        EngineHarness harness("old-version");
        harness.TickEvery(kFastTickMs);
        harness.Engine().Connect(kSimPort, 115200);
        ASSERT_TRUE(harness.Listener().WaitForSettings(kSettingsOldController, 5000));
        // The port stays open but every request is refused until the user disconnects.
        harness.Engine().StoreSettings();
        EXPECT_TRUE(harness.Listener().WaitForStatus(kStatusNotConnectedYet, 2000));
        harness.Engine().Connect(kSimPort, 115200);
        EXPECT_TRUE(harness.Listener().WaitForStatus(kStatusAlreadyConnected, 2000));
    }
}

TEST(Handshake, NoReplyTimesOutOnceAndAReconnectThenWorks) {
    dxsim::Faults silent;
    silent.noReply = true;
    EngineHarness harness("dx5", silent);
    harness.TickEvery(kFastTickMs);
    harness.Engine().Connect(kSimPort, 115200);
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusTimeout, 5000));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // six more ticks
    EXPECT_EQ(CountStatus(harness.Listener(), kStatusTimeout), 1);

    harness.Sim().SetFaults({});
    harness.Listener().Clear();
    ASSERT_TRUE(harness.ConnectAndWait(115200));
    EXPECT_EQ(harness.Listener().Statuses().front(), kStatusOpeningPort);
}

TEST(Handshake, TheWrongLineRateTimesOutInsteadOfFillingGarbage) {
    EngineHarness harness("dx3");
    harness.TickEvery(kFastTickMs);
    harness.Engine().Connect(kSimPort, 115200);
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusTimeout, 5000));
    for (const auto& e : harness.Listener().Events()) {
        EXPECT_NE(e.kind, RecordingListener::Event::kSettings);
    }
}

}  // namespace
