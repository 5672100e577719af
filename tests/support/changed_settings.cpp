#include "support/changed_settings.h"

#include <string>

namespace axistune {

SettingsFile ChangeEverySetting(SettingsFile file) {
    for (const SettingInfo& info : SettingTable()) {
        int64_t& v = file.values[info.id];
        if (info.ReadOnly() || !file.present[info.id]) {
            continue;
        }
        // What the controller the file came from does not let change (reversing absent limit
        // switches) stays as it is.
        if (info.needs != kSettingCount && file.present[info.needs] &&
            file.values[info.needs] == 0) {
            continue;
        }
        if (info.unit == std::string("mA")) {
            v -= 10;
        } else if (info.format == SettingFormat::kLatitude ||
                   info.format == SettingFormat::kLongitude) {
            v = -v + 86400 + 24;  // the other side, a degree and a second off
        } else {
            v = v < info.maximum ? v + 1 : info.minimum;
        }
    }
    return file;
}

}  // namespace axistune
