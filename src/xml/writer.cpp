#include "xml/writer.h"

#include <charconv>

#include "nox/strings.h"
#include "nox/variant.h"

void OstrelToXML::Initialize(xmlTree* tree) {
    if (tree_ != nullptr) throw NoxResult(E_UNEXPECTED, "OstrelToXML has already been initialised.");
    if (tree == nullptr) throw NoxResult(E_POINTER, "No XML tree supplied to OstrelToXML.");
    tree_ = tree;
}

void OstrelToXML::Finalize() { Pop(); }

void OstrelToXML::Pop() {
    if (!stack_.empty()) stack_.pop_back();
}

xmlTree& OstrelToXML::Tree() const {
    if (tree_ == nullptr) throw NoxResult(E_UNEXPECTED, "OstrelToXML has not been initialised.");
    return *tree_;
}

xmlElement* OstrelToXML::Current() const {
    Tree();
    if (stack_.empty()) throw NoxResult(E_UNEXPECTED, "No elements are currently open in the tree");
    return stack_.back();
}

void OstrelToXML::InsertRootElement(std::string_view name) {
    xmlTree& tree = Tree();
    stack_.push_back(tree.AddElement(nullptr, tree.FindElementClass(name)));
}

void OstrelToXML::Open(std::string_view name) {
    xmlElement* parent = Current();
    stack_.push_back(tree_->AddElement(parent, tree_->FindElementClass(name)));
}

void OstrelToXML::AddText(std::string_view name, std::string_view value) {
    xmlElement* element = Current();
    tree_->AddAttribute(element, tree_->FindAttributeClass(name), value);
}

// The shortest text that reads back as the same double, as the framework writes doubles.
void OstrelToXML::AddDouble(std::string_view name, double value) {
    char text[32];
    const char* end = std::to_chars(text, text + sizeof text, value).ptr;
    AddText(name, std::string_view(text, static_cast<size_t>(end - text)));
}

// Plain decimal whatever the locale: no grouping, a minus sign only.
void OstrelToXML::AddLong(std::string_view name, LONG value) {
    char text[16];
    const char* end = std::to_chars(text, text + sizeof text, value).ptr;
    AddText(name, std::string_view(text, static_cast<size_t>(end - text)));
}

HRESULT OstrelToXML::InitializeSaver(BSTR rootName, BSTR version) {
    return Boundary([&] {
        const std::string versionText = BSTRToTString(version);
        InsertRootElement(BSTRToTString(rootName));
        tree_->AddAttribute(stack_.back(), tree_->FindAttributeClass("Version"), versionText);
    });
}

HRESULT OstrelToXML::OpenObject(BSTR name) {
    return Boundary([&] { Open(BSTRToTString(name)); });
}

HRESULT OstrelToXML::OpenObject(std::string_view name) {
    return Boundary([&] { Open(name); });
}

HRESULT OstrelToXML::CloseObject() {
    return Boundary([&] { Pop(); });
}

HRESULT OstrelToXML::AddAttribute(BSTR name, BSTR value) {
    return Boundary([&] {
        const std::string text = BSTRToTString(value);
        AddText(BSTRToTString(name), text);
    });
}

HRESULT OstrelToXML::AddAttribute(std::string_view name, std::string_view value) {
    return Boundary([&] { AddText(name, value); });
}

HRESULT OstrelToXML::AddDoubleAttribute(BSTR name, double value) {
    return Boundary([&] { AddDouble(BSTRToTString(name), value); });
}

HRESULT OstrelToXML::AddDoubleAttribute(std::string_view name, double value) {
    return Boundary([&] { AddDouble(name, value); });
}

HRESULT OstrelToXML::AddLongAttribute(BSTR name, LONG value) {
    return Boundary([&] { AddLong(BSTRToTString(name), value); });
}

HRESULT OstrelToXML::AddLongAttribute(std::string_view name, LONG value) {
    return Boundary([&] { AddLong(name, value); });
}

HRESULT OstrelToXML::AddBoolAttribute(BSTR name, VARIANT_BOOL value) {
    return Boundary([&] { AddText(BSTRToTString(name), value == VARIANT_TRUE ? "true" : "false"); });
}

HRESULT OstrelToXML::AddValue(VARIANT value) {
    return Boundary([&] {
        xmlElement* element = Current();
        std::string text = NoxVariant(value).Bstr().ToTString();
        element->AddChild(std::make_unique<xmlText>(std::move(text)));
    });
}
