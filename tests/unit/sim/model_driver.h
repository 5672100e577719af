#pragma once

#include <cstdint>
#include <vector>

#include "sim/controller_model.h"
#include "sim/profile.h"

namespace dxsim_test {

using Bytes = std::vector<uint8_t>;

// Feeds one frame at nowMs and returns every byte the controller sends for it, however late.
inline Bytes Exchange(dxsim::ControllerModel& model, const Bytes& frame, int64_t nowMs = 0) {
    model.Receive(frame.data(), frame.size(), nowMs);
    Bytes out;
    model.TakeDue(nowMs + 3600 * 1000, &out);
    return out;
}

inline dxsim::Profile Named(const char* name) {
    return *dxsim::FindProfile(name);
}

// Reads a little-endian field of a reply at a documented byte position.
inline uint32_t Le(const Bytes& r, size_t at, size_t width) {
    uint32_t v = 0;
    for (size_t i = 0; i < width; ++i) {
        v |= uint32_t{r.at(at + i)} << (8 * i);
    }
    return v;
}

}  // namespace dxsim_test
