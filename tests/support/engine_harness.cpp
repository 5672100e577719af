#include "support/engine_harness.h"

#include <chrono>
#include <mutex>

#include <gtest/gtest.h>
#include <unistd.h>

#include "engine/status_codes.h"
#include "platform/serial_port.h"

namespace {

std::mutex g_pathMutex;
std::string g_simPath;

std::string ResolveToSimulator(unsigned port) {
    std::lock_guard<std::mutex> guard(g_pathMutex);
    if (port == kSimPort) {
        return g_simPath;
    }
    return "/nonexistent/ttyS" + std::to_string(port);
}

}  // namespace

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
    {
        std::lock_guard<std::mutex> guard(g_pathMutex);
        g_simPath = options.linkPath;
    }
    SetSerialPathResolver(&ResolveToSimulator);
    engine_ = std::make_unique<TelescopeControl>(&listener_);
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
