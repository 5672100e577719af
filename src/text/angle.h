#pragma once

#include <cstdint>

#include "text/text.h"

namespace axistune {

constexpr uint32_t kAngleUnitsPerDegree = 86400;
constexpr uint32_t kAngleUnitsPerMinute = 1440;
constexpr uint32_t kAngleUnitsPerSecond = 24;

// The two text forms of an angle; one reader and one writer serve both.
enum class AngleForm {
    // The advanced-settings dialog's. Read: an optional blank, the hemisphere letters of the kind
    // (the negative one, then the positive one, each optional, either case), blanks, then degrees,
    // minutes and seconds as integers with their own optional minus, split by runs of ':' and '.';
    // no range check, 32-bit wrap-around, never refused. Written: "-19:03:30", whole seconds.
    kLenient,
    // The settings file's, "N 47:30:00" or "S 0:00:00.500". Read: exactly one hemisphere letter
    // of the kind (either case), blanks, 1 to 3 digits of degrees, ':', two digits of minutes,
    // ':', two digits of seconds, optionally '.' and 1 to 3 decimals of a second (rounded to the
    // nearest unit), and nothing after; minutes and seconds 00 to 59. Written the same way, with
    // three decimals when the angle is not a whole second. Kinds without letters take a '-'.
    kStrict,
};

enum class AngleRefusal {
    kNone,
    kNotTheForm,
    kMinutesOrSecondsAbove59,
};

// Reads text[position, length) (up to the length, not to a NUL); kind as for TextReadAngle.
// Stores the angle through out (when not null) unless the reading is refused.
AngleRefusal TextReadAngleAs(const char* text, uint32_t length, uint32_t position, int32_t* out,
                             int32_t kind, AngleForm form);

// Writes like the other writers (truncated at capacity - 1, NUL-terminated, new end returned).
// The lenient form is TextAppendAngle's and takes no letter.
uint32_t TextAppendAngleAs(char* buffer, uint32_t capacity, uint32_t position, int32_t angle,
                           int32_t kind, AngleForm form);

// Room for any angle in the strict form, and for any refusal text.
constexpr uint32_t kAngleTextCapacity = 32;
constexpr uint32_t kAngleRefusalCapacity = 80;

// Why a reading was refused, for people: expected the form "N 47:30:00" (N or S,
// degrees:minutes:seconds). Writes only the NUL for kNone.
uint32_t TextAppendAngleRefusal(char* buffer, uint32_t capacity, uint32_t position,
                                AngleRefusal refusal, int32_t kind);

}  // namespace axistune
