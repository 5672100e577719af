// One dialog window of another process, driven by its control ids with window messages, the
// way the controls themselves would talk to the dialog. Every message is sent with a time limit,
// so a hung program fails a call instead of hanging the driver.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

class Window {
  public:
    // How long one sent message may take before the call counts as failed.
    static constexpr uint32_t kSendLimitMs = 5000;

    Window() = default;
    explicit Window(HWND handle) : handle_(handle) {}

    HWND handle() const { return handle_; }
    bool Exists() const { return handle_ != nullptr && IsWindow(handle_) != FALSE; }
    std::string Title() const;

    HWND Item(int id) const { return GetDlgItem(handle_, id); }
    bool HasItem(int id) const { return Item(id) != nullptr; }
    bool Enabled(int id) const;
    bool Checked(int id) const;
    // WM_GETTEXT of the control; empty when it has none or does not answer.
    std::string Text(int id) const;

    // BM_CLICK, sent: returns once the button has clicked itself and the dialog has handled
    // the resulting command. Only for buttons whose command returns at once.
    bool Click(int id) const;
    // BM_CLICK, posted: for buttons that open a modal dialog, which would block a sent click
    // until that dialog closes.
    bool PostClick(int id) const;
    // Clicks a check box when its state differs from `checked` (the box toggles itself and
    // notifies the dialog, as a user's click does).
    bool SetChecked(int id, bool checked) const;

    int ComboCount(int id) const;
    int ComboSelection(int id) const;
    std::string ComboRowText(int id, int row) const;
    // CB_SETCURSEL followed by the selection-change notification the list box would send.
    bool SelectRow(int id, int row) const;

    int TrackbarPos(int id) const;
    int TrackbarMin(int id) const;
    int TrackbarMax(int id) const;
    // Drags the thumb to `pos` and lets go: TBM_SETPOS, then WM_HSCROLL with TB_THUMBTRACK,
    // TB_THUMBPOSITION and TB_ENDTRACK, each with the trackbar's handle.
    bool ReleaseTrackbarAt(int id, int pos) const;

    bool SetText(int id, const std::string& text) const;
    // Gives the edit the keyboard focus, replaces its text and moves the focus on to the next
    // control (as Tab does): the edit tells the dialog with EN_KILLFOCUS.
    bool TypeAndLeave(int id, const std::string& text) const;
    // The control that has the keyboard focus in this window's thread.
    HWND Focused() const;

    // Waits until the control shows `want`; `last` receives the text seen last.
    bool WaitForText(int id, const std::string& want, uint32_t timeoutMs,
                     std::string* last = nullptr) const;
    // Watches the control's text every few milliseconds and records each change, until `final`
    // accepts a text or the time is up. Result: the distinct texts in the order seen.
    template <typename Final>
    std::vector<std::string> WatchText(int id, Final final, uint32_t timeoutMs) const;

    bool Post(UINT message, WPARAM wParam, LPARAM lParam) const;
    bool Send(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr) const;
    static bool SendTo(HWND target, UINT message, WPARAM wParam, LPARAM lParam,
                       LRESULT* result = nullptr);

  private:
    HWND handle_ = nullptr;
};

template <typename Final>
std::vector<std::string> Window::WatchText(int id, Final final, uint32_t timeoutMs) const {
    std::vector<std::string> seen;
    const uint64_t deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        const std::string text = Text(id);
        if (seen.empty() || seen.back() != text) {
            seen.push_back(text);
        }
        if (final(text) || GetTickCount64() >= deadline) {
            return seen;
        }
        Sleep(2);
    }
}

}  // namespace e2e
