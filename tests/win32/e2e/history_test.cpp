// The settings history against a simulated DX5: a Max speed change that Reload defaults wiped
// is restored from the history's entry taken before the reload, through the system menu's
// command and the history, confirm and result dialogs.
#include <gtest/gtest.h>

#include <string>

#include "driver/local_app_data.h"
#include "driver/text_codec.h"
#include "driver/wait.h"
#include "e2e_fixture.h"
#include "main_window_ids.h"

namespace e2e {
namespace {

constexpr int kHistoryCommand = 0x0130;  // the system menu's "Settings history..."
constexpr int kHistoryList = 100, kHistoryRestore = 101;
constexpr int kRestoreApply = 110, kRestoreReport = 100, kClose = 2;
constexpr uint32_t kWaitMs = 20000;

bool HasEntry(const std::wstring& folder, const wchar_t* pattern) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    FindClose(search);
    return true;
}

TEST_F(E2eTest, AChangeWipedByReloadDefaultsComesBackFromTheHistory) {
    // A history of this run's own, where the program looks for %LOCALAPPDATA%.
    const std::wstring appData =
        WindowsPath(EnvText("AXISTUNE_E2E_WORK") + "/appdata-" + std::to_string(GetTickCount64()));
    ASSERT_TRUE(CreateDirectoryW(appData.c_str(), nullptr));
    const LocalAppData localAppData(appData);
    ASSERT_TRUE(localAppData.Set());
    ASSERT_NO_FATAL_FAILURE(LaunchAndConnect(port::kHistory));

    ASSERT_EQ(FramesOf(
                  port::kHistory, [&] { return main_.TypeAndLeave(211, "900"); }, 1)
                  .size(),
              1u);
    ASSERT_EQ(FramesOf(
                  port::kHistory, [&] { return main_.Click(id::kReloadDefaults); }, 5)
                  .size(),
              5u);
    std::string status;
    ASSERT_TRUE(main_.WaitForText(id::kStatus, "Default settings reloaded", kWaitMs, &status))
        << status;
    ASSERT_NE(main_.Text(211), "900");
    const std::wstring snapshots = appData + L"\\AxisTune\\snapshots\\";
    ASSERT_TRUE(WaitUntil(kWaitMs, [&] { return HasEntry(snapshots, L"*-before-reload-COM*"); }));

    ASSERT_TRUE(main_.Post(WM_SYSCOMMAND, kHistoryCommand, 0));
    const Window history(WaitForTopLevel(program_.Id(), "Settings history", kWaitMs));
    ASSERT_TRUE(history.Exists());
    // The newest entry, first in the list, is the one taken before the reload.
    ASSERT_TRUE(Window::SendTo(history.Item(kHistoryList), WM_KEYDOWN, VK_HOME, 0));
    ASSERT_TRUE(WaitUntil(kWaitMs, [&] { return history.Enabled(kHistoryRestore); }));
    ASSERT_TRUE(history.PostClick(kHistoryRestore));

    const Window confirm(WaitForTopLevel(program_.Id(), "Restore settings", kWaitMs));
    ASSERT_TRUE(confirm.Exists() && confirm.HasItem(kRestoreApply));
    ASSERT_TRUE(confirm.PostClick(kRestoreApply));
    Window result;
    ASSERT_TRUE(WaitUntil(kWaitMs, [&] {
        result = Window(FindTopLevel(program_.Id(), "Restore settings"));
        return result.Exists() && !result.HasItem(kRestoreApply);
    }));
    const std::string report = result.Text(kRestoreReport);
    ASSERT_TRUE(PressAndWaitGone(result, kClose));

    // The window fills from what the controller reports after the restore's read-back.
    EXPECT_TRUE(main_.WaitForText(211, "900", kWaitMs, &status)) << status << "\n" << report;
    EXPECT_EQ(main_.Text(id::kStatus), kEstablished);
}

}  // namespace
}  // namespace e2e
