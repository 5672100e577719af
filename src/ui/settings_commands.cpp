#include "ui/settings_commands.h"

#include <ctime>

#include "ui/dlg_compare_result.h"
#include "ui/dlg_restore_confirm.h"
#include "ui/dlg_restore_result.h"
#include "ui/dlg_settings_history.h"
#include "ui/local_time.h"
#include "ui/show_error.h"
#include "ui/wide_text.h"

namespace axistune {

namespace {

const FileTypeFilter kSettingsFiles{L"Settings files", L"*.json"};

}  // namespace

void SettingsCommands::Attach(DialogHost& host) {
    host_ = &host;
    const MenuCommand commands[] = {
        {kBackUp, L"Back up settings...", 'B', false},
        {kCompare, L"Compare with a file...", 'D', false},
        {kRestore, L"Restore from a file...", 'O', false},
        {kHistory, L"Settings history...", 'H', true},
    };
    host.SetMenuCommands(commands, sizeof commands / sizeof commands[0]);
    ShowState();
}

void SettingsCommands::SetConnected(bool connected) {
    connected_ = connected;
    ShowState();
}

void SettingsCommands::ShowState() {
    if (host_ == nullptr) {
        return;
    }
    const bool offered = connected_ && !restoring_;
    host_->EnableMenuCommand(kBackUp, offered);
    host_->EnableMenuCommand(kCompare, offered);
    host_->EnableMenuCommand(kRestore, offered);
}

intptr_t SettingsCommands::OnMenuCommand(int id) {
    if (host_ == nullptr) {
        return 0;
    }
    const bool offered = connected_ && !restoring_;
    switch (id) {
        case kBackUp:
            if (offered) {
                BackUp();
            }
            return 1;
        case kCompare:
            if (offered) {
                Compare();
            }
            return 1;
        case kRestore:
            if (offered) {
                RestoreFromFile();
            }
            return 1;
        case kHistory:
            ShowHistory();
            return 1;
        default:
            return 0;
    }
}

bool SettingsCommands::HeldNow(ControllerSettings* settings) {
    if (keeper_.HeldNow(settings)) {
        return true;
    }
    ShowError(*host_, std::string(), L"The controller's settings have not been read yet.");
    return false;
}

void SettingsCommands::BackUp() {
    ControllerSettings settings{};
    if (!HeldNow(&settings)) {
        return;
    }
    const std::wstring suggested =
        L"axistune-" + std::to_wstring(settings.hardwareType) + L"-" +
        WideText(LocalTimeText(static_cast<int64_t>(std::time(nullptr)), "%Y-%m-%d")) + L".json";
    std::string path;
    if (!host_->ChooseFileToSave(L"Back up settings", kSettingsFiles, suggested.c_str(), &path)) {
        return;
    }
    std::string message;
    if (!keeper_.Backup(path, &message)) {
        ShowError(*host_, message, L"The settings could not be written.");
        return;
    }
    const std::wstring done = L"The settings were written to " + WideText(path) + L".";
    host_->ShowMessage(MessageKind::kInformation, done.c_str());
}

bool SettingsCommands::ChooseFile(const wchar_t* title, std::string* path) {
    return host_->ChooseFileToOpen(title, kSettingsFiles, path);
}

bool SettingsCommands::Examine(const std::string& path, SettingsFile* file) {
    std::string message;
    if (keeper_.Examine(path, file, &message)) {
        return true;
    }
    ShowError(*host_, message, L"The file cannot be read.");
    return false;
}

void SettingsCommands::Compare() {
    std::string path;
    SettingsFile file;
    ControllerSettings settings{};
    if (!ChooseFile(L"Compare with a file", &path) || !Examine(path, &file) ||
        !HeldNow(&settings)) {
        return;
    }
    DlgCompareResult::Open(*host_, ReadSettings(settings), file);
}

void SettingsCommands::RestoreFromFile() {
    std::string path;
    if (ChooseFile(L"Restore from a file", &path)) {
        ConfirmAndRestore(path);
    }
}

void SettingsCommands::ShowHistory() {
    std::string path;
    const bool canRestore = connected_ && !restoring_;
    if (DlgSettingsHistory::Open(*host_, keeper_, canRestore, &path) ==
            DlgSettingsHistory::kRestoreChosen &&
        connected_ && !restoring_) {
        ConfirmAndRestore(path);
    }
}

void SettingsCommands::ConfirmAndRestore(const std::string& path) {
    SettingsFile file;
    ControllerSettings settings{};
    if (!Examine(path, &file) || !HeldNow(&settings)) {
        return;
    }
    SettingSelection selection;
    if (DlgRestoreConfirm::Open(*host_, ReadSettings(settings), file, &selection) != 1) {
        return;
    }
    if (!connected_ || restoring_) {
        // The connection closed while the user was deciding.
        ShowError(*host_, std::string(), L"The controller is not connected; nothing was sent.");
        return;
    }
    std::string message;
    if (!keeper_.StartRestore(path, selection, &message)) {
        ShowError(*host_, message, L"The restore could not start.");
        return;
    }
    restoring_ = true;
    restoringFile_ = file;
    ShowState();
}

void SettingsCommands::OnRestoreNews() {
    for (const RestoreNews& news : keeper_.DrainRestoreNews()) {
        // Steps are not shown: the status line keeps the engine's own texts.
        if (!news.finished) {
            continue;
        }
        restoring_ = false;
        ShowState();
        if (host_ != nullptr) {
            DlgRestoreResult::Open(*host_, news, restoringFile_);
        }
    }
}

}  // namespace axistune
