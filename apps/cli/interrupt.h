#pragma once

#include <functional>

namespace axistune::cli {

// Turns Ctrl-C (and on POSIX SIGTERM and SIGHUP) into a call of `handler` on a thread of its own,
// so that the handler may take locks. Install before any other thread starts (POSIX blocks the
// signals for every thread created afterwards); the destructor ends the listening thread.
class InterruptListener {
  public:
    explicit InterruptListener(std::function<void()> handler);
    ~InterruptListener();
    InterruptListener(const InterruptListener&) = delete;
    InterruptListener& operator=(const InterruptListener&) = delete;
};

}  // namespace axistune::cli
