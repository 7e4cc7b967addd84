#include "species/species.h"

#include "nox/strings.h"
#include "species/persistence.h"
#include "species/species_list.h"

namespace {
namespace xml = kmc::persistence;
const char* const kElement = "Species";
}  // namespace

void KMCSpecies::SetName(const std::string& name) {
    if (!name_.empty())
        throw NoxResult(E_UNEXPECTED, "Name is already set when attempting to set Species name " + name);
    name_ = name;
}

void KMCSpecies::SetParent(KMCSpeciesList* list) {
    if (parent_ != nullptr) throw NoxResult(E_UNEXPECTED, "Parent is already set for KMCSpecies.");
    parent_ = list;
}

CKMCDocumentsBase* KMCSpecies::ParentDocument() const {
    return parent_ != nullptr ? parent_->ParentDocument() : nullptr;
}

HRESULT KMCSpecies::get_Name(BSTR* name) {
    return Boundary([&] { *kmc::Out(name) = NoxBSTR(name_).Detach(); });
}

HRESULT KMCSpecies::get_Radius(double* radius) {
    return Boundary([&] { *kmc::Out(radius) = radius_; });
}

HRESULT KMCSpecies::put_Radius(double radius) {
    return Boundary([&] { kmc::Edit(ParentDocument(), [&] { radius_ = radius; }); });
}

HRESULT KMCSpecies::get_Color(LONG* color) {
    return Boundary([&] { *kmc::Out(color) = static_cast<LONG>(color_.Rgb()); });
}

HRESULT KMCSpecies::put_Color(LONG color) {
    return Boundary(
        [&] { kmc::Edit(ParentDocument(), [&] { color_ = color_.WithRgb(static_cast<uint32_t>(color)); }); });
}

HRESULT KMCSpecies::put_RawColor(LONG color) {
    return Boundary([&] { color_ = color_.WithRgb(static_cast<uint32_t>(color)); });
}

HRESULT KMCSpecies::get_Charge(LONG* charge) {
    return Boundary([&] { *kmc::Out(charge) = charge_; });
}

HRESULT KMCSpecies::put_Charge(LONG charge) {
    return Boundary([&] { kmc::Edit(ParentDocument(), [&] { charge_ = charge; }); });
}

HRESULT KMCSpecies::get_Category(BSTR* category) {
    return Boundary([&] { *kmc::Out(category) = NoxBSTR(category_).Detach(); });
}

HRESULT KMCSpecies::put_Category(BSTR category) {
    return Boundary([&] {
        std::string text = BSTRToTString(category);
        kmc::Edit(ParentDocument(), [&] { category_ = std::move(text); });
    });
}

HRESULT KMCSpecies::Delete() {
    return Boundary([&] {
        kmc::Edit(ParentDocument(), [&] {
            // The list drops its reference; the caller's keeps this object alive meanwhile.
            if (parent_ == nullptr || !parent_->Remove(*this))
                throw NoxResult(E_UNEXPECTED, "Unable to remove Species from SpeciesList.");
        });
    });
}

HRESULT KMCSpecies::Clone(IVxKMCSpecies* source) {
    return Boundary([&] {
        if (source == nullptr)
            throw NoxResult(E_INVALIDARG, "No source species supplied for KMCSpecies::Clone");
        kmc::Edit(ParentDocument(), [&] {
            // Everything is read before anything is stored, so a failing source changes nothing.
            NoxBSTR name, category;
            double radius = 0.0;
            LONG color = 0, charge = 0;
            nox::Check(source->get_Name(name.Put()));
            nox::Check(source->get_Radius(&radius));
            nox::Check(source->get_Category(category.Put()));
            nox::Check(source->get_Color(&color));
            nox::Check(source->get_Charge(&charge));
            name_ = name.ToTString();
            radius_ = radius;
            category_ = category.ToTString();
            color_ = color_.WithRgb(static_cast<uint32_t>(color));
            charge_ = charge;
        });
    });
}

HRESULT KMCSpecies::SaveToXML(IVxOstrelToXML* writer) {
    return Boundary<IVxKMCSerializer>([&] {
        xml::OpenObject(writer, kElement);
        xml::AddText(writer, "Name", name_);
        xml::AddText(writer, "Category", category_);
        xml::AddDouble(writer, "Radius", radius_);
        xml::AddLong(writer, "Charge", charge_);
        xml::AddColor(writer, "Color", color_);
        xml::CloseObject(writer);
    });
}

HRESULT KMCSpecies::LoadFromXML(IVxXMLToOstrel* reader) {
    return Boundary<IVxKMCSerializer>([&] {
        xml::OpenElement(reader, kElement, "Failed to open Species element");
        std::string name =
            xml::ReadText(reader, "Name", "Failed to obtain Name attribute from Species element");
        std::string category =
            xml::ReadText(reader, "Category", "Failed to obtain Category attribute from Species element");
        double radius =
            xml::ReadDouble(reader, "Radius", "Failed to obtain Radius attribute from Species element");
        LONG charge =
            xml::ReadLong(reader, "Charge", "Failed to obtain Charge attribute from Species element");
        ColorValue color = xml::ReadColor(
            reader, "Color", "Failed to obtain Color attribute from Species element", kInitialColor);
        xml::CloseElement(reader);
        name_ = std::move(name);
        category_ = std::move(category);
        radius_ = radius;
        charge_ = charge;
        color_ = color;
    });
}
