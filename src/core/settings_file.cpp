#include "core/settings_file.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>
#include <vector>

#include "core/setting_groups.h"

namespace axistune {

namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kTopKeys[] = {"format", "version", "hardware_type", "firmware", "taken"};

bool Fail(SettingsFileError* error, const std::string& key, const std::string& message) {
    if (error != nullptr) {
        error->key = key;
        error->message = message;
    }
    return false;
}

const char* TypeName(const Json& value) {
    if (value.is_boolean()) {
        return "true/false";
    }
    if (value.is_number()) {
        return "a number";
    }
    if (value.is_string()) {
        return "text";
    }
    if (value.is_object()) {
        return "an object";
    }
    if (value.is_array()) {
        return "a list";
    }
    return "null";
}

// A whole number written with a fraction part of zero ("800.0", "8e2") reads as that number: a
// hand edit or another tool may write it so, and it names the value exactly.
bool ReadWholeFloat(double number, int64_t* out) {
    if (!std::isfinite(number) || std::trunc(number) != number) {
        return false;
    }
    constexpr double kLimit = 9223372036854775808.0;  // 2^63
    if (number >= kLimit) {
        *out = std::numeric_limits<int64_t>::max();
    } else if (number < -kLimit) {
        *out = std::numeric_limits<int64_t>::min();
    } else {
        *out = static_cast<int64_t>(number);
    }
    return true;
}

bool ReadInteger(const Json& value, int64_t* out) {
    if (value.is_number_float()) {
        return ReadWholeFloat(value.get<double>(), out);
    }
    if (value.is_number_unsigned()) {
        const uint64_t u = value.get<uint64_t>();
        if (u > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
            *out = std::numeric_limits<int64_t>::max();
            return true;
        }
        *out = static_cast<int64_t>(u);
        return true;
    }
    if (value.is_number_integer()) {
        *out = value.get<int64_t>();
        return true;
    }
    return false;
}

bool ParseFirmware(const std::string& text, uint32_t* version) {
    unsigned parts[4] = {};
    char tail = 0;
    if (std::sscanf(text.c_str(), "%3u.%3u.%3u.%3u%c", &parts[0], &parts[1], &parts[2], &parts[3],
                    &tail) != 4) {
        return false;
    }
    uint32_t result = 0;
    for (unsigned part : parts) {
        if (part > 255) {
            return false;
        }
        result = result << 8 | part;
    }
    *version = result;
    return text.find_first_not_of("0123456789.") == std::string::npos;
}

bool ReadSetting(const SettingInfo& info, const Json& value, int64_t* out,
                 SettingsFileError* error) {
    const std::string name = QualifiedName(info);
    std::string reason;
    switch (info.format) {
        case SettingFormat::kBoolean:
            if (!value.is_boolean()) {
                return Fail(error, name,
                            std::string("expected true or false, found ") + TypeName(value));
            }
            *out = value.get<bool>() ? 1 : 0;
            return true;
        case SettingFormat::kInteger:
            if (!ReadInteger(value, out)) {
                return Fail(error, name,
                            std::string("expected a whole number, found ") +
                                (value.is_number() ? value.dump() : TypeName(value)));
            }
            break;
        default:
            if (!value.is_string()) {
                return Fail(error, name, std::string("expected text, found ") + TypeName(value));
            }
            if (!ParseText(info, value.get<std::string>(), out, &reason)) {
                return Fail(error, name, reason);
            }
            break;
    }
    if (*out < info.minimum || *out > info.maximum) {
        // As written, so that a huge number is not shown as the clamped one.
        std::string shown = info.format == SettingFormat::kInteger && value.is_number_integer()
                                ? std::to_string(*out)
                                : value.dump();
        return Fail(error, name,
                    shown + " is outside what the controller takes: " + DescribeRange(info));
    }
    return true;
}

bool ReadGroup(SettingGroup group, const Json& object, SettingsFile* file,
               SettingsFileError* error) {
    const std::string groupKey = GroupKey(group);
    if (!object.is_object()) {
        return Fail(error, groupKey,
                    std::string("expected an object of settings, found ") + TypeName(object));
    }
    for (const auto& item : object.items()) {
        const SettingInfo* found = nullptr;
        for (const SettingInfo& info : SettingTable()) {
            if (info.group == group && item.key() == info.key) {
                found = &info;
            }
        }
        if (found == nullptr) {
            return Fail(error, groupKey + "." + item.key(),
                        "unknown setting (docs/settings-file.md lists the names)");
        }
        int64_t value = 0;
        if (!ReadSetting(*found, item.value(), &value, error)) {
            return false;
        }
        file->values[found->id] = value;
        file->present[found->id] = true;
    }
    return true;
}

// JSON lets a key appear twice in one object and the parser keeps the last; in a hand-edited
// file that is a line added without deleting the old one, so the reader refuses it instead.
class DuplicateKeyFinder {
  public:
    bool operator()(int /*depth*/, Json::parse_event_t event, Json& parsed) {
        switch (event) {
            case Json::parse_event_t::object_start:
            case Json::parse_event_t::array_start:
                open_.push_back({ChildPath(), event == Json::parse_event_t::object_start, {}});
                break;
            case Json::parse_event_t::object_end:
            case Json::parse_event_t::array_end:
                if (!open_.empty()) {
                    open_.pop_back();
                }
                break;
            case Json::parse_event_t::key:
                lastKey_ = parsed.get<std::string>();
                if (!open_.empty() && !open_.back().keys.insert(lastKey_).second &&
                    duplicate_.empty()) {
                    duplicate_ = Qualified(open_.back().path, lastKey_);
                }
                break;
            case Json::parse_event_t::value:
                break;
        }
        return true;
    }
    // "ra.max_speed", or empty when every key is single.
    const std::string& Duplicate() const { return duplicate_; }

