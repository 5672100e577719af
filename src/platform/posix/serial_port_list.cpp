#include "platform/serial_port_list.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <set>

#include "platform/posix/serial_port_scan.h"

namespace axistune {

namespace posix {

namespace {

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

std::vector<std::string> DirectoryEntries(const std::string& directory) {
    std::vector<std::string> names;
    DIR* dir = opendir(directory.c_str());
    if (dir == nullptr) {
        return names;
    }
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    closedir(dir);
    std::sort(names.begin(), names.end(), NaturalLess);
    return names;
}

// "ttyUSB" followed by a number and nothing else.
bool IsNumbered(const std::string& name, const std::string& prefix) {
    return name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
           std::all_of(name.begin() + static_cast<long>(prefix.size()), name.end(), IsDigit);
}

std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

bool Exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

// The kernel makes ttyS0..ttyS3 (or more) whether or not a UART is there. One with hardware
// has a device behind it, and a serial-core port also reports its UART type, which is
// PORT_UNKNOWN (0) when no UART answered the probe. Read from sysfs rather than through
// TIOCGSERIAL: that would need an open, which raises DTR and RTS on a live line (and resets
// many microcontroller boards), and a permission the listing user may lack.
bool HasUart(const SerialScanRoots& roots, const std::string& name) {
    const std::string sysTty = roots.sys + "/class/tty/" + name;
    if (!Exists(sysTty + "/device")) {
        return false;
    }
    std::ifstream typeFile(sysTty + "/type");
    int type = 0;
    if (!typeFile.is_open()) {
        return true;  // not a serial-core driver; its device is all it says
    }
    return static_cast<bool>(typeFile >> type) && type != 0;
}

}  // namespace

bool NaturalLess(const std::string& a, const std::string& b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            size_t endA = i;
            size_t endB = j;
            while (endA < a.size() && IsDigit(a[endA])) {
                ++endA;
            }
            while (endB < b.size() && IsDigit(b[endB])) {
                ++endB;
            }
            // Leading zeros aside, the longer run is the larger number.
            size_t startA = i;
            size_t startB = j;
            while (startA + 1 < endA && a[startA] == '0') {
                ++startA;
            }
            while (startB + 1 < endB && b[startB] == '0') {
                ++startB;
            }
            const std::string numberA = a.substr(startA, endA - startA);
            const std::string numberB = b.substr(startB, endB - startB);
            if (numberA.size() != numberB.size()) {
                return numberA.size() < numberB.size();
            }
            if (numberA != numberB) {
                return numberA < numberB;
            }
            i = endA;
            j = endB;
            continue;
        }
        if (a[i] != b[j]) {
            return a[i] < b[j];
        }
        ++i;
        ++j;
    }
    if (a.size() - i != b.size() - j) {
        return a.size() - i < b.size() - j;
    }
    return a < b;  // equal as numbers ("ttyS01" and "ttyS1"): any fixed order
}

std::vector<SerialPortEntry> ScanSerialPorts(const SerialScanRoots& roots) {
    std::vector<SerialPortEntry> ports;
    std::set<std::string> listedDevices;

    const std::string byId = roots.dev + "/serial/by-id";
    for (const std::string& link : DirectoryEntries(byId)) {
        const std::string path = byId + "/" + link;
        const std::string target = RealPath(path);
        if (target.empty() || !listedDevices.insert(target).second) {
            continue;  // dangling (the adapter just went away) or a second name of one device
        }
        ports.push_back({path, target});
    }

    const std::vector<std::string> devices = DirectoryEntries(roots.dev);
    for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"}) {
        for (const std::string& name : devices) {
            if (!IsNumbered(name, prefix)) {
                continue;
            }
            const std::string path = roots.dev + "/" + name;
            const std::string real = RealPath(path);
            if (listedDevices.count(real.empty() ? path : real) != 0) {
                continue;
            }
            if (std::string(prefix) == "ttyS" && !HasUart(roots, name)) {
                continue;
            }
            ports.push_back({path, path});
        }
    }
    return ports;
}

}  // namespace posix

std::vector<SerialPortEntry> ListSerialPorts() {
    return posix::ScanSerialPorts(posix::SerialScanRoots{});
}

}  // namespace axistune
