#pragma once

// The behaviour every dialog host shares, as one GoogleTest suite that each host runs through a
// small driver, so that the in-memory host the dialog tests rely on, the Win32 host and the Qt
// host cannot drift apart.
//
// A host joins by implementing HostUnderTest and instantiating the suite in its test program,
// with host_conformance.cpp among the program's sources:
//
//   std::unique_ptr<HostUnderTest> MakeMyHost() { return std::make_unique<MyHost>(); }
//   INSTANTIATE_TEST_SUITE_P(My, HostConformance,
//                            ::testing::Values(HostFactory{"My", &MakeMyHost}), HostFactoryName);

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "ui/dialog_host.h"

namespace axistune {

// EN_SETFOCUS: an edit that gains the focus says so; the suite watches the focus move by it.
constexpr int kEnSetFocusCode = 0x0100;

// One dialog host, driven as a user drives it. The dialog comes from the real description
// (ui/description/dialog_templates.h) through the host's own way of building it.
//
// Notifications reach the logic with their Win32 codes (dialog_host.h, plus EN_SETFOCUS). A
// host may send others as well (EN_UPDATE, CBN_SETFOCUS, ...): the suite's logic ignores codes
// the dialogs do not act on.
//
// The user's operations are called from inside Run's body only. Each returns false, and does
// nothing, where a user could not act: no such control, a disabled one, or one of another kind.
class HostUnderTest {
  public:
    virtual ~HostUnderTest() = default;

    using Body = std::function<void()>;
    static constexpr intptr_t kNotShown = -1;  // no such template (what RunModal returns)
    static constexpr intptr_t kLeftOpen = -2;  // the body returned with the dialog still open

    // Creates templateId's dialog for logic (OnInit with the host), then runs body while the
    // dialog is open: from inside the dialog's own event loop where the toolkit has one, and
    // before anything posted during OnInit is delivered. A dialog that ended in OnInit does not
    // run body. A dialog that body left open is closed without asking the logic. Returns the
    // end result (End's value), kNotShown or kLeftOpen; OnDestroy has run when it returns.
    virtual intptr_t Run(int templateId, DialogLogic& logic, const Body& body) = 0;

    // Buttons (push, bitmap, check box, radio): take the focus, then BN_CLICKED; an automatic
    // check box toggles before it notifies, plain radios and push-like boxes do not. A label
    // with the notify option: STN_CLICKED (0), focus unchanged. Other labels: false.
    virtual bool Click(int id) = 0;
    // An edit that is not read-only: takes the focus (EN_KILLFOCUS from the edit that loses
    // it, EN_SETFOCUS), then its text is replaced by text with one EN_CHANGE.
    virtual bool Type(int id, const std::wstring& text) = 0;
    // The control id, which has the focus, loses it and no control has it (EN_KILLFOCUS).
    virtual bool Leave(int id) = 0;
    // A drop-down list: takes the focus, row (an existing row only) is selected, CBN_SELCHANGE.
    virtual bool Pick(int id, int row) = 0;
    // A trackbar: takes the focus, the thumb moves to position clamped to the range, then
    // OnHScroll(TB_THUMBTRACK).
    virtual bool Drag(int id, int position) = 0;
    // A trackbar: takes the focus, OnHScroll(TB_THUMBPOSITION), then OnHScroll(TB_ENDTRACK).
    virtual bool Release(int id) = 0;
    // The keys, with the focus on an edit: command 1 and command 2 (code 0).
    virtual void PressEnter() = 0;
    virtual void PressEscape() = 0;
    // OnClose; when it returns 0 the logic then gets command 2 (code 0), before this returns.
    virtual void PressCloseBox() = 0;
    // Delivers, in order, the posted messages waiting when it is called (OnUser), and only
    // while the dialog has not ended; messages posted meanwhile wait for the next Pump.
    // Returns how many reached the logic.
    virtual size_t Pump() = 0;

    // A list view: takes the focus, the row (an existing one) is selected, then kLvnItemChanged
    // when the selection moved.
    virtual bool SelectRow(int id, int row) = 0;
    // SelectRow, then kNmDblClk.
    virtual bool DoubleClickRow(int id, int row) = 0;
    // The menu commands (system menu, context menu): picks an enabled one, as a user can.
    virtual bool ChooseMenu(int id) = 0;
    // Ctrl+key with the focus on control focusId of the dialog.
    virtual void PressShortcut(int focusId, char key) = 0;
    // The next file dialog the logic opens is cancelled by the user, the next message box
    // answered (Yes or OK when yes, else No); what they showed is kept for ModalSeen.
    virtual void CancelNextFileDialog() = 0;
    virtual void AnswerNextMessage(bool yes) = 0;
    // The title of the last file dialog, or the text of the last message box, shown.
    virtual std::wstring ModalSeen() = 0;

    // What the user sees.
    struct MenuItem {
        std::wstring text;
        char ctrlKey;  // the shortcut shown beside it
        bool enabled;
        bool operator==(const MenuItem& other) const {
            return text == other.text && ctrlKey == other.ctrlKey && enabled == other.enabled;
        }
        friend void PrintTo(const MenuItem& item, std::ostream* out) {
            *out << ::testing::PrintToString(item.text) << " Ctrl+"
                 << (item.ctrlKey != 0 ? item.ctrlKey : '-')
                 << (item.enabled ? " enabled" : " disabled");
        }
    };
    virtual std::vector<MenuItem> Menu() = 0;
    virtual std::vector<std::wstring> ListColumns(int id) = 0;
    virtual std::vector<std::wstring> ListRow(int id, int row) = 0;
    virtual int LineCount(int id) = 0;  // multi-line texts: the lines shown
    virtual bool Has(int id) = 0;
    virtual std::wstring Text(int id) = 0;  // empty for a missing control
    virtual bool Checked(int id) = 0;
    virtual bool Enabled(int id) = 0;
    virtual int Position(int id) = 0;               // trackbars
    virtual std::pair<int, int> Range(int id) = 0;  // trackbars: minimum, maximum
    virtual int Focus() = 0;                        // the focused control's id; 0 for none
    virtual bool Ended() = 0;                       // End was called
};

struct HostFactory {
    const char* name;
    std::unique_ptr<HostUnderTest> (*make)();
};

inline void PrintTo(const HostFactory& factory, std::ostream* out) {
    *out << factory.name;
}
std::string HostFactoryName(const ::testing::TestParamInfo<HostFactory>& info);

class HostConformance : public ::testing::TestWithParam<HostFactory> {
  protected:
    std::unique_ptr<HostUnderTest> host_ = GetParam().make();
};

// A dialog logic that records the messages it gets, as text ("command 100 768"), and acts on
// nothing unless told. Commands with codes the dialogs do not act on are not recorded.
class ProbeLogic : public DialogLogic {
  public:
    std::vector<std::string> log;
    DialogHost* host = nullptr;
    bool handleClose = false;  // OnClose ends the dialog with 7 and reports it handled

    intptr_t OnInit(DialogHost& h) override;
    intptr_t OnCommand(int id, int code) override;
    intptr_t OnHScroll(int code, int id) override;
    intptr_t OnUser(uintptr_t w, intptr_t l) override;
    intptr_t OnMenuCommand(int id) override;
    intptr_t OnClose() override;
    void OnDestroy() override;
};

using ProbeLog = std::vector<std::string>;

}  // namespace axistune
