#include "core/restore_rules.h"

#include "core/controller_constants.h"

namespace axistune {

bool ParseRestoreFile(const std::string& name, const std::string& text, SettingsFile* file,
                      std::string* message) {
    SettingsFileError problem;
    if (ReadSettingsFile(text, file, &problem)) {
        return true;
    }
    *message = name + ": " + (problem.key.empty() ? "" : problem.key + ": ") + problem.message;
    return false;
}

bool SuitsController(const std::string& name, const SettingsFile& file,
                     const ControllerSettings& settings, const SettingSelection& selection,
                     std::string* message) {
    const std::string nothingSent = "; nothing was sent";
    if (file.hardwareType != settings.hardwareType) {
        *message = name + ": hardware_type: the file was taken from hardware type " +
                   std::to_string(file.hardwareType) + ", the controller is of type " +
                   std::to_string(settings.hardwareType) + nothingSent;
        return false;
    }
    if (selection[kClosedLoop] && file.present[kClosedLoop] && file.values[kClosedLoop] != 0 &&
        (settings.features & kFeatureClosedLoop) == 0) {
        *message =
            name + ": site.closed_loop: this controller has no closed-loop tracking" + nothingSent;
        return false;
    }
    const SettingValues current = ReadSettings(settings);
    // What the window does not let change on this controller cannot be restored either.
    for (const SettingInfo& info : SettingTable()) {
        const bool changes = file.present[info.id] && file.values[info.id] != current[info.id];
        if (selection[info.id] && changes && !info.ReadOnly() && !Writable(info, current)) {
            *message = name + ": " + QualifiedName(info) +
                       ": this controller does not let it change (it reports " +
                       QualifiedName(Setting(info.needs)) + " false)" + nothingSent;
            return false;
        }
    }
    const SettingId currents[] = {kRaIdleCurrent,  kRaTrackCurrent,  kRaRunCurrent,
                                  kDecIdleCurrent, kDecTrackCurrent, kDecRunCurrent};
    for (SettingId id : currents) {
        const SettingId maximum =
            Setting(id).group == SettingGroup::kRa ? kRaMaxCurrent : kDecMaxCurrent;
        if (selection[id] && file.present[id] && current[maximum] != 0 &&
            file.values[id] > current[maximum]) {
            *message = name + ": " + QualifiedName(Setting(id)) + ": " +
                       std::to_string(file.values[id]) +
                       " mA is above this controller's maximum current of " +
                       std::to_string(current[maximum]) + " mA" + nothingSent;
            return false;
        }
    }
    return true;
}

std::vector<SettingDifference> CompareWithFile(const SettingValues& controller,
                                               const SettingsFile& file,
                                               const SettingSelection& selection) {
    std::vector<SettingDifference> found;
    for (const SettingInfo& info : SettingTable()) {
        if (selection[info.id] && file.present[info.id] &&
            controller[info.id] != file.values[info.id]) {
            found.push_back({&info, controller[info.id], file.values[info.id]});
        }
    }
    return found;
}

SettingValues RestoreTarget(const ControllerSettings& controller, const SettingsFile& file) {
    SettingValues target = ReadSettings(controller);
    for (const SettingInfo& info : SettingTable()) {
        if (file.present[info.id]) {
            target[info.id] = file.values[info.id];
        }
    }
    return target;
}

}  // namespace axistune
