#pragma once

#include "core/advanced_settings.h"
#include "ui/dialog_host.h"

namespace axistune {

// "Advanced settings" (template 102): geographic position, hemisphere, mount type, meridian-flip
// hysteresis and the closed-loop default. On Ok every value that differs from the record is
// written into it and flagged in `changed`; Cancel leaves the record, `changed` included, alone.
class DlgAdvanced : public DialogLogic {
  public:
    explicit DlgAdvanced(AdvancedSettings& record) : record_(record) {}

    // 1 after Ok, 0 after Cancel.
    static intptr_t Open(DialogHost& owner, AdvancedSettings& record);

    intptr_t OnInit(DialogHost& host) override;
    intptr_t OnCommand(int id, int code) override;

  private:
    void ShowAngle(int id, int32_t angle, char positive, char negative);
    int32_t ReadAngle(int id, int32_t kind);
    void SelectRadio(int first, int last, int selected);
    void Accept();

    AdvancedSettings& record_;
    DialogHost* host_ = nullptr;
};

}  // namespace axistune
