#include "text/angle.h"

#include "text/characters.h"
#include "text/twos_complement.h"

namespace axistune {

namespace {

constexpr uint32_t kMostMinutesOrSeconds = 59;
constexpr uint32_t kThousandthsPerSecond = 1000;

struct Hemisphere {
    char positive;  // '\0': the kind takes no letter
    char negative;
};

Hemisphere HemisphereOf(int32_t kind) {
    if (kind == kAngleLatitude) {
        return {'N', 'S'};
    }
    if (kind == kAngleLongitude) {
        return {'E', 'W'};
    }
    return {'\0', '\0'};
}

// The steps both forms are read with.
class Cursor {
  public:
    Cursor(const char* text, uint32_t length, uint32_t position)
        : text_(text), length_(text == nullptr ? 0 : length), at_(position) {}

    bool AtEnd() const { return at_ >= length_; }

    bool Take(char c) {
        if (AtEnd() || text_[at_] != c) {
            return false;
        }
        ++at_;
        return true;
    }

    bool TakeLetter(char upper) {
        if (upper == '\0' || AtEnd() || !IsLetterIgnoringCase(text_[at_], upper)) {
            return false;
        }
        ++at_;
        return true;
    }

    void SkipBlanks() {
        while (Take(' ')) {
        }
    }

    void SkipSeparators() {
        while (Take(':') || Take('.')) {
        }
    }

    // An optional minus and any number of digits, wrapping at 32 bits.
    uint32_t WrappingInteger() {
        int32_t value = 0;
        at_ = TextReadInteger(text_, length_, at_, &value);
        return AsUnsigned32(value);
    }

    // At most `most` digits; false with fewer than `least`.
    bool Digits(uint32_t least, uint32_t most, uint32_t* value, uint32_t* count) {
        *value = 0;
        *count = 0;
        while (*count < most && !AtEnd() && IsDecimalDigit(text_[at_])) {
            *value = *value * 10u + static_cast<uint32_t>(text_[at_] - '0');
            ++at_;
            ++*count;
        }
        return *count >= least;
    }

    bool Digits(uint32_t least, uint32_t most, uint32_t* value) {
        uint32_t count = 0;
        return Digits(least, most, value, &count);
    }

