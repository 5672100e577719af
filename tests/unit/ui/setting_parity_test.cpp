// Every setting against expectations written out by hand, since the window, the file and the
// command line share one description of it: the window's change and a file that changes only that
// setting send the same, and that is the row's request, frame and file text.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>

#include "../protocol/protocol_harness.h"
#include "core/settings_file.h"
#include "engine/control_requests.h"
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
// The child dialog: `control` typed into (or clicked, without a text), then Ok.
Action InDialog(int button, int dialog, int control, const wchar_t* text) {
    return [=](InMemoryDialog& w) {
        w.ScriptChild(dialog, [=](InMemoryDialog& d) {
            text != nullptr ? d.Type(control, text) : d.Click(control);
            d.Click(IDC_DLG_OK);
        });
        return w.Click(button);
    };
}
Action Gear(int edit, const wchar_t* text) {
    return InDialog(IDC_CHANGE_GEAR, IDD_GEAR_RATIO, edit, text);
}
Action Site(int control, const wchar_t* text = nullptr) {
    return InDialog(IDC_ADVANCED, IDD_ADVANCED, control, text);
}

// Both axes with limit switches, so that every writable setting can change in the window.
ControllerSettings Base() {
    ControllerSettings s = TypicalSettings();
    s.decFeatures = 0x08;
    s.raMaxSpeed = 0x10258;  // 600 in the low 16 bits
    return s;
}

Bytes Hex(const char* text) {
    Bytes bytes;
    std::istringstream in(text);
    for (unsigned byte = 0; in >> std::hex >> byte;) {
        bytes.push_back(static_cast<uint8_t>(byte));
    }
    return bytes;
}

// The engine's request encoding, executed at once by a connected protocol core.
class ExecutedRequests : public ControlRequests {
  public:
    explicit ExecutedRequests(Harness& h) : h_(h) {}

  protected:
    void WriteMessage(const uint8_t* bytes, size_t) override { h_.requests.Execute(bytes); }
    uint8_t CurrentProtocolLevel() const override { return h_.protocol.Settings().protocolLevel; }
    void StorePendingAdvanced(const AdvancedSettings& a) override { h_.advanced.pending = a; }

  private:
    Harness& h_;
};

struct Row {
    SettingId id;
    void (*set)(ControllerSettings&);  // the record holding the new value
    Action act;                        // the user's way to the same value; none: read-only
    const char* name;
    const char* json;   // the value in the settings file
    const char* call;   // "" when nothing is sent
    const char* frame;  // the frame on the line
};

#define SET(change) [](ControllerSettings& s) { change; }

