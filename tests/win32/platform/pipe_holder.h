#pragma once

#include <windows.h>

#include <string>

// A child process (this test executable started again with --hold-pipe) that creates a named
// pipe of the given name and keeps it until released, standing in for another program that
// owns the engine queue's name.
enum class HolderPipeKind {
    kLikeTheEngine,  // inbound, one instance
    kManyInstances,  // duplex, unlimited instances
    kOutboundOnly,   // outbound, unlimited instances
    kInboundMany,    // inbound, unlimited instances: Wine then lets a second instance in
};

class PipeHolder {
  public:
    PipeHolder() = default;
    ~PipeHolder();
    PipeHolder(const PipeHolder&) = delete;
    PipeHolder& operator=(const PipeHolder&) = delete;

    // True once the child holds the name.
    bool Start(HolderPipeKind kind, const std::string& pipeName);
    // Lets the child end and waits for it.
    void Release();

  private:
    HANDLE process_ = nullptr;
    HANDLE ready_ = nullptr;
    HANDLE release_ = nullptr;
};

// Runs the child's side; returns the child's exit code.
int RunPipeHolder(int argc, char** argv);
