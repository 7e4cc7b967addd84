// Reports benchmark results as usual and then what our speed targets are stated in, measured in
// the same run: the ratios between named pairs, and the growth exponent of a family of runs over
// their sizes (the least-squares slope of log(time) over log(size)).
#pragma once

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

// A benchmark run at several sizes: "Name/1000", "Name/2000", ... The size of a run is its
// argument, or the value of its counter `sizeCounter` when one is named (for a problem whose
// size follows from its argument, such as the pairs within a cutoff).
struct Family {
    std::string name;
    std::string sizeCounter = {};
};

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Each pair: (numerator benchmark, denominator benchmark).
    explicit RatioReporter(std::vector<std::pair<std::string, std::string>> pairs,
                           std::vector<Family> families = {})
        : pairs_(std::move(pairs)), families_(std::move(families)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            times_[run.benchmark_name()] = run.GetAdjustedCPUTime();
            RecordSize(run);
        }
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
        for (const Family& family : families_) {
            if (auto exponent = GrowthExponent(family.name); exponent == exponent)
                std::printf("growth exponent %s = %.2f\n", family.name.c_str(), exponent);
        }
    }

private:
    void RecordSize(const Run& run) {
        const std::string name = run.benchmark_name();
        for (const Family& family : families_) {
            if (name.rfind(family.name + "/", 0) != 0) continue;
            auto counter = run.counters.find(family.sizeCounter);
            sizes_[name] = counter != run.counters.end()
                               ? counter->second.value
                               : std::strtod(name.c_str() + family.name.size() + 1, nullptr);
        }
    }

    // NaN with fewer than two sizes.
    double GrowthExponent(const std::string& family) const {
        std::vector<std::pair<double, double>> points;
        const std::string prefix = family + "/";
        for (const auto& [name, time] : times_) {
            auto size = sizes_.find(name);
            if (name.rfind(prefix, 0) != 0 || time <= 0 || size == sizes_.end() || size->second <= 0)
                continue;
            points.emplace_back(std::log(size->second), std::log(time));
        }
        if (points.size() < 2) return std::nan("");
        double meanX = 0, meanY = 0;
        for (const auto& [x, y] : points) meanX += x, meanY += y;
        meanX /= static_cast<double>(points.size());
        meanY /= static_cast<double>(points.size());
        double covariance = 0, variance = 0;
        for (const auto& [x, y] : points) {
            covariance += (x - meanX) * (y - meanY);
            variance += (x - meanX) * (x - meanX);
        }
        return covariance / variance;
    }

    std::vector<std::pair<std::string, std::string>> pairs_;
    std::vector<Family> families_;
    std::map<std::string, double> times_;
    std::map<std::string, double> sizes_;
};

// main() for a benchmark file: runs everything and prints the ratios of `pairs` and the growth
// exponents of `families`.
inline int RunWithRatios(int argc, char** argv, std::vector<std::pair<std::string, std::string>> pairs,
                         std::vector<Family> families = {}) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(std::move(pairs), std::move(families));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
