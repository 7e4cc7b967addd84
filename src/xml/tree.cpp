#include "vxostrel/tree.h"

#include "xml/reader.h"
#include "xml/writer.h"

namespace kmc {
namespace {

template <class Class, class Interface, class Tree>
void Attach(Interface* object, Tree* tree) {
    Class* own = Class::FromInterface(object);
    if (own == nullptr)
        throw NoxResult(E_INVALIDARG,
                        std::string("The object given is not this library's ") + Class::kClassName + ".");
    own->Initialize(tree);
}

}  // namespace

void AttachTree(IVxOstrelToXML* writer, xmlTree* tree) { Attach<OstrelToXML>(writer, tree); }

void AttachTree(IVxXMLToOstrel* reader, const xmlTree* tree) { Attach<XMLToOstrel>(reader, tree); }

}  // namespace kmc
