#include <gtest/gtest.h>

#include "core/status_texts.h"
#include "main_window_fixture.h"

#include <atomic>
#include <thread>

using namespace axistune;

namespace {

// The controls that need a connection, as the window's design lists them.
const int kConnectionControls[] = {110, 111, 112, 113, 114, 115, 116, 117, 118, 119, 120, 121, 124,
                                   125, 151, 152, 180, 201, 202, 203, 210, 211, 212, 213, 214, 215,
                                   220, 230, 231, 232, 233, 234, 235, 240, 241, 242, 250, 251, 252,
                                   253, 260, 301, 302, 303, 310, 311, 312, 313, 314, 315, 320, 330,
                                   331, 332, 333, 334, 335, 340, 341, 342, 350, 351, 352, 353, 360};
const int kAlwaysUsable[] = {100, 101, 102, 103, 153};

TEST_F(MainWindowTest, StartsDisconnectedWithItsDefaults) {
    const auto ports = window.ComboItems(IDC_PORT);
    ASSERT_EQ(ports.size(), 256u);
    EXPECT_EQ(ports.front(), L"COM1");
    EXPECT_EQ(ports[9], L"COM10");
    EXPECT_EQ(ports.back(), L"COM256");
    EXPECT_EQ(window.ComboSelection(IDC_PORT), 0);
    EXPECT_TRUE(window.Checked(IDC_BAUD));
    EXPECT_FALSE(window.Checked(IDC_TRACK_ON));
    EXPECT_TRUE(window.Checked(IDC_TRACK_OFF));
    EXPECT_EQ(window.Range(IDC_SPEED), std::make_pair(0, 31));
    EXPECT_EQ(window.Position(IDC_SPEED), 10);
    EXPECT_EQ(window.Bitmap(IDC_NORTH), IDB_ARROW_UP);
    EXPECT_EQ(window.Bitmap(IDC_SOUTH), IDB_ARROW_DOWN);
    EXPECT_EQ(window.Bitmap(IDC_EAST), IDB_ARROW_LEFT);
    EXPECT_EQ(window.Bitmap(IDC_WEST), IDB_ARROW_RIGHT);
    for (int id : kConnectionControls) {
        EXPECT_FALSE(window.Enabled(id)) << id;
    }
    EXPECT_FALSE(window.Enabled(IDC_ADVANCED));
    for (int id : kAlwaysUsable) {
        EXPECT_TRUE(window.Enabled(id)) << id;
    }
    EXPECT_TRUE(engine.calls.empty());
}

TEST_F(MainWindowTest, ConnectUsesTheSelectedPortAndBaudRate) {
    ASSERT_TRUE(window.Pick(IDC_PORT, 2));
    ASSERT_TRUE(window.Click(IDC_BAUD));  // unchecked: DX3
    ASSERT_TRUE(window.Click(IDC_CONNECT));
    ASSERT_TRUE(window.Click(IDC_BAUD));
    ASSERT_TRUE(window.Click(IDC_CONNECT));
    ASSERT_TRUE(window.Click(IDC_DISCONNECT));
    EXPECT_EQ(engine.calls, (Calls{"Connect(3,9600)", "Connect(3,115200)", "Disconnect()"}));
}

TEST_F(MainWindowTest, DisabledControlsCannotBeUsedBeforeConnecting) {
    EXPECT_FALSE(window.Click(IDC_STOP));
    EXPECT_FALSE(window.Click(IDC_STORE_SETTINGS));
    EXPECT_FALSE(window.Release(IDC_RA_MAX_SPEED_BAR));
    EXPECT_TRUE(engine.calls.empty());
}

TEST_F(MainWindowTest, ArrowsMoveAtTheSliderSpeedAndStopStopsBothAxes) {
    config.OnStatus(3);
    ASSERT_TRUE(window.Click(IDC_NORTH));
    ASSERT_TRUE(window.Click(IDC_SOUTH));
    ASSERT_TRUE(window.Click(IDC_EAST));  // left arrow
    ASSERT_TRUE(window.Click(IDC_WEST));  // right arrow
    ASSERT_TRUE(window.Click(IDC_STOP));
    ASSERT_TRUE(window.Drag(IDC_SPEED, 40));  // clamps to 31; moving it sends nothing
    ASSERT_TRUE(window.Release(IDC_SPEED));
    ASSERT_TRUE(window.Click(IDC_EAST));
    EXPECT_EQ(engine.calls, (Calls{"MoveManual(0,10)", "MoveManual(1,10)", "MoveManual(3,10)",
                                   "MoveManual(2,10)", "StopMotion(4)", "MoveManual(3,31)"}));
}

TEST_F(MainWindowTest, SiderealButtonsOnlyMoveTheSlider) {
    config.OnStatus(3);
    ASSERT_TRUE(window.Click(IDC_SIDEREAL));
    EXPECT_EQ(window.Position(IDC_SPEED), 2);
    ASSERT_TRUE(window.Click(IDC_SIDEREAL_2X));
    EXPECT_EQ(window.Position(IDC_SPEED), 5);
    EXPECT_TRUE(engine.calls.empty());
    ASSERT_TRUE(window.Click(IDC_WEST));
    EXPECT_EQ(engine.calls, (Calls{"MoveManual(2,5)"}));
}

TEST_F(MainWindowTest, TrackingButtonsShowTheLastChoice) {
    config.OnStatus(3);
    ASSERT_TRUE(window.Click(IDC_TRACK_ON));
    ASSERT_TRUE(window.Click(IDC_TRACK_ON));
    EXPECT_TRUE(window.Checked(IDC_TRACK_ON));
    EXPECT_FALSE(window.Checked(IDC_TRACK_OFF));
    ASSERT_TRUE(window.Click(IDC_TRACK_OFF));
    EXPECT_FALSE(window.Checked(IDC_TRACK_ON));
    EXPECT_TRUE(window.Checked(IDC_TRACK_OFF));
    EXPECT_EQ(engine.calls, (Calls{"SetTracking(1)", "SetTracking(1)", "SetTracking(0)"}));
    // A closed connection leaves them as the user chose.
    ASSERT_TRUE(window.Click(IDC_TRACK_ON));
    config.OnStatus(4);
    EXPECT_TRUE(window.Checked(IDC_TRACK_ON));
}

TEST_F(MainWindowTest, CommandButtonsSendOneRequestEach) {
    config.OnStatus(3);
    const struct {
        int id;
        const char* call;
    } cases[] = {
        {IDC_EXP_ON, "SetExp(1)"},
        {IDC_EXP_OFF, "SetExp(0)"},
        {IDC_DEFINE_PARK, "DefinePark()"},
        {IDC_RELOAD_DEFAULTS, "ReloadDefaults()"},
        {IDC_STORE_SETTINGS, "StoreSettings()"},
    };
    for (const auto& c : cases) {
        engine.Clear();
        ASSERT_TRUE(window.Click(c.id)) << c.id;
        EXPECT_EQ(engine.calls, (Calls{c.call})) << c.id;
        EXPECT_EQ(window.LastResult(), 1);
    }
}

TEST_F(MainWindowTest, StatusCodesShowTheirTextsAndSwitchTheControls) {
    config.OnStatus(1);
    EXPECT_EQ(window.Text(IDC_STATUS), L"Opening port, please wait...");
    config.OnStatus(3);
    EXPECT_EQ(window.Text(IDC_STATUS), L"Connection established.");
    for (int id : kConnectionControls) {
        const bool limitSwitchBox = id == IDC_RA_REVERSE_LIMITS || id == IDC_DEC_REVERSE_LIMITS;
        EXPECT_EQ(window.Enabled(id), !limitSwitchBox) << id;
    }
    EXPECT_FALSE(window.Enabled(IDC_ADVANCED));

    config.OnStatus(4);
    EXPECT_EQ(window.Text(IDC_STATUS), L"Connection closed");
    for (int id : kConnectionControls) {
        EXPECT_FALSE(window.Enabled(id)) << id;
    }
    for (int id : kAlwaysUsable) {
        EXPECT_TRUE(window.Enabled(id)) << id;
    }
}

TEST_F(MainWindowTest, StatusThreeKeepsWhatSettingsEnabled) {
    ControllerSettings settings = TypicalSettings();
    settings.decFeatures = 0x08;
    Connect(settings);
    ASSERT_TRUE(window.Enabled(IDC_ADVANCED));
    config.OnStatus(3);
    EXPECT_TRUE(window.Enabled(IDC_ADVANCED));
    EXPECT_TRUE(window.Enabled(IDC_RA_REVERSE_LIMITS));
    EXPECT_TRUE(window.Enabled(IDC_DEC_REVERSE_LIMITS));
    config.OnStatus(4);
    EXPECT_FALSE(window.Enabled(IDC_ADVANCED));
    EXPECT_FALSE(window.Enabled(IDC_RA_REVERSE_LIMITS));
}

TEST_F(MainWindowTest, EveryStatusCodeHasItsText) {
    for (uint32_t code = 0; code < kStatusTextCount; ++code) {
        config.OnStatus(static_cast<int32_t>(code));
        EXPECT_EQ(window.Text(IDC_STATUS), StatusText(code)) << code;
    }
    EXPECT_EQ(window.Text(IDC_STATUS), L"Settings done.");
    config.OnStatus(13);
    EXPECT_EQ(window.Text(IDC_STATUS),
              L"Error: The firmware in the device is too old. Please upgrade it to the latest "
              L"version.");
}

TEST_F(MainWindowTest, UnknownStatusCodesChangeNothing) {
    config.OnStatus(12);
    const auto before = Snapshot(window);
    for (int32_t code : {25, 1000, 65535, -1}) {
        config.OnStatus(code);
        EXPECT_EQ(Snapshot(window), before) << code;
    }
    // The code is read as 16 bits: 0x10003 is code 3.
    config.OnStatus(0x10003);
    EXPECT_EQ(window.Text(IDC_STATUS), L"Connection established.");
}

TEST_F(MainWindowTest, StatusValueShowsTheFirmwareWhateverTheCode) {
    config.OnStatus(2);
    config.OnStatusValue(25, 0x02010304);
    EXPECT_EQ(window.Text(IDC_STATUS), L"Connecting...");
    EXPECT_EQ(window.TextA(IDC_FIRMWARE), "Firmware version: 2.1.3.4");
    config.OnStatusValue(9, 0xFF00FF09);
    EXPECT_EQ(window.Text(IDC_STATUS), L"Error: Cannot connect: Incompatible device");
    EXPECT_EQ(window.TextA(IDC_FIRMWARE), "Firmware version: 255.0.255.9");
}

TEST_F(MainWindowTest, ConnectedSettingsFillTheWindow) {
    config.OnStatus(3);
    config.OnSettings(TypicalSettings(), 1);
    EXPECT_EQ(window.Text(IDC_STATUS), L"Connection established.");
    EXPECT_EQ(window.TextA(IDC_FIRMWARE), "Firmware version: 2.6.0.1");
    EXPECT_EQ(window.Text(IDC_RA_GEAR), L"172800");
    EXPECT_EQ(window.Text(IDC_DEC_GEAR), L"162000");
    EXPECT_EQ(config.Gear().raRatio, 172800u);
    EXPECT_EQ(config.Gear().decRatio, 162000u);
    EXPECT_TRUE(window.Enabled(IDC_CHANGE_GEAR));
    EXPECT_TRUE(window.Enabled(IDC_ADVANCED));
    EXPECT_EQ(window.Text(IDC_RA_MAX_SPEED), L"600");
    const AdvancedSettings& advanced = config.Advanced();
    EXPECT_EQ(advanced.features, 0x84u);
    EXPECT_EQ(advanced.latitude, 4104000);
    EXPECT_EQ(advanced.longitude, 274320);
    EXPECT_EQ(advanced.flipHysteresis, 10);
    EXPECT_EQ(advanced.closedLoopDefault, 1);
    EXPECT_TRUE(engine.calls.empty());  // a fill sends nothing

    config.OnSettings(TypicalSettings(), 2);
    EXPECT_EQ(window.Text(IDC_STATUS), L"Default settings reloaded");
}

TEST_F(MainWindowTest, ProtocolLevelAndFeaturesDecideTheOptionalControls) {
    const struct {
        uint8_t level, features, decFeatures;
        bool advanced, raLimits, decLimits;
    } cases[] = {
        {5, 0x00, 0x00, true, false, false}, {4, 0x00, 0x00, false, false, false},
        {6, 0x04, 0x00, true, true, false},  {5, 0x80, 0x80, true, false, false},
        {3, 0x08, 0x04, false, true, true},
    };
    for (const auto& c : cases) {
        config.OnStatus(4);  // everything off again
        ControllerSettings settings = TypicalSettings();
        settings.protocolLevel = c.level;
        settings.features = c.features;
        settings.decFeatures = c.decFeatures;
        config.OnSettings(settings, 1);
        EXPECT_EQ(window.Enabled(IDC_ADVANCED), c.advanced) << int(c.level);
        EXPECT_EQ(window.Enabled(IDC_RA_REVERSE_LIMITS), c.raLimits) << int(c.features);
        EXPECT_EQ(window.Enabled(IDC_DEC_REVERSE_LIMITS), c.decLimits) << int(c.decFeatures);
        EXPECT_TRUE(window.Enabled(IDC_STORE_SETTINGS));
    }
}

TEST_F(MainWindowTest, OldFirmwareShowsWhyAndEnablesNothing) {
    config.OnStatus(2);
    auto before = Snapshot(window);
    ControllerSettings settings{};  // the firmware version was never read
    config.OnSettings(settings, 3);
    EXPECT_EQ(window.Text(IDC_STATUS), StatusText(13));
    EXPECT_EQ(window.TextA(IDC_FIRMWARE), "Firmware version: 0.0.0.0");
    auto after = Snapshot(window);
    // Only the status line (index 6) and the firmware line (index 7) changed.
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 0; i < before.size(); ++i) {
        if (i != 6 && i != 7) {
            EXPECT_EQ(before[i], after[i]);
        }
    }
}

