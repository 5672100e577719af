#include "app/night_mode_choice.h"

#include <filesystem>

#include "app/state_files.h"
#include "app/switch_file.h"

namespace axistune {

namespace fs = std::filesystem;

namespace {

constexpr const char* kKey = "night";

}  // namespace

std::string NightModeChoicePath() {
    return (fs::path(PerUserFolder("XDG_CONFIG_HOME", ".config")) / "night-mode.conf").string();
}

bool ReadNightModeChoice(const std::string& path) {
    return ReadSwitchFile(path, kKey, false);
}

bool WriteNightModeChoice(const std::string& path, bool on, std::string* error) {
    return WriteSwitchFile(path,
                           "# AxisTune's windows start in night mode (red on black) when this "
                           "says on; Ctrl+N switches it.\n",
                           kKey, on, error);
}

std::string NightModeChoiceKeeper::Keep(bool on) {
    std::string error;
    if (WriteNightModeChoice(path_, on, &error) || told_) {
        return std::string();
    }
    told_ = true;
    return "Night mode could not be remembered for the next start:\n" + error;
}

}  // namespace axistune
