#include "ui/dlg_compare_result.h"

#include <string>

#include "ui/description/resource_ids.h"
#include "ui/difference_list.h"

namespace axistune {

intptr_t DlgCompareResult::Open(DialogHost& owner, const SettingValues& controller,
                                const SettingsFile& file) {
    SettingSelection all;
    all.set();
    DlgCompareResult dialog(CompareWithFile(controller, file, all));
    return owner.RunChild(IDD_COMPARE_RESULT, dialog);
}

intptr_t DlgCompareResult::OnInit(DialogHost& host) {
    host_ = &host;
    ShowDifferences(host, IDC_COMPARE_DIFFERENCES, differences_);
    // Read-only values are listed but cannot be restored, so they are not counted.
    size_t count = 0;
    for (const SettingDifference& row : differences_) {
        count += row.info->ReadOnly() ? 0 : 1;
    }
    const std::wstring summary = count == 0   ? std::wstring(L"The file holds the same settings.")
                                 : count == 1 ? std::wstring(L"1 setting differs.")
                                              : std::to_wstring(count) + L" settings differ.";
    host.SetItemText(IDC_COMPARE_SUMMARY, summary.c_str());
    return 1;
}

intptr_t DlgCompareResult::OnCommand(int id, int code) {
    (void)code;
    if (id == IDC_DLG_CANCEL || id == IDC_DLG_OK) {
        host_->End(0);
        return 1;
    }
    return 0;
}

}  // namespace axistune
