// Every read of every profile, checked byte for byte at the documented positions.

#include <gtest/gtest.h>

#include "model_driver.h"
#include "sim/controller_model.h"

using dxsim::ControllerModel;
using namespace dxsim_test;

namespace {

const Bytes kReadVersion = {0xAA, 0x01, 0x01};
const Bytes kReadModeFlag = {0xAA, 0x01, 0x03};
const Bytes kReadFirmware = {0xAA, 0x01, 0x02};
const Bytes kReadBase = {0xAA, 0x01, 0x14};
const Bytes kReadAxis = {0xAA, 0x01, 0x15};
const Bytes kReadMeridian = {0xAA, 0x01, 0x3D};
const Bytes kReadGeo = {0xAA, 0x01, 0x64};
const Bytes kReadClosedLoop = {0xAA, 0x01, 0x58};
const Bytes kReadVoltage = {0xAA, 0x03, 0x2B, 0x00, 0x00};

TEST(Dx5Replies, HandshakeRepliesAreByteExact) {
    ControllerModel m(Named("dx5"));
    EXPECT_EQ(Exchange(m, kReadVersion), (Bytes{0x55, 0x05, 0x01, 0x0C, 0x00, 0x01, 0x00}));
    EXPECT_EQ(Exchange(m, kReadModeFlag), (Bytes{0x55, 0x02, 0x03, 0x00}));
    EXPECT_EQ(Exchange(m, kReadFirmware), (Bytes{0x55, 0x05, 0x02, 0x0C, 0x00, 0x00, 0x01}));
    EXPECT_EQ(Exchange(m, kReadBase),
              (Bytes{0x55, 0x1D, 0x14, 0x00,
                     // RA: features, gear 172800, scale 480, sidereal 100
                     0x0C, 0x00, 0xA3, 0x02, 0x00, 0xE0, 0x01, 0x00, 0x00, 0x64, 0x00, 0x00, 0x00,
                     // Dec: features, gear 144000, scale 400, sidereal 84
                     0x00, 0x80, 0x32, 0x02, 0x00, 0x90, 0x01, 0x00, 0x00, 0x54, 0x00, 0x00, 0x00,
                     // mount type
                     0x00}));
    EXPECT_EQ(Exchange(m, kReadMeridian), (Bytes{0x55, 0x05, 0x3D, 0x00, 0x01, 0x00, 0x05}));
    // N 47:30:00 = 4104000 = 0x3E9F40, E 8:32:00 = 737280 = 0x0B4000, north.
    EXPECT_EQ(Exchange(m, kReadGeo),
              (Bytes{0x55, 0x0A, 0x64, 0x40, 0x9F, 0x3E, 0x00, 0x00, 0x40, 0x0B, 0x00, 0x00}));
    // 12.20 V at rest.
    EXPECT_EQ(Exchange(m, kReadVoltage), (Bytes{0x55, 0x05, 0x2B, 0x00, 0x00, 0xC4, 0x04}));
}

TEST(Dx5Replies, AxisSettingsFieldsSitAtTheirBytes) {
    ControllerModel m(Named("dx5"));
    const Bytes r = Exchange(m, kReadAxis);
    ASSERT_EQ(r.size(), 60u);
    EXPECT_EQ(r[0], 0x55);
    EXPECT_EQ(r[1], 58);
    EXPECT_EQ(r[4], 0);  // reverse rotation
    EXPECT_EQ(r[5], 0);  // guiding low nibble, limits high nibble
    struct Field {
        size_t raAt;
        size_t width;
        uint32_t ra;
        uint32_t dec;
    };
    // RA block bytes 6..32, Dec block 33..59, 27 bytes apart.
    const Field fields[] = {
        {6, 2, 600, 600},     // max speed
        {8, 1, 8, 8},         // guiding rate
        {9, 2, 1600, 1600},   // max current
        {11, 2, 400, 400},    // idle current
        {13, 2, 600, 500},    // track current
        {15, 2, 1200, 1200},  // run current
        {17, 1, 0, 0},        // idle decay
        {18, 1, 1, 1},        // track decay
        {19, 1, 2, 2},        // run decay
        {20, 1, 5, 0xFE},     // overtone 5 / -2
        {22, 1, 96, 96},      // acceleration
        {23, 1, 128, 128},    // deceleration
        {24, 2, 220, 220},    // increase current at
        {26, 2, 220, 220},    // its second value
        {29, 4, 0, 0},        // aux4
    };
    for (const Field& f : fields) {
        EXPECT_EQ(Le(r, f.raAt, f.width), f.ra) << "RA byte " << f.raAt;
        EXPECT_EQ(Le(r, f.raAt + 27, f.width), f.dec) << "Dec byte " << f.raAt + 27;
    }
}

struct ProfileExpectation {
    const char* name;
    uint32_t versionWord;
    uint32_t firmware;
    uint8_t features;
    uint32_t raGear;
    uint32_t raSidereal;
    uint8_t mountType;
    int32_t latitude;
    int32_t longitude;
    uint8_t hemisphere;
    uint16_t raMaxCurrent;
};

void PrintTo(const ProfileExpectation& t, std::ostream* os) {
    *os << t.name;
}

class EveryProfile : public ::testing::TestWithParam<ProfileExpectation> {};

TEST_P(EveryProfile, ReadsCarryTheProfileAtTheDocumentedBytes) {
    const ProfileExpectation& e = GetParam();
    ControllerModel m(Named(e.name));

    const Bytes version = Exchange(m, kReadVersion);
    if (std::string(e.name) == "old-version") {
        EXPECT_EQ(version, (Bytes{0x55, 0x03, 0x01, 0x01, 0x01}));  // short form 1.1
    } else {
        ASSERT_EQ(version.size(), 7u);
        EXPECT_EQ(version[1], 5);
        EXPECT_EQ(version[2], 0x01);
        EXPECT_EQ(Le(version, 3, 4), e.versionWord);
    }
    const Bytes mode = Exchange(m, kReadModeFlag);
    EXPECT_EQ(mode.size(), 4u);
    EXPECT_EQ(mode[1], 2);

    const Bytes fw = Exchange(m, kReadFirmware);
    ASSERT_EQ(fw.size(), 7u);
    EXPECT_EQ(fw[1], 5);
    EXPECT_EQ(Le(fw, 3, 4), e.firmware);

    const Bytes base = Exchange(m, kReadBase);
    ASSERT_EQ(base.size(), 31u);
    EXPECT_EQ(base[1], 29);
    EXPECT_EQ(base[4], e.features);
    EXPECT_EQ(Le(base, 5, 4), e.raGear);
    EXPECT_EQ(Le(base, 13, 4), e.raSidereal);
    EXPECT_EQ(base[17] & 0x0C, 0) << "limit switches on RA only";
    EXPECT_NE(Le(base, 18, 4), 0u);
    EXPECT_NE(Le(base, 26, 4), 0u);
    EXPECT_EQ(base[30], e.mountType);

    const Bytes axis = Exchange(m, kReadAxis);
    ASSERT_EQ(axis.size(), 60u);
    EXPECT_EQ(axis[1], 58);
    EXPECT_EQ(Le(axis, 9, 2), e.raMaxCurrent);
    for (size_t block : {size_t{6}, size_t{33}}) {
        EXPECT_GE(Le(axis, block + 2, 1), 1u);  // guiding 1..16
        EXPECT_LE(Le(axis, block + 2, 1), 16u);
        for (size_t d = 11; d <= 13; ++d) {
            EXPECT_LE(axis[block + d], 3) << "decay";
        }
        const int8_t overtone = static_cast<int8_t>(axis[block + 14]);
        EXPECT_GE(overtone, -20);
        EXPECT_LE(overtone, 20);
        for (size_t c = 5; c <= 9; c += 2) {
            EXPECT_LE(Le(axis, block + c, 2), Le(axis, block + 3, 2)) << "current below max";
        }
    }

    const Bytes meridian = Exchange(m, kReadMeridian);
    ASSERT_EQ(meridian.size(), 7u);
    EXPECT_EQ(meridian[1], 5);

    const Bytes geo = Exchange(m, kReadGeo);
    ASSERT_EQ(geo.size(), 12u);
    EXPECT_EQ(geo[1], 10);
    EXPECT_EQ(static_cast<int32_t>(Le(geo, 3, 4)), e.latitude);
    EXPECT_EQ(static_cast<int32_t>(Le(geo, 7, 4)), e.longitude);
    EXPECT_EQ(geo[11], e.hemisphere);

    const Bytes closed = Exchange(m, kReadClosedLoop);
    ASSERT_EQ(closed.size(), 4u);
    EXPECT_EQ(closed[1], 2);

    const Bytes volts = Exchange(m, kReadVoltage);
    ASSERT_EQ(volts.size(), 7u);
    EXPECT_EQ(volts[1], 5);
    EXPECT_GT(Le(volts, 5, 2), 1000u);
}

constexpr int32_t kNorth4730 = 4104000;
constexpr int32_t kEast832 = 737280;

INSTANTIATE_TEST_SUITE_P(
    Profiles, EveryProfile,
    ::testing::Values(ProfileExpectation{"dx5", 0x0001000C, 0x0100000C, 0x0C, 172800, 100, 0,
                                         kNorth4730, kEast832, 0, 1600},
                      ProfileExpectation{"dx3", 0x0001000A, 0x0100000A, 0x0C, 138240, 80, 1,
                                         kNorth4730, kEast832, 0, 1000},
                      ProfileExpectation{"rv5", 0x00050007, 0x01000007, 0x8C, 230400, 134, 0,
                                         -2926080, 13063680, 1, 2400},
                      ProfileExpectation{"incompatible", 0x0002000C, 0x0100000C, 0x0C, 172800, 100,
                                         0, kNorth4730, kEast832, 0, 1600},
                      ProfileExpectation{"old-firmware", 0x0001000C, 0x01000009, 0x0C, 172800, 100,
                                         0, kNorth4730, kEast832, 0, 1600},
                      ProfileExpectation{"old-version", 0, 0x0100000C, 0x0C, 172800, 100, 0,
                                         kNorth4730, kEast832, 0, 1600}),
    [](const ::testing::TestParamInfo<ProfileExpectation>& info) {
        std::string n = info.param.name;
        for (char& c : n) {
            if (c == '-') {
                c = '_';
            }
        }
        return n;
    });

TEST(ProfileRates, LineRatesAndClosedLoop) {
    EXPECT_EQ(Named("dx5").identity.baud, 115200u);
    EXPECT_EQ(Named("dx3").identity.baud, 9600u);
    EXPECT_EQ(Named("rv5").identity.baud, 115200u);
    ControllerModel rv5(Named("rv5"));
    EXPECT_EQ(Exchange(rv5, kReadClosedLoop), (Bytes{0x55, 0x02, 0x58, 0x01}));
    EXPECT_FALSE(dxsim::FindProfile("dx7").has_value());
}

// The top rate of the manual move (max speed x sidereal) must stay well inside 32 bits and the
// sidereal rate must match the gear ratio, or the host's speed table makes no sense.
TEST(ProfileRates, SiderealRateFollowsTheGearRatio) {
    for (const dxsim::Profile& p : dxsim::Profiles()) {
        for (const dxsim::AxisSettings* a : {&p.factory.ra, &p.factory.dec}) {
            const double expected = a->gearRatio * 50.0 / 86164.0905;
            EXPECT_NEAR(a->siderealRate, expected, 0.5) << p.name;
            EXPECT_LT(uint64_t{a->maxSpeed} * a->siderealRate, 1u << 23) << p.name;
        }
    }
}

}  // namespace