TEST_F(MainWindowTest, GearRereadOnlyChangesTheGearTexts) {
    Connect();
    ControllerSettings settings = TypicalSettings();
    settings.raGearRatio = 4294967295u;
    settings.decGearRatio = 7;
    settings.raMaxSpeed = 1200;  // ignored by this kind
    const auto before = Snapshot(window);
    config.OnSettings(settings, 4);
    EXPECT_EQ(window.Text(IDC_RA_GEAR), L"4294967295");
    EXPECT_EQ(window.Text(IDC_DEC_GEAR), L"7");
    EXPECT_EQ(config.Gear().raRatio, 4294967295u);
    const auto after = Snapshot(window);
    size_t differences = 0;
    for (size_t i = 0; i < before.size(); ++i) {
        differences += before[i] != after[i];
    }
    EXPECT_EQ(differences, 2u);
}

TEST_F(MainWindowTest, OtherSettingsKindsFillWithoutTouchingTheStatus) {
    config.OnStatus(15);
    config.OnSettings(TypicalSettings(), 7);
    EXPECT_EQ(window.Text(IDC_STATUS), L"Ready");
    EXPECT_EQ(window.Text(IDC_RA_GEAR), L"172800");
    EXPECT_TRUE(window.Enabled(IDC_STORE_SETTINGS));
}

