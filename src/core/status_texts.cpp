#include "core/status_texts.h"

namespace axistune {

namespace {

struct StatusTextEntry {
    const wchar_t* wide;
    const char* utf8;
};

// Each text is written once; the window shows the wide form, a console the narrow one.
#define AXISTUNE_STATUS_TEXT(text) \
    { L##text, text }

const StatusTextEntry kStatusTexts[kStatusTextCount] = {
    AXISTUNE_STATUS_TEXT("Not connected"),
    AXISTUNE_STATUS_TEXT("Opening port, please wait..."),
    AXISTUNE_STATUS_TEXT("Connecting..."),
    AXISTUNE_STATUS_TEXT("Connection established."),
    AXISTUNE_STATUS_TEXT("Connection closed"),
    AXISTUNE_STATUS_TEXT("Default settings reloaded"),
    AXISTUNE_STATUS_TEXT("Error: Cannot open port."),
    AXISTUNE_STATUS_TEXT("Error: Cannot connect: Timeout error"),
    AXISTUNE_STATUS_TEXT("Error: Cannot connect: Unknown device"),
    AXISTUNE_STATUS_TEXT("Error: Cannot connect: Incompatible device"),
    AXISTUNE_STATUS_TEXT("Error: Communication error"),
    AXISTUNE_STATUS_TEXT("Error: Already connected"),
    AXISTUNE_STATUS_TEXT("Error: Not connected yet"),
    AXISTUNE_STATUS_TEXT(
        "Error: The firmware in the device is too old. Please upgrade it to the latest version."),
    AXISTUNE_STATUS_TEXT("Error: The connected DX3 does not support parking"),
    AXISTUNE_STATUS_TEXT("Ready"),
    AXISTUNE_STATUS_TEXT("Fast movement"),
    AXISTUNE_STATUS_TEXT("Slow movement"),
    AXISTUNE_STATUS_TEXT("Manual movement"),
    AXISTUNE_STATUS_TEXT("Positioning..."),
    AXISTUNE_STATUS_TEXT("Telescope synchronized to the given position."),
    AXISTUNE_STATUS_TEXT("Current position marked as park position."),
    AXISTUNE_STATUS_TEXT("Parameters stored..."),
    AXISTUNE_STATUS_TEXT("Default settings reloaded..."),
    AXISTUNE_STATUS_TEXT("Settings done."),
};

#undef AXISTUNE_STATUS_TEXT

}  // namespace

const wchar_t* StatusText(uint32_t code) {
    return code < kStatusTextCount ? kStatusTexts[code].wide : nullptr;
}

const char* StatusTextUtf8(uint32_t code) {
    return code < kStatusTextCount ? kStatusTexts[code].utf8 : nullptr;
}

}  // namespace axistune
