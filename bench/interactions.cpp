// Generating the pairs of an interaction and grouping them into symmetry classes, on a "p 6 m m"
// lattice with three adsorption sites per cell (a top site and the two hollows) at cutoffs of 2,
// 4, 8 and 16 lattice lengths. The number of pairs grows with the square of the cutoff; the time
// should grow about linearly with the number of pairs (target: exponent at most 1.2).
#include "interaction/interaction_list.h"
#include "lattice/lattice.h"
#include "lattice/lattice_site_list.h"
#include "nox/strings.h"
#include "ratio_reporter.h"
#include "species/species_list.h"

namespace {

class HexagonalModel {
public:
    HexagonalModel() {
        lattice_->SetLattice(2, "Hexagonal", "p 6 m m", 1.0, 1.0, 60.0);
        for (const char* type : {"Top", "Hollow"}) {
            NoxComPtr<IVxKMCLatticeSite> site;
            Check(lattice_->RawLatticeSiteList()->CreateLatticeSite(
                NoxBSTR("Adsorption site").Get(), NoxBSTR(type).Get(), 0, 0, 0, site.Put()));
        }
        species_->SetParent(nullptr, nullptr, nullptr, interactions_.Get());
        interactions_->SetParent(nullptr, nullptr, lattice_.Get(), species_.Get());
        for (const char* name : {"CO", "O"}) {
            NoxComPtr<IVxKMCSpecies> created;
            Check(species_->CreateSpecies(NoxBSTR(name).Get(), created.Put()));
            adsorbates_.push_back(created);
        }
        if (lattice_->RawLatticeSiteList()->Count() != 3)
            throw NoxResult(E_UNEXPECTED, "expected three sites");
    }

    // A new interaction between the two species over [0, cutoff); its number of details.
    LONG Generate(double cutoff) {
        NoxComPtr<KMCInteraction> interaction = KMCInteraction::Create();
        interaction->SetParent(interactions_.Get());
        Check(interaction->Initialise(adsorbates_[0].Get(), adsorbates_[1].Get(), 0.0, cutoff));
        return static_cast<LONG>(interaction->DetailCount());
    }

private:
    static void Check(HRESULT hr) {
        if (FAILED(hr)) throw NoxResult(hr, "benchmark model set-up failed");
    }

    NoxComPtr<KMCLattice> lattice_ = KMCLattice::Create();
    NoxComPtr<KMCSpeciesList> species_ = KMCSpeciesList::Create();
    NoxComPtr<KMCInteractionList> interactions_ = KMCInteractionList::Create();
    std::vector<NoxComPtr<IVxKMCSpecies>> adsorbates_;
};

void GenerateAndClass(benchmark::State& state) {
    HexagonalModel model;
    LONG details = 0;
    for (auto _ : state) details = model.Generate(static_cast<double>(state.range(0)));
    state.counters["details"] = static_cast<double>(details);
}
BENCHMARK(GenerateAndClass)->Arg(2)->Arg(4)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunWithRatios(argc, argv, {}, {{"GenerateAndClass", "details"}}); }
