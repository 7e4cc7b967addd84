// KMCSiteSpecification: the address ( i , j / n ) of one lattice site relative to a reference
// cell: whole cell offsets i and j and the site number n in the lattice site list, counted from
// 1. Holders store it as text; it has no XML element of its own.
#pragma once

#include <string>
#include <string_view>

#include "frame/component.h"
#include "frame/parent.h"
#include "geometry/geometry.h"
#include "lattice/lattice.h"
#include "vxostrel/lattice.h"

class KMCLatticeSite;

namespace kmc {

// Where the site at `sitePosition` of the cell (i, j) lies, in fractional coordinates of the
// reference cell.
Point3d CellPosition(LONG i, LONG j, const Point3d& sitePosition);

// The distance between two positions in fractional coordinates of a cell with lengths u and v
// and angle `thetaDegrees`, in the unit of u and v. Every distance between addresses is measured
// here, so that one computed without address objects agrees with get_Distance bit for bit.
double CellDistance(double u, double v, double thetaDegrees, const Point3d& from, const Point3d& to);

}  // namespace kmc

class NOX_EXPORT KMCSiteSpecification final
    : public kmc::Component<KMCSiteSpecification, IVxKMCSiteSpecification> {
public:
    KMC_COMPONENT_CLASS(KMCSiteSpecification, "Orvanta KMC Site Specification");

    // Links the address once; the lattice is kept alive while the address refers to it. Raised:
    // E_UNEXPECTED "Parent is already set for KMCSiteSpecification." when the document is set.
    void SetParent(CKMCDocumentsBase* document, KMCLattice* lattice) {
        parents_.LinkOnce(kClassName, document, lattice);
    }
    KMCLattice* ParentLattice() const { return parents_.Get<KMCLattice>(); }
    CKMCDocumentsBase* ParentDocument() const { return parents_.Document(); }

    // The address (i, j and the site number n in `site`).
    PeriodicTranslation Address() const { return {i_, j_, n_}; }
    // Sets the address without asking or telling the document: for the owner that makes or
    // loads the address.
    void SetAddress(const PeriodicTranslation& address);
    // The address as SiteDetailsAsString gives it, without the trip through automation text.
    std::string AddressText() const;

    // The address in a text such as "( 1 , -2 / 3 )", with the site number in `site`. Never
    // fails: a place that does not start with a number keeps its start value (0, 0 and 1).
    static PeriodicTranslation ParseSiteDetails(std::string_view text);
    // Whether a text typed by a user is an address: at most three places, each a whole number
    // with an optional sign that fits 32 bits (or a sign alone), and a site number of at
    // least 1 when there are three.
    static bool IsValidSiteDetailsString(BSTR text);

    [[nodiscard]] HRESULT SetSiteDetails(LONG i, LONG j, LONG n) override;
    [[nodiscard]] HRESULT GetSiteDetails(LONG* i, LONG* j, LONG* n) override;
    [[nodiscard]] HRESULT put_SiteDetailsAsString(BSTR text) override;
    [[nodiscard]] HRESULT get_SiteDetailsAsString(BSTR* text) override;
    [[nodiscard]] HRESULT Transform(LONG operatorIndex, IVxKMCSiteSpecification** image) override;
    [[nodiscard]] HRESULT Translate(LONG di, LONG dj, IVxKMCSiteSpecification** translated) override;
    [[nodiscard]] HRESULT get_Distance(IVxKMCSiteSpecification* other, double* distance) override;
    [[nodiscard]] HRESULT FractionalCoordinate(double* x, double* y) override;
    [[nodiscard]] HRESULT get_IsEquivalent(BSTR text, VARIANT_BOOL* equivalent) override;
    [[nodiscard]] HRESULT get_SiteDetailsAsVelkorString(BSTR* text) override;

private:
    // A new address with no document and no lattice; the caller links it.
    static NoxComPtr<KMCSiteSpecification> MakeAddress(LONG i, LONG j, LONG n);

    KMCLattice& Lattice() const;
    // Raised: E_UNEXPECTED "Site index is invalid" unless 1 <= n <= the number of sites.
    const KMCLatticeSite& AddressedSite() const;
    // The site's position in fractional coordinates of the reference cell.
    Point3d Fractional() const;
    LONG i_ = 0;
    LONG j_ = 0;
    LONG n_ = 1;
    kmc::ParentLinks<CKMCDocumentsBase, kmc::Counted<KMCLattice>> parents_;
};
