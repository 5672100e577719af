#pragma once

#include <string>
#include <vector>

namespace axistune {

struct SerialPortEntry {
    std::string name;    // what a user types or picks: "/dev/serial/by-id/usb-...", "COM3"
    std::string device;  // what a by-id link points to ("/dev/ttyUSB0"); else the same as name
};

// The serial ports present now, in the order a user should see them. Linux: the stable
// /dev/serial/by-id links first, then ttyUSB, ttyACM and the ttyS ports that have a UART
// behind them, each device once, numbers in natural order (ttyUSB2 before ttyUSB10); nothing
// is opened to find them. Windows: the COM ports the system knows (the serial drivers'
// registry entries and the DOS device names, which include Wine's mapped ports), by number.
std::vector<SerialPortEntry> ListSerialPorts();

}  // namespace axistune
