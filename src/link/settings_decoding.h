#pragma once

#include "core/controller_settings.h"
#include "link/reply_parser.h"

namespace axistune {

// Fill ControllerSettings from the replies that carry it. Positions are reply byte numbers
// (byte 2 is the first payload byte); bytes a reply did not carry read as 0.

// Base settings: RA block at bytes 4..16, Dec block at 17..29, mount type at 30.
void DecodeBaseSettings(const ReplyView& reply, ControllerSettings& settings,
                        bool includeMountType);

// Axis settings: reversal masks at 4 and 5, RA block at 6..32, Dec block at 33..59.
void DecodeAxisSettings(const ReplyView& reply, ControllerSettings& settings);

void DecodeMeridian(const ReplyView& reply, ControllerSettings& settings);
void DecodeGeo(const ReplyView& reply, ControllerSettings& settings);

// Top rates of the manual move: maximum speed times sidereal rate, wrapping at 32 bits.
void RecomputeTopRates(ControllerSettings& settings);

}  // namespace axistune
