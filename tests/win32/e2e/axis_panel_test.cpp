// The RA and Dec panels against a simulated DX5: each trackbar released, each edit left and each
// reversal box clicked sends its set command, and the controller keeps what was sent.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
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

// One step of a table: a trackbar released at a position, or an edit typed into and left; the
// frame the controller must receive (empty: nothing), and what the twin control shows after.
struct Step {
    int control;
    int pos;           // trackbars
    std::string text;  // edits
    std::string frame;
    int twin;               // the edit of a trackbar, the trackbar of an edit; 0: none
    std::string twinShows;  // edits: the text; trackbars: the position
};

std::string Speeds(int ra, int dec) {
    return "AA 07 35 00 C0 " + Le16(static_cast<uint32_t>(ra)) + " " +
           Le16(static_cast<uint32_t>(dec));
}
std::string Bytes(const char* command, int ra, int dec) {
    return std::string("AA 05 ") + command + " 00 C0 " + Hex8(static_cast<uint32_t>(ra)) + " " +
           Hex8(static_cast<uint32_t>(dec));
}
std::string Current(const char* selector, int milliamps) {
    return std::string("AA 05 33 00 ") + selector + " " + Le16(static_cast<uint32_t>(milliamps));
}

TEST_F(AxisPanelTest, EveryTrackbarSendsItsSetCommandWhenReleased) {
    ASSERT_NO_FATAL_FAILURE(LaunchAndConnect(port::kAxisPanel));
    const int decSpeed = Shown(311);
    const int decAccel = Shown(313);
    const int decDecel = Shown(315);
    const int max = Shown(220);
    const int decMax = Shown(320);
    const int decGuiding = main_.TrackbarPos(360);
    ASSERT_GT(max, 0);
    ASSERT_GT(decMax, 0);

    const Step steps[] = {
        // Max speed: (p + 1) × 30, both axes in one frame.
        {210, 9, "", Speeds(300, decSpeed), 211, "300"},
        {310, 39, "", Speeds(300, 1200), 311, "1200"},
        // Released where it stands: the value did not change, nothing is sent.
        {210, 9, "", "", 211, "300"},
        // Acceleration and deceleration: p × 16.
        {212, 3, "", Bytes("37", 48, decAccel), 213, "48"},
        {312, 12, "", Bytes("37", 48, 192), 313, "192"},
        {214, 2, "", Bytes("38", 32, decDecel), 215, "32"},
        {314, 15, "", Bytes("38", 32, 240), 315, "240"},
        // Currents: (p + 1) × max / 16, selector axis + row.
        {233, 1, "", Current("80", 2 * max / 16), 230, std::to_string(2 * max / 16)},
        {234, 9, "", Current("81", 10 * max / 16), 231, std::to_string(10 * max / 16)},
        {235, 15, "", Current("82", max), 232, std::to_string(max)},
        {333, 1, "", Current("40", 2 * decMax / 16), 330, std::to_string(2 * decMax / 16)},
        {334, 3, "", Current("41", 4 * decMax / 16), 331, std::to_string(4 * decMax / 16)},
        {335, 7, "", Current("42", 8 * decMax / 16), 332, std::to_string(8 * decMax / 16)},
        // Decay: the position, sent on every release.
        {240, 3, "", "AA 04 34 00 80 03", 0, ""},
        {241, 3, "", "AA 04 34 00 81 03", 0, ""},
        {242, 1, "", "AA 04 34 00 82 01", 0, ""},
        {340, 0, "", "AA 04 34 00 40 00", 0, ""},
        {341, 2, "", "AA 04 34 00 41 02", 0, ""},
        {342, 3, "", "AA 04 34 00 42 03", 0, ""},
        {342, 3, "", "AA 04 34 00 42 03", 0, ""},
        // Overtone -20..20 as a signed byte.
        {250, -7, "", "AA 04 3B 00 80 F9", 251, "-7"},
        {350, 20, "", "AA 04 3B 00 40 14", 351, "20"},
        // Increase current at: p × 20 + 20, sent twice.
        {252, 1, "", "AA 07 3C 00 80 28 00 28 00", 253, "40"},
        {352, 20, "", "AA 07 3C 00 40 A4 01 A4 01", 353, "420"},
        // Guiding: both positions + 1, on every release.
        {260, 15, "", Bytes("36", 16, decGuiding + 1), 0, ""},
        {360, 0, "", Bytes("36", 16, 1), 0, ""},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE("trackbar " + std::to_string(step.control) + " at " +
                     std::to_string(step.pos));
        const std::vector<std::string> frames =
            Release(step.control, step.pos, step.frame.empty() ? 0 : 1);
        if (step.frame.empty()) {
            EXPECT_THAT(frames, IsEmpty());
        } else {
            EXPECT_THAT(frames, ElementsAre(step.frame));
        }
        if (step.twin != 0) {
            EXPECT_EQ(main_.Text(step.twin), step.twinShows);
        }
    }
}

