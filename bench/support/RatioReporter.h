#pragma once

// Runs the registered benchmarks and prints, after the usual table, the ratio of each measured
// benchmark to its reference: "ratio NAME / REFERENCE = 0.82".

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace TarnBench {

class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const auto &run : runs) {
            if (run.error_occurred || run.iterations == 0)
                continue;
            m_realTime[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
    }

    double realTime(const std::string &name) const
    {
        const auto found = m_realTime.find(name);
        return found == m_realTime.end() ? 0.0 : found->second;
    }

private:
    std::map<std::string, double> m_realTime;
};

/// Runs all benchmarks, then prints measured/reference for each pair; returns the exit status.
inline int runWithRatios(int argc, char **argv,
                         const std::vector<std::pair<std::string, std::string>> &pairs)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const auto &[measured, reference] : pairs) {
        const double referenceTime = reporter.realTime(reference);
        const double measuredTime = reporter.realTime(measured);
        if (referenceTime <= 0 || measuredTime <= 0)
            continue;
        std::printf("ratio %s / %s = %.2f\n", measured.c_str(), reference.c_str(),
                    measuredTime / referenceTime);
    }
    benchmark::Shutdown();
    return 0;
}

} // namespace TarnBench
