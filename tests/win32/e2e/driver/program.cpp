#include "driver/program.h"

#include <vector>

#include "driver/text_codec.h"
#include "driver/wait.h"

namespace e2e {

namespace {

struct Search {
    DWORD processId;
    std::wstring title;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context) {
    Search* search = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (search->processId != 0 && owner != search->processId) {
        return TRUE;
    }
    if (!IsWindowVisible(window)) {
        return TRUE;
    }
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    if (search->title != title) {
        return TRUE;
    }
    search->found = window;
    return FALSE;
}

}  // namespace

HWND FindTopLevel(DWORD processId, const std::string& title) {
    Search search{processId, ToWide(title), nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForTopLevel(DWORD processId, const std::string& title, uint32_t timeoutMs) {
    HWND found = nullptr;
    WaitUntil(timeoutMs, [&] {
        found = FindTopLevel(processId, title);
        return found != nullptr;
    });
    return found;
}

Program::~Program() {
    Terminate();
}

bool Program::Launch(const std::wstring& exePath, std::string* error) {
    Terminate();
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    // CreateProcessW may write into the command line.
    std::vector<wchar_t> commandLine(exePath.begin(), exePath.end());
    commandLine.insert(commandLine.begin(), L'"');
    commandLine.push_back(L'"');
    commandLine.push_back(L'\0');
    if (!CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info_)) {
        *error = "CreateProcess(" + ToUtf8(exePath) + ") failed with error " +
                 std::to_string(GetLastError());
        info_ = PROCESS_INFORMATION{};
        return false;
    }
    return true;
}

bool Program::Running() const {
    return info_.hProcess != nullptr && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

Window Program::WaitForWindow(const std::string& title, uint32_t timeoutMs) const {
    if (info_.hProcess == nullptr) {
        return Window();
    }
    return Window(WaitForTopLevel(info_.dwProcessId, title, timeoutMs));
}

bool Program::WaitForExit(uint32_t timeoutMs) const {
    return info_.hProcess == nullptr || WaitForSingleObject(info_.hProcess, timeoutMs) == 0;
}

bool Program::CloseAndWait(const Window& window, uint32_t timeoutMs, DWORD* exitCode,
                           uint64_t* elapsedMs) {
    const uint64_t start = NowMs();
    if (!window.Post(WM_SYSCOMMAND, SC_CLOSE, 0)) {
        return false;
    }
    const bool ended = WaitForExit(timeoutMs);
    *elapsedMs = NowMs() - start;
    if (!ended) {
        return false;
    }
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    *exitCode = code;
    return true;
}

void Program::Terminate() {
    if (info_.hProcess == nullptr) {
        return;
    }
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
    info_ = PROCESS_INFORMATION{};
}

}  // namespace e2e
