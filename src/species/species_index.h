// The species of a list as the list looks them up: by name without regard to case, and by
// colour when it chooses a new species' colour. The index follows the list as species are
// appended; any other change (a species renamed or recoloured, removed, or the list replaced)
// makes it stale, and it is built again from the list when it is next asked.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "frame/owned_items.h"
#include "species/initial_color.h"

class KMCSpecies;

namespace kmc {

class SpeciesIndex {
public:
    void Append(KMCSpecies& species);
    void MarkStale() { stale_ = true; }
    // A species changed its name or colour; the index cares only if it holds that species.
    void Changed(const KMCSpecies& species);

    // The first species of `species`, in list order, whose name matches `name` without regard
    // to case; null when none does.
    KMCSpecies* FindIgnoringCase(std::string_view name, const OwnedItems<KMCSpecies>& species);
    // Whether no two species of `species` have the same name without regard to case.
    bool NamesAreDistinct(const OwnedItems<KMCSpecies>& species);
    // The colours of `species`, each with an opaque top byte.
    const ColorSet& Colors(const OwnedItems<KMCSpecies>& species);

private:
    void Refresh(const OwnedItems<KMCSpecies>& species);

    std::unordered_map<std::string, KMCSpecies*> byName_;  // by name in upper case
    std::unordered_set<const KMCSpecies*> members_;
    ColorSet colors_;
    bool stale_ = false;
};

}  // namespace kmc
