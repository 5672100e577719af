#pragma once

#include <cstdint>

#include "core/controller_settings.h"

namespace axistune {

// The arguments that request execution computes for the manual move, the stop and the
// telescope initialisation.

struct ManualMove {
    uint8_t axis;   // 0x80 RA, 0x40 Dec, 0x00 for an unknown direction
    int32_t speed;  // signed: the sign gives the direction of travel
};

// Direction 0 north, 1 south, 2 west, 3 east; speed index 0..31 (the slider). Indices up to 6
// are fixed fractions of the sidereal rate; above 6 the speed rises along a 1.5-power curve
// from four times sidereal to the axis' top rate at 31.
ManualMove ComputeManualMove(const ControllerSettings& settings, uint8_t direction,
                             uint8_t speedIndex);

// The speed magnitude alone, for a base (sidereal) and a top rate.
int32_t ManualMoveSpeed(uint32_t base, uint32_t top, uint8_t speedIndex);

// 4 both axes (0xC0), 2 or 3 RA (0x80), 0 or 1 Dec (0x40), anything else 0x00.
uint8_t StopMask(uint8_t axes);

// The three letters of a position code (2 and 4..17); false for any other code.
bool InitPositionLetters(uint8_t positionCode, uint8_t letters[3]);

}  // namespace axistune
