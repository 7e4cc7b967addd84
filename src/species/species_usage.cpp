#include "species/species_usage.h"

#include "process/process_list.h"

// Interactions are not asked here: every species counts as unused by them.

namespace kmc {

bool ProcessesUseSpecies(KMCProcessList* processes, const std::string& name) {
    return processes != nullptr && processes->IsSpeciesUsed(name);
}

bool InteractionsUseSpecies(KMCInteractionList*, const std::string&) { return false; }

}  // namespace kmc
