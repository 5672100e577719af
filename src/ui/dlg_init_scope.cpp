#include "ui/dlg_init_scope.h"

#include "ui/description/resource_ids.h"

namespace axistune {

intptr_t DlgInitScope::Open(DialogHost& owner, InitPosition& record) {
    DlgInitScope dialog(record);
    return owner.RunChild(IDD_INIT_SCOPE, dialog);
}

intptr_t DlgInitScope::OnInit(DialogHost& host) {
    host_ = &host;
    list_ = InitPositionsFor(record_.mountType);
    for (size_t row = 0; row < list_.count; ++row) {
        host.ComboAddString(IDC_INIT_POSITION, list_.rows[row].name);
    }
    // The explanation keeps its template text until the user changes the selection.
    host.ComboSetSelection(IDC_INIT_POSITION, 0);
    return 1;
}

intptr_t DlgInitScope::OnCommand(int id, int code) {
    switch (id) {
        case IDC_INIT_POSITION: {
            if (code != kCbnSelChange) {
                return 0;
            }
            const int row = host_->ComboGetSelection(IDC_INIT_POSITION);
            if (row >= 0 && static_cast<size_t>(row) < list_.count) {
                host_->SetItemText(IDC_INIT_EXPLANATION, list_.rows[row].explanation);
            }
            return 1;
        }
        case IDC_DLG_OK: {
            const int row = host_->ComboGetSelection(IDC_INIT_POSITION);
            if (row >= 0 && static_cast<size_t>(row) < list_.count) {
                record_.positionCode = list_.rows[row].code;
            }
            host_->End(1);
            return 1;
        }
        case IDC_DLG_CANCEL:
            host_->End(0);
            return 1;
        default:
            return 0;
    }
}

}  // namespace axistune
