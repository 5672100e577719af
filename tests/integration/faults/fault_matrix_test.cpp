// Faults of the controller's replies, against the real engine and dxsim: what the user sees
// (status codes and the settings the window would show) for each.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "core/status_codes.h"
#include "fault_report.h"
#include "support/engine_harness.h"

using namespace axistune;

namespace {

using Clock = std::chrono::steady_clock;
using Event = RecordingListener::Event;

// Replies that still carry every field, only disturbed on the way: the handshake completes,
// the window shows the controller's settings and an acknowledged request still works.
struct DisturbedCase {
    const char* name;
    const char* profile;
    dxsim::Faults faults;
};

dxsim::Faults Garbage() {
    dxsim::Faults f;
    f.garbageBytes = 40;
    return f;
}
dxsim::Faults Split() {
    dxsim::Faults f;
    f.splitReplies = true;
    f.splitGapMs = 1;
    return f;
}
dxsim::Faults Delayed() {
    dxsim::Faults f;
    f.replyDelayMs = 300;
    return f;
}
dxsim::Faults AllAtOnce() {
    dxsim::Faults f;
    f.garbageBytes = 70;  // more than two serial-bytes messages of junk before each reply
    f.splitReplies = true;
    f.splitGapMs = 1;
    f.replyDelayMs = 100;
    return f;
}

class DisturbedReplies : public ::testing::TestWithParam<DisturbedCase> {};

TEST_P(DisturbedReplies, HandshakeCompletesWithTheControllersSettings) {
    const DisturbedCase& c = GetParam();
    EngineHarness harness(c.profile, c.faults);
    harness.TickEvery(kFastTickMs);
    const auto start = Clock::now();
    ASSERT_TRUE(harness.ConnectAndWait(115200, 15000));
    const long long connectMs = MsSince(start);
    const auto events = harness.Listener().Events();
    const ControllerSettings* record = LastSettings(events, kSettingsConnected);
    ASSERT_NE(record, nullptr);
    ExpectSettingsMatchSimulator(*record, harness.Sim().GetSettings());
    EXPECT_EQ(CountStatus(harness.Listener(), kStatusTimeout), 0);

    harness.Engine().StoreSettings();
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusParametersStored, 5000));
    ReportFault(c.name, "connects in " + std::to_string(connectMs) +
                            " ms, all settings shown as the controller holds them; "
                            "\"Parameters stored...\" after a store");
}

INSTANTIATE_TEST_SUITE_P(
    Faults, DisturbedReplies,
    ::testing::Values(DisturbedCase{"garbage-before-replies", "dx5", Garbage()},
                      DisturbedCase{"replies-split-into-single-bytes", "rv5", Split()},
                      DisturbedCase{"reply-delay-300ms", "dx5", Delayed()},
                      DisturbedCase{"garbage-split-and-delay-together", "rv5", AllAtOnce()}),
    [](const ::testing::TestParamInfo<DisturbedCase>& info) {
        std::string name = info.param.name;
        for (char& ch : name) {
            ch = ch == '-' ? '_' : ch;
        }
        return name;
    });

// A reply later than the handshake's time-out (32 ticks; 1.6 s with 50 ms ticks).
TEST(SlowController, AReplyLaterThanTheTimeOutReportsTimeoutOnceAndAReconnectWorks) {
    dxsim::Faults late;
    late.replyDelayMs = 2500;
    EngineHarness harness("dx5", late);
    harness.TickEvery(kFastTickMs);
    harness.Engine().Connect(kSimPort, 115200);
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusTimeout, 5000));
    // The late version reply finds the line closed and changes nothing.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(CountStatus(harness.Listener(), kStatusTimeout), 1);
    EXPECT_EQ(LastSettings(harness.Listener().Events(), kSettingsConnected), nullptr);
    harness.Engine().StoreSettings();
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusNotConnectedYet, 3000));

    harness.Sim().SetFaults({});
    harness.Listener().Clear();
    ASSERT_TRUE(harness.ConnectAndWait(115200));
    ReportFault("reply-later-than-time-out",
                "\"Error: Cannot connect: Timeout error\" once, controls stay disabled; the next "
                "Connect works");
}

