#include "stop_request.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "app/controller_client.h"
#include "app/state_files.h"

namespace axistune::cli {

namespace {

using Clock = std::chrono::steady_clock;

// Without a connection nothing needs an orderly end: a second is ample for the main thread to
// notice the stop, and a blocked one is not waited for longer.
constexpr std::chrono::milliseconds kIdleGrace{1000};
// With one, the main thread's disconnect may take its whole bound.
constexpr std::chrono::milliseconds kConnectedGrace{ControllerClient::Bounds{}.disconnectMs + 3000};
// How often the wait looks again whether a connection is open.
constexpr std::chrono::milliseconds kRecheck{100};

std::atomic<int> gCode{0};
std::mutex gLock;
std::condition_variable gDone;
bool gFinished = false;

}  // namespace

int StopCode() {
    return gCode.load();
}

void OnStopSignal(int code, const std::function<void()>& interrupt,
                  const std::function<bool()>& connected) {
    int none = 0;
    gCode.compare_exchange_strong(none, code);
    interrupt();
    const Clock::time_point start = Clock::now();
    for (;;) {
        const auto bound = connected() ? kConnectedGrace : kIdleGrace;
        const auto left =
            bound - std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
        std::unique_lock<std::mutex> guard(gLock);
        if (gFinished) {
            return;
        }
        if (left.count() <= 0) {
            break;
        }
        gDone.wait_for(guard, std::min(left, kRecheck));
    }
    ExitRemovingTemporaries(gCode.load());
}

void StopDone() {
    {
        std::lock_guard<std::mutex> guard(gLock);
        gFinished = true;
    }
    gDone.notify_all();
}

}  // namespace axistune::cli
