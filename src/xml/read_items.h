// Loading the items of a list element: a count attribute, then that many child elements, one
// per item.
#pragma once

#include "frame/owned_items.h"
#include "nox/result.h"
#include "xml/element_io.h"
#include "xml/utils.h"

namespace kmc {

// Loads `count` items (a count read from the open element), each made (created and linked to
// its owner) by `make` and read from the next child element. The count comes from the file,
// so nothing is sized by it: the first missing child ends the load. A child left over fails
// with E_UNEXPECTED `leftOver`. The items are returned, not stored, so that the caller adopts
// them only once its whole element has been read.
template <class Item, class Make>
OwnedItems<Item> ReadCountedItems(ElementReader& element, LONG count, const char* leftOver, Make make) {
    OwnedItems<Item> items;
    for (LONG index = 0; index < count; ++index) {
        NoxComPtr<Item> item = make();
        items.Append(item);
        OstrelUtils::LoadXML(item.Get(), element.Reader());
    }
    if (element.ChildrenRemain()) throw NoxResult(E_UNEXPECTED, leftOver);
    return items;
}

// The same with the count read from `countAttribute` of the open element.
template <class Item, class Make>
OwnedItems<Item> ReadItems(ElementReader& element, const char* countAttribute, const char* leftOver, Make make) {
    return ReadCountedItems<Item>(element, element.Long(countAttribute), leftOver, make);
}

}  // namespace kmc
