#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace axistune {

// A joinable thread whose owner always waits with a bound.
class Thread {
  public:
    Thread();
    // Joins a thread that is still running; owners call Join with their own bound first and
    // make sure the body ends (stop events) before the objects it uses go away.
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Starts the body on a new thread. False when the OS refused (nothing runs then).
    bool Start(std::function<void()> body);
    // Waits at most timeoutMs. True when no thread runs any more (ended, or never started);
    // the handle is released then and Start may be called again.
    bool Join(uint32_t timeoutMs);
    bool Started() const;
    uint32_t Id() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace axistune
