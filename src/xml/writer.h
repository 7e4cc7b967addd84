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

    [[nodiscard]] HRESULT InitializeSaver(BSTR rootName, BSTR version) override;
    [[nodiscard]] HRESULT OpenObject(BSTR name) override;
    [[nodiscard]] HRESULT CloseObject() override;
    [[nodiscard]] HRESULT AddAttribute(BSTR name, BSTR value) override;
    [[nodiscard]] HRESULT AddDoubleAttribute(BSTR name, double value) override;
    [[nodiscard]] HRESULT AddLongAttribute(BSTR name, LONG value) override;
    [[nodiscard]] HRESULT AddBoolAttribute(BSTR name, VARIANT_BOOL value) override;
    [[nodiscard]] HRESULT AddValue(VARIANT value) override;

    // The 8-bit entrances.
    [[nodiscard]] HRESULT OpenObject(std::string_view name);
    [[nodiscard]] HRESULT AddAttribute(std::string_view name, std::string_view value);
    [[nodiscard]] HRESULT AddDoubleAttribute(std::string_view name, double value);
    [[nodiscard]] HRESULT AddLongAttribute(std::string_view name, LONG value);

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
