// What the controller holds follows each change request as it was sent: every writable setting,
// built into its request and applied back, changes itself and nothing else.
#include "app/held_settings.h"

#include <gtest/gtest.h>

#include "core/setting_apply.h"

using namespace axistune;

namespace {

SettingValues AllAt(bool maximum) {
    SettingValues values{};
    for (const SettingInfo& info : SettingTable()) {
        values[info.id] = maximum ? info.maximum : info.minimum;
    }
    return values;
}

TEST(HeldSettings, EveryChangeRequestSetsItsSettingAndNoOther) {
    for (const bool upward : {true, false}) {
        const SettingValues before = AllAt(!upward);
        ControllerSettings read{};
        WriteSettings(before, &read);
        for (const SettingInfo& info : SettingTable()) {
            if (info.ReadOnly()) {
                continue;
            }
            SCOPED_TRACE(QualifiedName(info) + (upward ? " raised" : " lowered"));
            SettingValues expected = before;
            expected[info.id] = upward ? info.maximum : info.minimum;
            const PlannedRequest sent = BuildRequest(info.id, expected, 0);
            SettingValues values = before;
            ApplyRequest(sent, &values);
            EXPECT_EQ(values, expected);
            HeldSettings held;  // applies onto the record itself
            held.OnSettingsRead(&read);
            held.OnSettingsChangeSent(sent);
            EXPECT_EQ(held.Now().Values(), expected);
            if (info.request == SettingRequest::kAdvanced) {  // every field travels
                values = before;
                ApplyRequest(BuildRequest(info.id, AllAt(upward), 0), &values);
                EXPECT_EQ(values, expected);
            }
        }
    }
}

TEST(HeldSettings, AReloadMakesTheRecordStaleUntilTheNextRead) {
    HeldSettings held;
    EXPECT_EQ(held.Now().state, HeldSettings::State::kUnknown);
    const ControllerSettings read{};
    held.OnSettingsRead(&read);
    EXPECT_EQ(held.Now().state, HeldSettings::State::kCurrent);
    held.OnReloadDefaultsSent();
    EXPECT_EQ(held.Now().state, HeldSettings::State::kStale);
    held.OnSettingsRead(&read);
    EXPECT_EQ(held.Now().state, HeldSettings::State::kCurrent);
}

}  // namespace
