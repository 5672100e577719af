#pragma once

#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>

#include "ui/night_palette.h"

namespace axistune {

// Night-mode drawing of the controls that the system draws in its own colours whatever
// WM_CTLCOLOR* says. Each paints the whole control (group boxes: their frame and title only).

void PaintNightButton(HWND button, HDC context);  // push, push-like, check and radio buttons
void PaintNightGroupBox(HWND box, HDC context);
void PaintNightEtchedLine(HWND line, HDC context);
void PaintNightDisabledLabel(HWND label, HDC context);  // the system greys and embosses them
void PaintNightComboBox(HWND combo, HDC context);       // a drop-down list's closed face
void PaintNightHeader(HWND header, HDC context);
void PaintNightDropList(
    HWND list, HDC context);  // a combo box's open list        // a list view's column titles
// The client edge of edits and lists, and their scroll bars, over what the system drew.
void PaintNightFrame(HWND control);

// A trackbar's or list view's NM_CUSTOMDRAW in night mode; the reply for DWLP_MSGRESULT.
LRESULT NightTrackbarDraw(NMCUSTOMDRAW& draw);
LRESULT NightListViewDraw(NMLVCUSTOMDRAW& draw);

// An edit's selected text, over the system's highlight (blue) that the edit drew.
void PaintNightSelection(HWND edit);

// An edit's caret, which the system draws by inverting what lies below: white on black. At
// night one that inverts to the text's red; by day the system's again.
void ShowEditCaret(HWND edit, bool night);

// A copy of a button's bitmap in red on the button's dark face: dark pixels (the arrow) become
// `ink`, light ones the face. Null when the bitmap cannot be read.
HBITMAP MakeNightBitmap(HBITMAP day, const NightColour& ink);

}  // namespace axistune
