#include "lattice/site_users.h"

// The module has no process or interaction list class yet, so a document cannot link one to its
// lattice and no site number is in use. Once they exist, these ask the list's
// get_HighestSiteIndex.

namespace kmc {

LONG HighestSiteIndexUsed(KMCProcessList*) { return -1; }

LONG HighestSiteIndexUsed(KMCInteractionList*) { return -1; }

}  // namespace kmc
