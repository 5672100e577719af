#pragma once

#include <windows.h>

#include "ui/night_palette.h"

namespace axistune {

constexpr COLORREF RgbOf(const NightColour& colour) {
    return RGB(colour.red, colour.green, colour.blue);
}

// What a control is, as far as its night colours go.
enum class ControlLook {
    kDialog,
    kLabel,
    kEdit,
    kReadOnlyEdit,
    kList,  // combo box, its drop-down list, list view
    kButton,
    kCheck,
    kRadio,
    kGroupBox,
    kTrackbar,
    kOther,
};

struct ControlColours {
    COLORREF text;
    COLORREF background;
};

ControlLook LookOf(HWND control);
// Read-only and disabled edits sit on the window's black, so they do not look typeable.
ControlColours NightColoursOf(ControlLook look, bool enabled);
// Push, check and radio buttons and group boxes: the controls that visual styles draw without
// asking for colours.
bool IsButtonClass(ControlLook look);

// A solid brush of the palette, made once and kept for the program's life.
HBRUSH NightBrush(COLORREF colour);

// The reply to WM_CTLCOLOR* for `control` drawing on `context`: the night colours set on the
// context and the brush of its background, or 0 (the system's colours) when night mode is off.
INT_PTR NightColourReply(bool nightOn, HDC context, HWND control);

}  // namespace axistune