// clang-format off
const Row kRows[] = {
    {kRaReverseRotation, SET(s.reverseRotation |= 1), Toggle(IDC_RA_REVERSE_ROTATION),
     "ra.reverse_rotation", "true", "SetReverseFlags(3, 1, 0)", "AA 06 32 00 C0 03 01 00"},
    {kDecReverseRotation, SET(s.reverseRotation &= 0xFD), Toggle(IDC_DEC_REVERSE_ROTATION),
     "dec.reverse_rotation", "false", "SetReverseFlags(0, 1, 0)", "AA 06 32 00 C0 00 01 00"},
    {kRaReverseGuiding, SET(s.reverseGuiding &= 0xFE), Toggle(IDC_RA_REVERSE_GUIDING),
     "ra.reverse_guiding", "false", "SetReverseFlags(2, 0, 0)", "AA 06 32 00 C0 02 00 00"},
    {kDecReverseGuiding, SET(s.reverseGuiding |= 2), Toggle(IDC_DEC_REVERSE_GUIDING),
     "dec.reverse_guiding", "true", "SetReverseFlags(2, 3, 0)", "AA 06 32 00 C0 02 03 00"},
    {kRaReverseLimits, SET(s.reverseLimits |= 1), Toggle(IDC_RA_REVERSE_LIMITS),
     "ra.reverse_limit_switches", "true", "SetReverseFlags(2, 1, 1)", "AA 06 32 00 C0 02 01 01"},
    {kDecReverseLimits, SET(s.reverseLimits |= 2), Toggle(IDC_DEC_REVERSE_LIMITS),
     "dec.reverse_limit_switches", "true", "SetReverseFlags(2, 1, 2)", "AA 06 32 00 C0 02 01 02"},
    {kRaMaxSpeed, SET(s.raMaxSpeed = 65535), Enter(IDC_RA_MAX_SPEED, L"65535"),
     "ra.max_speed", "65535", "SetMaxSpeed(65535, 900)", "AA 07 35 00 C0 FF FF 84 03"},
    {kRaMaxSpeed, SET(s.raMaxSpeed = 30), Move(IDC_RA_MAX_SPEED_BAR, 0),
     "ra.max_speed", "30", "SetMaxSpeed(30, 900)", "AA 07 35 00 C0 1E 00 84 03"},
    {kDecMaxSpeed, SET(s.decMaxSpeed = 0), Enter(IDC_DEC_MAX_SPEED, L"0"),
     "dec.max_speed", "0", "SetMaxSpeed(600, 0)", "AA 07 35 00 C0 58 02 00 00"},
    {kRaAcceleration, SET(s.raAcceleration = 255), Enter(IDC_RA_ACCEL, L"255"),
     "ra.acceleration", "255", "SetAcceleration(255, 120)", "AA 05 37 00 C0 FF 78"},
    {kDecAcceleration, SET(s.decAcceleration = 0), Enter(IDC_DEC_ACCEL, L"0"),
     "dec.acceleration", "0", "SetAcceleration(100, 0)", "AA 05 37 00 C0 64 00"},
    {kDecAcceleration, SET(s.decAcceleration = 44), Enter(IDC_DEC_ACCEL, L"300"),
     "dec.acceleration", "44", "SetAcceleration(100, 44)", "AA 05 37 00 C0 64 2C"},
    {kRaDeceleration, SET(s.raDeceleration = 0), Enter(IDC_RA_DECEL, L"0"),
     "ra.deceleration", "0", "SetDeceleration(0, 60)", "AA 05 38 00 C0 00 3C"},
    {kDecDeceleration, SET(s.decDeceleration = 255), Enter(IDC_DEC_DECEL, L"255"),
     "dec.deceleration", "255", "SetDeceleration(50, 255)", "AA 05 38 00 C0 32 FF"},
    {kRaMaxCurrent, SET(s.raMaxCurrent = 65535), nullptr, "ra.max_current_mA", "65535", "", ""},
    {kDecMaxCurrent, SET(s.decMaxCurrent = 0), nullptr, "dec.max_current_mA", "0", "", ""},
    {kRaIdleCurrent, SET(s.raCurrent[0] = 0), Enter(IDC_RA_IDLE_CURRENT, L"0"),
     "ra.idle_current_mA", "0", "SetCurrent(0x80, 0)", "AA 05 33 00 80 00 00"},
    {kRaIdleCurrent, SET(s.raCurrent[0] = 500), Move(IDC_RA_IDLE_CURRENT_BAR, 4),
     "ra.idle_current_mA", "500", "SetCurrent(0x80, 500)", "AA 05 33 00 80 F4 01"},
    {kRaTrackCurrent, SET(s.raCurrent[1] = 1600), Enter(IDC_RA_TRACK_CURRENT, L"1600"),
     "ra.track_current_mA", "1600", "SetCurrent(0x81, 1600)", "AA 05 33 00 81 40 06"},
    {kRaRunCurrent, SET(s.raCurrent[2] = 65535), Enter(IDC_RA_RUN_CURRENT, L"65535"),
     "ra.run_current_mA", "65535", "SetCurrent(0x82, 65535)", "AA 05 33 00 82 FF FF"},
    {kDecIdleCurrent, SET(s.decCurrent[0] = 2000), Move(IDC_DEC_IDLE_CURRENT_BAR, 15),
     "dec.idle_current_mA", "2000", "SetCurrent(0x40, 2000)", "AA 05 33 00 40 D0 07"},
    {kDecTrackCurrent, SET(s.decCurrent[1] = 1), Enter(IDC_DEC_TRACK_CURRENT, L"1"),
     "dec.track_current_mA", "1", "SetCurrent(0x41, 1)", "AA 05 33 00 41 01 00"},
    {kDecRunCurrent, SET(s.decCurrent[2] = 0), Enter(IDC_DEC_RUN_CURRENT, L"0"),
     "dec.run_current_mA", "0", "SetCurrent(0x42, 0)", "AA 05 33 00 42 00 00"},
    {kRaIdleDecay, SET(s.raDecay[0] = 3), Move(IDC_RA_IDLE_DECAY_BAR, 3),
     "ra.idle_decay", "3", "SetDecay(0x80, 3)", "AA 04 34 00 80 03"},
    {kRaTrackDecay, SET(s.raDecay[1] = 0), Move(IDC_RA_TRACK_DECAY_BAR, 0),
     "ra.track_decay", "0", "SetDecay(0x81, 0)", "AA 04 34 00 81 00"},
    {kRaRunDecay, SET(s.raDecay[2] = 3), Move(IDC_RA_RUN_DECAY_BAR, 3),
     "ra.run_decay", "3", "SetDecay(0x82, 3)", "AA 04 34 00 82 03"},
    {kDecIdleDecay, SET(s.decDecay[0] = 0), Move(IDC_DEC_IDLE_DECAY_BAR, 0),
     "dec.idle_decay", "0", "SetDecay(0x40, 0)", "AA 04 34 00 40 00"},
    {kDecTrackDecay, SET(s.decDecay[1] = 3), Move(IDC_DEC_TRACK_DECAY_BAR, 3),
     "dec.track_decay", "3", "SetDecay(0x41, 3)", "AA 04 34 00 41 03"},
    {kDecRunDecay, SET(s.decDecay[2] = 0), Move(IDC_DEC_RUN_DECAY_BAR, 0),
     "dec.run_decay", "0", "SetDecay(0x42, 0)", "AA 04 34 00 42 00"},
    {kRaOvertone, SET(s.raOvertone = -128), Enter(IDC_RA_OVERTONE, L"-128"),
     "ra.overtone", "-128", "SetOvertone(0x80, 128)", "AA 04 3B 00 80 80"},
    {kRaOvertone, SET(s.raOvertone = 127), Enter(IDC_RA_OVERTONE, L"127"),
     "ra.overtone", "127", "SetOvertone(0x80, 127)", "AA 04 3B 00 80 7F"},
    {kDecOvertone, SET(s.decOvertone = -1), Move(IDC_DEC_OVERTONE_BAR, -1),
     "dec.overtone", "-1", "SetOvertone(0x40, 255)", "AA 04 3B 00 40 FF"},
    {kRaIncreaseCurrentAt, SET(s.raIncCurrentAt = 65535), Enter(IDC_RA_INC_CURRENT, L"65535"),
     "ra.increase_current_at", "65535", "SetIncreaseCurrentAt(0x80, 65535, 65535)",
     "AA 07 3C 00 80 FF FF FF FF"},
    {kDecIncreaseCurrentAt, SET(s.decIncCurrentAt = 640), Move(IDC_DEC_INC_CURRENT_BAR, 31),
     "dec.increase_current_at", "640", "SetIncreaseCurrentAt(0x40, 640, 640)",
     "AA 07 3C 00 40 80 02 80 02"},
    {kRaGuidingRate, SET(s.raGuidingRate = 16), Move(IDC_RA_GUIDING_BAR, 15),
     "ra.guiding_rate", "\"16/16\"", "SetGuidingRates(16, 16)", "AA 05 36 00 C0 10 10"},
    {kDecGuidingRate, SET(s.decGuidingRate = 1), Move(IDC_DEC_GUIDING_BAR, 0),
     "dec.guiding_rate", "\"1/16\"", "SetGuidingRates(1, 1)", "AA 05 36 00 C0 01 01"},
    {kRaLimitSwitches, SET(s.features &= 0xF3), nullptr, "ra.has_limit_switches", "false", "", ""},
    {kDecLimitSwitches, SET(s.decFeatures = 0), nullptr, "dec.has_limit_switches", "false", "", ""},
    {kRaGearRatio, SET(s.raGearRatio = 4294967295u), Gear(IDC_GEAR_RA, L"4294967295"),
     "gear.ra_ratio", "4294967295", "SetGearRatios(4294967295, 162000)",
     "AA 0B 1A 01 C0 FF FF FF FF D0 78 02 00"},
    {kDecGearRatio, SET(s.decGearRatio = 1), Gear(IDC_GEAR_DEC, L"1"),
     "gear.dec_ratio", "1", "SetGearRatios(172800, 1)", "AA 0B 1A 01 C0 00 A3 02 00 01 00 00 00"},
    {kLatitude, SET(s.latitude = -90 * 86400), Site(IDC_ADV_LATITUDE, L"S 90:00:00"),
     "site.latitude", "\"S 90:00:00\"", "ApplyAdvanced(changed 0x01)",
     "AA 0B 65 01 00 59 89 FF 90 2F 04 00 00"},
    {kLatitude, SET(s.latitude = 90 * 86400), Site(IDC_ADV_LATITUDE, L"N 90:00:00"),
     "site.latitude", "\"N 90:00:00\"", "ApplyAdvanced(changed 0x01)",
     "AA 0B 65 01 00 A7 76 00 90 2F 04 00 00"},
    {kLongitude, SET(s.longitude = -180 * 86400), Site(IDC_ADV_LONGITUDE, L"W 180:00:00"),
     "site.longitude", "\"W 180:00:00\"", "ApplyAdvanced(changed 0x02)",
     "AA 0B 65 01 40 9F 3E 00 00 B2 12 FF 00"},
    {kLongitude, SET(s.longitude = 180 * 86400), Site(IDC_ADV_LONGITUDE, L"E 180:00:00"),
     "site.longitude", "\"E 180:00:00\"", "ApplyAdvanced(changed 0x02)",
     "AA 0B 65 01 40 9F 3E 00 00 4E ED 00 00"},
    {kHemisphere, SET(s.hemisphere = 1), Site(IDC_ADV_SOUTH), "site.hemisphere", "\"south\"",
     "ApplyAdvanced(changed 0x04)", "AA 0B 65 01 40 9F 3E 00 90 2F 04 00 01"},
    {kMountTypeSetting, SET(s.mountType = 1), Site(IDC_ADV_FORK), "site.mount_type", "\"fork\"",
     "ApplyAdvanced(changed 0x08)", "AA 03 1B 01 01"},
    {kMountTypeSetting, SET(s.mountType = 2), Site(IDC_ADV_ALT_AZIMUTH), "site.mount_type",
     "\"alt-azimuth\"", "ApplyAdvanced(changed 0x08)", "AA 03 1B 01 02"},
    // The meridian bytes are the connected controller's (the harness reports 0x11, 0x22).
    {kFlipHysteresis, SET(s.flipHysteresis = 255), Site(IDC_ADV_FLIP, L"255"),
     "site.flip_hysteresis_deg", "255", "ApplyAdvanced(changed 0x10)", "AA 06 3E 01 01 11 22 FF"},
    {kFlipHysteresis, SET(s.flipHysteresis = 0), Site(IDC_ADV_FLIP, L"0"),
     "site.flip_hysteresis_deg", "0", "ApplyAdvanced(changed 0x10)", "AA 06 3E 01 01 11 22 00"},
    {kClosedLoop, SET(s.closedLoopDefault = 0), Site(IDC_ADV_CLOSED_LOOP), "site.closed_loop",
     "false", "ApplyAdvanced(changed 0x20)", "AA 03 59 01 00"},
    {kClosedLoopAvailable, SET(s.features &= 0x7F), nullptr, "site.closed_loop_available",
     "false", "", ""},
};
// clang-format on

