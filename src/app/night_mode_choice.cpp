#include "app/night_mode_choice.h"

#include <cstdlib>
#include <filesystem>

#include "app/switch_file.h"

namespace axistune {

namespace fs = std::filesystem;

namespace {

constexpr const char* kKey = "night";
constexpr const char* kFileName = "night-mode.conf";

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace

std::string NightModeChoicePath() {
#ifdef _WIN32
    std::string base = Environment("LOCALAPPDATA");
    if (base.empty()) {
        base = ".";
    }
    return (fs::path(base) / "AxisTune" / kFileName).string();
#else
    std::string base = Environment("XDG_CONFIG_HOME");
    if (base.empty()) {
        const std::string home = Environment("HOME");
        base = home.empty() ? "." : (fs::path(home) / ".config").string();
    }
    return (fs::path(base) / "axistune" / kFileName).string();
#endif
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
