#include "core/setting_table.h"

#include <cctype>
#include <cstdio>

#include "core/controller_constants.h"

namespace axistune {

namespace {

constexpr int64_t kU8 = 0xFF;
constexpr int64_t kU16 = 0xFFFF;
constexpr int64_t kU32 = 0xFFFFFFFFll;
constexpr int64_t kUnitsPerDegree = 86400;
constexpr int64_t kUnitsPerMinute = 1440;
constexpr int64_t kUnitsPerSecond = 24;

using F = SettingFormat;
using R = SettingRequest;
using G = SettingGroup;

// Decay positions and guiding rates are limited to what the window's trackbars offer; every
// other value to the width its request carries (a signed byte for the overtone).
#define AXIS_SETTINGS(P, GROUP)                                                                      \
    {k##P##ReverseRotation, GROUP, "reverse_rotation", "Reverse rotation", "", F::kBoolean, 0, 1,    \
     R::kReverseFlags},                                                                              \
        {k##P##ReverseGuiding,                                                                       \
         GROUP,                                                                                      \
         "reverse_guiding",                                                                          \
         "Reverse autoguiding",                                                                      \
         "",                                                                                         \
         F::kBoolean,                                                                                \
         0,                                                                                          \
         1,                                                                                          \
         R::kReverseFlags},                                                                          \
        {k##P##ReverseLimits,                                                                        \
         GROUP,                                                                                      \
         "reverse_limit_switches",                                                                   \
         "Reverse limit switches",                                                                   \
         "",                                                                                         \
         F::kBoolean,                                                                                \
         0,                                                                                          \
         1,                                                                                          \
         R::kReverseFlags},                                                                          \
        {k##P##MaxSpeed, GROUP, "max_speed", "Max speed", "", F::kInteger, 0, kU16, R::kMaxSpeed},   \
        {k##P##Acceleration, GROUP, "acceleration", "Acceleration", "", F::kInteger, 0, kU8,         \
         R::kAcceleration},                                                                          \
        {k##P##Deceleration, GROUP, "deceleration", "Deceleration", "", F::kInteger, 0, kU8,         \
         R::kDeceleration},                                                                          \
        {k##P##MaxCurrent, GROUP, "max_current_mA", "Max current", "mA", F::kInteger, 0, kU16,       \
         R::kNone},                                                                                  \
        {k##P##IdleCurrent, GROUP, "idle_current_mA", "Idle current", "mA", F::kInteger, 0, kU16,    \
         R::kCurrent},                                                                               \
        {k##P##TrackCurrent, GROUP, "track_current_mA", "Track current", "mA", F::kInteger, 0, kU16, \
         R::kCurrent},                                                                               \
        {k##P##RunCurrent, GROUP, "run_current_mA", "Run current", "mA", F::kInteger, 0, kU16,       \
         R::kCurrent},                                                                               \
        {k##P##IdleDecay, GROUP, "idle_decay", "Idle decay", "", F::kInteger, 0, 3, R::kDecay},      \
        {k##P##TrackDecay, GROUP, "track_decay", "Track decay", "", F::kInteger, 0, 3, R::kDecay},   \
        {k##P##RunDecay, GROUP, "run_decay", "Run decay", "", F::kInteger, 0, 3, R::kDecay},         \
        {k##P##Overtone, GROUP, "overtone", "3rd. overtone", "",                                     \
         F::kInteger,    -128,  127,        R::kOvertone},                                           \
        {k##P##IncreaseCurrentAt,                                                                    \
         GROUP,                                                                                      \
         "increase_current_at",                                                                      \
         "Inc. current at",                                                                          \
         "",                                                                                         \
         F::kInteger,                                                                                \
         0,                                                                                          \
         kU16,                                                                                       \
         R::kIncreaseCurrent},                                                                       \
        {k##P##GuidingRate,                                                                          \
         GROUP,                                                                                      \
         "guiding_rate",                                                                             \
         "Guiding corrections",                                                                      \
         "",                                                                                         \
         F::kGuidingFraction,                                                                        \
         1,                                                                                          \
         16,                                                                                         \
         R::kGuidingRates},                                                                          \
    {                                                                                                \
        k##P##LimitSwitches, GROUP, "has_limit_switches", "Limit switches present", "",              \
            F::kBoolean, 0, 1, R::kNone                                                              \
    }

const std::array<SettingInfo, kSettingCount> kTable = {{
    AXIS_SETTINGS(Ra, G::kRa),
    AXIS_SETTINGS(Dec, G::kDec),
    {kRaGearRatio, G::kGear, "ra_ratio", "RA gear ratio", "", F::kInteger, 1, kU32, R::kGearRatios},
    {kDecGearRatio, G::kGear, "dec_ratio", "Dec gear ratio", "", F::kInteger, 1, kU32,
     R::kGearRatios},
    {kLatitude, G::kSite, "latitude", "Latitude", "", F::kLatitude, -90 * kUnitsPerDegree,
     90 * kUnitsPerDegree, R::kAdvanced},
    {kLongitude, G::kSite, "longitude", "Longitude", "", F::kLongitude, -180 * kUnitsPerDegree,
     180 * kUnitsPerDegree, R::kAdvanced},
    {kHemisphere, G::kSite, "hemisphere", "Hemisphere", "", F::kHemisphere, 0, 1, R::kAdvanced},
    {kMountTypeSetting, G::kSite, "mount_type", "Mount type", "", F::kMountType, 0, 2,
     R::kAdvanced},
    {kFlipHysteresis, G::kSite, "flip_hysteresis_deg", "Meridian flip hysteresis", "deg",
     F::kInteger, 0, kU8, R::kAdvanced},
    {kClosedLoop, G::kSite, "closed_loop", "Closed-loop tracking", "", F::kBoolean, 0, 1,
     R::kAdvanced},
    {kClosedLoopAvailable, G::kSite, "closed_loop_available", "Closed-loop tracking available", "",
     F::kBoolean, 0, 1, R::kNone},
}};

#undef AXIS_SETTINGS

static_assert(kRaReverseRotation == 0 && kDecReverseRotation == kRaLimitSwitches + 1 &&
                  kDecLimitSwitches - kDecReverseRotation == kRaLimitSwitches,
              "both axes' settings have the same layout");

const char* const kMountWords[] = {"german-equatorial", "fork", "alt-azimuth"};
const char* const kHemisphereWords[] = {"north", "south"};

bool Bit(uint8_t mask, uint8_t bit) {
    return (mask & bit) != 0;
}

void ReadAxis(SettingValues& v, size_t first, uint8_t axisBit, const ControllerSettings& s,
              bool ra) {
    v[first + 0] = Bit(s.reverseRotation, axisBit);
    v[first + 1] = Bit(s.reverseGuiding, axisBit);
    v[first + 2] = Bit(s.reverseLimits, axisBit);
    // The window keeps the low 16 bits of the record's 32-bit speed.
    v[first + 3] = (ra ? s.raMaxSpeed : s.decMaxSpeed) & 0xFFFFu;
    v[first + 4] = ra ? s.raAcceleration : s.decAcceleration;
    v[first + 5] = ra ? s.raDeceleration : s.decDeceleration;
    v[first + 6] = ra ? s.raMaxCurrent : s.decMaxCurrent;
    for (size_t slot = 0; slot < 3; ++slot) {
        v[first + 7 + slot] = ra ? s.raCurrent[slot] : s.decCurrent[slot];
        v[first + 10 + slot] = ra ? s.raDecay[slot] : s.decDecay[slot];
    }
    v[first + 13] = ra ? s.raOvertone : s.decOvertone;
    v[first + 14] = ra ? s.raIncCurrentAt : s.decIncCurrentAt;
    v[first + 15] = ra ? s.raGuidingRate : s.decGuidingRate;
    v[first + 16] = Bit(ra ? s.features : s.decFeatures, kFeatureLimitSwitches);
}

std::string FormatAngle(int64_t angle, char positive, char negative) {
    const int64_t magnitude = angle < 0 ? -angle : angle;
    const int64_t degrees = magnitude / kUnitsPerDegree;
    const int64_t minutes = magnitude % kUnitsPerDegree / kUnitsPerMinute;
    const int64_t seconds = magnitude % kUnitsPerMinute / kUnitsPerSecond;
    const int64_t parts = magnitude % kUnitsPerSecond;
    char text[48];
    std::snprintf(text, sizeof text, "%c %lld:%02lld:%02lld", angle < 0 ? negative : positive,
                  static_cast<long long>(degrees), static_cast<long long>(minutes),
                  static_cast<long long>(seconds));
    std::string result = text;
    if (parts != 0) {
        // Units are 1/24 second; three decimals tell every one of them apart.
        std::snprintf(text, sizeof text, ".%03lld", static_cast<long long>(parts * 1000 / 24));
        result += text;
    }
    return result;
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

bool ParseAngle(const std::string& text, char positive, char negative, int64_t* value,
                std::string* reason) {
    const std::string form = std::string("the form \"") + positive + " 47:30:00\" (" + positive +
                             " or " + negative + ", degrees:minutes:seconds)";
    size_t at = 0;
    if (text.empty() || (std::toupper(static_cast<unsigned char>(text[0])) != positive &&
                         std::toupper(static_cast<unsigned char>(text[0])) != negative)) {
        *reason = "expected " + form;
        return false;
    }
    const bool isNegative = std::toupper(static_cast<unsigned char>(text[0])) == negative;
    ++at;
    while (at < text.size() && text[at] == ' ') {
        ++at;
    }
    int64_t degrees = 0;
    int64_t minutes = 0;
    int64_t seconds = 0;
    int64_t fraction = 0;
    size_t fractionDigits = 0;
    bool ok = ReadDigits(text, at, 1, 3, &degrees) && at < text.size() && text[at++] == ':' &&
              ReadDigits(text, at, 2, 2, &minutes) && at < text.size() && text[at++] == ':' &&
              ReadDigits(text, at, 2, 2, &seconds);
    if (ok && at < text.size() && text[at] == '.') {
        ++at;
        const size_t start = at;
        ok = ReadDigits(text, at, 1, 3, &fraction);
        fractionDigits = at - start;
    }
    if (!ok || at != text.size()) {
        *reason = "expected " + form;
        return false;
    }
    if (minutes > 59 || seconds > 59) {
        *reason = "minutes and seconds must be 00 to 59";
        return false;
    }
    while (fractionDigits < 3) {
        fraction *= 10;
        ++fractionDigits;
    }
    const int64_t parts = (fraction * 24 + 500) / 1000;
    const int64_t magnitude =
        degrees * kUnitsPerDegree + minutes * kUnitsPerMinute + seconds * kUnitsPerSecond + parts;
    *value = isNegative ? -magnitude : magnitude;
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

uint8_t Mask(const SettingValues& v, SettingId ra, SettingId dec) {
    return static_cast<uint8_t>((v[ra] != 0 ? kReverseRa : 0) | (v[dec] != 0 ? kReverseDec : 0));
}

uint32_t U32(int64_t value) {
    return static_cast<uint32_t>(static_cast<uint64_t>(value) & 0xFFFFFFFFu);
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

SettingValues ReadSettings(const ControllerSettings& s) {
    SettingValues v{};
    ReadAxis(v, kRaReverseRotation, kReverseRa, s, true);
    ReadAxis(v, kDecReverseRotation, kReverseDec, s, false);
    v[kRaGearRatio] = s.raGearRatio;
    v[kDecGearRatio] = s.decGearRatio;
    v[kLatitude] = s.latitude;
    v[kLongitude] = s.longitude;
    v[kHemisphere] = s.hemisphere;
    v[kMountTypeSetting] = s.mountType;
    v[kFlipHysteresis] = s.flipHysteresis;
    v[kClosedLoop] = s.closedLoopDefault != 0;
    v[kClosedLoopAvailable] = Bit(s.features, kFeatureClosedLoop);
    return v;
}

std::string FormatValue(const SettingInfo& info, int64_t value) {
    switch (info.format) {
        case F::kBoolean:
            return value != 0 ? "true" : "false";
        case F::kGuidingFraction:
            return std::to_string(value) + "/16";
        case F::kLatitude:
            return FormatAngle(value, 'N', 'S');
        case F::kLongitude:
            return FormatAngle(value, 'E', 'W');
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
            return ParseAngle(text, 'N', 'S', value, reason);
        case F::kLongitude:
            return ParseAngle(text, 'E', 'W', value, reason);
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

std::vector<PlannedRequest> PlanRequests(const SettingValues& current, const SettingValues& target,
                                         const SettingSelection& selected, uint8_t features) {
    SettingValues wanted = current;
    SettingSelection changed;
    for (const SettingInfo& info : kTable) {
        if (selected[info.id] && !info.ReadOnly() && target[info.id] != current[info.id]) {
            wanted[info.id] = target[info.id];
            changed[info.id] = true;
        }
    }
    std::vector<PlannedRequest> plan;
    auto add = [&](SettingRequest request, std::initializer_list<SettingId> ids, uint8_t selector,
                   uint32_t first, uint32_t second, uint32_t third) {
        PlannedRequest p;
        for (SettingId id : ids) {
            if (changed[id]) {
                p.carries.push_back(id);
            }
        }
        if (p.carries.empty()) {
            return;
        }
        p.request = request;
        p.selector = selector;
        p.first = first;
        p.second = second;
        p.third = third;
        plan.push_back(p);
    };
    const SettingValues& w = wanted;
    add(R::kReverseFlags,
        {kRaReverseRotation, kDecReverseRotation, kRaReverseGuiding, kDecReverseGuiding,
         kRaReverseLimits, kDecReverseLimits},
        0, Mask(w, kRaReverseRotation, kDecReverseRotation),
        Mask(w, kRaReverseGuiding, kDecReverseGuiding),
        Mask(w, kRaReverseLimits, kDecReverseLimits));
    add(R::kMaxSpeed, {kRaMaxSpeed, kDecMaxSpeed}, 0, U32(w[kRaMaxSpeed]), U32(w[kDecMaxSpeed]), 0);
    add(R::kAcceleration, {kRaAcceleration, kDecAcceleration}, 0, U32(w[kRaAcceleration]),
        U32(w[kDecAcceleration]), 0);
    add(R::kDeceleration, {kRaDeceleration, kDecDeceleration}, 0, U32(w[kRaDeceleration]),
        U32(w[kDecDeceleration]), 0);
    // Per-axis settings lie at the same offsets from each axis's first one (RA's is 0).
    const struct {
        uint8_t axis;
        SettingId first;
    } axes[2] = {{kAxisRa, kRaReverseRotation}, {kAxisDec, kDecReverseRotation}};
    for (const auto& axis : axes) {
        for (size_t slot = 0; slot < 3; ++slot) {
            const SettingId id = static_cast<SettingId>(axis.first + kRaIdleCurrent + slot);
            add(R::kCurrent, {id}, static_cast<uint8_t>(axis.axis + slot), U32(w[id]), 0, 0);
        }
    }
    for (const auto& axis : axes) {
        for (size_t slot = 0; slot < 3; ++slot) {
            const SettingId id = static_cast<SettingId>(axis.first + kRaIdleDecay + slot);
            add(R::kDecay, {id}, static_cast<uint8_t>(axis.axis + slot), U32(w[id]), 0, 0);
        }
    }
    for (const auto& axis : axes) {
        const SettingId id = static_cast<SettingId>(axis.first + kRaOvertone);
        add(R::kOvertone, {id}, axis.axis, U32(w[id]) & 0xFFu, 0, 0);
    }
    for (const auto& axis : axes) {
        const SettingId id = static_cast<SettingId>(axis.first + kRaIncreaseCurrentAt);
        add(R::kIncreaseCurrent, {id}, axis.axis, U32(w[id]), U32(w[id]), 0);
    }
    add(R::kGuidingRates, {kRaGuidingRate, kDecGuidingRate}, 0, U32(w[kRaGuidingRate]),
        U32(w[kDecGuidingRate]), 0);
    add(R::kGearRatios, {kRaGearRatio, kDecGearRatio}, 0, U32(w[kRaGearRatio]),
        U32(w[kDecGearRatio]), 0);

    const size_t before = plan.size();
    add(R::kAdvanced,
        {kLatitude, kLongitude, kHemisphere, kMountTypeSetting, kFlipHysteresis, kClosedLoop}, 0, 0,
        0, 0);
    if (plan.size() > before) {
        AdvancedSettings& a = plan.back().advanced;
        a.features = features;
        a.mountType = static_cast<uint8_t>(w[kMountTypeSetting]);
        a.latitude = static_cast<int32_t>(w[kLatitude]);
        a.longitude = static_cast<int32_t>(w[kLongitude]);
        a.hemisphere = static_cast<uint8_t>(w[kHemisphere]);
        a.closedLoopDefault = static_cast<uint8_t>(w[kClosedLoop]);
        a.flipHysteresis = static_cast<uint8_t>(w[kFlipHysteresis]);
        a.changed = (changed[kLatitude] ? kChangedLatitude : 0u) |
                    (changed[kLongitude] ? kChangedLongitude : 0u) |
                    (changed[kHemisphere] ? kChangedHemisphere : 0u) |
                    (changed[kMountTypeSetting] ? kChangedMountType : 0u) |
                    (changed[kFlipHysteresis] ? kChangedFlipHysteresis : 0u) |
                    (changed[kClosedLoop] ? kChangedClosedLoop : 0u);
    }
    return plan;
}

void SendRequest(const PlannedRequest& p, iTelescopeControl& engine) {
    const auto u8 = [](uint32_t v) { return static_cast<uint8_t>(v & 0xFFu); };
    const auto u16 = [](uint32_t v) { return static_cast<uint16_t>(v & 0xFFFFu); };
    switch (p.request) {
        case R::kReverseFlags:
            engine.SetReverseFlags(u8(p.first), u8(p.second), u8(p.third));
            break;
        case R::kMaxSpeed:
            engine.SetMaxSpeed(u16(p.first), u16(p.second));
            break;
        case R::kAcceleration:
            engine.SetAcceleration(u8(p.first), u8(p.second));
            break;
        case R::kDeceleration:
            engine.SetDeceleration(u8(p.first), u8(p.second));
            break;
        case R::kCurrent:
            engine.SetCurrent(p.selector, u16(p.first));
            break;
        case R::kDecay:
            engine.SetDecay(p.selector, u8(p.first));
            break;
        case R::kOvertone:
            engine.SetOvertone(p.selector, u8(p.first));
            break;
        case R::kIncreaseCurrent:
            engine.SetIncreaseCurrentAt(p.selector, u16(p.first), u16(p.second));
            break;
        case R::kGuidingRates:
            engine.SetGuidingRates(u8(p.first), u8(p.second));
            break;
        case R::kGearRatios:
            engine.SetGearRatios(p.first, p.second);
            break;
        case R::kAdvanced:
            engine.ApplyAdvanced(p.advanced);
            break;
        case R::kNone:
            break;
    }
}

std::string DescribeRequest(const PlannedRequest& p) {
    char text[160];
    switch (p.request) {
        case R::kReverseFlags:
            std::snprintf(text, sizeof text, "SetReverseFlags(%u, %u, %u)", p.first, p.second,
                          p.third);
            break;
        case R::kMaxSpeed:
        case R::kAcceleration:
        case R::kDeceleration:
        case R::kGuidingRates:
        case R::kGearRatios: {
            const char* name = p.request == R::kMaxSpeed       ? "SetMaxSpeed"
                               : p.request == R::kAcceleration ? "SetAcceleration"
                               : p.request == R::kDeceleration ? "SetDeceleration"
                               : p.request == R::kGuidingRates ? "SetGuidingRates"
                                                               : "SetGearRatios";
            std::snprintf(text, sizeof text, "%s(%u, %u)", name, p.first, p.second);
            break;
        }
        case R::kCurrent:
        case R::kDecay:
        case R::kOvertone: {
            const char* name = p.request == R::kCurrent ? "SetCurrent"
                               : p.request == R::kDecay ? "SetDecay"
                                                        : "SetOvertone";
            std::snprintf(text, sizeof text, "%s(0x%02X, %u)", name, p.selector, p.first);
            break;
        }
        case R::kIncreaseCurrent:
            std::snprintf(text, sizeof text, "SetIncreaseCurrentAt(0x%02X, %u, %u)", p.selector,
                          p.first, p.second);
            break;
        case R::kAdvanced:
            std::snprintf(text, sizeof text, "ApplyAdvanced(changed 0x%02X)", p.advanced.changed);
            break;
        case R::kNone:
            return "";
    }
    return text;
}

}  // namespace axistune
