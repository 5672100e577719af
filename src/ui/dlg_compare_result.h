#pragma once

#include <vector>

#include "core/restore_rules.h"
#include "ui/dialog_host.h"

namespace axistune {

// "Compare with a file" (template 106): the settings where the file and the controller differ,
// and a one-line summary that counts those a restore could change.
class DlgCompareResult : public DialogLogic {
  public:
    explicit DlgCompareResult(std::vector<SettingDifference> differences)
        : differences_(std::move(differences)) {}

    static intptr_t Open(DialogHost& owner, const SettingValues& controller,
                         const SettingsFile& file);

    intptr_t OnInit(DialogHost& host) override;
    intptr_t OnCommand(int id, int code) override;

  private:
    std::vector<SettingDifference> differences_;
    DialogHost* host_ = nullptr;
};

}  // namespace axistune
