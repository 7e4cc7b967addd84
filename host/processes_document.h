// A processes document file: the root element "ProcessesDocument" with "Version" "1.0" and the
// top-level objects in document order. Trailing top-level elements may be absent and then load
// as empty objects.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "document.h"
#include "nox/comptr.h"

class KMCInteractionList;
class KMCLattice;
class KMCProcessList;
class KMCSpeciesList;
class xmlTree;

namespace kmcdoc {

inline constexpr const char* kProcessesRoot = "ProcessesDocument";
inline constexpr const char* kProcessesVersion = "1.0";

class ProcessesDocument {
public:
    // A new, empty document whose objects are created through the class registry and linked.
    ProcessesDocument();
    ~ProcessesDocument();
    ProcessesDocument(const ProcessesDocument&) = delete;
    ProcessesDocument& operator=(const ProcessesDocument&) = delete;

    // Raised as NoxResult with the library's own description when the file cannot be loaded.
    static std::unique_ptr<ProcessesDocument> Load(const std::string& path);
    static std::unique_ptr<ProcessesDocument> Parse(const std::string& text, const std::string& origin);
    void Save(const std::string& path) const;
    std::string SaveToString() const;

    HostDocument& Document() { return document_; }
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
};

}  // namespace kmcdoc
