// XMLToOstrel: the reader through which every persistent object loads itself. It walks the tree
// strictly forward: a stack of open elements, each with a cursor over its child nodes.
//
// Each operation has two entrances with one body: the automation interface (names and texts as
// automation strings) for outside callers, and an 8-bit one of the same name for the module's
// own element reader. Both give the same results, descriptions and diagnostics.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frame/component.h"
#include "vxostrel/xml.h"
#include "xmltree/xmltree.h"

// Something a load changed without failing: a number whose text did not read cleanly, or child
// content that the element's class did not read and that is therefore dropped.
struct ReadDiagnostic {
    size_t line;          // of the element concerned (0 when the tree was not parsed)
    std::string path;     // of the open element, below the root: "SpeciesList/Species"
    std::string message;  // "attribute Radius=\"nan\" is not a number; it loads as 0"
};

class NOX_EXPORT XMLToOstrel final : public kmc::Component<XMLToOstrel, IVxXMLToOstrel> {
public:
    KMC_COMPONENT_CLASS(XMLToOstrel, "Orvanta XML To KMC Type");

    // Where reading stands: the line and path (as in ReadDiagnostic) of the current element.
    struct Location {
        size_t line;
        std::string path;
    };

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

    // The 8-bit entrances. An absent attribute gives S_FALSE with an empty text.
    [[nodiscard]] HRESULT OpenNextElement(std::string_view name);
    [[nodiscard]] HRESULT GetAttributeValue(std::string_view name, std::string* value);
    [[nodiscard]] HRESULT GetDoubleAttributeValue(std::string_view name, double* value);
    [[nodiscard]] HRESULT GetLongAttributeValue(std::string_view name, LONG* value);
    [[nodiscard]] HRESULT GetBoolAttributeValue(std::string_view name, VARIANT_BOOL* value);

    // Null when no element is open.
    std::optional<Location> CurrentLocation() const;
    // The first kMaxDiagnostics, in the order they arose, and how many more there were: a
    // hostile file must not make the record outgrow the file many times over.
    static constexpr size_t kMaxDiagnostics = 1000;
    const std::vector<ReadDiagnostic>& Diagnostics() const { return diagnostics_; }
    size_t OmittedDiagnostics() const { return omittedDiagnostics_; }

private:
    struct ElementRecord {
        const xmlElement* element;
        size_t cursor;  // index of the next unread child node
        // Where the next attribute is looked for first: loaders read attributes in the order
        // they were written, so this is usually the one after the last found.
        mutable size_t attributeHint = 0;
    };

    const ElementRecord& Current() const;
    const xmlNode* NextChild() const;
    void Pop();
    std::string PathOf(size_t depth) const;
    // Records the diagnostic `message()` makes, at the open element.
    template <class Message>
    void Note(size_t line, Message message);
    [[nodiscard]] HRESULT OpenNext(std::string_view name);
    // The attribute of the current element, or null.
    const xmlAttribute* Find(std::string_view name) const;
    template <class Number>
    [[nodiscard]] HRESULT ReadNumber(std::string_view name, Number* value);
    [[nodiscard]] HRESULT ReadBool(std::string_view name, VARIANT_BOOL* value);

    const xmlTree* tree_ = nullptr;
    std::string rootName_;
    std::string version_;
    std::deque<ElementRecord> stack_;
    std::vector<ReadDiagnostic> diagnostics_;
    size_t omittedDiagnostics_ = 0;
};
