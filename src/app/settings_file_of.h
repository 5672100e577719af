#pragma once

#include <string>

#include "core/controller_settings.h"
#include "core/settings_file.h"

namespace axistune {

// The settings file of a controller's settings as read: every setting it has (closed-loop
// tracking only where the controller offers it), its hardware type and firmware, and `taken`
// ("2026-12-08T06:22:00Z").
SettingsFile SettingsFileOf(const ControllerSettings& settings, const std::string& taken);

}  // namespace axistune