// Longer replies than the protocol's: the version reply of an unknown length is not taken
// (the attempt times out); settings replies are read from their first 98 payload bytes and
// the rest is counted away, so the next reply is still recognised.
TEST(OversizeReplies, AnOversizeVersionReplyTimesOutAndOversizeSettingsReadCorrectly) {
    dxsim::Faults oversize;
    oversize.oversizeBytes = 60;
    {
        EngineHarness harness("dx5", oversize);
        harness.TickEvery(kFastTickMs);
        harness.Engine().Connect(kSimPort, 115200);
        ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusTimeout, 5000));
        EXPECT_EQ(LastSettings(harness.Listener().Events(), kSettingsConnected), nullptr);
    }
    EngineHarness harness("rv5");
    harness.TickEvery(kFastTickMs);
    ASSERT_TRUE(harness.ConnectAndWait(115200));
    harness.Sim().SetFaults(oversize);
    harness.Listener().Clear();
    // The axis reply now carries 118 payload bytes, more than the reply buffer holds.
    harness.Engine().ReloadDefaults();
    ASSERT_TRUE(harness.Listener().WaitForSettings(kSettingsReloaded, 5000));
    const auto events = harness.Listener().Events();
    const ControllerSettings* record = LastSettings(events, kSettingsReloaded);
    ASSERT_NE(record, nullptr);
    ExpectSettingsMatchSimulator(*record, harness.Sim().GetSettings());
    harness.Engine().ReadVoltage();
    ASSERT_TRUE(harness.Listener().WaitUntil(
        [](const std::vector<Event>& events) {
            for (const Event& e : events) {
                if (e.kind == Event::kVoltage && e.value > 0) {
                    return true;
                }
            }
            return false;
        },
        3000));
    ReportFault("oversize-replies",
                "an oversize version reply: \"Error: Cannot connect: Timeout error\"; oversize "
                "settings replies: every setting shown correctly, later replies still understood");
}

