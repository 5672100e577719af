#pragma once

#include <QDialog>
#include <QString>
#include <map>
#include <vector>

#include "ui/description/dialog_templates.h"
#include "ui/dialog_host.h"

class QAction;
class QSlider;

namespace axistune {

class QtDialogModule;

// One dialog: its controls built from a template, the DialogHost its logic acts through, and
// the translation of Qt's signals and events into the logic's messages with their Win32
// meanings. Controls are named after their symbol in resource_ids.h ("IDC_CONNECT").
class QtDialog : public QDialog, public DialogHost {
  public:
    QtDialog(QtDialogModule& module, const DialogTemplate& dialog, DialogLogic& logic,
             QWidget* owner);
    ~QtDialog() override;
    QtDialog(const QtDialog&) = delete;
    QtDialog& operator=(const QtDialog&) = delete;

    // WM_INITDIALOG, the default focus, then the window is shown. False when the logic ended
    // the dialog while initialising it.
    bool Open();
    // Open, the modal loop, then WM_DESTROY; the end result.
    intptr_t Run();
    // WM_DESTROY, once; the logic is not reached any more afterwards.
    void Finish();

    int TemplateId() const { return template_.id; }
    bool Ended() const { return ended_; }
    intptr_t Result() const { return result_; }
    // The control with this id, or null when the template lacks it.
    QWidget* Control(int id) const;
    // The control's text as the user sees it; empty for a missing control.
    QString Text(int id) const;
    // Delivers the posted messages waiting now (OnUser) while the dialog has not ended;
    // returns how many reached the logic.
    size_t DeliverPosted();

    // DialogHost.
    void SetItemText(int id, const wchar_t* text) override;
    void SetItemTextA(int id, const char* text) override;
    uint32_t GetItemTextA(int id, char* buffer, uint32_t capacity) override;
    void SetItemInt(int id, uint32_t value, bool isSigned) override;
    uint32_t GetItemInt(int id, bool isSigned) override;
    void CheckItem(int id, bool checked) override;
    bool IsItemChecked(int id) override;
    void EnableItem(int id, bool enabled) override;
    void SetButtonBitmap(int id, int bitmapResourceId) override;
    void ComboAddString(int id, const wchar_t* text) override;
    void ComboSetSelection(int id, int index) override;
    int ComboGetSelection(int id) override;
    void TrackbarSetRange(int id, int minimum, int maximum) override;
    void TrackbarSetPos(int id, int position) override;
    int TrackbarGetPos(int id) override;
    void ListSetColumns(int id, const ListColumn* columns, size_t count) override;
    void ListClear(int id) override;
    int ListAddRow(int id, const wchar_t* const* cells, size_t count) override;
    int ListRowCount(int id) override;
    int ListGetSelection(int id) override;
    void ListSetSelection(int id, int row) override;
    ControlHandle ItemHandle(int id) override;
    void SetItemFont(int id, const FontChange& change) override;
    void MakeLink(int id) override;
    void OpenUrl(const wchar_t* url) override;
    bool OpenFolder(const std::string& pathUtf8) override;
    bool ChooseFileToOpen(const wchar_t* title, const FileTypeFilter& filter,
                          std::string* pathUtf8) override;
    bool ChooseFileToSave(const wchar_t* title, const FileTypeFilter& filter,
                          const wchar_t* suggestedName, std::string* pathUtf8) override;
    bool ShowMessage(MessageKind kind, const wchar_t* text) override;
    bool SetMenuCommands(const MenuCommand* commands, size_t count) override;
    void EnableMenuCommand(int id, bool enabled) override;
    void Post(uintptr_t wParam, intptr_t lParam) override;
    void End(intptr_t result) override;
    intptr_t RunChild(int templateId, DialogLogic& logic) override;

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // The menu commands, on the background and on the controls without a menu of their own.
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void Build();
    QWidget* Create(const ControlTemplate& control);
    void Connect(const ControlTemplate& control, QWidget* widget);
    void Command(int id, int code);
    void Scroll(int code, int id);
    void SetText(int id, const QString& text);
    QWidget* CreateList(const ControlTemplate& control);
    void ConnectList(int id, QWidget* widget);
    bool ChooseFile(bool save, const wchar_t* title, const FileTypeFilter& filter,
                    const wchar_t* suggestedName, std::string* pathUtf8);
    bool Alive() const { return !finished_; }

    QtDialogModule& module_;
    const DialogTemplate& template_;
    DialogLogic& logic_;
    std::map<int, QWidget*> controls_;
    std::vector<int> order_;         // template order, which is the tab order
    std::map<QObject*, int> ids_;    // edits and notifying labels, for the event filter
    std::map<int, bool> editDirty_;  // typed into since Return last committed the entry
    int focusedEdit_ = 0;            // the edit that reported EN_SETFOCUS last and has not lost it
    double scale_ = 1.0;             // the dialog units against the templates' font
    double unitWidth_ = 1.0;         // pixels per horizontal dialog unit
    int programChanges_ = 0;         // the program changes a list: no notification
    std::vector<std::pair<int, QAction*>> menuCommands_;
    size_t delivered_ = 0;
    bool ended_ = false;
    bool finished_ = false;
    intptr_t result_ = 0;
};

}  // namespace axistune
