#include "ui/status_texts.h"

namespace {

const wchar_t* const kStatusTexts[kStatusTextCount] = {
    L"Not connected",
    L"Opening port, please wait...",
    L"Connecting...",
    L"Connection established.",
    L"Connection closed",
    L"Default settings reloaded",
    L"Error: Cannot open port.",
    L"Error: Cannot connect: Timeout error",
    L"Error: Cannot connect: Unknown device",
    L"Error: Cannot connect: Incompatible device",
    L"Error: Communication error",
    L"Error: Already connected",
    L"Error: Not connected yet",
    L"Error: The firmware in the device is too old. Please upgrade it to the latest version.",
    L"Error: The connected DX3 does not support parking",
    L"Ready",
    L"Fast movement",
    L"Slow movement",
    L"Manual movement",
    L"Positioning...",
    L"Telescope synchronized to the given position.",
    L"Current position marked as park position.",
    L"Parameters stored...",
    L"Default settings reloaded...",
    L"Settings done.",
};

}  // namespace

const wchar_t* StatusText(uint32_t code) {
    return code < kStatusTextCount ? kStatusTexts[code] : nullptr;
}
