#include "lattice/lattice_site.h"

#include <cmath>
#include <optional>

#include "lattice/lattice.h"
#include "lattice/lattice_site_list.h"
#include "lattice/positions.h"
#include "nox/strings.h"
#include "xml/element_io.h"

namespace {

bool IsSiteCategory(const std::string& category) {
    return category == kmc::kAdsorptionSite || category == kmc::kSubstrateSite || category == kmc::kLabelSite;
}

}  // namespace

void KMCLatticeSite::SetParameters(const std::string& category, double x, double y, ColorValue color,
                                   LONG label) {
    if (initialised_) throw NoxResult(E_UNEXPECTED, "Lattice Site has already been initialised");
    if (!IsSiteCategory(category))
        throw NoxResult(E_UNEXPECTED, "Invalid lattice site category specification.");
    if (!std::isfinite(x) || !std::isfinite(y))
        throw NoxResult(E_INVALIDARG, "Lattice site position must be a finite number.");
    const KMCLattice* lattice = ParentLattice();
    if (lattice == nullptr) throw NoxResult(E_UNEXPECTED, "Lattice site is not part of a lattice.");

    category_ = category;
    position_ = {x, y, 0.0};
    color_ = color;
    label_ = label;
    type_ = category == kmc::kLabelSite ? "Other" : kmc::SiteTypeAt(position_, lattice->IsHexagonal());
    initialised_ = true;
}

KMCLattice* KMCLatticeSite::ParentLattice() const {
    return ParentList() != nullptr ? ParentList()->ParentLattice() : nullptr;
}

CKMCDocumentsBase* KMCLatticeSite::ParentDocument() const { return parents_.Document(); }

HRESULT KMCLatticeSite::get_Category(BSTR* category) {
    return Boundary([&] { kmc::OutText(category, category_); });
}

HRESULT KMCLatticeSite::get_Type(BSTR* type) {
    return Boundary([&] { kmc::OutText(type, type_); });
}

HRESULT KMCLatticeSite::get_XPosition(double* x) {
    return Boundary([&] { *kmc::Out(x) = position_.x; });
}

HRESULT KMCLatticeSite::get_YPosition(double* y) {
    return Boundary([&] { *kmc::Out(y) = position_.y; });
}

HRESULT KMCLatticeSite::put_Label(LONG label) {
    return Boundary([&] {
        // Labels group a site with its orbit; only a document being read may restore them.
        CKMCDocumentsBase* document = ParentDocument();
        if (document == nullptr || !document->IsLoading())
            throw NoxResult(E_UNEXPECTED, "Site label can only be set during loading of document");
        Edit([&] { label_ = label; });
    });
}

HRESULT KMCLatticeSite::get_Label(LONG* label) {
    return Boundary([&] { *kmc::Out(label) = label_; });
}

HRESULT KMCLatticeSite::Delete() {
    // Sites leave their list only through the list's DeleteSite, which removes the whole orbit;
    // this only asks the document and tells it of the request.
    return Boundary([&] { Edit([] {}); });
}

HRESULT KMCLatticeSite::SaveToXML(IVxOstrelToXML* writer) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementWriter element(writer, "LatticeSite");
        element.Text("Category", category_);
        element.Text("Type", type_);
        element.Double("XPosition", position_.x);
        element.Double("YPosition", position_.y);
        element.Long("Label", label_);
        element.Color("Color", color_);
        element.Close();
    });
}

HRESULT KMCLatticeSite::LoadFromXML(IVxXMLToOstrel* reader) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementReader element(reader, "LatticeSite");
        std::string category = element.Text("Category");
        std::string type = element.Text("Type");
        const double x = element.Double("XPosition");
        const double y = element.Double("YPosition");
        const LONG label = element.Long("Label");
        const std::string colourText = element.Text("Color");
        // An absent color leaves the site's color as it is; one that is there must read back whole.
        std::optional<ColorValue> color = colourText.empty() ? color_ : ColorValue::Parse(colourText);
        if (!color)
            throw NoxResult(E_UNEXPECTED, "Failed to obtain Color attribute from LatticeSite element");
        element.Close();

        category_ = std::move(category);
        type_ = std::move(type);
        position_ = {x, y, 0.0};
        label_ = label;
        color_ = *color;
    });
}
