#include <cstdlib>
#include <ctime>
#include <map>

#include "core/status_codes.h"
#include "main_window_fixture.h"
#include "ui/local_time.h"
#include "ui/settings_commands.h"
#include "ui/wide_text.h"

namespace axistune {
namespace {

using C = SettingsCommands;

// Records into the engine's calls, so that the order against the requests shows.
class FakeKeeper : public iSettingsKeeper {
  public:
    explicit FakeKeeper(RecordingTelescopeControl& engine) : engine_(engine) {}

    void Connecting(uint8_t port, uint32_t baudRate) override {
        engine_.calls.push_back("Connecting(" + std::to_string(port) + "," +
                                std::to_string(baudRate) + ")");
    }
    bool HeldNow(ControllerSettings* settings) const override {
        *settings = TypicalSettings();
        return true;
    }
    bool Examine(const std::string& path, SettingsFile* file, std::string* message) const override {
        const auto found = files.find(path);
        if (found == files.end()) {
            *message = path + ": version 2 is of a later layout; nothing was sent";
            return false;
        }
        *file = found->second;
        return true;
    }
    bool Backup(const std::string& path, std::string*) override {
        backups.push_back(path);
        return true;
    }
    KeptHistory History() const override { return history; }
    bool Remove(const std::string& fileName, std::string*) override {
        removed.push_back(fileName);
        return true;
    }
    bool SetAutomatic(bool, std::string* message) override {
        *message = automaticRefusal;
        return automaticRefusal.empty();
    }
    bool StartRestore(const std::string& path, const SettingSelection& selection,
                      std::string*) override {
        restores.push_back({path, selection});
        return true;
    }
    bool Restoring() const override { return !restores.empty(); }
    std::vector<RestoreNews> DrainRestoreNews() override { return std::move(news); }

    std::map<std::string, SettingsFile> files;
    std::vector<std::string> backups;
    KeptHistory history;
    std::vector<std::string> removed;
    std::vector<std::pair<std::string, SettingSelection>> restores;
    std::vector<RestoreNews> news;
    std::string automaticRefusal;

  private:
    RecordingTelescopeControl& engine_;
};

// The typical controller's settings with RA acceleration and the RA gear ratio changed.
SettingsFile ChangedFile() {
    SettingsFile file;
    file.values = ReadSettings(TypicalSettings());
    file.values[kRaAcceleration] = 60;
    file.values[kRaGearRatio] = 180000;
    file.present.set();
    return file;
}

class SettingsCommandsTest : public ::testing::Test {
  protected:
    SettingsCommandsTest() { config.SetSettingsKeeper(&keeper); }
    void SetUp() override { ASSERT_EQ(window.Open(), 1); }
    void Connect() {
        config.OnStatus(kStatusConnectionEstablished);
        config.OnSettings(TypicalSettings(), kSettingsConnected);
        engine.Clear();
    }
    std::vector<bool> Offered() const {
        std::vector<bool> enabled;
        for (const auto& command : window.MenuCommands()) {
            enabled.push_back(command.enabled);
        }
        return enabled;
    }
    // Picks "Restore from a file..." for a file whose confirmation runs `confirm`.
    void RestoreFile(InMemoryDialog::ChildScript confirm) {
        keeper.files["backup.json"] = ChangedFile();
        window.QueueFileChoice("backup.json");
        window.ScriptChild(IDD_RESTORE_CONFIRM, std::move(confirm));
        ASSERT_TRUE(window.PressShortcut('O'));
    }

