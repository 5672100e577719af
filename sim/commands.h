#pragma once

#include <cstddef>
#include <cstdint>

namespace dxsim {

// What the controller sends back for a command.
enum class ReplyKind {
    kNone,  // the host expects nothing
    kAck,   // empty acknowledgement 55 00
    kVersion,
    kModeFlag,
    kFirmware,
    kBaseSettings,
    kAxisSettings,
    kMeridian,
    kGeo,
    kClosedLoop,
    kVoltage,
};

namespace cmd {
constexpr uint8_t kReadVersion = 0x01;
constexpr uint8_t kReadFirmware = 0x02;
constexpr uint8_t kReadModeFlag = 0x03;
constexpr uint8_t kCommand0B = 0x0B;
constexpr uint8_t kReloadDefaults = 0x0C;
constexpr uint8_t kStoreSettings = 0x0D;
constexpr uint8_t kReadBaseSettings = 0x14;
constexpr uint8_t kReadAxisSettings = 0x15;
constexpr uint8_t kSetGearRatios = 0x1A;
constexpr uint8_t kSetMountType = 0x1B;
constexpr uint8_t kStop = 0x21;
constexpr uint8_t kMove = 0x23;
constexpr uint8_t kTracking = 0x24;
constexpr uint8_t kExp = 0x28;
constexpr uint8_t kReadVoltage = 0x2B;
constexpr uint8_t kSetReverse = 0x32;
constexpr uint8_t kSetCurrent = 0x33;
constexpr uint8_t kSetDecay = 0x34;
constexpr uint8_t kSetMaxSpeed = 0x35;
constexpr uint8_t kSetGuiding = 0x36;
constexpr uint8_t kSetAccel = 0x37;
constexpr uint8_t kSetDecel = 0x38;
constexpr uint8_t kSetOvertone = 0x3B;
constexpr uint8_t kSetIncCurrent = 0x3C;
constexpr uint8_t kReadMeridian = 0x3D;
constexpr uint8_t kSetMeridian = 0x3E;
constexpr uint8_t kReadClosedLoop = 0x58;
constexpr uint8_t kSetClosedLoop = 0x59;
constexpr uint8_t kReadGeo = 0x64;
constexpr uint8_t kSetGeo = 0x65;
constexpr uint8_t kDefinePark = 0x69;
constexpr uint8_t kInitPosition = 0x6A;
}  // namespace cmd

// One command the controller understands: its frame length N (command byte plus arguments),
// the fixed bytes that follow the command byte, and the reply it gives.
struct CommandSpec {
    uint8_t code;
    const char* name;
    uint8_t length;
    uint8_t fixedCount;
    uint8_t fixed[3];
    ReplyKind reply;
};

// Null for a command byte the controller does not know.
const CommandSpec* FindCommand(uint8_t code);
const CommandSpec* CommandTable(size_t* count);

// Documented payload length L of each reply kind (0 for kAck and kNone).
size_t ReplyLength(ReplyKind kind);
const char* ReplyName(ReplyKind kind);

}  // namespace dxsim
