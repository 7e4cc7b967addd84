// A processes document file: the root element "ProcessesDocument" with "Version" "1.0" and the
// top-level objects in document order. Trailing top-level elements may be absent and then load
// as empty objects.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document.h"
#include "document_files.h"
#include "nox/comptr.h"
#include "xmltree/xmltree.h"

class KMCInteractionList;
class KMCLattice;
class KMCProcessList;
class KMCSpeciesList;

namespace kmcdoc {

inline constexpr const char* kProcessesRoot = "ProcessesDocument";
inline constexpr const char* kProcessesVersion = "1.0";
inline constexpr DocumentKind kProcessesDocument{kProcessesRoot, kProcessesVersion, "a processes document"};

class ProcessesDocument {
public:
    // A new, empty document whose objects are created through the class registry and linked.
    ProcessesDocument();
    ~ProcessesDocument();
    ProcessesDocument(const ProcessesDocument&) = delete;
    ProcessesDocument& operator=(const ProcessesDocument&) = delete;

    // Raised as NoxResult with the library's own description when the file cannot be read or
    // parsed (a file other than a regular one, or larger than `maxSize`, is not read), and as
    // LoadFailure when an object fails to load from it.
    static std::unique_ptr<ProcessesDocument> Load(const std::string& path,
                                                   size_t maxSize = xmlTree::kDefaultMaxFileSize);
    static std::unique_ptr<ProcessesDocument> Parse(const std::string& text, const std::string& origin);
    // Loads the document from a parsed tree, read from `origin`; raised as Load.
    static std::unique_ptr<ProcessesDocument> FromTree(const xmlTree& tree, const std::string& origin);
    void Save(const std::string& path) const;
    std::string SaveToString() const;

    // What loading changed without failing (numbers that did not read cleanly, content that was
    // dropped), each as "file:line: path: what happened", in file order; past the reader's limit,
    // a last line says how many more there were.
    const std::vector<std::string>& LoadWarnings() const { return warnings_; }

    HostDocument& Document() { return document_; }
    // The top-level object saved as `element` ("Lattice", "SpeciesList", "ProcessList",
    // "InteractionList"), or null for another name.
    IDispatch* TopLevelObject(std::string_view element) const;
    std::vector<std::string_view> TopLevelElements() const;
    KMCLattice& Lattice() const { return *lattice_; }
    KMCSpeciesList& SpeciesList() const { return *species_; }
    KMCProcessList& ProcessList() const { return *processes_; }
    KMCInteractionList& InteractionList() const { return *interactions_; }

private:
    // The top-level objects in document order.
    std::vector<IDispatch*> TopLevelObjects() const;
    void LoadFrom(const xmlTree& tree, const std::string& origin);
    std::unique_ptr<xmlTree> ToTree() const;

    HostDocument document_;
    NoxComPtr<KMCLattice> lattice_;
    NoxComPtr<KMCSpeciesList> species_;
    NoxComPtr<KMCProcessList> processes_;
    NoxComPtr<KMCInteractionList> interactions_;
    std::vector<std::string> warnings_;
};

}  // namespace kmcdoc
