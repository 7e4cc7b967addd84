#include "vxostrel/doc_helpers.h"

#include <cmath>

#include "lattice/lattice_site.h"

namespace KMCDocHelpers {
namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;

LONG KindOf(const std::string& category) {
    if (category == kmc::kSubstrateSite) return kSubstrateKind;
    if (category == kmc::kLabelSite) return kLabelKind;
    return kAdsorptionKind;
}

// Surface sites at 0 (not -0), the others a layer of depth d apart below them.
double DepthOf(LONG kind, double d) { return kind == kAdsorptionKind ? 0.0 : -d * kind; }

template <class Object>
std::string ReadText(Object& object, HRESULT (Object::*getter)(BSTR*)) {
    NoxBSTR text;
    nox::Check((object.*getter)(text.Put()));
    return text.ToTString();
}

Site ReadSite(IVxKMCLatticeSite& site, double d) {
    Site record;
    nox::Check(site.get_XPosition(&record.x));
    nox::Check(site.get_YPosition(&record.y));
    record.kind = KindOf(ReadText(site, &IVxKMCLatticeSite::get_Category));
    record.type = ReadText(site, &IVxKMCLatticeSite::get_Type);
    record.z = DepthOf(record.kind, d);
    return record;
}

// Switches the document's events; a refusal is recorded as the last error and goes no further.
void SwitchEvents(IModelDocumentEvents& events, VARIANT_BOOL enabled) noexcept {
    (void)nox::Boundary(GUID_NULL, IID_IModelDocumentEvents, [&] {
        const HRESULT hr = events.put_EventsEnabled(enabled);
        if (hr != S_OK) NoxResult::SetLastError(hr);
    });
}

}  // namespace

void GetLatticeDetails(IVxKMCLattice* lattice, std::vector<Site>& sites, double& u, double& v, double& theta,
                       std::vector<LONG>& counts) {
    counts.assign(3, 0);
    CheckNullDereference(lattice);
    nox::Check(lattice->get_LengthU(&u));
    nox::Check(lattice->get_LengthV(&v));
    nox::Check(lattice->get_AngleTheta(&theta));
    theta *= kRadiansPerDegree;
    const double d = std::sqrt(std::sin(theta) * v * u);  // the square root of the cell area
    NoxComPtr<IVxKMCLatticeSiteList> list;
    nox::Check(lattice->get_LatticeSiteList(list.Put()));
    LONG count = 0;
    nox::Check(list->get_Count(&count));
    for (LONG index = 0; index < count; ++index) {
        NoxComPtr<IVxKMCLatticeSite> site;
        nox::Check(list->get_Item(index, site.Put()));
        Site record = ReadSite(*site, d);
        ++counts[record.kind];
        sites.push_back(std::move(record));
    }
}

NoxComPtr<IVxObject> CreateAtom(IVxUtility* utility, IVxObject* parent,
                                const NoxComPtr<IVxObjectProperty>& property) {
    if (utility == nullptr) throw NoxResult(E_INVALIDARG, "Value not given for utility object.");
    if (parent == nullptr) throw NoxResult(E_INVALIDARG, "Value not given for parent object.");
    if (!property) throw NoxResult(E_INVALIDARG, "Value not given for object property.");
    NoxComPtr<IVxObject> atom;
    nox::Check(utility->CreateObject(NoxBSTR(kAtomClassName).Get(), atom.Put()));
    if (atom) {
        NoxComPtr<IVxObject> attached;
        nox::Check(property->Attach(atom.Get(), parent, attached.Put()));
    }
    return atom;
}

NoxComPtr<IVxProperty> GetNamedTemplate(IVxUtility* utility, const NoxBSTR& name) {
    NoxComPtr<IVxProperty> property;
    nox::Check(CheckNullDereference(utility)->GetTemplate(name.Get(), property.Put()));
    return property;
}

NoxComPtr<IModelScope> SelectedAtomsScope(IModelScopeManager* manager, IModelScope* scope) {
    NoxComPtr<IModelScope> narrowed = vxmodel::ProcessScope(scope, DownTreeCoercion, manager);
    for (vxModelScopeFilter filter : {FilterIsSelected, FilterIsVisible, FilterAtom})
        narrowed = vxmodel::ProcessScope(narrowed.Get(), filter, manager);
    return narrowed;
}

CEventDisabler::CEventDisabler(IModelDocumentRoot* root) noexcept {
    if (root != nullptr) (void)root->QueryInterface(IID_IModelDocumentEvents, events_.PutVoid());
    if (events_) SwitchEvents(*events_, VARIANT_FALSE);
}

CEventDisabler::~CEventDisabler() {
    if (events_) SwitchEvents(*events_, VARIANT_TRUE);
}

void ClearAtomisticContent(IModelDocumentRoot* root) {
    const NoxComPtr<IModelAtomisticContent> content =
        NoxComPtr<IModelDocumentRoot>(CheckNullDereference(root)).TryAs<IModelAtomisticContent>();
    if (!content) return;
    const CEventDisabler quiet(root);
    vxmodel::ClearContent(root);
}

}  // namespace KMCDocHelpers
