#pragma once

#include <functional>

namespace axistune::cli {

// A stop asked for by a signal (Ctrl-C, SIGTERM, SIGHUP; on Windows Ctrl-Break and closing the
// console), process-wide: the commands look at it before each connection, and its exit code
// becomes the program's exit status.

// The stop's exit code (exit_codes.h), or 0 when none was asked for.
int StopCode();

// On the interrupt listener's thread: records the stop, calls `interrupt` to end the exchange
// in progress, then waits until the main thread calls StopDone. When the main thread does not
// get there (blocked outside an exchange, such as writing to a terminal held by Ctrl-S), the
// process ends with the stop's code and without its temporary files: after a second when no
// connection is open, else after the bound of an orderly disconnect.
void OnStopSignal(int code, const std::function<void()>& interrupt,
                  const std::function<bool()>& connected);

// The main thread has closed the connection: a waiting OnStopSignal returns.
void StopDone();

}  // namespace axistune::cli
