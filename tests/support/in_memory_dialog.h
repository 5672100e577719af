#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "ui/description/dialog_templates.h"
#include "ui/dialog_host.h"

namespace axistune {

// A dialog without a window system: the controls of one template (from the same description
// that axistune.rc is generated from) with the behaviour the dialog logic relies on. A write to
// a control the template lacks changes nothing; positions clamp to the trackbar's range;
// automatic check boxes toggle on a click while plain radios and push-like boxes do not; the
// keyboard focus moves like the dialog manager moves it, so an edit reports EN_KILLFOCUS when
// the user goes elsewhere. Child dialogs run by scripts registered per template.
//
// The user's side (Click, Type, Release, ...) returns false, and does nothing, where a user could
// not do it: a missing or disabled control, or a control of another kind.
class InMemoryDialog : public DialogHost {
  public:
    using ChildScript = std::function<void(InMemoryDialog& child)>;

    // What the logic asked of the desktop; kept by the root dialog for the whole tree.
    struct FileRequest {
        bool save;
        std::wstring title;
        std::wstring description;
        std::wstring pattern;
        std::wstring suggestedName;  // empty when opening
    };
    struct MessageShown {
        MessageKind kind;
        std::wstring text;
    };
    struct DeclaredCommand {
        int id;
        std::wstring text;
        char ctrlKey;
        bool enabled;
    };

    InMemoryDialog(int templateId, DialogLogic& logic);
    ~InMemoryDialog();
    InMemoryDialog(const InMemoryDialog&) = delete;
    InMemoryDialog& operator=(const InMemoryDialog&) = delete;

    bool HasTemplate() const { return template_ != nullptr; }

    // WM_INITDIALOG, then the default focus when the logic asks for it. Returns OnInit's result.
    intptr_t Open();
    bool IsOpen() const { return opened_ && !ended_ && !destroyed_; }
    bool Ended() const { return ended_; }
    intptr_t Result() const { return result_; }
    // WM_DESTROY (also done by the destructor).
    void Destroy();

    // The next child dialog from this template runs this script, once. A child left open by
    // its script (or without one) is closed with the close box, as a user would.
    void ScriptChild(int templateId, ChildScript script);
    // Template ids of the child dialogs run so far, in order (children of children included).
    const std::vector<int>& ChildrenRun() const { return root_->childrenRun_; }

    // The user.
    bool Click(int id);
    bool Type(int id, const std::wstring& text);  // focuses the edit, EN_CHANGE
    bool Leave(int id);                           // the focused edit loses the focus
    bool TypeAndLeave(int id, const std::wstring& text) { return Type(id, text) && Leave(id); }
    bool Drag(int id, int position);  // TB_THUMBTRACK at the clamped position
    bool Release(int id);             // TB_THUMBPOSITION, then TB_ENDTRACK
    bool Scroll(int id, int code);    // any WM_HSCROLL code from this trackbar
    bool Pick(int id, int row);       // CBN_SELCHANGE
    void PressEnter();                // command 1
    void PressEscape();               // command 2
    void PressCloseBox();             // WM_CLOSE; unhandled, it becomes command 2
    // A list view: row selected (-1: none), kLvnItemChanged when that moved the selection.
    bool SelectRow(int id, int row);
    // A list view row: selected as by SelectRow, then kNmDblClk.
    bool DoubleClickRow(int id, int row);
    // The menu: an enabled command of this dialog reaches OnMenuCommand; false otherwise.
    bool ChooseMenuCommand(int id);
    bool PressShortcut(char ctrlKey);  // Ctrl+key
    intptr_t LastResult() const { return lastResult_; }

    // The user's answers to come, in order, for this dialog and its children. A file dialog
    // without a queued answer is cancelled; a message box without one is answered OK, or No
    // for a question.
    void QueueFileChoice(const std::string& pathUtf8);
    void QueueFileCancel();
    void QueueMessageAnswer(bool yesOrOk);
    const std::vector<FileRequest>& FileRequests() const { return root_->fileRequests_; }
    const std::vector<MessageShown>& MessagesShown() const { return root_->messages_; }
    // The folders shown in the file manager: those asked for that exist.
    const std::vector<std::string>& OpenedFolders() const { return root_->openedFolders_; }
    int Focus() const { return focus_; }

    // Posted messages: Pump delivers those waiting when it is called (OnUser), in order, while
    // the dialog is open; messages posted meanwhile wait for the next Pump. Returns how many
    // were delivered.
    size_t Pump();
    size_t PendingPosts() const;

    // What the user sees.
    bool Has(int id) const { return Find(id) != nullptr; }
    std::wstring Text(int id) const;
    std::string TextA(int id) const;
    bool Checked(int id) const;
    bool Enabled(int id) const;
    int Position(int id) const;
    std::pair<int, int> Range(int id) const;
    std::vector<std::wstring> ComboItems(int id) const;
    int ComboSelection(int id) const;
    int Bitmap(int id) const;
    bool HasFontChange(int id) const;
    FontChange FontOf(int id) const;
    bool IsLink(int id) const;
    const std::vector<std::wstring>& OpenedUrls() const { return openedUrls_; }
    std::vector<std::wstring> ListColumnTitles(int id) const;
    const std::vector<std::vector<std::wstring>>& ListRows(int id) const;
    int ListSelection(int id) const;
    // Lines a multi-line text shows (split at "\r\n"); 1 for any other control with a text.
    int LineCount(int id) const;
    const std::vector<DeclaredCommand>& MenuCommands() const { return commands_; }

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

  private:
    struct Control {
        const ControlTemplate* spec;
        std::wstring text;
        bool enabled = true;
        bool checked = false;
        std::vector<std::wstring> items;
        int selection = kComboNoSelection;
        int minimum = 0;  // a new trackbar's range is 0 to 100
        int maximum = 100;
        int position = 0;
        int bitmap = 0;
        bool fontChanged = false;
        FontChange font{false, 0, 0};
        bool link = false;
        std::vector<std::wstring> columns;
        std::vector<std::vector<std::wstring>> rows;
    };

    InMemoryDialog(int templateId, DialogLogic& logic, InMemoryDialog* root);
    Control* Find(int id);
    const Control* Find(int id) const;
    Control* Usable(int id, ControlKind kind);
    void Command(int id, int code);
    void MoveFocus(int id);
    void SetText(Control& control, std::wstring text);
    static int Clamp(const Control& control, int position);
    bool ChooseFile(FileRequest request, std::string* pathUtf8);

    const DialogTemplate* template_;
    DialogLogic& logic_;
    InMemoryDialog* root_;
    std::vector<Control> controls_;
    bool opened_ = false;
    bool ended_ = false;
    bool destroyed_ = false;
    intptr_t result_ = 0;
    intptr_t lastResult_ = 0;
    int focus_ = 0;
    std::vector<std::wstring> openedUrls_;
    std::vector<DeclaredCommand> commands_;

    mutable std::mutex postLock_;
    std::deque<std::pair<uintptr_t, intptr_t>> posts_;

    // Kept by the root dialog only.
    std::map<int, std::deque<ChildScript>> scripts_;
    std::vector<int> childrenRun_;
    std::deque<std::pair<bool, std::string>> fileAnswers_;  // chosen, path
    std::deque<bool> messageAnswers_;
    std::vector<FileRequest> fileRequests_;
    std::vector<MessageShown> messages_;
    std::vector<std::string> openedFolders_;
};

}  // namespace axistune
