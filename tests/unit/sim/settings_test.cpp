// Every setting the host sends shows in the next read; store, reload and power-up.

#include <gtest/gtest.h>

#include "model_driver.h"
#include "sim/controller_model.h"

using dxsim::ControllerModel;
using namespace dxsim_test;

namespace {

const Bytes kReadBase = {0xAA, 0x01, 0x14};
const Bytes kReadAxis = {0xAA, 0x01, 0x15};
const Bytes kReadMeridian = {0xAA, 0x01, 0x3D};
const Bytes kReadGeo = {0xAA, 0x01, 0x64};
const Bytes kReadClosedLoop = {0xAA, 0x01, 0x58};
const Bytes kAck = {0x55, 0x00};

struct RoundTrip {
    const char* what;
    Bytes frame;
    bool acknowledged;
    Bytes read;      // the read that shows the change
    size_t at;       // reply byte where the change shows
    Bytes expected;  // bytes expected from there
};

void PrintTo(const RoundTrip& t, std::ostream* os) {
    *os << t.what;
}

class SettingRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(SettingRoundTrip, ReReadShowsWhatWasSent) {
    const RoundTrip& t = GetParam();
    ControllerModel m(Named("dx5"));
    const Bytes before = Exchange(m, t.read);
    EXPECT_EQ(Exchange(m, t.frame), t.acknowledged ? kAck : Bytes{}) << t.what;
    const Bytes after = Exchange(m, t.read);
    ASSERT_EQ(after.size(), before.size());
    ASSERT_LE(t.at + t.expected.size(), after.size());
    EXPECT_EQ(Bytes(after.begin() + t.at, after.begin() + t.at + t.expected.size()), t.expected)
        << t.what;
    // Nothing else in the reply moved.
    for (size_t i = 0; i < after.size(); ++i) {
        if (i < t.at || i >= t.at + t.expected.size()) {
            EXPECT_EQ(after[i], before[i]) << t.what << " byte " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Dx5, SettingRoundTrip,
    ::testing::Values(
        RoundTrip{"reverse flags",
                  {0xAA, 0x06, 0x32, 0x00, 0xC0, 0x01, 0x02, 0x03},
                  false,
                  kReadAxis,
                  4,
                  {0x01, 0x32}},
        RoundTrip{"RA idle current",
                  {0xAA, 0x05, 0x33, 0x00, 0x80, 0xF4, 0x01},
                  false,
                  kReadAxis,
                  11,
                  {0xF4, 0x01}},
        RoundTrip{"RA run current",
                  {0xAA, 0x05, 0x33, 0x00, 0x82, 0x20, 0x03},
                  false,
                  kReadAxis,
                  15,
                  {0x20, 0x03}},
        RoundTrip{"Dec track current",
                  {0xAA, 0x05, 0x33, 0x00, 0x41, 0x2C, 0x01},
                  false,
                  kReadAxis,
                  40,
                  {0x2C, 0x01}},
        RoundTrip{
            "RA track decay", {0xAA, 0x04, 0x34, 0x00, 0x81, 0x03}, false, kReadAxis, 18, {0x03}},
        RoundTrip{
            "Dec idle decay", {0xAA, 0x04, 0x34, 0x00, 0x40, 0x02}, false, kReadAxis, 44, {0x02}},
        RoundTrip{
            "Dec overtone -5", {0xAA, 0x04, 0x3B, 0x00, 0x40, 0xFB}, false, kReadAxis, 47, {0xFB}},
        RoundTrip{"RA inc current",
                  {0xAA, 0x07, 0x3C, 0x00, 0x80, 0xA4, 0x01, 0xA4, 0x01},
                  false,
                  kReadAxis,
                  24,
                  {0xA4, 0x01, 0xA4, 0x01}},
        RoundTrip{"RA max speed",
                  {0xAA, 0x07, 0x35, 0x00, 0xC0, 0x1E, 0x00, 0x58, 0x02},
                  false,
                  kReadAxis,
                  6,
                  {0x1E, 0x00}},
        RoundTrip{"RA acceleration",
                  {0xAA, 0x05, 0x37, 0x00, 0xC0, 0x10, 0x60},
                  false,
                  kReadAxis,
                  22,
                  {0x10}},
        RoundTrip{"Dec deceleration",
                  {0xAA, 0x05, 0x38, 0x00, 0xC0, 0x80, 0x20},
                  false,
                  kReadAxis,
                  50,
                  {0x20}},
        RoundTrip{"Dec guiding rate",
                  {0xAA, 0x05, 0x36, 0x00, 0xC0, 0x08, 0x10},
                  false,
                  kReadAxis,
                  35,
                  {0x10}},
        RoundTrip{"mount type", {0xAA, 0x03, 0x1B, 0x01, 0x02}, true, kReadBase, 30, {0x02}},
        RoundTrip{"meridian",
                  {0xAA, 0x06, 0x3E, 0x01, 0x01, 0x01, 0x00, 0x0F},
                  true,
                  kReadMeridian,
                  6,
                  {0x0F}},
        RoundTrip{"geo S 33:52 W 70:40",
                  {0xAA, 0x0B, 0x65, 0x01, 0x00, 0x5A, 0xD3, 0xFF, 0x00, 0xD6, 0xA2, 0xFF, 0x01},
                  true,
                  kReadGeo,
                  3,
                  {0x00, 0x5A, 0xD3, 0xFF, 0x00, 0xD6, 0xA2, 0xFF, 0x01}},
        RoundTrip{"closed loop", {0xAA, 0x03, 0x59, 0x01, 0x01}, true, kReadClosedLoop, 3, {0x01}}),
    [](const ::testing::TestParamInfo<RoundTrip>& info) {
        std::string n;
        for (const char* p = info.param.what; *p != '\0'; ++p) {
            n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        }
        return n;
    });

// Max speeds and the two-axis byte commands change both blocks.
TEST(Settings, TwoAxisCommandsSetBothAxes) {
    ControllerModel m(Named("dx5"));
    Exchange(m, {0xAA, 0x07, 0x35, 0x00, 0xC0, 0x1E, 0x00, 0xB0, 0x04});
    Exchange(m, {0xAA, 0x05, 0x37, 0x00, 0xC0, 0x10, 0xF0});
    Exchange(m, {0xAA, 0x05, 0x36, 0x00, 0xC0, 0x01, 0x10});
    const Bytes r = Exchange(m, kReadAxis);
    EXPECT_EQ(Le(r, 6, 2), 30u);
    EXPECT_EQ(Le(r, 33, 2), 1200u);
    EXPECT_EQ(r[22], 0x10);
    EXPECT_EQ(r[49], 0xF0);
    EXPECT_EQ(r[8], 1);
    EXPECT_EQ(r[35], 16);
}

TEST(Settings, GearRatiosShowInBaseSettingsWithNewSiderealRates) {
    ControllerModel m(Named("dx5"));
    // RA 170 (an argument byte of 0xAA, sent unescaped), Dec 288000.
    EXPECT_EQ(
        Exchange(m, {0xAA, 0x0B, 0x1A, 0x01, 0xC0, 0xAA, 0x00, 0x00, 0x00, 0x00, 0x65, 0x04, 0x00}),
        kAck);
    const Bytes r = Exchange(m, kReadBase);
    EXPECT_EQ(Le(r, 5, 4), 170u);
    EXPECT_EQ(Le(r, 18, 4), 288000u);
    EXPECT_EQ(Le(r, 26, 4), 167u);  // 288000 steps per sidereal day in fiftieths of a step/s
    EXPECT_EQ(Le(r, 13, 4), 0u);
    EXPECT_EQ(r[4], 0x0C) << "features unchanged";
}

TEST(Settings, UnknownSelectorsChangeNothing) {
    ControllerModel m(Named("dx5"));
    const dxsim::Settings before = m.settings();
    Exchange(m, {0xAA, 0x05, 0x33, 0x00, 0x83, 0x10, 0x00});  // index 3
    Exchange(m, {0xAA, 0x05, 0x33, 0x00, 0x00, 0x10, 0x00});  // no axis
    Exchange(m, {0xAA, 0x04, 0x3B, 0x00, 0xC0, 0x05});        // both axes
    EXPECT_EQ(m.settings(), before);
}

TEST(Settings, StoreKeepsACopyAndReloadRestoresFactoryValues) {
    ControllerModel m(Named("dx3"));
    const Bytes factoryBase = Exchange(m, kReadBase);
    const Bytes factoryAxis = Exchange(m, kReadAxis);

    Exchange(m, {0xAA, 0x05, 0x33, 0x00, 0x80, 0x20, 0x03});
    Exchange(m, {0xAA, 0x0B, 0x1A, 0x01, 0xC0, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00});
    EXPECT_EQ(Exchange(m, {0xAA, 0x02, 0x0D, 0x01}), kAck);
    EXPECT_EQ(m.stored(), m.settings());
    EXPECT_NE(m.stored(), m.factory());

    EXPECT_EQ(Exchange(m, {0xAA, 0x02, 0x0C, 0x01}), kAck);
    EXPECT_EQ(m.settings(), m.factory());
    EXPECT_EQ(Exchange(m, kReadBase), factoryBase);
    EXPECT_EQ(Exchange(m, kReadAxis), factoryAxis);
    EXPECT_NE(m.stored(), m.factory()) << "reload does not overwrite the stored copy";

    // Power-up loads what was stored.
    m.PowerCycle(1000);
    EXPECT_EQ(Le(Exchange(m, kReadAxis, 1000), 11, 2), 800u);
    EXPECT_EQ(Le(Exchange(m, kReadBase, 1000), 5, 4), 65536u);
}

TEST(Settings, AcknowledgedAndSilentCommands) {
    struct Case {
        Bytes frame;
        bool ack;
    };
    const Case cases[] = {
        {{0xAA, 0x02, 0x0D, 0x01}, true},
        {{0xAA, 0x02, 0x0C, 0x01}, true},
        {{0xAA, 0x05, 0x6A, 0x01, 0x5A, 0x45, 0x20}, true},
        {{0xAA, 0x03, 0x69, 0x01, 0x01}, true},
        {{0xAA, 0x03, 0x1B, 0x01, 0x00}, true},
        {{0xAA, 0x03, 0x59, 0x01, 0x00}, true},
        {{0xAA, 0x07, 0x23, 0x00, 0x80, 0x64, 0x00, 0x00, 0x00}, false},
        {{0xAA, 0x03, 0x21, 0x00, 0xC0}, false},
        {{0xAA, 0x03, 0x24, 0x00, 0x01}, false},
        {{0xAA, 0x03, 0x28, 0x00, 0x01}, false},
        {{0xAA, 0x01, 0x0B}, false},
    };
    ControllerModel m(Named("dx5"));
    for (const Case& c : cases) {
        EXPECT_EQ(Exchange(m, c.frame), c.ack ? kAck : Bytes{})
            << "command " << std::hex << int{c.frame[2]};
    }
    EXPECT_TRUE(m.ExpOn());
    EXPECT_EQ(m.counters().frames, sizeof(cases) / sizeof(cases[0]));
    EXPECT_EQ(m.counters().framesByCommand[0x6A], 1u);
}

}  // namespace
