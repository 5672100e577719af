// The RA and Dec panels against a simulated DX5: each trackbar released, each edit left and each
// reversal box clicked sends its set command, and the controller keeps what was sent.
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

class AxisPanelTest : public E2eTest {
  protected:
    int Shown(int edit) const { return ToInt(main_.Text(edit)); }

    std::vector<std::string> Release(int bar, int pos, size_t expected = 1) {
        return FramesOf(
            port::kAxisPanel, [&] { return main_.ReleaseTrackbarAt(bar, pos); }, expected);
    }
    std::vector<std::string> Type(int edit, const std::string& text, size_t expected = 1) {
        return FramesOf(
            port::kAxisPanel, [&] { return main_.TypeAndLeave(edit, text); }, expected);
    }
    std::vector<std::string> ClickBox(int box) {
        return FramesOf(
            port::kAxisPanel, [&] { return main_.Click(box); }, 1);
    }
    // Disconnects and connects again: the panel then shows what the controller kept.
    void Reconnect() {
        ASSERT_TRUE(main_.Click(id::kDisconnect));
        ASSERT_TRUE(main_.WaitForText(id::kStatus, "Connection closed", 3000));
        ASSERT_EQ(Connect(port::kAxisPanel).back(), kEstablished);
    }
};

TEST_F(AxisPanelTest, ReleasedTrackbarsSendTheirSetCommands) {
    ASSERT_NO_FATAL_FAILURE(LaunchAndConnect(port::kAxisPanel));
    const int decSpeed = Shown(311);
    const int decAccel = Shown(313);
    const int raDecel = Shown(215);
    const int raMax = Shown(220);
    const int decMax = Shown(320);
    ASSERT_GT(raMax, 0);

    // Max speed: (p + 1) × 30 with the other axis's stored speed.
    EXPECT_THAT(Release(210, 9), ElementsAre("AA 07 35 00 C0 " + Le16(300) + " " + Le16(decSpeed)));
    EXPECT_EQ(main_.Text(211), "300");
    EXPECT_THAT(Release(310, 39), ElementsAre("AA 07 35 00 C0 " + Le16(300) + " " + Le16(1200)));
    EXPECT_EQ(main_.Text(311), "1200");
    // Released where it already stands: the value did not change, nothing is sent.
    EXPECT_THAT(Release(210, 9, 0), IsEmpty());

    // Acceleration and deceleration: p × 16, both axes in one frame.
    EXPECT_THAT(Release(212, 3), ElementsAre("AA 05 37 00 C0 30 " + Hex8(decAccel)));
    EXPECT_EQ(main_.Text(213), "48");
    EXPECT_THAT(Release(314, 15), ElementsAre("AA 05 38 00 C0 " + Hex8(raDecel) + " F0"));
    EXPECT_EQ(main_.Text(315), "240");

    // Currents: (p + 1) × max / 16 with the selector of axis and row.
    EXPECT_THAT(Release(235, 15), ElementsAre("AA 05 33 00 82 " + Le16(16 * raMax / 16)));
    EXPECT_EQ(Shown(232), raMax);
    EXPECT_THAT(Release(333, 1), ElementsAre("AA 05 33 00 40 " + Le16(2 * decMax / 16)));
    EXPECT_EQ(Shown(330), 2 * decMax / 16);

    // Decay: sent on every release, moved or not.
    EXPECT_THAT(Release(241, 3), ElementsAre("AA 04 34 00 81 03"));
    const int decIdleDecay = main_.TrackbarPos(340);
    EXPECT_THAT(Release(340, decIdleDecay), ElementsAre("AA 04 34 00 40 " + Hex8(decIdleDecay)));

    // Overtone -20..20, signed byte.
    EXPECT_THAT(Release(250, -7), ElementsAre("AA 04 3B 00 80 F9"));
    EXPECT_EQ(main_.Text(251), "-7");

    // Increase current at: p × 20 + 20, twice.
    EXPECT_THAT(Release(352, 20), ElementsAre("AA 07 3C 00 40 A4 01 A4 01"));
    EXPECT_EQ(main_.Text(353), "420");

    // Guiding: both sliders' positions + 1, on every release.
    const int decGuiding = main_.TrackbarPos(360);
    EXPECT_THAT(Release(260, 15), ElementsAre("AA 05 36 00 C0 10 " + Hex8(decGuiding + 1)));
    EXPECT_THAT(Release(360, 0), ElementsAre("AA 05 36 00 C0 10 01"));
}

