// How the list operations that meet every item grow with the number of items (target: exponent at
// most 1.2): comparing two equal species lists and two equal lattices of 1,000 to 100,000 items
// (`kmcdoc compare A A`), and creating 1,000 to 10,000 species and lattice sites one by one through
// the automation interface, as an editor or a script does.
#include <cstdio>
#include <memory>
#include <string>

#include "lattice/lattice.h"
#include "lattice/lattice_site.h"
#include "lattice/lattice_site_list.h"
#include "nox/strings.h"
#include "processes_document.h"
#include "ratio_reporter.h"
#include "species/species_list.h"

namespace {

void Check(HRESULT hr) {
    if (FAILED(hr)) {
        NoxResult::SetLastError(hr);
        throw NoxResult::LastError();
    }
}

// Created sites of one category must lie further apart than the position tolerance (0.01 of a
// cell), so a cell holds 80 x 80 of them; the next 6,400 sites have the next category. (Loading
// does not look for repeated sites, so a loaded document may hold more.)
constexpr int kGrid = 80;
double GridX(int i) { return (i % kGrid) / double(kGrid); }
double GridY(int i) { return (i / kGrid % kGrid) / double(kGrid); }
const char* Category(int i) {
    static const char* const categories[] = {kmc::kAdsorptionSite, kmc::kSubstrateSite, kmc::kLabelSite};
    return categories[i / (kGrid * kGrid) % 3];
}

std::string DocumentWith(int species, int sites) {
    std::string text =
        "<ProcessesDocument Version=\"1.0\"><Lattice LatticeType=\"Oblique\" SymmetryGroup=\"p 1\" "
        "LatticeU=\"2.5\" "
        "LatticeV=\"3.1\" LatticeTheta=\"80\"><LatticeSiteList NumberOfSites=\"" +
        std::to_string(sites) + "\" NextSiteLabel=\"1\">";
    for (int i = 0; i < sites; ++i)
        text += "<LatticeSite Category=\"" + std::string(Category(i)) + "\" Type=\"Top\" XPosition=\"" +
                std::to_string(GridX(i)) + "\" YPosition=\"" + std::to_string(GridY(i)) +
                "\" Label=\"1\" Color=\"FF3366CC\"/>";
    text += "</LatticeSiteList></Lattice><SpeciesList NumberOfSpecies=\"" + std::to_string(species) +
            "\" VacancySymbol=\"V\">";
    for (int i = 0; i < species; ++i)
        text += "<Species Name=\"S" + std::to_string(i) +
                "\" Category=\"Adsorbate\" Radius=\"1\" Charge=\"0\" Color=\"FF3366CC\"/>";
    return text + "</SpeciesList></ProcessesDocument>";
}

// Two equal documents, so that a comparison must look at every item.
struct Twins {
    explicit Twins(int species, int sites)
        : first(kmcdoc::ProcessesDocument::Parse(DocumentWith(species, sites), "first")),
          second(kmcdoc::ProcessesDocument::Parse(DocumentWith(species, sites), "second")) {}
    std::unique_ptr<kmcdoc::ProcessesDocument> first, second;
};

template <typename Compare>
void Compared(benchmark::State& state, const Compare& compare) {
    for (auto _ : state) {
        NoxBSTR message;
        VARIANT_BOOL consistent = VARIANT_FALSE;
        Check(compare(message, consistent));
        if (consistent == VARIANT_FALSE) state.SkipWithError("equal documents should be consistent");
    }
}

void SpeciesListsCompared(benchmark::State& state) {
    Twins twins(static_cast<int>(state.range(0)), 0);
    Compared(state, [&](NoxBSTR& message, VARIANT_BOOL& consistent) {
        return twins.first->SpeciesList().IsConsistent(&twins.second->SpeciesList(), &consistent,
                                                       message.Put());
    });
}
BENCHMARK(SpeciesListsCompared)->Arg(1'000)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

void LatticesCompared(benchmark::State& state) {
    Twins twins(0, static_cast<int>(state.range(0)));
    Compared(state, [&](NoxBSTR& message, VARIANT_BOOL& consistent) {
        return twins.first->Lattice().IsConsistent(&twins.second->Lattice(), &consistent, message.Put());
    });
}
BENCHMARK(LatticesCompared)->Arg(1'000)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

void SpeciesCreated(benchmark::State& state) {
    for (auto _ : state) {
        kmcdoc::ProcessesDocument document;
        IVxKMCSpeciesList& list = document.SpeciesList();
        for (LONG i = 0; i < state.range(0); ++i) {
            NoxComPtr<IVxKMCSpecies> species;
            Check(list.CreateSpecies(NoxBSTR("S" + std::to_string(i)).Get(), species.Put()));
        }
    }
}
BENCHMARK(SpeciesCreated)->Arg(1'000)->Arg(3'000)->Arg(10'000)->Unit(benchmark::kMillisecond);

void SitesCreated(benchmark::State& state) {
    for (auto _ : state) {
        kmcdoc::ProcessesDocument document;
        document.Lattice().SetLattice(2, "Oblique", "p 1", 2.5, 3.1, 80.0);
        IVxKMCLatticeSiteList& list = *document.Lattice().RawLatticeSiteList();
        const NoxBSTR type("Other");  // a named type would take its own positions
        for (int i = 0; i < state.range(0); ++i) {
            NoxComPtr<IVxKMCLatticeSite> site;
            Check(list.CreateLatticeSite(NoxBSTR(Category(i)).Get(), type.Get(), GridX(i), GridY(i), 0,
                                         site.Put()));
        }
    }
}
BENCHMARK(SitesCreated)->Arg(1'000)->Arg(3'000)->Arg(10'000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) try {
    return RunWithRatios(
        argc, argv, {},
        {{"SpeciesListsCompared"}, {"LatticesCompared"}, {"SpeciesCreated"}, {"SitesCreated"}});
} catch (const NoxResult& failure) {
    std::fprintf(stderr, "%s\n", failure.Description().c_str());
    return 1;
}
