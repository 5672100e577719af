#include "sim/mount.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace dxsim {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kSpeedUnitsPerStep = 50.0;
constexpr double kAngleUnitsPerDegree = 86400.0;

double Rad(double deg) {
    return deg * kPi / 180.0;
}
double Deg(double rad) {
    return rad * 180.0 / kPi;
}

// Hour angle and declination of a point given by altitude and azimuth (from north, east
// positive) at latitude lat; all in degrees.
void FromHorizon(double alt, double az, double lat, double* ha, double* dec) {
    const double sinDec = std::sin(Rad(lat)) * std::sin(Rad(alt)) +
                          std::cos(Rad(lat)) * std::cos(Rad(alt)) * std::cos(Rad(az));
    *dec = Deg(std::asin(std::fmax(-1.0, std::fmin(1.0, sinDec))));
    const double y = -std::sin(Rad(az)) * std::cos(Rad(alt));
    const double x = std::cos(Rad(lat)) * std::sin(Rad(alt)) -
                     std::sin(Rad(lat)) * std::cos(Rad(alt)) * std::cos(Rad(az));
    *ha = (std::fabs(x) < 1e-12 && std::fabs(y) < 1e-12) ? 0.0 : Deg(std::atan2(y, x));
}

double DegreesPerSecond(int32_t speed, uint32_t gearRatio) {
    if (gearRatio == 0) {
        return 0.0;
    }
    return speed / kSpeedUnitsPerStep * 360.0 / gearRatio;
}

std::string Sexagesimal(double deg, bool hours) {
    const double v = hours ? deg / 15.0 : deg;
    const char sign = v < 0 ? '-' : '+';
    long tenths = std::lround(std::fabs(v) * 36000.0);
    const long whole = tenths / 36000;
    tenths %= 36000;
    char buf[32];
    snprintf(buf, sizeof(buf), "%c%02ld:%02ld:%02ld.%ld", sign, whole, tenths / 600,
             tenths / 10 % 60, tenths % 10);
    return buf;
}

}  // namespace

Mount::Mount() {
    // Power-up position: the usual home of an equatorial mount, pointing at the pole.
    position_[kRa] = 0.0;
    position_[kDec] = 90.0;
    park_[kRa] = position_[kRa];
    park_[kDec] = position_[kDec];
}

int32_t Mount::Rate(Axis a, const Settings& s) const {
    if (manual_[a] != 0) {
        return manual_[a];
    }
    if (a == kRa && tracking_) {
        const int32_t sidereal = static_cast<int32_t>(s.ra.siderealRate);
        return s.hemisphere == 1 ? -sidereal : sidereal;
    }
    return 0;
}

void Mount::Advance(int64_t nowMs, const Settings& s) {
    if (!started_) {
        started_ = true;
        lastMs_ = nowMs;
        return;
    }
    const double seconds = (nowMs - lastMs_) / 1000.0;
    lastMs_ = nowMs;
    if (seconds <= 0.0) {
        return;
    }
    position_[kRa] += DegreesPerSecond(Rate(kRa, s), s.ra.gearRatio) * seconds;
    position_[kDec] += DegreesPerSecond(Rate(kDec, s), s.dec.gearRatio) * seconds;
    position_[kRa] = std::remainder(position_[kRa], 360.0);
}

int32_t Mount::Move(uint8_t axisMask, int32_t speed, int64_t nowMs, const Settings& s) {
    Advance(nowMs, s);
    int32_t applied = 0;
    const AxisSettings* settings[2] = {&s.ra, &s.dec};
    const uint8_t bits[2] = {0x80, 0x40};
    for (int a = 0; a < 2; ++a) {
        if ((axisMask & bits[a]) == 0) {
            continue;
        }
        const int64_t top = int64_t{settings[a]->maxSpeed} * int64_t{settings[a]->siderealRate};
        int64_t v = speed;
        if (top > 0 && std::llabs(v) > top) {
            v = v < 0 ? -top : top;
        }
        manual_[a] = static_cast<int32_t>(v);
        applied = manual_[a];
    }
    return applied;
}

void Mount::Stop(uint8_t axisMask, int64_t nowMs, const Settings& s) {
    Advance(nowMs, s);
    if (axisMask & 0x80) {
        manual_[kRa] = 0;
    }
    if (axisMask & 0x40) {
        manual_[kDec] = 0;
    }
}

void Mount::SetTracking(bool on, int64_t nowMs, const Settings& s) {
    Advance(nowMs, s);
    tracking_ = on;
}

bool Mount::Sync(const uint8_t letters[3], int64_t nowMs, const Settings& s) {
    Advance(nowMs, s);
    const double lat = s.latitude / kAngleUnitsPerDegree;
    const std::string code(reinterpret_cast<const char*>(letters), 3);
    double ha = 0.0;
    double dec = 0.0;
    if (code == "AE ") {
        ha = 0.0;
        dec = lat < 0 ? -90.0 : 90.0;  // home: the visible celestial pole
    } else if (code == "EE " || code == "EW " || code == "Q  ") {
        ha = 0.0;  // equator on the meridian, tube east or west of the pier
        dec = 0.0;
    } else if (code == "ZE " || code == "ZW " || code == "Z  ") {
        FromHorizon(90.0, 0.0, lat, &ha, &dec);
    } else if (code == "SHE" || code == "SHW") {
        FromHorizon(0.0, 180.0, lat, &ha, &dec);
    } else if (code == "NHE" || code == "NHW") {
        FromHorizon(0.0, 0.0, lat, &ha, &dec);
    } else if (code == "EH " || code == "HE ") {
        FromHorizon(0.0, 90.0, lat, &ha, &dec);
    } else if (code == "WH " || code == "HW ") {
        FromHorizon(0.0, 270.0, lat, &ha, &dec);
    } else {
        return false;
    }
    position_[kRa] = ha;
    position_[kDec] = dec;
    return true;
}

void Mount::DefinePark(int64_t nowMs, const Settings& s) {
    Advance(nowMs, s);
    park_[kRa] = position_[kRa];
    park_[kDec] = position_[kDec];
}

std::string Mount::Describe() const {
    return "HA " + Sexagesimal(position_[kRa], true) + " Dec " +
           Sexagesimal(position_[kDec], false);
}

}  // namespace dxsim
