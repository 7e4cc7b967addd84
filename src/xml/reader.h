// XMLToOstrel: the reader through which every persistent object loads itself. It walks the tree
// strictly forward: a stack of open elements, each with a cursor over its child nodes.
#pragma once

#include <deque>
#include <string>

#include "frame/component.h"
#include "vxostrel/xml.h"
#include "xmltree/xmltree.h"

class NOX_EXPORT XMLToOstrel final : public kmc::Component<XMLToOstrel, IVxXMLToOstrel> {
public:
    KMC_COMPONENT_CLASS(XMLToOstrel, "Orvanta XML To KMC Type");

    // Stores the tree read from (not owned; it must outlive the reader's use). Raised:
    // E_UNEXPECTED when a tree is already stored, E_POINTER for a null tree.
    void Initialize(const xmlTree* tree);
    // Leaves the current element, the counterpart of InitializeLoader.
    void Finalize();

    [[nodiscard]] HRESULT InitializeLoader(BSTR* rootName, BSTR* version) override;
    [[nodiscard]] HRESULT OpenNextElement(BSTR name) override;
    [[nodiscard]] HRESULT CloseElement() override;
    [[nodiscard]] HRESULT AreElementsRemaining(VARIANT_BOOL* remaining) override;
    [[nodiscard]] HRESULT GetAttributeValue(BSTR name, BSTR* value) override;
    [[nodiscard]] HRESULT GetDoubleAttributeValue(BSTR name, double* value) override;
    [[nodiscard]] HRESULT GetLongAttributeValue(BSTR name, LONG* value) override;
    [[nodiscard]] HRESULT GetBoolAttributeValue(BSTR name, VARIANT_BOOL* value) override;
    [[nodiscard]] HRESULT GetValue(BSTR* value) override;

private:
    struct ElementRecord {
        const xmlElement* element;
        size_t cursor;  // index of the next unread child node
    };

    ElementRecord& Current();
    const xmlNode* NextChild();
    void Pop();
    // The attribute's text through the automation interface, as the typed reads see it: the
    // text (empty when absent) and whether it was absent. A failure of the read is raised.
    std::string AttributeText(BSTR name, bool& absent);
    template <class Number>
    [[nodiscard]] HRESULT ReadNumber(BSTR name, Number* value);

    const xmlTree* tree_ = nullptr;
    std::string rootName_;
    std::string version_;
    std::deque<ElementRecord> stack_;
};
