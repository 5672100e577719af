#pragma once

#include <windows.h>

#include <functional>

namespace axistune {

// Night mode of the Windows dialogs: red on black for every dialog of ours and each of its
// controls; the system's own dialogs and message boxes keep the system's colours. Switched with
// Ctrl+N in any of our dialogs and by an item of the main window's system menu. Everything runs
// on the window thread.
namespace win32_night {

// The system menu item's id, beside the dialogs' own menu commands (which start at 0x0100).
constexpr int kMenuCommand = 0x0E00;
constexpr WPARAM kKey = 'N';

bool On();
// Switches every open dialog of ours and repaints it; a change calls the listener.
void Switch(bool on);
// Called on each switch with the new mode (the program remembers it).
void SetListener(std::function<void(bool on)> listener);

// A dialog of ours starts or ends: its controls follow the mode from now on.
void Attach(HWND dialog);
void Detach(HWND dialog);
// The main window's system menu item, checked while on; after the dialog's own commands.
void AddMenuItem(HWND dialog);
// The night copy of a button's bitmap, shown while night mode is on; kept until Detach.
void AddButtonBitmap(HWND dialog, HWND button, HBITMAP day);

// The dialog procedure's part: WM_CTLCOLOR* replies and NM_CUSTOMDRAW of trackbars and list
// views. False: not handled, the system's look.
bool ColourReply(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* reply);
bool CustomDraw(HWND dialog, const NMHDR& header, LRESULT* reply);

}  // namespace win32_night

}  // namespace axistune
