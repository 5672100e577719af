#pragma once

#include <poll.h>

#include <cstdint>

#include "platform/event.h"

namespace axistune {

namespace posix {

// Milliseconds that a wait may take; this value waits without a bound, as on Windows.
constexpr uint32_t kWaitForever = 0xFFFFFFFF;

// A point in time on the monotonic clock, so that a wait interrupted by a signal or by a
// spurious wake-up keeps its original bound.
class Deadline {
  public:
    explicit Deadline(uint32_t timeoutMs);
    // Milliseconds left for poll: -1 without a bound, 0 once passed.
    int RemainingMs() const;

  private:
    bool forever_;
    int64_t endNs_;
};

// poll() that resumes after EINTR until the deadline. Returns poll's count: > 0 ready,
// 0 time-out, < 0 error.
int PollUntil(pollfd* fds, nfds_t count, const Deadline& deadline);

// The pollable descriptor of an event (-1 when it has none, which poll ignores).
int EventFd(const Event& event);

// Waits for the event alone, without consuming it. True when it is set.
bool WaitForEvent(const Event& event, uint32_t timeoutMs);

}  // namespace posix

}  // namespace axistune
