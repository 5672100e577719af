#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <thread>

#include "exit_codes.h"
#include "interrupt.h"

namespace axistune::cli {

namespace {

std::function<void(int)> gHandler;
std::atomic<bool> gEnding{false};
std::thread gListener;
sigset_t gSignals;

}  // namespace

InterruptListener::InterruptListener(std::function<void(int)> handler) {
    gHandler = std::move(handler);
    sigemptyset(&gSignals);
    sigaddset(&gSignals, SIGINT);
    sigaddset(&gSignals, SIGTERM);
    sigaddset(&gSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &gSignals, nullptr);
    gListener = std::thread([] {
        for (;;) {
            int received = 0;
            if (sigwait(&gSignals, &received) != 0) {
                continue;
            }
            if (gEnding.load()) {
                return;
            }
            gHandler(received == SIGTERM  ? kExitTerminated
                     : received == SIGHUP ? kExitHangUp
                                          : kExitInterrupted);
        }
    });
}

InterruptListener::~InterruptListener() {
    gEnding.store(true);
    pthread_kill(gListener.native_handle(), SIGTERM);
    gListener.join();
}

}  // namespace axistune::cli
