#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/in_memory_dialog.h"
#include "ui/description/resource_ids.h"

using namespace axistune;

namespace {

// Keeps every message it gets; acts on nothing unless told.
class Probe : public DialogLogic {
  public:
    std::vector<std::string> log;
    DialogHost* host = nullptr;
    bool handleClose = false;

    intptr_t OnInit(DialogHost& h) override {
        host = &h;
        log.push_back("init");
        return 1;
    }
    intptr_t OnCommand(int id, int code) override {
        log.push_back("command " + std::to_string(id) + " " + std::to_string(code));
        return 0;
    }
    intptr_t OnHScroll(int code, int id) override {
        log.push_back("scroll " + std::to_string(id) + " " + std::to_string(code));
        return 1;
    }
    intptr_t OnUser(uintptr_t w, intptr_t l) override {
        log.push_back("user " + std::to_string(w) + " " + std::to_string(l));
        return 1;
    }
    intptr_t OnClose() override {
        log.push_back("close");
        if (handleClose) {
            host->End(7);
        }
        return handleClose ? 1 : 0;
    }
    void OnDestroy() override { log.push_back("destroy"); }
};

using Log = std::vector<std::string>;

TEST(InMemoryDialog, ControlsTheTemplateLacksAreNotThere) {
    Probe probe;
    InMemoryDialog dialog(IDD_MAIN, probe);
    dialog.Open();
    probe.host->SetItemText(IDC_VOLTAGE, L"12.34V");
    probe.host->EnableItem(IDC_VOLTAGE, true);
    probe.host->CheckItem(IDC_VOLTAGE, true);
    EXPECT_FALSE(dialog.Has(IDC_VOLTAGE));
    EXPECT_EQ(dialog.Text(IDC_VOLTAGE), L"");
    EXPECT_EQ(probe.host->ItemHandle(IDC_VOLTAGE), 0u);
    EXPECT_NE(probe.host->ItemHandle(IDC_STATUS), 0u);
    EXPECT_EQ(probe.host->GetItemInt(IDC_VOLTAGE, false), 0u);
    char text[8] = "junk";
    EXPECT_EQ(probe.host->GetItemTextA(IDC_VOLTAGE, text, sizeof text), 0u);
    EXPECT_STREQ(text, "");
    EXPECT_FALSE(dialog.Click(IDC_VOLTAGE));
    InMemoryDialog none(999, probe);
    EXPECT_FALSE(none.HasTemplate());
}

TEST(InMemoryDialog, ReadsIntegersLikeGetDlgItemInt) {
    const struct {
        const wchar_t* text;
        bool isSigned;
        uint32_t value;
    } cases[] = {
        {L"", false, 0},           {L"abc", false, 0},
        {L"  42", false, 42},      {L"42abc", false, 42},
        {L"4 2", false, 4},        {L"-5", false, 0},  // no sign for unsigned reads
        {L"+5", false, 0},         {L"-5", true, 0xFFFFFFFBu},
        {L"-", true, 0},           {L"4294967295", false, 4294967295u},
        {L"4294967296", false, 0}, {L"2147483647", true, 2147483647u},
        {L"2147483648", true, 0},  {L"-2147483648", true, 0x80000000u},
        {L"-2147483649", true, 0}, {L"007", false, 7},
    };
    Probe probe;
    InMemoryDialog dialog(IDD_GEAR_RATIO, probe);
    dialog.Open();
    for (const auto& c : cases) {
        probe.host->SetItemText(IDC_GEAR_RA, c.text);
        EXPECT_EQ(probe.host->GetItemInt(IDC_GEAR_RA, c.isSigned), c.value)
            << std::string(c.text, c.text + std::wcslen(c.text));
    }
    probe.host->SetItemInt(IDC_GEAR_RA, 0xFFFFFFFBu, true);
    EXPECT_EQ(dialog.Text(IDC_GEAR_RA), L"-5");
    probe.host->SetItemInt(IDC_GEAR_RA, 0xFFFFFFFBu, false);
    EXPECT_EQ(dialog.Text(IDC_GEAR_RA), L"4294967291");
    probe.host->SetItemInt(IDC_GEAR_RA, 0x80000000u, true);
    EXPECT_EQ(dialog.Text(IDC_GEAR_RA), L"-2147483648");
}

TEST(InMemoryDialog, SingleByteTextsAreCutToTheBuffer) {
    Probe probe;
    InMemoryDialog dialog(IDD_ADVANCED, probe);
    dialog.Open();
    probe.host->SetItemTextA(IDC_ADV_LATITUDE, "N 47:30:00");
    char text[6];
    EXPECT_EQ(probe.host->GetItemTextA(IDC_ADV_LATITUDE, text, sizeof text), 5u);
    EXPECT_STREQ(text, "N 47:");
    dialog.Type(IDC_ADV_LATITUDE, L"\u00e9\u20ac");  // one byte wide, then wider
    EXPECT_EQ(dialog.TextA(IDC_ADV_LATITUDE), "\xe9?");
}

TEST(InMemoryDialog, TrackbarsClampLikeRealOnes) {
    Probe probe;
    InMemoryDialog dialog(IDD_MAIN, probe);
    dialog.Open();
    EXPECT_EQ(dialog.Range(IDC_SPEED), std::make_pair(0, 100));  // a new trackbar's range
    probe.host->TrackbarSetPos(IDC_SPEED, 80);
    probe.host->TrackbarSetRange(IDC_SPEED, 0, 31);
    EXPECT_EQ(dialog.Position(IDC_SPEED), 31);
    probe.host->TrackbarSetPos(IDC_SPEED, -4);
    EXPECT_EQ(probe.host->TrackbarGetPos(IDC_SPEED), 0);
    dialog.Drag(IDC_SPEED, 99);
    EXPECT_EQ(dialog.Position(IDC_SPEED), 31);
    dialog.Release(IDC_SPEED);
    EXPECT_EQ(probe.log, (Log{"init", "scroll 115 5", "scroll 115 4", "scroll 115 8"}));
    // Not a trackbar: nothing happens.
    probe.host->TrackbarSetPos(IDC_PORT, 5);
    EXPECT_EQ(probe.host->TrackbarGetPos(IDC_PORT), 0);
    EXPECT_FALSE(dialog.Drag(IDC_PORT, 1));
}

TEST(InMemoryDialog, OnlyAutomaticCheckBoxesToggleThemselves) {
    Probe probe;
    InMemoryDialog main(IDD_MAIN, probe);
    main.Open();
    ASSERT_TRUE(main.Click(IDC_BAUD));
    EXPECT_TRUE(main.Checked(IDC_BAUD));
    ASSERT_TRUE(main.Click(IDC_TRACK_ON));  // push-like, checked by the program only
    EXPECT_FALSE(main.Checked(IDC_TRACK_ON));
    probe.host->CheckItem(IDC_STATUS, true);  // an edit has no check
    EXPECT_FALSE(main.Checked(IDC_STATUS));

    Probe advancedProbe;
    InMemoryDialog advanced(IDD_ADVANCED, advancedProbe);
    advanced.Open();
    ASSERT_TRUE(advanced.Click(IDC_ADV_SOUTH));
    EXPECT_FALSE(advanced.Checked(IDC_ADV_SOUTH));
    EXPECT_EQ(advancedProbe.log.back(), "command 106 0");
}

TEST(InMemoryDialog, DisabledAndReadOnlyControlsIgnoreTheUser) {
    Probe probe;
    InMemoryDialog dialog(IDD_MAIN, probe);
    dialog.Open();
    probe.host->EnableItem(IDC_CONNECT, false);
    EXPECT_FALSE(dialog.Click(IDC_CONNECT));
    EXPECT_FALSE(dialog.Type(IDC_STATUS, L"typed"));  // read-only
    EXPECT_FALSE(dialog.Click(IDC_PORT_LABEL));       // a label without notify
    EXPECT_EQ(probe.log, (Log{"init"}));
}

TEST(InMemoryDialog, FocusMovesLikeTheDialogManagerMovesIt) {
    Probe probe;
    InMemoryDialog dialog(IDD_GEAR_RATIO, probe);
    dialog.Open();
    // The first tab stop, edit 100, has the focus after opening.
    EXPECT_EQ(dialog.Focus(), IDC_GEAR_RA);
    dialog.Type(IDC_GEAR_DEC, L"7");
    dialog.Click(IDC_DLG_OK);
    EXPECT_EQ(probe.log, (Log{"init", "command 100 256", "command 100 512", "command 101 256",
                              "command 101 768", "command 101 512", "command 1 0"}));
    EXPECT_FALSE(dialog.Leave(IDC_GEAR_DEC));  // it no longer has the focus
}

TEST(InMemoryDialog, ComboSelectionStaysInsideTheList) {
    Probe probe;
    InMemoryDialog dialog(IDD_INIT_SCOPE, probe);
    dialog.Open();
    probe.host->ComboAddString(IDC_INIT_POSITION, L"a");
    probe.host->ComboAddString(IDC_INIT_POSITION, L"b");
    probe.host->ComboSetSelection(IDC_INIT_POSITION, 1);
    EXPECT_EQ(probe.host->ComboGetSelection(IDC_INIT_POSITION), 1);
    probe.host->ComboSetSelection(IDC_INIT_POSITION, 2);
    EXPECT_EQ(probe.host->ComboGetSelection(IDC_INIT_POSITION), kComboNoSelection);
    EXPECT_FALSE(dialog.Pick(IDC_INIT_POSITION, 2));
    EXPECT_TRUE(dialog.Pick(IDC_INIT_POSITION, 0));
    EXPECT_EQ(probe.log.back(), "command 100 1");
}

TEST(InMemoryDialog, CloseBoxBecomesCancelUnlessHandled) {
    Probe probe;
    InMemoryDialog dialog(IDD_GEAR_RATIO, probe);
    dialog.Open();
    dialog.PressCloseBox();
    EXPECT_EQ(probe.log.back(), "command 2 0");
    EXPECT_FALSE(dialog.Ended());  // the logic did not end it

    probe.handleClose = true;
    dialog.PressCloseBox();
    EXPECT_TRUE(dialog.Ended());
    EXPECT_EQ(dialog.Result(), 7);
    EXPECT_EQ(probe.log.back(), "close");
}

TEST(InMemoryDialog, PostsArriveInOrderWhilePumpedAndOpen) {
    Probe probe;
    {
        InMemoryDialog dialog(IDD_ABOUT, probe);
        dialog.Open();
        probe.host->Post(1000, 0);
        probe.host->Post(1001, -1);
        EXPECT_EQ(dialog.PendingPosts(), 2u);
        EXPECT_EQ(dialog.Pump(), 2u);
        EXPECT_EQ(dialog.Pump(), 0u);
        probe.host->Post(1000, 0);
        probe.host->End(1);
        EXPECT_EQ(dialog.Pump(), 0u);  // gone with the window
    }
    EXPECT_EQ(probe.log, (Log{"init", "user 1000 0", "user 1001 -1", "destroy"}));
}

// A child that finds the template gone fails like a dialog that cannot be created.
class Opener : public DialogLogic {
  public:
    explicit Opener(int templateId) : templateId_(templateId) {}
    intptr_t OnInit(DialogHost& host) override {
        host_ = &host;
        return 1;
    }
    intptr_t OnCommand(int, int) override {
        Probe child;
        return host_->RunChild(templateId_, child);
    }

  private:
    int templateId_;
    DialogHost* host_ = nullptr;
};

TEST(InMemoryDialog, ChildrenRunTheirScriptsOnce) {
    Opener opener(IDD_GEAR_RATIO);
    InMemoryDialog dialog(IDD_MAIN, opener);
    dialog.Open();
    dialog.ScriptChild(IDD_GEAR_RATIO, [](InMemoryDialog& child) { child.End(5); });
    dialog.Click(IDC_CONNECT);
    EXPECT_EQ(dialog.LastResult(), 5);
    // No script left: the user closes it, the probe ignores Cancel, so it never ends.
    dialog.Click(IDC_CONNECT);
    EXPECT_EQ(dialog.LastResult(), -1);
    EXPECT_EQ(dialog.ChildrenRun(), (std::vector<int>{IDD_GEAR_RATIO, IDD_GEAR_RATIO}));

    Opener lost(4242);
    InMemoryDialog other(IDD_MAIN, lost);
    other.Open();
    other.Click(IDC_CONNECT);
    EXPECT_EQ(other.LastResult(), -1);
    EXPECT_TRUE(other.ChildrenRun().empty());
}

}  // namespace
