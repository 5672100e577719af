#pragma once

#include <windows.h>

#include <string>

#include "ui/dialog_host.h"

namespace axistune {

// The desktop's own dialogs and windows for a dialog of the Win32 host.

// GetOpenFileNameW (the file must exist) or GetSaveFileNameW (asks before replacing a file).
bool ChooseFile(HWND owner, bool save, const wchar_t* title, const FileTypeFilter& filter,
                const wchar_t* suggestedName, std::string* pathUtf8);

// Explorer on an existing folder.
bool ExploreFolder(HWND owner, const std::string& pathUtf8);

}  // namespace axistune
