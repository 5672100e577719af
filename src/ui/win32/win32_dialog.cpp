#include "ui/win32/win32_dialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <vector>

#include "ui/description/resource_ids.h"

namespace axistune {

namespace {

constexpr int kDesignDpi = 96;  // the bitmaps' own resolution

// The DPI the window is drawn at: GetDpiForWindow where the system has it (Windows 10 1607 and
// later, per monitor), else the screen's.
int WindowDpi(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow =
        reinterpret_cast<GetDpiForWindowFunction>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow != nullptr) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0) {
            return static_cast<int>(dpi);
        }
    }
    HDC context = GetDC(window);
    const int dpi = context != nullptr ? GetDeviceCaps(context, LOGPIXELSY) : 0;
    if (context != nullptr) {
        ReleaseDC(window, context);
    }
    return dpi > 0 ? dpi : kDesignDpi;
}

// One open dialog: the DialogHost that its logic acts through, and the owner of the GDI objects
// and icons created for it, which live until the dialog has closed.
class Win32Dialog : public DialogHost {
  public:
    Win32Dialog(Win32DialogModule& module, DialogLogic& logic) : module_(module), logic_(logic) {}
    ~Win32Dialog() {
        for (HGDIOBJ object : gdiObjects_) {
            DeleteObject(object);
        }
        for (HICON icon : icons_) {
            DestroyIcon(icon);
        }
    }
    Win32Dialog(const Win32Dialog&) = delete;
    Win32Dialog& operator=(const Win32Dialog&) = delete;

    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void SetItemText(int id, const wchar_t* text) override { SetDlgItemTextW(window_, id, text); }
    void SetItemTextA(int id, const char* text) override { SetDlgItemTextA(window_, id, text); }
    uint32_t GetItemTextA(int id, char* buffer, uint32_t capacity) override {
        return GetDlgItemTextA(window_, id, buffer, static_cast<int>(capacity));
    }
    void SetItemInt(int id, uint32_t value, bool isSigned) override {
        SetDlgItemInt(window_, id, value, isSigned ? TRUE : FALSE);
    }
    uint32_t GetItemInt(int id, bool isSigned) override {
        return GetDlgItemInt(window_, id, nullptr, isSigned ? TRUE : FALSE);
    }
    void CheckItem(int id, bool checked) override {
        CheckDlgButton(window_, id, checked ? BST_CHECKED : BST_UNCHECKED);
    }
    bool IsItemChecked(int id) override { return IsDlgButtonChecked(window_, id) == BST_CHECKED; }
    void EnableItem(int id, bool enabled) override {
        HWND control = GetDlgItem(window_, id);
        if (control != nullptr) {
            EnableWindow(control, enabled ? TRUE : FALSE);
        }
    }
    void SetButtonBitmap(int id, int bitmapResourceId) override;
    void ComboAddString(int id, const wchar_t* text) override {
        SendDlgItemMessageW(window_, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    void ComboSetSelection(int id, int index) override {
        SendDlgItemMessageW(window_, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    int ComboGetSelection(int id) override {
        return static_cast<int>(SendDlgItemMessageW(window_, id, CB_GETCURSEL, 0, 0));
    }
    void TrackbarSetRange(int id, int minimum, int maximum) override {
        // Both ends travel as signed 16-bit words.
        SendDlgItemMessageW(window_, id, TBM_SETRANGE, TRUE, MAKELPARAM(minimum, maximum));
    }
    void TrackbarSetPos(int id, int position) override {
        SendDlgItemMessageW(window_, id, TBM_SETPOS, TRUE, position);
    }
    int TrackbarGetPos(int id) override {
        return static_cast<int>(SendDlgItemMessageW(window_, id, TBM_GETPOS, 0, 0));
    }
    ControlHandle ItemHandle(int id) override {
        return reinterpret_cast<ControlHandle>(GetDlgItem(window_, id));
    }
    void SetItemFont(int id, const FontChange& change) override;
    void MakeLink(int id) override;
    void OpenUrl(const wchar_t* url) override {
        ShellExecuteW(window_, nullptr, url, nullptr, nullptr, SW_SHOWNORMAL);
    }
    void Post(uintptr_t wParam, intptr_t lParam) override {
        PostMessageW(window_, WM_USER, wParam, lParam);
    }
    void End(intptr_t result) override { EndDialog(window_, result); }
    intptr_t RunChild(int templateId, DialogLogic& logic) override {
        return module_.RunModal(templateId, logic, window_);
    }

  private:
    static LRESULT CALLBACK LinkProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Initialise(HWND window);
    void SetWindowIcons();

    Win32DialogModule& module_;
    DialogLogic& logic_;
    HWND window_ = nullptr;
    HWND link_ = nullptr;
    std::vector<HGDIOBJ> gdiObjects_;
    std::vector<HICON> icons_;
};

void Win32Dialog::SetButtonBitmap(int id, int bitmapResourceId) {
    HANDLE bitmap = LoadImageW(module_.Instance(), MAKEINTRESOURCEW(bitmapResourceId), IMAGE_BITMAP,
                               0, 0, LR_DEFAULTCOLOR);
    if (bitmap == nullptr) {
        return;
    }
    // The dialog is scaled to the screen's DPI; the bitmap grows with it.
    const int dpi = WindowDpi(window_);
    BITMAP size = {};
    if (dpi != kDesignDpi && GetObjectW(bitmap, sizeof size, &size) != 0) {
        HANDLE scaled = LoadImageW(module_.Instance(), MAKEINTRESOURCEW(bitmapResourceId),
                                   IMAGE_BITMAP, MulDiv(size.bmWidth, dpi, kDesignDpi),
                                   MulDiv(size.bmHeight, dpi, kDesignDpi), LR_DEFAULTCOLOR);
        if (scaled != nullptr) {
            DeleteObject(bitmap);
            bitmap = scaled;
        }
    }
    gdiObjects_.push_back(static_cast<HGDIOBJ>(bitmap));
    SendDlgItemMessageW(window_, id, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
}

void Win32Dialog::SetItemFont(int id, const FontChange& change) {
    HFONT font = reinterpret_cast<HFONT>(SendDlgItemMessageW(window_, id, WM_GETFONT, 0, 0));
    if (font == nullptr) {
        font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    }
    LOGFONTW description = {};
    if (GetObjectW(font, sizeof description, &description) == 0) {
        return;
    }
    if (change.underline) {
        description.lfUnderline = TRUE;
    }
    if (change.height != 0) {
        description.lfHeight = change.height;
    }
    if (change.weight != 0) {
        description.lfWeight = change.weight;
    }
    HFONT derived = CreateFontIndirectW(&description);
    if (derived == nullptr) {
        return;
    }
    gdiObjects_.push_back(derived);
    SendDlgItemMessageW(window_, id, WM_SETFONT, reinterpret_cast<WPARAM>(derived), TRUE);
}

void Win32Dialog::MakeLink(int id) {
    HWND control = GetDlgItem(window_, id);
    if (control == nullptr) {
        return;
    }
    link_ = control;
    // The previous procedure goes first, so the link procedure always finds it.
    const LONG_PTR previous = GetWindowLongPtrW(control, GWLP_WNDPROC);
    SetWindowLongPtrW(control, GWLP_USERDATA, previous);
    SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LinkProcedure));
}

LRESULT CALLBACK Win32Dialog::LinkProcedure(HWND control, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    const auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_USERDATA));
    if (message == WM_SETCURSOR) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    }
    return CallWindowProcW(previous, control, message, wParam, lParam);
}

