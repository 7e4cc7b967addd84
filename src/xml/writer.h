// OstrelToXML: the writer through which every persistent object saves itself into an XML tree.
#pragma once

#include <string>
#include <vector>

#include "frame/component.h"
#include "vxostrel/xml.h"
#include "xmltree/xmltree.h"

class NOX_EXPORT OstrelToXML final : public kmc::Component<OstrelToXML, IVxOstrelToXML> {
public:
    KMC_COMPONENT_CLASS(OstrelToXML, "Orvanta KMC Type To XML");

    // Stores the tree written into (not owned; it must outlive the writer's use). Raised:
    // E_UNEXPECTED when a tree is already stored, E_POINTER for a null tree.
    void Initialize(xmlTree* tree);
    // Forgets the current element, the counterpart of InitializeSaver.
    void Finalize();

    [[nodiscard]] HRESULT InitializeSaver(BSTR rootName, BSTR version) override;
    [[nodiscard]] HRESULT OpenObject(BSTR name) override;
    [[nodiscard]] HRESULT CloseObject() override;
    [[nodiscard]] HRESULT AddAttribute(BSTR name, BSTR value) override;
    [[nodiscard]] HRESULT AddDoubleAttribute(BSTR name, double value) override;
    [[nodiscard]] HRESULT AddLongAttribute(BSTR name, LONG value) override;
    [[nodiscard]] HRESULT AddBoolAttribute(BSTR name, VARIANT_BOOL value) override;
    [[nodiscard]] HRESULT AddValue(VARIANT value) override;

private:
    void InsertRootElement(const std::string& name);
    xmlTree& Tree() const;
    xmlElement* Current() const;
    void AddAttributeText(BSTR name, std::string value);
    void Pop();

    xmlTree* tree_ = nullptr;
    std::vector<xmlElement*> stack_;
};
