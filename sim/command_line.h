#pragma once

#include <string>

#include "sim/pty_server.h"

namespace dxsim {

struct CommandLine {
    ServerOptions server;  // trace and onLineOpened are left for the caller
    bool help = false;
    bool version = false;
    bool trace = false;
    std::string traceFile;  // empty: stderr
};

// Parses dxsim's options. False with a message for anything it does not understand.
bool ParseCommandLine(int argc, const char* const* argv, CommandLine* out, std::string* error);
std::string UsageText();

}  // namespace dxsim
