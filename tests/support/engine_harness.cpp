#include "support/engine_harness.h"

#include <chrono>
#include <mutex>

#include <gtest/gtest.h>
#include <unistd.h>

#include "core/status_codes.h"
#include "platform/serial_port.h"

namespace axistune {

FastTicker::FastTicker(iHeartBeatListener& target, int periodMs)
    : thread_([this, &target, periodMs] {
          while (running_.load()) {
              std::this_thread::sleep_for(std::chrono::milliseconds(periodMs));
              target.Beat();
          }
      }) {}

FastTicker::~FastTicker() {
    running_.store(false);
    thread_.join();
}

EngineHarness::EngineHarness(const std::string& profile, dxsim::Faults faults) {
    dxsim::ServerOptions options;
    options.profile = *dxsim::FindProfile(profile);
    options.faults = faults;
    // The link is the stable name: a re-plugged cable gets a new pseudo-terminal behind it.
    options.linkPath = "/tmp/axistune-engine-test-" + std::to_string(::getpid()) + "-" +
                       std::to_string(reinterpret_cast<uintptr_t>(this));
    sim_ = std::make_unique<dxsim::PtyServer>(options);
    std::string error;
    if (!sim_->Start(&error)) {
        ADD_FAILURE() << "simulator: " << error;
    }
    ports_.Assign(kSimPort, options.linkPath);
    engine_ = std::make_unique<TelescopeControl>(&listener_, &ports_);
}

EngineHarness::~EngineHarness() {
    ticker_.reset();
    if (engine_) {
        EXPECT_TRUE(engine_->Stop());
    }
    engine_.reset();
    sim_->Stop();
}

void EngineHarness::TickEvery(int periodMs) {
    ticker_ = std::make_unique<FastTicker>(*engine_, periodMs);
}

bool EngineHarness::ConnectAndWait(uint32_t baudRate, int timeoutMs) {
    engine_->Connect(kSimPort, baudRate);
    return listener_.WaitForSettings(kSettingsConnected, timeoutMs);
}

int CountStatus(const RecordingListener& listener, int32_t code) {
    int count = 0;
    for (int32_t c : listener.Statuses()) {
        count += c == code ? 1 : 0;
    }
    return count;
}

int CountSettings(const RecordingListener& listener, int32_t kind) {
    int count = 0;
    for (const RecordingListener::Event& e : listener.Events()) {
        count += e.kind == RecordingListener::Event::kSettings && e.code == kind;
    }
    return count;
}

const ControllerSettings* LastSettings(const std::vector<RecordingListener::Event>& events,
                                       int32_t kind) {
    for (auto it = events.rbegin(); it != events.rend(); ++it) {
        if (it->kind == RecordingListener::Event::kSettings && it->code == kind) {
            return &it->settings;
        }
    }
    return nullptr;
}

void ExpectSettingsMatchSimulator(const ControllerSettings& r, const dxsim::Settings& s) {
    EXPECT_EQ(r.mountType, s.mountType);
    EXPECT_EQ(r.features, s.ra.features);
    EXPECT_EQ(r.decFeatures, s.dec.features);
    EXPECT_EQ(r.raGearRatio, s.ra.gearRatio);
    EXPECT_EQ(r.decGearRatio, s.dec.gearRatio);
    EXPECT_EQ(r.raSiderealRate, s.ra.siderealRate);
    EXPECT_EQ(r.decSiderealRate, s.dec.siderealRate);
    EXPECT_EQ(r.reverseRotation, s.reverseRotation);
    EXPECT_EQ(r.reverseGuiding, s.reverseGuiding);
    EXPECT_EQ(r.reverseLimits, s.reverseLimits);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(r.raCurrent[i], s.ra.current[i]);
        EXPECT_EQ(r.decCurrent[i], s.dec.current[i]);
        EXPECT_EQ(r.raDecay[i], s.ra.decay[i]);
        EXPECT_EQ(r.decDecay[i], s.dec.decay[i]);
    }
    EXPECT_EQ(r.raMaxCurrent, s.ra.maxCurrent);
    EXPECT_EQ(r.decMaxCurrent, s.dec.maxCurrent);
    EXPECT_EQ(r.raMaxSpeed, s.ra.maxSpeed);
    EXPECT_EQ(r.decMaxSpeed, s.dec.maxSpeed);
    EXPECT_EQ(r.raOvertone, s.ra.overtone);
    EXPECT_EQ(r.decOvertone, s.dec.overtone);
    EXPECT_EQ(r.raAcceleration, s.ra.acceleration);
    EXPECT_EQ(r.raDeceleration, s.ra.deceleration);
    EXPECT_EQ(r.decAcceleration, s.dec.acceleration);
    EXPECT_EQ(r.decDeceleration, s.dec.deceleration);
    EXPECT_EQ(r.raIncCurrentAt, s.ra.incCurrentAt);
    EXPECT_EQ(r.decIncCurrentAt, s.dec.incCurrentAt);
    EXPECT_EQ(r.raGuidingRate, s.ra.guidingRate);
    EXPECT_EQ(r.decGuidingRate, s.dec.guidingRate);
    EXPECT_EQ(r.flipHysteresis, s.flipHysteresis);
    EXPECT_EQ(r.latitude, s.latitude);
    EXPECT_EQ(r.longitude, s.longitude);
    EXPECT_EQ(r.hemisphere, s.hemisphere);
    EXPECT_EQ(r.closedLoopDefault, s.closedLoopDefault);
    EXPECT_EQ(r.raTopRate, uint32_t{s.ra.maxSpeed} * s.ra.siderealRate);
    EXPECT_EQ(r.decTopRate, uint32_t{s.dec.maxSpeed} * s.dec.siderealRate);
    EXPECT_EQ(r.protocolLevel, 6);
}

long long MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

}  // namespace axistune
