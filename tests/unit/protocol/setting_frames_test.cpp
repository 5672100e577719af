// Every setting against values, requests and frames written out by hand: the window, the file and
// the command line share one description of each setting, so only a table that does not come from
// it can catch a wrong entry.
#include <gtest/gtest.h>

#include <cstring>
#include <nlohmann/json.hpp>

#include "core/settings_file.h"
#include "engine/control_requests.h"
#include "protocol_harness.h"

using namespace axistune;

namespace {

// Distinct values everywhere, so that a setting read from its neighbour's field shows.
ControllerSettings Base() {
    ControllerSettings s{};
    s.hardwareType = 0x0A;
    s.features = 0x84;  // closed loop, RA limit switches
    s.decFeatures = 0x00;
    s.raGearRatio = 172800;
    s.decGearRatio = 162000;
    s.raMaxSpeed = 0x10258;  // 600 in the low 16 bits
    s.decMaxSpeed = 900;
    s.reverseRotation = 0x02;
    s.reverseGuiding = 0x01;
    s.raMaxCurrent = 1600;
    s.decMaxCurrent = 2000;
    const uint16_t ra[3] = {400, 800, 1200};
    const uint16_t dec[3] = {500, 1000, 1500};
    for (int i = 0; i < 3; ++i) {
        s.raCurrent[i] = ra[i];
        s.decCurrent[i] = dec[i];
        s.raDecay[i] = static_cast<uint8_t>(i);
        s.decDecay[i] = static_cast<uint8_t>(3 - i);
    }
    s.raAcceleration = 100;
    s.raDeceleration = 50;
    s.decAcceleration = 120;
    s.decDeceleration = 60;
    s.raOvertone = -3;
    s.decOvertone = 7;
    s.raIncCurrentAt = 20;
    s.decIncCurrentAt = 110;
    s.raGuidingRate = 8;
    s.decGuidingRate = 4;
    s.flipHysteresis = 10;
    s.latitude = 4104000;  // N 47:30:00
    s.longitude = 274320;  // E 3:10:30
    s.closedLoopDefault = 1;
    return s;
}

// The engine's request encoding, executed at once by a connected protocol core.
class ExecutedRequests : public ControlRequests {
  public:
    explicit ExecutedRequests(Harness& h) : h_(h) {}

  protected:
    void WriteMessage(const uint8_t* bytes, size_t) override { h_.requests.Execute(bytes); }
    uint8_t CurrentProtocolLevel() const override { return h_.protocol.Settings().protocolLevel; }
    void StorePendingAdvanced(const AdvancedSettings& settings) override {
        h_.advanced.pending = settings;
    }

