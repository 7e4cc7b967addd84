// What loading and saving any kind of host document shares: the reader over a tree with its root
// element checked, the loading state, where a failed load stopped, what a load changed without
// failing, and the writer with the root element open.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document.h"
#include "nox/comptr.h"
#include "nox/result.h"
#include "vxostrel/xml.h"
#include "xmltree/xmltree.h"

class XMLToOstrel;

namespace kmcdoc {

// A load that stopped: the library's description as it gave it, and where in the file reading
// stood, as in "badgroup.xml:3: Lattice" (the file, the line of the element being read and its
// path below the root).
class LoadFailure : public NoxResult {
public:
    LoadFailure(const NoxResult& failure, std::string where) : NoxResult(failure), where_(std::move(where)) {}
    const std::string& Where() const { return where_; }

private:
    std::string where_;
};

// The kind of document a root element names, for the user ("a processes document").
struct DocumentKind {
    const char* root;
    const char* version;
    const char* name;
};

// One load of a document from a parsed tree.
class DocumentReading {
public:
    // Opens the root element. Raised (E_INVALIDARG, naming `origin`): another root element, or a
    // version other than the kind's.
    DocumentReading(const xmlTree& tree, std::string origin, const DocumentKind& kind, HostDocument& document);
    ~DocumentReading();
    DocumentReading(const DocumentReading&) = delete;
    DocumentReading& operator=(const DocumentReading&) = delete;

    IVxXMLToOstrel* Reader() const { return reader_.Get(); }
    // Whether the open element has children that were not read.
    bool ElementsRemain() const;
    // Runs the objects' loads with the document in its loading state. A failure keeps the
    // library's description and is raised as LoadFailure with where reading stood.
    template <class Load>
    void Objects(Load&& load) {
        LoadingState loading(document_);
        try {
            std::forward<Load>(load)();
        } catch (const NoxResult& failure) {
            RaiseWhereReadingStood(failure);
        }
    }
    // Leaves the root element, refusing content after the last object, and gives what the load
    // changed without failing, each as "file:line: path: what happened", in file order.
    std::vector<std::string> Finish();

private:
    class LoadingState {
    public:
        explicit LoadingState(HostDocument& document) : document_(document) { document_.SetLoading(true); }
        ~LoadingState() { document_.SetLoading(false); }
        LoadingState(const LoadingState&) = delete;
        LoadingState& operator=(const LoadingState&) = delete;

    private:
        HostDocument& document_;
    };

    [[noreturn]] void RaiseWhereReadingStood(const NoxResult& failure) const;

    std::string origin_;
    HostDocument& document_;
    NoxComPtr<IVxXMLToOstrel> reader_;
    XMLToOstrel& loader_;
};

// A writer into `tree` with the root element of `kind` open, carrying its "Version".
NoxComPtr<IVxOstrelToXML> StartDocument(xmlTree& tree, const DocumentKind& kind);
// Leaves the root element.
void FinishDocument(IVxOstrelToXML* writer);

}  // namespace kmcdoc
