#pragma once

// What a port name stands for: one row per kind of port, shared by both systems. A row names
// its prefix, how the rest of the name is read, and its opener, which each system defines in
// its own port_opener.h (how that kind opens, and there how it writes and closes). A new kind
// is one row here and its opener on each system; the linker names a system that lacks one.

#include <cstdint>
#include <string>

#include "platform/serial_port.h"

namespace axistune {

// The part of a port name after its prefix, as its row reads it.
struct PortAddress {
    std::string device;  // a serial line: the name as given ("/dev/ttyUSB0", "COM3")
    std::string host;    // a network kind: a name or an address, an IPv6 one without brackets
    uint16_t port = 0;   // a network kind: 1 to 65535
};

struct PortOpener;  // per system: posix/port_opener.h, win32/port_opener.h

struct PortScheme {
    const char* kind;    // "serial line", "TCP bridge"
    const char* prefix;  // matched in any case; the row with "" takes what no other row takes
    const char* form;    // how a name of this kind is written, for the reasons of a bad one
    // Reads the address; a malformed one is kOther with the reason.
    OpenResult (*parse)(const std::string& rest, PortAddress* address);
    const PortOpener& (*opener)();
};

struct RecognisedPortName {
    const PortScheme* scheme = nullptr;  // always a row: the serial line when no prefix matches
    PortAddress address;
    OpenResult error;  // kOther when the address is malformed: the reason and the form
};

RecognisedPortName RecognisePortName(const std::string& device);

// HOST:PORT, an IPv6 address in brackets ([::1]:4000), the port 1 to 65535. For network kinds.
OpenResult ParseHostAndPort(const std::string& text, PortAddress* address);

// The rows' openers, one per kind; each system defines them all.
const PortOpener& SerialLineOpener();
const PortOpener& TcpBridgeOpener();

}  // namespace axistune
