#include "lattice/positions.h"

#include <cmath>
#include <limits>

#include "nox/result.h"

namespace kmc {

double NearestWhole(double value) { return std::trunc(value > 0 ? value + 0.5 : value - 0.5); }

LONG CellOffset(double offset) {
    const double whole = NearestWhole(offset);
    // Written so that a NaN fails the test too.
    if (!(whole >= std::numeric_limits<LONG>::min() && whole <= std::numeric_limits<LONG>::max()))
        throw NoxResult(E_UNEXPECTED, "Site address is out of range.");
    return static_cast<LONG>(whole);
}

bool SameSitePosition(const Point3d& a, const Point3d& b) {
    auto reduced = [](double d) { return d - NearestWhole(d); };
    const Point3d d = a - b;
    return Point3d{reduced(d.x), reduced(d.y), reduced(d.z)}.Length() < kSitePositionTolerance;
}

Point3d WrapIntoCell(const Point3d& position) {
    auto wrap = [](double c) {
        c -= std::floor(c);
        return c < kSitePositionTolerance || c > 1.0 - kSitePositionTolerance ? 0.0 : c;
    };
    return {wrap(position.x), wrap(position.y), wrap(position.z)};
}

}  // namespace kmc
