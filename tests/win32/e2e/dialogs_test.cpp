// The secondary dialogs with the real program: what they show from the controller, and what
// reaches the controller when they close with Ok, Cancel or Exit.
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

constexpr int32_t kDegree = 86400;
constexpr int32_t kArcminute = 1440;

TEST_F(E2eTest, GearRatioDialogSendsTheRatiosAndTheWindowShowsWhatTheControllerReadsBack) {
    ASSERT_NO_FATAL_FAILURE(LaunchAndConnect(port::kGear));
    const SimTrace trace = Trace(port::kGear);

    // Cancel sends nothing, whatever was typed.
    Window dialog = OpenDialog(id::kChangeGear, kGearTitle);
    ASSERT_TRUE(dialog.Exists());
    EXPECT_EQ(dialog.Text(id::kGearRa), "172800");
    EXPECT_EQ(dialog.Text(id::kGearDec), "144000");
    size_t mark = trace.Mark();
    ASSERT_TRUE(dialog.SetText(id::kGearRa, "1234"));
    ASSERT_TRUE(PressAndWaitGone(dialog, id::kCancel));
    EXPECT_THAT(trace.WaitForFrames(mark, 0, 0, 400), IsEmpty());

    dialog = OpenDialog(id::kChangeGear, kGearTitle);
    ASSERT_TRUE(dialog.Exists());
    EXPECT_EQ(dialog.Text(id::kGearRa), "172800");
    ASSERT_TRUE(dialog.SetText(id::kGearRa, "160000"));
    ASSERT_TRUE(dialog.SetText(id::kGearDec, "150000"));
    mark = trace.Mark();
    ASSERT_TRUE(PressAndWaitGone(dialog, id::kOk));

    // The ratios, then the base settings read again after the acknowledgement.
    EXPECT_THAT(trace.WaitForFrames(mark, 2, 3000),
                ElementsAre("AA 0B 1A 01 C0 " + Le32(160000) + " " + Le32(150000), "AA 01 14"));
    EXPECT_TRUE(main_.WaitForText(id::kRaGear, "160000", 3000));
    EXPECT_TRUE(main_.WaitForText(id::kDecGear, "150000", 3000));

    // The dialog now starts from the ratios read back.
    dialog = OpenDialog(id::kChangeGear, kGearTitle);
    ASSERT_TRUE(dialog.Exists());
    EXPECT_EQ(dialog.Text(id::kGearRa), "160000");
    EXPECT_EQ(dialog.Text(id::kGearDec), "150000");
    EXPECT_TRUE(PressAndWaitGone(dialog, id::kCancel));
}

TEST_F(E2eTest, AdvancedSettingsRunTheirChainToSettingsDoneAndTheControllerKeepsThem) {
    ASSERT_NO_FATAL_FAILURE(Launch());
    const SimTrace trace = Trace(port::kRv5);
    size_t mark = trace.Mark();
    ASSERT_EQ(Connect(port::kRv5).back(), kEstablished);
    // The RV5 has closed-loop tracking: its default is read last.
    EXPECT_EQ(trace.WaitForFrames(mark, 8, 3000).back(), "AA 01 58");
    EXPECT_EQ(main_.Text(id::kFirmware), "Firmware version: 1.0.0.7");
    EXPECT_TRUE(main_.Enabled(203));  // limit switches on RA only
    EXPECT_FALSE(main_.Enabled(303));

    Window dialog = OpenDialog(id::kAdvanced, kAdvancedTitle);
    ASSERT_TRUE(dialog.Exists());
    EXPECT_EQ(dialog.Text(id::kLatitude), "S 33:52:00");
    EXPECT_EQ(dialog.Text(id::kLongitude), "E 151:12:00");
    EXPECT_TRUE(dialog.Checked(id::kSouthHemisphere));
    EXPECT_FALSE(dialog.Checked(id::kNorthHemisphere));
    EXPECT_TRUE(dialog.Checked(id::kGermanMount));
    EXPECT_EQ(dialog.Text(id::kHysteresis), "10");
    EXPECT_TRUE(dialog.Enabled(id::kClosedLoop));
    EXPECT_TRUE(dialog.Checked(id::kClosedLoop));

    // Cancel after editing sends nothing.
    ASSERT_TRUE(dialog.SetText(id::kLatitude, "N 1:00:00"));
    mark = trace.Mark();
    ASSERT_TRUE(PressAndWaitGone(dialog, id::kCancel));
    EXPECT_THAT(trace.WaitForFrames(mark, 0, 0, 400), IsEmpty());

    dialog = OpenDialog(id::kAdvanced, kAdvancedTitle);
    ASSERT_TRUE(dialog.Exists());
    EXPECT_EQ(dialog.Text(id::kLatitude), "S 33:52:00");
    ASSERT_TRUE(dialog.SetText(id::kLatitude, "S 34:00:00"));
    ASSERT_TRUE(dialog.Click(id::kNorthHemisphere));
    EXPECT_TRUE(dialog.Checked(id::kNorthHemisphere));
    EXPECT_FALSE(dialog.Checked(id::kSouthHemisphere));
    ASSERT_TRUE(dialog.Click(id::kForkMount));
    EXPECT_FALSE(dialog.Checked(id::kGermanMount));
    ASSERT_TRUE(dialog.SetText(id::kHysteresis, "12"));
    ASSERT_TRUE(dialog.SetChecked(id::kClosedLoop, false));
    mark = trace.Mark();
    ASSERT_TRUE(PressAndWaitGone(dialog, id::kOk));

    // Position with hemisphere, mount type, meridian flip (the meridian bytes as read, 1 and 1),
    // closed loop: each after the previous one's acknowledgement.
    const int32_t latitude = -34 * kDegree;
    const int32_t longitude = 151 * kDegree + 12 * kArcminute;
    EXPECT_THAT(trace.WaitForFrames(mark, 4, 3000),
                ElementsAre("AA 0B 65 01 " + Le32(static_cast<uint32_t>(latitude)) + " " +
                                Le32(static_cast<uint32_t>(longitude)) + " 00",
                            "AA 03 1B 01 01", "AA 06 3E 01 01 01 01 0C", "AA 03 59 01 00"));
    std::string status;
    EXPECT_TRUE(main_.WaitForText(id::kStatus, "Settings done.", 3000, &status)) << status;

    // Read back from the controller on the next connection.
    ASSERT_TRUE(main_.Click(id::kDisconnect));
    ASSERT_TRUE(main_.WaitForText(id::kStatus, "Connection closed", 3000));
    ASSERT_EQ(Connect(port::kRv5).back(), kEstablished);
    dialog = OpenDialog(id::kAdvanced, kAdvancedTitle);
    ASSERT_TRUE(dialog.Exists());
    EXPECT_EQ(dialog.Text(id::kLatitude), "S 34:00:00");
    EXPECT_EQ(dialog.Text(id::kLongitude), "E 151:12:00");
    EXPECT_TRUE(dialog.Checked(id::kNorthHemisphere));
    EXPECT_TRUE(dialog.Checked(id::kForkMount));
    EXPECT_EQ(dialog.Text(id::kHysteresis), "12");
    EXPECT_FALSE(dialog.Checked(id::kClosedLoop));
    // Ok without a change sends nothing.
    mark = trace.Mark();
    ASSERT_TRUE(PressAndWaitGone(dialog, id::kOk));
    EXPECT_THAT(trace.WaitForFrames(mark, 0, 0, 400), IsEmpty());
}

