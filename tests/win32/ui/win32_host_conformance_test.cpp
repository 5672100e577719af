// The Win32 host runs the suite every dialog host runs (support/host_conformance.h) in real
// dialogs from the compiled axistune.rc. The driver acts with the messages a user's input
// produces: BM_CLICK, focus changes, WM_SETTEXT, keys through IsDialogMessage, the close box as
// WM_SYSCOMMAND; a trackbar drag and a list pick are sent as the notifications the control
// itself would send (pixel-exact mouse tracks would only add flakiness).
#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "support/host_conformance.h"
#include "ui/description/dialog_templates.h"
#include "ui/description/resource_ids.h"
#include "ui/win32/win32_dialog.h"

using namespace axistune;

namespace {

// The driver's own posts; no dialog logic posts values this high.
constexpr uintptr_t kStartBody = 0x7A5E0001u;
constexpr uintptr_t kPumpMark = 0x7A5E0002u;
// What the host posts itself when a list row lost the selection (win32_dialog.cpp).
constexpr UINT kListSelectionCleared = WM_APP + 1;

// The checks the host posts itself after a list row lost the selection, as its loop would.
void DeliverListChecks(HWND dialog) {
    MSG message;
    while (
        PeekMessageW(&message, dialog, kListSelectionCleared, kListSelectionCleared, PM_REMOVE)) {
        DispatchMessageW(&message);
    }
}

// The user's answer to the next modal window the dialog owns (a file dialog, a message box),
// given as it is activated: what it shows is kept, then the button is pressed.
class NextModal {
  public:
    static void Answer(HWND owner, int button, bool readText) {
        state_ = {owner, button, readText, L""};
        hook_ = SetWindowsHookExW(WH_CBT, &Watch, nullptr, GetCurrentThreadId());
        EXPECT_NE(hook_, nullptr);
    }
    static std::wstring Seen() { return std::exchange(state_.seen, std::wstring()); }

  private:
    struct State {
        HWND owner;
        int button;
        bool readText;  // the message box's text, else the window's title
        std::wstring seen;
    };
    static LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_ACTIVATE && hook_ != nullptr &&
            GetWindow(window, GW_OWNER) == state_.owner) {
            wchar_t text[256] = {};
            if (state_.readText) {
                GetDlgItemTextW(window, 0xFFFF, text, 256);  // the message box's static text
            } else {
                GetWindowTextW(window, text, 256);
            }
            state_.seen = text;
            PostMessageW(window, WM_COMMAND, MAKEWPARAM(state_.button, BN_CLICKED), 0);
            UnhookWindowsHookEx(hook_);
            hook_ = nullptr;
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline HHOOK hook_ = nullptr;
    static inline State state_{};
};

class Win32Host : public HostUnderTest {
  public:
    intptr_t Run(int templateId, DialogLogic& logic, const Body& body) override {
        const DialogTemplate* description = FindDialogTemplate(templateId);
        Harness harness(*this, logic, body,
                        description != nullptr && description->controlCount > 0
                            ? description->controls[0].id
                            : 0);
        const intptr_t result = module_.RunModal(templateId, harness);
        dialog_ = nullptr;
        return result;
    }

