#include "app/bounded_thread_stop.h"

#include <chrono>

namespace axistune {

bool JoinOrLetGo(std::unique_ptr<Thread>& thread, Event& callbackReturned, uint32_t timeoutMs) {
    const auto start = std::chrono::steady_clock::now();
    if (callbackReturned.Wait(timeoutMs)) {
        const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
        const uint32_t left =
            spent.count() >= timeoutMs ? 0 : timeoutMs - static_cast<uint32_t>(spent.count());
        if (thread->Join(left)) {
            return true;
        }
    }
    static_cast<void>(thread.release());
    return false;
}

}  // namespace axistune
