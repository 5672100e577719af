#include "ui/win32/night_mode.h"

// After windows.h, which they build on.
#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "ui/win32/night_colours.h"
#include "ui/win32/night_paint.h"

namespace axistune {
namespace win32_night {

namespace {

constexpr UINT_PTR kSubclassId = 0x4E49;  // "NI"

struct ButtonBitmap {
    HWND button;
    HBITMAP day;
    HBITMAP night;
    HBITMAP nightDisabled;  // dimmer, as the disabled text
};

struct OpenDialog {
    HWND window;
    std::vector<ButtonBitmap> bitmaps;
};

struct State {
    bool on = false;
    std::function<void(bool)> listener;
    std::vector<OpenDialog> dialogs;
    HHOOK hook = nullptr;
};

State& Night() {
    static State state;
    return state;
}

OpenDialog* Find(HWND dialog) {
    for (OpenDialog& open : Night().dialogs) {
        if (open.window == dialog) {
            return &open;
        }
    }
    return nullptr;
}

bool IsEtchedLine(HWND control) {
    return (GetWindowLongPtrW(control, GWL_STYLE) & SS_TYPEMASK) == SS_ETCHEDHORZ;
}

bool IsText(HWND label) {
    const LONG_PTR type = GetWindowLongPtrW(label, GWL_STYLE) & SS_TYPEMASK;
    return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_SIMPLE ||
           type == SS_LEFTNOWORDWRAP;
}

bool IsClass(HWND control, const wchar_t* wanted) {
    wchar_t name[64] = {};
    return GetClassNameW(control, name, 64) > 0 && lstrcmpiW(name, wanted) == 0;
}

// Paints what the system would draw in its own colours. False: the system paints.
bool PaintAtNight(HWND control, HDC context) {
    const ControlLook look = LookOf(control);
    if (look == ControlLook::kGroupBox) {
        PaintNightGroupBox(control, context);
    } else if (IsButtonClass(look)) {
        PaintNightButton(control, context);
    } else if (look == ControlLook::kLabel && IsEtchedLine(control)) {
        PaintNightEtchedLine(control, context);
    } else if (look == ControlLook::kLabel && IsText(control) && !IsWindowEnabled(control)) {
        PaintNightDisabledLabel(control, context);
    } else if (look == ControlLook::kList && IsClass(control, WC_COMBOBOXW)) {
        PaintNightComboBox(control, context);
    } else if (IsClass(control, WC_HEADERW)) {
        PaintNightHeader(control, context);
    } else if (IsClass(control, L"ComboLBox")) {
        PaintNightDropList(control, context);
    } else {
        return false;
    }
    return true;
}

// Messages after which buttons and combo boxes draw themselves at once, outside WM_PAINT.
bool RedrawsAtOnce(UINT message) {
    switch (message) {
        case BM_SETSTATE:
        case BM_SETCHECK:
        case BM_SETSTYLE:
        case BM_CLICK:
        case CB_SETCURSEL:
        case EM_SETSEL:
        case LB_SETCURSEL:
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_ENABLE:
        case WM_SETTEXT:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_MOUSEMOVE:
        case WM_MOUSELEAVE:
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_CAPTURECHANGED:
        case WM_UPDATEUISTATE:
            return true;
        default:
            return false;
    }
}

void ShowBitmapOf(HWND button);

LRESULT CALLBACK ControlProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                  UINT_PTR, DWORD_PTR) {
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(control, &ControlProcedure, kSubclassId);
        return DefSubclassProc(control, message, wParam, lParam);
    }
    if (!Night().on) {
        return DefSubclassProc(control, message, wParam, lParam);
    }
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC context = BeginPaint(control, &paint);
            const bool painted = context != nullptr && PaintAtNight(control, context);
            EndPaint(control, &paint);
            if (painted) {
                return 0;
            }
            InvalidateRect(control, nullptr, FALSE);  // BeginPaint validated it
            const LRESULT result = DefSubclassProc(control, message, wParam, lParam);
            if (IsClass(control, WC_EDITW)) {
                PaintNightSelection(control);
            }
            return result;
        }
        case WM_ERASEBKGND: {
            HDC context = reinterpret_cast<HDC>(wParam);
            RECT rect;
            GetClientRect(control, &rect);
            if (LookOf(control) == ControlLook::kGroupBox) {
                return TRUE;  // see-through: the controls inside keep their own ground
            }
            if (IsButtonClass(LookOf(control)) || IsClass(control, WC_HEADERW) ||
                IsClass(control, L"ComboLBox")) {
                FillRect(context, &rect, NightBrush(RgbOf(night::kWindow)));
                return TRUE;
            }
            if (IsClass(control, WC_LISTVIEWW)) {
                FillRect(context, &rect, NightBrush(RgbOf(night::kField)));
                return TRUE;
            }
            return DefSubclassProc(control, message, wParam, lParam);
        }
        case WM_SETFOCUS:
            if (IsClass(control, WC_EDITW)) {
                const LRESULT result = DefSubclassProc(control, message, wParam, lParam);
                ShowEditCaret(control, true);
                return result;
            }
            break;
        case WM_NCPAINT: {
            const LRESULT result = DefSubclassProc(control, message, wParam, lParam);
            PaintNightFrame(control);
            return result;
        }
        default:
            break;
    }
    const LRESULT result = DefSubclassProc(control, message, wParam, lParam);
    if (message == WM_ENABLE) {
        ShowBitmapOf(control);
    }
    if (RedrawsAtOnce(message)) {
        const ControlLook look = LookOf(control);
        if (IsButtonClass(look) || look == ControlLook::kList) {
            RedrawWindow(control, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
        } else if (look == ControlLook::kEdit || look == ControlLook::kReadOnlyEdit) {
            PaintNightSelection(control);
        }
    }
    if (message == WM_VSCROLL || message == WM_HSCROLL || message == WM_MOUSEWHEEL ||
        message == EM_SETSEL || message == WM_SETTEXT) {
        PaintNightFrame(control);  // the scroll bars moved
    }
    return result;
}

