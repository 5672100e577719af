#include "ui/win32/shell_dialogs.h"

#include <commdlg.h>
#include <shellapi.h>

#include <vector>

#include "ui/win32/utf8.h"

namespace axistune {

namespace {

// "Settings files (*.json)\0*.json\0All files (*.*)\0*.*\0\0"
std::wstring FilterList(const FileTypeFilter& filter) {
    const std::wstring pattern = filter.pattern != nullptr ? filter.pattern : L"*.*";
    std::wstring list = filter.description != nullptr ? filter.description : L"";
    list += L" (" + pattern + L")";
    list += L'\0';
    list += pattern;
    list += L'\0';
    list += L"All files (*.*)";
    list += L'\0';
    list += L"*.*";
    list += L'\0';
    return list;  // the final NUL is the string's own
}

}  // namespace

bool ChooseFile(HWND owner, bool save, const wchar_t* title, const FileTypeFilter& filter,
                const wchar_t* suggestedName, std::string* pathUtf8) {
    // Room for long paths; the dialog reports a longer choice as an error, not a cut name.
    std::vector<wchar_t> path(32768, L'\0');
    if (save && suggestedName != nullptr) {
        lstrcpynW(path.data(), suggestedName, static_cast<int>(path.size()));
    }
    const std::wstring filters = FilterList(filter);
    OPENFILENAMEW request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.lpstrFilter = filters.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = path.data();
    request.nMaxFile = static_cast<DWORD>(path.size());
    request.lpstrTitle = title;
    request.lpstrDefExt = FilterExtension(filter);
    request.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                    (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    const BOOL chosen = save ? GetSaveFileNameW(&request) : GetOpenFileNameW(&request);
    if (!chosen) {
        return false;  // cancelled, or CommDlgExtendedError says why it could not be shown
    }
    const std::string utf8 = Utf8FromWide(path.data());
    if (utf8.empty()) {
        return false;
    }
    if (pathUtf8 != nullptr) {
        *pathUtf8 = utf8;
    }
    return true;
}

bool ExploreFolder(HWND owner, const std::string& pathUtf8) {
    const std::wstring path = WideFromUtf8(pathUtf8);
    const DWORD attributes =
        path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return false;
    }
    const HINSTANCE started =
        ShellExecuteW(owner, L"explore", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(started) > 32;  // ShellExecute's success threshold
}

}  // namespace axistune
