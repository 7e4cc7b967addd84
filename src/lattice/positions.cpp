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

namespace {

// The named positions of the cell. A site is classified by its landmark, which for the
// hexagonal hollows is the rounded 0.33 and 0.67 (within the tolerance of 1/3 and 2/3 alike);
// new sites of a named type are made at the exact position. A null type is not tested.
struct NamedPosition {
    Point3d position;
    Point3d landmark;
    const char* type;
    const char* hexagonalType;
};
constexpr NamedPosition kNamedPositions[] = {
    {{0.0, 0.0, 0.0}, {0.0, 0.0, 0.0}, "Top", "Top"},
    {{0.5, 0.0, 0.0}, {0.5, 0.0, 0.0}, "Bridge", "Bridge"},
    {{0.0, 0.5, 0.0}, {0.0, 0.5, 0.0}, "Bridge", "Bridge"},
    {{0.5, 0.5, 0.0}, {0.5, 0.5, 0.0}, "Hollow", "Bridge"},
    {{1.0 / 3.0, 1.0 / 3.0, 0.0}, {0.33, 0.33, 0.0}, nullptr, "Hollow"},
    {{2.0 / 3.0, 2.0 / 3.0, 0.0}, {0.67, 0.67, 0.0}, nullptr, "Hollow"},
};

const char* TypeOn(const NamedPosition& named, bool hexagonal) {
    return hexagonal ? named.hexagonalType : named.type;
}

}  // namespace

const char* SiteTypeAt(const Point3d& position, bool hexagonal) {
    for (const NamedPosition& named : kNamedPositions) {
        const char* type = TypeOn(named, hexagonal);
        if (type != nullptr && SameSitePosition(position, named.landmark)) return type;
    }
    return "Other";
}

std::vector<Point3d> PositionsOfSiteType(const std::string& siteType, bool hexagonal) {
    std::vector<Point3d> positions;
    for (const NamedPosition& named : kNamedPositions) {
        const char* type = TypeOn(named, hexagonal);
        if (type != nullptr && siteType == type) positions.push_back(named.position);
    }
    return positions;
}

Point3d WrapIntoCell(const Point3d& position) {
    auto wrap = [](double c) {
        c -= std::floor(c);
        return c < kSitePositionTolerance || c > 1.0 - kSitePositionTolerance ? 0.0 : c;
    };
    return {wrap(position.x), wrap(position.y), wrap(position.z)};
}

}  // namespace kmc
