// The Win32 host with real dialogs: templates from the compiled axistune.rc, real controls and
// a real message loop. Each test opens a dialog whose logic posts itself a message once the
// dialog runs, and drives and inspects it from there with window messages.
#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/app_model.h"
#include "main_window_fixture.h"
#include "recording_telescope_control.h"
#include "resource_ids.h"
#include "support/in_memory_dialog.h"
#include "ui/dlg_about.h"
#include "ui/dlg_config.h"
#include "ui/dlg_gear_ratio.h"
#include "ui/win32/win32_dialog.h"

using namespace axistune;

namespace {

constexpr uintptr_t kDrive = 5000;

// Forwards everything to the dialog under test and runs the test's steps from posted messages,
// i.e. from inside the dialog's own message loop.
class Driver : public DialogLogic {
  public:
    using Step = std::function<void(DialogHost& host, HWND dialog)>;

    // anchor: any control of the template; its parent is the dialog.
    Driver(DialogLogic& inner, int anchor, std::vector<Step> steps)
        : inner_(inner), anchor_(anchor), steps_(std::move(steps)) {}

    intptr_t OnInit(DialogHost& host) override {
        host_ = &host;
        const intptr_t result = inner_.OnInit(host);
        host.Post(kDrive, 0);
        return result;
    }
    intptr_t OnCommand(int id, int code) override { return inner_.OnCommand(id, code); }
    intptr_t OnHScroll(int code, int id) override { return inner_.OnHScroll(code, id); }
    intptr_t OnClose() override { return inner_.OnClose(); }
    void OnDestroy() override { inner_.OnDestroy(); }
    intptr_t OnUser(uintptr_t wParam, intptr_t lParam) override {
        if (wParam != kDrive) {
            return inner_.OnUser(wParam, lParam);
        }
        HWND dialog = GetParent(reinterpret_cast<HWND>(host_->ItemHandle(anchor_)));
        if (next_ < steps_.size()) {
            steps_[next_++](*host_, dialog);
        }
        if (next_ < steps_.size()) {
            host_->Post(kDrive, 0);  // behind whatever the step posted
        }
        return 1;
    }

  private:
    DialogLogic& inner_;
    int anchor_;
    std::vector<Step> steps_;
    size_t next_ = 0;
    DialogHost* host_ = nullptr;
};

class Win32DialogTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_COOL_CLASSES};
        ASSERT_TRUE(InitCommonControlsEx(&controls));
    }

    Win32DialogModule module{GetModuleHandleW(nullptr)};
};

std::wstring TextOf(HWND dialog, int id) {
    wchar_t text[256] = {};
    GetDlgItemTextW(dialog, id, text, 256);
    return text;
}

LRESULT Send(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendDlgItemMessageW(dialog, id, message, wParam, lParam);
}

