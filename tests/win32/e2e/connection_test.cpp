// The road of a connection with the real program and a simulated DX5: what the window shows
// before, during and after connecting, what the controller receives, disconnecting, and closing
// the window while connected.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "driver/wait.h"
#include "e2e_fixture.h"
#include "main_window_ids.h"

namespace e2e {
namespace {

using ::testing::IsEmpty;

// The handshake a DX5 sees: version, mode flag, firmware, base and axis settings, meridian,
// position. No closed-loop read: the DX5 has no closed-loop tracking.
const std::vector<std::string> kDx5Handshake = {"AA 01 01", "AA 01 03", "AA 01 02", "AA 01 14",
                                                "AA 01 15", "AA 01 3D", "AA 01 64"};

// The order in which the status line may change while connecting; any of them may be replaced
// before the window shows it.
const std::vector<std::string> kRoad = {"Opening port, please wait...", "Connecting...",
                                        kEstablished};

bool InOrderAlongTheRoad(const std::vector<std::string>& seen) {
    size_t next = 0;
    for (size_t i = 0; i < seen.size(); ++i) {
        if (i == 0 && seen[i].empty()) {
            continue;  // the status line before the window took the click
        }
        while (next < kRoad.size() && kRoad[next] != seen[i]) {
            ++next;
        }
        if (next == kRoad.size()) {
            return false;
        }
        ++next;
    }
    return true;
}

std::string Joined(const std::vector<std::string>& texts) {
    std::string all;
    for (const std::string& t : texts) {
        all += "\"" + t + "\" ";
    }
    return all;
}

TEST_F(E2eTest, StartsUnconnectedWithThePortListAndEveryConnectionControlDisabled) {
    ASSERT_NO_FATAL_FAILURE(Launch());

    EXPECT_EQ(main_.ComboCount(id::kPort), 256);
    EXPECT_EQ(main_.ComboSelection(id::kPort), 0);
    EXPECT_EQ(main_.ComboRowText(id::kPort, 0), "COM1");
    EXPECT_EQ(main_.ComboRowText(id::kPort, 255), "COM256");
    EXPECT_TRUE(main_.Checked(id::kBaud));
    EXPECT_EQ(main_.Text(id::kBaud), "115200 Baud (Uncheck for DX3)");
    EXPECT_FALSE(main_.Checked(id::kTrackOn));
    EXPECT_TRUE(main_.Checked(id::kTrackOff));
    ExpectDisconnectedControls();
}

TEST_F(E2eTest, ConnectShowsTheRoadThenTheControllersSettingsAndEnablesTheControls) {
    ASSERT_NO_FATAL_FAILURE(Launch());
    const SimTrace trace = Trace(port::kRoad);
    const size_t mark = trace.Mark();

    const std::vector<std::string> seen = Connect(port::kRoad);

    ASSERT_EQ(seen.back(), kEstablished) << Joined(seen) << "\n" << trace.Dump();
    EXPECT_TRUE(InOrderAlongTheRoad(seen)) << Joined(seen);
    // "Connecting..." stays at least the half second before the first query.
    EXPECT_NE(std::find(seen.begin(), seen.end(), "Connecting..."), seen.end()) << Joined(seen);
    EXPECT_EQ(trace.WaitForFrames(mark, kDx5Handshake.size(), 3000), kDx5Handshake);
    EXPECT_TRUE(trace.WaitForNote(mark, "host set 115200 baud", 1000));

    EXPECT_EQ(main_.Text(id::kFirmware), "Firmware version: 1.0.0.12");
    EXPECT_EQ(main_.Text(id::kRaGear), "172800");
    EXPECT_EQ(main_.Text(id::kDecGear), "144000");

    // The DX5's factory settings, per axis: edit text and trackbar position.
    struct Shown {
        int edit;
        const char* text;
        int bar;
        int pos;
    };
    const Shown shown[] = {
        {211, "600", 210, 20},  {311, "600", 310, 20},   // max speed: v / 30
        {213, "96", 212, 6},    {313, "96", 312, 6},     // acceleration: (v + 8) / 16
        {215, "128", 214, 8},   {315, "128", 314, 8},    // deceleration
        {230, "400", 233, 4},   {231, "600", 234, 6},    // currents: v * 16 / 1600
        {232, "1200", 235, 12}, {330, "400", 333, 4},    //
        {331, "500", 334, 5},   {332, "1200", 335, 12},  //
        {251, "5", 250, 5},     {351, "-2", 350, -2},    // overtone
        {253, "220", 252, 10},  {353, "220", 352, 10},   // increase current at: (v - 10) / 20
    };
    for (const Shown& s : shown) {
        EXPECT_EQ(main_.Text(s.edit), s.text) << "edit " << s.edit;
        EXPECT_EQ(main_.TrackbarPos(s.bar), s.pos) << "trackbar " << s.bar;
    }
    EXPECT_EQ(main_.Text(220), "1600");
    EXPECT_EQ(main_.Text(320), "1600");
    const int decays[] = {240, 241, 242, 340, 341, 342};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(main_.TrackbarPos(decays[i]), i % 3) << "decay " << decays[i];
    }
    EXPECT_EQ(main_.TrackbarPos(260), 7);  // guiding 8/16
    EXPECT_EQ(main_.TrackbarPos(360), 7);
    for (int box : {201, 202, 203, 301, 302, 303}) {
        EXPECT_FALSE(main_.Checked(box)) << "box " << box;
    }
    EXPECT_EQ(main_.TrackbarPos(id::kSpeed), 10);

