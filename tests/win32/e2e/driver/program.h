// The program under test as a process: started unchanged with CreateProcess, its windows found
// by title, and ended through its own close box.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "driver/window.h"

namespace e2e {

// A visible top-level window with exactly this title, of process `processId` (0: any process).
HWND FindTopLevel(DWORD processId, const std::string& title);
// Waits for such a window; null when none appeared in time.
HWND WaitForTopLevel(DWORD processId, const std::string& title, uint32_t timeoutMs);

class Program {
  public:
    Program() = default;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    // A process still running (a test that failed half-way) is ended by force.
    ~Program();

    bool Launch(const std::wstring& exePath, std::string* error);
    bool Running() const;
    DWORD Id() const { return info_.dwProcessId; }

    // The process's top-level window with this title, waited for.
    Window WaitForWindow(const std::string& title, uint32_t timeoutMs) const;

    // Presses the title bar's close box of `window` (WM_SYSCOMMAND SC_CLOSE, posted) and waits
    // for the process to end. Reports the exit code and how long the end took.
    bool CloseAndWait(const Window& window, uint32_t timeoutMs, DWORD* exitCode,
                      uint64_t* elapsedMs);
    bool WaitForExit(uint32_t timeoutMs) const;
    void Terminate();

  private:
    PROCESS_INFORMATION info_ = {};
};

}  // namespace e2e
