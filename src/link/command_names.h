#pragma once

#include <cstdint>

namespace axistune {

// For people reading a trace: the command's name as the code spells it, without "CMD_" (null
// for a byte that is no command of ours), and whether the controller's answer is awaited.
const char* CommandName(uint8_t code);
bool CommandAwaitsReply(uint8_t code);

}  // namespace axistune
