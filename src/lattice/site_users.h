// What the site list asks its sibling lists before it deletes a site orbit: deleting renumbers
// every later site, so no process or interaction may use a number at or after the orbit's
// first. The questions live here, apart from the list, so that only this file depends on the
// process and interaction list classes.
#pragma once

#include "com/base.h"

class KMCProcessList;
class KMCInteractionList;

namespace kmc {

// The highest site number (1-based, as in a site address) that any process of `processes`
// uses; -1 when none does. A missing list uses none.
LONG HighestSiteIndexUsed(KMCProcessList* processes);

// The same for the interactions of `interactions`.
LONG HighestSiteIndexUsed(KMCInteractionList* interactions);

}  // namespace kmc
