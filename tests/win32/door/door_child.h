#pragma once

#include <windows.h>

#include <string>

// Another process at the queue's door: this test executable started again, which either
// serves a named pipe (as a program that took the name would) or connects to one as a client,
// and holds it until released.
enum class DoorRole {
    kServeLikeTheEngine,  // inbound, one instance
    kServeManyInstances,  // inbound, unlimited instances
    kConnect,             // opens the named pipe for writing
};

class DoorChild {
  public:
    DoorChild() = default;
    ~DoorChild();
    DoorChild(const DoorChild&) = delete;
    DoorChild& operator=(const DoorChild&) = delete;

    // True once the child holds its end of the pipe.
    bool Start(DoorRole role, const std::string& pipeName);
    DWORD ProcessId() const { return processId_; }
    // Lets the child end and waits for it.
    void Release();

  private:
    HANDLE process_ = nullptr;
    HANDLE ready_ = nullptr;
    HANDLE release_ = nullptr;
    DWORD processId_ = 0;
};

// True (and *exitCode set) when the command line asks for the child's part.
bool RunDoorChild(int argc, char** argv, int* exitCode);

// The engine queue's name for this process: the prefix and the process id as eight hex
// digits, least significant first.
std::string EngineQueueName(DWORD processId);