TEST_F(MainWindowTest, VoltageHasNowhereToShow) {
    Connect();
    const auto before = Snapshot(window);
    config.OnVoltage(1234);
    config.OnVoltage(512);
    EXPECT_EQ(Snapshot(window), before);
    EXPECT_FALSE(window.Has(IDC_VOLTAGE));
}

TEST_F(MainWindowTest, EnterAndEscapeLeaveTheWindowOpenTheCloseBoxEndsIt) {
    window.PressEnter();
    EXPECT_EQ(window.LastResult(), 0);
    window.PressEscape();
    EXPECT_EQ(window.LastResult(), 0);
    EXPECT_TRUE(window.IsOpen());
    window.PressCloseBox();
    EXPECT_TRUE(window.Ended());
    EXPECT_EQ(window.Result(), 1);
    EXPECT_TRUE(engine.calls.empty());
}

TEST_F(MainWindowTest, GearRatioDialogSendsOnlyAfterOk) {
    Connect();
    window.ScriptChild(IDD_GEAR_RATIO, [](InMemoryDialog& gear) {
        EXPECT_EQ(gear.Text(IDC_GEAR_RA), L"172800");
        gear.Type(IDC_GEAR_RA, L"287200");
        gear.Type(IDC_GEAR_DEC, L"");
        gear.Click(IDC_DLG_OK);
    });
    window.ScriptChild(IDD_GEAR_RATIO, [](InMemoryDialog& gear) {
        EXPECT_EQ(gear.Text(IDC_GEAR_RA), L"287200");  // the record kept the entry
        gear.Type(IDC_GEAR_RA, L"1");
        gear.Click(IDC_DLG_CANCEL);
    });
    ASSERT_TRUE(window.Click(IDC_CHANGE_GEAR));
    ASSERT_TRUE(window.Click(IDC_CHANGE_GEAR));
    EXPECT_EQ(engine.calls, (Calls{"SetGearRatios(287200,0)"}));
    // The texts wait for the engine to report the ratios read back.
    EXPECT_EQ(window.Text(IDC_RA_GEAR), L"172800");
    EXPECT_EQ(window.ChildrenRun(), (std::vector<int>{IDD_GEAR_RATIO, IDD_GEAR_RATIO}));
}

