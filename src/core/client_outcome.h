#pragma once

#include <string>

namespace axistune {

// How an exchange with the controller ended.
enum class ClientResult {
    kOk,
    kRefused,       // incompatible device or firmware too old: the controller was refused
    kPortFailed,    // the port did not open
    kTimedOut,      // no answer within the bound
    kClosed,        // the connection closed (cable pulled, controller gone)
    kRejected,      // the engine refused the request (communication error, not connected)
    kInterrupted,   // Interrupt() was called
    kEngineFailed,  // the engine's threads did not start, or have ended
};

struct ClientOutcome {
    ClientResult result = ClientResult::kOk;
    std::string message;  // for people: the window's status text, or why the port failed

    bool Ok() const { return result == ClientResult::kOk; }
};

}  // namespace axistune
