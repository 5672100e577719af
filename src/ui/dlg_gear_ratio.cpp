#include "ui/dlg_gear_ratio.h"

#include "ui/description/resource_ids.h"

namespace axistune {

intptr_t DlgGearRatio::Open(DialogHost& owner, GearRatios& record) {
    DlgGearRatio dialog(record);
    return owner.RunChild(IDD_GEAR_RATIO, dialog);
}

intptr_t DlgGearRatio::OnInit(DialogHost& host) {
    host_ = &host;
    host.SetItemInt(IDC_GEAR_RA, record_.raRatio, false);
    host.SetItemInt(IDC_GEAR_DEC, record_.decRatio, false);
    return 1;
}

intptr_t DlgGearRatio::OnCommand(int id, int code) {
    (void)code;
    switch (id) {
        case IDC_DLG_OK:
            // Nothing is checked: an entry that does not convert becomes 0.
            record_.raRatio = host_->GetItemInt(IDC_GEAR_RA, false);
            record_.decRatio = host_->GetItemInt(IDC_GEAR_DEC, false);
            host_->End(1);
            return 1;
        case IDC_DLG_CANCEL:
            host_->End(0);
            return 1;
        default:
            return 0;
    }
}

}  // namespace axistune
