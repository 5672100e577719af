#include "driver/window.h"

#include <commctrl.h>

#include "driver/text_codec.h"
#include "driver/wait.h"

namespace e2e {

bool Window::SendTo(HWND target, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (target == nullptr) {
        return false;
    }
    DWORD_PTR answer = 0;
    const LRESULT sent = SendMessageTimeoutW(target, message, wParam, lParam, SMTO_ABORTIFHUNG,
                                             kSendLimitMs, &answer);
    if (result != nullptr) {
        *result = static_cast<LRESULT>(answer);
    }
    return sent != 0;
}

bool Window::Send(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) const {
    return SendTo(handle_, message, wParam, lParam, result);
}

bool Window::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
    return handle_ != nullptr && PostMessageW(handle_, message, wParam, lParam) != FALSE;
}

std::string Window::Title() const {
    wchar_t text[256] = {};
    GetWindowTextW(handle_, text, 256);
    return ToUtf8(text);
}

bool Window::Enabled(int id) const {
    HWND item = Item(id);
    return item != nullptr && IsWindowEnabled(item) != FALSE;
}

bool Window::Checked(int id) const {
    LRESULT state = 0;
    return SendTo(Item(id), BM_GETCHECK, 0, 0, &state) && state == BST_CHECKED;
}

std::string Window::Text(int id) const {
    HWND item = Item(id);
    // One WM_GETTEXT into a buffer with room to spare: the text may change between asking for
    // its length and copying it. A full buffer may have cut the text, so it is asked again.
    for (size_t room = 256; room <= 65536; room *= 4) {
        std::wstring text(room, L'\0');
        LRESULT copied = 0;
        if (!SendTo(item, WM_GETTEXT, room, reinterpret_cast<LPARAM>(&text[0]), &copied) ||
            copied < 0) {
            return std::string();
        }
        if (static_cast<size_t>(copied) + 1 < room) {
            text.resize(static_cast<size_t>(copied));
            return ToUtf8(text);
        }
    }
    return std::string();
}

bool Window::Click(int id) const {
    return SendTo(Item(id), BM_CLICK, 0, 0);
}

bool Window::PostClick(int id) const {
    HWND item = Item(id);
    return item != nullptr && PostMessageW(item, BM_CLICK, 0, 0) != FALSE;
}

bool Window::SetChecked(int id, bool checked) const {
    if (Checked(id) == checked) {
        return true;
    }
    return Click(id) && Checked(id) == checked;
}

int Window::ComboCount(int id) const {
    LRESULT count = 0;
    return SendTo(Item(id), CB_GETCOUNT, 0, 0, &count) ? static_cast<int>(count) : -1;
}

int Window::ComboSelection(int id) const {
    LRESULT row = 0;
    return SendTo(Item(id), CB_GETCURSEL, 0, 0, &row) ? static_cast<int>(row) : -1;
}

std::string Window::ComboRowText(int id, int row) const {
    HWND item = Item(id);
    LRESULT length = 0;
    if (!SendTo(item, CB_GETLBTEXTLEN, static_cast<WPARAM>(row), 0, &length) || length <= 0) {
        return std::string();
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = 0;
    if (!SendTo(item, CB_GETLBTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&text[0]),
                &copied) ||
        copied < 0) {
        return std::string();
    }
    text.resize(static_cast<size_t>(copied));
    return ToUtf8(text);
}

bool Window::SelectRow(int id, int row) const {
    HWND item = Item(id);
    LRESULT selected = 0;
    if (!SendTo(item, CB_SETCURSEL, static_cast<WPARAM>(row), 0, &selected) || selected != row) {
        return false;
    }
    return Send(WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(item));
}

int Window::TrackbarPos(int id) const {
    LRESULT pos = 0;
    return SendTo(Item(id), TBM_GETPOS, 0, 0, &pos) ? static_cast<int>(pos) : -1000;
}

int Window::TrackbarMin(int id) const {
    LRESULT pos = 0;
    return SendTo(Item(id), TBM_GETRANGEMIN, 0, 0, &pos) ? static_cast<int>(pos) : -1000;
}

int Window::TrackbarMax(int id) const {
    LRESULT pos = 0;
    return SendTo(Item(id), TBM_GETRANGEMAX, 0, 0, &pos) ? static_cast<int>(pos) : -1000;
}

bool Window::ReleaseTrackbarAt(int id, int pos) const {
    HWND bar = Item(id);
    if (!SendTo(bar, TBM_SETPOS, TRUE, pos)) {
        return false;
    }
    const LPARAM from = reinterpret_cast<LPARAM>(bar);
    const WPARAM at = static_cast<WPARAM>(static_cast<uint16_t>(pos)) << 16;
    return Send(WM_HSCROLL, at | TB_THUMBTRACK, from) &&
           Send(WM_HSCROLL, at | TB_THUMBPOSITION, from) && Send(WM_HSCROLL, TB_ENDTRACK, from);
}

bool Window::SetText(int id, const std::string& text) const {
    const std::wstring wide = ToWide(text);
    LRESULT ok = 0;
    return SendTo(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), &ok) && ok != 0;
}

HWND Window::Focused() const {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(handle_, nullptr);
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

bool Window::TypeAndLeave(int id, const std::string& text) const {
    HWND edit = Item(id);
    // As a user does it: into the edit, type, then Tab to the next control. The edit itself
    // tells the dialog that it lost the focus (EN_KILLFOCUS).
    if (!Send(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE) || Focused() != edit) {
        return false;
    }
    return SetText(id, text) && Send(WM_NEXTDLGCTL, 0, FALSE) && Focused() != edit;
}

bool Window::WaitForText(int id, const std::string& want, uint32_t timeoutMs,
                         std::string* last) const {
    std::string seen;
    const bool found = WaitUntil(timeoutMs, [&] {
        seen = Text(id);
        return seen == want;
    });
    if (last != nullptr) {
        *last = seen;
    }
    return found;
}

}  // namespace e2e
