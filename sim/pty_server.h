#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/controller_model.h"
#include "sim/faults.h"
#include "sim/profile.h"
#include "sim/pty_line.h"
#include "sim/trace.h"

namespace dxsim {

struct ServerOptions {
    Profile profile;  // FindProfile("dx5") when left empty
    Faults faults;
    uint64_t seed = 1;           // noise and garbage
    std::string linkPath;        // a symlink to the slave is kept here; empty: none
    int64_t pullAfterMs = -1;    // the cable is pulled this long after Start; -1: never
    int64_t replugAfterMs = -1;  // a pulled cable is re-plugged this long after; -1: never
    TraceSink* trace = nullptr;  // not owned; must outlive the server
    // Called with the slave path whenever a line opens: in Start, and on the server's thread
    // after a re-plug.
    std::function<void(const std::string& slavePath)> onLineOpened;
};

// The controller on a pseudo-terminal, served on a thread of its own. A host opens SlavePath()
// (or the link) like a serial port. Every accessor may be called from any thread.
class PtyServer {
  public:
    explicit PtyServer(ServerOptions options);
    ~PtyServer();  // stops
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Opens the line, places the link and starts serving. False with a reason on failure.
    bool Start(std::string* error = nullptr);
    // Ends serving, closes the line and removes the link. Safe to call twice.
    void Stop();
    bool Running() const;

    std::string SlavePath() const;  // empty while the cable is pulled
    const std::string& LinkPath() const { return options_.linkPath; }
    bool LineOpen() const;

    void SetFaults(const Faults& faults);
    Faults GetFaults() const;
    // Pulls the cable now: the line closes (the host sees a hang-up) and the link goes. With
    // replugAfterMs >= 0 a new line opens that much later at the same link path.
    void PullCable(int64_t replugAfterMs = -1);
    // Opens a new line (and link) at once if the cable is pulled; when it returns, a host can
    // open SlavePath() or the link. False if the line could not be opened or the server is
    // not running.
    bool Replug(std::string* error = nullptr);

    uint32_t FramesReceived(uint8_t command) const;
    Counters GetCounters() const;
    std::vector<ReceivedFrame> Frames() const;
    // Waits until `count` frames with this command byte arrived in total; false on time-out.
    bool WaitForFrames(uint8_t command, uint32_t count, int timeoutMs) const;
    Settings GetSettings() const;
    Settings GetStoredSettings() const;
    uint32_t LineBaud() const;
    uint32_t CablePulls() const;
    uint32_t HostHangups() const;  // times a host closed its end
    // Runs fn with the model under the server's lock; nowMs is the model's clock.
    void WithModel(const std::function<void(ControllerModel& model, int64_t nowMs)>& fn);

  private:
    void Run();
    int64_t Now() const;
    void ServiceLine(bool readable, bool hungUpNow);
    void Flush(int64_t now);
    bool OpenLine(std::string* error);  // mutex_ held
    void CloseLine(const char* why);    // mutex_ held
    void Wake() const;

    ServerOptions options_;
    mutable std::mutex mutex_;
    mutable std::condition_variable framesArrived_;
    std::unique_ptr<ControllerModel> model_;
    PtyLine line_;
    std::string slavePath_;
    std::vector<uint8_t> unsent_;
    std::thread thread_;
    int wake_[2] = {-1, -1};
    bool running_ = false;
    bool stopping_ = false;
    bool hungUp_ = false;
    int64_t startMs_ = 0;
    int64_t pullAtMs_ = -1;
    int64_t replugAtMs_ = -1;
    uint32_t lineBaud_ = 0;
    uint32_t cablePulls_ = 0;
    uint32_t hangups_ = 0;
};

}  // namespace dxsim
