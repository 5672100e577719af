#pragma once

#include <string>

namespace axistune::cli {

// The program's exit status; scripts rely on these numbers. kExitCodeTable below is the one
// description of them: --help prints it, and README and the manual page repeat it.
enum ExitCode : int {
    kExitOk = 0,
    kExitDifferences = 1,
    kExitUsage = 2,
    kExitBadFile = 3,
    kExitRefused = 4,
    kExitLinkFailed = 5,
    kExitHangUp = 129,       // 128 + SIGHUP
    kExitInterrupted = 130,  // 128 + SIGINT
    kExitTerminated = 143,   // 128 + SIGTERM
};

struct ExitCodeRow {
    ExitCode code;
    const char* name;     // one word, for messages: "interrupted"
    const char* meaning;  // for people
};

inline constexpr ExitCodeRow kExitCodeTable[] = {
    {kExitOk, "ok", "success (diff: no difference)"},
    {kExitDifferences, "differences", "diff found differences"},
    {kExitUsage, "usage", "the command line cannot be understood"},
    {kExitBadFile, "bad-file",
     "the settings file or the output cannot be used (not a regular file, too large, "
     "invalid, not for this controller); nothing was sent"},
    {kExitRefused, "refused", "the controller was refused (incompatible device, old firmware)"},
    {kExitLinkFailed, "link-failed",
     "the port or the controller failed, or a restore did not take"},
    {kExitHangUp, "hung up", "stopped by SIGHUP (Windows: the console was closed); disconnected"},
    {kExitInterrupted, "interrupted", "stopped by Ctrl-C or Ctrl-Break; disconnected"},
    {kExitTerminated, "terminated", "stopped by SIGTERM; disconnected"},
};

// The row's name, or "failed" for a code outside the table.
const char* ExitCodeName(int code);
// "Exit status:\n  0    success ...\n", one line per row, for --help.
std::string ExitStatusHelp();

}  // namespace axistune::cli
