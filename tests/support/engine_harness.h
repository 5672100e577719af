#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/telescope_control.h"
#include "sim/pty_server.h"
#include "support/recording_listener.h"

namespace axistune {

// The simulated controller answers as COM7; every other port number leads nowhere.
constexpr uint8_t kSimPort = 7;

// Faster than the real 250 ms, slow enough that the ticks queued during the 500 ms pause
// before the handshake leave the first query most of its 32-tick time-out.
constexpr int kFastTickMs = 50;

// Beats the engine at a chosen period from a thread of its own (the heartbeat's 250 ms is the
// protocol's real clock; tests that do not measure time tick faster).
class FastTicker {
  public:
    FastTicker(iHeartBeatListener& target, int periodMs);
    ~FastTicker();

  private:
    std::atomic<bool> running_{true};
    std::thread thread_;
};

class EngineHarness {
  public:
    // Starts the simulator with the named profile and an engine (without ticks).
    explicit EngineHarness(const std::string& profile, dxsim::Faults faults = {});
    ~EngineHarness();

    dxsim::PtyServer& Sim() { return *sim_; }
    TelescopeControl& Engine() { return *engine_; }
    RecordingListener& Listener() { return listener_; }

    void TickEvery(int periodMs);
    // Connect at the rate and wait for the handshake's settings; false on time-out.
    bool ConnectAndWait(uint32_t baudRate, int timeoutMs = 10000);

  private:
    std::unique_ptr<dxsim::PtyServer> sim_;
    RecordingListener listener_;
    PortCatalogue ports_;
    std::unique_ptr<TelescopeControl> engine_;
    std::unique_ptr<FastTicker> ticker_;
};

int CountStatus(const RecordingListener& listener, int32_t code);
int CountSettings(const RecordingListener& listener, int32_t kind);
// The latest settings of the kind among the events, or null.
const ControllerSettings* LastSettings(const std::vector<RecordingListener::Event>& events,
                                       int32_t kind);
// Every field the window shows, as the simulated controller holds it.
void ExpectSettingsMatchSimulator(const ControllerSettings& record, const dxsim::Settings& sim);
long long MsSince(std::chrono::steady_clock::time_point start);

}  // namespace axistune
