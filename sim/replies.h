#pragma once

#include <cstdint>
#include <vector>

#include "sim/commands.h"
#include "sim/profile.h"
#include "sim/settings.h"

namespace dxsim {

// Builds the controller's reply 55 L payload for one reply kind. The first payload byte (reply
// byte 2) echoes the command byte, which is what the long version reply's 0x01 is; every byte
// that no field occupies is 0. Multi-byte values are little-endian.
std::vector<uint8_t> BuildReply(ReplyKind kind, const Identity& identity, const Settings& settings,
                                uint16_t voltage);

void PutLe16(std::vector<uint8_t>& out, size_t at, uint16_t value);
void PutLe32(std::vector<uint8_t>& out, size_t at, uint32_t value);
uint16_t GetLe16(const uint8_t* p);
uint32_t GetLe32(const uint8_t* p);

}  // namespace dxsim
