#include "document_files.h"

#include "nox/strings.h"
#include "xml/reader.h"
#include "xml/writer.h"

namespace kmcdoc {
namespace {

// "file:line: path", or "file: path" for an element that has no line.
std::string Where(const std::string& origin, size_t line, const std::string& path) {
    return origin + (line != 0 ? ":" + std::to_string(line) : std::string()) + ": " + path;
}

}  // namespace

DocumentReading::DocumentReading(const xmlTree& tree, std::string origin, const DocumentKind& kind,
                                 HostDocument& document)
    : origin_(std::move(origin)),
      document_(document),
      reader_(CreateByProgId<IVxXMLToOstrel>("VxDocuments.XMLToOstrel.1")),
      loader_(XMLToOstrel::FromInterface(reader_.Get())) {
    loader_.Initialize(&tree);
    NoxBSTR root, version;
    nox::Check(reader_->InitializeLoader(root.Put(), version.Put()));
    if (root.ToTString() != kind.root)
        throw NoxResult(E_INVALIDARG, origin_ + " is not " + kind.name + ": its root element is \"" +
                                          root.ToTString() + "\", not \"" + kind.root + "\".");
    if (version.ToTString() != kind.version)
        throw NoxResult(E_INVALIDARG, origin_ + " has document version \"" + version.ToTString() +
                                          "\"; this program reads version \"" + kind.version + "\".");
}

DocumentReading::~DocumentReading() = default;

bool DocumentReading::ElementsRemain() const {
    VARIANT_BOOL remaining = VARIANT_FALSE;
    nox::Check(reader_->AreElementsRemaining(&remaining));
    return remaining == VARIANT_TRUE;
}

void DocumentReading::RaiseWhereReadingStood(const NoxResult& failure) const {
    const std::optional<XMLToOstrel::Location> location = loader_.CurrentLocation();
    if (!location) throw failure;
    throw LoadFailure(failure, Where(origin_, location->line, location->path));
}

std::vector<std::string> DocumentReading::Finish() {
    if (ElementsRemain())
        throw NoxResult(E_INVALIDARG, origin_ + " holds content after its last top-level element.");
    loader_.Finalize();
    std::vector<std::string> warnings;
    for (const ReadDiagnostic& diagnostic : loader_.Diagnostics())
        warnings.push_back(Where(origin_, diagnostic.line, diagnostic.path) + ": " + diagnostic.message);
    if (loader_.OmittedDiagnostics() != 0)
        warnings.push_back(origin_ + ": " + std::to_string(loader_.OmittedDiagnostics()) + " more like these");
    return warnings;
}

NoxComPtr<IVxOstrelToXML> StartDocument(xmlTree& tree, const DocumentKind& kind) {
    NoxComPtr<IVxOstrelToXML> writer = CreateByProgId<IVxOstrelToXML>("VxDocuments.OstrelToXML.1");
    OstrelToXML::FromInterface(writer.Get()).Initialize(&tree);
    nox::Check(writer->InitializeSaver(NoxBSTR(kind.root).Get(), NoxBSTR(kind.version).Get()));
    return writer;
}

void FinishDocument(IVxOstrelToXML* writer) { OstrelToXML::FromInterface(writer).Finalize(); }

}  // namespace kmcdoc
