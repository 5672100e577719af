#include "link/controller_commands.h"

#include "link/command_codes.h"
#include "link/frame_builders.h"
#include "text/twos_complement.h"

namespace axistune {

void SendReadVersion(FrameSink& sink) {
    WriteBytesFrame(sink, CMD_READ_VERSION, {});
}
void SendReadModeFlag(FrameSink& sink) {
    WriteBytesFrame(sink, CMD_READ_MODE_FLAG, {});
}
void SendReadFirmware(FrameSink& sink) {
    WriteBytesFrame(sink, CMD_READ_FIRMWARE, {});
}
void SendReadBaseSettings(FrameSink& sink) {
    WriteBytesFrame(sink, CMD_READ_BASE_SETTINGS, {});
}
void SendReadAxisSettings(FrameSink& sink) {
    WriteBytesFrame(sink, CMD_READ_AXIS_SETTINGS, {});
}
void SendReadMeridian(FrameSink& sink) {
    WriteBytesFrame(sink, CMD_READ_MERIDIAN, {});
}
void SendReadGeo(FrameSink& sink) {
    WriteBytesFrame(sink, CMD_READ_GEO, {});
}
void SendReadClosedLoop(FrameSink& sink) {
    WriteBytesFrame(sink, CMD_READ_CLOSED_LOOP, {});
}

void SendMove(FrameSink& sink, uint8_t axis, int32_t speed) {
    WriteBytesU32Frame(sink, CMD_MOVE, 0x00, axis, AsUnsigned32(speed));
}

void SendStop(FrameSink& sink, uint8_t mask) {
    WriteBytesFrame(sink, CMD_STOP, {0x00, mask});
}
void SendTracking(FrameSink& sink, uint8_t on) {
    WriteBytesFrame(sink, CMD_TRACKING, {0x00, on});
}
void SendExp(FrameSink& sink, uint8_t on) {
    WriteBytesFrame(sink, CMD_EXP, {0x00, on});
}
void SendStoreSettings(FrameSink& sink) {
    WriteBytesFrame(sink, CMD_STORE_SETTINGS, {0x01});
}
void SendCommand0B(FrameSink& sink) {
    WriteBytesFrame(sink, CMD_0B, {});
}
void SendReloadDefaults(FrameSink& sink) {
    WriteBytesFrame(sink, CMD_RELOAD_DEFAULTS, {0x01});
}

void SendSetGearRatios(FrameSink& sink, uint32_t raRatio, uint32_t decRatio) {
    WriteBytesU32U32Frame(sink, CMD_SET_GEAR_RATIOS, 0x01, kAxisBoth, raRatio, decRatio);
}

void SendSetReverse(FrameSink& sink, uint8_t rotation, uint8_t guiding, uint8_t limits) {
    WriteBytesFrame(sink, CMD_SET_REVERSE, {0x00, kAxisBoth, rotation, guiding, limits});
}

void SendSetCurrent(FrameSink& sink, uint8_t selector, uint16_t milliamps) {
    WriteBytesU16Frame(sink, CMD_SET_CURRENT, 0x00, selector, milliamps);
}

void SendSetDecay(FrameSink& sink, uint8_t selector, uint8_t decay) {
    WriteBytesFrame(sink, CMD_SET_DECAY, {0x00, selector, decay});
}

void SendSetOvertone(FrameSink& sink, uint8_t axis, uint8_t value) {
    WriteBytesFrame(sink, CMD_SET_OVERTONE, {0x00, axis, value});
}

void SendSetIncreaseCurrent(FrameSink& sink, uint8_t axis, uint16_t first, uint16_t second) {
    WriteBytesU16U16Frame(sink, CMD_SET_INC_CURRENT, 0x00, axis, first, second);
}

void SendSetMaxSpeed(FrameSink& sink, uint16_t raSpeed, uint16_t decSpeed) {
    WriteBytesU16U16Frame(sink, CMD_SET_MAX_SPEED, 0x00, kAxisBoth, raSpeed, decSpeed);
}

void SendSetAcceleration(FrameSink& sink, uint8_t ra, uint8_t dec) {
    WriteBytesFrame(sink, CMD_SET_ACCEL, {0x00, kAxisBoth, ra, dec});
}

void SendSetDeceleration(FrameSink& sink, uint8_t ra, uint8_t dec) {
    WriteBytesFrame(sink, CMD_SET_DECEL, {0x00, kAxisBoth, ra, dec});
}

void SendSetGuiding(FrameSink& sink, uint8_t ra, uint8_t dec) {
    WriteBytesFrame(sink, CMD_SET_GUIDING, {0x00, kAxisBoth, ra, dec});
}

void SendSetGeo(FrameSink& sink, int32_t latitude, int32_t longitude, uint8_t hemisphere) {
    WriteByteU32U32ByteFrame(sink, CMD_SET_GEO, 0x01, AsUnsigned32(latitude),
                             AsUnsigned32(longitude), hemisphere);
}

void SendSetMountType(FrameSink& sink, uint8_t mountType) {
    WriteBytesFrame(sink, CMD_SET_MOUNT_TYPE, {0x01, mountType});
}

void SendSetMeridian(FrameSink& sink, uint8_t meridian0, uint8_t meridian1,
                     uint8_t flipHysteresis) {
    WriteBytesFrame(sink, CMD_SET_MERIDIAN, {0x01, 0x01, meridian0, meridian1, flipHysteresis});
}

void SendSetClosedLoop(FrameSink& sink, uint8_t closedLoopDefault) {
    WriteBytesFrame(sink, CMD_SET_CLOSED_LOOP, {0x01, closedLoopDefault});
}

void SendReadVoltage(FrameSink& sink) {
    WriteU16Frame(sink, CMD_READ_VOLTAGE, 0x0000);
}

void SendInitPosition(FrameSink& sink, uint8_t c0, uint8_t c1, uint8_t c2) {
    WriteBytesFrame(sink, CMD_INIT_POSITION, {0x01, c0, c1, c2});
}

void SendDefinePark(FrameSink& sink) {
    WriteBytesFrame(sink, CMD_DEFINE_PARK, {0x01, 0x01});
}

}  // namespace axistune
