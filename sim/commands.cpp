#include "sim/commands.h"

namespace dxsim {

namespace {

constexpr CommandSpec kCommands[] = {
    {cmd::kReadVersion, "READ_VERSION", 1, 0, {}, ReplyKind::kVersion},
    {cmd::kReadModeFlag, "READ_MODE_FLAG", 1, 0, {}, ReplyKind::kModeFlag},
    {cmd::kReadFirmware, "READ_FIRMWARE", 1, 0, {}, ReplyKind::kFirmware},
    {cmd::kReadBaseSettings, "READ_BASE_SETTINGS", 1, 0, {}, ReplyKind::kBaseSettings},
    {cmd::kReadAxisSettings, "READ_AXIS_SETTINGS", 1, 0, {}, ReplyKind::kAxisSettings},
    {cmd::kReadMeridian, "READ_MERIDIAN", 1, 0, {}, ReplyKind::kMeridian},
    {cmd::kReadGeo, "READ_GEO", 1, 0, {}, ReplyKind::kGeo},
    {cmd::kReadClosedLoop, "READ_CLOSED_LOOP", 1, 0, {}, ReplyKind::kClosedLoop},
    {cmd::kMove, "MOVE", 7, 1, {0x00}, ReplyKind::kNone},
    {cmd::kStop, "STOP", 3, 1, {0x00}, ReplyKind::kNone},
    {cmd::kTracking, "TRACKING", 3, 1, {0x00}, ReplyKind::kNone},
    {cmd::kExp, "EXP", 3, 1, {0x00}, ReplyKind::kNone},
    {cmd::kStoreSettings, "STORE_SETTINGS", 2, 1, {0x01}, ReplyKind::kAck},
    {cmd::kCommand0B, "CMD_0B", 1, 0, {}, ReplyKind::kNone},
    {cmd::kReloadDefaults, "RELOAD_DEFAULTS", 2, 1, {0x01}, ReplyKind::kAck},
    {cmd::kSetGearRatios, "SET_GEAR_RATIOS", 11, 2, {0x01, 0xC0}, ReplyKind::kAck},
    {cmd::kSetReverse, "SET_REVERSE", 6, 2, {0x00, 0xC0}, ReplyKind::kNone},
    {cmd::kSetCurrent, "SET_CURRENT", 5, 1, {0x00}, ReplyKind::kNone},
    {cmd::kSetDecay, "SET_DECAY", 4, 1, {0x00}, ReplyKind::kNone},
    {cmd::kSetOvertone, "SET_OVERTONE", 4, 1, {0x00}, ReplyKind::kNone},
    {cmd::kSetIncCurrent, "SET_INC_CURRENT", 7, 1, {0x00}, ReplyKind::kNone},
    {cmd::kSetMaxSpeed, "SET_MAX_SPEED", 7, 2, {0x00, 0xC0}, ReplyKind::kNone},
    {cmd::kSetAccel, "SET_ACCEL", 5, 2, {0x00, 0xC0}, ReplyKind::kNone},
    {cmd::kSetDecel, "SET_DECEL", 5, 2, {0x00, 0xC0}, ReplyKind::kNone},
    {cmd::kSetGuiding, "SET_GUIDING", 5, 2, {0x00, 0xC0}, ReplyKind::kNone},
    {cmd::kSetGeo, "SET_GEO", 11, 1, {0x01}, ReplyKind::kAck},
    {cmd::kSetMountType, "SET_MOUNT_TYPE", 3, 1, {0x01}, ReplyKind::kAck},
    {cmd::kSetMeridian, "SET_MERIDIAN", 6, 2, {0x01, 0x01}, ReplyKind::kAck},
    {cmd::kSetClosedLoop, "SET_CLOSED_LOOP", 3, 1, {0x01}, ReplyKind::kAck},
    {cmd::kReadVoltage, "READ_VOLTAGE", 3, 2, {0x00, 0x00}, ReplyKind::kVoltage},
    {cmd::kInitPosition, "INIT_POSITION", 5, 1, {0x01}, ReplyKind::kAck},
    {cmd::kDefinePark, "DEFINE_PARK", 3, 2, {0x01, 0x01}, ReplyKind::kAck},
};

}  // namespace

const CommandSpec* FindCommand(uint8_t code) {
    for (const CommandSpec& c : kCommands) {
        if (c.code == code) {
            return &c;
        }
    }
    return nullptr;
}

const CommandSpec* CommandTable(size_t* count) {
    *count = sizeof(kCommands) / sizeof(kCommands[0]);
    return kCommands;
}

size_t ReplyLength(ReplyKind kind) {
    switch (kind) {
        case ReplyKind::kVersion:
            return 5;
        case ReplyKind::kModeFlag:
            return 2;
        case ReplyKind::kFirmware:
            return 5;
        case ReplyKind::kBaseSettings:
            return 29;
        case ReplyKind::kAxisSettings:
            return 58;
        case ReplyKind::kMeridian:
            return 5;
        case ReplyKind::kGeo:
            return 10;
        case ReplyKind::kClosedLoop:
            return 2;
        case ReplyKind::kVoltage:
            return 5;
        case ReplyKind::kAck:
        case ReplyKind::kNone:
            break;
    }
    return 0;
}

const char* ReplyName(ReplyKind kind) {
    switch (kind) {
        case ReplyKind::kNone:
            return "none";
        case ReplyKind::kAck:
            return "ack";
        case ReplyKind::kVersion:
            return "version";
        case ReplyKind::kModeFlag:
            return "mode flag";
        case ReplyKind::kFirmware:
            return "firmware";
        case ReplyKind::kBaseSettings:
            return "base settings";
        case ReplyKind::kAxisSettings:
            return "axis settings";
        case ReplyKind::kMeridian:
            return "meridian";
        case ReplyKind::kGeo:
            return "geo";
        case ReplyKind::kClosedLoop:
            return "closed loop";
        case ReplyKind::kVoltage:
            return "voltage";
    }
    return "?";
}

}  // namespace dxsim
