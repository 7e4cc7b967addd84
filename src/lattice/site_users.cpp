#include "lattice/site_users.h"

// Neither list is asked here: no site number counts as used.

namespace kmc {

LONG HighestSiteIndexUsed(KMCProcessList*) { return -1; }

LONG HighestSiteIndexUsed(KMCInteractionList*) { return -1; }

}  // namespace kmc
