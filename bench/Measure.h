#pragma once

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <string>
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

// A field of /proc/self/status in kilobytes ("VmRSS:", "VmHWM:"), 0 when missing.
inline long statusKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::strlen(field)));
    }
    return 0;
}

// Starts the peak resident memory afresh from what the process holds now.
inline void resetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

}  // namespace tq::bench
