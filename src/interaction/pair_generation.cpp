#include "interaction/pair_generation.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "lattice/lattice.h"
#include "lattice/lattice_site.h"
#include "lattice/lattice_site_list.h"
#include "lattice/site_specification.h"
#include "nox/format.h"
#include "nox/result.h"

namespace kmc {
namespace {

struct AdsorptionSite {
    LONG number;  // counted from 1, as in an address
    Point3d position;
};

std::vector<AdsorptionSite> AdsorptionSites(const KMCLattice& lattice) {
    const KMCLatticeSiteList& sites = *CheckNullDereference(lattice.RawLatticeSiteList());
    std::vector<AdsorptionSite> found;
    for (LONG k = 0; k < sites.Count(); ++k)
        if (sites.Site(k).Category() == kAdsorptionSite) found.push_back({k + 1, sites.Site(k).Position()});
    return found;
}

bool FitsAddress(double cells) { return std::fabs(cells) <= std::numeric_limits<LONG>::max(); }

}  // namespace

CellSearchRange SearchRangeFor(double maximumCutoff, double u, double v, double thetaDegrees) {
    const double sine = std::sin(thetaDegrees * kRadiansPerDegree);
    const double cellsU = std::ceil(maximumCutoff / (sine * u));
    const double cellsV = std::ceil(maximumCutoff / (sine * v));
    // Written so that a NaN range is refused too.
    if (!(FitsAddress(cellsU) && FitsAddress(cellsV)))
        throw NoxResult(E_UNEXPECTED,
                        NoxFormat("The pairs within the maximum cutoff %1 could lie %2 by %3 cells away on "
                                  "this lattice, more than a site address can hold.")
                            << maximumCutoff << cellsU << cellsV);
    return {static_cast<LONG>(cellsU), static_cast<LONG>(cellsV)};
}

std::vector<SitePair> PairsWithin(KMCLattice& lattice, double minimumCutoff, double maximumCutoff) {
    double u = 0.0, v = 0.0, theta = 0.0;
    nox::Check(lattice.get_LengthU(&u));
    nox::Check(lattice.get_LengthV(&v));
    nox::Check(lattice.get_AngleTheta(&theta));
    const CellSearchRange range = SearchRangeFor(maximumCutoff, u, v, theta);
    const std::vector<AdsorptionSite> sites = AdsorptionSites(lattice);
    std::vector<SitePair> pairs;
    for (const AdsorptionSite& active : sites) {
        const Point3d from = CellPosition(0, 0, active.position);
        for (const AdsorptionSite& interacting : sites) {
            // 64-bit counters: a range of the largest 32-bit value still ends.
            for (int64_t i = -int64_t{range.u}; i <= range.u; ++i) {
                for (int64_t j = -int64_t{range.v}; j <= range.v; ++j) {
                    const auto ci = static_cast<LONG>(i), cj = static_cast<LONG>(j);
                    const double d =
                        CellDistance(u, v, theta, from, CellPosition(ci, cj, interacting.position));
                    if (minimumCutoff <= d && d < maximumCutoff)
                        pairs.push_back({{0, 0, active.number}, {ci, cj, interacting.number}});
                }
            }
        }
    }
    return pairs;
}

}  // namespace kmc
