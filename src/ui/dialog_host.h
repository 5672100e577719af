#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace axistune {

// The seam between dialog logic and the window system. A DialogLogic receives the dialog's
// messages; it acts on the dialog's controls only through the DialogHost it is given in OnInit.
// The Win32 host translates both to window messages; the in-memory host models the controls of
// the same templates for the tests. Notification and scroll codes keep their Win32 values.

// Notification and scroll codes used by the dialogs (Win32 values).
constexpr int kBnClicked = 0;          // BN_CLICKED; also STN_CLICKED of a notifying static
constexpr int kCbnSelChange = 1;       // CBN_SELCHANGE
constexpr int kEnChange = 0x0300;      // EN_CHANGE
constexpr int kEnKillFocus = 0x0200;   // EN_KILLFOCUS
constexpr int kEnSetFocus = 0x0100;    // EN_SETFOCUS
constexpr int kTbThumbPosition = 4;    // TB_THUMBPOSITION
constexpr int kTbThumbTrack = 5;       // TB_THUMBTRACK
constexpr int kTbEndTrack = 8;         // TB_ENDTRACK
constexpr int kLvnItemChanged = -101;  // LVN_ITEMCHANGED: the user moved a list's selection
constexpr int kNmDblClk = -3;          // NM_DBLCLK: the user double-clicked a list's row
constexpr int kComboNoSelection = -1;  // CB_ERR
constexpr int kListNoSelection = -1;   // a list view without a selected row
constexpr int kIdOk = 1;               // IDOK: Enter, the default button
constexpr int kIdCancel = 2;           // IDCANCEL: Escape, the close box

// Opaque identity of a control (its window handle under Win32); 0 when there is no such control.
using ControlHandle = uintptr_t;

// A font derived from the control's current one.
struct FontChange {
    bool underline;
    int32_t height;  // 0 keeps the height
    int32_t weight;  // 0 keeps the weight; 700 is bold
};

// A column of a list view.
struct ListColumn {
    const wchar_t* title;
    int width;  // dialog units
};

// The files the native open and save dialogs offer, e.g. {L"Settings files", L"*.json"}.
struct FileTypeFilter {
    const wchar_t* description;
    const wchar_t* pattern;  // one pattern "*.ext"; a saved name without extension gets ext
};

enum class MessageKind : uint8_t { kInformation, kWarning, kError, kQuestion };

// A command the dialog offers beside its template: in the window's system menu on Windows, in
// the context menu of its background on Linux. Ids are multiples of 16 from 0x0010 to 0xEFF0
// (the system menu's own commands lie above, and their low four bits are the system's).
struct MenuCommand {
    int id;
    const wchar_t* text;  // "Back up settings..."
    char ctrlKey;         // 'B' for Ctrl+B (a capital letter or a digit); 0 for none
    bool enabled;
};

// Whether id may name a MenuCommand.
constexpr bool IsMenuCommandId(int id) {
    return id >= 0x0010 && id <= 0xEFF0 && id % 16 == 0;
}

// Ids valid and each once; shortcut keys as the keyboard names them (virtual-key codes), each
// once.
inline bool AreMenuCommandsValid(const MenuCommand* commands, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const char key = commands[i].ctrlKey;
        const bool keyValid = key == 0 || (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9');
        if (!IsMenuCommandId(commands[i].id) || !keyValid) {
            return false;
        }
        for (size_t j = 0; j < i; ++j) {
            if (commands[j].id == commands[i].id || (key != 0 && commands[j].ctrlKey == key)) {
                return false;
            }
        }
    }
    return true;
}

// "json" for the pattern "*.json"; null when the pattern names no single extension.
inline const wchar_t* FilterExtension(const FileTypeFilter& filter) {
    const wchar_t* p = filter.pattern;
    if (p == nullptr || p[0] != L'*' || p[1] != L'.' || p[2] == L'\0') {
        return nullptr;
    }
    for (const wchar_t* c = p + 2; *c != L'\0'; ++c) {
        if (*c == L'*' || *c == L'?' || *c == L';' || *c == L' ') {
            return nullptr;
        }
    }
    return p + 2;
}

class DialogLogic;

class DialogHost {
  public:
    // Texts. A control that the template lacks is silently not written; reading it gives an
    // empty text or 0.
    virtual void SetItemText(int id, const wchar_t* text) = 0;
    virtual void SetItemTextA(int id, const char* text) = 0;  // single-byte text
    // Copies at most capacity - 1 bytes and a NUL (GetDlgItemTextA); returns the bytes copied.
    virtual uint32_t GetItemTextA(int id, char* buffer, uint32_t capacity) = 0;
    // SetDlgItemInt: the value as decimal text, read as signed 32-bit when isSigned.
    virtual void SetItemInt(int id, uint32_t value, bool isSigned) = 0;
    // GetDlgItemInt: leading blanks, then (when isSigned) an optional minus, then decimal digits
    // up to the first non-digit. No digits, or a number beyond 32 bits, reads 0. A signed
    // result comes back as its two's-complement bits.
    virtual uint32_t GetItemInt(int id, bool isSigned) = 0;

