#include "ui/axis_scaling.h"

#include <climits>

namespace axistune {

namespace axis_scaling {

int ClampToPosition(uint32_t value) {
    return value > static_cast<uint32_t>(INT_MAX) ? INT_MAX : static_cast<int>(value);
}

int32_t AsSigned32(uint32_t bits) {
    if (bits <= 0x7FFFFFFFu) {
        return static_cast<int32_t>(bits);
    }
    return -static_cast<int32_t>(~bits) - 1;
}

int16_t LowSigned16(int32_t value) {
    const uint32_t low = static_cast<uint32_t>(value) & 0xFFFFu;
    return low <= 0x7FFFu ? static_cast<int16_t>(low)
                          : static_cast<int16_t>(static_cast<int32_t>(low) - 0x10000);
}

}  // namespace axis_scaling

}  // namespace axistune
