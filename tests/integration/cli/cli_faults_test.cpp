// A controller that stops answering mid-restore, and controllers that are refused.
#include <gtest/gtest.h>

#include "child_process.h"

using namespace cli_test;

namespace {

const char kChanges[] = R"({"format": "axistune-settings", "version": 1, "hardware_type": 1,
  "ra": {"acceleration": 112}, "gear": {"ra_ratio": 150000},
  "site": {"mount_type": "fork"}})";

TEST(CliFaults, AControllerThatStopsAnsweringEndsTheRestoreWithWhatWasAndWasNotApplied) {
    Simulator dx5("dx5", {"--profile", "dx5", "--no-reply-to", "SET_GEAR_RATIOS"});
    const std::string path = TempPath("changes.json");
    WriteFile(path, kChanges);
    const RunResult run = RunCli(
        {"restore", "--port", dx5.Link(), path, "--store", "--snapshot-dir", TempPath("snap")});
    EXPECT_EQ(run.code, 5) << run.err;
    const std::string expected =
        "Applied:\n  ra.acceleration\n"
        "Sent, not confirmed by the controller:\n  gear.ra_ratio\n"
        "Not applied:\n  site.mount_type\n";
    EXPECT_NE(run.err.find(expected), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find("Parameters stored"), std::string::npos);
    for (const std::string& frame : dx5.HostFrames()) {
        EXPECT_EQ(frame.find("STORE_SETTINGS"), std::string::npos) << frame;
    }
}

TEST(CliFaults, CtrlCWhileAnExchangeIsAwaitedStopsSendingAndSaysWhatWasDone) {
    Simulator dx5("dx5", {"--profile", "dx5", "--no-reply-to", "SET_GEAR_RATIOS"});
    const std::string path = TempPath("changes.json");
    WriteFile(path, kChanges);
    auto gearRatiosSent = [&] {
        const std::vector<std::string> frames = dx5.HostFrames();
        return !frames.empty() && frames.back().find("SET_GEAR_RATIOS") != std::string::npos;
    };
    const RunResult run =
        RunCli({"restore", "--port", dx5.Link(), path, "--store", "--no-snapshot"}, gearRatiosSent);
    EXPECT_EQ(run.code, 130) << run.err;
    const std::string expected =
        "interrupted; the restore stopped\n"
        "Applied:\n  ra.acceleration\n"
        "Sent, not confirmed by the controller:\n  gear.ra_ratio\n"
        "Not applied:\n  site.mount_type\n";
    EXPECT_NE(run.err.find(expected), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("interrupted; disconnected"), std::string::npos) << run.err;
    EXPECT_TRUE(gearRatiosSent()) << "nothing sent after the interrupt";
}

TEST(CliFaults, RefusedControllersExitFourWithTheWindowsText) {
    const struct {
        const char* profile;
        const char* text;
    } cases[] = {
        {"old-firmware",
         "Error: The firmware in the device is too old. Please upgrade it to the "
         "latest version. (firmware 1.0.0.9)"},
        {"incompatible", "Error: Cannot connect: Incompatible device"},
        {"old-version", "Error: The firmware in the device is too old."},
    };
    for (const auto& c : cases) {
        Simulator sim(c.profile, {"--profile", c.profile});
        const RunResult run = RunCli({"info", "--port", sim.Link()});
        EXPECT_EQ(run.code, 4) << c.profile << ": " << run.err;
        EXPECT_NE(run.err.find(c.text), std::string::npos) << c.profile << ": " << run.err;
    }
}

TEST(CliFaults, AMissingPortIsReportedAsMissing) {
    const RunResult run = RunCli({"info", "--port", TempPath("no-such-tty")});
    EXPECT_EQ(run.code, 5);
    EXPECT_NE(run.err.find(": no such device"), std::string::npos) << run.err;
}

}  // namespace
