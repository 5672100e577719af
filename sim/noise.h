#pragma once

#include <cstdint>

namespace dxsim {

// Small deterministic generator (splitmix64) for line noise and garbage, so that a seed
// reproduces a run.
class Noise {
  public:
    explicit Noise(uint64_t seed) : state_(seed) {}

    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // A byte that can never start a reply (anything but 0x55).
    uint8_t JunkByte() {
        for (;;) {
            const uint8_t b = static_cast<uint8_t>(Next());
            if (b != 0x55) {
                return b;
            }
        }
    }
    uint32_t Below(uint32_t bound) { return static_cast<uint32_t>(Next() % bound); }

  private:
    uint64_t state_;
};

}  // namespace dxsim