TEST_F(AxisPanelTest, EveryEditSendsWhenLeftAndTheControllerKeepsTheValues) {
    ASSERT_NO_FATAL_FAILURE(LaunchAndConnect(port::kAxisPanel));
    const int decAccel = Shown(313);
    const int decDecel = Shown(315);
    const int max = Shown(220);
    const int decMax = Shown(320);
    ASSERT_GT(max, 0);
    ASSERT_GT(decMax, 0);
    const int decSpeed = Shown(311);

    const Step steps[] = {
        {211, 0, "450", Speeds(450, decSpeed), 210, "15"},
        {311, 0, "500", Speeds(450, 500), 310, "16"},
        {213, 0, "64", Bytes("37", 64, decAccel), 212, "4"},
        // A byte field keeps the low eight bits (300 → 44); the edit keeps what was typed.
        {313, 0, "300", Bytes("37", 64, 44), 312, "3"},
        {215, 0, "48", Bytes("38", 48, decDecel), 214, "3"},
        {315, 0, "80", Bytes("38", 48, 80), 314, "5"},
        // Currents: the thumb goes to v × 16 / max.
        {230, 0, "300", Current("80", 300), 233, std::to_string(300 * 16 / max)},
        {231, 0, "700", Current("81", 700), 234, std::to_string(700 * 16 / max)},
        {232, 0, "1000", Current("82", 1000), 235, std::to_string(1000 * 16 / max)},
        // Text that is no number reads as 0.
        {330, 0, "abc", Current("40", 0), 333, "0"},
        {331, 0, "900", Current("41", 900), 334, std::to_string(900 * 16 / decMax)},
        {332, 0, "1500", Current("42", 1500), 335, std::to_string(1500 * 16 / decMax)},
        {251, 0, "12", "AA 04 3B 00 80 0C", 250, "12"},
        // Beyond the overtone range: sent as typed, the thumb stops at the end.
        {351, 0, "-30", "AA 04 3B 00 40 E2", 350, "-20"},
        {253, 0, "100", "AA 07 3C 00 80 64 00 64 00", 252, "4"},
        {353, 0, "300", "AA 07 3C 00 40 2C 01 2C 01", 352, "14"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE("edit " + std::to_string(step.control) + " = " + step.text);
        EXPECT_THAT(Type(step.control, step.text), ElementsAre(step.frame));
        EXPECT_EQ(std::to_string(main_.TrackbarPos(step.twin)), step.twinShows);
        EXPECT_EQ(main_.Text(step.control), step.text);
    }
    // Left with the value it had: nothing is sent.
    EXPECT_THAT(Type(215, "48", 0), IsEmpty());

    ASSERT_NO_FATAL_FAILURE(Reconnect());
    const std::pair<int, const char*> kept[] = {
        {211, "450"}, {311, "500"}, {213, "64"},   {313, "44"},  {215, "48"},  {315, "80"},
        {230, "300"}, {231, "700"}, {232, "1000"}, {330, "0"},   {331, "900"}, {332, "1500"},
        {251, "12"},  {351, "-30"}, {253, "100"},  {353, "300"},
    };
    for (const auto& k : kept) {
        EXPECT_EQ(main_.Text(k.first), k.second) << "edit " << k.first << " after reconnecting";
    }
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
