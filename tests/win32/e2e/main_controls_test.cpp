// The main window's own controls against a simulated DX5 (German mount): each click and the
// frame the controller receives for it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_fixture.h"
#include "main_window_ids.h"

namespace e2e {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The DX5's sidereal rates: gear ratio × 50 / 86164.09 steps, rounded (RA 172800 → 100, Dec
// 144000 → 84), and its maximum speed 600.
constexpr int kRaSidereal = 100;
constexpr int kDecSidereal = 84;
constexpr int kMaxSpeed = 600;

std::string Move(int axis, int speed) {
    return "AA 07 23 00 " + Hex8(static_cast<uint32_t>(axis)) + " " +
           Le32(static_cast<uint32_t>(speed));
}

class MainControlsTest : public E2eTest {
  protected:
    std::vector<std::string> ClickFrames(int control, size_t expected = 1) {
        return FramesOf(
            port::kMainControls, [&] { return main_.Click(control); }, expected);
    }
};

TEST_F(MainControlsTest, ArrowsMoveEachAxisInItsDirectionAtTheSlidersSpeedAndStopStopsBoth) {
    ASSERT_NO_FATAL_FAILURE(LaunchAndConnect(port::kMainControls));

    // "Sidereal" only moves the slider.
    EXPECT_THAT(ClickFrames(id::kSidereal, 0), IsEmpty());
    EXPECT_EQ(main_.TrackbarPos(id::kSpeed), 2);
    // North and south are Dec, + and -; at index 2 the speed is the sidereal rate.
    EXPECT_THAT(ClickFrames(id::kNorth), ElementsAre(Move(0x40, kDecSidereal)));
    EXPECT_EQ(main_.Text(id::kStatus), "Manual movement");
    EXPECT_THAT(ClickFrames(id::kSouth), ElementsAre(Move(0x40, -kDecSidereal)));

    // "2X Sidereal": index 5, twice the rate. East (left arrow) is RA -, west (right) RA +.
    EXPECT_THAT(ClickFrames(id::kSidereal2x, 0), IsEmpty());
    EXPECT_EQ(main_.TrackbarPos(id::kSpeed), 5);
    EXPECT_THAT(ClickFrames(id::kEast), ElementsAre(Move(0x80, -2 * kRaSidereal)));
    EXPECT_THAT(ClickFrames(id::kWest), ElementsAre(Move(0x80, 2 * kRaSidereal)));

    // Moving the slider itself sends nothing; the next arrow takes its speed: the top rate.
    EXPECT_THAT(
        FramesOf(
            port::kMainControls, [&] { return main_.ReleaseTrackbarAt(id::kSpeed, 31); }, 0),
        IsEmpty());
    EXPECT_THAT(ClickFrames(id::kWest), ElementsAre(Move(0x80, kMaxSpeed * kRaSidereal)));
    EXPECT_THAT(ClickFrames(id::kNorth), ElementsAre(Move(0x40, kMaxSpeed * kDecSidereal)));

    EXPECT_THAT(ClickFrames(id::kStop), ElementsAre("AA 03 21 00 C0"));
    EXPECT_EQ(main_.Text(id::kStatus), "Ready");
}

TEST_F(MainControlsTest, TrackAndExpButtonsSendTheirCommandsAndTrackingShowsItsState) {
    ASSERT_NO_FATAL_FAILURE(LaunchAndConnect(port::kMainControls));

    EXPECT_THAT(ClickFrames(id::kTrackOn), ElementsAre("AA 03 24 00 01"));
    EXPECT_TRUE(main_.Checked(id::kTrackOn));
    EXPECT_FALSE(main_.Checked(id::kTrackOff));
    // Pressed again: sent again, stays pressed.
    EXPECT_THAT(ClickFrames(id::kTrackOn), ElementsAre("AA 03 24 00 01"));
    EXPECT_TRUE(main_.Checked(id::kTrackOn));

    EXPECT_THAT(ClickFrames(id::kTrackOff), ElementsAre("AA 03 24 00 00"));
    EXPECT_FALSE(main_.Checked(id::kTrackOn));
    EXPECT_TRUE(main_.Checked(id::kTrackOff));

    EXPECT_THAT(ClickFrames(id::kExpOn), ElementsAre("AA 03 28 00 01"));
    EXPECT_THAT(ClickFrames(id::kExpOff), ElementsAre("AA 03 28 00 00"));
}

}  // namespace
}  // namespace e2e
