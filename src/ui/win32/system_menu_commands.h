#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/dialog_host.h"

namespace axistune {

// A dialog's menu commands as items of its system menu, after a separator, with their Ctrl
// shortcuts shown; the shortcuts work in the dialog's modal loop through a message filter hook
// (MSGF_DIALOGBOX), which turns Ctrl+key into WM_SYSCOMMAND with the command's id.
class SystemMenuCommands {
  public:
    SystemMenuCommands() = default;
    ~SystemMenuCommands() { Release(); }
    SystemMenuCommands(const SystemMenuCommands&) = delete;
    SystemMenuCommands& operator=(const SystemMenuCommands&) = delete;

    // Replaces the items the dialog added before.
    bool Declare(HWND dialog, const MenuCommand* commands, size_t count);
    void Enable(int id, bool enabled);
    // The declared and enabled command that a WM_SYSCOMMAND's wParam names; 0 for none.
    int EnabledCommand(WPARAM systemCommand) const;
    // The dialog is going away: its shortcuts end.
    void Release();

    int CommandForKey(WPARAM virtualKey) const;

  private:
    struct Command {
        int id;
        char ctrlKey;
        bool enabled;
    };

    HWND dialog_ = nullptr;
    std::vector<Command> commands_;
};

}  // namespace axistune
