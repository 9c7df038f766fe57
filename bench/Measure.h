#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

namespace tq::bench {

using Clock = std::chrono::steady_clock;

inline double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The machine is shared with other work: ratios are taken between medians of rounds that
// alternate the measured code and its reference, so that a slow spell hits both alike.
inline double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace tq::bench
