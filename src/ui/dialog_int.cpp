#include "ui/dialog_int.h"

namespace axistune {

uint32_t DialogIntFromText(std::wstring_view text, bool isSigned) {
    size_t i = 0;
    while (i < text.size() && text[i] == L' ') {
        ++i;
    }
    bool negative = false;
    if (isSigned && i < text.size() && text[i] == L'-') {
        negative = true;
        ++i;
    }
    const uint64_t limit = !isSigned ? 0xFFFFFFFFull : negative ? 0x80000000ull : 0x7FFFFFFFull;
    uint64_t value = 0;
    size_t digits = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i, ++digits) {
        value = value * 10 + static_cast<uint64_t>(text[i] - L'0');
        if (value > limit) {
            return 0;  // beyond 32 bits: not translated
        }
    }
    if (digits == 0) {
        return 0;
    }
    const uint32_t bits = static_cast<uint32_t>(value);
    return negative ? 0u - bits : bits;
}

std::wstring DialogIntText(uint32_t value, bool isSigned) {
    const bool negative = isSigned && value > 0x7FFFFFFFu;
    uint32_t magnitude = negative ? 0u - value : value;
    std::wstring text;
    do {
        text.insert(text.begin(), static_cast<wchar_t>(L'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    return negative ? L"-" + text : text;
}

}  // namespace axistune
