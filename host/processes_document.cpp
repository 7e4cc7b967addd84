#include "processes_document.h"

#include "lattice/lattice.h"
#include "nox/strings.h"
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

// "file:line: path", or "file: path" for an element that has no line.
std::string Where(const std::string& origin, size_t line, const std::string& path) {
    return origin + (line != 0 ? ":" + std::to_string(line) : std::string()) + ": " + path;
}

}  // namespace

ProcessesDocument::ProcessesDocument()
    : lattice_(CreateClassByProgId<KMCLattice, IVxKMCLattice>("VxDocuments.KMCLattice.1")),
      species_(CreateClassByProgId<KMCSpeciesList, IVxKMCSpeciesList>("VxDocuments.KMCSpeciesList.1")) {
    lattice_->SetParent(&document_, nullptr, nullptr, nullptr);
    species_->SetParent(&document_, nullptr, nullptr, nullptr);
}

ProcessesDocument::~ProcessesDocument() = default;

std::vector<IDispatch*> ProcessesDocument::TopLevelObjects() const {
    return {static_cast<IVxKMCLattice*>(lattice_.Get()), static_cast<IVxKMCSpeciesList*>(species_.Get())};
}

std::unique_ptr<ProcessesDocument> ProcessesDocument::Load(const std::string& path, size_t maxSize) {
    auto document = std::make_unique<ProcessesDocument>();
    document->LoadFrom(*xmlTree::ParseFile(path, maxSize), path);
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
    XMLToOstrel& loader = *XMLToOstrel::FromInterface(reader.Get());
    loader.Initialize(&tree);
    CheckRoot(reader.Get(), origin);
    LoadObjects(loader, origin);
    if (ElementsRemain(reader.Get()))
        throw NoxResult(E_INVALIDARG, origin + " holds content after its last top-level element.");
    loader.Finalize();
    for (const ReadDiagnostic& diagnostic : loader.Diagnostics())
        warnings_.push_back(Where(origin, diagnostic.line, diagnostic.path) + ": " + diagnostic.message);
    if (loader.OmittedDiagnostics() != 0)
        warnings_.push_back(origin + ": " + std::to_string(loader.OmittedDiagnostics()) + " more like these");
    document_.SetModified(false);
}

// A failure keeps the library's description; where reading stood is added beside it.
void ProcessesDocument::LoadObjects(XMLToOstrel& reader, const std::string& origin) {
    LoadingScope loading(document_);
    try {
        for (IDispatch* object : TopLevelObjects()) {
            if (!ElementsRemain(&reader)) break;  // absent trailing objects stay empty
            OstrelUtils::LoadXML(object, &reader);
        }
    } catch (const NoxResult& failure) {
        const std::optional<XMLToOstrel::Location> location = reader.CurrentLocation();
        if (!location) throw;
        throw LoadFailure(failure, Where(origin, location->line, location->path));
    }
}

std::unique_ptr<xmlTree> ProcessesDocument::ToTree() const {
    auto tree = std::make_unique<xmlTree>();
    NoxComPtr<IVxOstrelToXML> writer = CreateByProgId<IVxOstrelToXML>("VxDocuments.OstrelToXML.1");
    OstrelToXML::FromInterface(writer.Get())->Initialize(tree.get());
    nox::Check(writer->InitializeSaver(NoxBSTR(kProcessesRoot).Get(), NoxBSTR(kProcessesVersion).Get()));
    for (IDispatch* object : TopLevelObjects()) OstrelUtils::SaveXML(object, writer.Get());
    OstrelToXML::FromInterface(writer.Get())->Finalize();
    return tree;
}

void ProcessesDocument::Save(const std::string& path) const { ToTree()->SaveFile(path); }

std::string ProcessesDocument::SaveToString() const { return ToTree()->SaveString(); }

}  // namespace kmcdoc
