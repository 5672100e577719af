// The settings history through the command line: the listing, and restores that name an entry.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <nlohmann/json.hpp>

#include "app/settings_history.h"
#include "child_process.h"
#include "core/settings_file.h"

using namespace cli_test;
using namespace axistune;

namespace {

SettingsFile Parse(const std::string& text) {
    SettingsFile file;
    SettingsFileError error;
    EXPECT_TRUE(ReadSettingsFile(text, &file, &error)) << error.message;
    return file;
}

TEST(CliHistory, ListsEntriesNewestFirstAndRestoresTheOneNamed) {
    // The per-user folder, private to this test; the command line reads it like the windows.
    const std::string state = TempPath("state");
    ASSERT_EQ(setenv("XDG_STATE_HOME", state.c_str(), 1), 0);
    const SettingsHistory history;
    ASSERT_EQ(history.Folder(), state + "/axistune/snapshots");

    const RunResult empty = RunCli({"history"});
    EXPECT_EQ(empty.code, 0) << empty.err;
    EXPECT_EQ(empty.out, "The settings history in " + history.Folder() + " is empty.\n");

    Simulator dx5("dx5", {"--profile", "dx5"});
    const std::string original = TempPath("original.json");
    ASSERT_EQ(RunCli({"backup", "--port", dx5.Link(), "-o", original}).code, 0);
    SettingsFile older = Parse(ReadFile(original));
    // An older entry of the windows' (another acceleration) and, newer, the original.
    older.values[kRaAcceleration] += 1;
    ASSERT_EQ(history.WriteAt(1000, HistoryReason::kConnected, "tcp://h:5000", older).result,
              HistoryResult::kWritten);
    ASSERT_EQ(
        history.WriteAt(2000, HistoryReason::kBeforeStore, dx5.Link(), Parse(ReadFile(original)))
            .result,
        HistoryResult::kWritten);

    const RunResult listed = RunCli({"history", "--json"});
    ASSERT_EQ(listed.code, 0) << listed.err;
    const nlohmann::json entries = nlohmann::json::parse(listed.out);
    ASSERT_EQ(entries.size(), 2u) << listed.out;
    const struct {
        const char* taken;
        const char* reason;
        std::string port;
    } expected[] = {{"1970-01-01T00:33:20Z", "before-store", dx5.Link()},
                    {"1970-01-01T00:16:40Z", "connected", "tcp://h:5000"}};
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(entries[i]["taken"], expected[i].taken);
        EXPECT_EQ(entries[i]["reason"], expected[i].reason);
        EXPECT_EQ(entries[i]["port"], expected[i].port);
        EXPECT_EQ(entries[i]["hardware_type"], older.hardwareType);
        EXPECT_EQ(entries[i]["firmware"], FirmwareDotted(older.firmwareVersion));
    }
    const RunResult table = RunCli({"history"});
    EXPECT_LT(table.out.find("before-store"), table.out.find("tcp://h:5000")) << table.out;

    // history:2 changes the acceleration (and takes a snapshot, the newest entry now);
    // history:latest is then that snapshot, and brings the original back.
    const struct {
        const char* reference;
        int64_t acceleration;
    } restores[] = {{"history:2", older.values[kRaAcceleration]},
                    {"history:latest", older.values[kRaAcceleration] - 1}};
    for (const auto& step : restores) {
        const RunResult run = RunCli({"restore", "--port", dx5.Link(), step.reference});
        ASSERT_EQ(run.code, 0) << step.reference << "\n" << run.err;
        const std::string current = TempPath("current.json");
        ASSERT_EQ(RunCli({"backup", "--port", dx5.Link(), "-o", current}).code, 0);
        EXPECT_EQ(Parse(ReadFile(current)).values[kRaAcceleration], step.acceleration)
            << step.reference;
    }
    const RunResult missing = RunCli({"restore", "--port", dx5.Link(), "history:9"});
    EXPECT_EQ(missing.code, 3);
    EXPECT_NE(missing.err.find("history:9: "), std::string::npos) << missing.err;
    EXPECT_NE(missing.err.find("; nothing was sent"), std::string::npos) << missing.err;
}

}  // namespace
