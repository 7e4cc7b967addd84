// The lists whose items address lattice sites by number: processes and interactions. Deleting a
// site orbit renumbers every later site, so the site list asks them first.
#pragma once

#include "com/base.h"

class KMCProcessList;
class KMCInteractionList;

namespace kmc {

// The highest site number (1-based, as in a site address) that any item of the list uses, -1
// when none does. Failures of the list are raised.
LONG HighestSiteIndex(KMCProcessList& list);
LONG HighestSiteIndex(KMCInteractionList& list);

}  // namespace kmc
