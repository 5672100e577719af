// What every end-to-end test needs: the program started unchanged, its main window, the
// simulated controllers behind the COM ports and their traces.
//
// run_e2e.sh starts one dxsim per COM port below and passes two paths in the environment:
// AXISTUNE_E2E_EXE (axistune.exe) and AXISTUNE_E2E_WORK (the folder with trace-comN.log).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "driver/program.h"
#include "driver/sim_trace.h"
#include "driver/window.h"

namespace e2e {

// COM port → simulated controller. Each port serves one group of tests so that what one group
// changes in its controller cannot leak into another; keep in step with run_e2e.sh.
namespace port {
constexpr int kRoad = 1;          // dx5, only read from
constexpr int kMainControls = 2;  // dx5: movement, tracking, Exp
constexpr int kAxisPanel = 3;     // dx5: the axis panel's commands
constexpr int kGear = 4;          // dx5: gear-ratio dialog
constexpr int kCommands = 5;      // dx5: init, park, store, reload
constexpr int kRv5 = 6;           // rv5: advanced settings with closed-loop tracking
constexpr int kDx3 = 7;           // dx3 at 9600 baud, fork mount
constexpr int kOldFirmware = 8;   // old-firmware
constexpr int kIncompatible = 9;  // incompatible
constexpr int kOldVersion = 10;   // old-version (short version reply)
constexpr int kSilent = 11;       // dx5 --no-reply
constexpr int kHistory = 12;      // dx5: the settings history's restore
}  // namespace port

constexpr char kEstablished[] = "Connection established.";
constexpr char kFirmwareTooOld[] =
    "Error: The firmware in the device is too old. Please upgrade it to the latest version.";

class E2eTest : public ::testing::Test {
  protected:
    void TearDown() override;

    // Starts axistune.exe and waits for its main window (main_).
    void Launch();
    // Selects COM`com`, sets the baud box, presses "Connect" and watches the status line until
    // it shows "Connection established." or an error. Result: the statuses seen, in order.
    std::vector<std::string> Connect(int com, bool baud115200 = true, uint32_t timeoutMs = 20000);
    // Launch and Connect, asserting that the connection is established.
    void LaunchAndConnect(int com, bool baud115200 = true);

    SimTrace Trace(int com) const;
    // Runs `action` (which must succeed) and returns the frames the controller at `com`
    // received, once `expected` frames have arrived and no further frame followed.
    std::vector<std::string> FramesOf(int com, const std::function<bool()>& action,
                                      size_t expected);

    // Posts a click on the main window's button `buttonId` and waits for the modal dialog.
    Window OpenDialog(int buttonId, const std::string& title);
    // Clicks `buttonId` of the dialog and waits until the dialog is gone.
    bool PressAndWaitGone(const Window& dialog, int buttonId);

    // Every control that needs a connection, and "Advanced settings", is disabled.
    void ExpectDisconnectedControls();

    Program program_;
    Window main_;
};

// "AA 01 02" style hex of a 16-bit or 32-bit little-endian value, for building frames.
std::string Le16(uint32_t value);
std::string Le32(uint32_t value);
std::string Hex8(uint32_t value);
int ToInt(const std::string& text);

}  // namespace e2e
