#pragma once

// The Linux port scan behind ListSerialPorts, with its roots as parameters so that a test can
// scan a tree of its own. Internal to the POSIX platform layer.

#include <string>
#include <vector>

#include "platform/serial_port_list.h"

namespace axistune {

namespace posix {

struct SerialScanRoots {
    std::string dev = "/dev";
    std::string sys = "/sys";
};

std::vector<SerialPortEntry> ScanSerialPorts(const SerialScanRoots& roots);

// Orders names with their digit runs compared as numbers: ttyUSB2 before ttyUSB10.
bool NaturalLess(const std::string& a, const std::string& b);

}  // namespace posix

}  // namespace axistune