  private:
    struct Container {
        std::string path;
        bool object;
        std::set<std::string> keys;
    };
    static std::string Qualified(const std::string& path, const std::string& key) {
        return path.empty() ? key : path + "." + key;
    }
    std::string ChildPath() const {
        if (open_.empty()) {
            return "";
        }
        return open_.back().object ? Qualified(open_.back().path, lastKey_) : open_.back().path;
    }

    std::vector<Container> open_;
    std::string lastKey_;
    std::string duplicate_;
};

bool ReadTop(const Json& root, SettingsFile* file, SettingsFileError* error) {
    if (!root.is_object()) {
        return Fail(error, "", std::string("expected a JSON object, found ") + TypeName(root));
    }
    const auto format = root.find("format");
    if (format == root.end() || !format->is_string() ||
        format->get<std::string>() != kSettingsFormat) {
        return Fail(error, "format",
                    std::string("missing or wrong: an AxisTune settings file has \"format\": \"") +
                        kSettingsFormat + "\"");
    }
    const auto version = root.find("version");
    int64_t number = 0;
    if (version == root.end() || !ReadInteger(*version, &number) || number < 1) {
        return Fail(error, "version", "missing or not a positive whole number");
    }
    if (number > kSettingsFileVersion) {
        return Fail(error, "version",
                    "format version " + std::to_string(number) +
                        " was written by a newer AxisTune; this one reads version " +
                        std::to_string(kSettingsFileVersion));
    }
    const auto hardware = root.find("hardware_type");
    if (hardware == root.end() || !ReadInteger(*hardware, &number) || number < 0 ||
        number > 0xFFFF) {
        return Fail(error, "hardware_type", "missing or not a whole number from 0 to 65535");
    }
    file->hardwareType = static_cast<uint32_t>(number);
    const auto firmware = root.find("firmware");
    if (firmware != root.end()) {
        if (!firmware->is_string() ||
            !ParseFirmware(firmware->get<std::string>(), &file->firmwareVersion)) {
            return Fail(error, "firmware", "expected four dotted numbers such as \"1.0.0.12\"");
        }
        file->hasFirmware = true;
    }
    const auto taken = root.find("taken");
    if (taken != root.end()) {
        if (!taken->is_string()) {
            return Fail(error, "taken", "expected a time as text");
        }
        file->taken = taken->get<std::string>();
    }
    return true;
}

}  // namespace

std::string FirmwareDotted(uint32_t version) {
    char text[24];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", version >> 24, version >> 16 & 0xFFu,
                  version >> 8 & 0xFFu, version & 0xFFu);
    return text;
}

std::string WriteSettingsFile(const SettingsFile& file) {
    Json root;
    root["format"] = kSettingsFormat;
    root["version"] = kSettingsFileVersion;
    root["hardware_type"] = file.hardwareType;
    if (file.hasFirmware) {
        root["firmware"] = FirmwareDotted(file.firmwareVersion);
    }
    if (!file.taken.empty()) {
        root["taken"] = file.taken;
    }
    for (SettingGroup group : kSettingGroups) {
        Json object = Json::object();
        for (const SettingInfo& info : SettingTable()) {
            if (info.group != group || !file.present[info.id]) {
                continue;
            }
            const int64_t value = file.values[info.id];
            switch (info.format) {
                case SettingFormat::kBoolean:
                    object[info.key] = value != 0;
                    break;
                case SettingFormat::kInteger:
                    object[info.key] = value;
                    break;
                default:
                    object[info.key] = FormatValue(info, value);
                    break;
            }
        }
        root[GroupKey(group)] = object;
    }
    return root.dump(2) + "\n";
}

bool ReadSettingsFile(const std::string& text, SettingsFile* file, SettingsFileError* error) {
    Json root;
    DuplicateKeyFinder duplicates;
    try {
        root = Json::parse(text, std::ref(duplicates));
    } catch (const Json::parse_error& e) {
        const bool cut = e.byte >= text.size();
        return Fail(error, "",
                    cut ? "not complete JSON: the text ends early (was the file cut short?)"
                        : "not valid JSON at byte " + std::to_string(e.byte) + " of " +
                              std::to_string(text.size()));
    } catch (const Json::exception& e) {
        // A number too large for any setting, for one.
        return Fail(error, "", std::string("not readable JSON: ") + e.what());
    }
    if (!duplicates.Duplicate().empty()) {
        return Fail(error, duplicates.Duplicate(),
                    "appears twice; keep one line of it (which value is meant cannot be told)");
    }
    SettingsFile result;
    if (!ReadTop(root, &result, error)) {
        return false;
    }
    for (const auto& item : root.items()) {
        bool known = false;
        for (const char* key : kTopKeys) {
            known = known || item.key() == key;
        }
        for (SettingGroup group : kSettingGroups) {
            if (item.key() == GroupKey(group)) {
                known = true;
                if (!ReadGroup(group, item.value(), &result, error)) {
                    return false;
                }
            }
        }
        if (!known) {
            return Fail(error, item.key(), "unknown key (docs/settings-file.md lists the names)");
        }
    }
    *file = result;
    return true;
}

}  // namespace axistune
