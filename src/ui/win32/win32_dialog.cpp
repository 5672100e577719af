#include "ui/win32/win32_dialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "ui/description/dialog_templates.h"
#include "ui/description/resource_ids.h"
#include "ui/win32/night_colours.h"
#include "ui/win32/night_mode.h"
#include "ui/win32/shell_dialogs.h"
#include "ui/win32/system_menu_commands.h"

namespace axistune {

namespace {

constexpr int kDesignDpi = 96;  // the bitmaps' own resolution
// Posted to itself when a list view row lost the selection: if no row took it meanwhile, the
// user cleared it. The list view reports the old row's loss before the new row's gain.
constexpr UINT kListSelectionCleared = WM_APP + 1;

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
    Win32Dialog(Win32DialogModule& module, int templateId, DialogLogic& logic)
        : module_(module), templateId_(templateId), logic_(logic) {}
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
    void ListSetColumns(int id, const ListColumn* columns, size_t count) override;
    void ListClear(int id) override {
        ProgramChange change(*this);
        SendDlgItemMessageW(window_, id, LVM_DELETEALLITEMS, 0, 0);
    }
    int ListAddRow(int id, const wchar_t* const* cells, size_t count) override;
    int ListRowCount(int id) override {
        return IsListView(id)
                   ? static_cast<int>(SendDlgItemMessageW(window_, id, LVM_GETITEMCOUNT, 0, 0))
                   : 0;
    }
    int ListGetSelection(int id) override {
        if (!IsListView(id)) {
            return kListNoSelection;
        }
        return static_cast<int>(SendDlgItemMessageW(window_, id, LVM_GETNEXTITEM,
                                                    static_cast<WPARAM>(-1), LVNI_SELECTED));
    }
    void ListSetSelection(int id, int row) override;
    ControlHandle ItemHandle(int id) override {
        return reinterpret_cast<ControlHandle>(GetDlgItem(window_, id));
    }
    void SetItemFont(int id, const FontChange& change) override;
    void MakeLink(int id) override;
    void OpenUrl(const wchar_t* url) override {
        ShellExecuteW(window_, nullptr, url, nullptr, nullptr, SW_SHOWNORMAL);
    }
    bool OpenFolder(const std::string& pathUtf8) override {
        return ExploreFolder(window_, pathUtf8);
    }
    bool ChooseFileToOpen(const wchar_t* title, const FileTypeFilter& filter,
                          std::string* pathUtf8) override {
        return ChooseFile(window_, false, title, filter, nullptr, pathUtf8);
    }
    bool ChooseFileToSave(const wchar_t* title, const FileTypeFilter& filter,
                          const wchar_t* suggestedName, std::string* pathUtf8) override {
        return ChooseFile(window_, true, title, filter, suggestedName, pathUtf8);
    }
    bool ShowMessage(MessageKind kind, const wchar_t* text) override;
    bool SetMenuCommands(const MenuCommand* commands, size_t count) override {
        const bool declared = menuCommands_.Declare(window_, commands, count);
        if (declared && OffersNightModeItem()) {
            win32_night::AddMenuItem(window_);  // Declare rebuilt the menu
        }
        return declared;
    }
    void EnableMenuCommand(int id, bool enabled) override { menuCommands_.Enable(id, enabled); }
    void Post(uintptr_t wParam, intptr_t lParam) override {
        PostMessageW(window_, WM_USER, wParam, lParam);
    }
    void End(intptr_t result) override { EndDialog(window_, result); }
    intptr_t RunChild(int templateId, DialogLogic& logic) override {
        return module_.RunModal(templateId, logic, window_);
    }

  private:
    // The program's own changes of a list are not the user's: they do not notify.
    class ProgramChange {
      public:
        explicit ProgramChange(Win32Dialog& dialog) : dialog_(dialog) { ++dialog_.programChanges_; }
        ~ProgramChange() { --dialog_.programChanges_; }
        ProgramChange(const ProgramChange&) = delete;
        ProgramChange& operator=(const ProgramChange&) = delete;

      private:
        Win32Dialog& dialog_;
    };

