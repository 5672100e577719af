// The settings-file reader and validator on arbitrary text. Invariants: it never crashes; a
// refusal always says what is wrong; an accepted file holds only values within their ranges,
// and writing it and reading it back gives the same identity and values.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/settings_file.h"

using namespace axistune;

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "settings file invariant failed: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    SettingsFile file;
    SettingsFileError error;
    if (!ReadSettingsFile(text, &file, &error)) {
        Require(!error.message.empty(), "a refusal names its reason");
        return 0;
    }
    for (const SettingInfo& info : SettingTable()) {
        if (file.present[info.id]) {
            Require(file.values[info.id] >= info.minimum && file.values[info.id] <= info.maximum,
                    "accepted values lie within their ranges");
        }
    }
    SettingsFile again;
    Require(ReadSettingsFile(WriteSettingsFile(file), &again, &error), "written files read back");
    Require(again.values == file.values && again.present == file.present &&
                again.hardwareType == file.hardwareType &&
                again.firmwareVersion == file.firmwareVersion,
            "a file written and read back is the same");
    return 0;
}