void Command(HWND dialog, int id, int code) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, code),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void EndTrack(HWND dialog, int id) {
    SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool Enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

TEST_F(Win32DialogTest, MainWindowRunsInRealControls) {
    RecordingTelescopeControl engine;
    AppModel model;
    DlgConfig config(module, engine, model);
    model.SetCallback(&config);
    model.SetPoster(&config);
    bool stillOpen = false;

    Driver driver(
        config, IDC_STATUS,
        {
            [&](DialogHost& host, HWND dialog) {
                EXPECT_EQ(host.ItemHandle(IDC_VOLTAGE), 0u);
                EXPECT_EQ(Send(dialog, IDC_PORT, CB_GETCOUNT), 256);
                EXPECT_EQ(Send(dialog, IDC_PORT, CB_GETCURSEL), 0);
                EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_BAUD), BST_CHECKED);
                EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_TRACK_OFF), BST_CHECKED);
                EXPECT_EQ(Send(dialog, IDC_SPEED, TBM_GETRANGEMAX), 31);
                EXPECT_EQ(Send(dialog, IDC_SPEED, TBM_GETPOS), 10);
                // The overtone range crosses zero and the thumb starts in its middle.
                EXPECT_EQ(static_cast<int>(Send(dialog, IDC_RA_OVERTONE_BAR, TBM_GETRANGEMIN)),
                          -20);
                EXPECT_EQ(Send(dialog, IDC_RA_OVERTONE_BAR, TBM_GETRANGEMAX), 20);
                EXPECT_EQ(Send(dialog, IDC_RA_OVERTONE_BAR, TBM_GETPOS), 0);
                EXPECT_NE(Send(dialog, IDC_NORTH, BM_GETIMAGE, IMAGE_BITMAP), 0);
                EXPECT_FALSE(Enabled(dialog, IDC_STOP));
                EXPECT_FALSE(Enabled(dialog, IDC_ADVANCED));
                EXPECT_TRUE(Enabled(dialog, IDC_CONNECT));

                model.OnStatus(3);  // posted; delivered before the next step
            },
            [&](DialogHost&, HWND dialog) {
                EXPECT_EQ(TextOf(dialog, IDC_STATUS), L"Connection established.");
                EXPECT_TRUE(Enabled(dialog, IDC_STOP));
                EXPECT_FALSE(Enabled(dialog, IDC_RA_REVERSE_LIMITS));
                const ControllerSettings settings = TypicalSettings();
                model.OnSettings(&settings, 1);
            },
            [&](DialogHost&, HWND dialog) {
                char firmware[64] = {};
                GetDlgItemTextA(dialog, IDC_FIRMWARE, firmware, sizeof firmware);
                EXPECT_STREQ(firmware, "Firmware version: 2.6.0.1");
                EXPECT_EQ(TextOf(dialog, IDC_RA_MAX_SPEED), L"600");
                EXPECT_EQ(Send(dialog, IDC_RA_MAX_SPEED_BAR, TBM_GETPOS), 20);
                EXPECT_EQ(static_cast<int>(Send(dialog, IDC_RA_OVERTONE_BAR, TBM_GETPOS)), -3);
                EXPECT_TRUE(Enabled(dialog, IDC_ADVANCED));
                engine.Clear();

                Command(dialog, IDC_WEST, BN_CLICKED);
                EndTrack(dialog, IDC_SPEED);  // not a panel trackbar
                EndTrack(dialog, IDC_RA_MAX_SPEED_BAR);
                EXPECT_EQ(TextOf(dialog, IDC_RA_MAX_SPEED), L"630");

                SetDlgItemTextW(dialog, IDC_RA_ACCEL, L"300");
                Command(dialog, IDC_RA_ACCEL, EN_KILLFOCUS);
                EXPECT_EQ(Send(dialog, IDC_RA_ACCEL_BAR, TBM_GETPOS), 3);
                SetDlgItemTextW(dialog, IDC_RA_OVERTONE, L"-30");
                Command(dialog, IDC_RA_OVERTONE, EN_KILLFOCUS);
                EXPECT_EQ(static_cast<int>(Send(dialog, IDC_RA_OVERTONE_BAR, TBM_GETPOS)), -20);
                EXPECT_EQ(engine.calls,
                          (Calls{"MoveManual(2,10)", "SetMaxSpeed(630,900)",
                                 "SetAcceleration(44,120)", "SetOvertone(0x80,-30)"}));

                // Enter and Escape do not close the main window; the close box does.
                Command(dialog, IDOK, BN_CLICKED);
                Command(dialog, IDCANCEL, BN_CLICKED);
            },
            [&](DialogHost&, HWND dialog) {
                stillOpen = true;  // an ended dialog would not run this step
                PostMessageW(dialog, WM_CLOSE, 0, 0);
            },
        });
    EXPECT_EQ(module.RunModal(IDD_MAIN, driver), 1);
    EXPECT_TRUE(stillOpen);
    // The window is gone: an event now reaches nothing.
    model.OnStatus(4);
}

