#include "species/species.h"

#include "frame/values.h"
#include "nox/strings.h"
#include "species/species_list.h"
#include "xml/element_io.h"

namespace {
const char* const kElement = "Species";
}  // namespace

void KMCSpecies::SetName(const std::string& name) {
    if (!name_.empty())
        throw NoxResult(E_UNEXPECTED, "Name is already set when attempting to set Species name " + name);
    name_ = name;
}

CKMCDocumentsBase* KMCSpecies::ParentDocument() const { return parents_.Document(); }

void KMCSpecies::TellList() const {
    if (KMCSpeciesList* list = ParentList()) list->SpeciesChanged(*this);
}

HRESULT KMCSpecies::get_Name(BSTR* name) {
    return Boundary([&] { kmc::OutText(name, name_); });
}

HRESULT KMCSpecies::get_Radius(double* radius) {
    return Boundary([&] { *kmc::Out(radius) = radius_; });
}

HRESULT KMCSpecies::put_Radius(double radius) {
    return Boundary([&] { Edit([&] { radius_ = kmc::FiniteNumber(radius, "species radius"); }); });
}

HRESULT KMCSpecies::get_Color(LONG* color) {
    return Boundary([&] { *kmc::Out(color) = static_cast<LONG>(color_.Rgb()); });
}

HRESULT KMCSpecies::put_Color(LONG color) {
    return Boundary([&] {
        Edit([&] { color_ = color_.WithRgb(static_cast<uint32_t>(color)); });
        TellList();
    });
}

HRESULT KMCSpecies::put_RawColor(LONG color) {
    return Boundary([&] {
        color_ = color_.WithRgb(static_cast<uint32_t>(color));
        TellList();
    });
}

HRESULT KMCSpecies::get_Charge(LONG* charge) {
    return Boundary([&] { *kmc::Out(charge) = charge_; });
}

HRESULT KMCSpecies::put_Charge(LONG charge) {
    return Boundary([&] { Edit([&] { charge_ = charge; }); });
}

HRESULT KMCSpecies::get_Category(BSTR* category) {
    return Boundary([&] { kmc::OutText(category, category_); });
}

HRESULT KMCSpecies::put_Category(BSTR category) {
    return Boundary([&] {
        Edit([&] { category_ = kmc::SavableText(category, "species category"); });
    });
}

HRESULT KMCSpecies::Delete() {
    return Boundary([&] {
        Edit([&] {
            // The list drops its reference; the caller's keeps this object alive meanwhile.
            if (ParentList() == nullptr || !ParentList()->Remove(*this))
                throw NoxResult(E_UNEXPECTED, "Unable to remove Species from SpeciesList.");
        });
    });
}

HRESULT KMCSpecies::Clone(IVxKMCSpecies* source) {
    return Boundary([&] {
        if (source == nullptr)
            throw NoxResult(E_INVALIDARG, "No source species supplied for KMCSpecies::Clone");
        Edit([&] {
            // Everything is read before anything is stored, so a failing source changes nothing.
            NoxBSTR name, category;
            double radius = 0.0;
            LONG color = 0, charge = 0;
            nox::Check(source->get_Name(name.Put()));
            nox::Check(source->get_Radius(&radius));
            nox::Check(source->get_Category(category.Put()));
            nox::Check(source->get_Color(&color));
            nox::Check(source->get_Charge(&charge));
            std::string checkedName = kmc::SavableText(name.ToTString(), "species name");
            std::string checkedCategory = kmc::SavableText(category.ToTString(), "species category");
            const double checkedRadius = kmc::FiniteNumber(radius, "species radius");
            name_ = std::move(checkedName);
            category_ = std::move(checkedCategory);
            radius_ = checkedRadius;
            color_ = color_.WithRgb(static_cast<uint32_t>(color));
            charge_ = charge;
        });
        TellList();
    });
}

HRESULT KMCSpecies::SaveToXML(IVxOstrelToXML* writer) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementWriter element(writer, kElement);
        element.Text("Name", name_);
        element.Text("Category", category_);
        element.Double("Radius", radius_);
        element.Long("Charge", charge_);
        element.Color("Color", color_);
        element.Close();
    });
}

HRESULT KMCSpecies::LoadFromXML(IVxXMLToOstrel* reader) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementReader element(reader, kElement);
        std::string name = element.Text("Name");
        std::string category = element.Text("Category");
        double radius = element.Double("Radius");
        LONG charge = element.Long("Charge");
        ColorValue color = element.Color("Color", kInitialColor);
        element.Close();
        name_ = std::move(name);
        category_ = std::move(category);
        radius_ = radius;
        charge_ = charge;
        color_ = color;
        TellList();
    });
}
