#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace axistune {

// The integers of edit controls as Win32 reads and writes them, for hosts that have no
// GetDlgItemInt and SetDlgItemInt of their own.

// GetDlgItemInt: leading blanks, then (when isSigned) an optional minus, then decimal digits up
// to the first non-digit. No digits, or a number beyond the 32-bit range of the sign asked for,
// reads 0. A signed result comes back as its two's-complement bits.
uint32_t DialogIntFromText(std::wstring_view text, bool isSigned);

// SetDlgItemInt: the value as decimal text, read as signed 32-bit when isSigned.
std::wstring DialogIntText(uint32_t value, bool isSigned);

}  // namespace axistune
