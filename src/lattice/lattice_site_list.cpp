#include "lattice/lattice_site_list.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>

#include "lattice/lattice.h"
#include "lattice/positions.h"
#include "lattice/site_users.h"
#include "nox/format.h"
#include "nox/strings.h"
#include "xml/element_io.h"
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
    if (siteType == "Top") return {{0.0, 0.0, 0.0}};
    if (siteType == "Bridge") {
        if (hexagonal) return {{0.5, 0.0, 0.0}, {0.0, 0.5, 0.0}, {0.5, 0.5, 0.0}};
        return {{0.5, 0.0, 0.0}, {0.0, 0.5, 0.0}};
    }
    if (siteType == "Hollow") {
        if (hexagonal) return {{1.0 / 3.0, 1.0 / 3.0, 0.0}, {2.0 / 3.0, 2.0 / 3.0, 0.0}};
        return {{0.5, 0.5, 0.0}};
    }
    return {given};
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

ColorValue OpaqueColour(LONG colour) {
    return ColorValue(static_cast<uint32_t>(colour) | ColorValue::kOpaqueTop);
}

}  // namespace

// Undoes the appends and the label change of an operation that fails part-way, so that a failed
// request leaves the list as it was.
class KMCLatticeSiteList::AppendTransaction {
public:
    explicit AppendTransaction(KMCLatticeSiteList& list)
        : list_(list), count_(list.sites_.size()), nextSiteLabel_(list.nextSiteLabel_) {}
    ~AppendTransaction() {
        if (std::uncaught_exceptions() > exceptions_) {
            list_.TruncateTo(count_);
            list_.nextSiteLabel_ = nextSiteLabel_;
        }
    }
    AppendTransaction(const AppendTransaction&) = delete;
    AppendTransaction& operator=(const AppendTransaction&) = delete;

private:
    KMCLatticeSiteList& list_;
    size_t count_;
    LONG nextSiteLabel_;
    int exceptions_ = std::uncaught_exceptions();
};

KMCLatticeSiteList::~KMCLatticeSiteList() { TruncateTo(0); }

void KMCLatticeSiteList::SetParent(KMCLattice* lattice, IUnknown*) { lattice_ = lattice; }

CKMCDocumentsBase* KMCLatticeSiteList::ParentDocument() const {
    return lattice_ != nullptr ? lattice_->ParentDocument() : nullptr;
}

KMCLattice& KMCLatticeSiteList::Lattice() const {
    if (lattice_ == nullptr) throw NoxResult(E_UNEXPECTED, "Lattice site list is not part of a lattice.");
    return *lattice_;
}

void KMCLatticeSiteList::CheckIndex(LONG index) const {
    if (index < 0 || index >= Count()) throw NoxResult(E_UNEXPECTED, kInvalidIndex);
}

const KMCLatticeSite& KMCLatticeSiteList::Site(LONG index) const {
    CheckIndex(index);
    return *sites_[static_cast<size_t>(index)];
}

std::vector<LONG> KMCLatticeSiteList::GetRelatedSites(LONG index) const {
    if (index < 0 || index >= Count())
        throw NoxResult(E_UNEXPECTED, "Lattice site index out of range in call to GetRelatedSites");
    const LONG label = sites_[static_cast<size_t>(index)]->Label();
    std::vector<LONG> related;
    for (LONG k = 0; k < Count(); ++k) {
        if (sites_[static_cast<size_t>(k)]->Label() == label) related.push_back(k);
    }
    return related;
}

PeriodicTranslation KMCLatticeSiteList::FindSite(double x, double y, LONG label) const {
    const Point3d position{x, y, 0.0};
    for (LONG k = 0; k < Count(); ++k) {
        const KMCLatticeSite& site = *sites_[static_cast<size_t>(k)];
        if (site.Label() == label && kmc::SameSitePosition(position, site.Position()))
            return {kmc::CellOffset(x - site.Position().x), kmc::CellOffset(y - site.Position().y), k};
    }
    throw NoxResult(E_UNEXPECTED, "FindSite failed to find desired site in LatticeSiteList");
}