void Subclass(HWND control) {
    SetWindowSubclass(control, &ControlProcedure, kSubclassId, 0);
    // A combo box's list and a list view's column titles are controls of their own.
    COMBOBOXINFO combo = {};
    combo.cbSize = sizeof combo;
    if (IsClass(control, WC_COMBOBOXW) && GetComboBoxInfo(control, &combo) &&
        combo.hwndList != nullptr) {
        SetWindowSubclass(combo.hwndList, &ControlProcedure, kSubclassId, 0);
    }
    if (IsClass(control, WC_LISTVIEWW)) {
        HWND header = reinterpret_cast<HWND>(SendMessageW(control, LVM_GETHEADER, 0, 0));
        if (header != nullptr) {
            SetWindowSubclass(header, &ControlProcedure, kSubclassId, 0);
        }
    }
}

void ApplyMode(HWND control, bool on) {
    if (IsButtonClass(LookOf(control))) {
        // Visual styles draw these without asking for colours: classic drawing at night, which
        // the subclass paints over; the theme back by day.
        if (on) {
            SetWindowTheme(control, L"", L"");
        } else {
            SetWindowTheme(control, nullptr, nullptr);
        }
    }
    if (IsClass(control, WC_LISTVIEWW)) {
        const COLORREF ground = on ? RgbOf(night::kField) : GetSysColor(COLOR_WINDOW);
        SendMessageW(control, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(ground));
        SendMessageW(control, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(ground));
        SendMessageW(control, LVM_SETTEXTCOLOR, 0,
                     static_cast<LPARAM>(on ? RgbOf(night::kText) : GetSysColor(COLOR_WINDOWTEXT)));
    }
}

BOOL CALLBACK ApplyToChild(HWND control, LPARAM on) {
    ApplyMode(control, on != 0);
    return TRUE;
}

void ShowBitmap(const ButtonBitmap& bitmap) {
    HBITMAP shown = IsWindowEnabled(bitmap.button) != FALSE ? bitmap.night : bitmap.nightDisabled;
    if (!Night().on || shown == nullptr) {
        shown = bitmap.day;
    }
    if (reinterpret_cast<HBITMAP>(SendMessageW(bitmap.button, BM_GETIMAGE, IMAGE_BITMAP, 0)) !=
        shown) {
        SendMessageW(bitmap.button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(shown));
    }
}

// A bitmap button was enabled or disabled: at night its picture follows.
void ShowBitmapOf(HWND button) {
    for (const OpenDialog& dialog : Night().dialogs) {
        for (const ButtonBitmap& bitmap : dialog.bitmaps) {
            if (bitmap.button == button) {
                ShowBitmap(bitmap);
            }
        }
    }
}

