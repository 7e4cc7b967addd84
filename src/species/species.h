// KMCSpecies: one chemical species of a document, with its name, category, display radius,
// charge and display colour. Species are created, named and removed by their species list and
// reach the host document through it.
#pragma once

#include <string>

#include "frame/component.h"
#include "frame/parent.h"
#include "geometry/color.h"
#include "vxostrel/document.h"
#include "vxostrel/serializer.h"
#include "vxostrel/species.h"

class KMCSpeciesList;

class NOX_EXPORT KMCSpecies final : public kmc::Component<KMCSpecies, IVxKMCSpecies, IVxKMCSerializer> {
public:
    KMC_COMPONENT_CLASS(KMCSpecies, "Orvanta KMC Species");

    static constexpr ColorValue kInitialColor{0xFF000000};

    // Names the species once; the list checks the name before. Raised: E_UNEXPECTED when the
    // species has a name already.
    void SetName(const std::string& name);
    // Links the species to the list that holds it, once. Raised: E_UNEXPECTED when it is linked.
    void SetParent(KMCSpeciesList* list) { parents_.LinkOnce(kClassName, list); }
    // Called by the list when the species leaves it.
    void LeaveOwner() { parents_.Unlink(); }

    const std::string& Name() const { return name_; }
    const std::string& Category() const { return category_; }
    // The whole stored colour, top byte included.
    ColorValue Color() const { return color_; }
    KMCSpeciesList* ParentList() const { return parents_.Get<KMCSpeciesList>(); }
    // The document of the list that holds the species; null while it is in none.
    CKMCDocumentsBase* ParentDocument() const;

    [[nodiscard]] HRESULT get_Name(BSTR* name) override;
    [[nodiscard]] HRESULT get_Radius(double* radius) override;
    [[nodiscard]] HRESULT put_Radius(double radius) override;
    [[nodiscard]] HRESULT get_Color(LONG* color) override;
    [[nodiscard]] HRESULT put_Color(LONG color) override;
    [[nodiscard]] HRESULT put_RawColor(LONG color) override;
    [[nodiscard]] HRESULT get_Charge(LONG* charge) override;
    [[nodiscard]] HRESULT put_Charge(LONG charge) override;
    [[nodiscard]] HRESULT get_Category(BSTR* category) override;
    [[nodiscard]] HRESULT put_Category(BSTR category) override;
    [[nodiscard]] HRESULT Delete() override;
    [[nodiscard]] HRESULT Clone(IVxKMCSpecies* source) override;

    [[nodiscard]] HRESULT SaveToXML(IVxOstrelToXML* writer) override;
    [[nodiscard]] HRESULT LoadFromXML(IVxXMLToOstrel* reader) override;

private:
    // Tells the list that holds the species that its name or colour changed.
    void TellList() const;

    std::string name_;
    double radius_ = 1.0;
    std::string category_ = "Adsorbate";
    ColorValue color_ = kInitialColor;
    LONG charge_ = 0;
    kmc::ParentLinks<KMCSpeciesList> parents_;
};
