// Night mode of the Win32 host with real dialogs: the colours each kind of control is given,
// which controls lose their visual style, and every dialog's look on the screen.
#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "driver/screen_capture.h"
#include "resource_ids.h"
#include "ui/description/dialog_templates.h"
#include "ui/night_palette.h"
#include "ui/win32/night_colours.h"
#include "ui/win32/night_mode.h"
#include "ui/win32/win32_dialog.h"

using namespace axistune;

namespace {

constexpr int kBrightLimit = 110;  // of 255, for green and blue

// A step that returns false runs again at the next tick.
using Step = std::function<bool(HWND)>;

// Runs each step with the dialog once it shows, from inside its message loop, then ends it.
// Each step runs from a timer, and timers fire only when the loop has nothing else to do: the
// dialog is shown and painted, and Wine has put what it painted on the screen.
class Probe : public DialogLogic {
  public:
    Probe(int anchor, std::vector<Step> steps) : anchor_(anchor), steps_(std::move(steps)) {}
    intptr_t OnInit(DialogHost& host) override {
        host_ = &host;
        current_ = this;
        dialog_ = GetParent(reinterpret_cast<HWND>(host.ItemHandle(anchor_)));
        SetTimer(dialog_, kTimer, USER_TIMER_MINIMUM, &Probe::Tick);
        return TRUE;
    }
    intptr_t OnCommand(int, int) override { return FALSE; }

  private:
    static constexpr UINT_PTR kTimer = 7;
    static constexpr int kMostRepeats = 500;

    static void CALLBACK Tick(HWND dialog, UINT, UINT_PTR, DWORD) {
        Probe& probe = *current_;
        if (probe.next_ < probe.steps_.size() && probe.repeats_ < kMostRepeats) {
            if (probe.steps_[probe.next_](dialog)) {
                ++probe.next_;
                probe.repeats_ = 0;
            } else {
                ++probe.repeats_;
            }
            return;
        }
        EXPECT_EQ(probe.next_, probe.steps_.size()) << "a step did not finish";
        KillTimer(dialog, kTimer);
        probe.host_->End(IDCANCEL);
    }

    static inline Probe* current_ = nullptr;
    int anchor_;
    std::vector<Step> steps_;
    size_t next_ = 0;
    int repeats_ = 0;
    DialogHost* host_ = nullptr;
    HWND dialog_ = nullptr;
};

void RunDialog(int templateId, std::vector<Step> steps) {
    const DialogTemplate* description = FindDialogTemplate(templateId);
    ASSERT_TRUE(description != nullptr && description->controlCount > 0);
    Win32DialogModule module(GetModuleHandleW(nullptr));
    Probe probe(description->controls[0].id, std::move(steps));
    ASSERT_EQ(module.RunModal(templateId, probe), IDCANCEL);
}

class NightOn {
  public:
    NightOn() { win32_night::Switch(true); }
    ~NightOn() { win32_night::Switch(false); }
};

struct Reply {
    INT_PTR brush;
    COLORREF text;
    COLORREF ground;
};

Reply Ask(HWND dialog, UINT message, HWND control, bool byDefault) {
    HDC context = CreateCompatibleDC(nullptr);
    const LPARAM target = reinterpret_cast<LPARAM>(control != nullptr ? control : dialog);
    const WPARAM dc = reinterpret_cast<WPARAM>(context);
    const INT_PTR brush = byDefault ? DefWindowProcW(dialog, message, dc, target)
                                    : SendMessageW(dialog, message, dc, target);
    const Reply reply{brush, GetTextColor(context), GetBkColor(context)};
    DeleteDC(context);
    return reply;
}

COLORREF BrushColour(INT_PTR brush) {
    LOGBRUSH description = {};
    GetObjectW(reinterpret_cast<HBRUSH>(brush), sizeof description, &description);
    return description.lbColor;
}

size_t BrightPixels(const e2e::Capture& capture, const std::wstring& name, std::string* where) {
    e2e::SavePicture(capture, name + L".ppm");  // to look at
    return e2e::CountBrightNonRed(capture, kBrightLimit, where);
}

class Win32NightMode : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_COOL_CLASSES};
        ASSERT_TRUE(InitCommonControlsEx(&controls));
    }
};

