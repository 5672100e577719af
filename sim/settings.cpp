#include "sim/settings.h"

#include <cmath>

namespace dxsim {

namespace {
constexpr double kSiderealDaySeconds = 86164.0905;
constexpr double kSpeedUnitsPerStep = 50.0;
}  // namespace

bool AxisSettings::operator==(const AxisSettings& o) const {
    for (int i = 0; i < 3; ++i) {
        if (current[i] != o.current[i] || decay[i] != o.decay[i]) {
            return false;
        }
    }
    return maxSpeed == o.maxSpeed && guidingRate == o.guidingRate && maxCurrent == o.maxCurrent &&
           overtone == o.overtone && aux1 == o.aux1 && acceleration == o.acceleration &&
           deceleration == o.deceleration && incCurrentAt == o.incCurrentAt &&
           incCurrentAt2 == o.incCurrentAt2 && aux3 == o.aux3 && aux4 == o.aux4 &&
           features == o.features && gearRatio == o.gearRatio && scale == o.scale &&
           siderealRate == o.siderealRate;
}

bool Settings::operator==(const Settings& o) const {
    return ra == o.ra && dec == o.dec && reverseRotation == o.reverseRotation &&
           reverseGuiding == o.reverseGuiding && reverseLimits == o.reverseLimits &&
           mountType == o.mountType && meridian0 == o.meridian0 && meridian1 == o.meridian1 &&
           flipHysteresis == o.flipHysteresis && latitude == o.latitude &&
           longitude == o.longitude && hemisphere == o.hemisphere &&
           closedLoopDefault == o.closedLoopDefault;
}

uint32_t SiderealRateFor(uint32_t gearRatio) {
    return static_cast<uint32_t>(std::lround(gearRatio * kSpeedUnitsPerStep / kSiderealDaySeconds));
}

uint32_t ScaleFor(uint32_t gearRatio) {
    return gearRatio / 360;
}

}  // namespace dxsim
