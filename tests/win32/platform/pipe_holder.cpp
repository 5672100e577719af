#include "pipe_holder.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD kHolderLifetimeMs = 60000;

std::string EventName(const char* role, DWORD pid, unsigned serial) {
    char name[96];
    std::snprintf(name, sizeof(name), "Local\\axistune_pipe_holder_%s_%lu_%u", role,
                  static_cast<unsigned long>(pid), serial);
    return name;
}

}  // namespace

PipeHolder::~PipeHolder() {
    Release();
}

bool PipeHolder::Start(HolderPipeKind kind, const std::string& pipeName) {
    static unsigned serial = 0;
    ++serial;
    std::string readyName = EventName("ready", GetCurrentProcessId(), serial);
    std::string releaseName = EventName("release", GetCurrentProcessId(), serial);
    ready_ = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
    release_ = CreateEventA(nullptr, TRUE, FALSE, releaseName.c_str());
    if (ready_ == nullptr || release_ == nullptr) {
        return false;
    }

    char exe[MAX_PATH];
    if (GetModuleFileNameA(nullptr, exe, MAX_PATH) == 0) {
        return false;
    }
    std::string commandLine = std::string("\"") + exe + "\" --hold-pipe " +
                              std::to_string(static_cast<int>(kind)) + " " + pipeName + " " +
                              readyName + " " + releaseName;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(exe, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;

    // Ready, or the child ended because it could not create the pipe.
    HANDLE waitSet[2] = {ready_, process_};
    return WaitForMultipleObjects(2, waitSet, FALSE, 20000) == WAIT_OBJECT_0;
}

void PipeHolder::Release() {
    if (release_ != nullptr) {
        SetEvent(release_);
    }
    if (process_ != nullptr) {
        if (WaitForSingleObject(process_, 20000) != WAIT_OBJECT_0) {
            TerminateProcess(process_, 1);
        }
        CloseHandle(process_);
        process_ = nullptr;
    }
    if (ready_ != nullptr) {
        CloseHandle(ready_);
        ready_ = nullptr;
    }
    if (release_ != nullptr) {
        CloseHandle(release_);
        release_ = nullptr;
    }
}

int RunPipeHolder(int argc, char** argv) {
    if (argc != 6) {
        return 2;
    }
    auto kind = static_cast<HolderPipeKind>(std::atoi(argv[2]));
    const char* pipeName = argv[3];
    DWORD access = PIPE_ACCESS_INBOUND;
    DWORD instances = 1;
    switch (kind) {
        case HolderPipeKind::kLikeTheEngine:
            break;
        case HolderPipeKind::kManyInstances:
            access = PIPE_ACCESS_DUPLEX;
            instances = PIPE_UNLIMITED_INSTANCES;
            break;
        case HolderPipeKind::kOutboundOnly:
            access = PIPE_ACCESS_OUTBOUND;
            instances = PIPE_UNLIMITED_INSTANCES;
            break;
        case HolderPipeKind::kInboundMany:
            instances = PIPE_UNLIMITED_INSTANCES;
            break;
    }
    HANDLE pipe = CreateNamedPipeA(pipeName, access | FILE_FLAG_OVERLAPPED,
                                   PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, instances, 512,
                                   512, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) {
        return 3;
    }
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[4]);
    HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, argv[5]);
    if (ready == nullptr || release == nullptr) {
        return 4;
    }
    SetEvent(ready);
    WaitForSingleObject(release, kHolderLifetimeMs);
    CloseHandle(pipe);
    return 0;
}
