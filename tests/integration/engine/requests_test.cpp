#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <vector>

#include "core/status_codes.h"
#include "engine/settings_change_observer.h"
#include "support/engine_harness.h"

using namespace axistune;

namespace {

using Bytes = std::vector<uint8_t>;

// Records each report in order; a reload of defaults and a store as requests of kind kNone, the
// store with selector 1.
class RecordingChanges final : public SettingsChangeObserver {
  public:
    void OnSettingsChangeSent(const PlannedRequest& sent) override { Add(sent); }
    void OnReloadDefaultsSent() override { Add(PlannedRequest{}); }
    void OnStoreSettingsSent() override {
        PlannedRequest store;
        store.selector = 1;
        Add(store);
    }
    // Waits (bounded) for `count` reports, then returns all of them.
    std::vector<PlannedRequest> WaitFor(size_t count) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(5), [&] { return sent_.size() >= count; });
        return sent_;
    }

  private:
    void Add(const PlannedRequest& sent) {
        std::lock_guard<std::mutex> guard(mutex_);
        sent_.push_back(sent);
        changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<PlannedRequest> sent_;
};

class RequestsReachTheController : public ::testing::Test {
  protected:
    void SetUp() override {
        harness.TickEvery(kFastTickMs);
        ASSERT_TRUE(harness.ConnectAndWait(115200));
        harness.Listener().Clear();
    }

    // The last frame the simulator received with this command byte.
    Bytes LastFrame(uint8_t command) {
        Bytes last;
        for (const auto& frame : harness.Sim().Frames()) {
            if (frame.bytes.size() > 2 && frame.bytes[2] == command) {
                last = frame.bytes;
            }
        }
        return last;
    }

    RecordingChanges changes;  // outlives the engine, which may report to it
    EngineHarness harness{"rv5"};
};

TEST_F(RequestsReachTheController, MotionCommandsSendTheirFramesAndStatuses) {
    const uint32_t moves = harness.Sim().FramesReceived(0x23);
    harness.Engine().MoveManual(3, 2);  // east at 1x sidereal
    ASSERT_TRUE(harness.Sim().WaitForFrames(0x23, moves + 1, 3000));
    const uint32_t sidereal = harness.Sim().GetSettings().ra.siderealRate;
    const int32_t speed = -static_cast<int32_t>(sidereal);
    const Bytes move = LastFrame(0x23);
    ASSERT_EQ(move.size(), 9u);
    EXPECT_EQ(move[4], 0x80);
    EXPECT_EQ(static_cast<int32_t>(uint32_t{move[5]} | uint32_t{move[6]} << 8 |
                                   uint32_t{move[7]} << 16 | uint32_t{move[8]} << 24),
              speed);
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusManualMovement, 2000));

    const uint32_t stops = harness.Sim().FramesReceived(0x21);
    harness.Engine().StopMotion(4);
    ASSERT_TRUE(harness.Sim().WaitForFrames(0x21, stops + 1, 3000));
    EXPECT_EQ(LastFrame(0x21), (Bytes{0xAA, 0x03, 0x21, 0x00, 0xC0}));
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusReady, 2000));

    const uint32_t tracking = harness.Sim().FramesReceived(0x24);
    harness.Engine().SetTracking(1);
    ASSERT_TRUE(harness.Sim().WaitForFrames(0x24, tracking + 1, 3000));
    EXPECT_EQ(LastFrame(0x24), (Bytes{0xAA, 0x03, 0x24, 0x00, 0x01}));
    harness.Engine().SetExp(1);
    harness.Engine().SendCommand0B();
    ASSERT_TRUE(harness.Sim().WaitForFrames(0x0B, 1, 3000));
    EXPECT_EQ(LastFrame(0x28), (Bytes{0xAA, 0x03, 0x28, 0x00, 0x01}));
}

TEST_F(RequestsReachTheController, AcknowledgedCommandsReportTheirOutcome) {
    harness.Engine().StoreSettings();
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusParametersStored, 3000));
    EXPECT_TRUE(harness.Sim().GetStoredSettings() == harness.Sim().GetSettings());

    harness.Engine().InitScope(4);
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusSynchronized, 3000));
    EXPECT_EQ(LastFrame(0x6A), (Bytes{0xAA, 0x05, 0x6A, 0x01, 'E', 'E', ' '}));

    harness.Engine().DefinePark();
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusParkDefined, 3000));

    harness.Engine().ReadVoltage();
    ASSERT_TRUE(harness.Listener().WaitUntil(
        [](const std::vector<RecordingListener::Event>& events) {
            for (const auto& e : events) {
                if (e.kind == RecordingListener::Event::kVoltage) {
                    return e.value > 0;
                }
            }
            return false;
        },
        3000));
}

TEST_F(RequestsReachTheController, GearRatiosAreReadBackAndReloadRestoresTheFactoryValues) {
    const uint32_t factoryRa = harness.Sim().GetSettings().ra.gearRatio;
    harness.Engine().SetGearRatios(200000, 180000);
    ASSERT_TRUE(harness.Listener().WaitForSettings(kSettingsGearReread, 3000));
    const auto events = harness.Listener().Events();
    EXPECT_EQ(events.back().settings.raGearRatio, 200000u);
    EXPECT_EQ(events.back().settings.decGearRatio, 180000u);

    harness.Listener().Clear();
    harness.Engine().ReloadDefaults();
    ASSERT_TRUE(harness.Listener().WaitForSettings(kSettingsReloaded, 5000));
    EXPECT_EQ(harness.Listener().Events().back().settings.raGearRatio, factoryRa);
}

