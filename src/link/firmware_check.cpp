#include "link/firmware_check.h"

namespace axistune {

namespace {

// The 99.0.0.x series are development builds; the early ones speak only the first level.
constexpr uint32_t kDevSeries = 0x63000000;

uint8_t LevelForType1(uint32_t f) {
    if (f <= 0x01000000) {
        return 1;
    }
    if (f == 0x01000001) {
        return 2;
    }
    if (f <= 0x01000003) {
        return 3;
    }
    if (f <= 0x01000008) {
        return 4;
    }
    if (f == 0x01000009) {
        return 5;
    }
    if (f >= kDevSeries && f <= kDevSeries + 0x0B) {
        return 1;
    }
    return 6;
}

uint8_t LevelForType5(uint32_t f) {
    if (f <= 0x01000004) {
        return 4;
    }
    if (f >= kDevSeries && f <= kDevSeries + 0x0D) {
        return 1;
    }
    return 6;
}

}  // namespace

uint8_t ProtocolLevelFor(uint32_t hardwareType, uint32_t firmwareVersion) {
    switch (hardwareType) {
        case 1:
            return LevelForType1(firmwareVersion);
        case 3:
        case 4:
            return 4;
        case 5:
            return LevelForType5(firmwareVersion);
        default:
            return 1;
    }
}

}  // namespace axistune
