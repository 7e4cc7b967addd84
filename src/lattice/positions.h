// Positions in fractional coordinates of the unit cell, compared periodically: positions that
// differ by whole cell vectors are the same site position.
#pragma once

#include <string>
#include <vector>

#include "geometry/geometry.h"

namespace kmc {

// Fractional coordinates closer than this (in cell units, whatever the cell lengths) are one
// site position.
inline constexpr double kSitePositionTolerance = 0.01;

// The nearest whole number; halves go away from zero.
double NearestWhole(double value);

// A whole number of cells as a 32-bit offset (nearest whole number, halves away from zero).
// Raised: E_UNEXPECTED "Site address is out of range." when it does not fit.
LONG CellOffset(double offset);

// Whether a and b are the same site position once whole cell vectors are taken out.
bool SameSitePosition(const Point3d& a, const Point3d& b);

// The geometric type of a site at `position`: "Top", "Bridge", "Hollow" or "Other". The
// landmarks are tested in a fixed order and the first match decides; the hexagonal hollows
// are tested only on a hexagonal lattice, and the centre of the cell is a bridge there.
const char* SiteTypeAt(const Point3d& position, bool hexagonal);

// The positions a site type stands for, in the order the site list creates them; empty for a
// type that names no positions.
std::vector<Point3d> PositionsOfSiteType(const std::string& siteType, bool hexagonal);

// Brings a position into the unit cell: every coordinate ends up in [0.01, 0.99] or at exactly
// 0, so a site just inside a cell edge is stored at the edge itself.
Point3d WrapIntoCell(const Point3d& position);

}  // namespace kmc
