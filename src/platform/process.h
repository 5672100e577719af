#pragma once

#include <cstdint>

uint32_t CurrentProcessId();
