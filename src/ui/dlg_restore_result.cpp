#include "ui/dlg_restore_result.h"

#include <vector>

#include "ui/description/resource_ids.h"
#include "ui/wide_text.h"

namespace axistune {

namespace {

void AppendSettings(std::wstring* report, const wchar_t* heading, const std::vector<SettingId>& ids,
                    const SettingsFile& file) {
    if (ids.empty()) {
        return;
    }
    *report += heading;
    *report += L"\r\n";
    for (SettingId id : ids) {
        const SettingInfo& info = Setting(id);
        *report += L"    " + WideText(QualifiedName(info)) + L": " +
                   WideText(FormatValueWithUnit(info, file.values[id])) + L"\r\n";
    }
}

}  // namespace

std::wstring RestoreReport(const RestoreNews& outcome, const SettingsFile& file) {
    std::wstring report;
    if (!outcome.succeeded) {
        report += outcome.message.empty() ? std::wstring(L"The restore failed.")
                                          : WideText(outcome.message);
        report += L"\r\n";
    }
    AppendSettings(&report, L"Applied:", outcome.applied, file);
    AppendSettings(&report, L"Sent without confirmation:", outcome.unconfirmed, file);
    AppendSettings(&report, L"Not applied:", outcome.notApplied, file);
    if (outcome.applied.empty() && outcome.unconfirmed.empty()) {
        report += L"No setting was changed.";
    } else {
        report +=
            L"The controller keeps these settings only until it is switched off; "
            L"\"Save settings into Dx.\" keeps them.";
    }
    return report;
}

intptr_t DlgRestoreResult::Open(DialogHost& owner, const RestoreNews& outcome,
                                const SettingsFile& file) {
    DlgRestoreResult dialog(RestoreReport(outcome, file));
    return owner.RunChild(IDD_RESTORE_RESULT, dialog);
}

intptr_t DlgRestoreResult::OnInit(DialogHost& host) {
    host_ = &host;
    host.SetItemText(IDC_RESTORE_REPORT, report_.c_str());
    return 1;
}

intptr_t DlgRestoreResult::OnCommand(int id, int code) {
    (void)code;
    if (id == IDC_DLG_CANCEL || id == IDC_DLG_OK) {
        host_->End(0);
        return 1;
    }
    return 0;
}

}  // namespace axistune
