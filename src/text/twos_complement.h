#pragma once

#include <cstdint>

namespace axistune {

// Signed and unsigned views of the same two's-complement bits. Every layer takes its wrap-around
// arithmetic from here: the unsigned side wraps as the language defines, and the way back to a
// signed value never relies on an implementation-defined narrowing conversion.

constexpr uint32_t AsUnsigned32(int32_t value) {
    return static_cast<uint32_t>(value);
}

constexpr int32_t AsSigned32(uint32_t bits) {
    return bits <= 0x7FFFFFFFu ? static_cast<int32_t>(bits)
                               : static_cast<int32_t>(bits - 0x80000000u) + INT32_MIN;
}

constexpr int16_t AsSigned16(uint16_t bits) {
    return bits <= 0x7FFF ? static_cast<int16_t>(bits)
                          : static_cast<int16_t>(static_cast<int32_t>(bits) - 0x10000);
}

constexpr int8_t AsSigned8(uint8_t bits) {
    return bits <= 0x7F ? static_cast<int8_t>(bits)
                        : static_cast<int8_t>(static_cast<int32_t>(bits) - 0x100);
}

// The low 16 bits of a value, read as a signed word.
constexpr int16_t LowSigned16(int32_t value) {
    return AsSigned16(static_cast<uint16_t>(AsUnsigned32(value) & 0xFFFFu));
}

// Negation modulo 2^32: INT32_MIN has no positive twin and stays as it is.
constexpr int32_t NegateWrapping(int32_t value) {
    return AsSigned32(0u - AsUnsigned32(value));
}

// |value| as unsigned, so that INT32_MIN gives 2147483648.
constexpr uint32_t Magnitude32(int32_t value) {
    return value < 0 ? 0u - AsUnsigned32(value) : AsUnsigned32(value);
}

static_assert(AsSigned32(0xFFFFFF9Cu) == -100 && AsSigned32(0x80000000u) == INT32_MIN &&
                  AsSigned32(0x7FFFFFFFu) == INT32_MAX && AsUnsigned32(-100) == 0xFFFFFF9Cu,
              "32-bit two's complement");
static_assert(AsSigned16(0x8000) == INT16_MIN && AsSigned16(0xFFFF) == -1 &&
                  LowSigned16(0x12345678) == 0x5678 && LowSigned16(-20) == -20 &&
                  LowSigned16(0x18000) == INT16_MIN,
              "16-bit two's complement");
static_assert(AsSigned8(0xEC) == -20 && AsSigned8(0x80) == INT8_MIN && AsSigned8(0x7F) == 127,
              "8-bit two's complement");
static_assert(NegateWrapping(INT32_MIN) == INT32_MIN && NegateWrapping(-5) == 5 &&
                  Magnitude32(INT32_MIN) == 0x80000000u && Magnitude32(-5) == 5u,
              "wrapping negation");

}  // namespace axistune
