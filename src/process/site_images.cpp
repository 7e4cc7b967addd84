#include "process/site_images.h"

#include <cmath>
#include <limits>

#include "lattice/lattice.h"
#include "lattice/lattice_site_list.h"
#include "lattice/positions.h"
#include "lattice/site_specification.h"
#include "process/process_site.h"

namespace kmc {
namespace {

// A whole cell offset that must fit 32 bits, as the address's own arithmetic checks it.
LONG CheckedOffset(int64_t offset) {
    if (offset < std::numeric_limits<LONG>::min() || offset > std::numeric_limits<LONG>::max())
        throw NoxResult(E_UNEXPECTED, "Site address is out of range.");
    return static_cast<LONG>(offset);
}

PeriodicTranslation Asked(IVxKMCSiteSpecification* image) {
    NoxComPtr<IVxKMCSiteSpecification> owned = NoxComPtr<IVxKMCSiteSpecification>::Attach(image);
    return ReadAddress(owned.Get());
}

}  // namespace

SiteImages::SiteImages(const KMCLattice* lattice) : lattice_(lattice) {
    if (lattice_ == nullptr) return;
    const KMCLatticeSiteList* sites = lattice_->RawLatticeSiteList();
    siteCount_ = sites != nullptr ? sites->Count() : 0;
    for (size_t k = 0; k < lattice_->OperatorCount(); ++k) {
        const TransformMatrix& op = lattice_->Operator(k);
        const double r[4] = {op.Linear(0, 0), op.Linear(0, 1), op.Linear(1, 0), op.Linear(1, 1)};
        bool integral = true;
        std::array<LONG, 4> whole{};
        for (int e = 0; e < 4; ++e) {
            integral = integral && r[e] == std::trunc(r[e]) && std::abs(r[e]) < 1e6;
            whole[static_cast<size_t>(e)] = integral ? static_cast<LONG>(r[e]) : 0;
        }
        linear_.push_back(whole);
        integral_.push_back(integral);
    }
    images_.resize(linear_.size() * static_cast<size_t>(siteCount_));
}

bool SiteImages::IsOwn(IVxKMCSiteSpecification* spec) const {
    auto* own = dynamic_cast<KMCSiteSpecification*>(spec);
    return lattice_ != nullptr && own != nullptr && own->ParentLattice() == lattice_;
}

const SiteImages::Image& SiteImages::ImageOfSite(LONG operatorIndex, LONG siteNumber) {
    std::optional<Image>& slot =
        images_[static_cast<size_t>(operatorIndex) * static_cast<size_t>(siteCount_) + static_cast<size_t>(siteNumber - 1)];
    if (!slot) {
        const KMCLatticeSiteList& sites = *lattice_->RawLatticeSiteList();
        const KMCLatticeSite& site = sites.Site(siteNumber - 1);
        Image image;
        try {
            const Point3d mapped = lattice_->TransformPosition(site.Position(), operatorIndex);
            image.offset = sites.FindSite(mapped.x, mapped.y, site.Label());
        } catch (const NoxResult& failure) {
            image.failure = failure;
        }
        slot = image;
    }
    return *slot;
}

PeriodicTranslation SiteImages::Transform(IVxKMCSiteSpecification* spec, LONG operatorIndex) {
    if (!IsOwn(spec) || operatorIndex < 0 || static_cast<size_t>(operatorIndex) >= linear_.size() ||
        !integral_[static_cast<size_t>(operatorIndex)]) {
        IVxKMCSiteSpecification* image = nullptr;
        nox::Check(CheckNullDereference(spec)->Transform(operatorIndex, &image));
        return Asked(image);
    }
    const PeriodicTranslation address = static_cast<KMCSiteSpecification*>(spec)->Address();
    if (address.site < 1 || address.site > siteCount_) throw NoxResult(E_UNEXPECTED, "Site index is invalid");
    const Image& image = ImageOfSite(operatorIndex, address.site);
    if (image.failure) throw *image.failure;
    const std::array<LONG, 4>& r = linear_[static_cast<size_t>(operatorIndex)];
    const int64_t i = int64_t{r[0]} * address.i + int64_t{r[1]} * address.j + image.offset.i;
    const int64_t j = int64_t{r[2]} * address.i + int64_t{r[3]} * address.j + image.offset.j;
    return {CheckedOffset(i), CheckedOffset(j), image.offset.site + 1};
}

PeriodicTranslation SiteImages::Translate(const PeriodicTranslation& address, int64_t di, int64_t dj) {
    return {CheckedOffset(address.i + di), CheckedOffset(address.j + dj), address.site};
}

}  // namespace kmc