  private:
    const char* text_;
    uint32_t length_;
    uint32_t at_;
};

struct AngleParts {
    uint32_t degrees = 0;
    uint32_t minutes = 0;
    uint32_t seconds = 0;
    uint32_t units = 0;  // below one second
};

void ReadLenientParts(Cursor& at, AngleParts* parts) {
    parts->degrees = at.WrappingInteger();
    at.SkipSeparators();
    parts->minutes = at.WrappingInteger();
    at.SkipSeparators();
    parts->seconds = at.WrappingInteger();
}

bool ReadStrictParts(Cursor& at, AngleParts* parts) {
    if (!(at.Digits(1, 3, &parts->degrees) && at.Take(':') && at.Digits(2, 2, &parts->minutes) &&
          at.Take(':') && at.Digits(2, 2, &parts->seconds))) {
        return false;
    }
    uint32_t thousandths = 0;
    if (at.Take('.')) {
        uint32_t decimals = 0;
        if (!at.Digits(1, 3, &thousandths, &decimals)) {
            return false;
        }
        for (; decimals < 3; ++decimals) {
            thousandths *= 10u;
        }
    }
    parts->units =
        (thousandths * kAngleUnitsPerSecond + kThousandthsPerSecond / 2) / kThousandthsPerSecond;
    return at.AtEnd();
}

}  // namespace

AngleRefusal TextReadAngleAs(const char* text, uint32_t length, uint32_t position, int32_t* out,
                             int32_t kind, AngleForm form) {
    Cursor at(text, length, position);
    const Hemisphere hemisphere = HemisphereOf(kind);
    bool negative = false;
    if (form == AngleForm::kLenient) {
        at.Take(' ');
        negative = at.TakeLetter(hemisphere.negative);
        at.TakeLetter(hemisphere.positive);
    } else if (hemisphere.positive == '\0') {
        negative = at.Take('-');
    } else {
        negative = at.TakeLetter(hemisphere.negative);
        if (!negative && !at.TakeLetter(hemisphere.positive)) {
            return AngleRefusal::kNotTheForm;
        }
    }
    at.SkipBlanks();

    AngleParts parts;
    if (form == AngleForm::kLenient) {
        ReadLenientParts(at, &parts);
    } else if (!ReadStrictParts(at, &parts)) {
        return AngleRefusal::kNotTheForm;
    } else if (parts.minutes > kMostMinutesOrSeconds || parts.seconds > kMostMinutesOrSeconds) {
        return AngleRefusal::kMinutesOrSecondsAbove59;
    }

    // The lenient form has no range check: its parts simply add up, wrapping at 32 bits. The
    // strict form stays below 1000 degrees.
    const uint32_t total = parts.degrees * kAngleUnitsPerDegree +
                           parts.minutes * kAngleUnitsPerMinute +
                           parts.seconds * kAngleUnitsPerSecond + parts.units;
    if (out != nullptr) {
        *out = AsSigned32(negative ? 0u - total : total);
    }
    return AngleRefusal::kNone;
}

uint32_t TextAppendAngleAs(char* buffer, uint32_t capacity, uint32_t position, int32_t angle,
                           int32_t kind, AngleForm form) {
    if (buffer == nullptr || capacity == 0 || position >= capacity - 1) {
        return position;
    }
    const uint32_t last = capacity - 1;
    const Hemisphere hemisphere = HemisphereOf(kind);
    if (form == AngleForm::kStrict && hemisphere.positive != '\0') {
        const char letter[] = {angle < 0 ? hemisphere.negative : hemisphere.positive, ' ', '\0'};
        position = TextAppend(buffer, capacity, position, letter);
    } else if (angle < 0) {
        buffer[position++] = '-';
    }

    // Integer divisions: the lenient form drops the part below one second.
    const uint32_t magnitude = Magnitude32(angle);
    const uint32_t degrees = magnitude / kAngleUnitsPerDegree;
    const uint32_t minutes = magnitude % kAngleUnitsPerDegree / kAngleUnitsPerMinute;
    const uint32_t seconds = magnitude % kAngleUnitsPerMinute / kAngleUnitsPerSecond;
    const uint32_t units = magnitude % kAngleUnitsPerSecond;

    // At most 24855 degrees, so the conversion to int32_t is exact.
    position = TextAppendDecimal(buffer, capacity, position, static_cast<int32_t>(degrees));
    if (position < last) {
        buffer[position++] = ':';
    }
    position = TextAppendTwoDigits(buffer, capacity, position, minutes);
    if (position < last) {
        buffer[position++] = ':';
    }
    position = TextAppendTwoDigits(buffer, capacity, position, seconds);
    if (form == AngleForm::kStrict && units != 0) {
        // Three decimals tell every unit (1/24 second) apart and read back to the same unit.
        const uint32_t thousandths = units * kThousandthsPerSecond / kAngleUnitsPerSecond;
        if (position < last) {
            buffer[position++] = '.';
        }
        position = TextAppendTwoDigits(buffer, capacity, position, thousandths / 10u);
        position =
            TextAppendDecimal(buffer, capacity, position, static_cast<int32_t>(thousandths % 10u));
    }
    buffer[position] = '\0';
    return position;
}

uint32_t TextAppendAngleRefusal(char* buffer, uint32_t capacity, uint32_t position,
                                AngleRefusal refusal, int32_t kind) {
    switch (refusal) {
        case AngleRefusal::kNone:
            return TextAppend(buffer, capacity, position, "");
        case AngleRefusal::kMinutesOrSecondsAbove59:
            return TextAppend(buffer, capacity, position, "minutes and seconds must be 00 to 59");
        case AngleRefusal::kNotTheForm:
            break;
    }
    const Hemisphere hemisphere = HemisphereOf(kind);
    const bool hasLetters = hemisphere.positive != '\0';
    const char example[] = {hemisphere.positive, ' ', '\0'};
    const char choice[] = {hemisphere.positive, ' ', 'o', 'r', ' ',
                           hemisphere.negative, ',', ' ', '\0'};
    position = TextAppend(buffer, capacity, position, "expected the form \"");
    position = TextAppend(buffer, capacity, position, hasLetters ? example : "");
    position = TextAppend(buffer, capacity, position, "47:30:00\" (");
    position = TextAppend(buffer, capacity, position, hasLetters ? choice : "");
    return TextAppend(buffer, capacity, position, "degrees:minutes:seconds)");
}

uint32_t TextAppendAngle(char* buffer, uint32_t capacity, uint32_t position, int32_t angle) {
    return TextAppendAngleAs(buffer, capacity, position, angle, 0, AngleForm::kLenient);
}

uint32_t TextReadAngle(const char* text, uint32_t length, uint32_t position, int32_t* out,
                       int32_t kind) {
    TextReadAngleAs(text, length, position, out, kind, AngleForm::kLenient);
    return 0;
}

}  // namespace axistune
