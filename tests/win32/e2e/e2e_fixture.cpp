#include "e2e_fixture.h"

#include <cstdio>
#include <cstdlib>

#include "driver/text_codec.h"
#include "driver/wait.h"
#include "main_window_ids.h"

namespace e2e {

namespace {

constexpr uint32_t kWindowWaitMs = 20000;
constexpr uint32_t kDialogWaitMs = 5000;
constexpr uint32_t kCloseWaitMs = 8000;
constexpr uint32_t kFrameWaitMs = 5000;

std::string RequiredEnv(const char* name) {
    const std::string value = EnvText(name);
    if (value.empty()) {
        ADD_FAILURE() << name << " is not set; run the end-to-end tests through run_e2e.sh";
    }
    return value;
}

bool Settled(const std::string& status) {
    return status == kEstablished || status.rfind("Error:", 0) == 0;
}

}  // namespace

void E2eTest::TearDown() {
    if (program_.Running()) {
        DWORD code = 0;
        uint64_t elapsed = 0;
        if (!main_.Exists() || !program_.CloseAndWait(main_, kCloseWaitMs, &code, &elapsed)) {
            program_.Terminate();
        }
    }
    program_.Terminate();
}

void E2eTest::Launch() {
    const std::string exe = RequiredEnv("AXISTUNE_E2E_EXE");
    ASSERT_FALSE(exe.empty());
    std::string error;
    ASSERT_TRUE(program_.Launch(WindowsPath(exe), &error)) << error;
    main_ = program_.WaitForWindow(kMainTitle, kWindowWaitMs);
    ASSERT_TRUE(main_.Exists()) << "no window \"" << kMainTitle << "\" within " << kWindowWaitMs
                                << " ms";
}

std::vector<std::string> E2eTest::Connect(int com, bool baud115200, uint32_t timeoutMs) {
    EXPECT_TRUE(main_.SetChecked(id::kBaud, baud115200));
    EXPECT_TRUE(main_.SelectRow(id::kPort, com - 1));
    EXPECT_TRUE(main_.Click(id::kConnect));
    return main_.WatchText(id::kStatus, Settled, timeoutMs);
}

void E2eTest::LaunchAndConnect(int com, bool baud115200) {
    ASSERT_NO_FATAL_FAILURE(Launch());
    const std::vector<std::string> seen = Connect(com, baud115200);
    ASSERT_EQ(seen.back(), kEstablished) << "COM" << com << " trace:\n" << Trace(com).Dump();
}

SimTrace E2eTest::Trace(int com) const {
    const std::string work = EnvText("AXISTUNE_E2E_WORK");
    return SimTrace(WindowsPath(work + "/trace-com" + std::to_string(com) + ".log"));
}

std::vector<std::string> E2eTest::FramesOf(int com, const std::function<bool()>& action,
                                           size_t expected) {
    const SimTrace trace = Trace(com);
    const size_t mark = trace.Mark();
    EXPECT_TRUE(action());
    return trace.WaitForFrames(mark, expected, kFrameWaitMs);
}

Window E2eTest::OpenDialog(int buttonId, const std::string& title) {
    EXPECT_TRUE(main_.PostClick(buttonId));
    Window dialog(WaitForTopLevel(program_.Id(), title, kDialogWaitMs));
    EXPECT_TRUE(dialog.Exists()) << "no dialog \"" << title << "\" within " << kDialogWaitMs
                                 << " ms";
    return dialog;
}

bool E2eTest::PressAndWaitGone(const Window& dialog, int buttonId) {
    if (!dialog.Click(buttonId)) {
        return false;
    }
    return WaitUntil(kDialogWaitMs, [&] { return !dialog.Exists(); });
}

void E2eTest::ExpectDisconnectedControls() {
    for (int control : kConnectionControls) {
        EXPECT_FALSE(main_.Enabled(control)) << "control " << control;
    }
    EXPECT_FALSE(main_.Enabled(id::kAdvanced));
    for (int control : {id::kPort, id::kBaud, id::kConnect, id::kDisconnect, id::kAbout}) {
        EXPECT_TRUE(main_.Enabled(control)) << "control " << control;
    }
}

std::string Hex8(uint32_t value) {
    char text[4];
    snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

std::string Le16(uint32_t value) {
    return Hex8(value) + " " + Hex8(value >> 8);
}

std::string Le32(uint32_t value) {
    return Le16(value) + " " + Le16(value >> 16);
}

int ToInt(const std::string& text) {
    return atoi(text.c_str());
}

}  // namespace e2e
