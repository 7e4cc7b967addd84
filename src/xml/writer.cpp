#include "xml/writer.h"

#include "nox/format.h"
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

void OstrelToXML::InsertRootElement(const std::string& name) {
    xmlTree& tree = Tree();
    stack_.push_back(tree.AddElement(nullptr, tree.FindElementClass(name)));
}

void OstrelToXML::AddAttributeText(BSTR name, std::string value) {
    xmlElement* element = Current();
    tree_->AddAttribute(element, tree_->FindAttributeClass(BSTRToTString(name)), std::move(value));
}

HRESULT OstrelToXML::InitializeSaver(BSTR rootName, BSTR version) {
    return Boundary([&] {
        std::string versionText = BSTRToTString(version);
        InsertRootElement(BSTRToTString(rootName));
        tree_->AddAttribute(stack_.back(), tree_->FindAttributeClass("Version"), std::move(versionText));
    });
}

HRESULT OstrelToXML::OpenObject(BSTR name) {
    return Boundary([&] {
        xmlElement* parent = Current();
        stack_.push_back(tree_->AddElement(parent, tree_->FindElementClass(BSTRToTString(name))));
    });
}

HRESULT OstrelToXML::CloseObject() {
    return Boundary([&] { Pop(); });
}

HRESULT OstrelToXML::AddAttribute(BSTR name, BSTR value) {
    return Boundary([&] { AddAttributeText(name, BSTRToTString(value)); });
}

HRESULT OstrelToXML::AddDoubleAttribute(BSTR name, double value) {
    return Boundary([&] { AddAttributeText(name, NoxFormat("%1") << value); });
}

HRESULT OstrelToXML::AddLongAttribute(BSTR name, LONG value) {
    return Boundary([&] { AddAttributeText(name, NoxFormat("%1") << value); });
}

HRESULT OstrelToXML::AddBoolAttribute(BSTR name, VARIANT_BOOL value) {
    return Boundary([&] { AddAttributeText(name, value == VARIANT_TRUE ? "true" : "false"); });
}

HRESULT OstrelToXML::AddValue(VARIANT value) {
    return Boundary([&] {
        xmlElement* element = Current();
        std::string text = NoxVariant(value).Bstr().ToTString();
        element->AddChild(std::make_unique<xmlText>(std::move(text)));
    });
}