void Win32Dialog::SetWindowIcons() {
    const struct {
        WPARAM which;
        int width;
        int height;
    } sizes[] = {
        {ICON_SMALL, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)},
        {ICON_BIG, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)},
    };
    for (const auto& size : sizes) {
        HANDLE icon = LoadImageW(module_.Instance(), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                 size.width, size.height, LR_DEFAULTCOLOR);
        if (icon != nullptr) {
            icons_.push_back(static_cast<HICON>(icon));
            SendMessageW(window_, WM_SETICON, size.which, reinterpret_cast<LPARAM>(icon));
        }
    }
}

INT_PTR Win32Dialog::Initialise(HWND window) {
    window_ = window;
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
    if (GetWindow(window, GW_OWNER) == nullptr) {
        SetWindowIcons();  // the main window shows the program's icon
    }
    return logic_.OnInit(*this);
}

INT_PTR CALLBACK Win32Dialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        return reinterpret_cast<Win32Dialog*>(lParam)->Initialise(window);
    }
    auto* dialog = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (dialog == nullptr) {
        return FALSE;  // messages before WM_INITDIALOG
    }
    switch (message) {
        case WM_COMMAND:
            return dialog->logic_.OnCommand(LOWORD(wParam), HIWORD(wParam));
        case WM_HSCROLL: {
            // The logic knows trackbars by id.
            HWND control = reinterpret_cast<HWND>(lParam);
            const int id = control != nullptr ? GetDlgCtrlID(control) : 0;
            return dialog->logic_.OnHScroll(LOWORD(wParam), id);
        }
        case WM_USER:
            return dialog->logic_.OnUser(wParam, lParam);
        case WM_CLOSE:
            return dialog->logic_.OnClose();
        case WM_CTLCOLORSTATIC:
            if (dialog->link_ != nullptr && reinterpret_cast<HWND>(lParam) == dialog->link_) {
                HDC context = reinterpret_cast<HDC>(wParam);
                SetTextColor(context, GetSysColor(COLOR_HOTLIGHT));
                SetBkMode(context, TRANSPARENT);
                return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
            }
            return FALSE;
        case WM_DESTROY:
            dialog->logic_.OnDestroy();
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

intptr_t Win32DialogModule::RunModal(int templateId, DialogLogic& logic) {
    return RunModal(templateId, logic, nullptr);
}

intptr_t Win32DialogModule::RunModal(int templateId, DialogLogic& logic, HWND owner) {
    // Fonts, bitmaps and icons made for the dialog are released here, once it has closed.
    Win32Dialog dialog(*this, logic);
    return DialogBoxParamW(instance_, MAKEINTRESOURCEW(templateId), owner, &Win32Dialog::Procedure,
                           reinterpret_cast<LPARAM>(&dialog));
}

}  // namespace axistune
