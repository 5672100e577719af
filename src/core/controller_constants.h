#pragma once

#include <cstdint>

namespace axistune {

// Axis bytes of the command frames; a current or decay selector adds a CurrentSlot.
constexpr uint8_t kAxisRa = 0x80;
constexpr uint8_t kAxisDec = 0x40;
constexpr uint8_t kAxisBoth = 0xC0;

enum CurrentSlot : uint8_t {
    kCurrentIdle = 0,
    kCurrentTrack = 1,
    kCurrentRun = 2,
};

// Reversal masks (rotation, guiding, limit switches).
constexpr uint8_t kReverseRa = 0x01;
constexpr uint8_t kReverseDec = 0x02;

// ControllerSettings::features: closed-loop tracking available; features and decFeatures: the
// axis has limit switches.
constexpr uint8_t kFeatureClosedLoop = 0x80;
constexpr uint8_t kFeatureLimitSwitches = 0x0C;

}  // namespace axistune
