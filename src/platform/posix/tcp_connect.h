#pragma once

// Raw TCP serial bridges (ser2net, socat, a Wi-Fi serial adapter): "tcp://HOST:PORT" stands for
// a serial line whose bytes travel over one TCP connection. Internal to the POSIX platform layer.

#include <string>

#include "platform/serial_port.h"

namespace axistune {

namespace posix {

// Bound on connecting, across all of HOST's addresses. Name resolution keeps the resolver's own
// bounds (resolv.conf's timeout and attempts).
constexpr int kTcpConnectTimeoutMs = 3000;

// True for a name that asks for a TCP bridge ("tcp://", any case).
bool IsTcpBridgeName(const std::string& device);

// Connects to the bridge that name stands for. On success *fd is a connected, non-blocking,
// close-on-exec socket with TCP_NODELAY set.
OpenResult ConnectTcpBridge(const std::string& device, int* fd);

}  // namespace posix

}  // namespace axistune
