#include "app/switch_file.h"

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "app/state_files.h"

namespace axistune {

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kSwitchFileLimit = 4096;

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

bool ReadSwitchFile(const std::string& path, const char* key, bool fallback) {
    std::string text;
    std::string ignored;
    if (!ReadSmallFile(path, kSwitchFileLimit, &text, &ignored)) {
        return fallback;
    }
    std::istringstream lines(text);
    std::string line;
    bool on = fallback;
    while (std::getline(lines, line)) {
        const size_t equals = line.find('=');
        if (Trimmed(line).rfind('#', 0) == 0 || equals == std::string::npos ||
            Trimmed(line.substr(0, equals)) != key) {
            continue;
        }
        const std::string value = Trimmed(line.substr(equals + 1));
        if (value == "on" || value == "off") {
            on = value == "on";
        }
    }
    return on;
}

bool WriteSwitchFile(const std::string& path, const std::string& comment, const char* key, bool on,
                     std::string* error) {
    const fs::path folder = fs::path(path).parent_path();
    std::error_code failure;
    if (!folder.empty()) {
        fs::create_directories(folder, failure);
    }
    if (failure) {
        *error = "cannot create the folder " + folder.string() + ": " + failure.message();
        return false;
    }
    const std::string text = comment + key + " = " + (on ? "on" : "off") + "\n";
    return WriteFileAtomically(path, text, error);
}

}  // namespace axistune
