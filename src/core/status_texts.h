#pragma once

#include <cstdint>

namespace axistune {

constexpr uint32_t kStatusTextCount = 25;

// The status line's text for an engine status code, or null for a code above 24.
const wchar_t* StatusText(uint32_t code);
// The same text for a console: UTF-8 (the texts are plain ASCII), or null above 24.
const char* StatusTextUtf8(uint32_t code);

}  // namespace axistune
