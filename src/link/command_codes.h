#pragma once

#include <cstddef>
#include <cstdint>

#include "core/controller_constants.h"

namespace axistune {

// Every command byte this program sends to a controller. A frame is 0xAA, N (count of the
// command byte and its arguments), the command byte, then the arguments.
enum CommandCode : uint8_t {
    CMD_READ_VERSION = 0x01,
    CMD_READ_FIRMWARE = 0x02,
    CMD_READ_MODE_FLAG = 0x03,
    CMD_0B = 0x0B,
    CMD_RELOAD_DEFAULTS = 0x0C,
    CMD_STORE_SETTINGS = 0x0D,
    CMD_READ_BASE_SETTINGS = 0x14,
    CMD_READ_AXIS_SETTINGS = 0x15,
    CMD_SET_GEAR_RATIOS = 0x1A,
    CMD_SET_MOUNT_TYPE = 0x1B,
    CMD_STOP = 0x21,
    CMD_MOVE = 0x23,
    CMD_TRACKING = 0x24,
    CMD_EXP = 0x28,
    CMD_READ_VOLTAGE = 0x2B,
    CMD_SET_REVERSE = 0x32,
    CMD_SET_CURRENT = 0x33,
    CMD_SET_DECAY = 0x34,
    CMD_SET_MAX_SPEED = 0x35,
    CMD_SET_GUIDING = 0x36,
    CMD_SET_ACCEL = 0x37,
    CMD_SET_DECEL = 0x38,
    CMD_SET_OVERTONE = 0x3B,
    CMD_SET_INC_CURRENT = 0x3C,
    CMD_READ_MERIDIAN = 0x3D,
    CMD_SET_MERIDIAN = 0x3E,
    CMD_READ_CLOSED_LOOP = 0x58,
    CMD_SET_CLOSED_LOOP = 0x59,
    CMD_READ_GEO = 0x64,
    CMD_SET_GEO = 0x65,
    CMD_DEFINE_PARK = 0x69,
    CMD_INIT_POSITION = 0x6A,
};

constexpr uint8_t kFrameStart = 0xAA;
constexpr uint8_t kReplyStart = 0x55;
constexpr size_t kMaxFrameBytes = 13;  // 0xAA, N and at most 11 more

}  // namespace axistune
