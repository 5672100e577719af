#pragma once

#include "core/setting_table.h"

namespace axistune {

// The groups of settings in the order the settings file, `info` and `--only` list them.
inline constexpr SettingGroup kSettingGroups[] = {SettingGroup::kRa, SettingGroup::kDec,
                                                  SettingGroup::kGear, SettingGroup::kSite};

// The group's heading for people: "RA", "Dec", "Gear ratios", "Site and mount".
constexpr const char* GroupTitle(SettingGroup group) {
    switch (group) {
        case SettingGroup::kRa:
            return "RA";
        case SettingGroup::kDec:
            return "Dec";
        case SettingGroup::kGear:
            return "Gear ratios";
        case SettingGroup::kSite:
            return "Site and mount";
    }
    return "";
}

}  // namespace axistune
