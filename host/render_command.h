// kmcdoc render: pictures of a document's lattice, of its processes and of its configurations
// as SVG, and the lattice or a configuration as extended XYZ; the format follows the output's
// extension. Everything is drawn from the atoms that the display path puts in a model document.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "com/base.h"
#include "xmltree/xmltree.h"

namespace kmcdoc {

struct RenderRequest {
    std::string file;
    std::string out;
    // The patch in cells: the lattice's extent, at least the extent of a process; for a
    // configuration, when given, the part of its patch to draw (from cell (0, 0)).
    LONG cellsU = 3;
    LONG cellsV = 3;
    bool cellsGiven = false;
    std::string process;                // a number counted from 1, "all", or empty
    std::optional<LONG> configuration;  // counted from 1
    uint64_t maxInputSize = xmlTree::kDefaultMaxFileSize;
};

// The largest patch drawn: cells on a side, and sites in all.
inline constexpr LONG kMaxCellsOnASide = 100;
inline constexpr long long kMaxPatchSites = 250000;

// Writes what the request asks for and returns what it wrote: one line per file, its path and
// what it shows. Raised as NoxResult: a request that does not fit the document or the output's
// name, a process or configuration that is not there, a patch too large to draw, the library's
// failures and a file that cannot be written.
std::vector<std::string> Render(const RenderRequest& request);

}  // namespace kmcdoc
