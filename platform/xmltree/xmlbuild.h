// What the parser needs of a tree beyond its public interface: elements made with their source
// line and with room for their attributes and children, and attributes added without a search
// for an earlier one of the same name. It adds all of an element's attributes before it makes
// the next element, which lets a repeated name be told at once.
#pragma once

#include <cstddef>
#include <string_view>

#include "xmltree/xmltree.h"

namespace xmltree_detail {

class TreeBuilder {
public:
    static xmlElement* AddElement(xmlTree& tree, xmlElement* parent, std::string_view name, size_t line,
                                  size_t attributes, size_t children);
    // The tree's class for the name, or null when the tree has none yet (and so no element has
    // an attribute of that name).
    static xmlAttributeClass* KnownAttributeClass(const xmlTree& tree, std::string_view name);
    // Whether the element was given an attribute of that class since it was made.
    static bool HasAttribute(const xmlAttributeClass& cls, const xmlElement& element);
    // Adds an attribute of a name the element does not have yet, its value checked like any
    // other; `known` is the name's class when the tree has one.
    static void AddNewAttribute(xmlTree& tree, xmlElement& element, xmlAttributeClass* known,
                                std::string_view name, std::string_view value);
};

}  // namespace xmltree_detail
