#pragma once

#include <cstdint>

namespace axistune {

// The two gear ratios, owned by the main window: motor steps per revolution of each axis, the
// motor's own resolution included.
struct GearRatios {
    uint32_t raRatio;
    uint32_t decRatio;
};

}  // namespace axistune
