#include "text/text.h"

#include "text/characters.h"
#include "text/twos_complement.h"

namespace axistune {

uint32_t TextAppend(char* buffer, uint32_t capacity, uint32_t position, const char* text) {
    if (capacity == 0 || buffer == nullptr) {
        return 0;
    }
    const uint32_t last = capacity - 1;
    if (position > last) {
        return position;  // outside the callers' contract: never write beyond the buffer
    }
    if (position == last || text == nullptr || text[0] == '\0') {
        buffer[position] = '\0';
        return position;
    }
    while (*text != '\0' && position < last) {
        buffer[position++] = *text++;
    }
    buffer[position] = '\0';
    return position;
}

uint32_t TextAppendDecimal(char* buffer, uint32_t capacity, uint32_t position, int32_t value) {
    if (capacity == 0 || buffer == nullptr) {
        return 0;
    }
    // "-2147483648" plus NUL fits in 12 bytes.
    char digits[12];
    char* end = digits + sizeof(digits);
    char* p = end;
    *--p = '\0';
    uint32_t magnitude = Magnitude32(value);
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) {
        *--p = '-';
    }
    return TextAppend(buffer, capacity, position, p);
}

uint32_t TextAppendTwoDigits(char* buffer, uint32_t capacity, uint32_t position, uint32_t value) {
    if (buffer == nullptr) {
        return 0;
    }
    // Capacity 0 leaves no room even for a NUL; treated like "no room left".
    if (capacity == 0 || position >= capacity - 1) {
        return position;
    }
    if (value > 99) {
        value = 99;
    }
    buffer[position] = static_cast<char>('0' + value / 10);
    uint32_t end = position + 1;
    if (end < capacity - 1) {
        buffer[end++] = static_cast<char>('0' + value % 10);
    }
    buffer[end] = '\0';
    return end;
}

uint32_t TextAppendHexReversed(char* buffer, uint32_t capacity, uint32_t position, uint32_t value) {
    if (capacity == 0 || buffer == nullptr) {
        return 0;
    }
    const uint32_t last = capacity - 1;
    if (position > last) {
        return position;
    }
    static const char kHex[] = "0123456789ABCDEF";
    for (int i = 0; i < 8 && position < last; ++i) {
        buffer[position++] = kHex[value & 0xF];
        value >>= 4;
    }
    buffer[position] = '\0';
    return position;
}

uint32_t TextReadInteger(const char* text, uint32_t length, uint32_t position, int32_t* out) {
    bool negative = false;
    if (text != nullptr && position < length && text[position] == '-') {
        negative = true;
        ++position;
    }
    // Wraps like the 32-bit accumulation it stands for, without signed overflow.
    uint32_t value = 0;
    while (text != nullptr && position < length && IsDecimalDigit(text[position])) {
        value = value * 10u + static_cast<uint32_t>(text[position] - '0');
        ++position;
    }
    if (out != nullptr) {
        *out = AsSigned32(negative ? 0u - value : value);
    }
    return position;
}

}  // namespace axistune
