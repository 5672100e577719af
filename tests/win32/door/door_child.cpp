#include "door_child.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD kChildLifetimeMs = 60000;
constexpr DWORD kStartWaitMs = 20000;
constexpr char kChildFlag[] = "--door-child";

std::string EventName(const char* what, unsigned serial) {
    char name[96];
    std::snprintf(name, sizeof name, "Local\\axistune_door_%s_%lu_%u", what,
                  static_cast<unsigned long>(GetCurrentProcessId()), serial);
    return name;
}

}  // namespace

DoorChild::~DoorChild() {
    Release();
}

bool DoorChild::Start(DoorRole role, const std::string& pipeName) {
    static unsigned serial = 0;
    ++serial;
    const std::string readyName = EventName("ready", serial);
    const std::string releaseName = EventName("release", serial);
    ready_ = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
    release_ = CreateEventA(nullptr, TRUE, FALSE, releaseName.c_str());
    char exe[MAX_PATH];
    if (ready_ == nullptr || release_ == nullptr ||
        GetModuleFileNameA(nullptr, exe, MAX_PATH) == 0) {
        return false;
    }
    std::string commandLine = std::string("\"") + exe + "\" " + kChildFlag + " " +
                              std::to_string(static_cast<int>(role)) + " " + pipeName + " " +
                              readyName + " " + releaseName;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(exe, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    // Ready, or the child ended because it could not take its end of the pipe.
    HANDLE waitSet[2] = {ready_, process_};
    return WaitForMultipleObjects(2, waitSet, FALSE, kStartWaitMs) == WAIT_OBJECT_0;
}

void DoorChild::Release() {
    if (release_ != nullptr) {
        SetEvent(release_);
    }
    if (process_ != nullptr) {
        if (WaitForSingleObject(process_, kStartWaitMs) != WAIT_OBJECT_0) {
            TerminateProcess(process_, 1);
        }
        CloseHandle(process_);
        process_ = nullptr;
    }
    for (HANDLE* h : {&ready_, &release_}) {
        if (*h != nullptr) {
            CloseHandle(*h);
            *h = nullptr;
        }
    }
}

bool RunDoorChild(int argc, char** argv, int* exitCode) {
    if (argc < 2 || std::strcmp(argv[1], kChildFlag) != 0) {
        return false;
    }
    *exitCode = 2;
    if (argc != 6) {
        return true;
    }
    const auto role = static_cast<DoorRole>(std::atoi(argv[2]));
    const char* pipeName = argv[3];
    HANDLE pipe = INVALID_HANDLE_VALUE;
    if (role == DoorRole::kConnect) {
        pipe = CreateFileA(pipeName, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    } else {
        const DWORD instances =
            role == DoorRole::kServeLikeTheEngine ? 1 : PIPE_UNLIMITED_INSTANCES;
        pipe = CreateNamedPipeA(pipeName, PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED,
                                PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, instances, 512,
                                512, 0, nullptr);
    }
    if (pipe == INVALID_HANDLE_VALUE) {
        *exitCode = 3;
        return true;
    }
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[4]);
    HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, argv[5]);
    if (ready == nullptr || release == nullptr) {
        *exitCode = 4;
        return true;
    }
    SetEvent(ready);
    WaitForSingleObject(release, kChildLifetimeMs);
    CloseHandle(pipe);
    *exitCode = 0;
    return true;
}

std::string EngineQueueName(DWORD processId) {
    std::string name = "\\\\.\\Pipe\\lyrafield_axistune24_";
    for (int i = 0; i < 8; ++i) {
        name += "0123456789ABCDEF"[processId & 0xF];
        processId >>= 4;
    }
    return name;
}
