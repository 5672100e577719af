#pragma once

#include <cstdint>

namespace axistune {

uint32_t CurrentProcessId();

}  // namespace axistune
