#include "processes_document.h"

#include "interaction/interaction_list.h"
#include "lattice/lattice.h"
#include "nox/strings.h"
#include "process/process_list.h"
#include "species/species_list.h"
#include "xml/reader.h"
#include "xml/utils.h"
#include "xml/writer.h"
#include "xmltree/xmltree.h"

namespace kmcdoc {
namespace {

// Holds the document in its loading state for the duration of a load.
class LoadingScope {
public:
    explicit LoadingScope(HostDocument& document) : document_(document) { document_.SetLoading(true); }
    ~LoadingScope() { document_.SetLoading(false); }
    LoadingScope(const LoadingScope&) = delete;
    LoadingScope& operator=(const LoadingScope&) = delete;

private:
    HostDocument& document_;
};

bool ElementsRemain(IVxXMLToOstrel* reader) {
    VARIANT_BOOL remaining = VARIANT_FALSE;
    nox::Check(reader->AreElementsRemaining(&remaining));
    return remaining == VARIANT_TRUE;
}

void CheckRoot(IVxXMLToOstrel* reader, const std::string& origin) {
    NoxBSTR root, version;
    nox::Check(reader->InitializeLoader(root.Put(), version.Put()));
    if (root.ToTString() != kProcessesRoot)
        throw NoxResult(E_INVALIDARG, origin + " is not a processes document: its root element is \"" +
                                          root.ToTString() + "\", not \"" + kProcessesRoot + "\".");
    if (version.ToTString() != kProcessesVersion)
        throw NoxResult(E_INVALIDARG, origin + " has document version \"" + version.ToTString() +
                                          "\"; this program reads version \"" + kProcessesVersion + "\".");
}

}  // namespace

ProcessesDocument::ProcessesDocument()
    : lattice_(CreateClassByProgId<KMCLattice, IVxKMCLattice>("VxDocuments.KMCLattice.1")),
      species_(CreateClassByProgId<KMCSpeciesList, IVxKMCSpeciesList>("VxDocuments.KMCSpeciesList.1")),
      processes_(CreateClassByProgId<KMCProcessList, IVxKMCProcessList>("VxDocuments.KMCProcessList.1")),
      // The interaction list has no ProgID: the host makes it through its class.
      interactions_(KMCInteractionList::Create()) {
    lattice_->SetParent(&document_, nullptr, processes_.Get(), interactions_.Get());
    species_->SetParent(&document_, nullptr, processes_.Get(), interactions_.Get());
    processes_->SetParent(&document_, nullptr, lattice_.Get(), species_.Get());
    interactions_->SetParent(&document_, nullptr, lattice_.Get(), species_.Get());
}

ProcessesDocument::~ProcessesDocument() = default;

std::vector<IDispatch*> ProcessesDocument::TopLevelObjects() const {
    return {static_cast<IVxKMCLattice*>(lattice_.Get()), static_cast<IVxKMCSpeciesList*>(species_.Get()),
            static_cast<IVxKMCProcessList*>(processes_.Get()),
            static_cast<IVxKMCInteractionList*>(interactions_.Get())};
}

std::unique_ptr<ProcessesDocument> ProcessesDocument::Load(const std::string& path) {
    auto document = std::make_unique<ProcessesDocument>();
    document->LoadFrom(*xmlTree::ParseFile(path), path);
    return document;
}

std::unique_ptr<ProcessesDocument> ProcessesDocument::Parse(const std::string& text,
                                                            const std::string& origin) {
    auto document = std::make_unique<ProcessesDocument>();
    document->LoadFrom(*xmlTree::ParseString(text), origin);
    return document;
}

void ProcessesDocument::LoadFrom(const xmlTree& tree, const std::string& origin) {
    NoxComPtr<IVxXMLToOstrel> reader = CreateByProgId<IVxXMLToOstrel>("VxDocuments.XMLToOstrel.1");
    XMLToOstrel::FromInterface(reader.Get()).Initialize(&tree);
    CheckRoot(reader.Get(), origin);
    {
        LoadingScope loading(document_);
        for (IDispatch* object : TopLevelObjects()) {
            if (!ElementsRemain(reader.Get())) break;  // absent trailing objects stay empty
            OstrelUtils::LoadXML(object, reader.Get());
        }
    }
    if (ElementsRemain(reader.Get()))
        throw NoxResult(E_INVALIDARG, origin + " holds content after its last top-level element.");
    XMLToOstrel::FromInterface(reader.Get()).Finalize();
    document_.SetModified(false);
}

std::unique_ptr<xmlTree> ProcessesDocument::ToTree() const {
    auto tree = std::make_unique<xmlTree>();
    NoxComPtr<IVxOstrelToXML> writer = CreateByProgId<IVxOstrelToXML>("VxDocuments.OstrelToXML.1");
    OstrelToXML::FromInterface(writer.Get()).Initialize(tree.get());
    nox::Check(writer->InitializeSaver(NoxBSTR(kProcessesRoot).Get(), NoxBSTR(kProcessesVersion).Get()));
    for (IDispatch* object : TopLevelObjects()) OstrelUtils::SaveXML(object, writer.Get());
    OstrelToXML::FromInterface(writer.Get()).Finalize();
    return tree;
}

void ProcessesDocument::Save(const std::string& path) const { ToTree()->SaveFile(path); }

std::string ProcessesDocument::SaveToString() const { return ToTree()->SaveString(); }

}  // namespace kmcdoc