    bool Click(int id) override {
        HWND control = Usable(id);
        if (control == nullptr) {
            return false;
        }
        const LONG style = GetWindowLongW(control, GWL_STYLE);
        if (ClassIs(control, L"Button") && (style & BS_TYPEMASK) != BS_GROUPBOX) {
            SendMessageW(control, BM_CLICK, 0, 0);
            return true;
        }
        if (ClassIs(control, L"Static") && (style & SS_NOTIFY) != 0) {
            SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, 0);
            SendMessageW(control, WM_LBUTTONUP, 0, 0);
            return true;
        }
        return false;
    }
    bool Type(int id, const std::wstring& text) override {
        HWND control = Usable(id);
        if (control == nullptr || !ClassIs(control, L"Edit") ||
            (GetWindowLongW(control, GWL_STYLE) & ES_READONLY) != 0) {
            return false;
        }
        SetFocus(control);
        SetWindowTextW(control, text.c_str());
        return true;
    }
    bool Leave(int id) override {
        if (id == 0 || Focus() != id) {
            return false;
        }
        SetFocus(nullptr);  // the dialog itself would hand the focus back
        return true;
    }
    bool Pick(int id, int row) override {
        HWND control = Usable(id);
        if (control == nullptr || !ClassIs(control, L"ComboBox") || row < 0 ||
            row >= SendMessageW(control, CB_GETCOUNT, 0, 0)) {
            return false;
        }
        SetFocus(control);
        SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(row), 0);
        SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(control));
        return true;
    }
    bool Drag(int id, int position) override {
        HWND control = Trackbar(id);
        if (control == nullptr) {
            return false;
        }
        SetFocus(control);
        SendMessageW(control, TBM_SETPOS, TRUE, position);
        Scroll(control, TB_THUMBTRACK);
        return true;
    }
    bool Release(int id) override {
        HWND control = Trackbar(id);
        if (control == nullptr) {
            return false;
        }
        SetFocus(control);
        Scroll(control, TB_THUMBPOSITION);
        Scroll(control, TB_ENDTRACK);
        return true;
    }
    bool SelectRow(int id, int row) override {
        HWND list = ListWithRow(id, row);
        if (list == nullptr) {
            return false;
        }
        SetFocus(list);
        // As a click selects: the list view notifies the dialog itself.
        LVITEMW state = {};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&state));
        DeliverListChecks(dialog_);
        return true;
    }
    bool DoubleClickRow(int id, int row) override {
        if (!SelectRow(id, row)) {
            return false;
        }
        NMITEMACTIVATE activation = {};
        activation.hdr.hwndFrom = GetDlgItem(dialog_, id);
        activation.hdr.idFrom = static_cast<UINT_PTR>(id);
        activation.hdr.code = NM_DBLCLK;
        activation.iItem = row;
        SendMessageW(dialog_, WM_NOTIFY, static_cast<WPARAM>(id),
                     reinterpret_cast<LPARAM>(&activation));
        return true;
    }
    bool ChooseMenu(int id) override {
        const UINT state =
            GetMenuState(GetSystemMenu(dialog_, FALSE), static_cast<UINT>(id), MF_BYCOMMAND);
        if (state == static_cast<UINT>(-1) || (state & (MF_GRAYED | MF_DISABLED)) != 0) {
            return false;  // no such item, or one the menu does not let the user pick
        }
        SendMessageW(dialog_, WM_SYSCOMMAND, static_cast<WPARAM>(id), 0);
        return true;
    }
    void PressShortcut(int focusId, char key) override {
        SetFocus(GetDlgItem(dialog_, focusId));
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        const BYTE control = keys[VK_CONTROL];
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        Key(static_cast<WPARAM>(key));
        keys[VK_CONTROL] = control;
        SetKeyboardState(keys);
    }
    void CancelNextFileDialog() override { NextModal::Answer(dialog_, IDCANCEL, false); }
    void AnswerNextMessage(bool yes) override {
        NextModal::Answer(dialog_, yes ? IDYES : IDNO, true);
    }
    std::wstring ModalSeen() override { return NextModal::Seen(); }
    // The system menu's items below the system's own commands, after a separator.
    std::vector<MenuItem> Menu() override {
        std::vector<MenuItem> items;
        HMENU menu = GetSystemMenu(dialog_, FALSE);
        const int count = GetMenuItemCount(menu);
        for (int i = 0; i < count; ++i) {
            const UINT id = GetMenuItemID(menu, i);
            if (id == 0 || id == static_cast<UINT>(-1) || id >= 0xF000) {
                continue;
            }
            if (items.empty()) {
                EXPECT_NE(
                    GetMenuState(menu, static_cast<UINT>(i - 1), MF_BYPOSITION) & MF_SEPARATOR, 0u);
            }
            wchar_t text[128] = {};
            GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
            std::wstring label = text;
            char key = 0;
            const size_t tab = label.find(L"\tCtrl+");
            const size_t keyAt = tab + 6;  // after "\tCtrl+"
            if (tab != std::wstring::npos && keyAt < label.size()) {
                key = static_cast<char>(label[keyAt]);
                label.resize(tab);
            }
            const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
            items.push_back({label, key, (state & (MF_GRAYED | MF_DISABLED)) == 0});
        }
        return items;
    }
    std::vector<std::wstring> ListColumns(int id) override {
        std::vector<std::wstring> titles;
        HWND header = reinterpret_cast<HWND>(SendDlgItemMessageW(dialog_, id, LVM_GETHEADER, 0, 0));
        const int count =
            header != nullptr ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
        for (int i = 0; i < count; ++i) {
            wchar_t text[128] = {};
            HDITEMW item = {};
            item.mask = HDI_TEXT;
            item.pszText = text;
            item.cchTextMax = 128;
            SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(&item));
            titles.push_back(text);
        }
        return titles;
    }
    std::vector<std::wstring> ListRow(int id, int row) override {
        std::vector<std::wstring> cells;
        const size_t columns = ListColumns(id).size();
        for (size_t i = 0; i < columns; ++i) {
            wchar_t text[256] = {};
            LVITEMW item = {};
            item.iSubItem = static_cast<int>(i);
            item.pszText = text;
            item.cchTextMax = 256;
            SendDlgItemMessageW(dialog_, id, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                reinterpret_cast<LPARAM>(&item));
            cells.push_back(text);
        }
        return cells;
    }
    int LineCount(int id) override {
        return static_cast<int>(SendDlgItemMessageW(dialog_, id, EM_GETLINECOUNT, 0, 0));
    }
    void PressEnter() override { Key(VK_RETURN); }
    void PressEscape() override { Key(VK_ESCAPE); }
    void PressCloseBox() override {
        if (Ended()) {
            return;
        }
        SendMessageW(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0);
        // Unhandled, the dialog manager posts command 2; deliver it as the loop would.
        MSG message;
        if (!Ended() && PeekMessageW(&message, dialog_, WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
    }
    size_t Pump() override {
        const size_t before = delivered_;
        markSeen_ = false;
        PostMessageW(dialog_, WM_USER, kPumpMark, 0);
        MSG message;
        while (!markSeen_ && PeekMessageW(&message, dialog_, WM_USER, WM_USER, PM_REMOVE)) {
            if (message.wParam == kPumpMark) {
                break;
            }
            if (!Ended()) {  // an ended dialog's loop delivers nothing more
                DispatchMessageW(&message);
            }
        }
        return delivered_ - before;
    }

    bool Has(int id) override { return GetDlgItem(dialog_, id) != nullptr; }
    std::wstring Text(int id) override {
        wchar_t text[512] = {};
        GetDlgItemTextW(dialog_, id, text, 512);
        return text;
    }
    bool Checked(int id) override { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }
    bool Enabled(int id) override {
        HWND control = GetDlgItem(dialog_, id);
        return control != nullptr && IsWindowEnabled(control) != FALSE;
    }
    int Position(int id) override {
        return static_cast<int>(SendDlgItemMessageW(dialog_, id, TBM_GETPOS, 0, 0));
    }
    std::pair<int, int> Range(int id) override {
        return {static_cast<int>(SendDlgItemMessageW(dialog_, id, TBM_GETRANGEMIN, 0, 0)),
                static_cast<int>(SendDlgItemMessageW(dialog_, id, TBM_GETRANGEMAX, 0, 0))};
    }
    int Focus() override {
        HWND focus = GetFocus();
        return focus != nullptr && IsChild(dialog_, focus) ? GetDlgCtrlID(focus) : 0;
    }
    // EndDialog hides the dialog at once; the driver shows it before the body runs.
    bool Ended() override { return IsWindowVisible(dialog_) == FALSE; }

  private:
    // Forwards everything to the logic under test; starts the body from the dialog's own loop
    // and counts the posts that reach the logic.
    class Harness : public DialogLogic {
      public:
        Harness(Win32Host& owner, DialogLogic& inner, const Body& body, int anchor)
            : owner_(owner), inner_(inner), body_(body), anchor_(anchor) {}

        intptr_t OnInit(DialogHost& host) override {
            owner_.dialog_ = GetParent(reinterpret_cast<HWND>(host.ItemHandle(anchor_)));
            host.Post(kStartBody, 0);  // ahead of anything the logic posts
            return inner_.OnInit(host);
        }
        intptr_t OnCommand(int id, int code) override { return inner_.OnCommand(id, code); }
        intptr_t OnHScroll(int code, int id) override { return inner_.OnHScroll(code, id); }
        intptr_t OnClose() override { return inner_.OnClose(); }
        void OnDestroy() override { inner_.OnDestroy(); }
        intptr_t OnMenuCommand(int id) override { return inner_.OnMenuCommand(id); }
        intptr_t OnUser(uintptr_t wParam, intptr_t lParam) override {
            if (wParam == kStartBody) {
                ShowWindow(owner_.dialog_, SW_SHOWNORMAL);  // the loop's first idle does it too
                body_();
                if (!owner_.Ended()) {
                    EndDialog(owner_.dialog_, kLeftOpen);
                }
                return 1;
            }
            if (wParam == kPumpMark) {  // met by a nested loop (a child dialog)
                owner_.markSeen_ = true;
                return 1;
            }
            ++owner_.delivered_;
            return inner_.OnUser(wParam, lParam);
        }

      private:
        Win32Host& owner_;
        DialogLogic& inner_;
        const Body& body_;
        int anchor_;
    };

    HWND Usable(int id) {
        HWND control = GetDlgItem(dialog_, id);
        return control != nullptr && IsWindowEnabled(control) && !Ended() ? control : nullptr;
    }
    HWND ListWithRow(int id, int row) {
        HWND control = Usable(id);
        return control != nullptr && ClassIs(control, WC_LISTVIEWW) && row >= 0 &&
                       row < SendMessageW(control, LVM_GETITEMCOUNT, 0, 0)
                   ? control
                   : nullptr;
    }
    HWND Trackbar(int id) {
        HWND control = Usable(id);
        return control != nullptr && ClassIs(control, TRACKBAR_CLASSW) ? control : nullptr;
    }
    static bool ClassIs(HWND control, const wchar_t* name) {
        wchar_t actual[64] = {};
        GetClassNameW(control, actual, 64);
        return lstrcmpiW(actual, name) == 0;
    }
    // WM_HSCROLL as the trackbar sends it to its parent.
    void Scroll(HWND control, int code) {
        const WPARAM position = static_cast<WORD>(SendMessageW(control, TBM_GETPOS, 0, 0));
        SendMessageW(dialog_, WM_HSCROLL, MAKEWPARAM(code, position),
                     reinterpret_cast<LPARAM>(control));
    }
    void Key(WPARAM key) {
        if (Ended()) {
            return;
        }
        MSG message = {};
        HWND focus = GetFocus();
        message.hwnd = focus != nullptr && IsChild(dialog_, focus) ? focus : dialog_;
        message.message = WM_KEYDOWN;
        message.wParam = key;
        message.lParam = 1;
        IsDialogMessageW(dialog_, &message);
    }

    Win32DialogModule module_{GetModuleHandleW(nullptr)};
    HWND dialog_ = nullptr;
    size_t delivered_ = 0;
    bool markSeen_ = false;
};

std::unique_ptr<HostUnderTest> MakeWin32Host() {
    static const bool initialised = [] {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_COOL_CLASSES};
        return InitCommonControlsEx(&controls) != FALSE;
    }();
    EXPECT_TRUE(initialised);
    return std::make_unique<Win32Host>();
}