  private:
    Harness& h_;
};

struct Row {
    SettingId id;
    void (*set)(ControllerSettings&);  // the record holding the new value
    const char* group;
    const char* key;
    const char* json;  // the value in the settings file
    const char* call;  // "" when nothing is sent
    Bytes frame;
};

// clang-format off
const Row kRows[] = {
    {kRaReverseRotation, [](ControllerSettings& s) { s.reverseRotation |= 1; }, "ra", "reverse_rotation", "true",
     "SetReverseFlags(3, 1, 0)", {0xAA, 0x06, 0x32, 0x00, 0xC0, 0x03, 0x01, 0x00}},
    {kDecReverseRotation, [](ControllerSettings& s) { s.reverseRotation &= 0xFD; }, "dec", "reverse_rotation", "false",
     "SetReverseFlags(0, 1, 0)", {0xAA, 0x06, 0x32, 0x00, 0xC0, 0x00, 0x01, 0x00}},
    {kRaReverseGuiding, [](ControllerSettings& s) { s.reverseGuiding &= 0xFE; }, "ra", "reverse_guiding", "false",
     "SetReverseFlags(2, 0, 0)", {0xAA, 0x06, 0x32, 0x00, 0xC0, 0x02, 0x00, 0x00}},
    {kDecReverseGuiding, [](ControllerSettings& s) { s.reverseGuiding |= 2; }, "dec", "reverse_guiding", "true",
     "SetReverseFlags(2, 3, 0)", {0xAA, 0x06, 0x32, 0x00, 0xC0, 0x02, 0x03, 0x00}},
    {kRaReverseLimits, [](ControllerSettings& s) { s.reverseLimits |= 1; }, "ra", "reverse_limit_switches", "true",
     "SetReverseFlags(2, 1, 1)", {0xAA, 0x06, 0x32, 0x00, 0xC0, 0x02, 0x01, 0x01}},
    {kDecReverseLimits, [](ControllerSettings& s) { s.reverseLimits |= 2; }, "dec", "reverse_limit_switches", "true",
     "SetReverseFlags(2, 1, 2)", {0xAA, 0x06, 0x32, 0x00, 0xC0, 0x02, 0x01, 0x02}},
    {kRaMaxSpeed, [](ControllerSettings& s) { s.raMaxSpeed = 65535; }, "ra", "max_speed", "65535",
     "SetMaxSpeed(65535, 900)", {0xAA, 0x07, 0x35, 0x00, 0xC0, 0xFF, 0xFF, 0x84, 0x03}},
    {kDecMaxSpeed, [](ControllerSettings& s) { s.decMaxSpeed = 0; }, "dec", "max_speed", "0",
     "SetMaxSpeed(600, 0)", {0xAA, 0x07, 0x35, 0x00, 0xC0, 0x58, 0x02, 0x00, 0x00}},
    {kRaAcceleration, [](ControllerSettings& s) { s.raAcceleration = 255; }, "ra", "acceleration", "255",
     "SetAcceleration(255, 120)", {0xAA, 0x05, 0x37, 0x00, 0xC0, 0xFF, 0x78}},
    {kDecAcceleration, [](ControllerSettings& s) { s.decAcceleration = 0; }, "dec", "acceleration", "0",
     "SetAcceleration(100, 0)", {0xAA, 0x05, 0x37, 0x00, 0xC0, 0x64, 0x00}},
    {kRaDeceleration, [](ControllerSettings& s) { s.raDeceleration = 0; }, "ra", "deceleration", "0",
     "SetDeceleration(0, 60)", {0xAA, 0x05, 0x38, 0x00, 0xC0, 0x00, 0x3C}},
    {kDecDeceleration, [](ControllerSettings& s) { s.decDeceleration = 255; }, "dec", "deceleration", "255",
     "SetDeceleration(50, 255)", {0xAA, 0x05, 0x38, 0x00, 0xC0, 0x32, 0xFF}},
    {kRaMaxCurrent, [](ControllerSettings& s) { s.raMaxCurrent = 65535; }, "ra", "max_current_mA", "65535", "", {}},
    {kDecMaxCurrent, [](ControllerSettings& s) { s.decMaxCurrent = 0; }, "dec", "max_current_mA", "0", "", {}},
    {kRaIdleCurrent, [](ControllerSettings& s) { s.raCurrent[0] = 0; }, "ra", "idle_current_mA", "0",
     "SetCurrent(0x80, 0)", {0xAA, 0x05, 0x33, 0x00, 0x80, 0x00, 0x00}},
    {kRaTrackCurrent, [](ControllerSettings& s) { s.raCurrent[1] = 1600; }, "ra", "track_current_mA", "1600",
     "SetCurrent(0x81, 1600)", {0xAA, 0x05, 0x33, 0x00, 0x81, 0x40, 0x06}},
    {kRaRunCurrent, [](ControllerSettings& s) { s.raCurrent[2] = 65535; }, "ra", "run_current_mA", "65535",
     "SetCurrent(0x82, 65535)", {0xAA, 0x05, 0x33, 0x00, 0x82, 0xFF, 0xFF}},
    {kDecIdleCurrent, [](ControllerSettings& s) { s.decCurrent[0] = 2000; }, "dec", "idle_current_mA", "2000",
     "SetCurrent(0x40, 2000)", {0xAA, 0x05, 0x33, 0x00, 0x40, 0xD0, 0x07}},
    {kDecTrackCurrent, [](ControllerSettings& s) { s.decCurrent[1] = 1; }, "dec", "track_current_mA", "1",
     "SetCurrent(0x41, 1)", {0xAA, 0x05, 0x33, 0x00, 0x41, 0x01, 0x00}},
    {kDecRunCurrent, [](ControllerSettings& s) { s.decCurrent[2] = 0; }, "dec", "run_current_mA", "0",
     "SetCurrent(0x42, 0)", {0xAA, 0x05, 0x33, 0x00, 0x42, 0x00, 0x00}},
    {kRaIdleDecay, [](ControllerSettings& s) { s.raDecay[0] = 3; }, "ra", "idle_decay", "3",
     "SetDecay(0x80, 3)", {0xAA, 0x04, 0x34, 0x00, 0x80, 0x03}},
    {kRaTrackDecay, [](ControllerSettings& s) { s.raDecay[1] = 0; }, "ra", "track_decay", "0",
     "SetDecay(0x81, 0)", {0xAA, 0x04, 0x34, 0x00, 0x81, 0x00}},
    {kRaRunDecay, [](ControllerSettings& s) { s.raDecay[2] = 3; }, "ra", "run_decay", "3",
     "SetDecay(0x82, 3)", {0xAA, 0x04, 0x34, 0x00, 0x82, 0x03}},
    {kDecIdleDecay, [](ControllerSettings& s) { s.decDecay[0] = 0; }, "dec", "idle_decay", "0",
     "SetDecay(0x40, 0)", {0xAA, 0x04, 0x34, 0x00, 0x40, 0x00}},
    {kDecTrackDecay, [](ControllerSettings& s) { s.decDecay[1] = 3; }, "dec", "track_decay", "3",
     "SetDecay(0x41, 3)", {0xAA, 0x04, 0x34, 0x00, 0x41, 0x03}},
    {kDecRunDecay, [](ControllerSettings& s) { s.decDecay[2] = 0; }, "dec", "run_decay", "0",
     "SetDecay(0x42, 0)", {0xAA, 0x04, 0x34, 0x00, 0x42, 0x00}},
    {kRaOvertone, [](ControllerSettings& s) { s.raOvertone = -128; }, "ra", "overtone", "-128",
     "SetOvertone(0x80, 128)", {0xAA, 0x04, 0x3B, 0x00, 0x80, 0x80}},
    {kRaOvertone, [](ControllerSettings& s) { s.raOvertone = 127; }, "ra", "overtone", "127",
     "SetOvertone(0x80, 127)", {0xAA, 0x04, 0x3B, 0x00, 0x80, 0x7F}},
    {kDecOvertone, [](ControllerSettings& s) { s.decOvertone = -1; }, "dec", "overtone", "-1",
     "SetOvertone(0x40, 255)", {0xAA, 0x04, 0x3B, 0x00, 0x40, 0xFF}},
    {kRaIncreaseCurrentAt, [](ControllerSettings& s) { s.raIncCurrentAt = 65535; }, "ra", "increase_current_at", "65535",
     "SetIncreaseCurrentAt(0x80, 65535, 65535)", {0xAA, 0x07, 0x3C, 0x00, 0x80, 0xFF, 0xFF, 0xFF, 0xFF}},
    {kDecIncreaseCurrentAt, [](ControllerSettings& s) { s.decIncCurrentAt = 640; }, "dec", "increase_current_at", "640",
     "SetIncreaseCurrentAt(0x40, 640, 640)", {0xAA, 0x07, 0x3C, 0x00, 0x40, 0x80, 0x02, 0x80, 0x02}},
    {kRaGuidingRate, [](ControllerSettings& s) { s.raGuidingRate = 16; }, "ra", "guiding_rate", "\"16/16\"",
     "SetGuidingRates(16, 4)", {0xAA, 0x05, 0x36, 0x00, 0xC0, 0x10, 0x04}},
    {kDecGuidingRate, [](ControllerSettings& s) { s.decGuidingRate = 1; }, "dec", "guiding_rate", "\"1/16\"",
     "SetGuidingRates(8, 1)", {0xAA, 0x05, 0x36, 0x00, 0xC0, 0x08, 0x01}},
    {kRaLimitSwitches, [](ControllerSettings& s) { s.features &= 0xF3; }, "ra", "has_limit_switches", "false", "", {}},
    {kDecLimitSwitches, [](ControllerSettings& s) { s.decFeatures |= 0x08; }, "dec", "has_limit_switches", "true", "", {}},
    {kRaGearRatio, [](ControllerSettings& s) { s.raGearRatio = 4294967295u; }, "gear", "ra_ratio", "4294967295",
     "SetGearRatios(4294967295, 162000)",
     {0xAA, 0x0B, 0x1A, 0x01, 0xC0, 0xFF, 0xFF, 0xFF, 0xFF, 0xD0, 0x78, 0x02, 0x00}},
    {kDecGearRatio, [](ControllerSettings& s) { s.decGearRatio = 1; }, "gear", "dec_ratio", "1",
     "SetGearRatios(172800, 1)",
     {0xAA, 0x0B, 0x1A, 0x01, 0xC0, 0x00, 0xA3, 0x02, 0x00, 0x01, 0x00, 0x00, 0x00}},
    {kLatitude, [](ControllerSettings& s) { s.latitude = -90 * 86400; }, "site", "latitude", "\"S 90:00:00\"",
     "ApplyAdvanced(changed 0x01)",
     {0xAA, 0x0B, 0x65, 0x01, 0x00, 0x59, 0x89, 0xFF, 0x90, 0x2F, 0x04, 0x00, 0x00}},
    {kLatitude, [](ControllerSettings& s) { s.latitude = 90 * 86400; }, "site", "latitude", "\"N 90:00:00\"",
     "ApplyAdvanced(changed 0x01)",
     {0xAA, 0x0B, 0x65, 0x01, 0x00, 0xA7, 0x76, 0x00, 0x90, 0x2F, 0x04, 0x00, 0x00}},
    {kLongitude, [](ControllerSettings& s) { s.longitude = -180 * 86400; }, "site", "longitude", "\"W 180:00:00\"",
     "ApplyAdvanced(changed 0x02)",
     {0xAA, 0x0B, 0x65, 0x01, 0x40, 0x9F, 0x3E, 0x00, 0x00, 0xB2, 0x12, 0xFF, 0x00}},
    {kLongitude, [](ControllerSettings& s) { s.longitude = 180 * 86400; }, "site", "longitude", "\"E 180:00:00\"",
     "ApplyAdvanced(changed 0x02)",
     {0xAA, 0x0B, 0x65, 0x01, 0x40, 0x9F, 0x3E, 0x00, 0x00, 0x4E, 0xED, 0x00, 0x00}},
    {kHemisphere, [](ControllerSettings& s) { s.hemisphere = 1; }, "site", "hemisphere", "\"south\"",
     "ApplyAdvanced(changed 0x04)",
     {0xAA, 0x0B, 0x65, 0x01, 0x40, 0x9F, 0x3E, 0x00, 0x90, 0x2F, 0x04, 0x00, 0x01}},
    {kMountTypeSetting, [](ControllerSettings& s) { s.mountType = 1; }, "site", "mount_type", "\"fork\"",
     "ApplyAdvanced(changed 0x08)", {0xAA, 0x03, 0x1B, 0x01, 0x01}},
    {kMountTypeSetting, [](ControllerSettings& s) { s.mountType = 2; }, "site", "mount_type", "\"alt-azimuth\"",
     "ApplyAdvanced(changed 0x08)", {0xAA, 0x03, 0x1B, 0x01, 0x02}},
    // The meridian bytes are the connected controller's (the harness reports 0x11, 0x22).
    {kFlipHysteresis, [](ControllerSettings& s) { s.flipHysteresis = 255; }, "site", "flip_hysteresis_deg", "255",
     "ApplyAdvanced(changed 0x10)", {0xAA, 0x06, 0x3E, 0x01, 0x01, 0x11, 0x22, 0xFF}},
    {kFlipHysteresis, [](ControllerSettings& s) { s.flipHysteresis = 0; }, "site", "flip_hysteresis_deg", "0",
     "ApplyAdvanced(changed 0x10)", {0xAA, 0x06, 0x3E, 0x01, 0x01, 0x11, 0x22, 0x00}},
    {kClosedLoop, [](ControllerSettings& s) { s.closedLoopDefault = 0; }, "site", "closed_loop", "false",
     "ApplyAdvanced(changed 0x20)", {0xAA, 0x03, 0x59, 0x01, 0x00}},
    {kClosedLoopAvailable, [](ControllerSettings& s) { s.features &= 0x7F; }, "site", "closed_loop_available", "false", "", {}},
};
// clang-format on

TEST(SettingFrames, EveryRowChangesOnlyItsSettingAndEverySettingHasARow) {
    SettingSelection covered;
    for (const Row& row : kRows) {
        ControllerSettings changed = Base();
        row.set(changed);
        const SettingValues before = ReadSettings(Base());
        const SettingValues after = ReadSettings(changed);
        for (const SettingInfo& info : SettingTable()) {
            EXPECT_EQ(before[info.id] != after[info.id], info.id == row.id)
                << row.key << " / " << info.key;
        }
        covered[row.id] = true;
    }
    EXPECT_TRUE(covered.all());
}

TEST(SettingFrames, ValueRequestAndFrameOfEverySetting) {
    for (const Row& row : kRows) {
        const ControllerSettings base = Base();
        ControllerSettings changed = base;
        row.set(changed);
        SettingSelection all;
        all.set();
        const std::vector<PlannedRequest> plan =
            PlanRequests(ReadSettings(base), ReadSettings(changed), all, base.features);
        Harness h;
        Connect(h);
        ExecutedRequests engine(h);
        std::string calls;
        for (const PlannedRequest& request : plan) {
            calls += DescribeRequest(request);
            SendRequest(request, engine);
        }
        EXPECT_EQ(calls, row.call) << row.group << "." << row.key;
        EXPECT_EQ(h.sink.frames,
                  (row.frame.empty() ? std::vector<Bytes>{} : std::vector<Bytes>{row.frame}))
            << row.group << "." << row.key;
    }
}

TEST(SettingFrames, RecordToFileToRecordKeepsEveryValue) {
    for (const Row& row : kRows) {
        ControllerSettings changed = Base();
        row.set(changed);
        SettingsFile file;
        file.values = ReadSettings(changed);
        file.present.set();
        const std::string text = WriteSettingsFile(file);
        const nlohmann::json written = nlohmann::json::parse(text);
        EXPECT_EQ(written[row.group][row.key], nlohmann::json::parse(row.json))
            << row.group << "." << row.key;

        SettingsFile read;
        SettingsFileError error;
        ASSERT_TRUE(ReadSettingsFile(text, &read, &error)) << row.key << ": " << error.message;
        ControllerSettings back{};
        WriteSettings(read.values, &back);
        // The record read back already holds the row's value: setting it again changes nothing.
        ControllerSettings again;
        std::memcpy(&again, &back, sizeof again);
        row.set(again);
        EXPECT_EQ(std::memcmp(&again, &back, sizeof back), 0) << row.group << "." << row.key;
    }
}

}  // namespace
