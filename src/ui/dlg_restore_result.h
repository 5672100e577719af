#pragma once

#include <string>

#include "core/i_settings_keeper.h"
#include "ui/dialog_host.h"

namespace axistune {

// What became of a restore, for people: the settings applied, sent without confirmation and not
// applied, by name with the file's value; the reason when it was refused or failed; and that
// "Save settings into Dx." keeps what was sent. Lines end in "\r\n", as a multi-line edit takes.
std::wstring RestoreReport(const RestoreNews& outcome, const SettingsFile& file);

// "Restore settings" (template 107): the report, and Close.
class DlgRestoreResult : public DialogLogic {
  public:
    explicit DlgRestoreResult(std::wstring report) : report_(std::move(report)) {}

    static intptr_t Open(DialogHost& owner, const RestoreNews& outcome, const SettingsFile& file);

    intptr_t OnInit(DialogHost& host) override;
    intptr_t OnCommand(int id, int code) override;

  private:
    std::wstring report_;
    DialogHost* host_ = nullptr;
};

}  // namespace axistune
