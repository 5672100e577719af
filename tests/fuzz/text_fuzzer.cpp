// The text helpers: the readers on arbitrary text of an exact length, the writers at any
// capacity and position. Invariants: readers never read past the length and stop where the
// number ends; writers never store a character at or beyond capacity - 1, end the text with
// a NUL at the position they return, and a shorter capacity only cuts the text short; an
// angle written and read back is the angle truncated to whole arcseconds.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "text/text.h"

using namespace axistune;

namespace {

constexpr uint8_t kCanary = 0xEE;
constexpr uint32_t kRoomy = 64;

// The plain reading of an integer: an optional '-', then decimal digits, 32-bit wrapping.
uint32_t PlainInteger(const std::string& text, uint32_t position, int32_t* value) {
    bool negative = false;
    if (position < text.size() && text[position] == '-') {
        negative = true;
        ++position;
    }
    uint32_t v = 0;
    while (position < text.size() && text[position] >= '0' && text[position] <= '9') {
        v = v * 10u + static_cast<uint32_t>(text[position] - '0');
        ++position;
    }
    *value = static_cast<int32_t>(negative ? 0u - v : v);
    return position;
}

void FuzzReaders(FuzzInput& in) {
    const uint32_t position = in.Byte();
    const int32_t kind = static_cast<int32_t>(in.Byte() % 4);
    // Exactly the text's length, without a terminator: any read beyond it is caught.
    std::vector<char> text(in.Left());
    in.Take(reinterpret_cast<uint8_t*>(text.data()), text.size());
    const uint32_t length = static_cast<uint32_t>(text.size());
    const char* data = text.empty() ? nullptr : text.data();
    const std::string plain(text.begin(), text.end());

    int32_t value = 0x5A5A5A5A;
    const uint32_t end = TextReadInteger(data, length, position, &value);
    if (position >= length) {
        FUZZ_CHECK(end == position);
        FUZZ_CHECK(value == 0);
    } else {
        int32_t expected = 0;
        FUZZ_CHECK(end == PlainInteger(plain, position, &expected));
        FUZZ_CHECK(value == expected);
        FUZZ_CHECK(end <= length);
    }
    FUZZ_CHECK(TextReadInteger(data, length, position, nullptr) == end);

    int32_t angle = 0;
    FUZZ_CHECK(TextReadAngle(data, length, 0, &angle, kind) == 0);
    int32_t again = 0;
    TextReadAngle(data, length, 0, &again, kind);
    FUZZ_CHECK(again == angle);
    FUZZ_CHECK(TextReadAngle(data, length, position, nullptr, kind) == 0);

    // Letters are read without regard to case.
    std::vector<char> flipped(text);
    for (char& c : flipped) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            c = static_cast<char>(c ^ 0x20);
        }
    }
    int32_t flippedAngle = 0;
    TextReadAngle(flipped.empty() ? nullptr : flipped.data(), length, 0, &flippedAngle, kind);
    FUZZ_CHECK(flippedAngle == angle);

    // The southern (western) hemisphere is the northern (eastern) one negated.
    if (kind == kAngleLatitude || kind == kAngleLongitude) {
        const char positive = kind == kAngleLatitude ? 'N' : 'E';
        const char negative = kind == kAngleLatitude ? 'S' : 'W';
        if (text.empty() || (text[0] & ~0x20) != positive) {
            std::vector<char> north(1, positive);
            north.insert(north.end(), text.begin(), text.end());
            std::vector<char> south(north);
            south[0] = negative;
            int32_t n = 0;
            int32_t s = 0;
            TextReadAngle(north.data(), length + 1, 0, &n, kind);
            TextReadAngle(south.data(), length + 1, 0, &s, kind);
            FUZZ_CHECK(static_cast<uint32_t>(s) == 0u - static_cast<uint32_t>(n));
        }
    }
}

// The text a writer left in a buffer of `capacity` bytes (filled with the canary before)
// when it started at `position` and returned `end`.
void CheckWritten(const std::vector<uint8_t>& buffer, uint32_t capacity, uint32_t position,
                  uint32_t end, bool mayWriteNothing) {
    if (capacity == 0) {
        FUZZ_CHECK(end == 0);
        return;
    }
    FUZZ_CHECK(end >= position && end <= capacity - 1);
    for (uint32_t i = 0; i < position; ++i) {
        FUZZ_CHECK(buffer[i] == kCanary);
    }
    for (uint32_t i = position; i < end; ++i) {
        FUZZ_CHECK(buffer[i] != 0);
    }
    if (!(mayWriteNothing && end == position && buffer[end] == kCanary)) {
        FUZZ_CHECK(buffer[end] == 0);
    }
    for (uint32_t i = end + 1; i < capacity; ++i) {
        FUZZ_CHECK(buffer[i] == kCanary);
    }
}

