#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Hands out the fuzzer's bytes one decision at a time; an exhausted input reads as zeros.
class FuzzInput {
  public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Empty() const { return at_ >= size_; }
    size_t Left() const { return size_ - at_; }
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    uint32_t U32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            v |= static_cast<uint32_t>(Byte()) << (8 * i);
        }
        return v;
    }
    // Copies up to n bytes; the count copied.
    size_t Take(uint8_t* out, size_t n) {
        size_t k = 0;
        while (k < n && at_ < size_) {
            out[k++] = data_[at_++];
        }
        return k;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// An invariant that does not hold is a finding: say which, and abort so that libFuzzer keeps
// the input.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