// Replies shorter than the fields they should carry (reload of the defaults with every reply
// 20 bytes short): what the reply carries is shown, everything beyond it reads 0 and never a
// byte of an earlier, longer reply.
TEST(ShortReplies, FieldsBeyondAShortReplyReadZeroNotEarlierReplies) {
    EngineHarness harness("dx5");
    harness.TickEvery(kFastTickMs);
    ASSERT_TRUE(harness.ConnectAndWait(115200));
    const auto connectedEvents = harness.Listener().Events();
    ASSERT_NE(LastSettings(connectedEvents, kSettingsConnected), nullptr);
    const ControllerSettings connected = *LastSettings(connectedEvents, kSettingsConnected);
    // The reply buffer still holds the long replies of the handshake with these (non-zero)
    // values at the positions the short replies leave out.
    ASSERT_NE(connected.raSiderealRate, 0u);
    ASSERT_NE(connected.decGearRatio, 0u);
    ASSERT_NE(connected.decCurrent[2], 0u);
    ASSERT_NE(connected.decAcceleration, 0u);
    ASSERT_NE(connected.latitude, 0);

    dxsim::Faults shortReplies;
    shortReplies.shortBytes = 20;
    harness.Sim().SetFaults(shortReplies);
    harness.Listener().Clear();
    harness.Engine().ReloadDefaults();
    ASSERT_TRUE(harness.Listener().WaitForSettings(kSettingsReloaded, 5000));
    const auto events = harness.Listener().Events();
    ASSERT_NE(LastSettings(events, kSettingsReloaded), nullptr);
    const ControllerSettings& r = *LastSettings(events, kSettingsReloaded);
    const dxsim::Settings s = harness.Sim().GetSettings();

    // Base settings, 9 payload bytes (reply bytes 2..10): RA features, gear ratio and the low
    // half of the scale.
    EXPECT_EQ(r.features, s.ra.features);
    EXPECT_EQ(r.raGearRatio, s.ra.gearRatio);
    EXPECT_EQ(r.raScale, s.ra.scale & 0xFFFFu);
    EXPECT_EQ(r.raSiderealRate, 0u);
    EXPECT_EQ(r.decFeatures, 0);
    EXPECT_EQ(r.decGearRatio, 0u);
    EXPECT_EQ(r.decScale, 0u);
    EXPECT_EQ(r.decSiderealRate, 0u);
    EXPECT_EQ(r.mountType, 0);
    // Axis settings, 38 payload bytes (reply bytes 2..39): the whole RA block, the Dec block up
    // to the idle current.
    EXPECT_EQ(r.reverseRotation, s.reverseRotation);
    EXPECT_EQ(r.raMaxSpeed, s.ra.maxSpeed);
    EXPECT_EQ(r.raGuidingRate, s.ra.guidingRate);
    EXPECT_EQ(r.raMaxCurrent, s.ra.maxCurrent);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(r.raCurrent[i], s.ra.current[i]);
        EXPECT_EQ(r.raDecay[i], s.ra.decay[i]);
        EXPECT_EQ(r.decDecay[i], 0);
    }
    EXPECT_EQ(r.raOvertone, s.ra.overtone);
    EXPECT_EQ(r.raAcceleration, s.ra.acceleration);
    EXPECT_EQ(r.raDeceleration, s.ra.deceleration);
    EXPECT_EQ(r.raIncCurrentAt, s.ra.incCurrentAt);
    EXPECT_EQ(r.decMaxSpeed, s.dec.maxSpeed);
    EXPECT_EQ(r.decGuidingRate, s.dec.guidingRate);
    EXPECT_EQ(r.decMaxCurrent, s.dec.maxCurrent);
    EXPECT_EQ(r.decCurrent[0], s.dec.current[0]);
    EXPECT_EQ(r.decCurrent[1], 0);
    EXPECT_EQ(r.decCurrent[2], 0);
    EXPECT_EQ(r.decOvertone, 0);
    EXPECT_EQ(r.decAcceleration, 0);
    EXPECT_EQ(r.decDeceleration, 0);
    EXPECT_EQ(r.decIncCurrentAt, 0);
    // Meridian and geo replies are cut to nothing.
    EXPECT_EQ(r.meridian0, 0);
    EXPECT_EQ(r.meridian1, 0);
    EXPECT_EQ(r.flipHysteresis, 0);
    EXPECT_EQ(r.latitude, 0);
    EXPECT_EQ(r.longitude, 0);
    EXPECT_EQ(r.hemisphere, 0);
    // Derived from what was read: a sidereal rate of 0 gives top rates of 0.
    EXPECT_EQ(r.raTopRate, 0u);
    EXPECT_EQ(r.decTopRate, 0u);
    // The identity read at the handshake is untouched by the reload.
    EXPECT_EQ(r.firmwareVersion, connected.firmwareVersion);
    EXPECT_EQ(r.protocolLevel, 6);
    ReportFault("short-replies",
                "settings the replies carry are shown, the rest as 0 (never values of an "
                "earlier reply); the reload still ends with the settings shown");
}

// The controller ignores one command after the handshake. The engine stays responsive:
// requests that run in any state still go out, idle-only ones are refused ("Error:
// Communication error") or dropped, and a request that runs in any state and is answered
// ends the stuck exchange.
struct StuckCase {
    const char* name;
    uint8_t command;  // the command the controller leaves unanswered
    void (*start)(TelescopeControl& engine);
};

class StuckExchange : public ::testing::TestWithParam<StuckCase> {};

