#pragma once

#include <string>

#include "core/i_settings_keeper.h"
#include "ui/dialog_host.h"

namespace axistune {

// The main window's settings commands beside its template: back up, compare with a file,
// restore from a file, and the settings history. The first three need a connected controller
// and are not offered while a restore runs. Nothing here sends a request: a restore the user
// confirmed is started by the keeper, whose news come back through OnRestoreNews.
class SettingsCommands {
  public:
    static constexpr int kBackUp = 0x0100;
    static constexpr int kCompare = 0x0110;
    static constexpr int kRestore = 0x0120;
    static constexpr int kHistory = 0x0130;

    explicit SettingsCommands(iSettingsKeeper& keeper) : keeper_(keeper) {}

    // Declares the commands, those needing the controller disabled.
    void Attach(DialogHost& host);
    void Detach() { host_ = nullptr; }
    void SetConnected(bool connected);

    // 1 for one of the commands above, 0 otherwise.
    intptr_t OnMenuCommand(int id);
    // Drains the keeper's restore news; the outcome opens the result dialog.
    void OnRestoreNews();

  private:
    void ShowState();
    void BackUp();
    void Compare();
    void RestoreFromFile();
    void ShowHistory();
    bool ChooseFile(const wchar_t* title, std::string* path);
    bool Examine(const std::string& path, SettingsFile* file);
    bool HeldNow(ControllerSettings* settings);
    void ConfirmAndRestore(const std::string& path);

    iSettingsKeeper& keeper_;
    DialogHost* host_ = nullptr;
    bool connected_ = false;
    bool restoring_ = false;
    SettingsFile restoringFile_;  // the running restore's file: the result shows its values
};

}  // namespace axistune
