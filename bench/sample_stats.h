#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bench {

struct Summary {
    size_t count = 0;
    double median = 0;
    double p99 = 0;
    double min = 0;
    double max = 0;
};

// Nearest-rank percentiles of the samples (which it sorts).
Summary Summarise(std::vector<double>& samples);

}  // namespace bench
