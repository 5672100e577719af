#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/settings.h"

namespace dxsim {

// What the controller says about itself and how its line runs.
struct Identity {
    uint16_t hardwareType = 1;  // high half of the version word (long version reply)
    uint16_t versionLow = 0;    // low half of the version word
    bool shortVersion = false;  // old firmware: answers the version query as "xx major minor"
    uint8_t shortMajor = 1;
    uint8_t shortMinor = 1;
    uint32_t firmware = 0;  // four bytes, most significant first in the dotted form
    uint8_t modeFlag = 0;
    uint32_t baud = 115200;   // the rate the controller's UART runs at
    uint16_t voltage = 1220;  // supply voltage at rest, hundredths of a volt

    uint32_t VersionWord() const { return (uint32_t{hardwareType} << 16) | versionLow; }
};

struct Profile {
    std::string name;
    std::string description;
    Identity identity;
    Settings factory;
};

// The built-in profiles: dx5, dx3, rv5 and the refusal profiles incompatible, old-firmware and
// old-version.
const std::vector<Profile>& Profiles();
std::optional<Profile> FindProfile(const std::string& name);

}  // namespace dxsim
