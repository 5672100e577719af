#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/advanced_settings.h"
#include "core/controller_settings.h"
#include "core/i_telescope_control.h"

namespace axistune {

// Every setting the main window shows, by a stable name, in the window's own units, with the
// range that the request setting it can carry and the request the window sends for it. Front
// ends without a window (the command line) read, compare and write settings only through this
// table, so that they send exactly what the window would.

enum class SettingGroup { kRa, kDec, kGear, kSite };

// How a value is written for people; every value is held as an integer.
enum class SettingFormat {
    kInteger,
    kBoolean,
    kGuidingFraction,  // sixteenths of the sidereal speed: "8/16"
    kLatitude,         // 1/86400 degree, written "N 47:30:00"
    kLongitude,        // written "E 8:32:00"
    kHemisphere,       // "north", "south"
    kMountType,        // "german-equatorial", "fork", "alt-azimuth"
};

enum class SettingRequest {
    kNone,  // read-only
    kReverseFlags,
    kMaxSpeed,
    kAcceleration,
    kDeceleration,
    kCurrent,
    kDecay,
    kOvertone,
    kIncreaseCurrent,
    kGuidingRates,
    kGearRatios,
    kAdvanced,
};

enum SettingId : size_t {
    kRaReverseRotation,
    kRaReverseGuiding,
    kRaReverseLimits,
    kRaMaxSpeed,
    kRaAcceleration,
    kRaDeceleration,
    kRaMaxCurrent,
    kRaIdleCurrent,
    kRaTrackCurrent,
    kRaRunCurrent,
    kRaIdleDecay,
    kRaTrackDecay,
    kRaRunDecay,
    kRaOvertone,
    kRaIncreaseCurrentAt,
    kRaGuidingRate,
    kRaLimitSwitches,
    kDecReverseRotation,
    kDecReverseGuiding,
    kDecReverseLimits,
    kDecMaxSpeed,
    kDecAcceleration,
    kDecDeceleration,
    kDecMaxCurrent,
    kDecIdleCurrent,
    kDecTrackCurrent,
    kDecRunCurrent,
    kDecIdleDecay,
    kDecTrackDecay,
    kDecRunDecay,
    kDecOvertone,
    kDecIncreaseCurrentAt,
    kDecGuidingRate,
    kDecLimitSwitches,
    kRaGearRatio,
    kDecGearRatio,
    kLatitude,
    kLongitude,
    kHemisphere,
    kMountTypeSetting,
    kFlipHysteresis,
    kClosedLoop,
    kClosedLoopAvailable,
    kSettingCount
};

// How a value is held: the window keeps every entry in the width of the value that holds it,
// and a request carries its argument in the width the request takes.
enum class SettingBits {
    kNone,
    kLow8,
    kLow16,
    kSignedLow16,
    kTwosComplementLow8,  // a signed value's low byte
    kWhole32,
    kMaskBit,  // a flag sent as `bit` of a shared mask
    kAdvancedField,
};

struct SettingInfo {
    SettingId id;
    SettingGroup group;
    const char* key;    // within its group: "idle_current_mA"
    const char* label;  // as the window labels it: "Idle current"
    const char* unit;   // "mA", "deg" or ""
    SettingFormat format;
    int64_t minimum;
    int64_t maximum;
    SettingRequest request;  // kNone: read-only, recorded and compared, never written

    // Where it lives in the controller's record.
    int64_t (*read)(const ControllerSettings&);
    void (*write)(ControllerSettings&, int64_t);

