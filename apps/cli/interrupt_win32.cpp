#include <windows.h>

#include "interrupt.h"

namespace axistune::cli {

namespace {

std::function<void()> gHandler;

// Windows calls this on a thread of its own.
BOOL WINAPI OnConsoleControl(DWORD type) {
    if (type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT) {
        gHandler();
        return TRUE;
    }
    return FALSE;
}

}  // namespace

InterruptListener::InterruptListener(std::function<void()> handler) {
    gHandler = std::move(handler);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

InterruptListener::~InterruptListener() {
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
}

}  // namespace axistune::cli
