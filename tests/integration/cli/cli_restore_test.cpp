// Backup, diff and restore between simulated controllers, through the program itself.
#include <gtest/gtest.h>

#include <sstream>

#include "child_process.h"
#include "core/settings_file.h"
#include "support/changed_settings.h"

using namespace cli_test;
using namespace axistune;

namespace {

SettingsFile Parse(const std::string& path) {
    SettingsFile file;
    SettingsFileError error;
    EXPECT_TRUE(ReadSettingsFile(ReadFile(path), &file, &error)) << path << ": " << error.message;
    return file;
}

// "AA 01 01  READ_VERSION" for each frame line of an axistune-cli trace.
std::vector<std::string> TracedFrames(const std::string& path) {
    std::vector<std::string> frames;
    std::istringstream lines(ReadFile(path));
    const std::string marker = "-> frame ";
    for (std::string line; std::getline(lines, line);) {
        if (const size_t at = line.find(marker); at != std::string::npos) {
            frames.push_back(line.substr(at + marker.size()));
        }
    }
    return frames;
}

TEST(CliRestore, BackupOfOneControllerRestoredOntoAnotherIsReportedAfterAFreshConnect) {
    Simulator dx3("dx3", {"--profile", "dx3", "--baud", "115200"});
    Simulator dx5("dx5", {"--profile", "dx5"});
    const std::string backup = TempPath("dx3.json");
    ASSERT_EQ(RunCli({"backup", "--port", dx3.Link(), "-o", backup}).code, 0);

    const RunResult before = RunCli({"diff", "--port", dx5.Link(), backup});
    EXPECT_EQ(before.code, 1);
    EXPECT_NE(before.out.find("gear.ra_ratio: controller 172800, file 138240"), std::string::npos)
        << before.out;
    EXPECT_NE(before.out.find("site.mount_type: controller german-equatorial, file fork"),
              std::string::npos);

    const RunResult restore = RunCli(
        {"restore", "--port", dx5.Link(), backup, "--store", "--snapshot-dir", TempPath("snap")});
    ASSERT_EQ(restore.code, 0) << restore.err;
    EXPECT_NE(restore.out.find("Parameters stored..."), std::string::npos);

    const RunResult after = RunCli({"diff", "--port", dx5.Link(), backup});
    EXPECT_EQ(after.code, 0) << after.out;
    // Only what a restore can never write is left: the firmware and the maximum currents.
    EXPECT_NE(after.out.find("ra.max_current_mA: controller 1600 mA, file 1000 mA (read-only)"),
              std::string::npos);
}

TEST(CliRestore, EverySettingChangesAndTheSnapshotBringsTheOldSettingsBack) {
    Simulator rv5("rv5", {"--profile", "rv5"});
    const std::string original = TempPath("original.json");
    ASSERT_EQ(RunCli({"backup", "--port", rv5.Link(), "-o", original}).code, 0);
    const SettingsFile read = Parse(original);
    ASSERT_TRUE(read.present[kClosedLoop]);

    const std::string changed = TempPath("changed.json");
    WriteFile(changed, WriteSettingsFile(ChangeEverySetting(read)));
    const std::string snapshots = TempPath("snapshots");
    const std::string trace = TempPath("restore.trace");
    const size_t framesBefore = rv5.HostFrames().size();
    const RunResult restore = RunCli({"restore", "--port", rv5.Link(), changed, "--snapshot-dir",
                                      snapshots, "--trace-file", trace});
    ASSERT_EQ(restore.code, 0) << restore.err;
    // The trace shows every frame the controller received, in order and with its name.
    const std::vector<std::string> traced = TracedFrames(trace);
    const std::vector<std::string> received = rv5.HostFrames();
    ASSERT_FALSE(traced.empty());
    ASSERT_EQ(traced.size(), received.size() - framesBefore);
    for (size_t i = 0; i < traced.size(); ++i) {
        EXPECT_NE(received[framesBefore + i].find("> " + traced[i]), std::string::npos)
            << "traced: " << traced[i] << "\nreceived: " << received[framesBefore + i];
    }
    for (const SettingInfo& info : SettingTable()) {
        EXPECT_EQ(restore.out.find(QualifiedName(info) + ":") != std::string::npos,
                  Writable(info, read.values))
            << QualifiedName(info) << "\n"
            << restore.out;
    }
    const std::string marker = "Snapshot of the settings before the restore: ";
    const size_t at = restore.out.find(marker);
    ASSERT_NE(at, std::string::npos) << restore.out;
    const std::string snapshot =
        restore.out.substr(at + marker.size(), restore.out.find('\n', at) - at - marker.size());
    EXPECT_EQ(Parse(snapshot).values, read.values);

    // The snapshot restore checks every value after a fresh connect itself.
    const RunResult undo = RunCli({"restore", "--port", rv5.Link(), snapshot, "--no-snapshot"});
    EXPECT_EQ(undo.code, 0) << undo.err;
    EXPECT_NE(undo.out.find("site.closed_loop: false -> true"), std::string::npos) << undo.out;
}

// The window offers no way to reverse limit switches that an axis does not have.
TEST(CliRestore, ReversingAbsentLimitSwitchesIsRefusedBeforeAnythingIsSent) {
    Simulator rv5("rv5", {"--profile", "rv5"});
    const std::string path = TempPath("limits.json");
    ASSERT_EQ(RunCli({"backup", "--port", rv5.Link(), "-o", path}).code, 0);
    SettingsFile file = Parse(path);
    ASSERT_EQ(file.values[kDecLimitSwitches], 0);
    file.values[kDecReverseLimits] = 1 - file.values[kDecReverseLimits];
    file.values[kRaAcceleration] = (file.values[kRaAcceleration] + 16) % 256;
    WriteFile(path, WriteSettingsFile(file));
    const size_t before = rv5.HostFrames().size();
    const RunResult run = RunCli({"restore", "--port", rv5.Link(), path});
    EXPECT_EQ(run.code, 3) << run.err;
    EXPECT_NE(run.err.find(path + ": dec.reverse_limit_switches: this controller does not let it "
                                  "change (it reports dec.has_limit_switches false); nothing"),
              std::string::npos)
        << run.err;
    const std::vector<std::string> frames = rv5.HostFrames();
    for (size_t i = before; i < frames.size(); ++i) {
        EXPECT_NE(frames[i].find("READ_"), std::string::npos) << frames[i];
    }
}

TEST(CliRestore, BackupThroughATcpSerialBridge) {
    Simulator dx5("dx5", {"--profile", "dx5"});
    const int port = 20000 + getpid() % 20000;
    Background bridge({"/usr/bin/socat", "TCP-LISTEN:" + std::to_string(port) + ",bind=127.0.0.1",
                       "FILE:" + dx5.Link() + ",raw,echo=0"});
    RunResult backup;
    // socat needs a moment to listen; a refused connection is an open failure (5).
    for (int attempt = 0; attempt < 20; ++attempt) {
        backup = RunCli({"backup", "--port", "tcp://127.0.0.1:" + std::to_string(port)});
        if (backup.code != 5 || backup.err.find("refused") == std::string::npos) {
            break;
        }
    }
    ASSERT_EQ(backup.code, 0) << backup.err;
    SettingsFile file;
    SettingsFileError error;
    ASSERT_TRUE(ReadSettingsFile(backup.out, &file, &error)) << error.message;
    EXPECT_EQ(file.values[kRaGearRatio], 172800);
    EXPECT_EQ(FormatValue(Setting(kLatitude), file.values[kLatitude]), "N 47:30:00");
}

}  // namespace
