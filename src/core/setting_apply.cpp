#include "core/setting_apply.h"

namespace axistune {

namespace {

// The argument in `slot`, as BuildRequest placed it.
uint32_t SlotArgument(const PlannedRequest& request, uint8_t slot) {
    switch (slot) {
        case 0:
            return request.first;
        case 1:
            return request.second;
        default:
            return request.third;
    }
}

// The setting's value as its argument carried it.
int64_t SentValue(const SettingInfo& info, uint32_t argument) {
    switch (info.argument) {
        case SettingBits::kLow8:
            return argument & 0xFFu;
        case SettingBits::kTwosComplementLow8:
            return static_cast<int8_t>(argument & 0xFFu);
        case SettingBits::kLow16:
            return argument & 0xFFFFu;
        case SettingBits::kMaskBit:
            return (argument & info.bit) != 0 ? 1 : 0;
        default:
            return argument;
    }
}

// Calls `apply` with each setting the request carries and the value it sent.
template <typename Apply>
void ForEachSentValue(const PlannedRequest& executed, Apply apply) {
    for (const SettingInfo& info : SettingTable()) {
        if (info.ReadOnly() || info.request != executed.request) {
            continue;
        }
        if (info.request == SettingRequest::kAdvanced) {
            if ((executed.advanced.changed & info.bit) != 0) {
                apply(info, info.fromAdvanced(executed.advanced));
            }
        } else if (info.selector == executed.selector) {
            apply(info, SentValue(info, SlotArgument(executed, info.slot)));
        }
    }
}

}  // namespace

void ApplyRequest(const PlannedRequest& executed, SettingValues* values) {
    ForEachSentValue(executed, [values](const SettingInfo& info, int64_t value) {
        // Through a record field, so the value reads as the controller would report it.
        ControllerSettings field{};
        info.write(field, value);
        (*values)[info.id] = info.read(field);
    });
}

void ApplyRequest(const PlannedRequest& executed, ControllerSettings* settings) {
    ForEachSentValue(executed, [settings](const SettingInfo& info, int64_t value) {
        info.write(*settings, value);
    });
}

}  // namespace axistune
