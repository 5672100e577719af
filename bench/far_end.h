#pragma once

#include <sys/types.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/controller_model.h"
#include "sim/pty_line.h"

namespace bench {

struct ArrivedFrame {
    std::vector<uint8_t> bytes;  // AA N cmd args
    int64_t lastByteNs = 0;      // when the read that completed it returned
};

// One frame and its answer as the paced line carried them.
struct Exchange {
    uint8_t command = 0;
    size_t hostBytes = 0;
    size_t replyBytes = 0;
    int64_t frameReadNs = 0;  // when the read that completed the frame returned
    int64_t replyEndNs = 0;   // when the answer's last character has left; 0 without one
};

// The controller's end of a pseudo-terminal, timed with the bench clock. The answers come from
// dxsim's controller model. Three modes, never two at the same time:
//  - driven: the caller's thread waits for a frame and answers it at once (microsecond timing
//    of single replies);
//  - watched: a thread of its own spins on the line and times every read (microsecond timing of
//    single requests);
//  - served: a thread of its own carries the line like a UART at the rate the host set, each
//    character taking ten bit times in either direction (the handshake, where line time counts).
// A second descriptor on the host's side stays open all the time, so the controller's end never
// sees a hang-up between connections; it also serves to time the bare pseudo-terminal.
class FarEnd {
  public:
    explicit FarEnd(const std::string& profile);
    ~FarEnd();
    FarEnd(const FarEnd&) = delete;
    FarEnd& operator=(const FarEnd&) = delete;

    bool Open(std::string* error);
    const std::string& SlavePath() const { return line_.slavePath(); }

    // Driven mode. Waits (blocking) until the model has accepted one more frame; false after
    // the bound.
    bool AwaitFrame(int64_t timeoutNs, ArrivedFrame* frame);
    // Writes everything the model has to say now in one write. Returns the time taken just
    // before the write, or -1 when there was nothing to send.
    int64_t SendDueReplies();

    // Watched mode: a thread of the far end spins on the line and notes when each read returned,
    // while the caller sleeps in AwaitBytes as the window thread sleeps between user actions.
    bool StartWatching();
    void StopWatching();
    // The next `count` bytes from the host and when the read that completed them returned.
    bool AwaitBytes(size_t count, int64_t timeoutNs, std::vector<uint8_t>* bytes,
                    int64_t* lastReadNs);
    // Writes on the host's side of the line, as the engine would, but without it.
    bool WriteHostSide(const uint8_t* bytes, size_t count);

    // The bare pseudo-terminal, without the engine: bytes written on the host's side until they
    // are read here, and bytes written here until they are read on the host's side. Nanoseconds,
    // -1 on time-out.
    int64_t TimeHostToFar(const uint8_t* bytes, size_t count);
    int64_t TimeFarToHost(const uint8_t* bytes, size_t count);

    // Served mode.
    bool StartServing();
    void StopServing();
    // The exchanges carried since the last call, in order.
    std::vector<Exchange> TakeExchanges();

  private:
    void Serve();
    void Watch();
    int64_t ModelMs(int64_t ns) const { return (ns - epochNs_) / 1000000; }
    uint64_t FramesSoFar() const { return model_.counters().frames; }

    dxsim::ControllerModel model_;
    dxsim::PtyLine line_;
    int hostSide_ = -1;
    int stopFd_ = -1;
    int64_t epochNs_ = 0;
    std::thread server_;
    std::thread watcher_;
    std::atomic<bool> watching_{false};
    std::condition_variable seenChanged_;
    std::vector<uint8_t> seen_;  // guarded by mutex_
    int64_t lastReadNs_ = 0;     // guarded by mutex_
    std::mutex mutex_;
    std::vector<Exchange> exchanges_;  // guarded by mutex_
};

}  // namespace bench
