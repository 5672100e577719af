#include "sim/profile.h"

namespace dxsim {

namespace {

constexpr int32_t kDegree = 86400;
constexpr int32_t kArcminute = 1440;

AxisSettings MakeAxis(uint32_t gearRatio, uint16_t maxSpeed, uint16_t maxCurrent, uint16_t idle,
                      uint16_t track, uint16_t run, int8_t overtone, uint8_t guiding) {
    AxisSettings a;
    a.maxSpeed = maxSpeed;
    a.guidingRate = guiding;
    a.maxCurrent = maxCurrent;
    a.current[0] = idle;
    a.current[1] = track;
    a.current[2] = run;
    a.decay[0] = 0;
    a.decay[1] = 1;
    a.decay[2] = 2;
    a.overtone = overtone;
    a.acceleration = 96;
    a.deceleration = 128;
    a.incCurrentAt = 220;
    a.incCurrentAt2 = 220;
    a.gearRatio = gearRatio;
    a.scale = ScaleFor(gearRatio);
    a.siderealRate = SiderealRateFor(gearRatio);
    return a;
}

// A DX5 on a German equatorial mount in central Europe (N 47:30:00, E 8:32:00), limit
// switches on the RA axis only.
Profile Dx5() {
    Profile p;
    p.name = "dx5";
    p.description = "DX5, hardware type 1, firmware 1.0.0.12, 115200 baud";
    p.identity.hardwareType = 1;
    p.identity.versionLow = 0x000C;
    p.identity.firmware = 0x0100000C;
    p.identity.baud = 115200;
    p.identity.voltage = 1220;
    Settings& s = p.factory;
    s.ra = MakeAxis(172800, 600, 1600, 400, 600, 1200, 5, 8);
    s.ra.features = 0x0C;
    s.dec = MakeAxis(144000, 600, 1600, 400, 500, 1200, -2, 8);
    s.mountType = 0;
    s.meridian0 = 1;
    s.meridian1 = 0;
    s.flipHysteresis = 5;
    s.latitude = 47 * kDegree + 30 * kArcminute;
    s.longitude = 8 * kDegree + 32 * kArcminute;
    s.hemisphere = 0;
    return p;
}

// The older, smaller DX3 on a fork mount: 9600 baud, lower currents and speeds.
Profile Dx3() {
    Profile p;
    p.name = "dx3";
    p.description = "DX3, hardware type 1, firmware 1.0.0.10, 9600 baud";
    p.identity.hardwareType = 1;
    p.identity.versionLow = 0x000A;
    p.identity.firmware = 0x0100000A;
    p.identity.baud = 9600;
    p.identity.voltage = 1180;
    Settings& s = p.factory;
    s.ra = MakeAxis(138240, 300, 1000, 250, 375, 750, 0, 4);
    s.ra.features = 0x0C;
    s.dec = MakeAxis(138240, 300, 1000, 250, 250, 750, 0, 4);
    s.mountType = 1;
    s.meridian0 = 0;
    s.meridian1 = 0;
    s.flipHysteresis = 0;
    s.latitude = 47 * kDegree + 30 * kArcminute;
    s.longitude = 8 * kDegree + 32 * kArcminute;
    s.hemisphere = 0;
    return p;
}

// An RV5 with closed-loop tracking (features bit 7) at a southern site (S 33:52:00,
// E 151:12:00).
Profile Rv5() {
    Profile p;
    p.name = "rv5";
    p.description = "RV5, hardware type 5, firmware 1.0.0.7, closed-loop tracking, 115200 baud";
    p.identity.hardwareType = 5;
    p.identity.versionLow = 0x0007;
    p.identity.firmware = 0x01000007;
    p.identity.baud = 115200;
    p.identity.voltage = 1200;
    Settings& s = p.factory;
    s.ra = MakeAxis(230400, 900, 2400, 600, 900, 1800, 3, 12);
    s.ra.features = 0x8C;
    s.dec = MakeAxis(230400, 900, 2400, 600, 600, 1800, 0, 12);
    s.mountType = 0;
    s.meridian0 = 1;
    s.meridian1 = 1;
    s.flipHysteresis = 10;
    s.latitude = -(33 * kDegree + 52 * kArcminute);
    s.longitude = 151 * kDegree + 12 * kArcminute;
    s.hemisphere = 1;
    s.closedLoopDefault = 1;
    return p;
}

Profile Incompatible() {
    Profile p = Dx5();
    p.name = "incompatible";
    p.description = "a device of hardware type 2, which the program refuses";
    p.identity.hardwareType = 2;
    return p;
}

Profile OldFirmware() {
    Profile p = Dx5();
    p.name = "old-firmware";
    p.description = "a DX5 with firmware 1.0.0.9, too old for the program";
    p.identity.firmware = 0x01000009;
    return p;
}

Profile OldVersion() {
    Profile p = Dx5();
    p.name = "old-version";
    p.description = "an early controller that answers the version query in the short form 1.1";
    p.identity.shortVersion = true;
    p.identity.shortMajor = 1;
    p.identity.shortMinor = 1;
    return p;
}

}  // namespace

const std::vector<Profile>& Profiles() {
    static const std::vector<Profile> kProfiles = {Dx5(),          Dx3(),         Rv5(),
                                                   Incompatible(), OldFirmware(), OldVersion()};
    return kProfiles;
}

std::optional<Profile> FindProfile(const std::string& name) {
    for (const Profile& p : Profiles()) {
        if (p.name == name) {
            return p;
        }
    }
    return std::nullopt;
}

}  // namespace dxsim
