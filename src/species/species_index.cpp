#include "species/species_index.h"

#include "species/names.h"
#include "species/species.h"

namespace kmc {

void SpeciesIndex::Append(KMCSpecies& species) {
    if (stale_) return;
    byName_.emplace(FoldedSpeciesName(species.Name()), &species);
    members_.insert(&species);
    colors_.Add(ColorValue(species.Color().Rgb() | ColorValue::kOpaqueTop));
}

void SpeciesIndex::Changed(const KMCSpecies& species) {
    if (members_.count(&species) != 0) stale_ = true;
}

void SpeciesIndex::Refresh(const OwnedItems<KMCSpecies>& species) {
    if (!stale_) return;
    byName_.clear();
    members_.clear();
    colors_.Clear();
    stale_ = false;
    for (const auto& member : species) Append(*member);
}

KMCSpecies* SpeciesIndex::FindIgnoringCase(std::string_view name, const OwnedItems<KMCSpecies>& species) {
    Refresh(species);
    auto found = byName_.find(FoldedSpeciesName(name));
    return found != byName_.end() ? found->second : nullptr;
}

bool SpeciesIndex::NamesAreDistinct(const OwnedItems<KMCSpecies>& species) {
    Refresh(species);
    return byName_.size() == species.Count();  // the index keeps the first species of each name
}

const ColorSet& SpeciesIndex::Colors(const OwnedItems<KMCSpecies>& species) {
    Refresh(species);
    return colors_;
}

}  // namespace kmc
