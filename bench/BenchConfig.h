#pragma once

// The set-up every list benchmark shares: milliseconds, three repetitions, and the
// smallest value reported beside the median.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

inline double BenchMin(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

inline void ConfigureThreeRuns(benchmark::internal::Benchmark* bench) {
    bench->Unit(benchmark::kMillisecond)
        ->Repetitions(3)
        ->ComputeStatistics("min", BenchMin)
        ->ReportAggregatesOnly(true);
}
