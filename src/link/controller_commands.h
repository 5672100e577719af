#pragma once

#include <cstdint>

#include "link/frame_sink.h"

namespace axistune {

// One sender per controller command, with the exact bytes the controller expects after the
// command byte. The sender of a command that awaits a reply sets the protocol state first.

// Queries of the handshake and the re-reads: the command byte alone.
void SendReadVersion(FrameSink& sink);
void SendReadModeFlag(FrameSink& sink);
void SendReadFirmware(FrameSink& sink);
void SendReadBaseSettings(FrameSink& sink);
void SendReadAxisSettings(FrameSink& sink);
void SendReadMeridian(FrameSink& sink);
void SendReadGeo(FrameSink& sink);
void SendReadClosedLoop(FrameSink& sink);

void SendMove(FrameSink& sink, uint8_t axis, int32_t speed);
void SendStop(FrameSink& sink, uint8_t mask);
void SendTracking(FrameSink& sink, uint8_t on);
void SendExp(FrameSink& sink, uint8_t on);
void SendStoreSettings(FrameSink& sink);
void SendCommand0B(FrameSink& sink);
void SendReloadDefaults(FrameSink& sink);
void SendSetGearRatios(FrameSink& sink, uint32_t raRatio, uint32_t decRatio);
void SendSetReverse(FrameSink& sink, uint8_t rotation, uint8_t guiding, uint8_t limits);
void SendSetCurrent(FrameSink& sink, uint8_t selector, uint16_t milliamps);
void SendSetDecay(FrameSink& sink, uint8_t selector, uint8_t decay);
void SendSetOvertone(FrameSink& sink, uint8_t axis, uint8_t value);
void SendSetIncreaseCurrent(FrameSink& sink, uint8_t axis, uint16_t first, uint16_t second);
void SendSetMaxSpeed(FrameSink& sink, uint16_t raSpeed, uint16_t decSpeed);
void SendSetAcceleration(FrameSink& sink, uint8_t ra, uint8_t dec);
void SendSetDeceleration(FrameSink& sink, uint8_t ra, uint8_t dec);
void SendSetGuiding(FrameSink& sink, uint8_t ra, uint8_t dec);
void SendSetGeo(FrameSink& sink, int32_t latitude, int32_t longitude, uint8_t hemisphere);
void SendSetMountType(FrameSink& sink, uint8_t mountType);
void SendSetMeridian(FrameSink& sink, uint8_t meridian0, uint8_t meridian1, uint8_t flipHysteresis);
void SendSetClosedLoop(FrameSink& sink, uint8_t closedLoopDefault);
void SendReadVoltage(FrameSink& sink);
void SendInitPosition(FrameSink& sink, uint8_t c0, uint8_t c1, uint8_t c2);
void SendDefinePark(FrameSink& sink);

}  // namespace axistune
