// A restore sends what the window would: for every writable setting, the user's change in the
// window and a settings file that changes only that setting give the same requests.
#include <gtest/gtest.h>

#include <functional>

#include "core/setting_table.h"
#include "main_window_fixture.h"

using namespace axistune;

namespace {

using Action = std::function<bool(InMemoryDialog& window)>;

Action Move(int bar, int position) {
    return [=](InMemoryDialog& w) { return w.Drag(bar, position) && w.Release(bar); };
}
Action Enter(int edit, const wchar_t* text) {
    return [=](InMemoryDialog& w) { return w.TypeAndLeave(edit, text); };
}
Action Toggle(int box) {
    return [=](InMemoryDialog& w) { return w.Click(box); };
}
// The child dialog, changed by `edit` and confirmed.
Action InDialog(int button, int dialog, std::function<void(InMemoryDialog&)> edit) {
    return [=](InMemoryDialog& w) {
        w.ScriptChild(dialog, [=](InMemoryDialog& child) {
            edit(child);
            child.Click(IDC_DLG_OK);
        });
        return w.Click(button);
    };
}
Action Gear(int edit, const wchar_t* text) {
    return InDialog(IDC_CHANGE_GEAR, IDD_GEAR_RATIO,
                    [=](InMemoryDialog& d) { d.Type(edit, text); });
}
Action Advanced(std::function<void(InMemoryDialog&)> edit) {
    return InDialog(IDC_ADVANCED, IDD_ADVANCED, edit);
}

struct Row {
    SettingId id;
    int64_t value;  // what the user's action makes of it
    Action act;
};

// Both axes with limit switches, so that every writable setting can change in the window. A ramp
// thumb's release sends both axes' thumbs as they stand, so the ramps lie on their 16-steps.
ControllerSettings Record() {
    ControllerSettings s = TypicalSettings();
    s.decFeatures = 0x08;
    s.raAcceleration = 96;
    s.raDeceleration = 48;
    s.decAcceleration = 128;
    s.decDeceleration = 64;
    return s;
}

const Row kRows[] = {
    {kRaReverseRotation, 1, Toggle(IDC_RA_REVERSE_ROTATION)},
    {kRaReverseGuiding, 0, Toggle(IDC_RA_REVERSE_GUIDING)},
    {kRaReverseLimits, 1, Toggle(IDC_RA_REVERSE_LIMITS)},
    {kDecReverseRotation, 0, Toggle(IDC_DEC_REVERSE_ROTATION)},
    {kDecReverseGuiding, 1, Toggle(IDC_DEC_REVERSE_GUIDING)},
    {kDecReverseLimits, 1, Toggle(IDC_DEC_REVERSE_LIMITS)},
    {kRaMaxSpeed, 30, Move(IDC_RA_MAX_SPEED_BAR, 0)},
    {kDecMaxSpeed, 1200, Enter(IDC_DEC_MAX_SPEED, L"1200")},
    {kRaAcceleration, 240, Move(IDC_RA_ACCEL_BAR, 15)},
    {kDecAcceleration, 44, Enter(IDC_DEC_ACCEL, L"300")},  // kept in 8 bits
    {kRaDeceleration, 0, Enter(IDC_RA_DECEL, L"0")},
    {kDecDeceleration, 240, Move(IDC_DEC_DECEL_BAR, 15)},
    {kRaIdleCurrent, 500, Move(IDC_RA_IDLE_CURRENT_BAR, 4)},
    {kRaTrackCurrent, 1600, Enter(IDC_RA_TRACK_CURRENT, L"1600")},
    {kRaRunCurrent, 0, Enter(IDC_RA_RUN_CURRENT, L"0")},
    {kDecIdleCurrent, 125, Move(IDC_DEC_IDLE_CURRENT_BAR, 0)},
    {kDecTrackCurrent, 65535, Enter(IDC_DEC_TRACK_CURRENT, L"65535")},
    {kDecRunCurrent, 2000, Move(IDC_DEC_RUN_CURRENT_BAR, 15)},
    {kRaIdleDecay, 3, Move(IDC_RA_IDLE_DECAY_BAR, 3)},
    {kRaTrackDecay, 0, Move(IDC_RA_TRACK_DECAY_BAR, 0)},
    {kRaRunDecay, 3, Move(IDC_RA_RUN_DECAY_BAR, 3)},
    {kDecIdleDecay, 0, Move(IDC_DEC_IDLE_DECAY_BAR, 0)},
    {kDecTrackDecay, 3, Move(IDC_DEC_TRACK_DECAY_BAR, 3)},
    {kDecRunDecay, 0, Move(IDC_DEC_RUN_DECAY_BAR, 0)},
    {kRaOvertone, -128, Enter(IDC_RA_OVERTONE, L"-128")},
    {kDecOvertone, -20, Move(IDC_DEC_OVERTONE_BAR, -20)},
    {kRaIncreaseCurrentAt, 640, Move(IDC_RA_INC_CURRENT_BAR, 31)},
    {kDecIncreaseCurrentAt, 0, Enter(IDC_DEC_INC_CURRENT, L"0")},
    {kRaGuidingRate, 16, Move(IDC_RA_GUIDING_BAR, 15)},
    {kDecGuidingRate, 1, Move(IDC_DEC_GUIDING_BAR, 0)},
    {kRaGearRatio, 287200, Gear(IDC_GEAR_RA, L"287200")},
    {kDecGearRatio, 1, Gear(IDC_GEAR_DEC, L"1")},
    {kLatitude, -90 * 86400,
     Advanced([](InMemoryDialog& d) { d.Type(IDC_ADV_LATITUDE, L"S 90:00:00"); })},
    {kLongitude, -180 * 86400,
     Advanced([](InMemoryDialog& d) { d.Type(IDC_ADV_LONGITUDE, L"W 180:00:00"); })},
    {kHemisphere, 1, Advanced([](InMemoryDialog& d) { d.Click(IDC_ADV_SOUTH); })},
    {kMountTypeSetting, 2, Advanced([](InMemoryDialog& d) { d.Click(IDC_ADV_ALT_AZIMUTH); })},
    {kFlipHysteresis, 255, Advanced([](InMemoryDialog& d) { d.Type(IDC_ADV_FLIP, L"255"); })},
    {kClosedLoop, 0, Advanced([](InMemoryDialog& d) { d.Click(IDC_ADV_CLOSED_LOOP); })},
};

// The calls, with the advanced record that ApplyAdvanced carried spelled out.
Calls Sent(const RecordingTelescopeControl& engine) {
    Calls calls = engine.calls;
    const AdvancedSettings& a = engine.lastAdvanced;
    for (std::string& call : calls) {
        if (call == "ApplyAdvanced()") {
            call = "ApplyAdvanced(" + std::to_string(a.features) + "," + std::to_string(a.changed) +
                   "," + std::to_string(a.mountType) + "," + std::to_string(a.latitude) + "," +
                   std::to_string(a.longitude) + "," + std::to_string(a.hemisphere) + "," +
                   std::to_string(a.closedLoopDefault) + "," + std::to_string(a.flipHysteresis) +
                   ")";
        }
    }
    return calls;
}

class SettingParityTest : public MainWindowTest {};

TEST_F(SettingParityTest, WindowAndRestoreSendTheSameForEveryWritableSetting) {
    SettingSelection covered;
    for (const Row& row : kRows) {
        RecordingTelescopeControl windowEngine;
        AppModel windowModel;
        DlgConfig windowLogic{runner, windowEngine, windowModel};
        InMemoryDialog w{IDD_MAIN, windowLogic};
        ASSERT_EQ(w.Open(), 1);
        windowLogic.OnStatus(3);
        windowLogic.OnSettings(Record(), 1);
        windowEngine.Clear();
        ASSERT_TRUE(row.act(w)) << Setting(row.id).key;

        const SettingValues current = ReadSettings(Record());
        SettingValues target = current;
        target[row.id] = row.value;
        ASSERT_NE(target[row.id], current[row.id]) << Setting(row.id).key;
        SettingSelection all;
        all.set();
        RecordingTelescopeControl fileEngine;
        for (const PlannedRequest& request :
             PlanRequests(current, target, all, Record().features)) {
            SendRequest(request, fileEngine);
        }
        EXPECT_EQ(fileEngine.calls.size(), 1u) << Setting(row.id).key;
        EXPECT_EQ(Sent(windowEngine), Sent(fileEngine)) << Setting(row.id).key;
        covered[row.id] = true;
    }
    for (const SettingInfo& info : SettingTable()) {
        EXPECT_EQ(covered[info.id], !info.ReadOnly()) << info.key;
    }
    EXPECT_EQ(covered.count(), 38u);
}

// An axis without limit switches: the window offers no way to reverse them, and a restore of a
// file that changes them is refused before anything is sent.
TEST_F(SettingParityTest, ReversingAbsentLimitSwitchesIsRefusedOnBothSides) {
    Connect();  // Dec has no limit switches
    EXPECT_FALSE(window.Click(IDC_DEC_REVERSE_LIMITS));
    EXPECT_TRUE(engine.calls.empty());
    const SettingValues record = ReadSettings(TypicalSettings());
    EXPECT_FALSE(Writable(Setting(kDecReverseLimits), record));
    EXPECT_TRUE(Writable(Setting(kRaReverseLimits), record));
    EXPECT_TRUE(window.Click(IDC_RA_REVERSE_LIMITS));
}

}  // namespace
