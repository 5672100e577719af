// Define park, Save and Reload against a simulated DX5: the frame, the acknowledgement text, and
// for Reload the settings read again.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_fixture.h"
#include "main_window_ids.h"

namespace e2e {
namespace {

using ::testing::ElementsAre;

TEST_F(E2eTest, DefineParkSaveAndReloadAreAcknowledgedWithTheirTexts) {
    ASSERT_NO_FATAL_FAILURE(LaunchAndConnect(port::kCommands));
    std::string status;

    EXPECT_THAT(FramesOf(
                    port::kCommands, [&] { return main_.Click(id::kDefinePark); }, 1),
                ElementsAre("AA 03 69 01 01"));
    EXPECT_TRUE(
        main_.WaitForText(id::kStatus, "Current position marked as park position.", 3000, &status))
        << status;

    // A changed speed, stored, then the factory defaults reloaded over it.
    const std::string decSpeed = Le16(static_cast<uint32_t>(ToInt(main_.Text(311))));
    EXPECT_THAT(FramesOf(
                    port::kCommands, [&] { return main_.TypeAndLeave(211, "900"); }, 1),
                ElementsAre("AA 07 35 00 C0 " + Le16(900) + " " + decSpeed));
    EXPECT_THAT(FramesOf(
                    port::kCommands, [&] { return main_.Click(id::kStoreSettings); }, 1),
                ElementsAre("AA 02 0D 01"));
    EXPECT_TRUE(main_.WaitForText(id::kStatus, "Parameters stored...", 3000, &status)) << status;

    EXPECT_THAT(FramesOf(
                    port::kCommands, [&] { return main_.Click(id::kReloadDefaults); }, 5),
                ElementsAre("AA 02 0C 01", "AA 01 14", "AA 01 15", "AA 01 3D", "AA 01 64"));
    EXPECT_TRUE(main_.WaitForText(id::kStatus, "Default settings reloaded", 3000, &status))
        << status;
    EXPECT_EQ(main_.Text(211), "600");
    EXPECT_EQ(main_.TrackbarPos(210), 20);
    EXPECT_TRUE(main_.Enabled(id::kStop));
    EXPECT_TRUE(main_.Enabled(id::kAdvanced));
}

}  // namespace
}  // namespace e2e