bool KMCLatticeSiteList::SiteAlreadyExists(const std::string& category, const Point3d& position) const {
    if (category == kmc::kLabelSite) return false;
    return std::any_of(sites_.begin(), sites_.end(), [&](const NoxComPtr<KMCLatticeSite>& site) {
        return site->Category() == category && kmc::SameSitePosition(site->Position(), position);
    });
}

void KMCLatticeSiteList::AppendSite(const std::string& category, const Point3d& position, ColorValue colour,
                                    LONG label) {
    NoxComPtr<KMCLatticeSite> site = KMCLatticeSite::Create();
    site->SetParent(this);
    site->SetParameters(category, position.x, position.y, colour, label);
    sites_.push_back(std::move(site));
}

NoxComPtr<KMCLatticeSite> KMCLatticeSiteList::CreateLatticeSiteImpl(const std::string& category,
                                                                    const std::string& siteType, double x,
                                                                    double y, ColorValue colour, LONG& label,
                                                                    bool expand) {
    const KMCLattice& lattice = Lattice();
    expand = expand && category != kmc::kLabelSite;
    std::vector<Point3d> requested = RequestedPositions(siteType, {x, y, 0.0}, expand, lattice.IsHexagonal());
    std::erase_if(requested, [&](const Point3d& position) {
        return SiteAlreadyExists(category, kmc::WrapIntoCell(position));
    });
    if (requested.empty())
        throw NoxResult(E_UNEXPECTED, "Requested lattice sites already exist - request ignored.");

    AppendTransaction transaction(*this);
    const size_t first = sites_.size();
    const std::vector<TransformMatrix> operators =
        expand ? lattice.SymmetryOperators() : std::vector<TransformMatrix>{};
    // Images are tested only against the positions made by this request.
    std::vector<Point3d> made;
    auto makeIfNew = [&](const Point3d& position) {
        if (IsAmong(position, made)) return false;
        AppendSite(category, position, colour, label);
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
    return sites_[first];
}

HRESULT KMCLatticeSiteList::CreateLatticeSite(BSTR category, BSTR siteType, double x, double y, LONG colour,
                                              IVxKMCLatticeSite** site) {
    return Boundary([&] {
        kmc::Out(site);
        CKMCDocumentsBase* document = ParentDocument();
        kmc::Edit(document, [&] {
            // A document being read brings every site of an orbit itself.
            const bool expand = document == nullptr || !document->IsLoading();
            LONG label = nextSiteLabel_;
            NoxComPtr<KMCLatticeSite> created = CreateLatticeSiteImpl(
                BSTRToTString(category), BSTRToTString(siteType), x, y, OpaqueColour(colour), label, expand);
            nextSiteLabel_ = label;
            *site = created.Detach();
        });
    });
}

HRESULT KMCLatticeSiteList::CreateLatticeSite2(BSTR category, BSTR siteType, double x, double y, LONG colour,
                                               LONG label, IVxKMCLatticeSite** site) {
    return Boundary([&] {
        kmc::Out(site);
        kmc::Edit(ParentDocument(), [&] {
            NoxComPtr<KMCLatticeSite> created = CreateLatticeSiteImpl(
                BSTRToTString(category), BSTRToTString(siteType), x, y, OpaqueColour(colour), label, false);
            nextSiteLabel_ = label;
            *site = created.Detach();
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
        *site = NoxComPtr<KMCLatticeSite>(sites_[static_cast<size_t>(index)]).Detach();
    });
}

HRESULT KMCLatticeSiteList::ClearLatticeSiteList() {
    return Boundary([&] {
        TruncateTo(0);
        nextSiteLabel_ = 1;
    });
}

HRESULT KMCLatticeSiteList::Clone(IVxKMCLatticeSiteList* source) {
    return Boundary([&] {
        if (source == nullptr)
            throw NoxResult(E_INVALIDARG, "No source list suppliced for KMCLatticeSiteList::Clone");
        if (!sites_.empty())
            throw NoxResult(E_UNEXPECTED, "Clone method can only be used on an empty Lattice Site List");
        LONG count = 0;
        nox::Check(source->get_Count(&count));
        kmc::Edit(ParentDocument(), [&] {
            AppendTransaction transaction(*this);
            // Colours are not copied: every cloned site is black.
            for (LONG index = 0; index < count; ++index) {
                const SiteReading original = ReadSite(*source, index);
                LONG label = original.label;
                CreateLatticeSiteImpl(original.category, original.type, original.x, original.y,
                                      OpaqueColour(0), label, false);
                nextSiteLabel_ = label;
            }
        });
    });
}

const char* KMCLatticeSiteList::SiteDifference(IVxKMCLatticeSiteList& other) const {
    LONG count = 0;
    nox::Check(other.get_Count(&count));
    if (count != Count()) return "The two lattices have a different number of sites specified.";
    for (LONG index = 0; index < count; ++index) {
        const SiteReading theirs = ReadSite(other, index);
        const KMCLatticeSite& mine = *sites_[static_cast<size_t>(index)];
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
        *consistent = difference != nullptr ? VARIANT_FALSE : VARIANT_TRUE;
    });
}

std::string KMCLatticeSiteList::DeletionRefusal(LONG index) const {
    CheckIndex(index);
    if (index == 0) return "You may not delete site index 1 (the Top site).";
    if (lattice_ == nullptr) return {};
    // Site numbers count from 1, so an item using the number of the site just before the orbit
    // is refused too.
    const LONG first = GetRelatedSites(index).front();
    if (kmc::HighestSiteIndexUsed(lattice_->ProcessList()) >= first)
        return "One or more of the processes uses a site whose index would be affected by the deletion";
    if (kmc::HighestSiteIndexUsed(lattice_->InteractionList()) >= first)
        return "One or more of the interactions uses a site whose index would be affected by the deletion";
    return {};
}

HRESULT KMCLatticeSiteList::get_CanDeleteSite(LONG index, BSTR* message, VARIANT_BOOL* canDelete) {
    return Boundary([&] {
        kmc::Out(message);
        kmc::Out(canDelete);
        const std::string refusal = DeletionRefusal(index);
        *message = NoxBSTR(refusal).Detach();
        *canDelete = refusal.empty() ? VARIANT_TRUE : VARIANT_FALSE;
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
        kmc::Edit(ParentDocument(), [&] { RemoveSites(GetRelatedSites(index)); });
    });
}

void KMCLatticeSiteList::RemoveSites(const std::vector<LONG>& ascendingIndices) {
    for (auto index = ascendingIndices.rbegin(); index != ascendingIndices.rend(); ++index) {
        auto site = sites_.begin() + *index;
        (*site)->LeaveList();
        sites_.erase(site);
    }
}

void KMCLatticeSiteList::TruncateTo(size_t count) {
    if (count >= sites_.size()) return;
    for (size_t k = count; k < sites_.size(); ++k) sites_[k]->LeaveList();
    sites_.erase(sites_.begin() + static_cast<std::ptrdiff_t>(count), sites_.end());
}

void KMCLatticeSiteList::ReplaceSites(Sites sites) {
    TruncateTo(0);
    sites_ = std::move(sites);
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
        const LONG count = element.Long("NumberOfSites");
        const LONG nextSiteLabel = element.Long("NextSiteLabel");
        // The count comes from the file: sites are made one child at a time, so a count larger
        // than the children fails at the first missing one instead of allocating for it.
        Sites loaded;
        for (LONG index = 0; index < count; ++index) {
            NoxComPtr<KMCLatticeSite> site = KMCLatticeSite::Create();
            site->SetParent(this);
            loaded.push_back(site);
            OstrelUtils::LoadXML(site.Get(), reader);
        }
        if (element.ChildrenRemain())
            throw NoxResult(E_UNEXPECTED, "Unexpected children found for the LatticeSite element");
        element.Close();
        // The list changes only once the whole element has been read.
        ReplaceSites(std::move(loaded));
        nextSiteLabel_ = nextSiteLabel;
    });
}
