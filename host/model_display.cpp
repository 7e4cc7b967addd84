#include "model_display.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

#include "lattice/lattice.h"
#include "lattice/lattice_site.h"
#include "lattice/lattice_site_list.h"
#include "nox/result.h"
#include "nox/strings.h"

namespace kmcdoc {
namespace {

template <class Object>
NoxComPtr<Object> Read(IModelDocumentRoot& model, HRESULT (IModelDocumentRoot::*getter)(Object**)) {
    NoxComPtr<Object> object;
    nox::Check((model.*getter)(object.Put()));
    return object;
}

// The templates the chooser names, each asked of the document once.
class TemplateCache {
public:
    explicit TemplateCache(NoxComPtr<IVxUtility> utility) : utility_(std::move(utility)) {}
    IVxProperty* Named(const std::string& name) {
        NoxComPtr<IVxProperty>& found = templates_[name];
        if (!found) found = KMCDocHelpers::GetNamedTemplate(utility_.Get(), NoxBSTR(name));
        return found.Get();
    }

private:
    NoxComPtr<IVxUtility> utility_;
    std::map<std::string, NoxComPtr<IVxProperty>> templates_;
};

}  // namespace

Point LatticeLayout::Cartesian(double x, double y) const {
    return {x * u + y * v * std::cos(theta), y * v * std::sin(theta)};
}

double LatticeLayout::SiteSpacing() const {
    double shortest = std::numeric_limits<double>::infinity();
    for (const KMCDocHelpers::Site& from : sites)
        for (const KMCDocHelpers::Site& to : sites)
            for (int di = -1; di <= 1; ++di)
                for (int dj = -1; dj <= 1; ++dj) {
                    const Point a = Cartesian(from.x, from.y), b = Cartesian(to.x + di, to.y + dj);
                    const double distance = std::hypot(a.x - b.x, a.y - b.y);
                    if (distance > 1e-9) shortest = std::min(shortest, distance);
                }
    return std::isfinite(shortest) ? shortest : std::min(u, v);
}

LatticeLayout ReadLayout(IVxKMCLattice& lattice) {
    LatticeLayout layout;
    std::vector<LONG> counts;
    KMCDocHelpers::GetLatticeDetails(&lattice, layout.sites, layout.u, layout.v, layout.theta, counts);
    return layout;
}

const PatchSite* ModelPatch::Find(LONG i, LONG j, LONG n) const {
    const LONG perCell = static_cast<LONG>(layout.sites.size());
    const LONG ci = i - cells.firstI, cj = j - cells.firstJ;
    if (ci < 0 || ci >= cells.countI || cj < 0 || cj >= cells.countJ || n < 1 || n > perCell) return nullptr;
    return &sites[static_cast<size_t>((cj * cells.countI + ci) * perCell + n - 1)];
}

ModelPatch DisplayPatch(IModelDocumentRoot& model, const LatticeLayout& layout, const CellRange& cells,
                        const TemplateChooser& chooser) {
    // Cleared before the rebuild's own scope opens: the clearing switches events on when it ends.
    KMCDocHelpers::ClearAtomisticContent(&model);
    const KMCDocHelpers::CEventDisabler quiet(&model);
    const NoxComPtr<IVxUtility> utility = Read(model, &IModelDocumentRoot::get_Utility);
    const NoxComPtr<IVxObject> top = Read(model, &IModelDocumentRoot::get_TopObject);
    const NoxComPtr<IVxObjectProperty> children = Read(model, &IModelDocumentRoot::get_ChildrenProperty);
    TemplateCache templates(utility);
    ModelPatch patch{layout, cells, {}};
    for (LONG j = cells.firstJ; j < cells.firstJ + cells.countJ; ++j)
        for (LONG i = cells.firstI; i < cells.firstI + cells.countI; ++i)
            for (LONG n = 1; n <= static_cast<LONG>(layout.sites.size()); ++n) {
                const KMCDocHelpers::Site& site = layout.sites[static_cast<size_t>(n - 1)];
                NoxComPtr<IVxObject> atom = KMCDocHelpers::CreateAtom(utility.Get(), top.Get(), children);
                if (!atom) throw NoxResult(E_UNEXPECTED, "The model document made no atom.");
                const Point at = layout.Cartesian(i + site.x, j + site.y);
                nox::Check(atom->SetPosition(at.x, at.y, site.z));
                nox::Check(atom->putref_Template(templates.Named(chooser(i, j, n))));
                patch.sites.push_back({i, j, n, site.kind, std::move(atom)});
            }
    return patch;
}

double MarkRadius(const LatticeLayout& layout) { return 0.22 * layout.SiteSpacing(); }

void DefineTemplate(IModelDocumentRoot& model, const std::string& name, double radius, LONG color) {
    NoxComPtr<IVxProperty> defined;
    nox::Check(Read(model, &IModelDocumentRoot::get_Utility)
                   ->DefineTemplate(NoxBSTR(name).Get(), radius, color, defined.Put()));
}

std::vector<std::string> DefineSiteTemplates(IModelDocumentRoot& model, KMCLattice& lattice,
                                             const LatticeLayout& layout) {
    const KMCLatticeSiteList& list = *lattice.RawLatticeSiteList();
    std::vector<std::string> names;
    for (size_t k = 0; k < layout.sites.size(); ++k) {
        names.push_back(layout.sites[k].type + std::to_string(k + 1));
        DefineTemplate(model, names.back(), MarkRadius(layout),
                       static_cast<LONG>(list.Site(static_cast<LONG>(k)).Color().Rgb()));
    }
    return names;
}

AtomView ViewAtom(IVxObject& atom) {
    AtomView view;
    nox::Check(atom.GetPosition(&view.x, &view.y, &view.z));
    NoxComPtr<IVxProperty> property;
    nox::Check(atom.get_Template(property.Put()));
    if (!property) return view;
    NoxBSTR name;
    nox::Check(property->get_Name(name.Put()));
    view.name = name.ToTString();
    nox::Check(property->get_Radius(&view.radius));
    nox::Check(property->get_Color(&view.color));
    return view;
}

}  // namespace kmcdoc
