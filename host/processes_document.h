// A processes document file: the root element "ProcessesDocument" with "Version" "1.0" and the
// top-level objects in document order. Trailing top-level elements may be absent and then load
// as empty objects.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "document.h"
#include "nox/comptr.h"
#include "nox/result.h"
#include "xmltree/xmltree.h"

class KMCLattice;
class KMCSpeciesList;
class XMLToOstrel;

namespace kmcdoc {

inline constexpr const char* kProcessesRoot = "ProcessesDocument";
inline constexpr const char* kProcessesVersion = "1.0";

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
    void Save(const std::string& path) const;
    std::string SaveToString() const;

    // What loading changed without failing (numbers that did not read cleanly, content that was
    // dropped), each as "file:line: path: what happened", in file order; past the reader's limit,
    // a last line says how many more there were.
    const std::vector<std::string>& LoadWarnings() const { return warnings_; }

    HostDocument& Document() { return document_; }
    KMCLattice& Lattice() const { return *lattice_; }
    KMCSpeciesList& SpeciesList() const { return *species_; }

private:
    // The top-level objects in document order.
    std::vector<IDispatch*> TopLevelObjects() const;
    void LoadFrom(const xmlTree& tree, const std::string& origin);
    void LoadObjects(XMLToOstrel& reader, const std::string& origin);
    std::unique_ptr<xmlTree> ToTree() const;

    HostDocument document_;
    NoxComPtr<KMCLattice> lattice_;
    NoxComPtr<KMCSpeciesList> species_;
    std::vector<std::string> warnings_;
};

}  // namespace kmcdoc
