#include "core/setting_table.h"

#include <algorithm>
#include <cstdio>

namespace axistune {

namespace {

using R = SettingRequest;

// The argument as the request carries it.
uint32_t Argument(const SettingInfo& info, int64_t value) {
    const uint64_t bits = static_cast<uint64_t>(value);
    switch (info.argument) {
        case SettingBits::kLow8:
        case SettingBits::kTwosComplementLow8:
            return static_cast<uint32_t>(bits & 0xFFu);
        case SettingBits::kLow16:
            return static_cast<uint32_t>(bits & 0xFFFFu);
        case SettingBits::kWhole32:
            return static_cast<uint32_t>(bits & 0xFFFFFFFFu);
        case SettingBits::kMaskBit:
            return value != 0 ? info.bit : 0;
        default:
            return 0;
    }
}

}  // namespace

PlannedRequest BuildRequest(SettingId id, const SettingValues& values, uint8_t features) {
    const SettingInfo& info = Setting(id);
    PlannedRequest planned;
    planned.request = info.request;
    planned.selector = info.selector;
    planned.carries.push_back(id);
    if (info.request == R::kAdvanced) {
        planned.advanced.features = features;
        for (const SettingInfo& field : SettingTable()) {
            if (field.request == R::kAdvanced) {
                field.toAdvanced(planned.advanced, values[field.id]);
            }
        }
        planned.advanced.changed = info.bit;
        return planned;
    }
    uint32_t arguments[3] = {0, 0, 0};
    for (const SettingInfo& partner : SettingTable()) {
        if (partner.request == info.request && partner.selector == info.selector) {
            arguments[partner.slot] |= Argument(partner, values[partner.id]);
        }
    }
    if (info.request == R::kIncreaseCurrent) {
        arguments[1] = arguments[0];  // the controller takes the value twice
    }
    planned.first = arguments[0];
    planned.second = arguments[1];
    planned.third = arguments[2];
    return planned;
}

bool SharesRequest(const PlannedRequest& request, SettingId id) {
    return request.request == Setting(id).request && request.selector == Setting(id).selector;
}

std::vector<PlannedRequest> PlanRequests(const SettingValues& current, const SettingValues& target,
                                         const SettingSelection& selected, uint8_t features) {
    SettingValues wanted = current;
    std::vector<const SettingInfo*> changed;
    for (const SettingInfo& info : SettingTable()) {
        if (selected[info.id] && !info.ReadOnly() && target[info.id] != current[info.id]) {
            wanted[info.id] = target[info.id];
            changed.push_back(&info);
        }
    }
    // In request order, each request's settings by argument (rotation, guiding and limit masks),
    // RA before Dec as the table lists them.
    std::stable_sort(
        changed.begin(), changed.end(), [](const SettingInfo* a, const SettingInfo* b) {
            return a->request != b->request ? a->request < b->request : a->slot < b->slot;
        });
    std::vector<PlannedRequest> plan;
    for (const SettingInfo* info : changed) {
        auto shared = std::find_if(plan.begin(), plan.end(), [&](const PlannedRequest& p) {
            return SharesRequest(p, info->id);
        });
        if (shared == plan.end()) {
            plan.push_back(BuildRequest(info->id, wanted, features));
            continue;
        }
        shared->carries.push_back(info->id);
        if (info->request == R::kAdvanced) {
            shared->advanced.changed |= info->bit;
        }
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
