#include "lattice/lattice_site_list.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "lattice/lattice.h"
#include "lattice/positions.h"
#include "lattice/site_users.h"
#include "nox/format.h"
#include "nox/strings.h"
#include "xml/element_io.h"
#include "xml/read_items.h"
#include "xml/utils.h"

namespace {

constexpr const char* kInvalidIndex = "Index into lattice site list is invalid.";
constexpr double kConsistencyTolerance = 0.01;

// A site of another list, read through its interface.
struct SiteReading {
    std::string category;
    std::string type;
    double x = 0.0;
    double y = 0.0;
    LONG label = 0;
};

SiteReading ReadSite(IVxKMCLatticeSiteList& list, LONG index) {
    NoxComPtr<IVxKMCLatticeSite> site;
    nox::Check(list.get_Item(index, site.Put()));
    SiteReading reading;
    NoxBSTR category, type;
    nox::Check(site->get_Category(category.Put()));
    nox::Check(site->get_Type(type.Put()));
    nox::Check(site->get_XPosition(&reading.x));
    nox::Check(site->get_YPosition(&reading.y));
    nox::Check(site->get_Label(&reading.label));
    reading.category = category.ToTString();
    reading.type = type.ToTString();
    return reading;
}

// The positions a request asks for. Expanded requests of the named site types take the type's
// own positions, whatever x and y say.
std::vector<Point3d> RequestedPositions(const std::string& siteType, const Point3d& given, bool expand,
                                        bool hexagonal) {
    if (!expand) return {given};
    std::vector<Point3d> named = kmc::PositionsOfSiteType(siteType, hexagonal);
    if (named.empty()) return {given};
    return named;
}

bool IsAmong(const Point3d& position, const std::vector<Point3d>& positions) {
    return std::any_of(positions.begin(), positions.end(),
                       [&](const Point3d& other) { return kmc::SameSitePosition(position, other); });
}

LONG NextLabel(LONG label) {
    if (label == std::numeric_limits<LONG>::max())
        throw NoxResult(E_UNEXPECTED, "No further lattice site labels are available.");
    return label + 1;
}

ColorValue OpaqueColor(LONG color) {
    return ColorValue(static_cast<uint32_t>(color) | ColorValue::kOpaqueTop);
}

}  // namespace

CKMCDocumentsBase* KMCLatticeSiteList::ParentDocument() const { return parents_.Document(); }

KMCLattice& KMCLatticeSiteList::Lattice() const {
    KMCLattice* lattice = ParentLattice();
    if (lattice == nullptr) throw NoxResult(E_UNEXPECTED, "Lattice site list is not part of a lattice.");
    return *lattice;
}

void KMCLatticeSiteList::CheckIndex(LONG index) const {
    if (index < 0 || index >= Count()) throw NoxResult(E_UNEXPECTED, kInvalidIndex);
}

const KMCLatticeSite& KMCLatticeSiteList::Site(LONG index) const {
    CheckIndex(index);
    return sites_[static_cast<size_t>(index)];
}

std::vector<LONG> KMCLatticeSiteList::GetRelatedSites(LONG index) const {
    if (index < 0 || index >= Count())
        throw NoxResult(E_UNEXPECTED, "Lattice site index out of range in call to GetRelatedSites");
    const LONG label = sites_[static_cast<size_t>(index)].Label();
    std::vector<LONG> related;
    for (LONG k = 0; k < Count(); ++k) {
        if (sites_[static_cast<size_t>(k)].Label() == label) related.push_back(k);
    }
    return related;
}

PeriodicTranslation KMCLatticeSiteList::FindSite(double x, double y, LONG label) const {
    const Point3d position{x, y, 0.0};
    for (size_t k : positions_.Near(position, sites_)) {
        const KMCLatticeSite& site = sites_[k];
        if (site.Label() == label && kmc::SameSitePosition(position, site.Position()))
            return {kmc::CellOffset(x - site.Position().x), kmc::CellOffset(y - site.Position().y),
                    static_cast<LONG>(k)};
    }
    throw NoxResult(E_UNEXPECTED, "FindSite failed to find desired site in LatticeSiteList");
}

bool KMCLatticeSiteList::SiteAlreadyExists(const std::string& category, const Point3d& position) const {
    if (category == kmc::kLabelSite) return false;
    const std::vector<size_t> near = positions_.Near(position, sites_);
    return std::any_of(near.begin(), near.end(), [&](size_t k) {
        return sites_[k].Category() == category && kmc::SameSitePosition(sites_[k].Position(), position);
    });
}

