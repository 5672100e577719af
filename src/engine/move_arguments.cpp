#include "engine/move_arguments.h"

#include <cmath>

#include "link/command_codes.h"
#include "text/twos_complement.h"

namespace axistune {

namespace {

// Sixty-fourths of the sidereal rate for the slow indices 0..6.
constexpr int32_t kSlowFactors[7] = {21, 42, 64, 85, 106, 128, 256};
constexpr uint8_t kLastSlowIndex = 6;
constexpr double kFastSteps = 25.0;  // index 31 reaches the top rate

constexpr uint32_t kNoAxisBase = 200;
constexpr uint32_t kNoAxisTop = 200000;

// A double truncated toward zero into 32 bits. Out of range (only reachable with top rates
// above 2^31 or indices above 31) gives the x86 "integer indefinite", INT32_MIN.
int32_t TruncateToInt32(double v) {
    const double t = std::trunc(v);
    if (!(t >= -2147483648.0 && t <= 2147483647.0)) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(t);
}

}  // namespace

int32_t ManualMoveSpeed(uint32_t base, uint32_t top, uint8_t speedIndex) {
    if (speedIndex <= kLastSlowIndex) {
        return AsSigned32(base * static_cast<uint32_t>(kSlowFactors[speedIndex])) / 64;
    }
    const double x = std::pow((speedIndex - kLastSlowIndex) / kFastSteps, 1.5);
    const int32_t four = AsSigned32(base * 256u) / 64;
    return TruncateToInt32(x * static_cast<double>(top) + (1.0 - x) * static_cast<double>(four));
}

ManualMove ComputeManualMove(const ControllerSettings& s, uint8_t direction, uint8_t speedIndex) {
    uint32_t base = kNoAxisBase;
    uint32_t top = kNoAxisTop;
    uint8_t axis = 0x00;
    bool negate = false;
    // Equatorial mounts (German and fork) run east and south with a negative speed; for
    // alt-azimuth and unknown mount types the speed goes out unsigned in all directions.
    const bool signedMount = s.mountType <= 1;
    if (direction == 2 || direction == 3) {
        base = s.raSiderealRate;
        top = s.raTopRate;
        axis = kAxisRa;
        negate = signedMount && direction == 3;
    } else if (direction == 0 || direction == 1) {
        base = s.decSiderealRate;
        top = s.decTopRate;
        axis = kAxisDec;
        negate = signedMount && direction == 1;
    }
    const int32_t speed = ManualMoveSpeed(base, top, speedIndex);
    return ManualMove{axis, negate ? NegateWrapping(speed) : speed};
}

uint8_t StopMask(uint8_t axes) {
    switch (axes) {
        case 4:
            return kAxisBoth;
        case 2:
        case 3:
            return kAxisRa;
        case 0:
        case 1:
            return kAxisDec;
        default:
            return 0x00;
    }
}

bool InitPositionLetters(uint8_t positionCode, uint8_t letters[3]) {
    // Codes 4..17, as the initialise-telescope dialog produces them.
    static constexpr char kLetters[14][4] = {"EE ", "EW ", "ZE ", "ZW ", "SHE", "SHW", "NHE",
                                             "NHW", "EH ", "WH ", "Z  ", "Q  ", "HE ", "HW "};
    const char* chosen = nullptr;
    if (positionCode == 2) {
        chosen = "AE ";
    } else if (positionCode >= 4 && positionCode <= 17) {
        chosen = kLetters[positionCode - 4];
    } else {
        return false;
    }
    for (int i = 0; i < 3; ++i) {
        letters[i] = static_cast<uint8_t>(chosen[i]);
    }
    return true;
}

}  // namespace axistune
