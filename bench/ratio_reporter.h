// Reports benchmark results as usual and then the ratios between named pairs measured in the
// same run, which is what our speed targets are stated in.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Each pair: (numerator benchmark, denominator benchmark).
    explicit RatioReporter(std::vector<std::pair<std::string, std::string>> pairs)
        : pairs_(std::move(pairs)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) times_[run.benchmark_name()] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto& [numerator, denominator] : pairs_) {
            auto n = times_.find(numerator), d = times_.find(denominator);
            if (n == times_.end() || d == times_.end() || d->second <= 0) continue;
            std::printf("ratio %s / %s = %.2f\n", numerator.c_str(), denominator.c_str(),
                        n->second / d->second);
        }
    }

private:
    std::vector<std::pair<std::string, std::string>> pairs_;
    std::map<std::string, double> times_;
};

// main() for a benchmark file: runs everything and prints the ratios of `pairs`.
inline int RunWithRatios(int argc, char** argv, std::vector<std::pair<std::string, std::string>> pairs) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(std::move(pairs));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