TEST_F(Win32DialogTest, AboutBoxLinkLooksAndActsLikeALink) {
    DlgAbout about;
    Driver driver(
        about, IDC_ABOUT_LINK,
        {
            [](DialogHost&, HWND dialog) {
                LOGFONTW font = {};
                HFONT link = reinterpret_cast<HFONT>(Send(dialog, IDC_ABOUT_LINK, WM_GETFONT));
                ASSERT_NE(GetObjectW(link, sizeof font, &font), 0);
                EXPECT_TRUE(font.lfUnderline);
                HFONT title = reinterpret_cast<HFONT>(Send(dialog, IDC_ABOUT_TITLE, WM_GETFONT));
                ASSERT_NE(GetObjectW(title, sizeof font, &font), 0);
                EXPECT_EQ(font.lfHeight, 16);
                EXPECT_EQ(font.lfWeight, 700);

                HWND control = GetDlgItem(dialog, IDC_ABOUT_LINK);
                EXPECT_TRUE(SendMessageW(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
                EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
                HDC context = GetDC(control);
                EXPECT_EQ(SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(context),
                                       reinterpret_cast<LPARAM>(control)),
                          reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
                EXPECT_EQ(GetTextColor(context), GetSysColor(COLOR_HOTLIGHT));
                ReleaseDC(control, context);

                Command(dialog, IDCANCEL, BN_CLICKED);  // "Exit"
            },
        });
    EXPECT_EQ(module.RunModal(IDD_ABOUT, driver), 1);
}

TEST_F(Win32DialogTest, CloseBoxArrivesAsCancel) {
    GearRatios record{100, 200};
    DlgGearRatio gear(record);
    Driver driver(gear, IDC_GEAR_RA,
                  {
                      [](DialogHost&, HWND dialog) {
                          SetDlgItemTextW(dialog, IDC_GEAR_RA, L"5");
                          PostMessageW(dialog, WM_CLOSE, 0, 0);
                      },
                  });
    EXPECT_EQ(module.RunModal(IDD_GEAR_RATIO, driver), 0);
    EXPECT_EQ(record.raRatio, 100u);
}

// The in-memory host reads integers as the real edit does, for the texts the dialogs meet. Wine
// parts from Windows at the edges (it accepts a minus sign in unsigned reads, and its checks of
// the 32-bit limits depend on a stale errno), so those are left out here; the in-memory host
// follows Windows.
TEST_F(Win32DialogTest, IntegerReadingMatchesTheInMemoryHost) {
    const struct {
        const wchar_t* text;
        bool isSigned;
    } cases[] = {
        {L"", false},     {L"", true},     {L"abc", false},   {L"abc", true},
        {L"  42", false}, {L"  42", true}, {L"42abc", false}, {L"007", true},
        {L"300", false},  {L"-5", true},   {L"-30", true},    {L"4294967295", false},
        {L"1 2", false},  {L"-", true},
    };
    GearRatios record{0, 0};
    DlgGearRatio gear(record);
    Driver driver(gear, IDC_GEAR_RA,
                  {
                      [&cases](DialogHost& host, HWND dialog) {
                          GearRatios unused{0, 0};
                          DlgGearRatio other(unused);
                          InMemoryDialog memory(IDD_GEAR_RATIO, other);
                          memory.Open();
                          for (const auto& c : cases) {
                              SetDlgItemTextW(dialog, IDC_GEAR_RA, c.text);
                              memory.SetItemText(IDC_GEAR_RA, c.text);
                              EXPECT_EQ(host.GetItemInt(IDC_GEAR_RA, c.isSigned),
                                        memory.GetItemInt(IDC_GEAR_RA, c.isSigned))
                                  << c.isSigned << " '"
                                  << std::string(c.text, c.text + wcslen(c.text)) << "'";
                          }
                          Command(dialog, IDCANCEL, BN_CLICKED);
                      },
                  });
    EXPECT_EQ(module.RunModal(IDD_GEAR_RATIO, driver), 0);
}

}  // namespace
