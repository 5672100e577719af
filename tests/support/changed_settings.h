#pragma once

#include "core/settings_file.h"

namespace axistune {

// The file with another valid value for every writable setting it holds (currents lower, so
// they stay within the controller's maximum), so that restoring it changes every one of them that
// the controller lets change.
SettingsFile ChangeEverySetting(SettingsFile file);

}  // namespace axistune
