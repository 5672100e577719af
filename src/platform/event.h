#pragma once

#include <cstdint>
#include <memory>

namespace axistune {

enum class EventReset { kManual, kAuto };

// A waitable event. Manual-reset events stay set until Reset; an auto-reset event is cleared by
// the one Wait that sees it set.
class Event {
  public:
    Event(EventReset reset, bool initiallySet);
    ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    bool Valid() const;  // false when the OS refused to create it
    void Set();
    void Reset();
    // True when the event was (or became) set within timeoutMs.
    bool Wait(uint32_t timeoutMs);

    // For the platform layer's combined waits: the HANDLE on Windows, a pollable descriptor
    // (readable while set) on POSIX.
    intptr_t NativeHandle() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace axistune
