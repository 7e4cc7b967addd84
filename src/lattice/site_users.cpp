#include "lattice/site_users.h"

#include "interaction/interaction_list.h"
#include "process/process_list.h"

namespace kmc {

LONG HighestSiteIndexUsed(KMCProcessList* processes) {
    return processes != nullptr ? processes->HighestSiteIndex() : -1;
}

LONG HighestSiteIndexUsed(KMCInteractionList* interactions) {
    return interactions != nullptr ? interactions->HighestSiteIndex() : -1;
}

}  // namespace kmc