// The dialog procedure's reply to WM_CTLCOLOR* for each kind of control: the night's text and
// ground at night, by day exactly what the system's default handling gives.
TEST_F(Win32NightMode, EachKindOfControlHasItsNightColoursAndTheSystemsByDay) {
    const struct {
        const char* kind;
        int templateId;
        int id;  // 0: the dialog itself
        UINT message;
        bool enabled;
        NightColour text;
        NightColour ground;
    } rows[] = {
        {"dialog", IDD_MAIN, 0, WM_CTLCOLORDLG, true, night::kText, night::kWindow},
        {"static", IDD_MAIN, IDC_PORT_LABEL, WM_CTLCOLORSTATIC, true, night::kText, night::kWindow},
        {"read-only edit", IDD_MAIN, IDC_STATUS, WM_CTLCOLORSTATIC, true, night::kText,
         night::kWindow},
        {"edit", IDD_MAIN, IDC_RA_MAX_SPEED, WM_CTLCOLOREDIT, true, night::kText, night::kField},
        {"disabled edit", IDD_MAIN, IDC_RA_MAX_SPEED, WM_CTLCOLORSTATIC, false,
         night::kDisabledText, night::kWindow},
        {"combo box list", IDD_MAIN, IDC_PORT, WM_CTLCOLORLISTBOX, true, night::kText,
         night::kField},
        {"button", IDD_MAIN, IDC_CONNECT, WM_CTLCOLORBTN, true, night::kText, night::kButton},
        {"disabled button", IDD_MAIN, IDC_STOP, WM_CTLCOLORBTN, false, night::kDisabledText,
         night::kButton},
        {"check box", IDD_MAIN, IDC_BAUD, WM_CTLCOLORSTATIC, true, night::kText, night::kWindow},
        {"radio button", IDD_ADVANCED, IDC_ADV_NORTH, WM_CTLCOLORSTATIC, true, night::kText,
         night::kWindow},
        {"group box", IDD_MAIN, IDC_GEAR_GROUP, WM_CTLCOLORSTATIC, true, night::kText,
         night::kWindow},
        {"trackbar", IDD_MAIN, IDC_SPEED, WM_CTLCOLORSTATIC, true, night::kText, night::kWindow},
    };
    for (const int templateId : {IDD_MAIN, IDD_ADVANCED}) {
        RunDialog(templateId, {[&](HWND dialog) {
                      for (const auto& row : rows) {
                          if (row.templateId != templateId) {
                              continue;
                          }
                          SCOPED_TRACE(row.kind);
                          HWND control = row.id != 0 ? GetDlgItem(dialog, row.id) : nullptr;
                          EXPECT_TRUE(row.id == 0 || control != nullptr);
                          if (control != nullptr) {
                              EnableWindow(control, row.enabled ? TRUE : FALSE);
                          }
                          const Reply day = Ask(dialog, row.message, control, false);
                          const Reply system = Ask(dialog, row.message, control, true);
                          EXPECT_EQ(day.brush, system.brush);
                          EXPECT_EQ(day.text, system.text);
                          EXPECT_EQ(day.ground, system.ground);
                          EXPECT_EQ(NightColourReply(false, nullptr, control), 0);

                          NightOn on;
                          const Reply night = Ask(dialog, row.message, control, false);
                          EXPECT_NE(night.brush, 0);
                          EXPECT_EQ(night.text, RgbOf(row.text));
                          EXPECT_EQ(night.ground, RgbOf(row.ground));
                          EXPECT_EQ(BrushColour(night.brush), RgbOf(row.ground));
                      }
                      return true;
                  }});
    }
}

void HoldControl(bool down) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

// Ctrl+N in a dialog of ours switches night mode back and forth and tells the program each time.
TEST_F(Win32NightMode, CtrlNSwitchesAndTellsTheProgram) {
    std::vector<bool> told;
    win32_night::SetListener([&](bool on) { told.push_back(on); });
    const auto pressCtrlN = [](HWND dialog) {
        HoldControl(true);
        PostMessageW(GetDlgItem(dialog, IDC_CONNECT), WM_KEYDOWN, 'N', 1);
        return true;
    };
    RunDialog(IDD_MAIN, {pressCtrlN, [](HWND) { return win32_night::On(); }, pressCtrlN,
                         [](HWND) { return !win32_night::On(); }});
    HoldControl(false);
    win32_night::SetListener(nullptr);
    EXPECT_EQ(told, (std::vector<bool>{true, false}));
}

// What the system inverts or highlights by itself: a focused trackbar's focus rectangle and the
// port box's open list with its selected row.
TEST_F(Win32NightMode, FocusedTrackbarAndOpenPortListStayRed) {
    NightOn on;
    e2e::SettledCapture screen;
    HWND list = nullptr;
    const auto settled = [&](HWND window) {
        return screen.Next(window) && e2e::CountLitRed(screen.Result(), kBrightLimit) > 0;
    };
    const auto noBrightPixel = [&](HWND) {
        std::string where;
        EXPECT_EQ(BrightPixels(screen.Result(), L"night-focus", &where), 0u) << where;
        return true;
    };
    RunDialog(IDD_MAIN, {[&](HWND dialog) {
                             HWND port = GetDlgItem(dialog, IDC_PORT);
                             for (const wchar_t* name : {L"COM1", L"COM2", L"COM3"}) {
                                 SendMessageW(port, CB_ADDSTRING, 0,
                                              reinterpret_cast<LPARAM>(name));
                             }
                             SendMessageW(port, CB_SETCURSEL, 1, 0);
                             SetFocus(GetDlgItem(dialog, IDC_SPEED));
                             return true;
                         },
                         settled, noBrightPixel,
                         [&](HWND dialog) {
                             HWND port = GetDlgItem(dialog, IDC_PORT);
                             COMBOBOXINFO info = {};
                             info.cbSize = sizeof info;
                             EXPECT_TRUE(GetComboBoxInfo(port, &info));
                             list = info.hwndList;
                             SendMessageW(port, CB_SHOWDROPDOWN, TRUE, 0);
                             return true;
                         },
                         [&](HWND) { return list != nullptr && settled(list); }, noBrightPixel,
                         [&](HWND dialog) {
                             SendDlgItemMessageW(dialog, IDC_PORT, CB_SHOWDROPDOWN, FALSE, 0);
                             return true;
                         }});
}

