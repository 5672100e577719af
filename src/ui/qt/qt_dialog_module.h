#pragma once

#include <QFont>
#include <QString>
#include <QWidget>
#include <functional>
#include <map>
#include <utility>

#include "ui/dialog_host.h"
#include "ui/qt/dialog_widgets.h"

namespace axistune {

class QtDialog;

// Runs the dialog logic in Qt dialogs built from the dialog description. Needs a QApplication;
// everything runs on its thread except DialogHost::Post.
class QtDialogModule : public DialogRunner {
  public:
    using RowSource = ReloadingComboBox::RowSource;
    using OpenedHook = std::function<void(QtDialog& dialog)>;
    using UrlOpener = std::function<void(const QString& url)>;
    using FolderOpener = std::function<bool(const QString& path)>;

    // The dialog font is the application's font at construction.
    QtDialogModule();

    // A dialog without owner (the main window); -1 when it could not be shown.
    intptr_t RunModal(int templateId, DialogLogic& logic) override;
    intptr_t RunModal(int templateId, DialogLogic& logic, QWidget* owner);

    // That combo box also takes typed text and reads its rows again each time its list opens.
    void ReloadRowsOnOpening(int templateId, int comboId, RowSource rows);
    // Called once a dialog is initialised and shown, before its modal loop runs.
    void WhenOpened(OpenedHook hook) { opened_ = std::move(hook); }
    // Replaces the desktop's URL handler (the browser).
    void SetUrlOpener(UrlOpener opener) { urlOpener_ = std::move(opener); }
    // Replaces the desktop's file manager.
    void SetFolderOpener(FolderOpener opener) { folderOpener_ = std::move(opener); }

    const QFont& DialogFont() const { return font_; }
    const RowSource* ReloadedRows(int templateId, int comboId) const;
    void OpenUrl(const QString& url) const;
    bool OpenFolder(const QString& path) const;
    void NotifyOpened(QtDialog& dialog) const;

  private:
    QFont font_;
    std::map<std::pair<int, int>, RowSource> reloaded_;
    OpenedHook opened_;
    UrlOpener urlOpener_;
    FolderOpener folderOpener_;
};

}  // namespace axistune
