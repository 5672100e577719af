#pragma once

namespace axistune::cli {

// The program's exit status; scripts rely on these numbers (README, --help).
enum ExitCode : int {
    kExitOk = 0,
    kExitDifferences = 1,    // diff: the controller differs from the file
    kExitUsage = 2,          // a command line that cannot be understood
    kExitBadFile = 3,        // the settings file is invalid or does not suit the controller
    kExitRefused = 4,        // the controller was refused (incompatible device, old firmware)
    kExitLinkFailed = 5,     // the port or the controller failed, or a restore did not take
    kExitInterrupted = 130,  // Ctrl-C: stopped, disconnected
};

}  // namespace axistune::cli
