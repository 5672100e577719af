#include "ui/init_positions.h"

#include "core/advanced_settings.h"

namespace axistune {

namespace {

const InitPositionRow kForkRows[] = {
    {L"Zenith", L"The telescope points to the Zenith.", 14},
    {L"Meridian, Equator", L"The telescope points to the celestial Equator on the Meridian.", 15},
    {L"Eastern horizon", L"The telescope tube is horizontal and looks to the eastern Horizon.", 16},
    {L"Western horizon", L"The telescope tube is horizontal and looks to the western Horizon.", 17},
};

const InitPositionRow kEquatorialRows[] = {
    {L"Default east side - Equator",
     L"Counterweight points to west, scope at the eastern side, looks to the Equator.", 4},
    {L"West side - Equator",
     L"Counterweight points to east, scope at the western side, looks to the Equator.", 5},
    {L"East side - Zenith",
     L"Counterweight points to west, scope at the eastern side, looks to the Zenith.", 6},
    {L"West side - Zenith",
     L"Counterweight points to east, scope at the western side, looks to the Zenith.", 7},
    {L"East side - South Horizon",
     L"Counterweight points to west, scope at the eastern side, looks to the south Horizon.", 8},
    {L"West side - South Horizon",
     L"Counterweight points to east, scope at the western side, looks to the south Horizon.", 9},
    {L"East side - North Horizon",
     L"Counterweight points to west, scope at the eastern side, looks to the north Horizon.", 10},
    {L"West side - North Horizon",
     L"Counterweight points to east, scope at the western side, looks to the north Horizon.", 11},
    {L"Eastern Horizon", L"Counterweight points to ground, telescope looks to the eastern Horizon.",
     12},
    {L"Western Horizon", L"Counterweight points to ground, telescope looks to the western Horizon.",
     13},
};

}  // namespace

InitPositionList InitPositionsFor(uint8_t mountType) {
    if (mountType == kMountFork) {
        return {kForkRows, sizeof kForkRows / sizeof kForkRows[0]};
    }
    return {kEquatorialRows, sizeof kEquatorialRows / sizeof kEquatorialRows[0]};
}

}  // namespace axistune
