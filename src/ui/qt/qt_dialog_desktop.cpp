// QtDialog: what the dialogs ask of the desktop (file dialogs, message boxes, the file manager)
// and the menu commands of the context menu.
#include <QAction>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QMessageBox>

#include "ui/qt/qt_dialog.h"
#include "ui/qt/qt_dialog_module.h"

namespace axistune {

namespace {

QString FromWide(const wchar_t* text) {
    return QString::fromWCharArray(text != nullptr ? text : L"");
}

}  // namespace

bool QtDialog::OpenFolder(const std::string& pathUtf8) {
    const QString path = QString::fromStdString(pathUtf8);
    if (pathUtf8.empty() || !QFileInfo(path).isDir()) {
        return false;
    }
    return module_.OpenFolder(path);
}

bool QtDialog::ChooseFile(bool save, const wchar_t* title, const FileTypeFilter& filter,
                          const wchar_t* suggestedName, std::string* pathUtf8) {
    QFileDialog dialog(this, FromWide(title));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QString pattern = filter.pattern != nullptr ? FromWide(filter.pattern) : QString("*");
    dialog.setNameFilters({FromWide(filter.description) + " (" + pattern + ")", "All files (*)"});
    if (const wchar_t* extension = FilterExtension(filter)) {
        dialog.setDefaultSuffix(FromWide(extension));
    }
    if (save && suggestedName != nullptr) {
        dialog.selectFile(FromWide(suggestedName));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    const std::string chosen = dialog.selectedFiles().first().toStdString();
    if (chosen.empty()) {
        return false;
    }
    if (pathUtf8 != nullptr) {
        *pathUtf8 = chosen;
    }
    return true;
}

bool QtDialog::ChooseFileToOpen(const wchar_t* title, const FileTypeFilter& filter,
                                std::string* pathUtf8) {
    return ChooseFile(false, title, filter, nullptr, pathUtf8);
}

bool QtDialog::ChooseFileToSave(const wchar_t* title, const FileTypeFilter& filter,
                                const wchar_t* suggestedName, std::string* pathUtf8) {
    return ChooseFile(true, title, filter, suggestedName, pathUtf8);
}

bool QtDialog::ShowMessage(MessageKind kind, const wchar_t* text) {
    QMessageBox::Icon icon = QMessageBox::Information;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    switch (kind) {
        case MessageKind::kInformation:
            break;
        case MessageKind::kWarning:
            icon = QMessageBox::Warning;
            break;
        case MessageKind::kError:
            icon = QMessageBox::Critical;
            break;
        case MessageKind::kQuestion:
            icon = QMessageBox::Question;
            buttons = QMessageBox::Yes | QMessageBox::No;
            break;
    }
    QMessageBox box(icon, windowTitle(), FromWide(text), buttons, this);
    if (kind == MessageKind::kQuestion) {
        box.setEscapeButton(QMessageBox::No);
    }
    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    return clicked != nullptr &&
           (box.standardButton(const_cast<QAbstractButton*>(clicked)) == QMessageBox::Ok ||
            box.standardButton(const_cast<QAbstractButton*>(clicked)) == QMessageBox::Yes);
}

bool QtDialog::SetMenuCommands(const MenuCommand* commands, size_t count) {
    if (!AreMenuCommandsValid(commands, count)) {
        return false;
    }
    for (auto& entry : menuCommands_) {
        removeAction(entry.second);
        delete entry.second;
    }
    menuCommands_.clear();
    for (size_t i = 0; i < count; ++i) {
        const int id = commands[i].id;
        auto* action = new QAction(FromWide(commands[i].text), this);
        action->setData(id);
        if (commands[i].ctrlKey != 0) {
            action->setShortcut(QKeySequence(
                QKeyCombination(Qt::ControlModifier, static_cast<Qt::Key>(commands[i].ctrlKey))));
            action->setShortcutContext(Qt::WindowShortcut);
            action->setShortcutVisibleInContextMenu(true);
        }
        action->setEnabled(commands[i].enabled);
        QObject::connect(action, &QAction::triggered, this, [this, id] {
            if (Alive() && !ended_) {
                logic_.OnMenuCommand(id);
            }
        });
        addAction(action);  // the shortcut works while the window is active
        menuCommands_.emplace_back(id, action);
    }
    return true;
}

void QtDialog::EnableMenuCommand(int id, bool enabled) {
    for (auto& entry : menuCommands_) {
        if (entry.first == id) {
            entry.second->setEnabled(enabled);
        }
    }
}

void QtDialog::contextMenuEvent(QContextMenuEvent* event) {
    if (menuCommands_.empty()) {
        event->ignore();
        return;
    }
    QMenu menu(this);
    for (auto& entry : menuCommands_) {
        menu.addAction(entry.second);
    }
    menu.exec(event->globalPos());
    event->accept();
}

}  // namespace axistune
