#include "document_files.h"

#include "nox/strings.h"
#include "xml/reader.h"
#include "xml/writer.h"
#include "xmltree/xmltree.h"

namespace kmcdoc {

std::string RootElementName(const std::string& path) {
    const std::unique_ptr<xmlTree> tree = xmlTree::ParseFile(path);
    return tree->Root() != nullptr ? tree->Root()->Name() : std::string();
}

NoxComPtr<IVxXMLToOstrel> OpenDocument(const xmlTree& tree, const std::string& origin, const char* root,
                                       const char* version, const char* kind) {
    NoxComPtr<IVxXMLToOstrel> reader = CreateByProgId<IVxXMLToOstrel>("VxDocuments.XMLToOstrel.1");
    XMLToOstrel::FromInterface(reader.Get()).Initialize(&tree);
    NoxBSTR rootName, versionText;
    nox::Check(reader->InitializeLoader(rootName.Put(), versionText.Put()));
    if (rootName.ToTString() != root)
        throw NoxResult(E_INVALIDARG, origin + " is not " + kind + ": its root element is \"" +
                                          rootName.ToTString() + "\", not \"" + root + "\".");
    if (versionText.ToTString() != version)
        throw NoxResult(E_INVALIDARG, origin + " has document version \"" + versionText.ToTString() +
                                          "\"; this program reads version \"" + version + "\".");
    return reader;
}

bool ElementsRemain(IVxXMLToOstrel* reader) {
    VARIANT_BOOL remaining = VARIANT_FALSE;
    nox::Check(reader->AreElementsRemaining(&remaining));
    return remaining == VARIANT_TRUE;
}

void CheckNothingRemains(IVxXMLToOstrel* reader, const std::string& origin) {
    if (ElementsRemain(reader))
        throw NoxResult(E_INVALIDARG, origin + " holds content after its last top-level element.");
}

void CloseDocument(IVxXMLToOstrel* reader) { XMLToOstrel::FromInterface(reader).Finalize(); }

NoxComPtr<IVxOstrelToXML> StartDocument(xmlTree& tree, const char* root, const char* version) {
    NoxComPtr<IVxOstrelToXML> writer = CreateByProgId<IVxOstrelToXML>("VxDocuments.OstrelToXML.1");
    OstrelToXML::FromInterface(writer.Get()).Initialize(&tree);
    nox::Check(writer->InitializeSaver(NoxBSTR(root).Get(), NoxBSTR(version).Get()));
    return writer;
}

void FinishDocument(IVxOstrelToXML* writer) { OstrelToXML::FromInterface(writer).Finalize(); }

}  // namespace kmcdoc
