// Parsing one element with many attributes: the time must grow linearly with their number.
#include <string>

#include "ratio_reporter.h"
#include "xmltree/xmltree.h"

namespace {

void ParseManyAttributes(benchmark::State& state) {
    std::string text = "<e";
    for (int64_t i = 0; i < state.range(0); ++i)
        text += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    text += "/>";
    for (auto _ : state) benchmark::DoNotOptimize(xmlTree::ParseString(text));
}
BENCHMARK(ParseManyAttributes)->RangeMultiplier(2)->Range(4096, 131072)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunWithRatios(argc, argv, {}, {{"ParseManyAttributes"}}); }
