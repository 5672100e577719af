#include "ui/win32/system_menu_commands.h"

#include <algorithm>

namespace axistune {

namespace {

// The dialogs with shortcuts on this thread, and the hook that serves them while any exists.
struct ShortcutDialogs {
    HHOOK hook = nullptr;
    std::vector<std::pair<HWND, const SystemMenuCommands*>> dialogs;
};

thread_local ShortcutDialogs tShortcuts;

bool IsDown(int virtualKey) {
    return (GetKeyState(virtualKey) & 0x8000) != 0;
}

LRESULT CALLBACK FilterKeys(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_DIALOGBOX) {
        const MSG* message = reinterpret_cast<const MSG*>(lParam);
        if (message->message == WM_KEYDOWN && IsDown(VK_CONTROL) && !IsDown(VK_MENU) &&
            !IsDown(VK_SHIFT)) {
            HWND root = GetAncestor(message->hwnd, GA_ROOT);
            for (const auto& entry : tShortcuts.dialogs) {
                const int id =
                    entry.first == root ? entry.second->CommandForKey(message->wParam) : 0;
                if (id != 0) {
                    SendMessageW(root, WM_SYSCOMMAND, static_cast<WPARAM>(id), 0);
                    return TRUE;  // the key is used up
                }
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void Watch(HWND dialog, const SystemMenuCommands* commands) {
    if (tShortcuts.dialogs.empty()) {
        tShortcuts.hook =
            SetWindowsHookExW(WH_MSGFILTER, &FilterKeys, nullptr, GetCurrentThreadId());
    }
    tShortcuts.dialogs.emplace_back(dialog, commands);
}

void Unwatch(const SystemMenuCommands* commands) {
    auto& dialogs = tShortcuts.dialogs;
    dialogs.erase(
        std::remove_if(dialogs.begin(), dialogs.end(),
                       [commands](const auto& entry) { return entry.second == commands; }),
        dialogs.end());
    if (dialogs.empty() && tShortcuts.hook != nullptr) {
        UnhookWindowsHookEx(tShortcuts.hook);
        tShortcuts.hook = nullptr;
    }
}

}  // namespace

bool SystemMenuCommands::Declare(HWND dialog, const MenuCommand* commands, size_t count) {
    if (!AreMenuCommandsValid(commands, count)) {
        return false;
    }
    Release();
    GetSystemMenu(dialog, TRUE);  // back to the system's own items
    HMENU menu = GetSystemMenu(dialog, FALSE);
    if (menu == nullptr) {
        return false;
    }
    if (count > 0) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    }
    for (size_t i = 0; i < count; ++i) {
        const MenuCommand& command = commands[i];
        std::wstring text = command.text != nullptr ? command.text : L"";
        if (command.ctrlKey != 0) {
            text += L"\tCtrl+";
            text += static_cast<wchar_t>(command.ctrlKey);
        }
        AppendMenuW(menu, MF_STRING | (command.enabled ? MF_ENABLED : MF_GRAYED),
                    static_cast<UINT_PTR>(command.id), text.c_str());
        commands_.push_back({command.id, command.ctrlKey, command.enabled});
    }
    dialog_ = dialog;
    Watch(dialog, this);
    return true;
}

void SystemMenuCommands::Enable(int id, bool enabled) {
    for (Command& command : commands_) {
        if (command.id == id) {
            command.enabled = enabled;
            EnableMenuItem(GetSystemMenu(dialog_, FALSE), static_cast<UINT>(id),
                           MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
        }
    }
}

int SystemMenuCommands::EnabledCommand(WPARAM systemCommand) const {
    // The system keeps the low four bits of a system command for itself.
    const int id = static_cast<int>(systemCommand & 0xFFF0);
    for (const Command& command : commands_) {
        if (command.id == id && command.enabled) {
            return id;
        }
    }
    return 0;
}

int SystemMenuCommands::CommandForKey(WPARAM virtualKey) const {
    for (const Command& command : commands_) {
        if (command.ctrlKey != 0 && static_cast<WPARAM>(command.ctrlKey) == virtualKey &&
            command.enabled) {
            return command.id;
        }
    }
    return 0;
}

void SystemMenuCommands::Release() {
    if (dialog_ != nullptr) {
        Unwatch(this);
        dialog_ = nullptr;
    }
    commands_.clear();
}

}  // namespace axistune