    // How the request carries it. Settings with the same request and selector share one request
    // (both axes' speeds, the three reversal masks, ...); `slot` is this one's argument there.
    SettingBits held;      // the window's width for an entry: "300" typed as overtone stays 300
    SettingBits argument;  // the request's width
    uint8_t selector;      // currents, decays: axis code + row; overtone, current increase: axis
    uint8_t slot;          // argument: 0 RA (rotation mask), 1 Dec (guiding mask), 2 limits mask
    uint32_t bit;          // reversal: the axis's bit in its mask; advanced: its `changed` bit
    // Advanced settings travel as their field of the advanced record.
    void (*toAdvanced)(AdvancedSettings&, int64_t);
    int64_t (*fromAdvanced)(const AdvancedSettings&);
    // Writable only where `needs` is true (reversing limit switches needs limit switches).
    SettingId needs;  // kSettingCount: always

    bool ReadOnly() const { return request == SettingRequest::kNone; }
};

using SettingValues = std::array<int64_t, kSettingCount>;
using SettingSelection = std::bitset<kSettingCount>;

const std::array<SettingInfo, kSettingCount>& SettingTable();
const SettingInfo& Setting(SettingId id);
const char* GroupKey(SettingGroup group);  // "ra", "dec", "gear", "site"
// "ra.idle_current_mA"
std::string QualifiedName(const SettingInfo& info);
SettingSelection GroupSelection(SettingGroup group);

// The values in the window's units, as the window reads them from the record.
SettingValues ReadSettings(const ControllerSettings& settings);
// Puts the values back where ReadSettings took them from.
void WriteSettings(const SettingValues& values, ControllerSettings* settings);
// The values the advanced record holds (the advanced settings only; others stay 0).
SettingValues ReadAdvanced(const AdvancedSettings& advanced);

// The value as the window keeps an entry for the setting ("300" typed as overtone stays 300, as
// acceleration becomes 44).
int64_t HeldValue(const SettingInfo& info, int64_t entry);
// Whether this controller lets the setting change (the window enables its control).
bool Writable(const SettingInfo& info, const SettingValues& controller);
// The `changed` bit of an advanced setting.
uint32_t AdvancedChangeBit(SettingId id);

// The value as the file and the console show it ("N 47:30:00", "8/16", "true", "600").
std::string FormatValue(const SettingInfo& info, int64_t value);
// The value with its unit, for people ("600 mA").
std::string FormatValueWithUnit(const SettingInfo& info, int64_t value);
// Reads the text forms of FormatValue (not the plain integers). False with a reason.
bool ParseText(const SettingInfo& info, const std::string& text, int64_t* value,
               std::string* reason);
// The range in words ("0 to 255", "1/16 to 16/16").
std::string DescribeRange(const SettingInfo& info);

// One window request with its arguments and the settings it carries.
struct PlannedRequest {
    SettingRequest request = SettingRequest::kNone;
    uint8_t selector = 0;  // current, decay, overtone, current increase: selector or axis byte
    uint32_t first = 0;
    uint32_t second = 0;
    uint32_t third = 0;
    AdvancedSettings advanced{};
    std::vector<SettingId> carries;  // the selected settings whose value this request changes
};

// The request that sets `id` to values[id], its partners in a shared request (the other axis,
// the other reversal masks) taken from `values`; an advanced request flags only `id` as changed.
// `features` is the controller's feature byte, copied into the advanced record as the window does.
PlannedRequest BuildRequest(SettingId id, const SettingValues& values, uint8_t features);
// Whether the setting's change travels in `request` (the same request and selector).
bool SharesRequest(const PlannedRequest& request, SettingId id);

// The requests that bring the controller from `current` to `target` for the selected settings
// that differ, in the window's argument form: requests that carry two values (both axes' speed,
// the three reversal masks, both gear ratios) take the unselected or unchanged ones from
// `current`, and the advanced settings send only the groups that changed. `features` is the
// controller's feature byte, copied into the advanced record as the window does.
std::vector<PlannedRequest> PlanRequests(const SettingValues& current, const SettingValues& target,
                                         const SettingSelection& selected, uint8_t features);
void SendRequest(const PlannedRequest& planned, iTelescopeControl& engine);
// "SetCurrent(0x80, 500)", for traces and dry runs.
std::string DescribeRequest(const PlannedRequest& planned);

}  // namespace axistune