TEST_F(MainWindowTest, AdvancedSettingsAreAppliedOnlyWhenChanged) {
    Connect();
    window.ScriptChild(IDD_ADVANCED, [](InMemoryDialog& dialog) { dialog.Click(IDC_DLG_OK); });
    ASSERT_TRUE(window.Click(IDC_ADVANCED));
    EXPECT_EQ(window.LastResult(), 0);
    window.ScriptChild(IDD_ADVANCED, [](InMemoryDialog& dialog) {
        dialog.Click(IDC_ADV_ALT_AZIMUTH);
        dialog.Click(IDC_DLG_CANCEL);
    });
    ASSERT_TRUE(window.Click(IDC_ADVANCED));
    EXPECT_TRUE(engine.calls.empty());

    window.ScriptChild(IDD_ADVANCED, [](InMemoryDialog& dialog) {
        dialog.Click(IDC_ADV_ALT_AZIMUTH);
        dialog.Click(IDC_ADV_SOUTH);
        dialog.Click(IDC_DLG_OK);
    });
    ASSERT_TRUE(window.Click(IDC_ADVANCED));
    EXPECT_EQ(window.LastResult(), 1);
    ASSERT_EQ(engine.calls, (Calls{"ApplyAdvanced()"}));
    EXPECT_EQ(engine.lastAdvanced.mountType, kMountAltAzimuth);
    EXPECT_EQ(engine.lastAdvanced.hemisphere, 1);
    EXPECT_EQ(engine.lastAdvanced.changed, 0x0Cu);
    EXPECT_EQ(engine.lastAdvanced.latitude, 4104000);
}

