// Reports benchmark results as usual and then what our speed targets are stated in, measured in
// the same run: the ratios between named pairs, and the growth exponent of a family of runs over
// their sizes.
#pragma once

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Each pair: (numerator benchmark, denominator benchmark). Each family: the name of a
    // benchmark run at several sizes ("Family/1000", "Family/2000", ...).
    explicit RatioReporter(std::vector<std::pair<std::string, std::string>> pairs,
                           std::vector<std::string> families = {})
        : pairs_(std::move(pairs)), families_(std::move(families)) {}

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
        for (const std::string& family : families_) {
            if (auto exponent = GrowthExponent(family); exponent == exponent)
                std::printf("growth exponent %s = %.2f\n", family.c_str(), exponent);
        }
    }

private:
    // The least-squares slope of log(time) over log(size); NaN with fewer than two sizes.
    double GrowthExponent(const std::string& family) const {
        std::vector<std::pair<double, double>> points;
        const std::string prefix = family + "/";
        for (const auto& [name, time] : times_) {
            if (name.rfind(prefix, 0) != 0 || time <= 0) continue;
            points.emplace_back(std::log(std::strtod(name.c_str() + prefix.size(), nullptr)), std::log(time));
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
    std::vector<std::string> families_;
    std::map<std::string, double> times_;
};

// main() for a benchmark file: runs everything and prints the ratios of `pairs` and the growth
// exponents of `families`.
inline int RunWithRatios(int argc, char** argv, std::vector<std::pair<std::string, std::string>> pairs,
                         std::vector<std::string> families = {}) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(std::move(pairs), std::move(families));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