void ShowMode(OpenDialog& dialog) {
    const bool on = Night().on;
    EnumChildWindows(dialog.window, &ApplyToChild, on ? 1 : 0);
    HWND focus = GetFocus();
    if (focus != nullptr && GetParent(focus) == dialog.window && IsClass(focus, WC_EDITW)) {
        ShowEditCaret(focus, on);
    }
    for (const ButtonBitmap& bitmap : dialog.bitmaps) {
        ShowBitmap(bitmap);
    }
    CheckMenuItem(GetSystemMenu(dialog.window, FALSE), kMenuCommand,
                  MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    RedrawWindow(dialog.window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

bool IsDown(int virtualKey) {
    return (GetKeyState(virtualKey) & 0x8000) != 0;
}

LRESULT CALLBACK FilterKeys(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_DIALOGBOX) {
        const MSG* message = reinterpret_cast<const MSG*>(lParam);
        if (message->message == WM_KEYDOWN && message->wParam == kKey && IsDown(VK_CONTROL) &&
            !IsDown(VK_MENU) && !IsDown(VK_SHIFT) &&
            Find(GetAncestor(message->hwnd, GA_ROOT)) != nullptr) {
            if ((message->lParam & (1 << 30)) == 0) {  // not the key's auto-repeat
                Switch(!Night().on);
            }
            return TRUE;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

bool On() {
    return Night().on;
}

void Switch(bool on) {
    State& state = Night();
    if (state.on == on) {
        return;
    }
    state.on = on;
    for (OpenDialog& dialog : state.dialogs) {
        ShowMode(dialog);
    }
    if (state.listener) {
        state.listener(on);
    }
}

void SetListener(std::function<void(bool)> listener) {
    Night().listener = std::move(listener);
}

void Attach(HWND dialog) {
    State& state = Night();
    if (state.dialogs.empty()) {
        state.hook = SetWindowsHookExW(WH_MSGFILTER, &FilterKeys, nullptr, GetCurrentThreadId());
    }
    state.dialogs.push_back({dialog, {}});
    for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr;
         control = GetWindow(control, GW_HWNDNEXT)) {
        Subclass(control);
        if (state.on) {
            ApplyMode(control, true);
        }
    }
}

void Detach(HWND dialog) {
    State& state = Night();
    auto open = std::find_if(state.dialogs.begin(), state.dialogs.end(),
                             [dialog](const OpenDialog& entry) { return entry.window == dialog; });
    if (open == state.dialogs.end()) {
        return;
    }
    for (const ButtonBitmap& bitmap : open->bitmaps) {
        SendMessageW(bitmap.button, BM_SETIMAGE, IMAGE_BITMAP,
                     reinterpret_cast<LPARAM>(bitmap.day));
        for (HBITMAP made : {bitmap.night, bitmap.nightDisabled}) {
            if (made != nullptr) {
                DeleteObject(made);
            }
        }
    }
    state.dialogs.erase(open);
    if (state.dialogs.empty() && state.hook != nullptr) {
        UnhookWindowsHookEx(state.hook);
        state.hook = nullptr;
    }
}

void AddMenuItem(HWND dialog) {
    HMENU menu = GetSystemMenu(dialog, FALSE);
    if (menu == nullptr) {
        return;
    }
    DeleteMenu(menu, kMenuCommand, MF_BYCOMMAND);
    const int count = GetMenuItemCount(menu);
    const UINT last = count > 0 ? GetMenuItemID(menu, count - 1) : 0;
    // The system's own items end with Close: ours follow a separator, as the dialog's do.
    if (last >= 0xF000 && last != static_cast<UINT>(-1)) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    }
    AppendMenuW(menu, MF_STRING | (Night().on ? MF_CHECKED : MF_UNCHECKED), kMenuCommand,
                L"Night mode\tCtrl+N");
}

void AddButtonBitmap(HWND dialog, HWND button, HBITMAP day) {
    OpenDialog* open = Find(dialog);
    if (open == nullptr || button == nullptr) {
        return;
    }
    open->bitmaps.push_back({button, day, MakeNightBitmap(day, night::kText),
                             MakeNightBitmap(day, night::kDisabledText)});
    ShowBitmap(open->bitmaps.back());
}

bool ColourReply(HWND, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* reply) {
    if (message < WM_CTLCOLORMSGBOX || message > WM_CTLCOLORSTATIC || !Night().on) {
        return false;
    }
    *reply = NightColourReply(true, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    return true;
}

bool CustomDraw(HWND, const NMHDR& header, LRESULT* reply) {
    if (header.code != static_cast<UINT>(NM_CUSTOMDRAW) || !Night().on) {
        return false;
    }
    if (IsClass(header.hwndFrom, TRACKBAR_CLASSW)) {
        *reply = NightTrackbarDraw(*reinterpret_cast<NMCUSTOMDRAW*>(const_cast<NMHDR*>(&header)));
        return true;
    }
    if (IsClass(header.hwndFrom, WC_LISTVIEWW)) {
        *reply = NightListViewDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&header)));
        return true;
    }
    return false;
}

}  // namespace win32_night
}  // namespace axistune
