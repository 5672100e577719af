#include "support/host_conformance.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "ui/description/dialog_templates.h"
#include "ui/description/resource_ids.h"

namespace axistune {

std::string HostFactoryName(const ::testing::TestParamInfo<HostFactory>& info) {
    return info.param.name;
}

intptr_t ProbeLogic::OnInit(DialogHost& h) {
    host = &h;
    log.push_back("init");
    return 1;
}

intptr_t ProbeLogic::OnCommand(int id, int code) {
    const bool acted = code == kBnClicked || code == kCbnSelChange || code == kEnChange ||
                       code == kEnKillFocus || code == kEnSetFocusCode || code == kLvnItemChanged ||
                       code == kNmDblClk;
    if (acted) {
        log.push_back("command " + std::to_string(id) + " " + std::to_string(code));
    }
    return 0;
}

intptr_t ProbeLogic::OnHScroll(int code, int id) {
    log.push_back("scroll " + std::to_string(id) + " " + std::to_string(code));
    return 1;
}

intptr_t ProbeLogic::OnUser(uintptr_t w, intptr_t l) {
    log.push_back("user " + std::to_string(w) + " " + std::to_string(l));
    return 1;
}

intptr_t ProbeLogic::OnMenuCommand(int id) {
    log.push_back("menu " + std::to_string(id));
    return 1;
}

intptr_t ProbeLogic::OnClose() {
    log.push_back("close");
    if (handleClose) {
        host->End(7);
    }
    return handleClose ? 1 : 0;
}

void ProbeLogic::OnDestroy() {
    log.push_back("destroy");
}

namespace {

std::wstring Widen(const char* text) {
    std::wstring wide;
    for (const char* p = text; *p != '\0'; ++p) {
        wide += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    }
    return wide;
}

TEST_P(HostConformance, EveryControlOfTheDescriptionIsThere) {
    size_t count = 0;
    const DialogTemplate* templates = DialogTemplates(&count);
    for (size_t t = 0; t < count; ++t) {
        const DialogTemplate& dialog = templates[t];
        ProbeLogic probe;
        host_->Run(dialog.id, probe, [&] {
            for (size_t c = 0; c < dialog.controlCount; ++c) {
                const ControlTemplate& control = dialog.controls[c];
                SCOPED_TRACE(std::string(dialog.symbol) + " " + control.symbol);
                EXPECT_TRUE(host_->Has(control.id));
                EXPECT_TRUE(host_->Enabled(control.id));
                EXPECT_FALSE(host_->Checked(control.id));
                EXPECT_NE(probe.host->ItemHandle(control.id), 0u);
                if (FindControl(dialog, control.id) == &control) {  // the first of an id
                    EXPECT_EQ(host_->Text(control.id), Widen(control.text));
                }
                if (control.kind == ControlKind::kTrackbar) {
                    EXPECT_EQ(host_->Range(control.id), std::make_pair(0, 100));
                    EXPECT_EQ(host_->Position(control.id), 0);
                }
            }
        });
    }
}

TEST_P(HostConformance, ControlsTheTemplateLacksAreNotThere) {
    ProbeLogic probe;
    host_->Run(IDD_MAIN, probe, [&] {
        probe.host->SetItemText(IDC_VOLTAGE, L"12.34V");
        probe.host->EnableItem(IDC_VOLTAGE, true);
        probe.host->CheckItem(IDC_VOLTAGE, true);
        EXPECT_FALSE(host_->Has(IDC_VOLTAGE));
        EXPECT_EQ(host_->Text(IDC_VOLTAGE), L"");
        EXPECT_EQ(probe.host->ItemHandle(IDC_VOLTAGE), 0u);
        EXPECT_NE(probe.host->ItemHandle(IDC_STATUS), 0u);
        EXPECT_EQ(probe.host->GetItemInt(IDC_VOLTAGE, false), 0u);
        char text[8] = "junk";
        EXPECT_EQ(probe.host->GetItemTextA(IDC_VOLTAGE, text, sizeof text), 0u);
        EXPECT_STREQ(text, "");
        EXPECT_FALSE(host_->Click(IDC_VOLTAGE));
    });

    ProbeLogic nobody;
    EXPECT_EQ(host_->Run(999, nobody, [] { ADD_FAILURE() << "a dialog without template ran"; }),
              HostUnderTest::kNotShown);
    EXPECT_TRUE(nobody.log.empty());
}

// The texts the dialogs meet, where Windows and Wine agree; the in-memory host's own tests
// cover the 32-bit limits and signs in unsigned reads.
TEST_P(HostConformance, ReadsAndWritesIntegersLikeGetDlgItemInt) {
    const struct {
        const wchar_t* text;
        bool isSigned;
        uint32_t value;
    } cases[] = {
        {L"", false, 0},
        {L"", true, 0},
        {L"abc", false, 0},
        {L"abc", true, 0},
        {L"  42", false, 42},
        {L"  42", true, 42},
        {L"42abc", false, 42},
        {L"4 2", false, 4},
        {L"1 2", false, 1},
        {L"007", false, 7},
        {L"007", true, 7},
        {L"300", false, 300},
        {L"-5", true, 0xFFFFFFFBu},
        {L"-30", true, 0xFFFFFFE2u},
        {L"-", true, 0},
        {L"4294967295", false, 4294967295u},
    };
    ProbeLogic probe;
    host_->Run(IDD_GEAR_RATIO, probe, [&] {
        for (const auto& c : cases) {
            probe.host->SetItemText(IDC_GEAR_RA, c.text);
            EXPECT_EQ(probe.host->GetItemInt(IDC_GEAR_RA, c.isSigned), c.value)
                << c.isSigned << " '" << std::string(c.text, c.text + std::wcslen(c.text)) << "'";
        }
        probe.host->SetItemInt(IDC_GEAR_RA, 0xFFFFFFFBu, true);
        EXPECT_EQ(host_->Text(IDC_GEAR_RA), L"-5");
        probe.host->SetItemInt(IDC_GEAR_RA, 0xFFFFFFFBu, false);
        EXPECT_EQ(host_->Text(IDC_GEAR_RA), L"4294967291");
        probe.host->SetItemInt(IDC_GEAR_RA, 0x80000000u, true);
        EXPECT_EQ(host_->Text(IDC_GEAR_RA), L"-2147483648");
    });
}

TEST_P(HostConformance, SingleByteTextsAreCutToTheBuffer) {
    ProbeLogic probe;
    host_->Run(IDD_ADVANCED, probe, [&] {
        probe.host->SetItemTextA(IDC_ADV_LATITUDE, "N 47:30:00");
        EXPECT_EQ(host_->Text(IDC_ADV_LATITUDE), L"N 47:30:00");
        char text[6];
        EXPECT_EQ(probe.host->GetItemTextA(IDC_ADV_LATITUDE, text, sizeof text), 5u);
        EXPECT_STREQ(text, "N 47:");
    });
}

TEST_P(HostConformance, TrackbarsClampLikeRealOnes) {
    ProbeLogic probe;
    host_->Run(IDD_MAIN, probe, [&] {
        EXPECT_EQ(host_->Range(IDC_SPEED), std::make_pair(0, 100));  // a new trackbar's range
        probe.host->TrackbarSetPos(IDC_SPEED, 80);
        probe.host->TrackbarSetRange(IDC_SPEED, 0, 31);
        EXPECT_EQ(host_->Position(IDC_SPEED), 31);
        probe.host->TrackbarSetPos(IDC_SPEED, -4);
        EXPECT_EQ(probe.host->TrackbarGetPos(IDC_SPEED), 0);
        probe.host->TrackbarSetRange(IDC_SPEED, -20, 20);  // ranges may cross zero
        EXPECT_EQ(host_->Range(IDC_SPEED), std::make_pair(-20, 20));
        probe.host->TrackbarSetPos(IDC_SPEED, -3);
        EXPECT_EQ(probe.host->TrackbarGetPos(IDC_SPEED), -3);
        probe.host->TrackbarSetRange(IDC_SPEED, 0, 31);
        EXPECT_TRUE(host_->Drag(IDC_SPEED, 99));
        EXPECT_EQ(host_->Position(IDC_SPEED), 31);
        EXPECT_EQ(host_->Focus(), IDC_SPEED);
        EXPECT_TRUE(host_->Release(IDC_SPEED));
        EXPECT_EQ(probe.log, (ProbeLog{"init", "scroll 115 5", "scroll 115 4", "scroll 115 8"}));
        // Not a trackbar: nothing happens.
        probe.host->TrackbarSetPos(IDC_PORT, 5);
        EXPECT_EQ(probe.host->TrackbarGetPos(IDC_PORT), 0);
        EXPECT_FALSE(host_->Drag(IDC_PORT, 1));
    });
}

TEST_P(HostConformance, OnlyAutomaticCheckBoxesToggleThemselves) {
    ProbeLogic probe;
    host_->Run(IDD_MAIN, probe, [&] {
        ASSERT_TRUE(host_->Click(IDC_BAUD));
        EXPECT_TRUE(host_->Checked(IDC_BAUD));
        EXPECT_TRUE(probe.host->IsItemChecked(IDC_BAUD));
        ASSERT_TRUE(host_->Click(IDC_TRACK_ON));  // push-like, checked by the program only
        EXPECT_FALSE(host_->Checked(IDC_TRACK_ON));
        probe.host->CheckItem(IDC_TRACK_ON, true);
        EXPECT_TRUE(host_->Checked(IDC_TRACK_ON));
        probe.host->CheckItem(IDC_STATUS, true);  // an edit has no check
        EXPECT_FALSE(host_->Checked(IDC_STATUS));
    });

    ProbeLogic advanced;
    host_->Run(IDD_ADVANCED, advanced, [&] {
        ASSERT_TRUE(host_->Click(IDC_ADV_SOUTH));
        EXPECT_FALSE(host_->Checked(IDC_ADV_SOUTH));
        EXPECT_EQ(advanced.log.back(), "command 106 0");
        EXPECT_EQ(host_->Focus(), IDC_ADV_SOUTH);
    });
}

TEST_P(HostConformance, DisabledAndReadOnlyControlsIgnoreTheUser) {
    ProbeLogic probe;
    host_->Run(IDD_MAIN, probe, [&] {
        probe.host->EnableItem(IDC_CONNECT, false);
        EXPECT_FALSE(host_->Enabled(IDC_CONNECT));
        EXPECT_FALSE(host_->Click(IDC_CONNECT));
        EXPECT_FALSE(host_->Type(IDC_STATUS, L"typed"));  // read-only
        EXPECT_FALSE(host_->Click(IDC_PORT_LABEL));       // a label without notify
        probe.host->EnableItem(IDC_SPEED, false);
        EXPECT_FALSE(host_->Drag(IDC_SPEED, 3));
        EXPECT_EQ(probe.log, (ProbeLog{"init"}));
        probe.host->EnableItem(IDC_CONNECT, true);
        EXPECT_TRUE(host_->Click(IDC_CONNECT));
    });

    ProbeLogic about;
    host_->Run(IDD_ABOUT, about, [&] {
        const int focus = host_->Focus();
        EXPECT_TRUE(host_->Click(IDC_ABOUT_LINK));  // a label that notifies
        EXPECT_EQ(about.log.back(), "command 105 0");
        EXPECT_EQ(host_->Focus(), focus);
    });
}

TEST_P(HostConformance, FocusMovesLikeTheDialogManagerMovesIt) {
    ProbeLogic probe;
    host_->Run(IDD_GEAR_RATIO, probe, [&] {
        // The first tab stop, edit 100, has the focus after opening.
        EXPECT_EQ(host_->Focus(), IDC_GEAR_RA);
        EXPECT_TRUE(host_->Type(IDC_GEAR_DEC, L"7"));
        EXPECT_EQ(host_->Text(IDC_GEAR_DEC), L"7");
        EXPECT_TRUE(host_->Click(IDC_DLG_OK));
        EXPECT_EQ(probe.log,
                  (ProbeLog{"init", "command 100 256", "command 100 512", "command 101 256",
                            "command 101 768", "command 101 512", "command 1 0"}));
        EXPECT_FALSE(host_->Leave(IDC_GEAR_DEC));  // it no longer has the focus

        probe.log.clear();
        EXPECT_TRUE(host_->Type(IDC_GEAR_RA, L"12"));
        EXPECT_TRUE(host_->Leave(IDC_GEAR_RA));
        EXPECT_EQ(host_->Focus(), 0);
        EXPECT_EQ(probe.host->GetItemInt(IDC_GEAR_RA, false), 12u);
        EXPECT_EQ(probe.log, (ProbeLog{"command 100 256", "command 100 768", "command 100 512"}));
    });
}

TEST_P(HostConformance, ComboSelectionStaysInsideTheList) {
    ProbeLogic probe;
    host_->Run(IDD_INIT_SCOPE, probe, [&] {
        EXPECT_EQ(probe.host->ComboGetSelection(IDC_INIT_POSITION), kComboNoSelection);
        probe.host->ComboAddString(IDC_INIT_POSITION, L"a");
        probe.host->ComboAddString(IDC_INIT_POSITION, L"b");
        probe.host->ComboSetSelection(IDC_INIT_POSITION, 1);
        EXPECT_EQ(probe.host->ComboGetSelection(IDC_INIT_POSITION), 1);
        // No selection; Wine keeps the old one for an index beyond the list, where Windows
        // clears it (the in-memory host's own test holds it to Windows).
        probe.host->ComboSetSelection(IDC_INIT_POSITION, kComboNoSelection);
        EXPECT_EQ(probe.host->ComboGetSelection(IDC_INIT_POSITION), kComboNoSelection);
        EXPECT_FALSE(host_->Pick(IDC_INIT_POSITION, 2));
        EXPECT_TRUE(host_->Pick(IDC_INIT_POSITION, 0));
        EXPECT_EQ(probe.log.back(), "command 100 1");
        EXPECT_EQ(probe.host->ComboGetSelection(IDC_INIT_POSITION), 0);
    });
}

TEST_P(HostConformance, EnterAndEscapeAreOkAndCancel) {
    ProbeLogic probe;
    const intptr_t result = host_->Run(IDD_GEAR_RATIO, probe, [&] {
        host_->PressEnter();
        EXPECT_EQ(probe.log.back(), "command 1 0");
        host_->PressEscape();
        EXPECT_EQ(probe.log.back(), "command 2 0");
        EXPECT_FALSE(host_->Ended());  // only the logic ends a dialog
    });
    EXPECT_EQ(result, HostUnderTest::kLeftOpen);
    EXPECT_EQ(probe.log.back(), "destroy");
}

TEST_P(HostConformance, CloseBoxBecomesCancelUnlessHandled) {
    ProbeLogic probe;
    const intptr_t result = host_->Run(IDD_GEAR_RATIO, probe, [&] {
        host_->PressCloseBox();
        EXPECT_EQ(probe.log.back(), "command 2 0");
        EXPECT_FALSE(host_->Ended());  // the logic did not end it

        probe.handleClose = true;
        host_->PressCloseBox();
        EXPECT_TRUE(host_->Ended());
        // Ending takes the focus off the edit, which says so while End runs.
        EXPECT_EQ(ProbeLog(probe.log.end() - 2, probe.log.end()),
                  (ProbeLog{"close", "command 100 512"}));
    });
    EXPECT_EQ(result, 7);
}

TEST_P(HostConformance, PostsArriveInOrderWhilePumpedAndOpen) {
    ProbeLogic probe;
    const intptr_t result = host_->Run(IDD_ABOUT, probe, [&] {
        probe.host->Post(1000, 0);
        probe.host->Post(1001, -1);
        EXPECT_EQ(host_->Pump(), 2u);
        EXPECT_EQ(host_->Pump(), 0u);
        // From another thread, as the engine's events arrive.
        std::thread poster([&] {
            for (uintptr_t i = 0; i < 50; ++i) {
                probe.host->Post(2000 + i, static_cast<intptr_t>(i));
            }
        });
        poster.join();
        EXPECT_EQ(host_->Pump(), 50u);
        probe.host->Post(1000, 0);
        probe.host->End(1);
        EXPECT_EQ(host_->Pump(), 0u);  // gone with the window
    });
    EXPECT_EQ(result, 1);
    ProbeLog expected{"init", "user 1000 0", "user 1001 -1"};
    for (int i = 0; i < 50; ++i) {
        expected.push_back("user " + std::to_string(2000 + i) + " " + std::to_string(i));
    }
    expected.push_back("destroy");
    EXPECT_EQ(probe.log, expected);
}

// Ends itself from OnInit with what its own edit reads back (and keeps the focus unset).
class SelfEndingChild : public ProbeLogic {
  public:
    intptr_t OnInit(DialogHost& h) override {
        ProbeLogic::OnInit(h);
        h.SetItemInt(IDC_GEAR_RA, 42, false);
        h.End(h.GetItemInt(IDC_GEAR_RA, false));
        return 0;
    }
};

TEST_P(HostConformance, ChildDialogsRunFromTheirOwnTemplate) {
    ProbeLogic probe;
    SelfEndingChild child;
    SelfEndingChild missing;
    host_->Run(IDD_MAIN, probe, [&] {
        EXPECT_EQ(probe.host->RunChild(IDD_GEAR_RATIO, child), 42);
        EXPECT_EQ(probe.host->RunChild(4242, missing), -1);
        EXPECT_FALSE(host_->Ended());
    });
    EXPECT_EQ(child.log, (ProbeLog{"init", "command 100 768", "destroy"}));
    EXPECT_TRUE(missing.log.empty());
}

using Row = std::vector<std::wstring>;

TEST_P(HostConformance, ListViewsKeepRowsAndReportOnlyTheUsersSelection) {
    ProbeLogic probe;
    host_->Run(IDD_SETTINGS_HISTORY, probe, [&] {
        // The columns of the description.
        EXPECT_EQ(host_->ListColumns(IDC_HISTORY_LIST),
                  (Row{L"When", L"Why", L"Controller", L"Differences"}));
        EXPECT_EQ(probe.host->ListGetSelection(IDC_HISTORY_LIST), kListNoSelection);
        const wchar_t* full[] = {L"2026-12-08 07:00", L"Before restore", L"DX5", L"3", L"extra"};
        const wchar_t* partial[] = {L"2026-12-07 21:15", L"Backup"};
        EXPECT_EQ(probe.host->ListAddRow(IDC_HISTORY_LIST, full, 5), 0);
        EXPECT_EQ(probe.host->ListAddRow(IDC_HISTORY_LIST, partial, 2), 1);
        EXPECT_EQ(probe.host->ListAddRow(IDC_HISTORY_STATUS, full, 4), -1);  // not a list
        EXPECT_EQ(probe.host->ListRowCount(IDC_HISTORY_LIST), 2);
        EXPECT_EQ(host_->ListRow(IDC_HISTORY_LIST, 0),
                  (Row{L"2026-12-08 07:00", L"Before restore", L"DX5", L"3"}));
        EXPECT_EQ(host_->ListRow(IDC_HISTORY_LIST, 1),
                  (Row{L"2026-12-07 21:15", L"Backup", L"", L""}));

        probe.host->ListSetSelection(IDC_HISTORY_LIST, 1);
        EXPECT_EQ(probe.host->ListGetSelection(IDC_HISTORY_LIST), 1);
        probe.host->ListSetSelection(IDC_HISTORY_LIST, 2);
        EXPECT_EQ(probe.host->ListGetSelection(IDC_HISTORY_LIST), kListNoSelection);
        EXPECT_EQ(probe.log, (ProbeLog{"init"}));  // the program's changes do not notify

        EXPECT_TRUE(host_->SelectRow(IDC_HISTORY_LIST, 1));
        EXPECT_EQ(probe.host->ListGetSelection(IDC_HISTORY_LIST), 1);
        EXPECT_EQ(host_->Focus(), IDC_HISTORY_LIST);
        EXPECT_TRUE(host_->SelectRow(IDC_HISTORY_LIST, 1));  // no move, no notification
        EXPECT_TRUE(host_->DoubleClickRow(IDC_HISTORY_LIST, 0));
        EXPECT_FALSE(host_->SelectRow(IDC_HISTORY_LIST, 2));
        EXPECT_FALSE(host_->SelectRow(IDC_HISTORY_RESTORE, 0));
        EXPECT_EQ(probe.log,
                  (ProbeLog{"init", "command 100 -101", "command 100 -101", "command 100 -3"}));
        EXPECT_EQ(probe.host->ListGetSelection(IDC_HISTORY_LIST), 0);

        probe.log.clear();
        probe.host->ListClear(IDC_HISTORY_LIST);
        EXPECT_EQ(probe.host->ListRowCount(IDC_HISTORY_LIST), 0);
        EXPECT_EQ(probe.host->ListGetSelection(IDC_HISTORY_LIST), kListNoSelection);
        const ListColumn columns[] = {{L"Name", 60}, {L"Value", 40}};
        EXPECT_EQ(probe.host->ListAddRow(IDC_HISTORY_LIST, full, 4), 0);
        probe.host->ListSetColumns(IDC_HISTORY_LIST, columns, 2);
        EXPECT_EQ(host_->ListColumns(IDC_HISTORY_LIST), (Row{L"Name", L"Value"}));
        EXPECT_EQ(probe.host->ListRowCount(IDC_HISTORY_LIST), 0);
        EXPECT_TRUE(probe.log.empty());
    });
}

TEST_P(HostConformance, MultiLineTextsShowEveryLine) {
    ProbeLogic probe;
    host_->Run(IDD_RESTORE_RESULT, probe, [&] {
        const std::wstring report =
            L"Applied: RA max speed\r\nNot confirmed: none\r\nNot sent: none";
        probe.log.clear();
        probe.host->SetItemText(IDC_RESTORE_REPORT, report.c_str());
        EXPECT_EQ(host_->Text(IDC_RESTORE_REPORT), report);
        EXPECT_EQ(host_->LineCount(IDC_RESTORE_REPORT), 3);
        EXPECT_FALSE(host_->Type(IDC_RESTORE_REPORT, L"typed"));  // read-only
        // A multi-line edit does not report the program's text as a change.
        EXPECT_TRUE(probe.log.empty());
    });
}

constexpr int kBackUp = 0x0100;
constexpr int kCompare = 0x0110;
constexpr int kHistory = 0x0130;

TEST_P(HostConformance, MenuCommandsArriveByMenuAndShortcutWhileEnabled) {
    const MenuCommand commands[] = {
        {kBackUp, L"Back up settings...", 'B', true},
        {kCompare, L"Compare with a file...", 'D', false},
        {kHistory, L"Settings history...", 'H', true},
    };
    ProbeLogic probe;
    host_->Run(IDD_MAIN, probe, [&] {
        ASSERT_TRUE(probe.host->SetMenuCommands(commands, 3));
        using Item = HostUnderTest::MenuItem;
        EXPECT_EQ(host_->Menu(), (std::vector<Item>{{L"Back up settings...", 'B', true},
                                                    {L"Compare with a file...", 'D', false},
                                                    {L"Settings history...", 'H', true}}));
        EXPECT_TRUE(host_->ChooseMenu(kBackUp));
        EXPECT_FALSE(host_->ChooseMenu(kCompare));
        host_->PressShortcut(IDC_CONNECT, 'D');  // disabled
        host_->PressShortcut(IDC_CONNECT, 'N');  // not declared
        host_->PressShortcut(IDC_CONNECT, 'H');
        probe.host->EnableMenuCommand(kCompare, true);
        probe.host->EnableMenuCommand(kHistory, false);
        EXPECT_TRUE(host_->Menu()[1].enabled);
        EXPECT_FALSE(host_->Menu()[2].enabled);
        host_->PressShortcut(IDC_BAUD, 'D');
        host_->PressShortcut(IDC_BAUD, 'H');
        EXPECT_EQ(probe.log, (ProbeLog{"init", "menu 256", "menu 304", "menu 272"}));

        const MenuCommand lowBits[] = {{0x0108, L"Low bits", 0, true}};
        const MenuCommand twice[] = {{kBackUp, L"A", 0, true}, {kBackUp, L"B", 0, true}};
        const MenuCommand system[] = {{0xF060, L"Close", 0, true}};
        const MenuCommand lowerCase[] = {{kCompare, L"Compare", 'd', true}};
        const MenuCommand sameKey[] = {{kBackUp, L"A", 'B', true}, {kCompare, L"B", 'B', true}};
        EXPECT_FALSE(probe.host->SetMenuCommands(lowBits, 1));
        EXPECT_FALSE(probe.host->SetMenuCommands(twice, 2));
        EXPECT_FALSE(probe.host->SetMenuCommands(system, 1));
        EXPECT_FALSE(probe.host->SetMenuCommands(lowerCase, 1));
        EXPECT_FALSE(probe.host->SetMenuCommands(sameKey, 2));
        EXPECT_EQ(host_->Menu().size(), 3u);  // the earlier ones stay
        ASSERT_TRUE(probe.host->SetMenuCommands(commands, 1));
        EXPECT_EQ(host_->Menu(), (std::vector<Item>{{L"Back up settings...", 'B', true}}));
        EXPECT_FALSE(host_->ChooseMenu(kHistory));
    });
}

TEST_P(HostConformance, FileDialogsAndMessagesReturnTheUsersAnswer) {
    const FileTypeFilter settings = {L"Settings files", L"*.json"};
    ProbeLogic probe;
    host_->Run(IDD_SETTINGS_HISTORY, probe, [&] {
        std::string path = "unchanged";
        host_->CancelNextFileDialog();
        EXPECT_FALSE(probe.host->ChooseFileToOpen(L"Restore from a file", settings, &path));
        EXPECT_EQ(host_->ModalSeen(), L"Restore from a file");
        host_->CancelNextFileDialog();
        EXPECT_FALSE(
            probe.host->ChooseFileToSave(L"Back up settings", settings, L"dx5.json", &path));
        EXPECT_EQ(host_->ModalSeen(), L"Back up settings");
        EXPECT_EQ(path, "unchanged");

        host_->AnswerNextMessage(true);
        EXPECT_TRUE(probe.host->ShowMessage(MessageKind::kQuestion, L"Delete this entry?"));
        EXPECT_EQ(host_->ModalSeen(), L"Delete this entry?");
        host_->AnswerNextMessage(false);
        EXPECT_FALSE(probe.host->ShowMessage(MessageKind::kQuestion, L"Delete this entry?"));
        host_->AnswerNextMessage(true);
        EXPECT_TRUE(probe.host->ShowMessage(MessageKind::kError, L"Not a settings file."));
        EXPECT_EQ(host_->ModalSeen(), L"Not a settings file.");
        EXPECT_EQ(probe.log, (ProbeLog{"init"}));
    });
}

TEST_P(HostConformance, OnlyExistingFoldersOpen) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "axistune-conformance-no-such-folder";
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / "axistune-conformance-file.json";
    std::ofstream(file) << "{}";
    ProbeLogic probe;
    host_->Run(IDD_SETTINGS_HISTORY, probe, [&] {
        EXPECT_FALSE(probe.host->OpenFolder(folder.u8string()));
        EXPECT_FALSE(probe.host->OpenFolder(file.u8string()));  // a file is no folder
        EXPECT_FALSE(probe.host->OpenFolder(""));
    });
    std::filesystem::remove(file);
}

}  // namespace

}  // namespace axistune
