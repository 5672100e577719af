#pragma once

#include <cstdint>

namespace axistune {

// Only this level completes a handshake; 1..5 mean the firmware is too old for this program.
constexpr uint8_t kAcceptedProtocolLevel = 6;

// The protocol level (1..6) that a controller of the given hardware type speaks with the given
// firmware version.
uint8_t ProtocolLevelFor(uint32_t hardwareType, uint32_t firmwareVersion);

}  // namespace axistune
