#include "ui/qt/qt_dialog_module.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>

#include "ui/description/dialog_templates.h"
#include "ui/qt/qt_dialog.h"

namespace axistune {

QtDialogModule::QtDialogModule() : font_(QApplication::font()) {}

intptr_t QtDialogModule::RunModal(int templateId, DialogLogic& logic) {
    return RunModal(templateId, logic, nullptr);
}

intptr_t QtDialogModule::RunModal(int templateId, DialogLogic& logic, QWidget* owner) {
    const DialogTemplate* dialog = FindDialogTemplate(templateId);
    if (dialog == nullptr || qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return -1;
    }
    QtDialog window(*this, *dialog, logic, owner);
    return window.Run();
}

void QtDialogModule::ReloadRowsOnOpening(int templateId, int comboId, RowSource rows) {
    reloaded_[{templateId, comboId}] = std::move(rows);
}

const QtDialogModule::RowSource* QtDialogModule::ReloadedRows(int templateId, int comboId) const {
    const auto found = reloaded_.find({templateId, comboId});
    return found != reloaded_.end() ? &found->second : nullptr;
}

void QtDialogModule::OpenUrl(const QString& url) const {
    if (urlOpener_) {
        urlOpener_(url);
    } else {
        QDesktopServices::openUrl(QUrl(url));
    }
}

bool QtDialogModule::OpenFolder(const QString& path) const {
    if (folderOpener_) {
        return folderOpener_(path);
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void QtDialogModule::NotifyOpened(QtDialog& dialog) const {
    if (opened_) {
        opened_(dialog);
    }
}

}  // namespace axistune