// Selected text, which edits highlight in the system's colours: a line of the main window and
// the restore report, many lines, all selected as the dialog opens with the focus on it.
TEST_F(Win32NightMode, SelectedTextStaysRed) {
    NightOn on;
    struct Case {
        int dialog;
        int edit;
        const wchar_t* text;
    };
    const Case cases[] = {
        {IDD_MAIN, IDC_RA_MAX_SPEED, L"1200"},
        {IDD_RESTORE_RESULT, IDC_RESTORE_REPORT,
         L"Applied:\r\n    ra.max_speed: 900\r\n    dec.max_speed: 900\r\n\r\nNot applied:\r\n"
         L"    site.latitude: 48:30:00 N"},
    };
    for (const Case& each : cases) {
        e2e::SettledCapture screen;
        RunDialog(
            each.dialog,
            {[&](HWND dialog) {
                 HWND edit = GetDlgItem(dialog, each.edit);
                 SetWindowTextW(edit, each.text);
                 SetFocus(edit);
                 SendMessageW(edit, EM_SETSEL, 0, -1);
                 return true;
             },
             [&](HWND dialog) {
                 return screen.Next(dialog) && e2e::CountLitRed(screen.Result(), kBrightLimit) > 0;
             },
             [&](HWND) {
                 std::string where;
                 EXPECT_EQ(BrightPixels(screen.Result(),
                                        L"night-selection-" + std::to_wstring(each.dialog), &where),
                           0u)
                     << where;
                 return true;
             }});
    }
}

// Visual styles draw push buttons, check boxes, radio buttons and group boxes without asking
// for colours: those, and only those, have their theme taken off at night.
bool IsButtonKind(ControlKind kind) {
    switch (kind) {
        case ControlKind::kPushButton:
        case ControlKind::kBitmapButton:
        case ControlKind::kCheckBox:
        case ControlKind::kPushLikeCheckBox:
        case ControlKind::kRadioButton:
        case ControlKind::kGroupBox:
            return true;
        default:
            return false;
    }
}

// Every dialog of ours, switched to night while open: the controls that lose their theme, and
// the client area on the screen with no pixel bright in green or blue, disabled controls
// included. By day the same capture shows the system's light colours.
TEST_F(Win32NightMode, EveryDialogShowsNothingBrightButRedAtNight) {
    size_t count = 0;
    const DialogTemplate* templates = DialogTemplates(&count);
    for (size_t t = 0; t < count; ++t) {
        const DialogTemplate& description = templates[t];
        SCOPED_TRACE(description.symbol);
        const std::wstring name = std::to_wstring(description.id);
        std::string where;
        e2e::SettledCapture screen;
        RunDialog(
            description.id,
            {[&](HWND dialog) {
                 // Half of the controls disabled, so both looks are on the screen.
                 for (size_t i = 0; i < description.controlCount; i += 2) {
                     EnableWindow(GetDlgItem(dialog, description.controls[i].id), FALSE);
                 }
                 return true;
             },
             [&](HWND dialog) { return screen.Next(dialog); },
             [&](HWND dialog) {
                 EXPECT_GT(BrightPixels(screen.Result(), L"day-" + name, &where), 0u);
                 win32_night::Switch(true);
                 for (size_t i = 0; i < description.controlCount; ++i) {
                     const ControlTemplate& control = description.controls[i];
                     EXPECT_EQ(IsButtonClass(LookOf(GetDlgItem(dialog, control.id))),
                               IsButtonKind(control.kind))
                         << control.symbol;
                 }
                 return true;
             },
             [&](HWND dialog) {
                 // Until something shows: a repaint seen half-way is all black.
                 return screen.Next(dialog) && e2e::CountLitRed(screen.Result(), kBrightLimit) > 0;
             },
             [&](HWND) {
                 where.clear();
                 EXPECT_EQ(BrightPixels(screen.Result(), L"night-" + name, &where), 0u) << where;
                 return true;
             }});
        win32_night::Switch(false);  // also after a failed step
    }
}

}  // namespace