    // Everything is usable but the Dec limit-switch box: the DX5 has switches on RA only.
    for (int control : kConnectionControls) {
        EXPECT_EQ(main_.Enabled(control), control != 303) << "control " << control;
    }
    EXPECT_TRUE(main_.Enabled(id::kAdvanced));
    EXPECT_TRUE(main_.Enabled(id::kConnect));
    EXPECT_TRUE(main_.Enabled(id::kDisconnect));
}

TEST_F(E2eTest, DisconnectClosesTheLineDisablesTheControlsAndAllowsConnectingAgain) {
    ASSERT_NO_FATAL_FAILURE(LaunchAndConnect(port::kRoad));
    const SimTrace trace = Trace(port::kRoad);
    const size_t mark = trace.Mark();

    ASSERT_TRUE(main_.Click(id::kDisconnect));

    std::string status;
    EXPECT_TRUE(main_.WaitForText(id::kStatus, "Connection closed", 3000, &status)) << status;
    EXPECT_TRUE(trace.WaitForNote(mark, "host closed the line", 3000)) << trace.Dump();
    ExpectDisconnectedControls();
    EXPECT_THAT(trace.HostFramesSince(mark), IsEmpty());

    const std::vector<std::string> again = Connect(port::kRoad);
    EXPECT_EQ(again.back(), kEstablished) << Joined(again);
    EXPECT_TRUE(main_.Enabled(id::kStop));
}

TEST_F(E2eTest, ClosingTheWindowWhileConnectedSendsNothingAndEndsTheProgram) {
    ASSERT_NO_FATAL_FAILURE(LaunchAndConnect(port::kRoad));
    const SimTrace trace = Trace(port::kRoad);
    // The handshake's last frame is in; from here on nothing may come.
    trace.WaitForFrames(0, 1, 1000);
    const size_t mark = trace.Mark();

    DWORD exitCode = 1;
    uint64_t elapsedMs = 0;
    ASSERT_TRUE(program_.CloseAndWait(main_, 10000, &exitCode, &elapsedMs))
        << "still running " << elapsedMs << " ms after the close box";
    EXPECT_EQ(exitCode, 0u);
    EXPECT_LT(elapsedMs, 3000u);
    std::printf("program ended %llu ms after the close box\n",
                static_cast<unsigned long long>(elapsedMs));

    EXPECT_TRUE(trace.WaitForNote(mark, "host closed the line", 3000)) << trace.Dump();
    Sleep(300);
    EXPECT_THAT(trace.HostFramesSince(mark), IsEmpty()) << trace.Dump();
}

}  // namespace
}  // namespace e2e
