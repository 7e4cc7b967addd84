// OstrelToXML: the writer through which every persistent object saves itself into an XML tree.
//
// Each adding operation has two entrances with one body: the automation interface (names and
// texts as automation strings) for outside callers, and an 8-bit one of the same name for the
// module's own element writer. Both give the same results, descriptions and texts.
#pragma once

#include <string>
#include <string_view>
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

    HRESULT InitializeSaver(BSTR rootName, BSTR version) override;
    HRESULT OpenObject(BSTR name) override;
    HRESULT CloseObject() override;
    HRESULT AddAttribute(BSTR name, BSTR value) override;
    HRESULT AddDoubleAttribute(BSTR name, double value) override;
    HRESULT AddLongAttribute(BSTR name, LONG value) override;
    HRESULT AddBoolAttribute(BSTR name, VARIANT_BOOL value) override;
    HRESULT AddValue(VARIANT value) override;

    // The 8-bit entrances.
    HRESULT OpenObject(std::string_view name);
    HRESULT AddAttribute(std::string_view name, std::string_view value);
    HRESULT AddDoubleAttribute(std::string_view name, double value);
    HRESULT AddLongAttribute(std::string_view name, LONG value);

private:
    void InsertRootElement(std::string_view name);
    xmlTree& Tree() const;
    xmlElement* Current() const;
    void Open(std::string_view name);
    void AddText(std::string_view name, std::string_view value);
    void AddDouble(std::string_view name, double value);
    void AddLong(std::string_view name, LONG value);
    void Pop();

    xmlTree* tree_ = nullptr;
    std::vector<xmlElement*> stack_;
};
