#include "species/species_usage.h"

// The module has no process or interaction list class yet, so a document cannot link one to
// its species list and every species is free to go. Once they exist, these ask their
// get_IsSpeciesUsed (and the interaction list's get_NewInteractionActiveSpecies and
// get_NewInteractionInteractingSpecies) with the name as given.

namespace kmc {

bool ProcessesUseSpecies(KMCProcessList*, const std::string&) { return false; }

bool InteractionsUseSpecies(KMCInteractionList*, const std::string&) { return false; }

}  // namespace kmc
