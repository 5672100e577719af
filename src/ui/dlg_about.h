#pragma once

#include "ui/dialog_host.h"

namespace axistune {

// The about box (template 104): name and version in a large bold font, a description, a credit
// line and the web address as a link that opens in the browser.
class DlgAbout : public DialogLogic {
  public:
    // Always 1.
    static intptr_t Open(DialogHost& owner);

    intptr_t OnInit(DialogHost& host) override;
    intptr_t OnCommand(int id, int code) override;

  private:
    DialogHost* host_ = nullptr;
};

}  // namespace axistune
