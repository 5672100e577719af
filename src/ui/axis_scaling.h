#pragma once

#include <cstdint>

// The panel reads its signed values with AsSigned32 and LowSigned16.
#include "text/twos_complement.h"

namespace axistune {

// Trackbar positions and values of the axis panel. The two directions are deliberately not
// inverse: position p stands for (p + 1) * 30, yet a value v puts the thumb at v / 30 (likewise
// for the currents). Everything is unsigned 32-bit arithmetic, wrapping where the values are
// absurd, so results are defined; positions beyond int range are pinned to its end, which the
// trackbar then shows as the end of its range.
namespace axis_scaling {

constexpr int kMaxSpeedPositions = 39;
constexpr int kRampPositions = 15;  // acceleration and deceleration
constexpr int kCurrentPositions = 15;
constexpr int kOvertoneLimit = 20;  // -20 to 20
constexpr int kIncCurrentPositions = 31;

int ClampToPosition(uint32_t value);

inline int SpeedToPosition(uint32_t speed) {
    return ClampToPosition(speed / 30u);
}
inline uint32_t PositionToSpeed(int position) {
    return (static_cast<uint32_t>(position) + 1u) * 30u;
}
inline int RampToPosition(uint32_t ramp) {
    return ClampToPosition((ramp + 8u) / 16u);
}
inline uint32_t PositionToRamp(int position) {
    return static_cast<uint32_t>(position) * 16u;
}
// maximum must not be 0.
inline int CurrentToPosition(uint32_t current, uint32_t maximum) {
    return ClampToPosition(current * 16u / maximum);
}
inline uint32_t PositionToCurrent(int position, uint32_t maximum) {
    return (static_cast<uint32_t>(position) + 1u) * maximum / 16u;
}
inline int IncCurrentToPosition(uint32_t value) {
    return value < 10u ? 0 : ClampToPosition((value - 10u) / 20u);
}
inline uint32_t PositionToIncCurrent(int position) {
    return static_cast<uint32_t>(position) * 20u + 20u;
}
// Guiding rates count from 1/16 of the sidereal speed at position 0.
inline int64_t PositionToGuiding(int position) {
    return static_cast<int64_t>(position) + 1;
}
inline int GuidingToPosition(uint32_t rate) {
    return rate == 0u ? 0 : ClampToPosition(rate - 1u);
}

}  // namespace axis_scaling

}  // namespace axistune
