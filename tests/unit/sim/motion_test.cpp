// Moves, stop, tracking, synchronisation and park, integrated over the clock passed in.

#include <gtest/gtest.h>

#include <cmath>

#include "model_driver.h"
#include "sim/controller_model.h"

using dxsim::ControllerModel;
using dxsim::Mount;
using namespace dxsim_test;

namespace {

constexpr int64_t kHourMs = 3600 * 1000;
// The sky turns 360 degrees per sidereal day: 15.041 degrees per solar hour.
constexpr double kSiderealDegPerHour = 360.0 * 3600.0 / 86164.0905;

Bytes Move(uint8_t axis, int32_t speed) {
    const uint32_t u = static_cast<uint32_t>(speed);
    return {0xAA,
            0x07,
            0x23,
            0x00,
            axis,
            static_cast<uint8_t>(u),
            static_cast<uint8_t>(u >> 8),
            static_cast<uint8_t>(u >> 16),
            static_cast<uint8_t>(u >> 24)};
}

Bytes Sync(const char* letters) {
    return {0xAA,
            0x05,
            0x6A,
            0x01,
            static_cast<uint8_t>(letters[0]),
            static_cast<uint8_t>(letters[1]),
            static_cast<uint8_t>(letters[2])};
}

TEST(Motion, MoveAtTheSiderealSpeedValueTurnsTheAxisAtTheSiderealRate) {
    ControllerModel m(Named("dx5"));  // RA sidereal 100 for gear 172800
    Exchange(m, Sync("Q  "), 0);
    Exchange(m, Move(0x80, 100), 0);
    // 100 is the rounded sidereal value, so allow the rounding (0.27%).
    EXPECT_NEAR(m.MountAt(kHourMs).HourAngle(), kSiderealDegPerHour, 0.05);
    Exchange(m, Move(0x80, -400), kHourMs);
    EXPECT_NEAR(m.MountAt(2 * kHourMs).HourAngle(), -3 * kSiderealDegPerHour, 0.2);
    EXPECT_DOUBLE_EQ(m.MountAt(2 * kHourMs).Declination(), 0.0);
}

TEST(Motion, StopEndsOnlyTheNamedAxes) {
    ControllerModel m(Named("dx5"));
    Exchange(m, Move(0xC0, 1000), 0);
    EXPECT_EQ(m.MountAt(0).ManualSpeed(Mount::kRa), 1000);
    EXPECT_EQ(m.MountAt(0).ManualSpeed(Mount::kDec), 1000);
    Exchange(m, {0xAA, 0x03, 0x21, 0x00, 0x40}, 1000);
    EXPECT_EQ(m.MountAt(1000).ManualSpeed(Mount::kRa), 1000);
    EXPECT_EQ(m.MountAt(1000).ManualSpeed(Mount::kDec), 0);
    const double dec = m.MountAt(1000).Declination();
    EXPECT_DOUBLE_EQ(m.MountAt(5000).Declination(), dec);
    Exchange(m, {0xAA, 0x03, 0x21, 0x00, 0xC0}, 5000);
    EXPECT_FALSE(m.MountAt(5000).Moving());
}

TEST(Motion, SpeedIsLimitedToTheTopRate) {
    ControllerModel m(Named("dx5"));  // max speed 600 x sidereal 100
    Exchange(m, Move(0x80, 1000000), 0);
    EXPECT_EQ(m.MountAt(0).ManualSpeed(Mount::kRa), 60000);
    Exchange(m, Move(0x80, -1000000), 0);
    EXPECT_EQ(m.MountAt(0).ManualSpeed(Mount::kRa), -60000);
    Exchange(m, Move(0x00, 500), 0);  // no axis named: nothing changes
    EXPECT_EQ(m.MountAt(0).ManualSpeed(Mount::kRa), -60000);
}

TEST(Motion, TrackingFollowsTheSkyAndItsHemisphere) {
    ControllerModel north(Named("dx5"));
    Exchange(north, {0xAA, 0x03, 0x24, 0x00, 0x01}, 0);
    EXPECT_GT(north.MountAt(kHourMs).HourAngle(), 14.9);
    Exchange(north, {0xAA, 0x03, 0x24, 0x00, 0x00}, kHourMs);
    const double ha = north.MountAt(kHourMs).HourAngle();
    EXPECT_DOUBLE_EQ(north.MountAt(2 * kHourMs).HourAngle(), ha);

    ControllerModel south(Named("rv5"));
    Exchange(south, {0xAA, 0x03, 0x24, 0x00, 0x01}, 0);
    EXPECT_LT(south.MountAt(kHourMs).HourAngle(), -14.9);
}

TEST(Motion, SyncPositionsFollowTheSite) {
    struct Case {
        const char* letters;
        double ha;
        double dec;
    };
    const double lat = 47.5;
    const Case cases[] = {
        {"Z  ", 0.0, lat},   {"ZE ", 0.0, lat},        {"Q  ", 0.0, 0.0},
        {"EE ", 0.0, 0.0},   {"SHE", 0.0, lat - 90.0}, {"NHW", 180.0, 90.0 - lat},
        {"EH ", -90.0, 0.0}, {"HW ", 90.0, 0.0},       {"AE ", 0.0, 90.0},
    };
    for (const Case& c : cases) {
        ControllerModel m(Named("dx5"));
        EXPECT_EQ(Exchange(m, Sync(c.letters), 0), (Bytes{0x55, 0x00})) << c.letters;
        EXPECT_NEAR(std::fabs(m.MountAt(0).HourAngle()), std::fabs(c.ha), 1e-6) << c.letters;
        EXPECT_NEAR(m.MountAt(0).Declination(), c.dec, 1e-6) << c.letters;
    }
}

TEST(Motion, UnknownPositionIsAcknowledgedButDoesNotMoveTheAxes) {
    ControllerModel m(Named("dx5"));
    Exchange(m, Sync("Z  "), 0);
    EXPECT_EQ(Exchange(m, Sync("XYZ"), 0), (Bytes{0x55, 0x00}));
    EXPECT_NEAR(m.MountAt(0).Declination(), 47.5, 1e-6);
}

TEST(Motion, DefineParkRemembersThePosition) {
    ControllerModel m(Named("dx5"));
    Exchange(m, Sync("Q  "), 0);
    Exchange(m, Move(0x40, 20000), 0);
    Exchange(m, {0xAA, 0x03, 0x21, 0x00, 0x40}, 10000);
    const double dec = m.MountAt(10000).Declination();
    EXPECT_GT(dec, 1.0);
    EXPECT_EQ(Exchange(m, {0xAA, 0x03, 0x69, 0x01, 0x01}, 10000), (Bytes{0x55, 0x00}));
    EXPECT_DOUBLE_EQ(m.MountAt(10000).ParkDeclination(), dec);
}

TEST(Motion, VoltageSagsWhileMotorsRun) {
    ControllerModel m(Named("dx5"));
    const Bytes readVoltage = {0xAA, 0x03, 0x2B, 0x00, 0x00};
    const uint32_t rest = Le(Exchange(m, readVoltage), 5, 2);
    Exchange(m, Move(0xC0, 500), 0);
    EXPECT_LT(Le(Exchange(m, readVoltage), 5, 2), rest);
}

}  // namespace
