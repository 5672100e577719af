#include "app/settings_file_of.h"

#include "core/controller_constants.h"
#include "core/setting_table.h"

namespace axistune {

SettingsFile SettingsFileOf(const ControllerSettings& settings, const std::string& taken) {
    SettingsFile file;
    file.hardwareType = settings.hardwareType;
    file.firmwareVersion = settings.firmwareVersion;
    file.hasFirmware = true;
    file.taken = taken;
    file.values = ReadSettings(settings);
    file.present.set();
    // A controller without closed-loop tracking has no such setting to record.
    if ((settings.features & kFeatureClosedLoop) == 0) {
        file.present[kClosedLoop] = false;
    }
    return file;
}

}  // namespace axistune