TEST_F(E2eTest, InitScopeOffersTheGermanMountsPositionsAndSynchronisesToTheChosenOne) {
    ASSERT_NO_FATAL_FAILURE(LaunchAndConnect(port::kCommands));
    const SimTrace trace = Trace(port::kCommands);

    Window dialog = OpenDialog(id::kInitScope, kInitTitle);
    ASSERT_TRUE(dialog.Exists());
    EXPECT_EQ(dialog.ComboCount(id::kPosition), 10);
    EXPECT_EQ(dialog.ComboSelection(id::kPosition), 0);
    EXPECT_EQ(dialog.ComboRowText(id::kPosition, 0), "Default east side - Equator");
    EXPECT_EQ(dialog.ComboRowText(id::kPosition, 9), "Western Horizon");
    EXPECT_EQ(dialog.Text(id::kExplanation), "Explanation of the selected position");
    // Exit sends nothing.
    size_t mark = trace.Mark();
    ASSERT_TRUE(PressAndWaitGone(dialog, id::kCancel));
    EXPECT_THAT(trace.WaitForFrames(mark, 0, 0, 400), IsEmpty());

    dialog = OpenDialog(id::kInitScope, kInitTitle);
    ASSERT_TRUE(dialog.Exists());
    ASSERT_TRUE(dialog.SelectRow(id::kPosition, 7));
    EXPECT_EQ(dialog.ComboRowText(id::kPosition, 7), "West side - North Horizon");
    EXPECT_EQ(dialog.Text(id::kExplanation),
              "Counterweight points to east, scope at the western side, looks to the north "
              "Horizon.");
    mark = trace.Mark();
    ASSERT_TRUE(PressAndWaitGone(dialog, id::kOk));
    EXPECT_THAT(trace.WaitForFrames(mark, 1, 3000), ElementsAre("AA 05 6A 01 4E 48 57"));
    std::string status;
    EXPECT_TRUE(main_.WaitForText(id::kStatus, "Telescope synchronized to the given position.",
                                  3000, &status))
        << status;
}

TEST_F(E2eTest, Dx3ConnectsAt9600BaudAndOffersTheForkMountsPositions) {
    ASSERT_NO_FATAL_FAILURE(Launch());
    const SimTrace trace = Trace(port::kDx3);
    size_t mark = trace.Mark();
    ASSERT_EQ(Connect(port::kDx3, false).back(), kEstablished) << trace.Dump();
    EXPECT_TRUE(trace.WaitForNote(mark, "host set 9600 baud", 1000)) << trace.Dump();
    EXPECT_EQ(main_.Text(id::kFirmware), "Firmware version: 1.0.0.10");
    EXPECT_EQ(main_.Text(id::kRaGear), "138240");

    Window dialog = OpenDialog(id::kInitScope, kInitTitle);
    ASSERT_TRUE(dialog.Exists());
    ASSERT_EQ(dialog.ComboCount(id::kPosition), 4);
    const char* rows[] = {"Zenith", "Meridian, Equator", "Eastern horizon", "Western horizon"};
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(dialog.ComboRowText(id::kPosition, row), rows[row]);
    }
    mark = trace.Mark();
    ASSERT_TRUE(PressAndWaitGone(dialog, id::kOk));
    EXPECT_THAT(trace.WaitForFrames(mark, 1, 3000), ElementsAre("AA 05 6A 01 5A 20 20"));
    EXPECT_TRUE(
        main_.WaitForText(id::kStatus, "Telescope synchronized to the given position.", 3000));
}

}  // namespace
}  // namespace e2e
