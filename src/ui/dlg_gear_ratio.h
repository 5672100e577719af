#pragma once

#include "ui/dialog_host.h"
#include "ui/gear_ratios.h"

namespace axistune {

// "Set gear ratio" (template 101): shows the record's ratios and writes the entries back on Ok.
class DlgGearRatio : public DialogLogic {
  public:
    explicit DlgGearRatio(GearRatios& record) : record_(record) {}

    // 1 after Ok (the record holds the entries), 0 after Cancel (the record is untouched).
    static intptr_t Open(DialogHost& owner, GearRatios& record);

    intptr_t OnInit(DialogHost& host) override;
    intptr_t OnCommand(int id, int code) override;

  private:
    GearRatios& record_;
    DialogHost* host_ = nullptr;
};

}  // namespace axistune
