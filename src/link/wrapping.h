#pragma once

#include <cstdint>

namespace axistune {

// Two's-complement reinterpretation without relying on implementation-defined conversions:
// the controller's signed fields and the wrapping 32-bit products of the speed arithmetic.
constexpr int32_t AsSigned32(uint32_t v) {
    return v <= 0x7FFFFFFFu ? static_cast<int32_t>(v)
                            : static_cast<int32_t>(v - 0x80000000u) - 0x7FFFFFFF - 1;
}

constexpr int8_t AsSigned8(uint8_t v) {
    return v <= 0x7F ? static_cast<int8_t>(v) : static_cast<int8_t>(static_cast<int>(v) - 256);
}

constexpr uint32_t AsUnsigned32(int32_t v) {
    return static_cast<uint32_t>(v);
}

static_assert(AsSigned32(0xFFFFFF9Cu) == -100, "two's complement");
static_assert(AsSigned32(0x80000000u) == INT32_MIN, "two's complement");
static_assert(AsSigned8(0xEC) == -20, "two's complement");
static_assert(AsUnsigned32(-100) == 0xFFFFFF9Cu, "two's complement");

}  // namespace axistune
