#pragma once

#include <windows.h>

namespace axistune {

// Whether the far end of a named pipe belongs to this process. The engine queue holds both
// ends of its pipe itself; some systems (Wine) accept the flags that keep other processes out
// without enforcing them, so the queue checks its peers by process id instead.

// serverEnd: a pipe instance this process created; false also when no client is connected.
bool PipeClientIsThisProcess(HANDLE serverEnd);
// clientEnd: a pipe this process opened by name.
bool PipeServerIsThisProcess(HANDLE clientEnd);

}  // namespace axistune
