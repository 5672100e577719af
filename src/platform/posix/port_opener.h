#pragma once

// How each kind of port opens, writes and closes on POSIX: the system's half of a row of
// platform/port_scheme.h. Internal to the POSIX platform layer.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

#include "platform/port_scheme.h"

namespace axistune {

struct PortOpener {
    // On success *fd is a non-blocking, close-on-exec descriptor of the port.
    OpenResult (*open)(const PortAddress& address, uint32_t baudRate, int* fd);
    // As write(2): the count written, or -1 with errno.
    ssize_t (*writeSome)(int fd, const uint8_t* bytes, size_t count);
    // Just before the descriptor is closed.
    void (*beforeClose)(int fd);
};

}  // namespace axistune
