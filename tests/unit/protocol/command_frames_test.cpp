// Every frame this program sends for a request, byte for byte, and the state that then awaits
// the controller's answer.
#include <gtest/gtest.h>

#include "core/status_codes.h"
#include "protocol_harness.h"

using namespace axistune;

namespace {

struct FrameCase {
    const char* name;
    Bytes request;  // request code and argument bytes as the queue carries them
    Bytes frame;
    int32_t stateAfter;
};

class CommandFrameTest : public ::testing::TestWithParam<FrameCase> {};

TEST_P(CommandFrameTest, SendsExactlyTheTableBytes) {
    const FrameCase& c = GetParam();
    Harness h;
    Connect(h);
    h.Request(c.request);
    ASSERT_EQ(h.sink.frames.size(), 1u);
    EXPECT_EQ(h.sink.frames[0], c.frame);
    EXPECT_EQ(h.protocol.ProtocolState(), c.stateAfter);
}

INSTANTIATE_TEST_SUITE_P(
    RequestFrames, CommandFrameTest,
    ::testing::Values(
        FrameCase{"StopBoth", {6, 4}, {0xAA, 0x03, 0x21, 0x00, 0xC0}, ST_READY},
        FrameCase{"TrackingOn", {7, 1}, {0xAA, 0x03, 0x24, 0x00, 0x01}, ST_READY},
        FrameCase{"TrackingOff", {7, 0}, {0xAA, 0x03, 0x24, 0x00, 0x00}, ST_READY},
        FrameCase{"ExpOn", {8, 1}, {0xAA, 0x03, 0x28, 0x00, 0x01}, ST_READY},
        FrameCase{"Store", {21}, {0xAA, 0x02, 0x0D, 0x01}, ST_WAIT_STORE_ACK},
        FrameCase{"Command0B", {22}, {0xAA, 0x01, 0x0B}, ST_READY},
        FrameCase{"Reload", {23}, {0xAA, 0x02, 0x0C, 0x01}, ST_WAIT_RELOAD_ACK},
        // A gear ratio of 170 puts 0xAA inside the frame: sent as it is, not escaped.
        FrameCase{"GearRatios",
                  {24, 0xAA, 0x00, 0x00, 0x00, 0x00, 0xA3, 0x02, 0x00},
                  {0xAA, 0x0B, 0x1A, 0x01, 0xC0, 0xAA, 0x00, 0x00, 0x00, 0x00, 0xA3, 0x02, 0x00},
                  ST_WAIT_GEAR_ACK},
        FrameCase{"Reverse",
                  {26, 0x01, 0x02, 0x03},
                  {0xAA, 0x06, 0x32, 0x00, 0xC0, 0x01, 0x02, 0x03},
                  ST_READY},
        FrameCase{"Current",
                  {27, 0x81, 0xD0, 0x07},
                  {0xAA, 0x05, 0x33, 0x00, 0x81, 0xD0, 0x07},
                  ST_READY},
        // The request carries the decay in 16 bits; only its low byte goes out.
        FrameCase{"Decay", {28, 0x41, 0x03, 0x7F}, {0xAA, 0x04, 0x34, 0x00, 0x41, 0x03}, ST_READY},
        FrameCase{"Overtone", {29, 0x80, 0xEC}, {0xAA, 0x04, 0x3B, 0x00, 0x80, 0xEC}, ST_READY},
        FrameCase{"IncreaseCurrentAt",
                  {30, 0x40, 0xF4, 0x01, 0x2C, 0x01},
                  {0xAA, 0x07, 0x3C, 0x00, 0x40, 0xF4, 0x01, 0x2C, 0x01},
                  ST_READY},
        FrameCase{"MaxSpeed",
                  {32, 0x58, 0x02, 0x90, 0x01},
                  {0xAA, 0x07, 0x35, 0x00, 0xC0, 0x58, 0x02, 0x90, 0x01},
                  ST_READY},
        FrameCase{
            "Acceleration", {33, 0x40, 0x30}, {0xAA, 0x05, 0x37, 0x00, 0xC0, 0x40, 0x30}, ST_READY},
        FrameCase{
            "Deceleration", {34, 0x20, 0x10}, {0xAA, 0x05, 0x38, 0x00, 0xC0, 0x20, 0x10}, ST_READY},
        FrameCase{
            "Guiding", {35, 0x08, 0x10}, {0xAA, 0x05, 0x36, 0x00, 0xC0, 0x08, 0x10}, ST_READY},
        FrameCase{"Voltage", {38}, {0xAA, 0x03, 0x2B, 0x00, 0x00}, ST_WAIT_VOLTAGE},
        FrameCase{
            "InitScope", {39, 8}, {0xAA, 0x05, 0x6A, 0x01, 0x53, 0x48, 0x45}, ST_WAIT_SYNC_ACK},
        FrameCase{"DefinePark", {40}, {0xAA, 0x03, 0x69, 0x01, 0x01}, ST_WAIT_PARK_ACK}),
    [](const ::testing::TestParamInfo<FrameCase>& info) { return std::string(info.param.name); });

TEST(CommandFrames, AdvancedStepsCarryTheSnapshotAndTheReadMeridianBytes) {
    Harness h;
    ControllerImage c;
    c.meridian0 = 0xAA;  // sent back unchanged, unescaped
    c.meridian1 = 0x5A;
    Connect(h, c);
    h.advanced.pending =
        AdvancedSettings{0x80, 0x3F, 2, 47 * 86400 + 30 * 1440, -(8 * 86400), 1, 1, 7};
    h.Request({37});
    h.Feed(kAck);
    h.Feed(kAck);
    h.Feed(kAck);
    ASSERT_EQ(h.sink.frames.size(), 4u);
    EXPECT_EQ(h.sink.frames[0], (Bytes{0xAA, 0x0B, 0x65, 0x01, 0x40, 0x9F, 0x3E, 0x00, 0x00, 0x74,
                                       0xF5, 0xFF, 0x01}));
    EXPECT_EQ(h.sink.frames[1], (Bytes{0xAA, 0x03, 0x1B, 0x01, 0x02}));
    EXPECT_EQ(h.sink.frames[2], (Bytes{0xAA, 0x06, 0x3E, 0x01, 0x01, 0xAA, 0x5A, 0x07}));
    EXPECT_EQ(h.sink.frames[3], (Bytes{0xAA, 0x03, 0x59, 0x01, 0x01}));
}

TEST(CommandFrames, StopMaskFollowsTheAxesArgumentAndReportsReady) {
    const struct {
        uint8_t axes;
        uint8_t mask;
    } cases[] = {{4, 0xC0}, {2, 0x80}, {3, 0x80}, {0, 0x40}, {1, 0x40}, {5, 0x00}, {0xFF, 0x00}};
    for (const auto& c : cases) {
        Harness h;
        Connect(h);
        h.Request({6, c.axes});
        ASSERT_EQ(h.sink.frames.size(), 1u);
        EXPECT_EQ(h.LastFrame(), (Bytes{0xAA, 0x03, 0x21, 0x00, c.mask})) << int(c.axes);
        EXPECT_EQ(h.listener.Statuses(), std::vector<int32_t>{kStatusReady});
    }
}

TEST(CommandFrames, InitScopeLettersForEveryPositionCode) {
    const struct {
        uint8_t code;
        const char* letters;  // nullptr: nothing is sent
    } cases[] = {{0, nullptr}, {1, nullptr}, {2, "AE "},  {3, nullptr},  {4, "EE "},
                 {5, "EW "},   {6, "ZE "},   {7, "ZW "},  {8, "SHE"},    {9, "SHW"},
                 {10, "NHE"},  {11, "NHW"},  {12, "EH "}, {13, "WH "},   {14, "Z  "},
                 {15, "Q  "},  {16, "HE "},  {17, "HW "}, {18, nullptr}, {255, nullptr}};
    for (const auto& c : cases) {
        Harness h;
        Connect(h);
        h.Request({40});  // an exchange in progress: InitScope runs anyway and replaces it
        h.Clear();
        h.Request({39, c.code});
        if (c.letters == nullptr) {
            EXPECT_TRUE(h.sink.frames.empty()) << int(c.code);
            EXPECT_EQ(h.protocol.ProtocolState(), ST_READY) << int(c.code);
        } else {
            ASSERT_EQ(h.sink.frames.size(), 1u) << int(c.code);
            EXPECT_EQ(
                h.LastFrame(),
                (Bytes{0xAA, 0x05, 0x6A, 0x01, static_cast<uint8_t>(c.letters[0]),
                       static_cast<uint8_t>(c.letters[1]), static_cast<uint8_t>(c.letters[2])}))
                << int(c.code);
            EXPECT_EQ(h.protocol.ProtocolState(), ST_WAIT_SYNC_ACK) << int(c.code);
        }
        EXPECT_TRUE(h.listener.Events().empty());
    }
}

}  // namespace
