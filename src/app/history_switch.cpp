#include "app/history_switch.h"

#include <filesystem>

#include "app/switch_file.h"

namespace axistune {

namespace fs = std::filesystem;

namespace {

constexpr const char* kKey = "automatic";

}  // namespace

std::string HistorySwitchPath(const std::string& snapshotFolder) {
    fs::path folder(snapshotFolder);
    if (!folder.has_filename()) {
        folder = folder.parent_path();  // ".../snapshots/"
    }
    return (folder.parent_path() / "history.conf").string();
}

bool ReadHistorySwitch(const std::string& path) {
    return ReadSwitchFile(path, kKey, true);
}

bool WriteHistorySwitch(const std::string& path, bool automatic, std::string* error) {
    return WriteSwitchFile(
        path,
        "# AxisTune's settings history. With \"automatic = off\" the windows take no entries on\n"
        "# their own; a restore from the window still keeps the settings it replaces.\n",
        kKey, automatic, error);
}

}  // namespace axistune