void KMCLatticeSiteList::AppendSite(const std::string& category, const Point3d& position, ColorValue color,
                                    LONG label) {
    NoxComPtr<KMCLatticeSite> site = KMCLatticeSite::Create();
    site->SetParent(this);
    site->SetParameters(category, position.x, position.y, color, label);
    positions_.Append(sites_.Count(), site->Position());
    sites_.Append(std::move(site));
}

NoxComPtr<KMCLatticeSite> KMCLatticeSiteList::CreateLatticeSiteImpl(const std::string& category,
                                                                    const std::string& siteType, double x,
                                                                    double y, ColorValue color, LONG& label,
                                                                    bool expand) {
    const KMCLattice& lattice = Lattice();
    expand = expand && category != kmc::kLabelSite;
    std::vector<Point3d> requested = RequestedPositions(siteType, {x, y, 0.0}, expand, lattice.IsHexagonal());
    std::erase_if(requested, [&](const Point3d& position) {
        return SiteAlreadyExists(category, kmc::WrapIntoCell(position));
    });
    if (requested.empty())
        throw NoxResult(E_UNEXPECTED, "Requested lattice sites already exist - request ignored.");

    kmc::OwnedItems<KMCLatticeSite>::Appending appending(sites_);
    const size_t first = sites_.Count();
    const std::vector<TransformMatrix> operators =
        expand ? lattice.SymmetryOperators() : std::vector<TransformMatrix>{};
    // Images are tested only against the positions made by this request.
    std::vector<Point3d> made;
    auto makeIfNew = [&](const Point3d& position) {
        if (IsAmong(position, made)) return false;
        AppendSite(category, position, color, label);
        made.push_back(position);
        return true;
    };
    for (const Point3d& request : requested) {
        const Point3d position = kmc::WrapIntoCell(request);
        if (!makeIfNew(position)) continue;
        for (auto op = operators.rbegin(); op != operators.rend(); ++op)
            makeIfNew(kmc::WrapIntoCell(op->Apply(position)));
        label = NextLabel(label);
    }
    appending.Commit();
    return NoxComPtr<KMCLatticeSite>(&sites_[first]);
}

HRESULT KMCLatticeSiteList::CreateLatticeSite(BSTR category, BSTR siteType, double x, double y, LONG color,
                                              IVxKMCLatticeSite** site) {
    return Boundary([&] {
        kmc::Out(site);
        Edit([&] {
            // A document being read brings every site of an orbit itself.
            CKMCDocumentsBase* document = ParentDocument();
            const bool expand = document == nullptr || !document->IsLoading();
            LONG label = nextSiteLabel_;
            NoxComPtr<KMCLatticeSite> created = CreateLatticeSiteImpl(
                BSTRToTString(category), BSTRToTString(siteType), x, y, OpaqueColor(color), label, expand);
            nextSiteLabel_ = label;
            kmc::HandOut(created, site);
        });
    });
}

HRESULT KMCLatticeSiteList::CreateLatticeSite2(BSTR category, BSTR siteType, double x, double y, LONG color,
                                               LONG label, IVxKMCLatticeSite** site) {
    return Boundary([&] {
        kmc::Out(site);
        Edit([&] {
            NoxComPtr<KMCLatticeSite> created = CreateLatticeSiteImpl(
                BSTRToTString(category), BSTRToTString(siteType), x, y, OpaqueColor(color), label, false);
            nextSiteLabel_ = label;
            kmc::HandOut(created, site);
        });
    });
}

HRESULT KMCLatticeSiteList::get_Count(LONG* count) {
    return Boundary([&] { *kmc::Out(count) = Count(); });
}

HRESULT KMCLatticeSiteList::get_Item(LONG index, IVxKMCLatticeSite** site) {
    return Boundary([&] {
        kmc::Out(site);
        CheckIndex(index);
        kmc::HandOut(&sites_[static_cast<size_t>(index)], site);
    });
}

HRESULT KMCLatticeSiteList::ClearLatticeSiteList() {
    return Boundary([&] {
        sites_.Clear();
        positions_.MarkStale();
        nextSiteLabel_ = 1;
    });
}

HRESULT KMCLatticeSiteList::Clone(IVxKMCLatticeSiteList* source) {
    return Boundary([&] {
        if (source == nullptr)
            throw NoxResult(E_INVALIDARG, "No source list suppliced for KMCLatticeSiteList::Clone");
        if (!sites_.Empty())
            throw NoxResult(E_UNEXPECTED, "Clone method can only be used on an empty Lattice Site List");
        LONG count = 0;
        nox::Check(source->get_Count(&count));
        Edit([&] {
            kmc::OwnedItems<KMCLatticeSite>::Appending appending(sites_);
            LONG nextSiteLabel = nextSiteLabel_;
            // Colours are not copied: every cloned site is black.
            for (LONG index = 0; index < count; ++index) {
                const SiteReading original = ReadSite(*source, index);
                nextSiteLabel = original.label;
                (void)CreateLatticeSiteImpl(original.category, original.type, original.x, original.y,
                                            OpaqueColor(0), nextSiteLabel, false);
            }
            appending.Commit();
            nextSiteLabel_ = nextSiteLabel;
        });
    });
}

