#pragma once

#include <cstdint>

namespace axistune {

// "Firmware version: " and the four bytes of the version, most significant first, separated by
// dots ("Firmware version: 1.0.0.12"). Single-byte text, built with the text helpers.
constexpr uint32_t kFirmwareTextSize = 255;
void FormatFirmwareText(uint32_t version, char (&text)[kFirmwareTextSize]);

}  // namespace axistune
