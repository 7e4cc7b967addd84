// What a host's display code uses to show a lattice as atoms in its three-dimensional model
// document (vxostrel/model.h): the lattice geometry and the unit-cell sites ready for drawing,
// atoms and templates, the selected visible atoms of a scope, and clearing the atoms with the
// document's events off. Plain functions, not automation methods: failures are raised as
// NoxResult, with the model document's own description when it refused.
#pragma once

#include <string>
#include <vector>

#include "nox/comptr.h"
#include "nox/strings.h"
#include "vxostrel/lattice.h"
#include "vxostrel/model.h"

namespace KMCDocHelpers {

// How a site is drawn: adsorption sites (and any category the library does not know) on the
// surface, substrate sites one layer below it, label sites two layers below.
enum SiteKind : LONG { kAdsorptionKind = 0, kSubstrateKind = 1, kLabelKind = 2 };

// One unit-cell site prepared for display.
struct Site {
    double x = 0;  // fractional coordinates, as the lattice site gives them
    double y = 0;
    double z = 0;  // display depth: 0, -d or -2d by kind, d the square root of the cell area
    LONG kind = kAdsorptionKind;
    std::string type;  // "Top", "Bridge", "Hollow" or "Other"
};

// Reads u, v and theta (returned in radians) and appends one record per site of the lattice's
// site list to `sites` (which keeps what it held). `counts` becomes three counts indexed by
// kind, of this call's sites only. A failing call is raised and ends the walk; the sites
// appended before it stay.
NOX_EXPORT void GetLatticeDetails(IVxKMCLattice* lattice, std::vector<Site>& sites, double& u, double& v,
                                  double& theta, std::vector<LONG>& counts);

// A new atom from the utility, attached below `parent` through `property`; null when the utility
// made none. Raised (E_INVALIDARG): "Value not given for utility object.", "Value not given for
// parent object.", "Value not given for object property." before anything is made; and the
// document's refusal to make or attach the atom (an atom it could not attach is not handed out).
NOX_EXPORT NoxComPtr<IVxObject> CreateAtom(IVxUtility* utility, IVxObject* parent,
                                           const NoxComPtr<IVxObjectProperty>& property);

// The template of that name.
NOX_EXPORT NoxComPtr<IVxProperty> GetNamedTemplate(IVxUtility* utility, const NoxBSTR& name);

// The selected visible atoms at or below the objects of `scope`.
NOX_EXPORT NoxComPtr<IModelScope> SelectedAtomsScope(IModelScopeManager* manager, IModelScope* scope);

// Keeps the document's events off while it lives, for a document that has events. Switching
// never fails the caller: a refusal is only recorded as the last error.
class NOX_EXPORT CEventDisabler {
public:
    explicit CEventDisabler(IModelDocumentRoot* root) noexcept;
    ~CEventDisabler();
    // A copy would switch the events on a second time, in the middle of the first one's scope.
    CEventDisabler(const CEventDisabler&) = delete;
    CEventDisabler& operator=(const CEventDisabler&) = delete;

private:
    NoxComPtr<IModelDocumentEvents> events_;
};

// Removes the atoms of a document that holds atomistic content, with its events off; their
// switching back on does not wait for a clearing that succeeds. A document without atomistic
// content is left alone.
NOX_EXPORT void ClearAtomisticContent(IModelDocumentRoot* root);

}  // namespace KMCDocHelpers