enum Writer { kAppend, kDecimal, kTwoDigits, kHex, kAngle, kWriterCount };

uint32_t Write(Writer writer, std::vector<uint8_t>& buffer, uint32_t capacity, uint32_t position,
               const char* text, uint32_t value) {
    char* b = buffer.empty() ? nullptr : reinterpret_cast<char*>(buffer.data());
    switch (writer) {
        case kAppend:
            return TextAppend(b, capacity, position, text);
        case kDecimal:
            return TextAppendDecimal(b, capacity, position, static_cast<int32_t>(value));
        case kTwoDigits:
            return TextAppendTwoDigits(b, capacity, position, value);
        case kHex:
            return TextAppendHexReversed(b, capacity, position, value);
        default:
            return TextAppendAngle(b, capacity, position, static_cast<int32_t>(value));
    }
}

std::string Written(const std::vector<uint8_t>& buffer, uint32_t position, uint32_t end) {
    return std::string(buffer.begin() + position, buffer.begin() + end);
}

void FuzzWriters(FuzzInput& in) {
    const Writer writer = static_cast<Writer>(in.Byte() % kWriterCount);
    const uint32_t capacity = in.Byte() % 40;
    const uint32_t position = capacity == 0 ? 0 : in.Byte() % capacity;
    const uint32_t value = in.U32();
    std::string text;
    while (!in.Empty() && text.size() < 20) {
        const char c = static_cast<char>(in.Byte());
        if (c == '\0') {
            break;
        }
        text.push_back(c);
    }

    // Exactly `capacity` bytes: a store at or beyond it is caught by the address sanitizer.
    std::vector<uint8_t> small(capacity, kCanary);
    const uint32_t end = Write(writer, small, capacity, position, text.c_str(), value);
    const bool mayWriteNothing = writer == kTwoDigits || writer == kAngle;
    CheckWritten(small, capacity, position, end, mayWriteNothing);

    // With room to spare the whole text is written; the small buffer holds its beginning.
    std::vector<uint8_t> roomy(kRoomy, kCanary);
    const uint32_t roomyEnd = Write(writer, roomy, kRoomy, position, text.c_str(), value);
    CheckWritten(roomy, kRoomy, position, roomyEnd, false);
    const std::string full = Written(roomy, position, roomyEnd);
    if (capacity > 0) {
        const std::string cut = Written(small, position, end);
        FUZZ_CHECK(full.compare(0, cut.size(), cut) == 0);
        FUZZ_CHECK(cut.size() == std::min<size_t>(full.size(), capacity - 1 - position));
    }

    switch (writer) {
        case kAppend:
            FUZZ_CHECK(full == text);
            break;
        case kDecimal:
            FUZZ_CHECK(full == std::to_string(static_cast<int32_t>(value)));
            break;
        case kTwoDigits: {
            const uint32_t clamped = value > 99 ? 99 : value;
            FUZZ_CHECK(full.size() == 2);
            FUZZ_CHECK(static_cast<uint32_t>((full[0] - '0') * 10 + (full[1] - '0')) == clamped);
            break;
        }
        case kHex: {
            FUZZ_CHECK(full.size() == 8);
            uint32_t back = 0;
            for (size_t i = 8; i-- > 0;) {
                const char c = full[i];
                FUZZ_CHECK((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
                back = back * 16 + static_cast<uint32_t>(c <= '9' ? c - '0' : c - 'A' + 10);
            }
            FUZZ_CHECK(back == value);
            break;
        }
        default: {
            // Read back the way the advanced-settings dialog shows an angle: a hemisphere
            // letter, a blank and the magnitude. The part below one arcsecond is dropped.
            const int32_t angle = static_cast<int32_t>(value);
            std::string shown = full;
            int32_t kind = 0;
            if (angle < 0) {
                FUZZ_CHECK(shown[0] == '-');
                shown = "S " + shown.substr(1);
                kind = kAngleLatitude;
            }
            int32_t back = 0;
            TextReadAngle(shown.c_str(), static_cast<uint32_t>(shown.size()), 0, &back, kind);
            const uint32_t magnitude =
                angle < 0 ? 0u - static_cast<uint32_t>(angle) : static_cast<uint32_t>(angle);
            const uint32_t truncated = magnitude - magnitude % 24;
            FUZZ_CHECK(static_cast<uint32_t>(back) == (angle < 0 ? 0u - truncated : truncated));
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    if (in.Byte() & 1) {
        FuzzWriters(in);
    } else {
        FuzzReaders(in);
    }
    return 0;
}
