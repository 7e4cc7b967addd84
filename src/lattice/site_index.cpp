#include "lattice/site_index.h"

#include <algorithm>
#include <cmath>

#include "lattice/lattice_site.h"

namespace kmc {

int SitePositionIndex::CellCoordinate(double fractional) {
    if (!std::isfinite(fractional)) return 0;
    const double wrapped = fractional - std::floor(fractional);
    return std::clamp(static_cast<int>(wrapped * kCellsPerSide), 0, kCellsPerSide - 1);
}

bool SitePositionIndex::IsPlaced(const Point3d& position) {
    constexpr double kFar = 1e9;
    return std::abs(position.x) < kFar && std::abs(position.y) < kFar && std::abs(position.z) < kFar;
}

void SitePositionIndex::Append(size_t index, const Point3d& position) {
    if (stale_ || index != indexed_) {
        stale_ = true;
        return;
    }
    if (IsPlaced(position))
        cells_[Cell(CellCoordinate(position.x), CellCoordinate(position.y))].push_back(index);
    else
        anywhere_.push_back(index);
    ++indexed_;
}

void SitePositionIndex::Refresh(const OwnedItems<KMCLatticeSite>& sites) {
    // Sites taken back from the end (a request that failed part-way) leave the index stale too.
    if (!stale_ && indexed_ == sites.Count()) return;
    cells_.clear();
    anywhere_.clear();
    indexed_ = 0;
    stale_ = false;
    for (size_t index = 0; index < sites.Count(); ++index) Append(index, sites[index].Position());
}

std::vector<size_t> SitePositionIndex::Near(const Point3d& position, const OwnedItems<KMCLatticeSite>& sites) {
    Refresh(sites);
    std::vector<size_t> near = anywhere_;
    if (!IsPlaced(position)) {
        near.resize(sites.Count());
        for (size_t index = 0; index < near.size(); ++index) near[index] = index;
        return near;
    }
    const int i = CellCoordinate(position.x), j = CellCoordinate(position.y);
    for (int di = -1; di <= 1; ++di) {
        for (int dj = -1; dj <= 1; ++dj) {
            auto cell = cells_.find(Cell((i + di + kCellsPerSide) % kCellsPerSide, (j + dj + kCellsPerSide) % kCellsPerSide));
            if (cell != cells_.end()) near.insert(near.end(), cell->second.begin(), cell->second.end());
        }
    }
    std::sort(near.begin(), near.end());
    near.erase(std::unique(near.begin(), near.end()), near.end());
    return near;
}

}  // namespace kmc
