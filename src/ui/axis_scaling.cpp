#include "ui/axis_scaling.h"

#include <climits>

namespace axistune {

namespace axis_scaling {

int ClampToPosition(uint32_t value) {
    return value > static_cast<uint32_t>(INT_MAX) ? INT_MAX : static_cast<int>(value);
}

}  // namespace axis_scaling

}  // namespace axistune
