#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_model.h"
#include "recording_telescope_control.h"
#include "support/in_memory_dialog.h"
#include "ui/description/dialog_templates.h"
#include "ui/description/resource_ids.h"
#include "ui/dlg_config.h"

namespace axistune {

// The main window is run by the tests themselves; this runner is never asked.
class NoRunner : public DialogRunner {
  public:
    intptr_t RunModal(int, DialogLogic&) override { return -1; }
};

// A record as a DX5 with closed loop and RA limit switches reports it.
inline ControllerSettings TypicalSettings() {
    ControllerSettings s{};
    s.mountType = 0;
    s.protocolLevel = 5;
    s.firmwareVersion = 0x02060001;
    s.features = 0x84;
    s.decFeatures = 0x00;
    s.raGearRatio = 172800;
    s.decGearRatio = 162000;
    s.raMaxSpeed = 600;
    s.decMaxSpeed = 900;
    s.reverseRotation = 0x02;
    s.reverseGuiding = 0x01;
    s.reverseLimits = 0x00;
    s.raMaxCurrent = 1600;
    s.decMaxCurrent = 2000;
    s.raCurrent[0] = 400;
    s.raCurrent[1] = 800;
    s.raCurrent[2] = 1200;
    s.decCurrent[0] = 500;
    s.decCurrent[1] = 1000;
    s.decCurrent[2] = 1500;
    s.raDecay[0] = 0;
    s.raDecay[1] = 1;
    s.raDecay[2] = 2;
    s.decDecay[0] = 3;
    s.decDecay[1] = 2;
    s.decDecay[2] = 1;
    s.raAcceleration = 100;
    s.raDeceleration = 50;
    s.decAcceleration = 120;
    s.decDeceleration = 60;
    s.raOvertone = -3;
    s.decOvertone = 7;
    s.raIncCurrentAt = 20;
    s.decIncCurrentAt = 110;
    s.raGuidingRate = 1;
    s.decGuidingRate = 16;
    s.flipHysteresis = 10;
    s.latitude = 4104000;
    s.longitude = 274320;
    s.hemisphere = 0;
    s.closedLoopDefault = 1;
    return s;
}

// Everything the user can see of the window, one line per control, to compare before/after.
inline std::vector<std::string> Snapshot(const InMemoryDialog& window) {
    std::vector<std::string> lines;
    const DialogTemplate* dialog = FindDialogTemplate(IDD_MAIN);
    for (size_t i = 0; i < dialog->controlCount; ++i) {
        const int id = dialog->controls[i].id;
        std::string line =
            std::to_string(id) + " '" + window.TextA(id) + "' e" +
            std::to_string(window.Enabled(id)) + " c" + std::to_string(window.Checked(id)) + " p" +
            std::to_string(window.Position(id)) + " s" + std::to_string(window.ComboSelection(id));
        lines.push_back(line);
    }
    return lines;
}

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(window.Open(), 1); }

    // What the engine reports on a completed connection.
    void Connect(const ControllerSettings& settings = TypicalSettings()) {
        config.OnStatus(3);
        config.OnSettings(settings, 1);
        engine.Clear();
    }

    RecordingTelescopeControl engine;
    AppModel model;
    NoRunner runner;
    DlgConfig config{runner, engine, model};
    InMemoryDialog window{IDD_MAIN, config};
};

using Calls = std::vector<std::string>;

}  // namespace axistune
