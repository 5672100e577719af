// Night mode of axistune.exe against a simulated DX5: it starts in the mode night-mode.conf
// remembers, its main window (disabled controls included, then connected) and each of its
// dialogs show no pixel bright in green or blue, and the system menu's item switches it and
// stores the choice for the next start.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "driver/local_app_data.h"
#include "driver/screen_capture.h"
#include "driver/text_codec.h"
#include "driver/wait.h"
#include "e2e_fixture.h"
#include "main_window_ids.h"

namespace e2e {
namespace {

constexpr int kBrightLimit = 110;          // of 255, for green and blue
constexpr int kNightMenuCommand = 0x0E00;  // the system menu's "Night mode"
constexpr int kHistoryCommand = 0x0130;    // the system menu's "Settings history..."
constexpr int kHistoryList = 100;
constexpr uint32_t kWaitMs = 20000;

std::string FileText(const std::wstring& path) {
    std::ifstream file(path.c_str());
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The window's client area once its paints are done (an update sent across, answered when the
// window has painted) and Wine has put a settled picture of it on the screen.
Capture Screen(HWND window) {
    SettledCapture screen;
    EXPECT_TRUE(WaitUntil(kWaitMs, [&] {
        RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        return screen.Next(window) && CountLitRed(screen.Result(), kBrightLimit) > 0;
    }));
    return screen.Result();
}

// No pixel bright but in red; saves the picture beside the traces when there is one.
void ExpectNight(HWND window, const std::string& name) {
    const Capture capture = Screen(window);
    std::string where;
    const size_t bright = CountBrightNonRed(capture, kBrightLimit, &where);
    SavePicture(capture, WindowsPath(EnvText("AXISTUNE_E2E_WORK") + "/night-" + name + ".ppm"));
    EXPECT_EQ(bright, 0u) << name << ": " << where;
}

// A modal dialog that the main window owns.
HWND OwnedDialog(HWND owner) {
    struct Search {
        HWND owner;
        HWND found;
    } search{owner, nullptr};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            if (GetWindow(window, GW_OWNER) == s->owner && IsWindowVisible(window)) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class NightModeTest : public E2eTest {
  protected:
    void SetUp() override {
        appData_ = WindowsPath(EnvText("AXISTUNE_E2E_WORK") + "/night-appdata-" +
                               std::to_string(GetTickCount64()));
        ASSERT_TRUE(CreateDirectoryW(appData_.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW((appData_ + L"\\AxisTune").c_str(), nullptr));
        std::ofstream(Choice().c_str()) << "night = on\n";
    }
    std::wstring Choice() const { return appData_ + L"\\AxisTune\\night-mode.conf"; }
    bool Stored(bool on) const {
        return FileText(Choice()).find(on ? "night = on" : "night = off") != std::string::npos;
    }
    void Restart() {
        DWORD code = 0;
        uint64_t elapsed = 0;
        ASSERT_TRUE(program_.CloseAndWait(main_, kWaitMs, &code, &elapsed));
        ASSERT_NO_FATAL_FAILURE(Launch());
    }

    std::wstring appData_;
};

TEST_F(NightModeTest, EveryWindowIsRedOnBlackAndTheChoiceLastsToTheNextStart) {
    const LocalAppData localAppData(appData_);
    ASSERT_TRUE(localAppData.Set());
    ASSERT_NO_FATAL_FAILURE(Launch());
    ExpectNight(main_.handle(), "main-disconnected");  // most controls disabled
    ASSERT_EQ(Connect(port::kRoad).back(), kEstablished);
    ExpectNight(main_.handle(), "main-connected");

    const struct {
        const char* name;
        int button;
    } dialogs[] = {{"gear-ratio", id::kChangeGear},
                   {"advanced", id::kAdvanced},
                   {"init", id::kInitScope},
                   {"about", id::kAbout},
                   {"history", 0}};
    for (const auto& dialog : dialogs) {
        SCOPED_TRACE(dialog.name);
        ASSERT_TRUE(dialog.button != 0 ? main_.PostClick(dialog.button)
                                       : main_.Post(WM_SYSCOMMAND, kHistoryCommand, 0));
        Window open;
        ASSERT_TRUE(WaitUntil(
            kWaitMs, [&] { return (open = Window(OwnedDialog(main_.handle()))).Exists(); }));
        if (dialog.button == 0) {  // the history's newest entry selected
            ASSERT_TRUE(Window::SendTo(open.Item(kHistoryList), WM_KEYDOWN, VK_HOME, 0));
        }
        ExpectNight(open.handle(), dialog.name);
        ASSERT_TRUE(open.Post(WM_SYSCOMMAND, SC_CLOSE, 0));
        ASSERT_TRUE(WaitUntil(kWaitMs, [&] { return !open.Exists(); }));
    }

    // The system menu's item switches to the day's colours; the next start reads the choice back.
    // (Ctrl+N is the same switch; the host's test presses it.) The file is read only once the
    // program has ended: a reader holding it open may keep the program from replacing it.
    ASSERT_TRUE(main_.Post(WM_SYSCOMMAND, kNightMenuCommand, 0));
    ASSERT_TRUE(WaitUntil(kWaitMs, [&] {
        return CountBrightNonRed(Screen(main_.handle()), kBrightLimit, nullptr) > 0;
    }));
    ASSERT_NO_FATAL_FAILURE(Restart());
    EXPECT_TRUE(Stored(false)) << FileText(Choice());
    EXPECT_GT(CountBrightNonRed(Screen(main_.handle()), kBrightLimit, nullptr), 0u);

    // On again, and so it starts next time.
    ASSERT_TRUE(main_.Post(WM_SYSCOMMAND, kNightMenuCommand, 0));
    ASSERT_TRUE(WaitUntil(kWaitMs, [&] {
        return CountBrightNonRed(Screen(main_.handle()), kBrightLimit, nullptr) == 0;
    }));
    ASSERT_NO_FATAL_FAILURE(Restart());
    EXPECT_TRUE(Stored(true)) << FileText(Choice());
    ExpectNight(main_.handle(), "main-restarted");
}

}  // namespace
}  // namespace e2e
