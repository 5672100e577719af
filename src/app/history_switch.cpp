#include "app/history_switch.h"

#include <filesystem>
#include <sstream>
#include <system_error>

#include "app/state_files.h"

namespace axistune {

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kSwitchFileLimit = 4096;
constexpr const char* kKey = "automatic";

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

std::string HistorySwitchPath(const std::string& snapshotFolder) {
    fs::path folder(snapshotFolder);
    if (!folder.has_filename()) {
        folder = folder.parent_path();  // ".../snapshots/"
    }
    return (folder.parent_path() / "history.conf").string();
}

bool ReadHistorySwitch(const std::string& path) {
    std::string text;
    std::string ignored;
    if (!ReadSmallFile(path, kSwitchFileLimit, &text, &ignored)) {
        return true;
    }
    std::istringstream lines(text);
    std::string line;
    bool automatic = true;
    while (std::getline(lines, line)) {
        const size_t equals = line.find('=');
        if (Trimmed(line).rfind('#', 0) == 0 || equals == std::string::npos ||
            Trimmed(line.substr(0, equals)) != kKey) {
            continue;
        }
        automatic = Trimmed(line.substr(equals + 1)) != "off";
    }
    return automatic;
}

bool WriteHistorySwitch(const std::string& path, bool automatic, std::string* error) {
    const fs::path folder = fs::path(path).parent_path();
    std::error_code failure;
    if (!folder.empty()) {
        fs::create_directories(folder, failure);
    }
    if (failure) {
        *error = "cannot create the folder " + folder.string() + ": " + failure.message();
        return false;
    }
    const std::string text =
        "# AxisTune's settings history. With \"automatic = off\" the windows take no entries on\n"
        "# their own; a restore from the window still keeps the settings it replaces.\n" +
        std::string(kKey) + " = " + (automatic ? "on" : "off") + "\n";
    return WriteFileAtomically(path, text, error);
}

}  // namespace axistune
