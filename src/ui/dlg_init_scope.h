#pragma once

#include "ui/dialog_host.h"
#include "ui/init_position.h"
#include "ui/init_positions.h"

namespace axistune {

// "Initialize telescope" (template 103): the user picks the known position the telescope stands
// in; the list depends only on the mount type read at opening.
class DlgInitScope : public DialogLogic {
  public:
    explicit DlgInitScope(InitPosition& record) : record_(record) {}

    // 1 after "Set this position" (positionCode written when a row was selected), 0 after Exit.
    static intptr_t Open(DialogHost& owner, InitPosition& record);

    intptr_t OnInit(DialogHost& host) override;
    intptr_t OnCommand(int id, int code) override;

  private:
    InitPosition& record_;
    InitPositionList list_{nullptr, 0};
    DialogHost* host_ = nullptr;
};

}  // namespace axistune
