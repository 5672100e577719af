#pragma once

#include <cstddef>
#include <cstdint>

namespace axistune {

// Everything read from the controller. The engine's worker thread is the only writer; listeners
// receive it by pointer and copy the whole 132-byte block (the window reads its copy).
struct ControllerSettings {
    uint8_t mountType;      // 0 German equatorial, 1 fork, 2 alt-azimuth
    uint8_t reserved1;      // 7 from handshake start; nothing reads it
    uint8_t protocolLevel;  // 1..6 after the firmware check, 0 before
    uint32_t versionWord;
    uint32_t hardwareType;     // versionWord >> 16 (long version reply only)
    uint32_t firmwareVersion;  // shown as four dot-separated bytes, most significant first
    uint8_t modeFlag;
    uint8_t modeFlagZero;
    uint8_t features;     // bit 7 closed-loop tracking available; bits 2, 3 RA limit switches
    uint8_t decFeatures;  // bits 2, 3 Dec limit switches
    uint32_t raGearRatio;
    uint32_t raScale;
    uint32_t raSiderealRate;
    uint32_t decGearRatio;
    uint32_t decScale;
    uint32_t decSiderealRate;
    uint32_t raMaxSpeed;
    uint32_t decMaxSpeed;
    uint8_t reverseRotation;  // bit 0 RA, bit 1 Dec
    uint8_t reverseGuiding;
    uint8_t reverseLimits;
    uint16_t raMaxCurrent;  // milliamps
    uint16_t decMaxCurrent;
    uint16_t raCurrent[3];  // idle, track, run
    uint16_t decCurrent[3];
    uint8_t raDecay[3];
    uint8_t decDecay[3];
    uint8_t raAcceleration;
    uint8_t raDeceleration;
    uint8_t decAcceleration;
    uint8_t decDeceleration;
    int8_t raOvertone;
    uint8_t raAux1;
    int8_t decOvertone;
    uint8_t decAux1;
    uint16_t raIncCurrentAt;
    uint16_t raAux2;
    uint16_t decIncCurrentAt;
    uint16_t decAux2;
    uint16_t raGuidingRate;  // 1..16 sixteenths of sidereal
    uint16_t decGuidingRate;
    uint8_t raAux3;
    uint8_t decAux3;
    uint32_t raAux4;
    uint32_t decAux4;
    uint8_t meridian0;
    uint8_t meridian1;
    uint8_t flipHysteresis;  // degrees
    int32_t latitude;        // 1/86400 degree, positive north
    int32_t longitude;       // 1/86400 degree, positive east
    uint8_t hemisphere;      // 0 north, 1 south
    uint8_t closedLoopDefault;
    uint32_t raTopRate;   // raMaxSpeed * raSiderealRate, 32-bit product
    uint32_t decTopRate;  // decMaxSpeed * decSiderealRate
};

static_assert(sizeof(ControllerSettings) == 132, "listeners copy the record as a 132-byte block");
static_assert(offsetof(ControllerSettings, versionWord) == 4, "record layout");
static_assert(offsetof(ControllerSettings, raMaxCurrent) == 56, "record layout");
static_assert(offsetof(ControllerSettings, raAux4) == 100, "record layout");
static_assert(offsetof(ControllerSettings, latitude) == 112, "record layout");
static_assert(offsetof(ControllerSettings, raTopRate) == 124, "record layout");

}  // namespace axistune
