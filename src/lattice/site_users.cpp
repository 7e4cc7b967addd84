// Stand-ins until the process and interaction lists exist: no document can link one to its
// lattice yet, so the site list never reaches these. Each list's own subsystem replaces its
// definition with the list's get_HighestSiteIndex.
#include "lattice/site_users.h"

#include "nox/result.h"

namespace kmc {

LONG HighestSiteIndex(KMCProcessList&) {
    throw NoxResult(E_NOTIMPL, "The site numbers used by processes cannot be read.");
}

LONG HighestSiteIndex(KMCInteractionList&) {
    throw NoxResult(E_NOTIMPL, "The site numbers used by interactions cannot be read.");
}

}  // namespace kmc
