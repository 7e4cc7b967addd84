#include "xmltree/xmltree.h"

#include <algorithm>
#include <iterator>

#include "nox/result.h"
#include "xmltree/xmlchars.h"

xmlNode::~xmlNode() = default;

xmlText::xmlText(std::string text) : text_(std::move(text)) {
    xmltree::CheckCharacterData(text_, "XML text");
}

xmlElement::~xmlElement() {
    // Nested destructors would recurse once per level and exhaust the stack on a deep tree,
    // so descendants are detached into one work list and each dies with no children left.
    std::vector<std::unique_ptr<xmlNode>> pending = std::move(children_);
    while (!pending.empty()) {
        std::unique_ptr<xmlNode> node = std::move(pending.back());
        pending.pop_back();
        if (auto* element = dynamic_cast<xmlElement*>(node.get())) {
            std::ranges::move(element->children_, std::back_inserter(pending));
            element->children_.clear();
        }
    }
}

const xmlAttribute* xmlElement::GetAttribute(std::string_view name) const {
    for (const auto& attribute : attributes_) {
        if (attribute->Name() == name) return attribute.get();
    }
    return nullptr;
}

void xmlElement::AddChild(std::unique_ptr<xmlNode> node) {
    if (!node) nox::Throw(E_INVALIDARG, "AddChild was given no node to add to element \"" + Name() + "\"");
    Append(std::move(node));
}

size_t xmlElement::Append(std::unique_ptr<xmlNode> node) {
    xmlNode& added = *node;
    children_.push_back(std::move(node));
    added.parent_ = this;
    return children_.size() - 1;
}

xmlAttribute* xmlElement::SetAttribute(const xmlAttributeClass& cls, std::string value) {
    for (const auto& attribute : attributes_) {
        if (attribute->class_ == &cls) {
            attribute->value_ = std::move(value);
            return attribute.get();
        }
    }
    std::unique_ptr<xmlAttribute> added(new xmlAttribute(cls, std::move(value)));
    return attributes_.emplace_back(std::move(added)).get();
}

xmlTree::xmlTree() = default;
xmlTree::~xmlTree() = default;

template <class Class>
Class* xmlTree::FindClass(ClassTable<Class>& table, std::string_view name, std::string_view kind) {
    if (auto found = table.find(name); found != table.end()) return found->second.get();
    xmltree::CheckName(name, kind);
    std::unique_ptr<Class> cls(new Class(*this, std::string(name)));
    // The key views the class's own copy of the name, which lives as long as the entry.
    return table.emplace(cls->Name(), std::move(cls)).first->second.get();
}

xmlElementClass* xmlTree::FindElementClass(std::string_view name) {
    return FindClass(elementClasses_, name, "XML element name");
}

xmlAttributeClass* xmlTree::FindAttributeClass(std::string_view name) {
    return FindClass(attributeClasses_, name, "XML attribute name");
}

void xmlTree::CheckOwned(const xmlNameClass* cls, std::string_view role) const {
    if (cls == nullptr) nox::Throw(E_INVALIDARG, "No " + std::string(role) + " was given");
    if (cls->tree_ != this) {
        nox::Throw(E_INVALIDARG,
                   "The " + std::string(role) + " \"" + cls->Name() + "\" belongs to another XML tree");
    }
}

xmlElement* xmlTree::AddElement(xmlElement* parent, xmlElementClass* cls, size_t* index) {
    CheckOwned(cls, "element class");
    if (parent != nullptr) CheckOwned(&parent->Class(), "parent element");
    if (parent == nullptr && root_) nox::Throw(E_UNEXPECTED, "The XML tree already has a root element");

    std::unique_ptr<xmlElement> element(new xmlElement(*cls));
    xmlElement* added = element.get();
    size_t position = 0;
    if (parent != nullptr) {
        position = parent->Append(std::move(element));
    } else {
        root_ = std::move(element);
    }
    if (index != nullptr) *index = position;
    return added;
}

xmlAttribute* xmlTree::AddAttribute(xmlElement* element, xmlAttributeClass* cls, std::string value) {
    if (element == nullptr) nox::Throw(E_INVALIDARG, "No element was given for the attribute");
    CheckOwned(&element->Class(), "element");
    CheckOwned(cls, "attribute class");
    xmltree::CheckCharacterData(value, "value of XML attribute \"" + cls->Name() + "\"");
    return element->SetAttribute(*cls, std::move(value));
}
