#include "platform/posix/poll_wait.h"

#include <errno.h>
#include <time.h>

#include <climits>

namespace axistune {

namespace posix {

namespace {

int64_t NowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

}  // namespace

Deadline::Deadline(uint32_t timeoutMs)
    : forever_(timeoutMs == kWaitForever),
      endNs_(NowNs() + static_cast<int64_t>(timeoutMs) * 1000000) {}

int Deadline::RemainingMs() const {
    if (forever_) {
        return -1;
    }
    const int64_t leftNs = endNs_ - NowNs();
    if (leftNs <= 0) {
        return 0;
    }
    // Round up so that a wait never ends before its bound.
    const int64_t leftMs = (leftNs + 999999) / 1000000;
    return leftMs > INT_MAX ? INT_MAX : static_cast<int>(leftMs);
}

int PollUntil(pollfd* fds, nfds_t count, const Deadline& deadline) {
    for (;;) {
        const int ready = poll(fds, count, deadline.RemainingMs());
        if (ready >= 0 || errno != EINTR) {
            return ready;
        }
    }
}

int EventFd(const Event& event) {
    return static_cast<int>(event.NativeHandle());
}

bool WaitForEvent(const Event& event, uint32_t timeoutMs) {
    pollfd fd{EventFd(event), POLLIN, 0};
    return PollUntil(&fd, 1, Deadline(timeoutMs)) > 0 && (fd.revents & POLLIN) != 0;
}

}  // namespace posix

}  // namespace axistune
