// Reading every site of a 1,000 x 1,000-cell patch with two sites per cell (format 1) through
// get_Species, in order and in a random order, against a bare pass over the same text in the
// same run. get_Species hands every entry out as an automation string, so the bare pass it is
// held to does the same (target: in order within 3x of it); the split alone is shown beside it.
#include <algorithm>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "configuration/configuration.h"
#include "nox/strings.h"
#include "ratio_reporter.h"

namespace {

constexpr LONG kCells = 1000;
constexpr LONG kSitesPerCell = 2;

const std::string& PatchText() {
    static const std::string text = [] {
        const char* const entries[] = {"CO", "O", "V", "V"};
        std::mt19937 generator(7);
        std::string built = "1";
        for (long site = 0; site < long{kCells} * kCells * kSitesPerCell; ++site) {
            built += ' ';
            built += entries[generator() % 4];
        }
        return built;
    }();
    return text;
}

struct Site {
    LONG i, j, s;
};

NoxComPtr<KMCConfiguration> PatchConfiguration() {
    NoxComPtr<KMCConfiguration> configuration = KMCConfiguration::Create();
    (void)configuration->Initialise(kCells, kCells, kSitesPerCell);
    (void)configuration->put_Configuration(NoxBSTR(PatchText()).Get());
    return configuration;
}

// Every entry of the text, split at its spaces; `each` is given each entry in turn.
template <class Each>
void SplitEntries(std::string_view text, Each each) {
    size_t position = 0;
    while (true) {
        const size_t begin = text.find_first_not_of(' ', position);
        if (begin == std::string_view::npos) return;
        const size_t end = std::min(text.find(' ', begin), text.size());
        each(text.substr(begin, end - begin));
        position = end;
    }
}

void BareSplit(benchmark::State& state) {
    const std::string_view text = PatchText();
    for (auto _ : state)
        SplitEntries(text.substr(2), [](std::string_view entry) { benchmark::DoNotOptimize(entry); });
}
BENCHMARK(BareSplit)->Unit(benchmark::kMillisecond);

void BareSplitToStrings(benchmark::State& state) {
    const std::string_view text = PatchText();
    for (auto _ : state)
        SplitEntries(text.substr(2),
                     [](std::string_view entry) { benchmark::DoNotOptimize(NoxBSTR(entry)); });
}
BENCHMARK(BareSplitToStrings)->Unit(benchmark::kMillisecond);

void ReadSites(benchmark::State& state, const std::vector<Site>& order) {
    for (auto _ : state) {
        state.PauseTiming();
        NoxComPtr<KMCConfiguration> configuration = PatchConfiguration();  // nothing read yet
        state.ResumeTiming();
        for (const Site& site : order) {
            NoxBSTR species;
            benchmark::DoNotOptimize(configuration->get_Species(site.i, site.j, site.s, species.Put()));
        }
    }
}

std::vector<Site> InOrder() {
    std::vector<Site> order;
    order.reserve(size_t{kCells} * kCells * kSitesPerCell);
    for (LONG j = 0; j < kCells; ++j)
        for (LONG i = 0; i < kCells; ++i)
            for (LONG s = 0; s < kSitesPerCell; ++s) order.push_back({i, j, s});
    return order;
}

void InOrderGetSpecies(benchmark::State& state) { ReadSites(state, InOrder()); }
BENCHMARK(InOrderGetSpecies)->Unit(benchmark::kMillisecond);

void RandomOrderGetSpecies(benchmark::State& state) {
    std::vector<Site> order = InOrder();
    std::shuffle(order.begin(), order.end(), std::mt19937(11));
    ReadSites(state, order);
}
BENCHMARK(RandomOrderGetSpecies)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return RunWithRatios(argc, argv,
                         {{"InOrderGetSpecies", "BareSplitToStrings"},
                          {"RandomOrderGetSpecies", "BareSplitToStrings"},
                          {"InOrderGetSpecies", "BareSplit"},
                          {"BareSplitToStrings", "BareSplit"}});
}
