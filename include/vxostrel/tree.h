// For hosts that see only the published interfaces: hands the XML writer and reader created
// through the class registry the tree they work on, as the classes' own Initialize does.
#pragma once

#include "vxostrel/xml.h"

class xmlTree;

namespace kmc {

// The tree is not owned and must outlive the writer's or reader's use. Raised as NoxResult:
// E_INVALIDARG when the object is not this library's writer or reader (or is null), E_POINTER
// for a null tree, E_UNEXPECTED when the object already has a tree.
NOX_EXPORT void AttachTree(IVxOstrelToXML* writer, xmlTree* tree);
NOX_EXPORT void AttachTree(IVxXMLToOstrel* reader, const xmlTree* tree);

}  // namespace kmc
