#pragma once

// How each kind of port opens on Windows: the system's half of a row of platform/port_scheme.h.
// Every kind that opens here is then read, written and closed as an overlapped COM handle.
// Internal to the Win32 platform layer.

#include <windows.h>

#include <cstdint>

#include "platform/port_scheme.h"
#include "platform/win32/port_claim.h"
#include "platform/win32/serial_io.h"

namespace axistune {

struct PortOpener {
    // Takes the claim on the name and opens the port for overlapped I/O with its line settings
    // and time-outs; on failure leaves the claim released and *port untouched.
    OpenResult (*open)(SerialIo& io, PortClaim& claim, const PortAddress& address,
                       uint32_t baudRate, HANDLE* port);
};

}  // namespace axistune