TEST_F(RequestsReachTheController, AxisParametersChangeTheControllersSettings) {
    harness.Engine().SetReverseFlags(1, 2, 1);
    harness.Engine().SetCurrent(0x81, 700);
    harness.Engine().SetDecay(0x42, 3);
    harness.Engine().SetMaxSpeed(630, 600);
    harness.Engine().SetAcceleration(96, 32);
    harness.Engine().SetDeceleration(48, 64);
    harness.Engine().SetOvertone(0x40, static_cast<uint8_t>(-5));
    harness.Engine().SetIncreaseCurrentAt(0x80, 420, 420);
    harness.Engine().SetGuidingRates(1, 16);
    ASSERT_TRUE(harness.Sim().WaitForFrames(0x36, 1, 3000));

    const dxsim::Settings s = harness.Sim().GetSettings();
    EXPECT_EQ(s.reverseRotation, 1);
    EXPECT_EQ(s.reverseGuiding, 2);
    EXPECT_EQ(s.reverseLimits, 1);
    EXPECT_EQ(s.ra.current[1], 700);
    EXPECT_EQ(s.dec.decay[2], 3);
    EXPECT_EQ(s.ra.maxSpeed, 630);
    EXPECT_EQ(s.dec.maxSpeed, 600);
    EXPECT_EQ(s.ra.acceleration, 96);
    EXPECT_EQ(s.dec.acceleration, 32);
    EXPECT_EQ(s.ra.deceleration, 48);
    EXPECT_EQ(s.dec.deceleration, 64);
    EXPECT_EQ(s.dec.overtone, -5);
    EXPECT_EQ(s.ra.incCurrentAt, 420);
    EXPECT_EQ(s.ra.guidingRate, 1);
    EXPECT_EQ(s.dec.guidingRate, 16);
    // None of these awaits an answer, so nothing was reported.
    EXPECT_TRUE(harness.Listener().Events().empty());
}

TEST_F(RequestsReachTheController, AdvancedSettingsWalkTheChainAndEndWithSettingsDone) {
    AdvancedSettings advanced{};
    advanced.features = 0x80;
    advanced.changed = 0x3F;
    advanced.mountType = 1;
    advanced.latitude = -4104000;
    advanced.longitude = 274320;
    advanced.hemisphere = 1;
    advanced.closedLoopDefault = 1;
    advanced.flipHysteresis = 12;
    harness.Engine().ApplyAdvanced(advanced);
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusSettingsDone, 3000));
    const dxsim::Settings s = harness.Sim().GetSettings();
    EXPECT_EQ(s.latitude, -4104000);
    EXPECT_EQ(s.longitude, 274320);
    EXPECT_EQ(s.hemisphere, 1);
    EXPECT_EQ(s.mountType, 1);
    EXPECT_EQ(s.flipHysteresis, 12);
    EXPECT_EQ(s.closedLoopDefault, 1);
}

TEST_F(RequestsReachTheController, IdleOnlyRequestsAreRefusedWhileAnExchangeAwaitsItsAnswer) {
    dxsim::Faults faults;
    faults.noReplyTo.set(0x0D);  // the store is never acknowledged
    harness.Sim().SetFaults(faults);
    harness.Engine().StoreSettings();
    ASSERT_TRUE(harness.Sim().WaitForFrames(0x0D, 1, 3000));
    harness.Engine().SetCurrent(0x80, 100);
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusCommunicationError, 3000));
    const uint32_t speedsBefore = harness.Sim().FramesReceived(0x35);
    harness.Engine().SetMaxSpeed(30, 30);  // dropped without a word
    // A request that runs in any state replaces the stuck exchange.
    harness.Engine().DefinePark();
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusParkDefined, 3000));
    EXPECT_EQ(harness.Sim().FramesReceived(0x35), speedsBefore);
    harness.Engine().SetCurrent(0x80, 100);
    ASSERT_TRUE(harness.Sim().WaitForFrames(0x33, 1, 3000));
}

// Only changes whose frames went out are reported, as sent, in order with the store and the
// reload; not those an exchange held off.
TEST_F(RequestsReachTheController, TheSettingsChangesSentAreReportedAsSent) {
    harness.Engine().SetSettingsChangeObserver(&changes);
    dxsim::Faults faults;
    faults.noReplyTo.set(0x0D);  // the store is never acknowledged
    harness.Sim().SetFaults(faults);
    harness.Engine().StoreSettings();
    ASSERT_TRUE(harness.Sim().WaitForFrames(0x0D, 1, 3000));
    harness.Engine().SetMaxSpeed(30, 30);    // dropped
    harness.Engine().SetCurrent(0x80, 100);  // refused
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusCommunicationError, 3000));
    harness.Engine().ApplyAdvanced(AdvancedSettings{});  // sends nothing
    harness.Engine().DefinePark();                       // replaces the stuck exchange
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusParkDefined, 3000));

    harness.Engine().SetCurrent(0x41, 650);
    AdvancedSettings hysteresis{};
    hysteresis.changed = kChangedFlipHysteresis;
    hysteresis.flipHysteresis = 7;
    harness.Engine().ApplyAdvanced(hysteresis);
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusSettingsDone, 3000));
    harness.Engine().ReloadDefaults();
    const std::vector<PlannedRequest> sent = changes.WaitFor(4);
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[0].request, SettingRequest::kNone);  // the store that went unanswered
    EXPECT_EQ(sent[0].selector, 1);
    EXPECT_EQ(DescribeRequest(sent[1]), "SetCurrent(0x41, 650)");
    EXPECT_EQ(sent[2].request, SettingRequest::kAdvanced);
    EXPECT_EQ(sent[2].advanced.changed, uint32_t{kChangedFlipHysteresis});
    EXPECT_EQ(sent[2].advanced.flipHysteresis, 7);
    EXPECT_EQ(sent[3].request, SettingRequest::kNone);
    EXPECT_EQ(sent[3].selector, 0);
}

}  // namespace
