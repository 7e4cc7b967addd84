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

// The elements of the top-level objects, in document order.
constexpr std::string_view kTopLevelElements[] = {"Lattice", "SpeciesList", "ProcessList", "InteractionList"};

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

IDispatch* ProcessesDocument::TopLevelObject(std::string_view element) const {
    const std::vector<IDispatch*> objects = TopLevelObjects();
    for (size_t i = 0; i < objects.size(); ++i)
        if (kTopLevelElements[i] == element) return objects[i];
    return nullptr;
}

std::vector<std::string_view> ProcessesDocument::TopLevelElements() const {
    return {std::begin(kTopLevelElements), std::end(kTopLevelElements)};
}

std::unique_ptr<ProcessesDocument> ProcessesDocument::Load(const std::string& path, size_t maxSize) {
    return FromTree(*xmlTree::ParseFile(path, maxSize), path);
}

std::unique_ptr<ProcessesDocument> ProcessesDocument::Parse(const std::string& text,
                                                            const std::string& origin) {
    return FromTree(*xmlTree::ParseString(text), origin);
}

std::unique_ptr<ProcessesDocument> ProcessesDocument::FromTree(const xmlTree& tree,
                                                               const std::string& origin) {
    auto document = std::make_unique<ProcessesDocument>();
    document->LoadFrom(tree, origin);
    return document;
}

void ProcessesDocument::LoadFrom(const xmlTree& tree, const std::string& origin) {
    DocumentReading reading(tree, origin, kProcessesDocument, document_);
    reading.Objects([&] {
        for (IDispatch* object : TopLevelObjects()) {
            if (!reading.ElementsRemain()) break;  // absent trailing objects stay empty
            OstrelUtils::LoadXML(object, reading.Reader());
        }
    });
    warnings_ = reading.Finish();
    document_.SetModified(false);
}

std::unique_ptr<xmlTree> ProcessesDocument::ToTree() const {
    auto tree = std::make_unique<xmlTree>();
    NoxComPtr<IVxOstrelToXML> writer = StartDocument(*tree, kProcessesDocument);
    for (IDispatch* object : TopLevelObjects()) OstrelUtils::SaveXML(object, writer.Get());
    FinishDocument(writer.Get());
    return tree;
}

void ProcessesDocument::Save(const std::string& path) const { ToTree()->SaveFile(path); }

std::string ProcessesDocument::SaveToString() const { return ToTree()->SaveString(); }

}  // namespace kmcdoc
