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
    intptr_t LastResult() const { return lastResult_; }
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
    ControlHandle ItemHandle(int id) override;
    void SetItemFont(int id, const FontChange& change) override;
    void MakeLink(int id) override;
    void OpenUrl(const wchar_t* url) override;
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
    };

    InMemoryDialog(int templateId, DialogLogic& logic, InMemoryDialog* root);
    Control* Find(int id);
    const Control* Find(int id) const;
    Control* Usable(int id, ControlKind kind);
    void Command(int id, int code);
    void MoveFocus(int id);
    void SetText(Control& control, std::wstring text);
    static int Clamp(const Control& control, int position);

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

    mutable std::mutex postLock_;
    std::deque<std::pair<uintptr_t, intptr_t>> posts_;

    // Kept by the root dialog only.
    std::map<int, std::deque<ChildScript>> scripts_;
    std::vector<int> childrenRun_;
};

}  // namespace axistune