    bool IsMainWindow() const { return GetWindow(window_, GW_OWNER) == nullptr; }
    bool OffersNightModeItem() const { return module_.OffersNightModeItem() && IsMainWindow(); }
    INT_PTR LinkColours(HDC context) const;
    static LRESULT CALLBACK LinkProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Initialise(HWND window);
    void SetWindowIcons();
    void PrepareListViews();
    bool IsListView(int id) const;
    INT_PTR Notify(const NMHDR& header);

    Win32DialogModule& module_;
    int templateId_;
    DialogLogic& logic_;
    SystemMenuCommands menuCommands_;
    int programChanges_ = 0;
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
    win32_night::AddButtonBitmap(window_, GetDlgItem(window_, id), static_cast<HBITMAP>(bitmap));
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

// Blue by day, red at night like everything else.
INT_PTR Win32Dialog::LinkColours(HDC context) const {
    SetBkMode(context, TRANSPARENT);
    if (win32_night::On()) {
        SetTextColor(context, RgbOf(night::kLink));
        return reinterpret_cast<INT_PTR>(NightBrush(RgbOf(night::kWindow)));
    }
    SetTextColor(context, GetSysColor(COLOR_HOTLIGHT));
    return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
}

bool Win32Dialog::IsListView(int id) const {
    HWND control = GetDlgItem(window_, id);
    wchar_t name[32] = {};
    return control != nullptr && GetClassNameW(control, name, 32) > 0 &&
           lstrcmpiW(name, WC_LISTVIEWW) == 0;
}

void Win32Dialog::PrepareListViews() {
    const DialogTemplate* description = FindDialogTemplate(templateId_);
    for (size_t i = 0; description != nullptr && i < description->controlCount; ++i) {
        const ControlTemplate& control = description->controls[i];
        if (control.kind != ControlKind::kListView) {
            continue;
        }
        SendDlgItemMessageW(window_, control.id, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                            LVS_EX_FULLROWSELECT);
        size_t count = 0;
        const ListColumnTemplate* columns = ListColumnsOf(templateId_, control.id, &count);
        std::vector<std::wstring> titles;
        std::vector<ListColumn> wide;
        for (size_t c = 0; c < count; ++c) {
            titles.emplace_back(columns[c].title, columns[c].title + lstrlenA(columns[c].title));
        }
        for (size_t c = 0; c < count; ++c) {
            wide.push_back({titles[c].c_str(), columns[c].width});
        }
        ListSetColumns(control.id, wide.data(), wide.size());
    }
}

void Win32Dialog::ListSetColumns(int id, const ListColumn* columns, size_t count) {
    if (!IsListView(id)) {
        return;
    }
    ProgramChange change(*this);
    HWND list = GetDlgItem(window_, id);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    while (SendMessageW(list, LVM_DELETECOLUMN, 0, 0) != FALSE) {
    }
    for (size_t i = 0; i < count; ++i) {
        RECT width = {0, 0, columns[i].width, 0};  // dialog units to pixels
        MapDialogRect(window_, &width);
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<wchar_t*>(columns[i].title != nullptr ? columns[i].title : L"");
        column.cx = width.right;
        column.iSubItem = static_cast<int>(i);
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
}

int Win32Dialog::ListAddRow(int id, const wchar_t* const* cells, size_t count) {
    if (!IsListView(id)) {
        return -1;
    }
    ProgramChange change(*this);
    HWND list = GetDlgItem(window_, id);
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const size_t columns =
        header != nullptr ? static_cast<size_t>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<wchar_t*>(count > 0 && cells[0] != nullptr ? cells[0] : L"");
    const int row =
        static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) {
        return -1;
    }
    for (size_t i = 1; i < count && i < columns; ++i) {
        LVITEMW cell = {};
        cell.iSubItem = static_cast<int>(i);
        cell.pszText = const_cast<wchar_t*>(cells[i] != nullptr ? cells[i] : L"");
        SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&cell));
    }
    return row;
}

void Win32Dialog::ListSetSelection(int id, int row) {
    if (!IsListView(id)) {
        return;
    }
    ProgramChange change(*this);
    HWND list = GetDlgItem(window_, id);
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    if (row < 0 || row >= rows) {
        state.state = 0;  // every row
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&state));
        return;
    }
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&state));
    SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

