#pragma once

#include <algorithm>
#include <cstdio>
#include <vector>

namespace ketrel::bench {

// The figures of the frame-to-key benchmarks, from the microseconds each key took (not empty):
// median and p99 against their goals, and the extremes.
inline void PrintKeyLatency(std::vector<double> micros) {
    std::sort(micros.begin(), micros.end());
    auto at = [&](double q) {
        const auto index = static_cast<std::size_t>(q * static_cast<double>(micros.size() - 1));
        return micros[index] / 1000.0;
    };
    std::printf("  median %.3f ms  (target < 2 ms: %.2f of it)\n", at(0.5), at(0.5) / 2.0);
    std::printf("  p99    %.3f ms  (bound 12 ms: %.2f of it)\n", at(0.99), at(0.99) / 12.0);
    std::printf("  min %.3f ms  max %.3f ms\n", micros.front() / 1000.0, micros.back() / 1000.0);
}

}  // namespace ketrel::bench
