#include "lattice/site_users.h"

#include "process/process_list.h"

// Interactions are not asked here: no site number counts as used by them.

namespace kmc {

LONG HighestSiteIndexUsed(KMCProcessList* processes) {
    return processes != nullptr ? processes->HighestSiteIndex() : -1;
}

LONG HighestSiteIndexUsed(KMCInteractionList*) { return -1; }

}  // namespace kmc
