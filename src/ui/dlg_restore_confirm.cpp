#include "ui/dlg_restore_confirm.h"

#include "core/setting_groups.h"
#include "ui/description/resource_ids.h"
#include "ui/difference_list.h"

namespace axistune {

namespace {

int GroupBox(SettingGroup group) {
    switch (group) {
        case SettingGroup::kRa:
            return IDC_RESTORE_RA;
        case SettingGroup::kDec:
            return IDC_RESTORE_DEC;
        case SettingGroup::kGear:
            return IDC_RESTORE_GEAR;
        case SettingGroup::kSite:
            return IDC_RESTORE_SITE;
    }
    return 0;
}

}  // namespace

intptr_t DlgRestoreConfirm::Open(DialogHost& owner, const SettingValues& controller,
                                 const SettingsFile& file, SettingSelection* selection) {
    SettingSelection all;
    all.set();
    DlgRestoreConfirm dialog(RestorableDifferences(controller, file, all));
    const intptr_t result = owner.RunChild(IDD_RESTORE_CONFIRM, dialog);
    if (result != 1) {
        return 0;
    }
    *selection = dialog.Selection();
    return 1;
}

intptr_t DlgRestoreConfirm::OnInit(DialogHost& host) {
    host_ = &host;
    for (SettingGroup group : kSettingGroups) {
        bool differs = false;
        for (const SettingDifference& row : differences_) {
            differs = differs || row.info->group == group;
        }
        host.CheckItem(GroupBox(group), differs);
        host.EnableItem(GroupBox(group), differs);
    }
    ShowSelected();
    return 1;
}

intptr_t DlgRestoreConfirm::OnCommand(int id, int code) {
    (void)code;
    switch (id) {
        case IDC_RESTORE_RA:
        case IDC_RESTORE_DEC:
        case IDC_RESTORE_GEAR:
        case IDC_RESTORE_SITE:
            ShowSelected();
            return 1;
        case IDC_RESTORE_APPLY:
            host_->End(1);
            return 1;
        case IDC_DLG_CANCEL:
            host_->End(0);
            return 1;
        default:
            return 0;  // Enter does not restore
    }
}

void DlgRestoreConfirm::ShowSelected() {
    selection_.reset();
    for (SettingGroup group : kSettingGroups) {
        if (host_->IsItemChecked(GroupBox(group))) {
            selection_ |= GroupSelection(group);
        }
    }
    std::vector<SettingDifference> shown;
    for (const SettingDifference& row : differences_) {
        if (selection_.test(row.info->id)) {
            shown.push_back(row);
        }
    }
    ShowDifferences(*host_, IDC_RESTORE_DIFFERENCES, shown);
    host_->EnableItem(IDC_RESTORE_APPLY, !shown.empty());
}

}  // namespace axistune
