#pragma once

#include <cstdint>

namespace axistune {

// Bounded single-byte text building and lenient reading, without allocation.
// Writers take (buffer, capacity, position), keep index capacity - 1 for the terminating NUL and
// return the new end position. Readers take (text, length, position) and never fail.
// Angles are signed counts of 1/86400 degree (1 degree 86400, 1' 1440, 1" 24); text/angle.h has
// both of their text forms, and the angle functions here are its lenient form.

uint32_t TextAppend(char* buffer, uint32_t capacity, uint32_t position, const char* text);
uint32_t TextAppendDecimal(char* buffer, uint32_t capacity, uint32_t position, int32_t value);
uint32_t TextAppendTwoDigits(char* buffer, uint32_t capacity, uint32_t position, uint32_t value);
uint32_t TextAppendHexReversed(char* buffer, uint32_t capacity, uint32_t position, uint32_t value);
uint32_t TextAppendAngle(char* buffer, uint32_t capacity, uint32_t position, int32_t angle);

uint32_t TextReadInteger(const char* text, uint32_t length, uint32_t position, int32_t* out);

enum AngleKind : int32_t {
    kAngleLatitude = 1,   // optional 'N' or 'S' (negative)
    kAngleLongitude = 2,  // optional 'E' or 'W' (negative)
};
// Always returns 0.
uint32_t TextReadAngle(const char* text, uint32_t length, uint32_t position, int32_t* out,
                       int32_t kind);

}  // namespace axistune