// The calls, with the advanced record that ApplyAdvanced carried spelled out.
Calls Sent(const RecordingTelescopeControl& engine) {
    Calls calls = engine.calls;
    const AdvancedSettings& a = engine.lastAdvanced;
    for (std::string& call : calls) {
        for (int64_t field : {int64_t{a.features}, int64_t{a.changed}, int64_t{a.mountType},
                              int64_t{a.latitude}, int64_t{a.longitude}, int64_t{a.hemisphere},
                              int64_t{a.closedLoopDefault}, int64_t{a.flipHysteresis}}) {
            call += call.rfind("ApplyAdvanced", 0) == 0 ? " " + std::to_string(field) : "";
        }
    }
    return calls;
}

class SettingParityTest : public MainWindowTest {};

TEST_F(SettingParityTest, WindowFileRecordRequestAndFrameOfEverySetting) {
    SettingSelection covered;
    SettingSelection changeable;
    SettingSelection all;
    all.set();
    for (const Row& row : kRows) {
        ControllerSettings changed = Base();
        row.set(changed);
        const SettingValues before = ReadSettings(Base());
        const SettingValues after = ReadSettings(changed);
        for (const SettingInfo& info : SettingTable()) {
            EXPECT_EQ(before[info.id] != after[info.id], info.id == row.id) << row.name;
        }
        covered[row.id] = true;

        // The record as the file writes it, read back.
        SettingsFile file;
        file.values = after;
        file.present.set();
        const std::string text = WriteSettingsFile(file);
        const std::string name = row.name;
        const size_t dot = name.find('.');
        EXPECT_EQ(nlohmann::json::parse(text)[name.substr(0, dot)][name.substr(dot + 1)],
                  nlohmann::json::parse(row.json))
            << name;
        SettingsFileError error;
        ASSERT_TRUE(ReadSettingsFile(text, &file, &error)) << name << ": " << error.message;
        ControllerSettings back{};
        WriteSettings(file.values, &back);
        // The record read back already holds the row's value: setting it again changes nothing.
        ControllerSettings again;
        std::memcpy(&again, &back, sizeof again);
        row.set(again);
        EXPECT_EQ(std::memcmp(&again, &back, sizeof back), 0) << name;

        // The file's side: the restore's requests, executed by the engine's encoding.
        RecordingTelescopeControl fileEngine;
        Harness h;
        axistune::Connect(h);  // the protocol core, not the window
        ExecutedRequests executed(h);
        std::string described;
        for (const PlannedRequest& request : PlanRequests(before, after, all, Base().features)) {
            described += DescribeRequest(request);
            SendRequest(request, fileEngine);
            SendRequest(request, executed);
        }
        EXPECT_EQ(described, row.call) << row.name;
        const Bytes frame = Hex(row.frame);
        EXPECT_EQ(h.sink.frames, (frame.empty() ? std::vector<Bytes>{} : std::vector<Bytes>{frame}))
            << row.name;
        if (!row.act) {
            continue;
        }
        // The window's side: the user's action on the real dialogs.
        RecordingTelescopeControl windowEngine;
        AppModel windowModel;
        DlgConfig logic{runner, windowEngine, windowModel};
        InMemoryDialog w{IDD_MAIN, logic};
        ASSERT_EQ(w.Open(), 1);
        logic.OnStatus(3);
        logic.OnSettings(Base(), 1);
        windowEngine.Clear();
        ASSERT_TRUE(row.act(w)) << row.name;
        EXPECT_EQ(Sent(windowEngine), Sent(fileEngine)) << row.name;
        changeable[row.id] = true;
    }
    EXPECT_TRUE(covered.all());
    for (const SettingInfo& info : SettingTable()) {
        EXPECT_EQ(changeable[info.id], !info.ReadOnly()) << info.key;
    }
    EXPECT_EQ(changeable.count(), 38u);
}

// An axis without limit switches: the window offers no way to reverse them, and the rule that a
// restore checks refuses the change too.
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