    RecordingTelescopeControl engine;
    AppModel model;
    NoRunner runner;
    FakeKeeper keeper{engine};
    DlgConfig config{runner, engine, model};
    InMemoryDialog window{IDD_MAIN, config};
};

TEST_F(SettingsCommandsTest, CommandsNeedingTheControllerFollowTheConnection) {
    ASSERT_EQ(window.MenuCommands().size(), 4u);
    std::string keys;
    for (const auto& command : window.MenuCommands()) {
        keys += command.ctrlKey;
    }
    EXPECT_EQ(keys, "BDOH");
    EXPECT_EQ(Offered(), (std::vector<bool>{false, false, false, true}));
    EXPECT_FALSE(window.PressShortcut('B'));
    Connect();
    EXPECT_EQ(Offered(), (std::vector<bool>{true, true, true, true}));
    config.OnStatus(kStatusConnectionClosed);
    EXPECT_EQ(Offered(), (std::vector<bool>{false, false, false, true}));
}

// The keeper hears of a connect before its request. The entries before a reload or a store are
// the keeper's own, taken as the engine sends them: the window asks for none.
TEST_F(SettingsCommandsTest, OnlyAConnectIsToldToTheKeeperBeforeItsRequest) {
    const struct {
        int button;
        Calls calls;
    } cases[] = {
        {IDC_RELOAD_DEFAULTS, {"ReloadDefaults()"}},
        {IDC_STORE_SETTINGS, {"StoreSettings()"}},
        {IDC_CONNECT, {"Connecting(1,115200)", "Connect(1,115200)"}},
    };
    Connect();
    for (const auto& c : cases) {
        engine.Clear();
        ASSERT_TRUE(window.Click(c.button));
        EXPECT_EQ(engine.calls, c.calls) << c.button;
    }
}

TEST_F(SettingsCommandsTest, AnInvalidFileIsRefusedWithTheKeepersMessageAndNothingSent) {
    Connect();
    for (int command : {C::kRestore, C::kCompare}) {
        window.QueueFileChoice("later.json");
        ASSERT_TRUE(window.ChooseMenuCommand(command));
        ASSERT_FALSE(window.MessagesShown().empty());
        EXPECT_EQ(window.MessagesShown().back().kind, MessageKind::kError);
        EXPECT_EQ(window.MessagesShown().back().text,
                  L"later.json: version 2 is of a later layout; nothing was sent");
    }
    EXPECT_TRUE(window.ChildrenRun().empty());
    EXPECT_TRUE(keeper.restores.empty());
    EXPECT_TRUE(engine.calls.empty());
}

TEST_F(SettingsCommandsTest, TheGroupBoxesNarrowTheRestoredSelection) {
    Connect();
    RestoreFile([](InMemoryDialog& confirm) {
        EXPECT_TRUE(confirm.Checked(IDC_RESTORE_RA) && confirm.Checked(IDC_RESTORE_GEAR));
        EXPECT_FALSE(confirm.Enabled(IDC_RESTORE_DEC) || confirm.Checked(IDC_RESTORE_DEC));
        EXPECT_EQ(
            confirm.ListRows(IDC_RESTORE_DIFFERENCES),
            (std::vector<std::vector<std::wstring>>{{L"ra.acceleration", L"100", L"60"},
                                                    {L"gear.ra_ratio", L"172800", L"180000"}}));
        confirm.Click(IDC_RESTORE_RA);
        confirm.Click(IDC_RESTORE_GEAR);
        EXPECT_TRUE(confirm.ListRows(IDC_RESTORE_DIFFERENCES).empty());
        EXPECT_FALSE(confirm.Enabled(IDC_RESTORE_APPLY));
        confirm.Click(IDC_RESTORE_GEAR);
        EXPECT_EQ(confirm.ListRows(IDC_RESTORE_DIFFERENCES).size(), 1u);
        confirm.Click(IDC_RESTORE_APPLY);
    });
    ASSERT_EQ(keeper.restores.size(), 1u);
    EXPECT_EQ(keeper.restores[0].first, "backup.json");
    EXPECT_EQ(keeper.restores[0].second, GroupSelection(SettingGroup::kGear));
    EXPECT_TRUE(engine.calls.empty());
    EXPECT_EQ(Offered(), (std::vector<bool>{false, false, false, true}));  // while restoring
}

TEST_F(SettingsCommandsTest, ARestoreConfirmedAfterTheConnectionClosedIsNotStarted) {
    Connect();
    RestoreFile([this](InMemoryDialog& confirm) {
        config.OnStatus(kStatusConnectionClosed);
        confirm.Click(IDC_RESTORE_APPLY);
    });
    EXPECT_TRUE(keeper.restores.empty());
    ASSERT_EQ(window.MessagesShown().size(), 1u);
    EXPECT_EQ(window.MessagesShown()[0].kind, MessageKind::kError);
}

TEST_F(SettingsCommandsTest, TheOutcomeOpensTheResultDialog) {
    Connect();
    RestoreFile([](InMemoryDialog& confirm) { confirm.Click(IDC_RESTORE_APPLY); });
    RestoreNews step;
    step.step = "Reading the controller's settings";
    RestoreNews outcome;
    outcome.finished = true;
    outcome.message = "the controller stopped answering";
    outcome.applied = {kRaAcceleration};
    outcome.unconfirmed = {kRaGearRatio};
    outcome.notApplied = {kDecGearRatio};
    keeper.news = {step, outcome};
    std::wstring report;
    window.ScriptChild(IDD_RESTORE_RESULT, [&report](InMemoryDialog& result) {
        report = result.Text(IDC_RESTORE_REPORT);
    });
    const std::wstring status = window.Text(IDC_STATUS);
    window.Post(kRestoreNewsPost, 0);
    window.Pump();
    EXPECT_EQ(report,
              L"the controller stopped answering\r\n"
              L"Applied:\r\n    ra.acceleration: 60\r\n"
              L"Sent without confirmation:\r\n    gear.ra_ratio: 180000\r\n"
              L"Not applied:\r\n    gear.dec_ratio: 162000\r\n"
              L"The controller keeps these settings only until it is switched off; "
              L"\"Save settings into Dx.\" keeps them.");
    EXPECT_EQ(window.Text(IDC_STATUS), status);
    EXPECT_EQ(Offered(), (std::vector<bool>{true, true, true, true}));
}

TEST_F(SettingsCommandsTest, TheHistoryListsDeletesAndRestoresItsEntries) {
#ifdef _WIN32
    _putenv_s("TZ", "CET-1");
    _tzset();
#else
    setenv("TZ", "CET-1", 1);
    tzset();
#endif
    KeptEntry newer{"a.json", "/h/a.json",   true, KeptBecause::kBeforeStore, "COM3", 1796000000,
                    true,     ChangedFile(), ""};
    newer.settings.hardwareType = 5;
    KeptEntry older;
    older.fileName = "snapshot-1.json";
    older.path = "/h/s.json";
    older.error = "bad JSON";
    keeper.history.entries = {newer, older};
    keeper.files[newer.path] = newer.settings;
    Connect();
    window.ScriptChild(IDD_SETTINGS_HISTORY, [](InMemoryDialog& history) {
        EXPECT_EQ(history.ListRows(IDC_HISTORY_LIST),
                  (std::vector<std::vector<std::wstring>>{
                      {L"2026-11-30 01:53", L"Before store", L"COM3, type 5", L"2"},
                      {L"", L"Snapshot", L"", L"unreadable"}}));
        history.SelectRow(IDC_HISTORY_LIST, 1);
        EXPECT_FALSE(history.Enabled(IDC_HISTORY_RESTORE));
        EXPECT_EQ(history.Text(IDC_HISTORY_STATUS), L"snapshot-1.json: bad JSON");
        history.Click(IDC_HISTORY_DELETE);  // answered No
        history.QueueMessageAnswer(true);
        history.Click(IDC_HISTORY_DELETE);
        history.SelectRow(IDC_HISTORY_LIST, 0);
        history.Click(IDC_HISTORY_RESTORE);
    });
    window.ScriptChild(IDD_RESTORE_CONFIRM,
                       [](InMemoryDialog& confirm) { confirm.Click(IDC_RESTORE_APPLY); });
    ASSERT_TRUE(window.PressShortcut('H'));
    EXPECT_EQ(keeper.removed, std::vector<std::string>{"snapshot-1.json"});
    ASSERT_EQ(keeper.restores.size(), 1u);
    EXPECT_EQ(keeper.restores[0].first, "/h/a.json");
    EXPECT_EQ(window.MessagesShown().size(), 2u);  // the two questions
}

TEST_F(SettingsCommandsTest, TheHistoryShowsWhatItCouldNotDo) {
    keeper.history.folder = "/no/such/folder";
    keeper.history.problem = "the last entry was not written: disk full";
    keeper.automaticRefusal = "settings.json: permission denied";
    window.ScriptChild(IDD_SETTINGS_HISTORY, [](InMemoryDialog& history) {
        EXPECT_EQ(history.Text(IDC_HISTORY_STATUS), L"the last entry was not written: disk full");
        history.Click(IDC_HISTORY_AUTOMATIC);
        EXPECT_TRUE(history.Checked(IDC_HISTORY_AUTOMATIC));  // still on, as remembered
        history.Click(IDC_HISTORY_OPEN_FOLDER);
    });
    ASSERT_TRUE(window.ChooseMenuCommand(C::kHistory));  // offered without a connection
    ASSERT_EQ(window.MessagesShown().size(), 2u);
    EXPECT_EQ(window.MessagesShown()[0].text, L"settings.json: permission denied");
    EXPECT_EQ(window.MessagesShown()[1].text, L"The folder /no/such/folder cannot be opened.");
}

TEST_F(SettingsCommandsTest, CompareListsTheDifferencesInTheCommandLinesNamesAndUnits) {
    Connect();
    SettingsFile file = ChangedFile();
    file.values[kRaIdleCurrent] = 300;
    file.values[kClosedLoopAvailable] = 0;  // read-only: listed, not counted
    keeper.files["other.json"] = file;
    window.QueueFileChoice("other.json");
    window.ScriptChild(IDD_COMPARE_RESULT, [](InMemoryDialog& compare) {
        EXPECT_EQ(compare.Text(IDC_COMPARE_SUMMARY), L"3 settings differ.");
        const auto& rows = compare.ListRows(IDC_COMPARE_DIFFERENCES);
        ASSERT_EQ(rows.size(), 4u);
        EXPECT_EQ(rows[1],
                  (std::vector<std::wstring>{L"ra.idle_current_mA", L"400 mA", L"300 mA"}));
        EXPECT_EQ(rows[3][0], L"site.closed_loop_available (read-only)");
    });
    ASSERT_TRUE(window.PressShortcut('D'));
    EXPECT_EQ(window.ChildrenRun(), std::vector<int>{IDD_COMPARE_RESULT});
    EXPECT_TRUE(engine.calls.empty());
}

TEST_F(SettingsCommandsTest, BackUpWritesTheChosenFile) {
    Connect();
    window.QueueFileChoice("/tmp/mount.json");
    ASSERT_TRUE(window.PressShortcut('B'));
    ASSERT_EQ(window.FileRequests().size(), 1u);
    EXPECT_TRUE(window.FileRequests()[0].save);
    EXPECT_EQ(window.FileRequests()[0].pattern, L"*.json");
    EXPECT_EQ(window.FileRequests()[0].suggestedName.rfind(L"axistune-0-", 0), 0u);
    EXPECT_EQ(keeper.backups, std::vector<std::string>{"/tmp/mount.json"});
    EXPECT_TRUE(engine.calls.empty());
}

TEST(WideText, DecodesUtf8AndReplacesWhatIsNot) {
    const struct {
        const char* utf8;
        const wchar_t* wide;
    } cases[] = {
        {"COM3", L"COM3"},
        {"\xC3\xA9t\xC3\xA9", L"\u00E9t\u00E9"},
        {"\xF0\x9F\x98\x80", L"\U0001F600"},
        {"a\xFF", L"a\uFFFD"},
        {"\xC0\xAF", L"\uFFFD\uFFFD"},            // overlong
        {"\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},  // a surrogate
        {"\xE2\x82", L"\uFFFD\uFFFD"},            // cut short
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WideText(c.utf8), c.wide) << c.utf8;
    }
}

}  // namespace
}  // namespace axistune
