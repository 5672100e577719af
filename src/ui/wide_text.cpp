#include "ui/wide_text.h"

#include <cstdint>

namespace axistune {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The code point starting at text[*at]; moves *at past it (one byte when it is not UTF-8).
char32_t DecodeOne(const std::string& text, size_t* at) {
    const auto byte = [&text](size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(*at);
    size_t length = 0;
    char32_t point = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        ++*at;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, point = lead & 0x1Fu, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, point = lead & 0x0Fu, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, point = lead & 0x07u, minimum = 0x10000;
    } else {
        ++*at;
        return kReplacement;
    }
    if (*at + length > text.size()) {
        ++*at;
        return kReplacement;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((byte(*at + i) & 0xC0) != 0x80) {
            ++*at;
            return kReplacement;
        }
        point = (point << 6) | (byte(*at + i) & 0x3Fu);
    }
    // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
    if (point < minimum || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
        ++*at;
        return kReplacement;
    }
    *at += length;
    return point;
}

}  // namespace

std::wstring WideText(const std::string& utf8) {
    std::wstring wide;
    wide.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        const char32_t point = DecodeOne(utf8, &at);
        if (sizeof(wchar_t) == 2 && point > 0xFFFF) {
            const char32_t offset = point - 0x10000;
            wide.push_back(static_cast<wchar_t>(0xD800 + (offset >> 10)));
            wide.push_back(static_cast<wchar_t>(0xDC00 + (offset & 0x3FFu)));
        } else {
            wide.push_back(static_cast<wchar_t>(point));
        }
    }
    return wide;
}

}  // namespace axistune
