#pragma once

#include <cstdint>

namespace dxsim {

// The motor parameters of one axis, as the controller keeps them. Field order follows the
// 27-byte axis block of the axis-settings reply; the last four come from the base settings.
struct AxisSettings {
    uint16_t maxSpeed = 0;            // multiple of the sidereal rate
    uint8_t guidingRate = 0;          // 1..16 sixteenths of the sidereal rate
    uint16_t maxCurrent = 0;          // milliamps, read-only for the host
    uint16_t current[3] = {0, 0, 0};  // idle, track, run; milliamps
    uint8_t decay[3] = {0, 0, 0};     // idle, track, run; 0..3
    int8_t overtone = 0;              // -20..20
    uint8_t aux1 = 0;
    uint8_t acceleration = 0;
    uint8_t deceleration = 0;
    uint16_t incCurrentAt = 0;
    uint16_t incCurrentAt2 = 0;  // the second value of the increase-current command
    uint8_t aux3 = 0;
    uint32_t aux4 = 0;

    uint8_t features = 0;       // bit 7 closed-loop tracking, bits 2 and 3 limit switches
    uint32_t gearRatio = 0;     // motor steps per axis revolution
    uint32_t scale = 0;         // motor steps per degree
    uint32_t siderealRate = 0;  // speed value of 1x sidereal (fiftieths of a step per second)

    bool operator==(const AxisSettings& o) const;
    bool operator!=(const AxisSettings& o) const { return !(*this == o); }
};

// Everything the host can read and change. The controller holds three copies: the working
// settings, the stored copy ("store" writes it, power-up loads it) and the factory values
// ("reload defaults" restores them).
struct Settings {
    AxisSettings ra;
    AxisSettings dec;
    uint8_t reverseRotation = 0;  // bit 0 RA, bit 1 Dec
    uint8_t reverseGuiding = 0;   // four bits
    uint8_t reverseLimits = 0;    // four bits
    uint8_t mountType = 0;        // 0 German equatorial, 1 fork, 2 alt-azimuth
    uint8_t meridian0 = 0;
    uint8_t meridian1 = 0;
    uint8_t flipHysteresis = 0;  // degrees
    int32_t latitude = 0;        // 1/86400 degree, north positive
    int32_t longitude = 0;       // 1/86400 degree, east positive
    uint8_t hemisphere = 0;      // 0 north, 1 south
    uint8_t closedLoopDefault = 0;

    bool operator==(const Settings& o) const;
    bool operator!=(const Settings& o) const { return !(*this == o); }
};

// The speed value of 1x sidereal follows from the gear ratio: one axis revolution per sidereal
// day, counted in fiftieths of a motor step per second (172800 steps give 100).
uint32_t SiderealRateFor(uint32_t gearRatio);
// Motor steps per degree of the axis.
uint32_t ScaleFor(uint32_t gearRatio);

}  // namespace dxsim
