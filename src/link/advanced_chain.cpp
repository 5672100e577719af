// The advanced-settings chain of ControllerProtocol: one frame per changed group, each sent when
// the controller has acknowledged the previous one.
#include "core/controller_constants.h"
#include "core/status_codes.h"
#include "link/controller_commands.h"
#include "link/controller_protocol.h"

namespace axistune {

namespace {

constexpr uint32_t kGeoBits = kChangedLatitude | kChangedLongitude | kChangedHemisphere;

}  // namespace

bool ControllerProtocol::StartAdvancedChain(const AdvancedSettings& snapshot) {
    advanced_ = snapshot;
    if (advanced_.changed & kGeoBits) {
        protocolState_ = ST_ADV_GEO;
        SendSetGeo(sink_, advanced_.latitude, advanced_.longitude, advanced_.hemisphere);
        return true;
    }
    // The first step sends a changed closed-loop default whatever the feature byte says.
    return TryAdvancedSteps(kStepMount, false);
}

void ControllerProtocol::NextAdvancedStep(AdvancedStep from) {
    if (!TryAdvancedSteps(from, true)) {
        protocolState_ = ST_READY;
        listener_.OnStatus(kStatusSettingsDone);
    }
}

bool ControllerProtocol::TryAdvancedSteps(AdvancedStep from, bool closedLoopNeedsFeature) {
    if (from <= kStepMount && (advanced_.changed & kChangedMountType)) {
        settings_.mountType = advanced_.mountType;
        protocolState_ = ST_ADV_MOUNT;
        SendSetMountType(sink_, settings_.mountType);
        return true;
    }
    if (from <= kStepMeridian && (advanced_.changed & kChangedFlipHysteresis)) {
        settings_.flipHysteresis = advanced_.flipHysteresis;
        protocolState_ = ST_ADV_MERIDIAN;
        SendSetMeridian(sink_, settings_.meridian0, settings_.meridian1, settings_.flipHysteresis);
        return true;
    }
    const bool closedLoopAvailable = (settings_.features & kFeatureClosedLoop) != 0;
    if ((advanced_.changed & kChangedClosedLoop) &&
        (!closedLoopNeedsFeature || closedLoopAvailable)) {
        settings_.closedLoopDefault = advanced_.closedLoopDefault;
        protocolState_ = ST_ADV_CLOSED_LOOP;
        SendSetClosedLoop(sink_, settings_.closedLoopDefault);
        return true;
    }
    return false;
}

}  // namespace axistune
