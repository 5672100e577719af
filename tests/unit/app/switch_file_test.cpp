#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/history_switch.h"
#include "app/night_mode_choice.h"
#include "app/switch_file.h"
#include "platform/process.h"

using namespace axistune;
namespace fs = std::filesystem;

namespace {

fs::path FreshFolder(const char* name) {
    const fs::path folder = fs::temp_directory_path() / (std::string("axistune-") + name + "-" +
                                                         std::to_string(CurrentProcessId()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST(SwitchFile, ReadsTheLastValidValueOfItsKeyElseTheFallback) {
    const fs::path folder = FreshFolder("switch");
    const struct {
        const char* text;
        bool fallbackOff;  // what a read with fallback "off" gives
        bool fallbackOn;   // and with fallback "on"
    } kCases[] = {
        {"night = on\n", true, true},
        {"night = off\n", false, false},
        {"  night\t=  on \r\n", true, true},
        {"# night = on\n", false, true},
        {"nightly = on\n", false, true},
        {"night = yes\n", false, true},
        {"night = on\nnight = off\n", false, false},
        {"night = off\nnight = maybe\n", false, false},
        {"", false, true},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.text);
        WriteText(folder / "a.conf", c.text);
        EXPECT_EQ(ReadSwitchFile((folder / "a.conf").string(), "night", false), c.fallbackOff);
        EXPECT_EQ(ReadSwitchFile((folder / "a.conf").string(), "night", true), c.fallbackOn);
    }
    // Not a file: the fallback, without blocking on it.
    EXPECT_TRUE(ReadSwitchFile(folder.string(), "night", true));
    EXPECT_FALSE(ReadSwitchFile((folder / "missing.conf").string(), "night", false));
    fs::remove_all(folder);
}

TEST(SwitchFile, BothChoicesRoundTripAndAFailedWriteSaysWhy) {
    const fs::path folder = FreshFolder("choices");
    const std::string night = (folder / "config" / "axistune" / "night-mode.conf").string();
    const std::string history = HistorySwitchPath((folder / "state" / "snapshots").string());
    std::string error;
    for (const bool on : {true, false, true}) {
        ASSERT_TRUE(WriteNightModeChoice(night, on, &error)) << error;
        EXPECT_EQ(ReadNightModeChoice(night), on);
        ASSERT_TRUE(WriteHistorySwitch(history, !on, &error)) << error;
        EXPECT_EQ(ReadHistorySwitch(history), !on);
    }
    EXPECT_FALSE(ReadNightModeChoice((folder / "none.conf").string()));
    EXPECT_TRUE(ReadHistorySwitch((folder / "none.conf").string()));

    WriteText(folder / "plain-file", "x");
    const std::string blocked = (folder / "plain-file" / "night-mode.conf").string();
    EXPECT_FALSE(WriteNightModeChoice(blocked, true, &error));
    EXPECT_NE(error.find("plain-file"), std::string::npos) << error;

    // A switch that cannot be stored is told once per run, not at every switch.
    NightModeChoiceKeeper keeper(blocked);
    EXPECT_NE(keeper.Keep(true).find("plain-file"), std::string::npos);
    EXPECT_EQ(keeper.Keep(false), "");
    fs::remove_all(folder);
}

#ifndef _WIN32
TEST(SwitchFile, NightModeLivesInTheUsersConfigFolder) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string before = saved != nullptr ? saved : "";
    setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
    EXPECT_EQ(NightModeChoicePath(), "/tmp/cfg/axistune/night-mode.conf");
    for (const char* ignored : {"", "relative/cfg"}) {
        setenv("XDG_CONFIG_HOME", ignored, 1);
        setenv("HOME", std::getenv("HOME") != nullptr ? std::getenv("HOME") : "/h", 1);
        EXPECT_EQ(NightModeChoicePath(),
                  (fs::path(std::getenv("HOME")) / ".config/axistune/night-mode.conf").string());
    }
    if (saved != nullptr) {
        setenv("XDG_CONFIG_HOME", before.c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
}
#endif

}  // namespace
