// The Windows program: the session wires the engine, the window runs modally, and the session
// shuts everything down in an order where no thread outlives what it uses.
#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>

#include <memory>
#include <string>

#include "app/night_mode_choice.h"
#include "app/session.h"
#include "app/settings_keeper.h"
#include "ui/dlg_config.h"
#include "ui/win32/night_mode.h"
#include "ui/win32/utf8.h"
#include "ui/win32/win32_dialog.h"

using namespace axistune;

namespace {

constexpr int kStartFailed = 1;

void ShowStartError(const char* text) {
    MessageBoxA(nullptr, text, "AxisTune", MB_OK | MB_ICONERROR);
}

// Night mode as the user left it, and each switch remembered for the next start. A choice that
// cannot be stored is said once per run, in a message box (which keeps the system's colours);
// the window goes on in the chosen mode.
void RememberNightMode() {
    const std::string path = NightModeChoicePath();
    win32_night::Switch(ReadNightModeChoice(path));
    win32_night::SetListener([keeper = NightModeChoiceKeeper(path)](bool on) mutable {
        const std::string message = keeper.Keep(on);
        if (!message.empty()) {
            MessageBoxW(GetActiveWindow(), WideFromUtf8(message).c_str(), L"AxisTune",
                        MB_OK | MB_ICONWARNING);
        }
    });
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // No command line, no registry: every setting lives in the controller; the settings history
    // keeps copies under %LOCALAPPDATA%\AxisTune\snapshots, night-mode.conf the night mode.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    if (!InitCommonControlsEx(&controls)) {
        MessageBoxW(nullptr, L"Init Common Controls failed", L"Error", MB_OK);
        return 0;
    }

    Win32DialogModule module(instance);
    module.OfferNightModeItem();
    RememberNightMode();  // before the main window shows
    // Outlives the session: the engine's worker reports to it until the session has stopped.
    auto keeper = std::make_unique<SettingsKeeper>();
    Session session;
    session.Watch(*keeper, *keeper);
    if (const char* failure = session.Start()) {
        ShowStartError(failure);
        return kStartFailed;
    }

    DlgConfig& dialog = session.ConnectWindow(
        std::make_unique<DlgConfig>(module, session.Engine(), session.Model()));
    keeper->Attach(session.Client(), &dialog);
    dialog.SetSettingsKeeper(keeper.get());

    // -1: the main window could not be created (no display, broken resources).
    const bool shown = dialog.Run() != -1;
    if (!shown) {
        ShowStartError("The main window could not be created.");
    }

    keeper->Stop();  // before the session frees the window it wakes
    if (!session.Stop()) {
        static_cast<void>(keeper.release());  // a worker that did not end may still report to it
    }
    return shown ? 0 : kStartFailed;
}
