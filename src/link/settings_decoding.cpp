#include "link/settings_decoding.h"

#include "text/twos_complement.h"

namespace axistune {

namespace {

constexpr size_t kBaseRa = 4;
constexpr size_t kBaseDec = 17;
constexpr size_t kBaseMountType = 30;
constexpr size_t kAxisRa = 6;
constexpr size_t kAxisDec = 33;

struct AxisBlock {
    uint32_t* maxSpeed;
    uint16_t* guidingRate;
    uint16_t* maxCurrent;
    uint16_t* current;  // idle, track, run
    uint8_t* decay;     // idle, track, run
    int8_t* overtone;
    uint8_t* aux1;
    uint8_t* acceleration;
    uint8_t* deceleration;
    uint16_t* incCurrentAt;
    uint16_t* aux2;
    uint8_t* aux3;
    uint32_t* aux4;
};

// One 27-byte block of the axis-settings reply, starting at reply byte k.
void DecodeAxisBlock(const ReplyView& reply, size_t k, const AxisBlock& out) {
    *out.maxSpeed = reply.U16(k);
    *out.guidingRate = reply.Byte(k + 2);
    *out.maxCurrent = reply.U16(k + 3);
    for (size_t i = 0; i < 3; ++i) {
        out.current[i] = reply.U16(k + 5 + 2 * i);
        out.decay[i] = reply.Byte(k + 11 + i);
    }
    *out.overtone = AsSigned8(reply.Byte(k + 14));
    *out.aux1 = reply.Byte(k + 15);
    *out.acceleration = reply.Byte(k + 16);
    *out.deceleration = reply.Byte(k + 17);
    *out.incCurrentAt = reply.U16(k + 18);
    *out.aux2 = reply.U16(k + 20);
    *out.aux3 = reply.Byte(k + 22);
    *out.aux4 = reply.U32(k + 23);
}

}  // namespace

void DecodeBaseSettings(const ReplyView& reply, ControllerSettings& s, bool includeMountType) {
    s.features = reply.Byte(kBaseRa);
    s.raGearRatio = reply.U32(kBaseRa + 1);
    s.raScale = reply.U32(kBaseRa + 5);
    s.raSiderealRate = reply.U32(kBaseRa + 9);
    s.decFeatures = reply.Byte(kBaseDec);
    s.decGearRatio = reply.U32(kBaseDec + 1);
    s.decScale = reply.U32(kBaseDec + 5);
    s.decSiderealRate = reply.U32(kBaseDec + 9);
    if (includeMountType) {
        s.mountType = reply.Byte(kBaseMountType);
    }
}

void DecodeAxisSettings(const ReplyView& reply, ControllerSettings& s) {
    s.reverseRotation = reply.Byte(4);
    s.reverseGuiding = static_cast<uint8_t>(reply.Byte(5) & 0x0F);
    s.reverseLimits = static_cast<uint8_t>(reply.Byte(5) >> 4);
    DecodeAxisBlock(reply, kAxisRa,
                    {&s.raMaxSpeed, &s.raGuidingRate, &s.raMaxCurrent, s.raCurrent, s.raDecay,
                     &s.raOvertone, &s.raAux1, &s.raAcceleration, &s.raDeceleration,
                     &s.raIncCurrentAt, &s.raAux2, &s.raAux3, &s.raAux4});
    DecodeAxisBlock(reply, kAxisDec,
                    {&s.decMaxSpeed, &s.decGuidingRate, &s.decMaxCurrent, s.decCurrent, s.decDecay,
                     &s.decOvertone, &s.decAux1, &s.decAcceleration, &s.decDeceleration,
                     &s.decIncCurrentAt, &s.decAux2, &s.decAux3, &s.decAux4});
}

void DecodeMeridian(const ReplyView& reply, ControllerSettings& s) {
    s.meridian0 = reply.Byte(4);
    s.meridian1 = reply.Byte(5);
    s.flipHysteresis = reply.Byte(6);
}

void DecodeGeo(const ReplyView& reply, ControllerSettings& s) {
    s.latitude = AsSigned32(reply.U32(3));
    s.longitude = AsSigned32(reply.U32(7));
    s.hemisphere = reply.Byte(11);
}

void RecomputeTopRates(ControllerSettings& s) {
    s.raTopRate = s.raMaxSpeed * s.raSiderealRate;
    s.decTopRate = s.decMaxSpeed * s.decSiderealRate;
}

}  // namespace axistune
