// KMCLatticeSite: one site of the unit cell, with its category, geometric type, label and
// color. Sites are made, numbered and removed only by the lattice site list.
#pragma once

#include <string>
#include <string_view>

#include "frame/component.h"
#include "frame/parent.h"
#include "geometry/color.h"
#include "geometry/geometry.h"
#include "vxostrel/document.h"
#include "vxostrel/lattice.h"
#include "vxostrel/serializer.h"

class KMCLattice;
class KMCLatticeSiteList;

namespace kmc {
inline constexpr const char* kAdsorptionSite = "Adsorption site";
inline constexpr const char* kSubstrateSite = "Substrate site";
// A marker site: never expanded by symmetry, never a duplicate of another site.
inline constexpr const char* kLabelSite = "Label";
}  // namespace kmc

class NOX_EXPORT KMCLatticeSite final
    : public kmc::Component<KMCLatticeSite, IVxKMCLatticeSite, IVxKMCSerializer> {
public:
    KMC_COMPONENT_CLASS(KMCLatticeSite, "Orvanta KMC LatticeSite");

    // Initialises the site once; its geometric type follows from the position and the parent
    // lattice's type. No edit check: the site list makes it. Raised (E_UNEXPECTED): "Lattice
    // Site has already been initialised", "Invalid lattice site category specification.", and
    // E_INVALIDARG for a position that is not finite.
    void SetParameters(const std::string& category, double x, double y, ColorValue color, LONG label);
    // Raised: E_UNEXPECTED "Parent is already set for KMCLatticeSite." when linked already.
    void SetParent(KMCLatticeSiteList* list) { parents_.LinkOnce(kClassName, list); }
    // Called by the list when the site leaves it; a client may still hold the site.
    void LeaveOwner() { parents_.Unlink(); }

    KMCLatticeSiteList* ParentList() const { return parents_.Get<KMCLatticeSiteList>(); }
    KMCLattice* ParentLattice() const;
    CKMCDocumentsBase* ParentDocument() const;

    const std::string& Category() const { return category_; }
    const std::string& Type() const { return type_; }
    const Point3d& Position() const { return position_; }
    LONG Label() const { return label_; }
    ColorValue Color() const { return color_; }

    [[nodiscard]] HRESULT get_Category(BSTR* category) override;
    [[nodiscard]] HRESULT get_Type(BSTR* type) override;
    [[nodiscard]] HRESULT get_XPosition(double* x) override;
    [[nodiscard]] HRESULT get_YPosition(double* y) override;
    [[nodiscard]] HRESULT put_Label(LONG label) override;
    [[nodiscard]] HRESULT get_Label(LONG* label) override;
    [[nodiscard]] HRESULT Delete() override;

    [[nodiscard]] HRESULT SaveToXML(IVxOstrelToXML* writer) override;
    [[nodiscard]] HRESULT LoadFromXML(IVxXMLToOstrel* reader) override;

private:
    bool initialised_ = false;
    Point3d position_;
    std::string type_;
    std::string category_;
    ColorValue color_{ColorValue::kOpaqueTop};
    LONG label_ = 1;
    kmc::ParentLinks<KMCLatticeSiteList> parents_;
};
