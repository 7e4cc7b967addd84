// Reports benchmark results as usual and then, for each benchmark family, how its time grows
// with the size of its problem: the exponent of the least-squares line through log(time) against
// log(size), where each run states its size in a counter. Our scaling targets are stated in it.
#pragma once

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

class GrowthReporter : public benchmark::ConsoleReporter {
public:
    // `sizeCounter`: the counter each run gives its size in; `target`: the largest exponent met.
    GrowthReporter(std::string sizeCounter, double target)
        : sizeCounter_(std::move(sizeCounter)), target_(target) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            auto size = run.counters.find(sizeCounter_);
            if (size != run.counters.end() && size->second.value > 0 && run.GetAdjustedCPUTime() > 0)
                points_[run.run_name.function_name].emplace_back(std::log(size->second.value),
                                                                 std::log(run.GetAdjustedCPUTime()));
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto& [family, points] : points_) {
            if (points.size() < 2) continue;
            const double exponent = Slope(points);
            std::printf("growth %s against %s: exponent %.2f (target at most %.2f: %s)\n", family.c_str(),
                        sizeCounter_.c_str(), exponent, target_, exponent <= target_ ? "met" : "missed");
        }
    }

private:
    static double Slope(const std::vector<std::pair<double, double>>& points) {
        double sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (const auto& [x, y] : points) {
            sx += x;
            sy += y;
            sxx += x * x;
            sxy += x * y;
        }
        const double n = static_cast<double>(points.size());
        return (n * sxy - sx * sy) / (n * sxx - sx * sx);
    }

    std::string sizeCounter_;
    double target_;
    std::map<std::string, std::vector<std::pair<double, double>>> points_;
};
