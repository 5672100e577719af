#pragma once

#include <cstddef>
#include <cstdint>

namespace axistune {

// The known positions that the initialize-telescope dialog offers, chosen by mount type.
struct InitPositionRow {
    const wchar_t* name;
    const wchar_t* explanation;
    uint32_t code;
};

struct InitPositionList {
    const InitPositionRow* rows;
    size_t count;
};

// Fork mounts (type 1) get four positions; every other type the ten of an equatorial mount.
InitPositionList InitPositionsFor(uint8_t mountType);

}  // namespace axistune
