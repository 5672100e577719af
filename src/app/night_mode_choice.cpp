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

}  // namespace axistune
