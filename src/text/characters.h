#pragma once

namespace axistune {

// Byte classes of the text readers: plain ASCII, independent of any locale.

inline bool IsDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

// Case-insensitive by clearing bit 5, as the dialogs' texts expect; upper is an upper-case
// letter.
inline bool IsLetterIgnoringCase(char c, char upper) {
    return (static_cast<unsigned char>(c) & ~0x20u) == static_cast<unsigned char>(upper);
}

}  // namespace axistune