TEST_F(AxisPanelTest, EditsSendWhenLeftAndTheControllerKeepsTheValues) {
    ASSERT_NO_FATAL_FAILURE(LaunchAndConnect(port::kAxisPanel));
    const int decSpeed = Shown(311);
    const int raAccel = Shown(213);
    const int raMax = Shown(220);
    ASSERT_GT(raMax, 0);

    EXPECT_THAT(Type(211, "450"),
                ElementsAre("AA 07 35 00 C0 " + Le16(450) + " " + Le16(decSpeed)));
    EXPECT_EQ(main_.TrackbarPos(210), 15);
    // A byte field keeps the low eight bits (300 → 44); the edit keeps what was typed.
    EXPECT_THAT(Type(313, "300"), ElementsAre("AA 05 37 00 C0 " + Hex8(raAccel) + " 2C"));
    EXPECT_EQ(main_.TrackbarPos(312), 3);
    EXPECT_EQ(main_.Text(313), "300");
    EXPECT_THAT(Type(231, "700"), ElementsAre("AA 05 33 00 81 " + Le16(700)));
    EXPECT_EQ(main_.TrackbarPos(234), 700 * 16 / raMax);
    // Beyond the overtone range: sent as typed, the thumb stops at the end.
    EXPECT_THAT(Type(351, "-30"), ElementsAre("AA 04 3B 00 40 E2"));
    EXPECT_EQ(main_.TrackbarPos(350), -20);
    EXPECT_THAT(Type(253, "100"), ElementsAre("AA 07 3C 00 80 64 00 64 00"));
    EXPECT_EQ(main_.TrackbarPos(252), 4);
    // Text that is no number reads as 0.
    EXPECT_THAT(Type(330, "abc"), ElementsAre("AA 05 33 00 40 00 00"));
    EXPECT_EQ(main_.TrackbarPos(333), 0);
    // Left unchanged: nothing is sent.
    EXPECT_THAT(Type(215, main_.Text(215), 0), IsEmpty());

    ASSERT_NO_FATAL_FAILURE(Reconnect());
    EXPECT_EQ(main_.Text(211), "450");
    EXPECT_EQ(main_.Text(313), "44");
    EXPECT_EQ(main_.Text(231), "700");
    EXPECT_EQ(main_.Text(351), "-30");
    EXPECT_EQ(main_.Text(253), "100");
    EXPECT_EQ(main_.Text(330), "0");
}

TEST_F(AxisPanelTest, ReversalBoxesSendAllThreeMasksAndTheControllerKeepsThem) {
    ASSERT_NO_FATAL_FAILURE(LaunchAndConnect(port::kAxisPanel));
    for (int box : {201, 202, 203, 301, 302, 303}) {
        ASSERT_FALSE(main_.Checked(box)) << "box " << box << " of a fresh controller";
    }
    // Rotation, autoguiding, limit switches; bit 0 RA, bit 1 Dec.
    EXPECT_THAT(ClickBox(201), ElementsAre("AA 06 32 00 C0 01 00 00"));
    EXPECT_THAT(ClickBox(302), ElementsAre("AA 06 32 00 C0 01 02 00"));
    EXPECT_THAT(ClickBox(203), ElementsAre("AA 06 32 00 C0 01 02 01"));
    EXPECT_THAT(ClickBox(201), ElementsAre("AA 06 32 00 C0 00 02 01"));
    EXPECT_FALSE(main_.Enabled(303));  // the DX5 has no Dec limit switches

    ASSERT_NO_FATAL_FAILURE(Reconnect());
    EXPECT_FALSE(main_.Checked(201));
    EXPECT_TRUE(main_.Checked(302));
    EXPECT_TRUE(main_.Checked(203));
    EXPECT_FALSE(main_.Checked(202));
}

}  // namespace
}  // namespace e2e
