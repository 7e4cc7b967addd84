// A process as kmcdoc render draws it: its sites in play and its enabling sites by address, and
// the same sites under each of the process's distinct symmetry operators other than the identity.
#pragma once

#include <string>
#include <vector>

#include "com/base.h"

struct IVxKMCProcessList;

namespace kmcdoc {

struct DrawnSite {
    enum class Role { Source, Destination, Reaction, Enabling };
    Role role = Role::Reaction;
    LONG i = 0;
    LONG j = 0;
    LONG n = 0;          // counted from 1
    std::string source;  // the species before the event; for an enabling site, the one required
    std::string result;  // the species after it
};

struct ProcessDrawing {
    LONG index = 0;  // counted from 1, as the verdicts count
    std::string identifier, type, description;
    std::vector<DrawnSite> sites;
    // The operator indices of the distinct copies, beginning with the identity; empty, with the
    // reason, when the lattice cannot map the process.
    std::vector<LONG> symmetryIndices;
    std::string symmetryProblem;
    // The sites under each symmetry index after the first, in the order of `sites`.
    std::vector<std::vector<DrawnSite>> images;
};

LONG ProcessCount(IVxKMCProcessList& processes);
// Process `index`, counted from 1. Raised: E_INVALIDARG for an index outside the list, and the
// library's failures reading the process.
ProcessDrawing ReadProcessDrawing(IVxKMCProcessList& processes, LONG index);

}  // namespace kmcdoc
