// The sites of a list by where they lie in the unit cell, so that the sites at a position are
// found among a few neighbours rather than among all. Positions are compared periodically
// within the site tolerance; the index keeps list positions, follows the list as sites are
// appended, and is built again after any other change.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "frame/owned_items.h"
#include "geometry/geometry.h"

class KMCLatticeSite;

namespace kmc {

class SitePositionIndex {
public:
    // Site `index` of the list was appended at `position`.
    void Append(size_t index, const Point3d& position);
    void MarkStale() { stale_ = true; }

    // The list positions, in increasing order, of the sites of `sites` that may stand at
    // `position`: every site that does is among them.
    std::vector<size_t> Near(const Point3d& position, const OwnedItems<KMCLatticeSite>& sites);

private:
    // Cells a little wider than the tolerance, so that a site within the tolerance of a position
    // is in the position's cell or one next to it.
    static constexpr int kCellsPerSide = 50;
    static int64_t Cell(int i, int j) { return int64_t{i} * kCellsPerSide + j; }
    static int CellCoordinate(double fractional);
    // Far from the cell, a position keeps too few fractional digits to say where in a cell it
    // lies, and periodic comparison may find it anywhere: such sites are among every answer.
    static bool IsPlaced(const Point3d& position);
    void Refresh(const OwnedItems<KMCLatticeSite>& sites);

    std::unordered_map<int64_t, std::vector<size_t>> cells_;
    std::vector<size_t> anywhere_;
    size_t indexed_ = 0;
    bool stale_ = false;
};

}  // namespace kmc
