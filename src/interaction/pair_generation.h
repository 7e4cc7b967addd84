// The pairs of adsorption sites an interaction is made of: every ordered pair of an active site
// in the reference cell and an interacting site in any cell whose distance lies in
// [minimum cutoff, maximum cutoff).
#pragma once

#include <vector>

#include "com/base.h"
#include "geometry/geometry.h"

class KMCLattice;

namespace kmc {

// How many cells the pairs within a cutoff can lie away along each cell vector.
struct CellSearchRange {
    LONG u = 0;
    LONG v = 0;
};

// The range for `maximumCutoff` on a cell of lengths u and v at `thetaDegrees`. Raised:
// E_UNEXPECTED, naming the cutoff, when the range is not finite or does not fit 32 bits (an
// angle of 0 or 180 degrees, zero lengths, a cutoff too large for any site address).
CellSearchRange SearchRangeFor(double maximumCutoff, double u, double v, double thetaDegrees);

// One pair: the active site (in the reference cell) and the interacting site, as addresses.
struct SitePair {
    PeriodicTranslation active;
    PeriodicTranslation interacting;
};

// The pairs of `lattice` within [minimumCutoff, maximumCutoff) in generation order: active site,
// interacting site (both in site-list order), then the interacting cell offsets i and j, each
// ascending. Distances are measured as KMCSiteSpecification::get_Distance measures them. Raised:
// as SearchRangeFor, and the lattice's own failures.
std::vector<SitePair> PairsWithin(KMCLattice& lattice, double minimumCutoff, double maximumCutoff);

}  // namespace kmc