INT_PTR Win32Dialog::Notify(const NMHDR& header) {
    const int id = static_cast<int>(header.idFrom);
    if (header.code == LVN_ITEMCHANGED && programChanges_ == 0) {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        const UINT was = change.uOldState & LVIS_SELECTED;
        const UINT now = change.uNewState & LVIS_SELECTED;
        if ((change.uChanged & LVIF_STATE) == 0 || was == now) {
            return FALSE;
        }
        if (now != 0) {
            return logic_.OnCommand(id, kLvnItemChanged);
        }
        PostMessageW(window_, kListSelectionCleared, static_cast<WPARAM>(id), 0);
        return FALSE;
    }
    if (header.code == static_cast<UINT>(NM_DBLCLK)) {
        const auto& activation = reinterpret_cast<const NMITEMACTIVATE&>(header);
        if (activation.iItem >= 0) {
            return logic_.OnCommand(id, kNmDblClk);
        }
    }
    return FALSE;
}

bool Win32Dialog::ShowMessage(MessageKind kind, const wchar_t* text) {
    wchar_t caption[256] = {};
    GetWindowTextW(window_, caption, 256);
    UINT style = MB_OK;
    switch (kind) {
        case MessageKind::kInformation:
            style = MB_OK | MB_ICONINFORMATION;
            break;
        case MessageKind::kWarning:
            style = MB_OK | MB_ICONWARNING;
            break;
        case MessageKind::kError:
            style = MB_OK | MB_ICONERROR;
            break;
        case MessageKind::kQuestion:
            style = MB_YESNO | MB_ICONQUESTION;
            break;
    }
    const int answer = MessageBoxW(window_, text != nullptr ? text : L"", caption, style);
    return answer == IDOK || answer == IDYES;
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
    if (IsMainWindow()) {
        SetWindowIcons();  // the main window shows the program's icon
    }
    PrepareListViews();
    win32_night::Attach(window);
    const INT_PTR result = logic_.OnInit(*this);
    if (OffersNightModeItem() &&
        GetMenuState(GetSystemMenu(window, FALSE), win32_night::kMenuCommand, MF_BYCOMMAND) ==
            static_cast<UINT>(-1)) {
        win32_night::AddMenuItem(window);
    }
    return result;
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
        case WM_NOTIFY: {
            LRESULT drawn = 0;
            if (win32_night::CustomDraw(window, *reinterpret_cast<const NMHDR*>(lParam), &drawn)) {
                SetWindowLongPtrW(window, DWLP_MSGRESULT, drawn);
                return TRUE;
            }
            return dialog->Notify(*reinterpret_cast<const NMHDR*>(lParam));
        }
        case kListSelectionCleared:
            if (dialog->ListGetSelection(static_cast<int>(wParam)) == kListNoSelection) {
                return dialog->logic_.OnCommand(static_cast<int>(wParam), kLvnItemChanged);
            }
            return TRUE;
        case WM_SYSCOMMAND: {
            if ((wParam & 0xFFF0) == win32_night::kMenuCommand && dialog->OffersNightModeItem()) {
                win32_night::Switch(!win32_night::On());
                return TRUE;
            }
            // The system's own commands go on to the dialog manager.
            const int command = dialog->menuCommands_.EnabledCommand(wParam);
            if (command == 0) {
                return FALSE;
            }
            dialog->logic_.OnMenuCommand(command);
            return TRUE;
        }
        case WM_CLOSE:
            return dialog->logic_.OnClose();
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN: {
            if (dialog->link_ != nullptr && reinterpret_cast<HWND>(lParam) == dialog->link_) {
                return dialog->LinkColours(reinterpret_cast<HDC>(wParam));
            }
            INT_PTR brush = 0;
            return win32_night::ColourReply(window, message, wParam, lParam, &brush) ? brush
                                                                                     : FALSE;
        }
        case WM_DESTROY:
            win32_night::Detach(window);
            dialog->menuCommands_.Release();
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
    // The settings dialogs' lists; the program registers the other common controls it uses.
    static const bool listViewsRegistered = [] {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
        return InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)listViewsRegistered;  // a template with a list then fails to show: -1
    // Fonts, bitmaps and icons made for the dialog are released here, once it has closed.
    Win32Dialog dialog(*this, templateId, logic);
    return DialogBoxParamW(instance_, MAKEINTRESOURCEW(templateId), owner, &Win32Dialog::Procedure,
                           reinterpret_cast<LPARAM>(&dialog));
}

}  // namespace axistune
