#include "ui/dlg_settings_history.h"

#include "ui/description/resource_ids.h"
#include "ui/difference_list.h"
#include "ui/local_time.h"
#include "ui/show_error.h"
#include "ui/wide_text.h"

namespace axistune {

namespace {

std::wstring ControllerText(const KeptEntry& entry) {
    std::wstring text = WideText(entry.port);
    if (entry.readable) {
        text += (text.empty() ? L"" : L", ") + std::wstring(L"type ") +
                std::to_wstring(entry.settings.hardwareType);
    }
    return text;
}

}  // namespace

const wchar_t* KeptReasonText(const KeptEntry& entry) {
    if (!entry.byHistory) {
        return entry.fileName.rfind("snapshot-", 0) == 0 ? L"Snapshot" : L"File";
    }
    switch (entry.reason) {
        case KeptBecause::kConnected:
            return L"Connected";
        case KeptBecause::kBeforeReload:
            return L"Before reload";
        case KeptBecause::kBeforeStore:
            return L"Before store";
        case KeptBecause::kBeforeRestore:
            return L"Before restore";
    }
    return L"";
}

intptr_t DlgSettingsHistory::Open(DialogHost& owner, iSettingsKeeper& keeper, bool canRestore,
                                  std::string* path) {
    DlgSettingsHistory dialog(keeper, canRestore);
    if (owner.RunChild(IDD_SETTINGS_HISTORY, dialog) != kRestoreChosen) {
        return 0;
    }
    *path = dialog.ChosenPath();
    return kRestoreChosen;
}

intptr_t DlgSettingsHistory::OnInit(DialogHost& host) {
    host_ = &host;
    Fill();
    return 1;
}

void DlgSettingsHistory::Fill() {
    history_ = keeper_.History();
    ControllerSettings now{};
    const bool connected = keeper_.HeldNow(&now);
    const SettingValues held = ReadSettings(now);
    SettingSelection all;
    all.set();

    host_->ListClear(IDC_HISTORY_LIST);
    for (const KeptEntry& entry : history_.entries) {
        std::wstring differences = L"unreadable";
        if (entry.readable) {
            differences =
                connected ? std::to_wstring(RestorableDifferences(held, entry.settings, all).size())
                          : std::wstring();
        }
        const std::wstring cells[] = {WideText(LocalTimeText(entry.takenUtc)),
                                      KeptReasonText(entry), ControllerText(entry), differences};
        const wchar_t* const texts[] = {cells[0].c_str(), cells[1].c_str(), cells[2].c_str(),
                                        cells[3].c_str()};
        host_->ListAddRow(IDC_HISTORY_LIST, texts, 4);
    }
    host_->CheckItem(IDC_HISTORY_AUTOMATIC, history_.automatic);
    ShowSelected();
}

const KeptEntry* DlgSettingsHistory::Selected() {
    const int row = host_->ListGetSelection(IDC_HISTORY_LIST);
    if (row < 0 || static_cast<size_t>(row) >= history_.entries.size()) {
        return nullptr;
    }
    return &history_.entries[static_cast<size_t>(row)];
}

void DlgSettingsHistory::ShowSelected() {
    const KeptEntry* entry = Selected();
    host_->EnableItem(IDC_HISTORY_RESTORE, canRestore_ && entry != nullptr && entry->readable);
    host_->EnableItem(IDC_HISTORY_DELETE, entry != nullptr);
    std::string status = history_.problem;
    if (entry != nullptr && !entry->readable) {
        status = entry->fileName + ": " + entry->error;
    }
    host_->SetItemText(IDC_HISTORY_STATUS, WideText(status).c_str());
}

intptr_t DlgSettingsHistory::OnCommand(int id, int code) {
    switch (id) {
        case IDC_HISTORY_LIST:
            if (code == kLvnItemChanged) {
                ShowSelected();
                return 1;
            }
            return 0;
        case IDC_HISTORY_RESTORE:
            if (const KeptEntry* entry = Selected()) {
                chosenPath_ = entry->path;
                host_->End(kRestoreChosen);
            }
            return 1;
        case IDC_HISTORY_DELETE:
            Delete();
            return 1;
        case IDC_HISTORY_OPEN_FOLDER:
            OpenFolder();
            return 1;
        case IDC_HISTORY_AUTOMATIC:
            ChangeAutomatic();
            return 1;
        case IDC_DLG_CANCEL:
            host_->End(0);
            return 1;
        default:
            return 0;
    }
}

void DlgSettingsHistory::Delete() {
    const KeptEntry* entry = Selected();
    if (entry == nullptr) {
        return;
    }
    const std::wstring question = L"Delete " + WideText(entry->fileName) + L" from the history?";
    if (!host_->ShowMessage(MessageKind::kQuestion, question.c_str())) {
        return;
    }
    std::string message;
    if (!keeper_.Remove(entry->fileName, &message)) {
        ShowError(*host_, message, L"The entry could not be deleted.");
    }
    Fill();
}

void DlgSettingsHistory::OpenFolder() {
    if (!host_->OpenFolder(history_.folder)) {
        const std::wstring text =
            L"The folder " + WideText(history_.folder) + L" cannot be opened.";
        host_->ShowMessage(MessageKind::kError, text.c_str());
    }
}

void DlgSettingsHistory::ChangeAutomatic() {
    const bool on = host_->IsItemChecked(IDC_HISTORY_AUTOMATIC);
    std::string message;
    if (!keeper_.SetAutomatic(on, &message)) {
        host_->CheckItem(IDC_HISTORY_AUTOMATIC, !on);
        ShowError(*host_, message, L"The choice could not be remembered.");
    }
}

}  // namespace axistune
