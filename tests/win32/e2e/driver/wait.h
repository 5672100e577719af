// Bounded polling: every wait of the driver ends after its time limit.
#pragma once

#include <windows.h>

#include <cstdint>

namespace e2e {

inline uint64_t NowMs() {
    return GetTickCount64();
}

// Calls `done` every `stepMs` until it returns true (result true) or `timeoutMs` has passed
// (result false). `done` is called at least once.
template <typename Done>
bool WaitUntil(uint32_t timeoutMs, Done done, uint32_t stepMs = 10) {
    const uint64_t deadline = NowMs() + timeoutMs;
    for (;;) {
        if (done()) {
            return true;
        }
        if (NowMs() >= deadline) {
            return false;
        }
        Sleep(stepMs);
    }
}

}  // namespace e2e
