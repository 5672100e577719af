#include "link/command_names.h"

#include "link/command_codes.h"

namespace axistune {

namespace {

struct CommandInfo {
    uint8_t code;
    const char* name;
    bool awaitsReply;
};

constexpr CommandInfo kCommands[] = {
    {CMD_READ_VERSION, "READ_VERSION", true},
    {CMD_READ_FIRMWARE, "READ_FIRMWARE", true},
    {CMD_READ_MODE_FLAG, "READ_MODE_FLAG", true},
    {CMD_0B, "0B", false},
    {CMD_RELOAD_DEFAULTS, "RELOAD_DEFAULTS", true},
    {CMD_STORE_SETTINGS, "STORE_SETTINGS", true},
    {CMD_READ_BASE_SETTINGS, "READ_BASE_SETTINGS", true},
    {CMD_READ_AXIS_SETTINGS, "READ_AXIS_SETTINGS", true},
    {CMD_SET_GEAR_RATIOS, "SET_GEAR_RATIOS", true},
    {CMD_SET_MOUNT_TYPE, "SET_MOUNT_TYPE", true},
    {CMD_STOP, "STOP", false},
    {CMD_MOVE, "MOVE", false},
    {CMD_TRACKING, "TRACKING", false},
    {CMD_EXP, "EXP", false},
    {CMD_READ_VOLTAGE, "READ_VOLTAGE", true},
    {CMD_SET_REVERSE, "SET_REVERSE", false},
    {CMD_SET_CURRENT, "SET_CURRENT", false},
    {CMD_SET_DECAY, "SET_DECAY", false},
    {CMD_SET_MAX_SPEED, "SET_MAX_SPEED", false},
    {CMD_SET_GUIDING, "SET_GUIDING", false},
    {CMD_SET_ACCEL, "SET_ACCEL", false},
    {CMD_SET_DECEL, "SET_DECEL", false},
    {CMD_SET_OVERTONE, "SET_OVERTONE", false},
    {CMD_SET_INC_CURRENT, "SET_INC_CURRENT", false},
    {CMD_READ_MERIDIAN, "READ_MERIDIAN", true},
    {CMD_SET_MERIDIAN, "SET_MERIDIAN", true},
    {CMD_READ_CLOSED_LOOP, "READ_CLOSED_LOOP", true},
    {CMD_SET_CLOSED_LOOP, "SET_CLOSED_LOOP", true},
    {CMD_READ_GEO, "READ_GEO", true},
    {CMD_SET_GEO, "SET_GEO", true},
    {CMD_DEFINE_PARK, "DEFINE_PARK", true},
    {CMD_INIT_POSITION, "INIT_POSITION", true},
};

const CommandInfo* Find(uint8_t code) {
    for (const CommandInfo& info : kCommands) {
        if (info.code == code) {
            return &info;
        }
    }
    return nullptr;
}

}  // namespace

const char* CommandName(uint8_t code) {
    const CommandInfo* info = Find(code);
    return info != nullptr ? info->name : nullptr;
}

bool CommandAwaitsReply(uint8_t code) {
    const CommandInfo* info = Find(code);
    return info != nullptr && info->awaitsReply;
}

}  // namespace axistune
