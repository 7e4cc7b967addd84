// What the species list asks its sibling lists before a species leaves the document. The
// questions live here, apart from the list, so that only this file depends on the process and
// interaction list classes.
#pragma once

#include <string>

class KMCProcessList;
class KMCInteractionList;

namespace kmc {

// Whether a process of `processes` uses the species `name`. A missing list uses nothing.
bool ProcessesUseSpecies(KMCProcessList* processes, const std::string& name);

// Whether an interaction of `interactions` uses the species `name`, or the list's species for
// new interactions is named `name` exactly. A missing list uses nothing. Raised: the failure of
// an interaction that cannot tell (one without its species).
bool InteractionsUseSpecies(KMCInteractionList* interactions, const std::string& name);

}  // namespace kmc