TEST_F(MainWindowTest, InitScopeOffersTheListOfTheCurrentMountType) {
    ControllerSettings settings = TypicalSettings();
    settings.mountType = kMountFork;
    Connect(settings);
    window.ScriptChild(IDD_INIT_SCOPE, [](InMemoryDialog& dialog) {
        EXPECT_EQ(dialog.ComboItems(IDC_INIT_POSITION).size(), 4u);
        dialog.Pick(IDC_INIT_POSITION, 3);
        dialog.Click(IDC_DLG_OK);
    });
    ASSERT_TRUE(window.Click(IDC_INIT_SCOPE));
    EXPECT_EQ(window.LastResult(), 1);
    window.ScriptChild(IDD_INIT_SCOPE, [](InMemoryDialog& dialog) {
        dialog.Pick(IDC_INIT_POSITION, 1);
        dialog.Click(IDC_DLG_CANCEL);
    });
    ASSERT_TRUE(window.Click(IDC_INIT_SCOPE));
    EXPECT_EQ(window.LastResult(), 0);
    EXPECT_EQ(engine.calls, (Calls{"InitScope(17)"}));
    EXPECT_EQ(config.Init().positionCode, 17u);  // kept for the next time

    // A mount type changed in the advanced dialog picks the other list.
    window.ScriptChild(IDD_ADVANCED, [](InMemoryDialog& dialog) {
        dialog.Click(IDC_ADV_GERMAN);
        dialog.Click(IDC_DLG_OK);
    });
    window.ScriptChild(IDD_INIT_SCOPE, [](InMemoryDialog& dialog) {
        EXPECT_EQ(dialog.ComboItems(IDC_INIT_POSITION).size(), 10u);
        dialog.Click(IDC_DLG_OK);
    });
    ASSERT_TRUE(window.Click(IDC_ADVANCED));
    ASSERT_TRUE(window.Click(IDC_INIT_SCOPE));
    EXPECT_EQ(engine.calls.back(), "InitScope(4)");
}

TEST_F(MainWindowTest, AboutBoxOpensFromTheAlwaysUsableButton) {
    bool shown = false;
    window.ScriptChild(IDD_ABOUT, [&shown](InMemoryDialog& about) {
        shown = about.Text(IDC_ABOUT_TITLE) == L"AxisTune 2.6.";
        about.Click(IDC_DLG_CANCEL);
    });
    ASSERT_TRUE(window.Click(IDC_ABOUT));
    EXPECT_TRUE(shown);
    EXPECT_EQ(window.LastResult(), 1);
    EXPECT_TRUE(window.IsOpen());
}

