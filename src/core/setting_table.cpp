#include "core/setting_table.h"

#include <cctype>
#include <cstdio>
#include <type_traits>

#include "core/controller_constants.h"
#include "text/angle.h"
#include "text/twos_complement.h"

namespace axistune {

namespace {

constexpr int64_t kU8 = 0xFF;
constexpr int64_t kU16 = 0xFFFF;
constexpr int64_t kU32 = 0xFFFFFFFFll;
constexpr int64_t kUnitsPerDegree = 86400;

using F = SettingFormat;
using R = SettingRequest;
using G = SettingGroup;
using B = SettingBits;

template <typename T>
T Narrow(int64_t value) {
    return static_cast<T>(value);
}

// The record's field, read and written whole.
#define FIELD(member)                                                \
    [](const ControllerSettings& s) -> int64_t { return s.member; }, \
        [](ControllerSettings& s, int64_t v) {                       \
            s.member = Narrow<std::decay_t<decltype(s.member)>>(v);  \
        }
// A flag kept as `bit` of the record's byte.
#define FLAG(member, bit)                                                                   \
    [](const ControllerSettings& s) -> int64_t { return (s.member & (bit)) != 0; },         \
        [](ControllerSettings& s, int64_t v) {                                              \
            s.member = static_cast<uint8_t>(v != 0 ? s.member | (bit) : s.member & ~(bit)); \
        }
// The window keeps and sends the low 16 bits of the record's 32-bit speed.
#define SPEED(member)                                                          \
    [](const ControllerSettings& s) -> int64_t { return s.member & 0xFFFFu; }, \
        [](ControllerSettings& s, int64_t v) { s.member = static_cast<uint32_t>(v & kU16); }
// Advanced settings also travel as their field of the advanced record.
#define ADVANCED_FIELD(member)                                  \
    [](AdvancedSettings& a, int64_t v) {                        \
        a.member = Narrow<std::decay_t<decltype(a.member)>>(v); \
    },                                                          \
        [](const AdvancedSettings& a) -> int64_t { return a.member; }
#define ADVANCED(member) FIELD(member), ADVANCED_FIELD(member)

struct Request {
    R request;
    B held;
    B argument;
    uint8_t selector;
    uint8_t slot;
    uint32_t bit;
};

SettingInfo Entry(SettingId id, G group, const char* key, const char* label, const char* unit,
                  F format, int64_t minimum, int64_t maximum, Request sent,
                  int64_t (*read)(const ControllerSettings&),
                  void (*write)(ControllerSettings&, int64_t),
                  void (*toAdvanced)(AdvancedSettings&, int64_t) = nullptr,
                  int64_t (*fromAdvanced)(const AdvancedSettings&) = nullptr,
                  SettingId needs = kSettingCount) {
    return SettingInfo{id,       group,      key,           label,         unit,
                       format,   minimum,    maximum,       sent.request,  read,
                       write,    sent.held,  sent.argument, sent.selector, sent.slot,
                       sent.bit, toAdvanced, fromAdvanced,  needs};
}

constexpr Request kReadOnly{R::kNone, B::kNone, B::kNone, 0, 0, 0};
constexpr Request Pair(R request, B bits, uint8_t slot) {
    return {request, bits, bits, 0, slot, 0};
}
constexpr Request Reversal(uint8_t mask, uint8_t axisBit) {
    return {R::kReverseFlags, B::kNone, B::kMaskBit, 0, mask, axisBit};
}
constexpr Request Selected(R request, B held, B argument, uint8_t selector) {
    return {request, held, argument, selector, 0, 0};
}
constexpr Request Advanced(uint32_t changedBit) {
    return {R::kAdvanced, B::kNone, B::kAdvancedField, 0, 0, changedBit};
}

constexpr uint8_t kRotationMask = 0;
constexpr uint8_t kGuidingMask = 1;
constexpr uint8_t kLimitsMask = 2;

// Decay positions and guiding rates are limited to what the window's trackbars offer; every
// other value to the width its request carries (a signed byte for the overtone).
#define AXIS_ENTRIES(P, p, axis, slot, reverseBit, featureByte)                                    \
    t[k##P##ReverseRotation] = Entry(                                                              \
        k##P##ReverseRotation, group, "reverse_rotation", "Reverse rotation", "", F::kBoolean, 0,  \
        1, Reversal(kRotationMask, reverseBit), FLAG(reverseRotation, reverseBit));                \
    t[k##P##ReverseGuiding] = Entry(                                                               \
        k##P##ReverseGuiding, group, "reverse_guiding", "Reverse autoguiding", "", F::kBoolean, 0, \
        1, Reversal(kGuidingMask, reverseBit), FLAG(reverseGuiding, reverseBit));                  \
    t[k##P##ReverseLimits] =                                                                       \
        Entry(k##P##ReverseLimits, group, "reverse_limit_switches", "Reverse limit switches", "",  \
              F::kBoolean, 0, 1, Reversal(kLimitsMask, reverseBit),                                \
              FLAG(reverseLimits, reverseBit), nullptr, nullptr, k##P##LimitSwitches);             \
    t[k##P##MaxSpeed] = Entry(k##P##MaxSpeed, group, "max_speed", "Max speed", "", F::kInteger, 0, \
                              kU16, Pair(R::kMaxSpeed, B::kLow16, slot), SPEED(p##MaxSpeed));      \
    t[k##P##Acceleration] =                                                                        \
        Entry(k##P##Acceleration, group, "acceleration", "Acceleration", "", F::kInteger, 0, kU8,  \
              Pair(R::kAcceleration, B::kLow8, slot), FIELD(p##Acceleration));                     \
    t[k##P##Deceleration] =                                                                        \
        Entry(k##P##Deceleration, group, "deceleration", "Deceleration", "", F::kInteger, 0, kU8,  \
              Pair(R::kDeceleration, B::kLow8, slot), FIELD(p##Deceleration));                     \
    t[k##P##MaxCurrent] = Entry(k##P##MaxCurrent, group, "max_current_mA", "Max current", "mA",    \
                                F::kInteger, 0, kU16, kReadOnly, FIELD(p##MaxCurrent));            \
    t[k##P##IdleCurrent] =                                                                         \
        Entry(k##P##IdleCurrent, group, "idle_current_mA", "Idle current", "mA", F::kInteger, 0,   \
              kU16, Selected(R::kCurrent, B::kLow16, B::kLow16, axis + kCurrentIdle),              \
              FIELD(p##Current[kCurrentIdle]));                                                    \
    t[k##P##TrackCurrent] =                                                                        \
        Entry(k##P##TrackCurrent, group, "track_current_mA", "Track current", "mA", F::kInteger,   \
              0, kU16, Selected(R::kCurrent, B::kLow16, B::kLow16, axis + kCurrentTrack),          \
              FIELD(p##Current[kCurrentTrack]));                                                   \
    t[k##P##RunCurrent] =                                                                          \
        Entry(k##P##RunCurrent, group, "run_current_mA", "Run current", "mA", F::kInteger, 0,      \
              kU16, Selected(R::kCurrent, B::kLow16, B::kLow16, axis + kCurrentRun),               \
              FIELD(p##Current[kCurrentRun]));                                                     \
    t[k##P##IdleDecay] =                                                                           \
        Entry(k##P##IdleDecay, group, "idle_decay", "Idle decay", "", F::kInteger, 0, 3,           \
              Selected(R::kDecay, B::kLow8, B::kLow8, axis + kCurrentIdle),                        \
              FIELD(p##Decay[kCurrentIdle]));                                                      \
    t[k##P##TrackDecay] =                                                                          \
        Entry(k##P##TrackDecay, group, "track_decay", "Track decay", "", F::kInteger, 0, 3,        \
              Selected(R::kDecay, B::kLow8, B::kLow8, axis + kCurrentTrack),                       \
              FIELD(p##Decay[kCurrentTrack]));                                                     \
    t[k##P##RunDecay] = Entry(k##P##RunDecay, group, "run_decay", "Run decay", "", F::kInteger, 0, \
                              3, Selected(R::kDecay, B::kLow8, B::kLow8, axis + kCurrentRun),      \
                              FIELD(p##Decay[kCurrentRun]));                                       \
    t[k##P##Overtone] =                                                                            \
        Entry(k##P##Overtone, group, "overtone", "3rd. overtone", "", F::kInteger, -128, 127,      \
              Selected(R::kOvertone, B::kSignedLow16, B::kTwosComplementLow8, axis),               \
              FIELD(p##Overtone));                                                                 \
    t[k##P##IncreaseCurrentAt] =                                                                   \
        Entry(k##P##IncreaseCurrentAt, group, "increase_current_at", "Inc. current at", "",        \
              F::kInteger, 0, kU16, Selected(R::kIncreaseCurrent, B::kLow16, B::kLow16, axis),     \
              FIELD(p##IncCurrentAt));                                                             \
    t[k##P##GuidingRate] = Entry(k##P##GuidingRate, group, "guiding_rate", "Guiding corrections",  \
                                 "", F::kGuidingFraction, 1, 16,                                   \
                                 Pair(R::kGuidingRates, B::kLow8, slot), FIELD(p##GuidingRate));   \
    t[k##P##LimitSwitches] =                                                                       \
        Entry(k##P##LimitSwitches, group, "has_limit_switches", "Limit switches present", "",      \
              F::kBoolean, 0, 1, kReadOnly, FLAG(featureByte, kFeatureLimitSwitches))

std::array<SettingInfo, kSettingCount> MakeTable() {
    std::array<SettingInfo, kSettingCount> t{};
    {
        const G group = G::kRa;
        AXIS_ENTRIES(Ra, ra, kAxisRa, 0, kReverseRa, features);
    }
    {
        const G group = G::kDec;
        AXIS_ENTRIES(Dec, dec, kAxisDec, 1, kReverseDec, decFeatures);
    }
    t[kRaGearRatio] = Entry(kRaGearRatio, G::kGear, "ra_ratio", "RA gear ratio", "", F::kInteger, 1,
                            kU32, Pair(R::kGearRatios, B::kWhole32, 0), FIELD(raGearRatio));
    t[kDecGearRatio] =
        Entry(kDecGearRatio, G::kGear, "dec_ratio", "Dec gear ratio", "", F::kInteger, 1, kU32,
              Pair(R::kGearRatios, B::kWhole32, 1), FIELD(decGearRatio));
    t[kLatitude] =
        Entry(kLatitude, G::kSite, "latitude", "Latitude", "", F::kLatitude, -90 * kUnitsPerDegree,
              90 * kUnitsPerDegree, Advanced(kChangedLatitude), ADVANCED(latitude));
    t[kLongitude] = Entry(kLongitude, G::kSite, "longitude", "Longitude", "", F::kLongitude,
                          -180 * kUnitsPerDegree, 180 * kUnitsPerDegree,
                          Advanced(kChangedLongitude), ADVANCED(longitude));
    t[kHemisphere] = Entry(kHemisphere, G::kSite, "hemisphere", "Hemisphere", "", F::kHemisphere, 0,
                           1, Advanced(kChangedHemisphere), ADVANCED(hemisphere));
    t[kMountTypeSetting] =
        Entry(kMountTypeSetting, G::kSite, "mount_type", "Mount type", "", F::kMountType, 0, 2,
              Advanced(kChangedMountType), ADVANCED(mountType));
    t[kFlipHysteresis] =
        Entry(kFlipHysteresis, G::kSite, "flip_hysteresis_deg", "Meridian flip hysteresis", "deg",
              F::kInteger, 0, kU8, Advanced(kChangedFlipHysteresis), ADVANCED(flipHysteresis));
    // Any byte but 0 switches closed-loop tracking on.
    t[kClosedLoop] = Entry(
        kClosedLoop, G::kSite, "closed_loop", "Closed-loop tracking", "", F::kBoolean, 0, 1,
        Advanced(kChangedClosedLoop),
        [](const ControllerSettings& s) -> int64_t { return s.closedLoopDefault != 0; },
        [](ControllerSettings& s, int64_t v) { s.closedLoopDefault = Narrow<uint8_t>(v); },
        ADVANCED_FIELD(closedLoopDefault));
    t[kClosedLoopAvailable] = Entry(kClosedLoopAvailable, G::kSite, "closed_loop_available",
                                    "Closed-loop tracking available", "", F::kBoolean, 0, 1,
                                    kReadOnly, FLAG(features, kFeatureClosedLoop));
    return t;
}

#undef AXIS_ENTRIES
#undef ADVANCED
#undef ADVANCED_FIELD
#undef SPEED
#undef FLAG
#undef FIELD

const std::array<SettingInfo, kSettingCount> kTable = MakeTable();

const char* const kMountWords[] = {"german-equatorial", "fork", "alt-azimuth"};
const char* const kHemisphereWords[] = {"north", "south"};

// The settings file writes and reads angles in the strict form of the text helpers.
std::string FormatAngle(int64_t angle, int32_t kind) {
    char text[kAngleTextCapacity];
    // Angles come from the record's 32-bit fields, or from a file within their range.
    TextAppendAngleAs(text, sizeof text, 0, AsSigned32(static_cast<uint32_t>(angle)), kind,
                      AngleForm::kStrict);
    return text;
}

bool ReadDigits(const std::string& text, size_t& at, size_t minDigits, size_t maxDigits,
                int64_t* value) {
    size_t count = 0;
    int64_t result = 0;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) != 0 &&
           count < maxDigits) {
        result = result * 10 + (text[at] - '0');
        ++at;
        ++count;
    }
    *value = result;
    return count >= minDigits;
}

bool ParseAngle(const std::string& text, int32_t kind, int64_t* value, std::string* reason) {
    int32_t angle = 0;
    const AngleRefusal refusal =
        text.size() > UINT32_MAX ? AngleRefusal::kNotTheForm
                                 : TextReadAngleAs(text.data(), static_cast<uint32_t>(text.size()),
                                                   0, &angle, kind, AngleForm::kStrict);
    if (refusal != AngleRefusal::kNone) {
        char why[kAngleRefusalCapacity];
        TextAppendAngleRefusal(why, sizeof why, 0, refusal, kind);
        *reason = why;
        return false;
    }
    *value = angle;
    return true;
}

bool ParseWord(const std::string& text, const char* const* words, size_t count, int64_t* value,
               std::string* reason) {
    std::string allowed;
    for (size_t i = 0; i < count; ++i) {
        if (text == words[i]) {
            *value = static_cast<int64_t>(i);
            return true;
        }
        allowed += (i == 0 ? "\"" : ", \"") + std::string(words[i]) + "\"";
    }
    *reason = "expected one of " + allowed;
    return false;
}

bool ParseFraction(const std::string& text, int64_t* value, std::string* reason) {
    size_t at = 0;
    int64_t numerator = 0;
    int64_t denominator = 0;
    if (!ReadDigits(text, at, 1, 2, &numerator) || at >= text.size() || text[at++] != '/' ||
        !ReadDigits(text, at, 1, 2, &denominator) || at != text.size() || denominator == 0 ||
        16 % denominator != 0) {
        *reason = "expected sixteenths of the sidereal speed such as \"8/16\" (or 1/2, 1/4, 1/8)";
        return false;
    }
    *value = numerator * (16 / denominator);
    return true;
}

}  // namespace

const std::array<SettingInfo, kSettingCount>& SettingTable() {
    return kTable;
}

const SettingInfo& Setting(SettingId id) {
    return kTable[id];
}

const char* GroupKey(SettingGroup group) {
    switch (group) {
        case G::kRa:
            return "ra";
        case G::kDec:
            return "dec";
        case G::kGear:
            return "gear";
        case G::kSite:
            return "site";
    }
    return "";
}

std::string QualifiedName(const SettingInfo& info) {
    return std::string(GroupKey(info.group)) + "." + info.key;
}

SettingSelection GroupSelection(SettingGroup group) {
    SettingSelection selection;
    for (const SettingInfo& info : kTable) {
        selection[info.id] = info.group == group;
    }
    return selection;
}

SettingValues ReadSettings(const ControllerSettings& settings) {
    SettingValues values{};
    for (const SettingInfo& info : kTable) {
        values[info.id] = info.read(settings);
    }
    return values;
}

void WriteSettings(const SettingValues& values, ControllerSettings* settings) {
    for (const SettingInfo& info : kTable) {
        info.write(*settings, values[info.id]);
    }
}

SettingValues ReadAdvanced(const AdvancedSettings& advanced) {
    SettingValues values{};
    for (const SettingInfo& info : kTable) {
        if (info.fromAdvanced != nullptr) {
            values[info.id] = info.fromAdvanced(advanced);
        }
    }
    return values;
}

int64_t HeldValue(const SettingInfo& info, int64_t entry) {
    const uint64_t bits = static_cast<uint64_t>(entry);
    switch (info.held) {
        case B::kLow8:
            return static_cast<int64_t>(bits & 0xFFu);
        case B::kLow16:
            return static_cast<int64_t>(bits & 0xFFFFu);
        case B::kSignedLow16: {
            const int64_t low = static_cast<int64_t>(bits & 0xFFFFu);
            return low <= 0x7FFF ? low : low - 0x10000;
        }
        case B::kWhole32:
            return static_cast<int64_t>(bits & 0xFFFFFFFFu);
        default:
            return entry;
    }
}

bool Writable(const SettingInfo& info, const SettingValues& controller) {
    return !info.ReadOnly() && (info.needs == kSettingCount || controller[info.needs] != 0);
}

uint32_t AdvancedChangeBit(SettingId id) {
    return kTable[id].request == R::kAdvanced ? kTable[id].bit : 0;
}

std::string FormatValue(const SettingInfo& info, int64_t value) {
    switch (info.format) {
        case F::kBoolean:
            return value != 0 ? "true" : "false";
        case F::kGuidingFraction:
            return std::to_string(value) + "/16";
        case F::kLatitude:
            return FormatAngle(value, kAngleLatitude);
        case F::kLongitude:
            return FormatAngle(value, kAngleLongitude);
        case F::kHemisphere:
            return value >= 0 && value <= 1 ? kHemisphereWords[value] : std::to_string(value);
        case F::kMountType:
            return value >= 0 && value <= 2 ? kMountWords[value] : std::to_string(value);
        case F::kInteger:
            break;
    }
    return std::to_string(value);
}

std::string FormatValueWithUnit(const SettingInfo& info, int64_t value) {
    std::string text = FormatValue(info, value);
    if (info.unit[0] != '\0') {
        text += std::string(" ") + info.unit;
    }
    return text;
}

bool ParseText(const SettingInfo& info, const std::string& text, int64_t* value,
               std::string* reason) {
    switch (info.format) {
        case F::kGuidingFraction:
            return ParseFraction(text, value, reason);
        case F::kLatitude:
            return ParseAngle(text, kAngleLatitude, value, reason);
        case F::kLongitude:
            return ParseAngle(text, kAngleLongitude, value, reason);
        case F::kHemisphere:
            return ParseWord(text, kHemisphereWords, 2, value, reason);
        case F::kMountType:
            return ParseWord(text, kMountWords, 3, value, reason);
        case F::kBoolean:
        case F::kInteger:
            break;
    }
    *reason = "expected a number, not text";
    return false;
}

std::string DescribeRange(const SettingInfo& info) {
    switch (info.format) {
        case F::kBoolean:
            return "true or false";
        case F::kGuidingFraction:
            return "1/16 to 16/16";
        case F::kLatitude:
            return "S 90:00:00 to N 90:00:00";
        case F::kLongitude:
            return "W 180:00:00 to E 180:00:00";
        case F::kHemisphere:
            return "\"north\" or \"south\"";
        case F::kMountType:
            return "\"german-equatorial\", \"fork\" or \"alt-azimuth\"";
        case F::kInteger:
            break;
    }
    return std::to_string(info.minimum) + " to " + std::to_string(info.maximum);
}

}  // namespace axistune
