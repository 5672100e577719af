#pragma once

#include <cstdint>

namespace axistune {

void SleepMilliseconds(uint32_t milliseconds);

}  // namespace axistune