// A window system that runs out of resources and cannot show child dialogs.
class ChildlessWindow : public InMemoryDialog {
  public:
    using InMemoryDialog::InMemoryDialog;
    intptr_t RunChild(int templateId, DialogLogic& logic) override {
        return failChildren ? -1 : InMemoryDialog::RunChild(templateId, logic);
    }
    bool failChildren = false;
};

TEST(MainWindowChildren, AnAdvancedDialogThatCannotBeShownSendsNothing) {
    RecordingTelescopeControl engine;
    AppModel model;
    NoRunner runner;
    DlgConfig config{runner, engine, model};
    ChildlessWindow window{IDD_MAIN, config};
    ASSERT_EQ(window.Open(), 1);
    config.OnStatus(3);
    config.OnSettings(TypicalSettings(), 1);
    // An earlier Ok leaves its change flags in the window's record.
    window.ScriptChild(IDD_ADVANCED, [](InMemoryDialog& dialog) {
        dialog.Click(IDC_ADV_SOUTH);
        dialog.Click(IDC_DLG_OK);
    });
    ASSERT_TRUE(window.Click(IDC_ADVANCED));
    ASSERT_EQ(engine.calls, (Calls{"ApplyAdvanced()"}));
    engine.Clear();

    window.failChildren = true;
    ASSERT_TRUE(window.Click(IDC_ADVANCED));
    EXPECT_EQ(window.LastResult(), 0);
    EXPECT_TRUE(engine.calls.empty());
}

// The engine's events reach the window through the real model: posted, then delivered when the
// window thread pumps its messages.
TEST_F(MainWindowTest, EngineEventsArriveThroughTheModelsMailbox) {
    model.SetCallback(&config);
    model.SetPoster(&config);
    model.OnStatus(3);
    EXPECT_EQ(window.Text(IDC_STATUS), L"");  // nothing until the message is handled
    EXPECT_EQ(window.PendingPosts(), 1u);
    EXPECT_EQ(window.Pump(), 1u);
    EXPECT_EQ(window.Text(IDC_STATUS), L"Connection established.");

    // Only the latest event is kept: two posts, both deliver the second event.
    model.OnStatus(1);
    const ControllerSettings settings = TypicalSettings();
    model.OnSettings(&settings, 1);
    model.OnStatus(22);
    EXPECT_EQ(window.Pump(), 3u);
    EXPECT_EQ(window.Text(IDC_STATUS), L"Parameters stored...");
    EXPECT_EQ(window.Text(IDC_RA_GEAR), L"");  // the settings event was replaced

    model.OnSettings(&settings, 1);
    window.Pump();
    EXPECT_EQ(window.Text(IDC_RA_GEAR), L"172800");

    // WM_USER with 1001 reaches the model, which ignores it.
    model.OnStatus(4);
    window.Post(1001, 0);
    window.Pump();  // 1000 then 1001
    EXPECT_EQ(window.Text(IDC_STATUS), L"Connection closed");
    EXPECT_EQ(window.LastResult(), 1);

    model.SetCallback(nullptr);
    model.OnStatus(3);
    window.Pump();
    EXPECT_EQ(window.Text(IDC_STATUS), L"Connection closed");
}

TEST_F(MainWindowTest, PostsAfterTheWindowIsGoneReachNothing) {
    model.SetCallback(&config);
    model.SetPoster(&config);
    window.PressCloseBox();
    window.Destroy();
    model.OnStatus(3);
    EXPECT_EQ(window.PendingPosts(), 0u);
}

// The engine's thread posts while the window thread handles messages and finally closes the
// window; every post before the close is handled, none after it reaches anything.
TEST_F(MainWindowTest, EnginePostsFromItsOwnThreadWhileTheWindowCloses) {
    model.SetCallback(&config);
    model.SetPoster(&config);
    std::atomic<bool> stop{false};
    std::thread engineThread([this, &stop] {
        int code = 0;
        while (!stop.load()) {
            model.OnStatus(16 + (code++ % 3));
        }
    });
    size_t delivered = 0;
    while (delivered < 200) {
        delivered += window.Pump();
    }
    window.PressCloseBox();
    window.Destroy();
    stop.store(true);
    engineThread.join();
    EXPECT_EQ(window.Pump(), 0u);
    const std::wstring status = window.Text(IDC_STATUS);
    EXPECT_TRUE(status == L"Fast movement" || status == L"Slow movement" ||
                status == L"Manual movement");
}

}  // namespace