const char* KMCLatticeSiteList::SiteDifference(IVxKMCLatticeSiteList& other) const {
    LONG count = 0;
    nox::Check(other.get_Count(&count));
    if (count != Count()) return "The two lattices have a different number of sites specified.";
    for (LONG index = 0; index < count; ++index) {
        const SiteReading theirs = ReadSite(other, index);
        const KMCLatticeSite& mine = sites_[static_cast<size_t>(index)];
        if (mine.Category() != theirs.category || mine.Type() != theirs.type ||
            std::abs(mine.Position().x - theirs.x) > kConsistencyTolerance ||
            std::abs(mine.Position().y - theirs.y) > kConsistencyTolerance)
            return "Lattice sites differ, either in type or position, between the two lattices.";
    }
    return nullptr;
}

HRESULT KMCLatticeSiteList::IsConsistent(IVxKMCLatticeSiteList* other, VARIANT_BOOL* consistent,
                                         BSTR* message) {
    return Boundary([&] {
        kmc::Out(consistent);
        kmc::Out(message);
        const char* difference = SiteDifference(*CheckNullDereference(other));
        *message = NoxBSTR(difference != nullptr ? difference : "").Detach();
        *consistent = kmc::AsFlag(difference == nullptr);
    });
}

std::string KMCLatticeSiteList::DeletionRefusal(LONG index) const {
    CheckIndex(index);
    if (index == 0) return "You may not delete site index 1 (the Top site).";
    const KMCLattice* lattice = ParentLattice();
    if (lattice == nullptr) return {};
    // Site numbers count from 1, so an item using the number of the site just before the orbit
    // is refused too.
    const LONG first = GetRelatedSites(index).front();
    if (kmc::HighestSiteIndexUsed(lattice->ProcessList()) >= first)
        return "One or more of the processes uses a site whose index would be affected by the deletion";
    if (kmc::HighestSiteIndexUsed(lattice->InteractionList()) >= first)
        return "One or more of the interactions uses a site whose index would be affected by the deletion";
    return {};
}

HRESULT KMCLatticeSiteList::get_CanDeleteSite(LONG index, BSTR* message, VARIANT_BOOL* canDelete) {
    return Boundary([&] {
        kmc::Out(message);
        kmc::Out(canDelete);
        const std::string refusal = DeletionRefusal(index);
        *message = NoxBSTR(refusal).Detach();
        *canDelete = kmc::AsFlag(refusal.empty());
    });
}

HRESULT KMCLatticeSiteList::get_CountRelatedSites(LONG index, LONG* count) {
    return Boundary([&] {
        kmc::Out(count);
        CheckIndex(index);
        *count = static_cast<LONG>(GetRelatedSites(index).size());
    });
}

HRESULT KMCLatticeSiteList::DeleteSite(LONG index) {
    return Boundary([&] {
        const std::string refusal = DeletionRefusal(index);
        if (!refusal.empty())
            throw NoxResult(E_UNEXPECTED, NoxFormat("Unable to delete lattice site:\n%1") << refusal);
        Edit([&] {
            const std::vector<LONG> orbit = GetRelatedSites(index);
            sites_.RemoveAt(std::vector<size_t>(orbit.begin(), orbit.end()));
            positions_.MarkStale();
        });
    });
}

HRESULT KMCLatticeSiteList::SaveToXML(IVxOstrelToXML* writer) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementWriter element(writer, "LatticeSiteList");
        element.Long("NumberOfSites", Count());
        element.Long("NextSiteLabel", nextSiteLabel_);
        for (const NoxComPtr<KMCLatticeSite>& site : sites_) OstrelUtils::SaveXML(site.Get(), writer);
        element.Close();
    });
}

HRESULT KMCLatticeSiteList::LoadFromXML(IVxXMLToOstrel* reader) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementReader element(reader, "LatticeSiteList");
        kmc::OwnedItems<KMCLatticeSite> loaded = kmc::ReadItems<KMCLatticeSite>(
            element, "NumberOfSites", "Unexpected children found for the LatticeSite element", [&] {
                NoxComPtr<KMCLatticeSite> site = KMCLatticeSite::Create();
                site->SetParent(this);
                return site;
            });
        const LONG nextSiteLabel = element.Long("NextSiteLabel");
        element.Close();
        // The list changes only once the whole element has been read.
        sites_ = std::move(loaded);
        positions_.MarkStale();
        nextSiteLabel_ = nextSiteLabel;
    });
}
