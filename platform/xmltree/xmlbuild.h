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
    // Whether the element was given an attribute of that name since it was made.
    static bool HasAttribute(const xmlTree& tree, const xmlElement& element, std::string_view name);
    // Adds an attribute of a name the element does not have yet, its value checked like any
    // other.
    static void AddNewAttribute(xmlTree& tree, xmlElement& element, std::string_view name,
                                std::string_view value);
};

}  // namespace xmltree_detail
