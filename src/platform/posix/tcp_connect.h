#pragma once

// Raw TCP serial bridges (ser2net, socat, a Wi-Fi serial adapter): "tcp://HOST:PORT" stands for
// a serial line whose bytes travel over one TCP connection. Internal to the POSIX platform layer.

#include "platform/port_scheme.h"

namespace axistune {

namespace posix {

// Bound on connecting, across all of HOST's addresses. Name resolution keeps the resolver's own
// bounds (resolv.conf's timeout and attempts).
constexpr int kTcpConnectTimeoutMs = 3000;

// Connects to the bridge at the address. On success *fd is a connected, non-blocking,
// close-on-exec socket with TCP_NODELAY set.
OpenResult ConnectTcpBridge(const PortAddress& address, int* fd);

}  // namespace posix

}  // namespace axistune
