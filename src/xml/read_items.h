// Loading the items of a list element: a count attribute, then that many child elements, one
// per item.
#pragma once

#include "frame/owned_items.h"
#include "nox/result.h"
#include "xml/element_io.h"
#include "xml/utils.h"

namespace kmc {

// Loads `count` items, each made (created and linked to its owner) by `make` and read from the
// next child element of the open element. The count comes from the file, so nothing is sized by
// it: the first missing child ends the load. The items are returned, not stored, so that the
// caller adopts them only once its whole element has been read.
template <class Item, class Make>
OwnedItems<Item> ReadChildren(ElementReader& element, LONG count, Make make) {
    OwnedItems<Item> items;
    for (LONG index = 0; index < count; ++index) {
        NoxComPtr<Item> item = make();
        items.Append(item);
        OstrelUtils::LoadXML(item.Get(), element.Reader());
    }
    return items;
}

// Raises E_UNEXPECTED `leftOver` when the open element has children that were not read.
inline void RefuseLeftOverChildren(ElementReader& element, const char* leftOver) {
    if (element.ChildrenRemain()) throw NoxResult(E_UNEXPECTED, leftOver);
}

// `count` items and no more: a child left over fails with E_UNEXPECTED `leftOver`.
template <class Item, class Make>
OwnedItems<Item> ReadCountedItems(ElementReader& element, LONG count, const char* leftOver, Make make) {
    OwnedItems<Item> items = ReadChildren<Item>(element, count, make);
    RefuseLeftOverChildren(element, leftOver);
    return items;
}

// The items of a list element: the count from `countAttribute`, then that many children.
template <class Item, class Make>
OwnedItems<Item> ReadItems(ElementReader& element, const char* countAttribute, const char* leftOver, Make make) {
    return ReadCountedItems<Item>(element, element.Long(countAttribute), leftOver, make);
}

}  // namespace kmc
