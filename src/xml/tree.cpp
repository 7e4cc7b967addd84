#include "vxostrel/tree.h"

#include "xml/reader.h"
#include "xml/writer.h"

namespace kmc {
namespace {

// A foreign object is refused with E_INVALIDARG by the lookup itself.
template <class Class, class Interface, class Tree>
void Attach(Interface* object, Tree* tree) {
    Class::FromInterface(object).Initialize(tree);
}

}  // namespace

void AttachTree(IVxOstrelToXML* writer, xmlTree* tree) { Attach<OstrelToXML>(writer, tree); }

void AttachTree(IVxXMLToOstrel* reader, const xmlTree* tree) { Attach<XMLToOstrel>(reader, tree); }

}  // namespace kmc
