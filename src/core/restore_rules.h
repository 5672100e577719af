#pragma once

#include <string>
#include <vector>

#include "core/controller_settings.h"
#include "core/setting_table.h"
#include "core/settings_file.h"

namespace axistune {

// The rules a restore (and a comparison) applies to a settings file, one place for the command
// line and the windows.

// Parses a settings file's text; false with the message people see, naming the file as `name`
// ("backup.json: ra.acceleration: ..."; a later format version is refused as such).
bool ParseRestoreFile(const std::string& name, const std::string& text, SettingsFile* file,
                      std::string* message);

// Whether the file's values can go to this controller at all: its hardware type, closed-loop
// tracking, settings the controller does not let change, currents above its maximum. Checked
// before anything is sent; false with the message, which names the file as `name`.
bool SuitsController(const std::string& name, const SettingsFile& file,
                     const ControllerSettings& settings, const SettingSelection& selection,
                     std::string* message);

struct SettingDifference {
    const SettingInfo* info;
    int64_t controller;
    int64_t file;
};

// The selected settings the file holds that differ from the controller's, in table order.
std::vector<SettingDifference> CompareWithFile(const SettingValues& controller,
                                               const SettingsFile& file,
                                               const SettingSelection& selection);

// The controller's values with the file's in their place.
SettingValues RestoreTarget(const ControllerSettings& controller, const SettingsFile& file);

}  // namespace axistune
