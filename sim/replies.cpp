#include "sim/replies.h"

namespace dxsim {

namespace {

constexpr uint8_t kReplyStart = 0x55;

std::vector<uint8_t> Blank(size_t payload, uint8_t echo) {
    std::vector<uint8_t> r(payload + 2, 0);
    r[0] = kReplyStart;
    r[1] = static_cast<uint8_t>(payload);
    if (payload > 0) {
        r[2] = echo;
    }
    return r;
}

// One 27-byte axis block of the axis-settings reply, starting at reply byte `at`.
void PutAxisBlock(std::vector<uint8_t>& r, size_t at, const AxisSettings& a) {
    PutLe16(r, at + 0, a.maxSpeed);
    r[at + 2] = a.guidingRate;
    PutLe16(r, at + 3, a.maxCurrent);
    PutLe16(r, at + 5, a.current[0]);
    PutLe16(r, at + 7, a.current[1]);
    PutLe16(r, at + 9, a.current[2]);
    r[at + 11] = a.decay[0];
    r[at + 12] = a.decay[1];
    r[at + 13] = a.decay[2];
    r[at + 14] = static_cast<uint8_t>(a.overtone);
    r[at + 15] = a.aux1;
    r[at + 16] = a.acceleration;
    r[at + 17] = a.deceleration;
    PutLe16(r, at + 18, a.incCurrentAt);
    PutLe16(r, at + 20, a.incCurrentAt2);
    r[at + 22] = a.aux3;
    PutLe32(r, at + 23, a.aux4);
}

// One 13-byte block of the base-settings reply: features, gear ratio, scale, sidereal rate.
void PutBaseBlock(std::vector<uint8_t>& r, size_t at, const AxisSettings& a) {
    r[at] = a.features;
    PutLe32(r, at + 1, a.gearRatio);
    PutLe32(r, at + 5, a.scale);
    PutLe32(r, at + 9, a.siderealRate);
}

}  // namespace

void PutLe16(std::vector<uint8_t>& out, size_t at, uint16_t value) {
    out[at] = static_cast<uint8_t>(value);
    out[at + 1] = static_cast<uint8_t>(value >> 8);
}

void PutLe32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) {
        out[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

uint16_t GetLe16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t GetLe32(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

std::vector<uint8_t> BuildReply(ReplyKind kind, const Identity& id, const Settings& s,
                                uint16_t voltage) {
    switch (kind) {
        case ReplyKind::kNone:
            return {};
        case ReplyKind::kAck:
            return Blank(0, 0);
        case ReplyKind::kVersion: {
            if (id.shortVersion) {
                std::vector<uint8_t> r = Blank(3, cmd::kReadVersion);
                r[3] = id.shortMajor;
                r[4] = id.shortMinor;
                return r;
            }
            std::vector<uint8_t> r = Blank(5, cmd::kReadVersion);
            PutLe32(r, 3, id.VersionWord());
            return r;
        }
        case ReplyKind::kModeFlag: {
            std::vector<uint8_t> r = Blank(2, cmd::kReadModeFlag);
            r[3] = id.modeFlag;
            return r;
        }
        case ReplyKind::kFirmware: {
            std::vector<uint8_t> r = Blank(5, cmd::kReadFirmware);
            PutLe32(r, 3, id.firmware);
            return r;
        }
        case ReplyKind::kBaseSettings: {
            std::vector<uint8_t> r = Blank(29, cmd::kReadBaseSettings);
            PutBaseBlock(r, 4, s.ra);
            PutBaseBlock(r, 17, s.dec);
            r[30] = s.mountType;
            return r;
        }
        case ReplyKind::kAxisSettings: {
            std::vector<uint8_t> r = Blank(58, cmd::kReadAxisSettings);
            r[4] = s.reverseRotation;
            r[5] = static_cast<uint8_t>((s.reverseGuiding & 0x0F) | (s.reverseLimits << 4));
            PutAxisBlock(r, 6, s.ra);
            PutAxisBlock(r, 33, s.dec);
            return r;
        }
        case ReplyKind::kMeridian: {
            std::vector<uint8_t> r = Blank(5, cmd::kReadMeridian);
            r[4] = s.meridian0;
            r[5] = s.meridian1;
            r[6] = s.flipHysteresis;
            return r;
        }
        case ReplyKind::kGeo: {
            std::vector<uint8_t> r = Blank(10, cmd::kReadGeo);
            PutLe32(r, 3, static_cast<uint32_t>(s.latitude));
            PutLe32(r, 7, static_cast<uint32_t>(s.longitude));
            r[11] = s.hemisphere;
            return r;
        }
        case ReplyKind::kClosedLoop: {
            std::vector<uint8_t> r = Blank(2, cmd::kReadClosedLoop);
            r[3] = s.closedLoopDefault;
            return r;
        }
        case ReplyKind::kVoltage: {
            std::vector<uint8_t> r = Blank(5, cmd::kReadVoltage);
            PutLe16(r, 5, voltage);
            return r;
        }
    }
    return {};
}

}  // namespace dxsim