INSTANTIATE_TEST_SUITE_P(Win32, HostConformance,
                         ::testing::Values(HostFactory{"Win32", &MakeWin32Host}), HostFactoryName);

// The commands join the system menu and change nothing else of the main window.
TEST(Win32Host, MenuCommandsLeaveTheMainWindowAsItWas) {
    const auto host = MakeWin32Host();
    ProbeLogic probe;
    host->Run(IDD_MAIN, probe, [&] {
        HWND dialog = GetParent(reinterpret_cast<HWND>(probe.host->ItemHandle(IDC_CONNECT)));
        WINDOWINFO before = {sizeof before, {}, {}, 0, 0, 0, 0, 0, 0, 0};
        GetWindowInfo(dialog, &before);
        const int systemItems = GetMenuItemCount(GetSystemMenu(dialog, FALSE));
        const MenuCommand commands[] = {{0x0100, L"Back up settings...", 'B', true},
                                        {0x0110, L"Settings history...", 'H', false}};
        ASSERT_TRUE(probe.host->SetMenuCommands(commands, 2));
        WINDOWINFO after = before;
        GetWindowInfo(dialog, &after);
        EXPECT_TRUE(EqualRect(&before.rcWindow, &after.rcWindow) &&
                    EqualRect(&before.rcClient, &after.rcClient));
        EXPECT_EQ(before.dwStyle, after.dwStyle);
        EXPECT_EQ(before.dwExStyle, after.dwExStyle);
        EXPECT_EQ(GetMenu(dialog), nullptr);  // still no menu bar
        HMENU menu = GetSystemMenu(dialog, FALSE);
        EXPECT_EQ(GetMenuItemCount(menu), systemItems + 3);  // a separator and the two
        EXPECT_NE(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
        // The system's own commands still reach the dialog manager: the close box works.
        host->PressCloseBox();
        EXPECT_EQ(probe.log.back(), "command 2 0");
    });
}

// A click beside the rows clears the selection: reported once no other row took it.
TEST(Win32Host, ClearingTheSelectionIsReported) {
    const auto host = MakeWin32Host();
    ProbeLogic probe;
    host->Run(IDD_COMPARE_RESULT, probe, [&] {
        const wchar_t* row[] = {L"RA max speed", L"800", L"900"};
        probe.host->ListAddRow(IDC_COMPARE_DIFFERENCES, row, 3);
        ASSERT_TRUE(host->SelectRow(IDC_COMPARE_DIFFERENCES, 0));
        HWND list = reinterpret_cast<HWND>(probe.host->ItemHandle(IDC_COMPARE_DIFFERENCES));
        LVITEMW none = {};
        none.stateMask = LVIS_SELECTED;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&none));
        DeliverListChecks(GetParent(list));
        EXPECT_EQ(probe.host->ListGetSelection(IDC_COMPARE_DIFFERENCES), kListNoSelection);
        EXPECT_EQ(probe.log, (ProbeLog{"init", "command 100 -101", "command 100 -101"}));
    });
}

}  // namespace
