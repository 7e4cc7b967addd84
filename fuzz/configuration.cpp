// A configuration document read from bytes. Whatever loads must save, load back and save again to
// the same bytes, and every snapshot must answer the same species for a site however its rows are
// visited (the rows are read lazily, with a cursor per row).
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "configuration/configuration.h"
#include "configuration_document.h"
#include "nox/strings.h"
#include "round_trip.h"

using kmcdoc::ConfigurationDocument;

namespace {

struct Site {
    LONG i, j, s;
};

// A bounded sample of sites, so that a hostile header cannot make a run read for hours: the first
// cells and sites, and the last of each.
std::vector<Site> SampleSites(const ConfigurationDocument& document) {
    auto sample = [](LONG count) {
        std::vector<LONG> values;
        for (LONG k = 0; k < std::min<LONG>(count, 6); ++k) values.push_back(k);
        if (count > 6) values.push_back(count - 1);
        return values;
    };
    std::vector<Site> sites;
    for (LONG i : sample(document.CellsU()))
        for (LONG j : sample(document.CellsV()))
            for (LONG s : sample(document.SitesPerCell())) sites.push_back({i, j, s});
    return sites;
}

// Each answer as "species" or "failed"; a failure must carry a description.
std::string Answer(KMCConfiguration& configuration, const Site& site) {
    NoxBSTR species;
    if (FAILED(configuration.get_Species(site.i, site.j, site.s, species.Put()))) return "failed";
    return "species " + species.ToTString();
}

std::vector<std::string> Answers(KMCConfiguration& configuration, const std::vector<Site>& sites) {
    std::vector<std::string> answers;
    for (const Site& site : sites) answers.push_back(Answer(configuration, site));
    return answers;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    auto loaded = kmcfuzz::LoadedOrNull<ConfigurationDocument>(input);
    if (!loaded) return 0;
    std::vector<Site> sites = SampleSites(*loaded);
    for (const auto& configuration : loaded->Configurations()) {
        const std::vector<std::string> forward = Answers(*configuration, sites);
        std::reverse(sites.begin(), sites.end());
        std::vector<std::string> backward = Answers(*configuration, sites);
        std::reverse(sites.begin(), sites.end());
        std::reverse(backward.begin(), backward.end());
        if (forward != backward)
            kmcfuzz::Fault("a snapshot's answers depend on the order they are asked in", input);
    }
    kmcfuzz::CheckRoundTrip(*loaded, input);
    return 0;
}
