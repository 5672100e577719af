#pragma once

#include <cstdint>
#include <string>

#include "core/setting_table.h"

namespace axistune {

// The settings file: JSON, "format": "axistune-settings", "version": 1, the identity of the
// controller it was read from, the time it was taken, then the settings by group and name in
// the window's units (docs/settings-file.md). Files are kept for years and edited by hand, so
// the writer's layout is stable and the reader refuses anything it does not understand.
constexpr const char* kSettingsFormat = "axistune-settings";
constexpr int kSettingsFileVersion = 1;

struct SettingsFile {
    uint32_t hardwareType = 0;
    uint32_t firmwareVersion = 0;
    bool hasFirmware = false;
    std::string taken;  // ISO 8601 UTC, as written; informational
    SettingValues values{};
    SettingSelection present;  // the settings the file holds (a hand-edited file may omit some)
};

struct SettingsFileError {
    std::string key;  // "ra.acceleration", or empty for the file as a whole
    std::string message;
};

std::string WriteSettingsFile(const SettingsFile& file);
// Reads and validates the whole text: syntax, no key twice in one object, format and version,
// every key known, every value of its type and within the range its request can carry. Whole
// numbers may be written with a zero fraction ("800.0").
bool ReadSettingsFile(const std::string& text, SettingsFile* file, SettingsFileError* error);

// "1.0.0.12"
std::string FirmwareDotted(uint32_t version);

}  // namespace axistune
