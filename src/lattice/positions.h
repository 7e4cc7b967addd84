// Positions in fractional coordinates of the unit cell, compared periodically: positions that
// differ by whole cell vectors are the same site position.
#pragma once

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

// Brings a position into the unit cell: every coordinate ends up in [0.01, 0.99] or at exactly
// 0, so a site just inside a cell edge is stored at the edge itself.
Point3d WrapIntoCell(const Point3d& position);

}  // namespace kmc
