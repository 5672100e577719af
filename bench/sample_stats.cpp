#include "bench/sample_stats.h"

#include <algorithm>
#include <cmath>

namespace bench {

namespace {

double Rank(const std::vector<double>& sorted, double fraction) {
    const size_t rank =
        static_cast<size_t>(std::ceil(fraction * static_cast<double>(sorted.size())));
    return sorted[std::min(sorted.size(), std::max<size_t>(rank, 1)) - 1];
}

}  // namespace

Summary Summarise(std::vector<double>& samples) {
    Summary s;
    if (samples.empty()) {
        return s;
    }
    std::sort(samples.begin(), samples.end());
    s.count = samples.size();
    s.median = Rank(samples, 0.5);
    s.p99 = Rank(samples, 0.99);
    s.min = samples.front();
    s.max = samples.back();
    return s;
}

}  // namespace bench
