#pragma once

#include <cstdint>
#include <string>

#include "sim/settings.h"

namespace dxsim {

// Where the two axes point and how they move. Positions are kept as hour angle (RA axis,
// degrees, negative to the east) and declination (Dec axis, degrees), integrated from the
// commanded speed values: a speed value v moves an axis by v/50 motor steps per second, so
// the sidereal rate of the settings turns the RA axis once per sidereal day. Speed changes
// take effect at once; acceleration ramps are not modelled.
class Mount {
  public:
    enum Axis { kRa = 0, kDec = 1 };

    Mount();

    // Integrates the motion up to nowMs. Every other call does this first.
    void Advance(int64_t nowMs, const Settings& s);

    // A manual move of the axes in `axisMask` (0x80 RA, 0x40 Dec). The speed is limited to
    // the axis's top rate (maximum speed times sidereal rate). Returns the speed applied to the
    // last axis named, or 0 when the mask names none.
    int32_t Move(uint8_t axisMask, int32_t speed, int64_t nowMs, const Settings& s);
    void Stop(uint8_t axisMask, int64_t nowMs, const Settings& s);
    void SetTracking(bool on, int64_t nowMs, const Settings& s);
    // Synchronises to the position named by the three letters of the init command. False for
    // letters the controller does not know (the position stays).
    bool Sync(const uint8_t letters[3], int64_t nowMs, const Settings& s);
    void DefinePark(int64_t nowMs, const Settings& s);

    bool Tracking() const { return tracking_; }
    int32_t ManualSpeed(Axis a) const { return manual_[a]; }
    // The speed value the axis turns at now (manual move, else tracking, else 0).
    int32_t Rate(Axis a, const Settings& s) const;
    double HourAngle() const { return position_[kRa]; }
    double Declination() const { return position_[kDec]; }
    double ParkHourAngle() const { return park_[kRa]; }
    double ParkDeclination() const { return park_[kDec]; }
    bool Moving() const { return manual_[kRa] != 0 || manual_[kDec] != 0; }

    // "HA -01:23:45.6 Dec +47:30:00" for the trace.
    std::string Describe() const;

  private:
    double position_[2];
    double park_[2];
    int32_t manual_[2] = {0, 0};
    bool tracking_ = false;
    int64_t lastMs_ = 0;
    bool started_ = false;
};

}  // namespace dxsim
