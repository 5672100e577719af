#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/history_names.h"
#include "app/history_writer.h"
#include "app/settings_history.h"
#include "app/utc_time.h"
#include "core/setting_table.h"
#include "platform/event.h"
#include "platform/process.h"

using namespace axistune;
namespace fs = std::filesystem;

namespace {

constexpr int64_t kDecember8 = 1796710920;  // 2026-12-08T06:22:00Z
constexpr uint32_t kEventWaitMs = 10000;

// A fresh folder per test, removed afterwards; the history lives in its "snapshots".
class TempFolder {
  public:
    TempFolder() {
        static int count = 0;
        root_ =
            fs::temp_directory_path() / ("axistune-history-" + std::to_string(CurrentProcessId()) +
                                         "-" + std::to_string(++count));
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    fs::path Root() const { return root_; }
    std::string Snapshots() const { return (root_ / "snapshots").string(); }

  private:
    fs::path root_;
};

SettingsFile Settings(uint32_t hardwareType, int64_t acceleration) {
    SettingsFile file;
    file.hardwareType = hardwareType;
    file.firmwareVersion = 0x0100000C;
    file.hasFirmware = true;
    file.present[kRaAcceleration] = true;
    file.present[kRaMaxSpeed] = true;
    file.values[kRaAcceleration] = acceleration;
    file.values[kRaMaxSpeed] = 600;
    return file;
}

void Put(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// Sets a file's modification time to `utc` (seconds since 1970).
void SetModified(const fs::path& path, int64_t utc) {
    using namespace std::chrono;
    const auto offset = seconds(utc) - system_clock::now().time_since_epoch();
    fs::last_write_time(path, fs::file_time_type::clock::now() +
                                  duration_cast<fs::file_time_type::duration>(offset));
}

std::vector<std::string> FileNames(const HistoryListing& listing) {
    std::vector<std::string> names;
    for (const HistoryEntry& entry : listing.entries) {
        names.push_back(entry.fileName);
    }
    return names;
}

TEST(UtcTime, FormatsAndParsesCalendarDates) {
    struct Case {
        int64_t seconds;
        const char* compact;
        const char* iso;
    };
    const Case cases[] = {
        {0, "19700101T000000Z", "1970-01-01T00:00:00Z"},
        {951868799, "20000229T235959Z", "2000-02-29T23:59:59Z"},
        {kDecember8, "20261208T062200Z", "2026-12-08T06:22:00Z"},
        {4107542400, "21000301T000000Z", "2100-03-01T00:00:00Z"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CompactUtc(c.seconds), c.compact);
        EXPECT_EQ(IsoUtc(c.seconds), c.iso);
        int64_t parsed = -1;
        EXPECT_TRUE(ParseCompactUtc(c.compact, &parsed));
        EXPECT_EQ(parsed, c.seconds);
        EXPECT_TRUE(ParseIsoUtc(c.iso, &parsed));
        EXPECT_EQ(parsed, c.seconds);
    }
    for (const char* bad : {"21000229T000000Z", "20261301T000000Z", "20261208T240000Z",
                            "20261208T062260Z", "2026120xT062200Z", "20261208T062200"}) {
        int64_t parsed = 0;
        EXPECT_FALSE(ParseCompactUtc(bad, &parsed)) << bad;
    }
}

TEST(HistoryNames, RoundTripEveryPortAndReason) {
    struct Case {
        const char* port;
        const char* encoded;
    };
    const Case cases[] = {
        {"COM3", "COM3"},
        {"/dev/ttyUSB0", "%2Fdev%2FttyUSB0"},
        {"tcp://127.0.0.1:5000", "tcp%3A%2F%2F127.0.0.1%3A5000"},
        {"\\\\.\\COM12", "%5C%5C.%5CCOM12"},
        {"100% é", "100%25%20%C3%A9"},
    };
    const HistoryReason reasons[] = {HistoryReason::kConnected, HistoryReason::kBeforeReload,
                                     HistoryReason::kBeforeStore, HistoryReason::kBeforeRestore};
    for (const Case& c : cases) {
        for (HistoryReason reason : reasons) {
            for (uint32_t sequence : {1u, 2u, 17u}) {
                const HistoryName name{kDecember8, sequence, reason, c.port};
                const std::string text = FormatHistoryName(name);
                EXPECT_EQ(
                    text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                           "0123456789._-%"),
                    std::string::npos)
                    << text;
                HistoryName parsed;
                ASSERT_TRUE(ParseHistoryName(text, &parsed)) << text;
                EXPECT_EQ(parsed.takenUtc, kDecember8);
                EXPECT_EQ(parsed.sequence, sequence);
                EXPECT_EQ(parsed.reason, reason);
                EXPECT_EQ(parsed.port, c.port);
            }
        }
        EXPECT_EQ(FormatHistoryName({kDecember8, 1, HistoryReason::kBeforeReload, c.port}),
                  std::string("history-20261208T062200Z-before-reload-") + c.encoded + ".json");
    }
    EXPECT_EQ(FormatHistoryName({kDecember8, 3, HistoryReason::kConnected, "COM3"}),
              "history-20261208T062200Z-3-connected-COM3.json");
}

// Only names the history writes are its own: anything else is the user's and never pruned.
TEST(HistoryNames, RefusesNamesItCouldNotHaveWritten) {
    const char* names[] = {
        "snapshot-20261208-062200.json",
        "my-settings.json",
        "history-20261208T062200Z-connected-COM3.json.partial",
        "history-20261208T062200Z-connected-.json",
        "history-20261208T062200Z-unplugged-COM3.json",
        "history-20261308T062200Z-connected-COM3.json",
        "history-20261208T062200Z-1-connected-COM3.json",   // 1 is never written
        "history-20261208T062200Z-02-connected-COM3.json",  // nor a leading zero
        "history-20261208T062200Z-connected-COM%3.json",
        "history-20261208T062200Z-connected-tcp%3a5000.json",  // lower-case escape
        "history-20261208T062200Z-connected-COM%33.json",      // escaped "3"
        "history-20261208T062200Z-connected-COM 3.json",
        "history-20261208T062200Zconnected-COM3.json",
    };
    for (const char* text : names) {
        HistoryName name;
        EXPECT_FALSE(ParseHistoryName(text, &name)) << text;
    }
}

TEST(SettingsHistory, SkipsOnlyWhatEqualsTheSameControllersNewestEntry) {
    TempFolder temp;
    const SettingsHistory history(temp.Snapshots());
    struct Step {
        const char* port;
        uint32_t hardwareType;
        int64_t acceleration;
        HistoryResult expected;
    };
    const Step steps[] = {
        {"COM3", 1, 96, HistoryResult::kWritten},
        {"COM3", 1, 96, HistoryResult::kUnchanged},  // a reconnect
        {"COM4", 1, 96, HistoryResult::kWritten},    // another port
        {"COM3", 5, 96, HistoryResult::kWritten},    // another controller on that port
        {"COM3", 1, 96, HistoryResult::kUnchanged},  // type 1's newest is still the first
        {"COM3", 1, 100, HistoryResult::kWritten},   // changed
        {"COM3", 1, 96, HistoryResult::kWritten},    // back: older entries do not count
        {"/dev/ttyUSB0", 1, 96, HistoryResult::kWritten},
        {"/dev/ttyUSB0", 1, 96, HistoryResult::kUnchanged},
    };
    int64_t now = kDecember8;
    std::string firstPath;
    for (const Step& step : steps) {
        const HistoryOutcome outcome =
            history.WriteAt(now++, HistoryReason::kConnected, step.port,
                            Settings(step.hardwareType, step.acceleration));
        EXPECT_EQ(outcome.result, step.expected) << step.port << " " << step.acceleration;
        EXPECT_TRUE(fs::is_regular_file(outcome.path)) << outcome.path;
        firstPath = firstPath.empty() ? outcome.path : firstPath;
    }
    EXPECT_EQ(history.List().entries.size(), 6u);

    // What was written is a settings file that reads back as it was given, at its time.
    std::string text;
    std::string error;
    ASSERT_TRUE(ReadSmallFile(firstPath, kHistoryFileLimit, &text, &error)) << error;
    SettingsFile read;
    SettingsFileError problem;
    ASSERT_TRUE(ReadSettingsFile(text, &read, &problem)) << problem.message;
    EXPECT_TRUE(SameSettings(read, Settings(1, 96)));
    EXPECT_EQ(read.taken, "2026-12-08T06:22:00Z");
}

// Equality is judged on what the file reads back as: every setting at either end of its
// range survives the text, so a reconnect never adds a copy.
TEST(SettingsHistory, EverySettingSurvivesTheFileForTheComparison) {
    TempFolder temp;
    const SettingsHistory history(temp.Snapshots());
    int64_t now = kDecember8;
    for (bool highest : {false, true}) {
        SettingsFile file = Settings(5, 0);
        file.present.set();
        for (const SettingInfo& info : SettingTable()) {
            file.values[info.id] = highest ? info.maximum : info.minimum;
        }
        const std::string port = highest ? "COM1" : "COM2";
        EXPECT_EQ(history.WriteAt(now++, HistoryReason::kConnected, port, file).result,
                  HistoryResult::kWritten);
        const HistoryOutcome again = history.WriteAt(now++, HistoryReason::kConnected, port, file);
        EXPECT_EQ(again.result, HistoryResult::kUnchanged) << again.message;
    }
}

TEST(SettingsHistory, PrunesItsOwnOldestEntriesAndNothingElse) {
    TempFolder temp;
    const SettingsHistory history(temp.Snapshots(), 3);
    const fs::path folder(temp.Snapshots());
    const std::string userFiles[] = {"my-settings.json", "snapshot-20200101-000000.json",
                                     "history-notes.json", "history.txt"};
    for (const std::string& name : userFiles) {
        Put(folder / name, "kept");
    }
    for (int64_t i = 0; i < 6; ++i) {
        const HistoryOutcome outcome =
            history.WriteAt(kDecember8 + i, HistoryReason::kBeforeStore, "COM3", Settings(1, i));
        ASSERT_EQ(outcome.result, HistoryResult::kWritten) << outcome.message;
        EXPECT_EQ(outcome.message, "");
    }
    for (const std::string& name : userFiles) {
        EXPECT_TRUE(fs::exists(folder / name)) << name;
    }
    std::vector<std::string> kept;
    for (const HistoryEntry& entry : history.List().entries) {
        if (entry.writtenByHistory) {
            kept.push_back(entry.fileName);
        }
    }
    const std::vector<std::string> newest = {
        "history-20261208T062205Z-before-store-COM3.json",
        "history-20261208T062204Z-before-store-COM3.json",
        "history-20261208T062203Z-before-store-COM3.json",
    };
    EXPECT_EQ(kept, newest);
}

TEST(SettingsHistory, AFolderThatCannotBeWrittenGivesAMessage) {
    TempFolder temp;
    // A file where the folder should be: refused whoever runs the test, root included.
    Put(temp.Root() / "blocked", "not a folder");
    const SettingsHistory history((temp.Root() / "blocked" / "snapshots").string());
    const HistoryOutcome outcome =
        history.Write(HistoryReason::kConnected, "COM3", Settings(1, 96));
    EXPECT_EQ(outcome.result, HistoryResult::kFailed);
    EXPECT_NE(outcome.message.find("blocked"), std::string::npos) << outcome.message;

    // The window's writer reports it too, through `finished` and for the dialog.
    Event done(EventReset::kManual, false);
    HistoryOutcome reported;
    HistoryWriter writer(history, [&](uint64_t, const HistoryOutcome& result) {
        reported = result;
        done.Set();
    });
    ASSERT_NE(writer.Submit(HistoryReason::kConnected, "COM3", Settings(1, 96)), 0u);
    ASSERT_TRUE(done.Wait(kEventWaitMs));
    // The thread's end orders its writes before these reads.
    ASSERT_TRUE(writer.Stop(kEventWaitMs));
    EXPECT_EQ(reported.result, HistoryResult::kFailed);
    EXPECT_EQ(writer.LastFailure(), reported.message);
}

TEST(SettingsHistory, TheSwitchIsRememberedAndSparesTheRestoresEntry) {
    TempFolder temp;
    EXPECT_TRUE(SettingsHistory(temp.Snapshots()).Automatic());
    std::string error;
    ASSERT_TRUE(SettingsHistory(temp.Snapshots()).SetAutomatic(false, &error)) << error;
    EXPECT_TRUE(fs::is_regular_file(temp.Root() / "history.conf"));

    const SettingsHistory later(temp.Snapshots());
    EXPECT_FALSE(later.Automatic());
    const HistoryReason automatic[] = {HistoryReason::kConnected, HistoryReason::kBeforeReload,
                                       HistoryReason::kBeforeStore};
    for (HistoryReason reason : automatic) {
        EXPECT_EQ(later.Write(reason, "COM3", Settings(1, 96)).result, HistoryResult::kOff);
    }
    EXPECT_TRUE(later.List().entries.empty());
    EXPECT_EQ(later.Write(HistoryReason::kBeforeRestore, "COM3", Settings(1, 96)).result,
              HistoryResult::kWritten);

    ASSERT_TRUE(later.SetAutomatic(true, &error)) << error;
    EXPECT_TRUE(SettingsHistory(temp.Snapshots()).Automatic());
}

TEST(SettingsHistory, ListsNewestFirstAndResolvesReferences) {
    TempFolder temp;
    const SettingsHistory history(temp.Snapshots());
    EXPECT_TRUE(history.List().entries.empty());
    EXPECT_TRUE(history.List().error.empty());
    std::string path;
    std::string error;
    EXPECT_FALSE(history.Resolve("history:latest", &path, &error));
    EXPECT_NE(error.find("empty"), std::string::npos) << error;

    // Two entries within one second: the second is the newer.
    history.WriteAt(kDecember8, HistoryReason::kConnected, "COM3", Settings(1, 1));
    history.WriteAt(kDecember8, HistoryReason::kBeforeReload, "COM4", Settings(1, 2));
    // A user's file, placed by its "taken"; a broken one, listed with its reason.
    Put(fs::path(temp.Snapshots()) / "saved.json", WriteSettingsFile([] {
            SettingsFile file = Settings(1, 3);
            file.taken = "2026-12-07T00:00:00Z";
            return file;
        }()));
    Put(fs::path(temp.Snapshots()) / "zz-broken.json", "{");
    SetModified(fs::path(temp.Snapshots()) / "zz-broken.json", kDecember8 + 3600);

    const HistoryListing listing = history.List();
    const std::vector<std::string> expected = {
        "zz-broken.json",  // placed by its modification time
        "history-20261208T062200Z-2-before-reload-COM4.json",
        "history-20261208T062200Z-connected-COM3.json",
        "saved.json",
    };
    ASSERT_EQ(FileNames(listing), expected);
    EXPECT_FALSE(listing.entries[0].readable);
    EXPECT_FALSE(listing.entries[0].error.empty());
    EXPECT_EQ(listing.entries[1].port, "COM4");
    EXPECT_EQ(listing.entries[1].reason, HistoryReason::kBeforeReload);
    EXPECT_TRUE(listing.entries[2].writtenByHistory);
    EXPECT_FALSE(listing.entries[3].writtenByHistory);
    EXPECT_EQ(listing.entries[3].settings.values[kRaAcceleration], 3);

    struct Case {
        const char* reference;
        int entry;  // -1: refused
    };
    const Case cases[] = {
        {"history:latest", 0},
        {"history:2", 1},
        {"history:4", 3},
        {"history:5", -1},
        {"history:0", -1},
        {"history:saved.json", 3},
        {"saved.json", 3},
        {"history:../saved.json", -1},
        {"history:missing.json", -1},
    };
    for (const Case& c : cases) {
        path.clear();
        EXPECT_EQ(history.Resolve(c.reference, &path, &error), c.entry >= 0) << c.reference;
        if (c.entry >= 0) {
            EXPECT_EQ(path, listing.entries[c.entry].path) << c.reference;
        }
    }

    ASSERT_TRUE(history.Remove("saved.json", &error)) << error;
    EXPECT_FALSE(history.Remove("saved.json", &error));
    EXPECT_FALSE(history.Remove("../snapshots/zz-broken.json", &error));
    EXPECT_EQ(history.List().entries.size(), 3u);
}

// Stop writes what was queued before the thread ends.
TEST(HistoryWriter, StopWritesWhatIsQueued) {
    TempFolder temp;
    HistoryWriter writer(SettingsHistory(temp.Snapshots()), nullptr);
    for (int64_t i = 0; i < 5; ++i) {
        EXPECT_NE(
            writer.Submit(HistoryReason::kConnected, "COM" + std::to_string(i), Settings(1, 96)),
            0u);
    }
    ASSERT_TRUE(writer.Stop(kEventWaitMs));
    EXPECT_EQ(SettingsHistory(temp.Snapshots()).List().entries.size(), 5u);
    EXPECT_EQ(writer.Submit(HistoryReason::kConnected, "COM9", Settings(1, 96)), 0u);
    EXPECT_NE(writer.LastFailure(), "");
}

// A disk that keeps the thread busy costs entries beyond the queue's bound, never memory
// without end nor a wait on the window thread.
TEST(HistoryWriter, RefusesEntriesBeyondItsQueueWhileBusy) {
    TempFolder temp;
    Event entered(EventReset::kManual, false);
    Event release(EventReset::kManual, false);
    HistoryWriter writer(SettingsHistory(temp.Snapshots()), [&](uint64_t, const HistoryOutcome&) {
        entered.Set();
        release.Wait(kEventWaitMs);
    });
    ASSERT_NE(writer.Submit(HistoryReason::kConnected, "COM100", Settings(1, 96)), 0u);
    ASSERT_TRUE(entered.Wait(kEventWaitMs));
    for (size_t i = 0; i < HistoryWriter::kQueueLimit; ++i) {
        EXPECT_NE(
            writer.Submit(HistoryReason::kConnected, "COM" + std::to_string(i), Settings(1, 96)),
            0u);
    }
    EXPECT_EQ(writer.Submit(HistoryReason::kConnected, "COM99", Settings(1, 96)), 0u);
    EXPECT_NE(writer.LastFailure().find("earlier entries"), std::string::npos);
    release.Set();
    ASSERT_TRUE(writer.Stop(kEventWaitMs));
    EXPECT_EQ(SettingsHistory(temp.Snapshots()).List().entries.size(),
              1 + HistoryWriter::kQueueLimit);
}

}  // namespace
