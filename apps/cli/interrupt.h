#pragma once

#include <functional>

namespace axistune::cli {

// Turns the requests to stop into a call of `handler(exit code)` on a thread of its own, so
// that the handler may take locks and wait: on POSIX SIGINT (130), SIGTERM (143) and SIGHUP
// (129); on Windows Ctrl-C and Ctrl-Break (130), and closing the console, logging off or
// shutting down (129). Install before any other thread starts (POSIX blocks the signals for
// every thread created afterwards); the destructor ends the listening.
class InterruptListener {
  public:
    explicit InterruptListener(std::function<void(int)> handler);
    ~InterruptListener();
    InterruptListener(const InterruptListener&) = delete;
    InterruptListener& operator=(const InterruptListener&) = delete;
};

}  // namespace axistune::cli
