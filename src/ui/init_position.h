#pragma once

#include <cstdint>

namespace axistune {

// What the initialize-telescope dialog works on, owned by the main window.
struct InitPosition {
    uint8_t mountType;      // in: MountType, copied from the advanced settings before opening
    uint32_t positionCode;  // out: 4 to 17, written only by "Set this position"
};

}  // namespace axistune