    // Buttons.
    virtual void CheckItem(int id, bool checked) = 0;
    virtual bool IsItemChecked(int id) = 0;
    virtual void EnableItem(int id, bool enabled) = 0;
    virtual void SetButtonBitmap(int id, int bitmapResourceId) = 0;

    // Combo boxes.
    virtual void ComboAddString(int id, const wchar_t* text) = 0;
    virtual void ComboSetSelection(int id, int index) = 0;  // an index out of range clears it
    virtual int ComboGetSelection(int id) = 0;              // kComboNoSelection when none

    // Trackbars. Positions are clamped to the range, like a real trackbar.
    virtual void TrackbarSetRange(int id, int minimum, int maximum) = 0;
    virtual void TrackbarSetPos(int id, int position) = 0;
    virtual int TrackbarGetPos(int id) = 0;

    // List views (report style, one selected row). Changes made here never notify; the
    // user's selection change arrives as OnCommand(id, kLvnItemChanged), a double click on a
    // row as OnCommand(id, kNmDblClk) after the row was selected.
    // Replaces the columns (and drops the rows); the description gives each list its first ones.
    virtual void ListSetColumns(int id, const ListColumn* columns, size_t count) = 0;
    virtual void ListClear(int id) = 0;
    // Appends a row of up to one text per column; returns its index, or -1 for no list.
    virtual int ListAddRow(int id, const wchar_t* const* cells, size_t count) = 0;
    virtual int ListRowCount(int id) = 0;
    virtual int ListGetSelection(int id) = 0;            // kListNoSelection when none
    virtual void ListSetSelection(int id, int row) = 0;  // an index out of range clears it

    virtual ControlHandle ItemHandle(int id) = 0;

    // The about box's link: a font derived from the control's own, and the link look (hyperlink
    // colour, hand cursor). The host releases what it created when the dialog closes.
    virtual void SetItemFont(int id, const FontChange& change) = 0;
    virtual void MakeLink(int id) = 0;
    virtual void OpenUrl(const wchar_t* url) = 0;
    // Shows the folder in the desktop's file manager. False when it is not an existing folder
    // or the file manager could not be started.
    virtual bool OpenFolder(const std::string& pathUtf8) = 0;

    // The native file dialogs, modal to this dialog. True with the chosen path; false when the
    // user cancelled or the dialog could not be shown (pathUtf8 unchanged). Saving asks before
    // a file is replaced.
    virtual bool ChooseFileToOpen(const wchar_t* title, const FileTypeFilter& filter,
                                  std::string* pathUtf8) = 0;
    virtual bool ChooseFileToSave(const wchar_t* title, const FileTypeFilter& filter,
                                  const wchar_t* suggestedName, std::string* pathUtf8) = 0;

    // A modal message box over this dialog with the dialog's caption: OK, or Yes and No for a
    // question. True for OK and Yes.
    virtual bool ShowMessage(MessageKind kind, const wchar_t* text) = 0;

    // Declares the dialog's menu commands, replacing earlier ones. False, keeping the earlier
    // ones, when they break AreMenuCommandsValid. A command the user picks, or
    // whose shortcut the user presses while the dialog (not one of its children) is active, arrives
    // as OnMenuCommand(id) when it is enabled.
    virtual bool SetMenuCommands(const MenuCommand* commands, size_t count) = 0;
    virtual void EnableMenuCommand(int id, bool enabled) = 0;

    // Posts (never sends) WM_USER with these values to the dialog; callable from any thread
    // while the dialog exists.
    virtual void Post(uintptr_t wParam, intptr_t lParam) = 0;
    virtual void End(intptr_t result) = 0;
    // Runs a modal dialog from the same module with this dialog as its owner; returns its end
    // result, or -1 when it could not be shown.
    virtual intptr_t RunChild(int templateId, DialogLogic& logic) = 0;

  protected:
    ~DialogHost() = default;
};

// The dialog's behaviour. Every handler returns what the dialog procedure returns (1 handled,
// 0 not handled; for OnInit, 1 lets the platform set the default focus).
class DialogLogic {
  public:
    virtual intptr_t OnInit(DialogHost& host) = 0;
    virtual intptr_t OnCommand(int id, int code) = 0;
    virtual intptr_t OnHScroll(int code, int controlId) {
        (void)code;
        (void)controlId;
        return 0;
    }
    virtual intptr_t OnUser(uintptr_t wParam, intptr_t lParam) {
        (void)wParam;
        (void)lParam;
        return 0;
    }
    // A command of SetMenuCommands (WM_SYSCOMMAND with its id on Windows).
    virtual intptr_t OnMenuCommand(int id) {
        (void)id;
        return 0;
    }
    // Not handled (0): the close box arrives as command 2, as the dialog manager does it.
    virtual intptr_t OnClose() { return 0; }
    // The dialog is going away; the host must not be used after this.
    virtual void OnDestroy() {}

  protected:
    ~DialogLogic() = default;
};

// Runs a top-level modal dialog from a module's templates.
class DialogRunner {
  public:
    virtual intptr_t RunModal(int templateId, DialogLogic& logic) = 0;

  protected:
    ~DialogRunner() = default;
};

}  // namespace axistune
