#pragma once

#include <cstdint>

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
constexpr int kComboNoSelection = -1;  // CB_ERR
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

    virtual ControlHandle ItemHandle(int id) = 0;

    // The about box's link: a font derived from the control's own, and the link look (hyperlink
    // colour, hand cursor). The host releases what it created when the dialog closes.
    virtual void SetItemFont(int id, const FontChange& change) = 0;
    virtual void MakeLink(int id) = 0;
    virtual void OpenUrl(const wchar_t* url) = 0;

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
