#include "species/species_usage.h"

#include "interaction/interaction_list.h"
#include "process/process_list.h"

namespace kmc {

bool ProcessesUseSpecies(KMCProcessList* processes, const std::string& name) {
    return processes != nullptr && processes->IsSpeciesUsed(name);
}

bool InteractionsUseSpecies(KMCInteractionList* interactions, const std::string& name) {
    return interactions != nullptr &&
           (interactions->IsSpeciesUsed(name) || interactions->NewInteractionActiveName() == name ||
            interactions->NewInteractionInteractingName() == name);
}

}  // namespace kmc
