#pragma once

#include <cstdint>

constexpr uint32_t kStatusTextCount = 25;

// The status line's text for an engine status code, or null for a code above 24.
const wchar_t* StatusText(uint32_t code);
