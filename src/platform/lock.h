#pragma once

#include <memory>

namespace axistune {

// A mutual-exclusion lock (a critical section on Windows, a mutex on POSIX).
class Lock {
  public:
    Lock();
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    void Enter();
    void Leave();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

class LockGuard {
  public:
    explicit LockGuard(Lock& lock) : lock_(lock) { lock_.Enter(); }
    ~LockGuard() { lock_.Leave(); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

  private:
    Lock& lock_;
};

}  // namespace axistune
