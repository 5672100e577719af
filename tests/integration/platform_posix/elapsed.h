#pragma once

#include <time.h>

#include <cstdint>

// Wall time (monotonic) and the calling thread's CPU time, in milliseconds.
inline double ClockMs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

inline double NowMs() {
    return ClockMs(CLOCK_MONOTONIC);
}
inline double ThreadCpuMs() {
    return ClockMs(CLOCK_THREAD_CPUTIME_ID);
}

// Upper bounds catch a wait that ignores its bound or its wake-up; they are wide because a
// sanitizer build on a shared, busy machine can be descheduled for hundreds of ms.
constexpr double kSlackMs = 1000;
