#pragma once

#include <cstddef>
#include <cstdint>

namespace axistune {

enum MountType : uint8_t {
    kMountGermanEquatorial = 0,
    kMountFork = 1,
    kMountAltAzimuth = 2,
};

// Bits of AdvancedSettings::changed.
enum AdvancedChange : uint32_t {
    kChangedLatitude = 0x01,
    kChangedLongitude = 0x02,
    kChangedHemisphere = 0x04,
    kChangedMountType = 0x08,
    kChangedFlipHysteresis = 0x10,
    kChangedClosedLoop = 0x20,
};

// Owned by the main window, edited by the advanced-settings dialog and copied whole by the
// engine's ApplyAdvanced: six 32-bit words.
struct AdvancedSettings {
    uint32_t features;   // controller feature byte, zero-extended; 0x80 = closed loop available
    uint32_t changed;    // which values the user changed
    uint8_t mountType;   // MountType
    int32_t latitude;    // 1/86400 degree, positive north
    int32_t longitude;   // 1/86400 degree, positive east
    uint8_t hemisphere;  // 0 north, 1 south
    uint8_t closedLoopDefault;
    uint8_t flipHysteresis;  // degrees
};

static_assert(sizeof(AdvancedSettings) == 24, "six 32-bit words");
static_assert(offsetof(AdvancedSettings, latitude) == 12, "record layout");
static_assert(offsetof(AdvancedSettings, hemisphere) == 20, "record layout");

}  // namespace axistune
