#pragma once

#include <time.h>

#include <cstdint>

namespace bench {

// Monotonic time in nanoseconds; the one clock every figure of the bench is taken with.
inline int64_t NowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

inline int64_t MsOf(int64_t ns) {
    return ns / 1000000;
}

// One character on the line: start bit, eight data bits, stop bit.
inline double CharTimeNs(uint32_t baud) {
    return 10.0 * 1e9 / static_cast<double>(baud);
}

}  // namespace bench
