#include "platform/win32/pipe_peers.h"

namespace axistune {

bool PipeClientIsThisProcess(HANDLE serverEnd) {
    ULONG clientPid = 0;
    return GetNamedPipeClientProcessId(serverEnd, &clientPid) && clientPid == GetCurrentProcessId();
}

bool PipeServerIsThisProcess(HANDLE clientEnd) {
    ULONG serverPid = 0;
    return GetNamedPipeServerProcessId(clientEnd, &serverPid) && serverPid == GetCurrentProcessId();
}

}  // namespace axistune
