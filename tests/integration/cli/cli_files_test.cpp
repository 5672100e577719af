// Settings files that must not reach the controller, and restores that must send only part.
#include <gtest/gtest.h>

#include "child_process.h"

using namespace cli_test;

namespace {

const char kValid[] = R"({"format": "axistune-settings", "version": 1, "hardware_type": 1,
  "ra": {"acceleration": 112}, "gear": {"ra_ratio": 150000}})";

// Frames other than the handshake's reads: what would change the controller.
std::vector<std::string> Changes(const Simulator& sim) {
    std::vector<std::string> changes;
    for (const std::string& frame : sim.HostFrames()) {
        if (frame.find("READ_") == std::string::npos) {
            changes.push_back(frame);
        }
    }
    return changes;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

TEST(CliFiles, EachClassOfBadFileExitsThreeBeforeThePortIsOpened) {
    const struct {
        const char* what;
        std::string text;
        const char* message;  // part of the message, which names the key
    } cases[] = {
        {"not JSON", "hello", "not valid JSON"},
        {"cut short", std::string(kValid).substr(0, 60), "cut short"},
        {"unknown key", R"({"format": "axistune-settings", "version": 1, "hardware_type": 1,
           "ra": {"acceleraton": 112}})",
         "ra.acceleraton: unknown setting"},
        {"wrong type", R"({"format": "axistune-settings", "version": 1, "hardware_type": 1,
           "ra": {"acceleration": "fast"}})",
         "ra.acceleration: expected a whole number, found text"},
        {"out of range", R"({"format": "axistune-settings", "version": 1, "hardware_type": 1,
           "ra": {"acceleration": 300}})",
         "ra.acceleration: 300 is outside what the controller takes: 0 to 255"},
        {"bad angle", R"({"format": "axistune-settings", "version": 1, "hardware_type": 1,
           "site": {"latitude": "N 47:75:00"}})",
         "site.latitude: minutes and seconds must be 00 to 59"},
        {"newer version", R"({"format": "axistune-settings", "version": 2, "hardware_type": 1})",
         "version: format version 2 was written by a newer AxisTune"},
        {"another format", R"({"format": "something", "version": 1})", "format:"},
    };
    // A port that cannot open would end with 5: exit 3 shows the file was refused first.
    const std::string missingPort = TempPath("no-such-tty");
    for (const auto& c : cases) {
        const std::string path = TempPath("bad.json");
        WriteFile(path, c.text);
        for (const char* command : {"restore", "diff"}) {
            const RunResult run = RunCli({command, "--port", missingPort, path});
            EXPECT_EQ(run.code, 3) << c.what << " " << command << ": " << run.err;
            EXPECT_NE(run.err.find(path + ": "), std::string::npos) << c.what << ": " << run.err;
            EXPECT_NE(run.err.find(c.message), std::string::npos) << c.what << ": " << run.err;
        }
    }
}

TEST(CliFiles, AFileOfAnotherHardwareTypeIsRefusedOnceTheIdentityIsRead) {
    Simulator rv5("rv5", {"--profile", "rv5"});
    const std::string path = TempPath("dx5.json");
    WriteFile(path, kValid);
    const RunResult run = RunCli({"restore", "--port", rv5.Link(), path});
    EXPECT_EQ(run.code, 3) << run.err;
    EXPECT_NE(run.err.find("hardware type 1, the controller is of type 5"), std::string::npos);
    EXPECT_EQ(Joined(Changes(rv5)), "");
}

TEST(CliFiles, DryRunSendsNothingAndOnlyGearSendsOnlyTheGearRatios) {
    Simulator dx5("dx5", {"--profile", "dx5"});
    const std::string path = TempPath("partial.json");
    WriteFile(path, kValid);

    const RunResult dry = RunCli({"restore", "--port", dx5.Link(), path, "--dry-run"});
    EXPECT_EQ(dry.code, 0) << dry.err;
    EXPECT_NE(dry.out.find("ra.acceleration: 96 -> 112"), std::string::npos) << dry.out;
    EXPECT_NE(dry.out.find("SetGearRatios(150000, 144000)"), std::string::npos) << dry.out;
    EXPECT_EQ(Joined(Changes(dx5)), "");

    const RunResult gear =
        RunCli({"restore", "--port", dx5.Link(), path, "--only", "gear", "--no-snapshot"});
    EXPECT_EQ(gear.code, 0) << gear.err;
    const std::vector<std::string> changes = Changes(dx5);
    ASSERT_EQ(changes.size(), 1u) << Joined(changes);
    EXPECT_NE(changes[0].find("SET_GEAR_RATIOS"), std::string::npos) << changes[0];
    EXPECT_EQ(gear.out.find("acceleration"), std::string::npos) << gear.out;
}

}  // namespace