TEST_P(StuckExchange, TheEngineStaysResponsiveAndAnAnsweredRequestRecovers) {
    const StuckCase& c = GetParam();
    EngineHarness harness("rv5");
    harness.TickEvery(kFastTickMs);
    ASSERT_TRUE(harness.ConnectAndWait(115200));
    dxsim::Faults faults;
    faults.noReplyTo.set(c.command);
    harness.Sim().SetFaults(faults);
    harness.Listener().Clear();
    TelescopeControl& engine = harness.Engine();
    dxsim::PtyServer& sim = harness.Sim();

    const uint32_t unanswered = sim.FramesReceived(c.command);
    c.start(engine);
    ASSERT_TRUE(sim.WaitForFrames(c.command, unanswered + 1, 3000));
    // Requests that run in any state still reach the controller.
    const uint32_t tracking = sim.FramesReceived(0x24);
    engine.SetTracking(1);
    ASSERT_TRUE(sim.WaitForFrames(0x24, tracking + 1, 3000));
    // Idle-only requests: refused with status 10 or dropped without a word.
    const uint32_t stores = sim.FramesReceived(0x0D);
    const uint32_t speeds = sim.FramesReceived(0x35);
    const uint32_t gears = sim.FramesReceived(0x1A);
    engine.StoreSettings();
    engine.SetMaxSpeed(300, 300);
    engine.SetGearRatios(1000, 1000);
    ASSERT_TRUE(harness.Listener().WaitUntil(
        [](const std::vector<Event>& events) {
            int refusals = 0;
            for (const Event& e : events) {
                refusals += e.kind == Event::kStatus && e.code == kStatusCommunicationError;
            }
            return refusals == 2;
        },
        3000));
    // Even many ticks later nothing times out: these exchanges have no time-out.
    std::this_thread::sleep_for(std::chrono::milliseconds(35 * kFastTickMs));
    EXPECT_EQ(harness.Listener().Statuses(),
              (std::vector<int32_t>{kStatusCommunicationError, kStatusCommunicationError}));
    EXPECT_EQ(sim.FramesReceived(0x0D), stores);
    EXPECT_EQ(sim.FramesReceived(0x35), speeds);
    EXPECT_EQ(sim.FramesReceived(0x1A), gears);

    // The controller answers again; a voltage reading (runs in any state) is answered and the
    // engine is idle again.
    sim.SetFaults({});
    engine.ReadVoltage();
    ASSERT_TRUE(harness.Listener().WaitUntil(
        [](const std::vector<Event>& events) {
            return !events.empty() && events.back().kind == Event::kVoltage;
        },
        3000));
    engine.StoreSettings();
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusParametersStored, 3000));
    ReportFault(std::string("no-reply-to-") + c.name,
                "other requests still go out; \"Error: Communication error\" for store, gear "
                "ratios and currents until an answered request (voltage) ends the wait; then "
                "\"Parameters stored...\"");
}

INSTANTIATE_TEST_SUITE_P(
    Faults, StuckExchange,
    ::testing::Values(StuckCase{"store", 0x0D, [](TelescopeControl& e) { e.StoreSettings(); }},
                      StuckCase{"define-park", 0x69, [](TelescopeControl& e) { e.DefinePark(); }},
                      StuckCase{"init-scope", 0x6A, [](TelescopeControl& e) { e.InitScope(6); }},
                      StuckCase{"gear-ratios", 0x1A,
                                [](TelescopeControl& e) { e.SetGearRatios(1382400, 1382400); }},
                      StuckCase{"reload-defaults", 0x0C,
                                [](TelescopeControl& e) { e.ReloadDefaults(); }},
                      StuckCase{"advanced-geo", 0x65,
                                [](TelescopeControl& e) {
                                    AdvancedSettings a{};
                                    a.changed = 0x01;
                                    a.latitude = 4104000;
                                    e.ApplyAdvanced(a);
                                }}),
    [](const ::testing::TestParamInfo<StuckCase>& info) {
        std::string name = info.param.name;
        for (char& ch : name) {
            ch = ch == '-' ? '_' : ch;
        }
        return name;
    });

}  // namespace
