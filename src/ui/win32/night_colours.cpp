#include "ui/win32/night_colours.h"

#include <commctrl.h>

#include <map>

namespace axistune {

namespace {

bool IsClass(const wchar_t* name, const wchar_t* wanted) {
    return lstrcmpiW(name, wanted) == 0;
}

ControlLook ButtonLook(LONG_PTR style) {
    switch (style & BS_TYPEMASK) {
        case BS_GROUPBOX:
            return ControlLook::kGroupBox;
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
            return (style & BS_PUSHLIKE) != 0 ? ControlLook::kButton : ControlLook::kCheck;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return (style & BS_PUSHLIKE) != 0 ? ControlLook::kButton : ControlLook::kRadio;
        default:
            return ControlLook::kButton;
    }
}

}  // namespace

ControlLook LookOf(HWND control) {
    wchar_t name[64] = {};
    if (control == nullptr || GetClassNameW(control, name, 64) == 0) {
        return ControlLook::kOther;
    }
    const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
    if (IsClass(name, WC_BUTTONW)) {
        return ButtonLook(style);
    }
    if (IsClass(name, WC_EDITW)) {
        return (style & ES_READONLY) != 0 ? ControlLook::kReadOnlyEdit : ControlLook::kEdit;
    }
    if (IsClass(name, WC_STATICW)) {
        return ControlLook::kLabel;
    }
    if (IsClass(name, WC_COMBOBOXW) || IsClass(name, L"ComboLBox") || IsClass(name, WC_LISTBOXW) ||
        IsClass(name, WC_LISTVIEWW)) {
        return ControlLook::kList;
    }
    if (IsClass(name, TRACKBAR_CLASSW)) {
        return ControlLook::kTrackbar;
    }
    if (IsClass(name, L"#32770")) {
        return ControlLook::kDialog;
    }
    return ControlLook::kOther;
}

ControlColours NightColoursOf(ControlLook look, bool enabled) {
    const COLORREF text = RgbOf(enabled ? night::kText : night::kDisabledText);
    switch (look) {
        case ControlLook::kEdit:
        case ControlLook::kList:
            return {text, RgbOf(enabled ? night::kField : night::kWindow)};
        case ControlLook::kButton:
            return {text, RgbOf(night::kButton)};
        default:
            return {text, RgbOf(night::kWindow)};
    }
}

bool IsButtonClass(ControlLook look) {
    return look == ControlLook::kButton || look == ControlLook::kCheck ||
           look == ControlLook::kRadio || look == ControlLook::kGroupBox;
}

HBRUSH NightBrush(COLORREF colour) {
    static std::map<COLORREF, HBRUSH> brushes;
    HBRUSH& brush = brushes[colour];
    if (brush == nullptr) {
        brush = CreateSolidBrush(colour);
    }
    return brush;
}

INT_PTR NightColourReply(bool nightOn, HDC context, HWND control) {
    if (!nightOn) {
        return 0;
    }
    const ControlColours colours =
        NightColoursOf(LookOf(control), control == nullptr || IsWindowEnabled(control) != FALSE);
    SetTextColor(context, colours.text);
    SetBkColor(context, colours.background);
    SetBkMode(context, OPAQUE);
    return reinterpret_cast<INT_PTR>(NightBrush(colours.background));
}

}  // namespace axistune
