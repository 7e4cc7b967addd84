// KMCLatticeSiteList: the sites of the lattice's unit cell in a fixed order (a site's index is
// its place in that order). It creates new sites together with their symmetry images, gives each
// such orbit one label, refuses positions already taken, and deletes whole orbits when no
// process or interaction addresses a site whose number would change.
#pragma once

#include <string>
#include <vector>

#include "frame/component.h"
#include "frame/owned_items.h"
#include "frame/parent.h"
#include "geometry/color.h"
#include "geometry/geometry.h"
#include "lattice/lattice_site.h"
#include "lattice/site_index.h"
#include "vxostrel/document.h"
#include "vxostrel/lattice.h"
#include "vxostrel/serializer.h"

class KMCLattice;

class NOX_EXPORT KMCLatticeSiteList final
    : public kmc::Component<KMCLatticeSiteList, IVxKMCLatticeSiteList, IVxKMCSerializer> {
public:
    KMC_COMPONENT_CLASS(KMCLatticeSiteList, "Orvanta KMC LatticeSiteList");

    // Called by the owning lattice when it makes the list. The host argument is not kept.
    void SetParent(KMCLattice* lattice, IUnknown* host) { parents_.Link(lattice); }
    // Called by the lattice when it goes while a client still holds the list.
    void LeaveOwner() { parents_.Unlink(); }
    KMCLattice* ParentLattice() const { return parents_.Get<KMCLattice>(); }
    CKMCDocumentsBase* ParentDocument() const;

    LONG Count() const { return static_cast<LONG>(sites_.Count()); }
    // Raised: E_UNEXPECTED "Index into lattice site list is invalid." unless 0 <= index < Count().
    const KMCLatticeSite& Site(LONG index) const;
    // The 0-based indices of the orbit of site `index` (the sites of its label), in list order.
    // Raised: E_UNEXPECTED "Lattice site index out of range in call to GetRelatedSites".
    std::vector<LONG> GetRelatedSites(LONG index) const;
    // The first site of `label` at (x, y) up to whole cells: the cell offsets from that site to
    // (x, y) in i and j and its 0-based index in `site`. Raised (E_UNEXPECTED): "FindSite failed
    // to find desired site in LatticeSiteList", "Site address is out of range.".
    PeriodicTranslation FindSite(double x, double y, LONG label) const;

    [[nodiscard]] HRESULT CreateLatticeSite(BSTR category, BSTR siteType, double x, double y, LONG color,
                              IVxKMCLatticeSite** site) override;
    [[nodiscard]] HRESULT CreateLatticeSite2(BSTR category, BSTR siteType, double x, double y, LONG color, LONG label,
                               IVxKMCLatticeSite** site) override;
    [[nodiscard]] HRESULT get_Count(LONG* count) override;
    [[nodiscard]] HRESULT get_Item(LONG index, IVxKMCLatticeSite** site) override;
    [[nodiscard]] HRESULT ClearLatticeSiteList() override;
    [[nodiscard]] HRESULT Clone(IVxKMCLatticeSiteList* source) override;
    [[nodiscard]] HRESULT IsConsistent(IVxKMCLatticeSiteList* other, VARIANT_BOOL* consistent, BSTR* message) override;
    [[nodiscard]] HRESULT get_CanDeleteSite(LONG index, BSTR* message, VARIANT_BOOL* canDelete) override;
    [[nodiscard]] HRESULT get_CountRelatedSites(LONG index, LONG* count) override;
    [[nodiscard]] HRESULT DeleteSite(LONG index) override;

    [[nodiscard]] HRESULT SaveToXML(IVxOstrelToXML* writer) override;
    [[nodiscard]] HRESULT LoadFromXML(IVxXMLToOstrel* reader) override;

private:
    KMCLattice& Lattice() const;
    void CheckIndex(LONG index) const;
    bool SiteAlreadyExists(const std::string& category, const Point3d& position) const;
    // Creates the sites of one request, each orbit under the next label from `label` on, and
    // returns the first; `label` ends as the label of the next orbit. A failure undoes the
    // whole request.
    NoxComPtr<KMCLatticeSite> CreateLatticeSiteImpl(const std::string& category, const std::string& siteType,
                                                    double x, double y, ColorValue color, LONG& label,
                                                    bool expand);
    void AppendSite(const std::string& category, const Point3d& position, ColorValue color, LONG label);
    // Why the orbit of site `index` may not be deleted; empty when it may.
    std::string DeletionRefusal(LONG index) const;
    // The first of the checks that tells the two lists apart, or null when none does.
    const char* SiteDifference(IVxKMCLatticeSiteList& other) const;

    kmc::OwnedItems<KMCLatticeSite> sites_;
    mutable kmc::SitePositionIndex positions_;
    LONG nextSiteLabel_ = 1;
    kmc::ParentLinks<KMCLattice> parents_;
};
