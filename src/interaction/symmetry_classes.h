// The symmetry classes of the pairs of an interaction: pairs that a lattice symmetry operator
// maps onto each other, up to one lattice translation of both sites, share a class and so one
// interaction value.
#pragma once

#include <vector>

#include "com/base.h"
#include "vxostrel/lattice.h"

class KMCLattice;

namespace kmc {

struct ClassedPair {
    IVxKMCSiteSpecification* active = nullptr;  // null, with `interacting`, for a pair without sites
    IVxKMCSiteSpecification* interacting = nullptr;
    LONG symmetryClass = 0;  // 0 while unassigned
};

// The class of every pair, in order. Pairs keep a class they have; each unassigned pair with
// sites, in order, starts the next class (numbered on from the highest class there is) and takes
// in, for each operator after the identity, the first later unassigned pair that equals its image
// (same site numbers, both sites moved by one common cell translation). Pairs without sites stay
// unassigned. The lattice is needed only when a pair is to be assigned. Raised: the failure of a
// site's transformation (a site number outside the site list, a position the lattice cannot map),
// with nothing assigned; the null-reference failure for a missing lattice.
std::vector<LONG> AssignSymmetryClasses(const std::vector<ClassedPair>& pairs, const KMCLattice* lattice);

}  // namespace kmc
