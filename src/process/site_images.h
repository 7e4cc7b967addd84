// Where a lattice symmetry operator, or a translation, takes the address of a site, computed the
// way the address itself would (KMCSiteSpecification::Transform and Translate) without making a
// new address each time. An operator with an integral linear part R maps (i, j, n) to
// R·(i, j) + (di, dj) with site number n', where (di, dj, n') is the image of (0, 0, n); that image
// is found once per operator and site number. Addresses of other lattices, or of other
// implementations, are asked themselves.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "geometry/geometry.h"
#include "nox/result.h"
#include "vxostrel/lattice.h"

class KMCLattice;

namespace kmc {

class SiteImages {
public:
    // `lattice` may be null: every address is then asked itself.
    explicit SiteImages(const KMCLattice* lattice);

    // Raised as the address's Transform: "Site specification is not linked to a lattice.",
    // "Site index is invalid", "Invalid symmetry index for KMCLattice::TransformPosition",
    // "FindSite failed to find desired site in LatticeSiteList", "Site address is out of range.",
    // and the null-reference failure for a missing address.
    PeriodicTranslation Transform(IVxKMCSiteSpecification* spec, LONG operatorIndex);
    // An address moved by whole cells. Raised: E_UNEXPECTED "Site address is out of range." when
    // a cell offset leaves 32 bits.
    static PeriodicTranslation Translate(const PeriodicTranslation& address, int64_t di, int64_t dj);

private:
    // The image of (0, 0, n) under one operator, or the failure that finding it raised.
    struct Image {
        PeriodicTranslation offset;
        std::optional<NoxResult> failure;
    };

    bool IsOwn(IVxKMCSiteSpecification* spec) const;
    const Image& ImageOfSite(LONG operatorIndex, LONG siteNumber);

    const KMCLattice* lattice_;
    LONG siteCount_ = 0;
    std::vector<std::array<LONG, 4>> linear_;  // per operator: R11, R12, R21, R22
    std::vector<bool> integral_;              // per operator: whether R is integral
    std::vector<std::optional<Image>> images_;  // per operator and site number
};

}  // namespace kmc
