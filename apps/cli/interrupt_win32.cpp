#include <windows.h>

#include <mutex>

#include "exit_codes.h"
#include "interrupt.h"

namespace axistune::cli {

namespace {

// Removing the console handler does not wait for a call already running on Windows' thread;
// the lock does, so that nothing the handler uses is freed under it.
std::mutex gHandlerLock;
std::function<void(int)> gHandler;

int ExitCodeFor(DWORD type) {
    switch (type) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            return kExitInterrupted;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            return kExitHangUp;
        default:
            return 0;
    }
}

// Windows calls this on a thread of its own. For closing the console it ends the process once
// the handler returns (or after about 5 s), so the handler returns only when the stop is done.
BOOL WINAPI OnConsoleControl(DWORD type) {
    const int code = ExitCodeFor(type);
    if (code == 0) {
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(gHandlerLock);
    if (gHandler) {
        gHandler(code);
    }
    return TRUE;
}

}  // namespace

InterruptListener::InterruptListener(std::function<void(int)> handler) {
    {
        std::lock_guard<std::mutex> guard(gHandlerLock);
        gHandler = std::move(handler);
    }
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

InterruptListener::~InterruptListener() {
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    std::lock_guard<std::mutex> guard(gHandlerLock);
    gHandler = nullptr;
}

}  // namespace axistune::cli
