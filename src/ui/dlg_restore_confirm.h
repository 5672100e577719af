#pragma once

#include <vector>

#include "core/restore_rules.h"
#include "ui/dialog_host.h"

namespace axistune {

// "Restore settings" (template 105): the settings that differ, with a check box per group. A
// group is ticked when it holds differences and cannot be ticked when it holds none; the list
// shows the ticked groups. "Restore" sends nothing: it ends with the chosen groups.
class DlgRestoreConfirm : public DialogLogic {
  public:
    explicit DlgRestoreConfirm(std::vector<SettingDifference> differences)
        : differences_(std::move(differences)) {}

    // 1 with the settings of the ticked groups in *selection, 0 when the user cancelled.
    static intptr_t Open(DialogHost& owner, const SettingValues& controller,
                         const SettingsFile& file, SettingSelection* selection);

    const SettingSelection& Selection() const { return selection_; }

    intptr_t OnInit(DialogHost& host) override;
    intptr_t OnCommand(int id, int code) override;

  private:
    void ShowSelected();

    std::vector<SettingDifference> differences_;
    SettingSelection selection_;
    DialogHost* host_ = nullptr;
};

}  // namespace axistune
