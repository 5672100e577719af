#pragma once

#include <string>

#include "core/controller_settings.h"
#include "core/i_settings_keeper.h"
#include "ui/dialog_host.h"

namespace axistune {

// "Settings history" (template 108): the kept entries newest first (when in local time, why,
// which controller, how many settings differ from the connected one), deleting an entry after a
// question, the folder, and whether entries are kept automatically. "Restore..." ends the dialog
// with the entry chosen; the window confirms and restores it.
class DlgSettingsHistory : public DialogLogic {
  public:
    static constexpr intptr_t kRestoreChosen = 1;

    // canRestore: a controller is connected and no restore is running.
    DlgSettingsHistory(iSettingsKeeper& keeper, bool canRestore)
        : keeper_(keeper), canRestore_(canRestore) {}

    // kRestoreChosen with the entry's path in *path; 0 when closed.
    static intptr_t Open(DialogHost& owner, iSettingsKeeper& keeper, bool canRestore,
                         std::string* path);

    const std::string& ChosenPath() const { return chosenPath_; }

    intptr_t OnInit(DialogHost& host) override;
    intptr_t OnCommand(int id, int code) override;

  private:
    void Fill();
    void ShowSelected();
    const KeptEntry* Selected();
    void Delete();
    void OpenFolder();
    void ChangeAutomatic();

    iSettingsKeeper& keeper_;
    const bool canRestore_;
    KeptHistory history_;
    std::string chosenPath_;
    DialogHost* host_ = nullptr;
};

// The "Why" column: "Connected", "Before reload", ..., "Snapshot" for the command line's
// snapshots and "File" for other files in the folder.
const wchar_t* KeptReasonText(const KeptEntry& entry);

}  // namespace axistune
