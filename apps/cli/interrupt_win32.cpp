#include <windows.h>

#include <mutex>

#include "interrupt.h"

namespace axistune::cli {

namespace {

// Removing the console handler does not wait for a call already running on Windows' thread;
// the lock does, so that nothing the handler uses is freed under it.
std::mutex gHandlerLock;
std::function<void()> gHandler;

// Windows calls this on a thread of its own.
BOOL WINAPI OnConsoleControl(DWORD type) {
    if (type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT) {
        std::lock_guard<std::mutex> guard(gHandlerLock);
        if (gHandler) {
            gHandler();
        }
        return TRUE;
    }
    return FALSE;
}

}  // namespace

InterruptListener::InterruptListener(std::function<void()> handler) {
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
