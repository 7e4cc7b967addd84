// A configuration document file: the root element "ConfigurationDocument" with "Version" "1.0"
// and the patch size "CellsU", "CellsV", holding in this order its "Lattice", "SpeciesList",
// "Configurations" (with "NumberOfConfigurations" and that many "Configuration" children) and
// an optional "ConfigurationHistory". Every configuration covers the patch with as many sites
// per cell as the lattice has sites.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document.h"
#include "document_files.h"
#include "nox/comptr.h"

class KMCConfiguration;
class KMCConfigurationHistory;
class KMCLattice;
class KMCSpeciesList;
struct IVxXMLToOstrel;

namespace kmcdoc {

inline constexpr const char* kConfigurationRoot = "ConfigurationDocument";
inline constexpr const char* kConfigurationVersion = "1.0";
inline constexpr DocumentKind kConfigurationDocument{kConfigurationRoot, kConfigurationVersion,
                                                     "a configuration document"};

class ConfigurationDocument {
public:
    // An empty document whose lattice and species list are created through the class registry.
    ConfigurationDocument();
    ~ConfigurationDocument();
    ConfigurationDocument(const ConfigurationDocument&) = delete;
    ConfigurationDocument& operator=(const ConfigurationDocument&) = delete;

    // Raised as NoxResult with the library's own description when the file cannot be read or
    // parsed (a file other than a regular one, or larger than `maxSize`, is not read), and as
    // LoadFailure when an object fails to load from it.
    static std::unique_ptr<ConfigurationDocument> Load(const std::string& path,
                                                       size_t maxSize = xmlTree::kDefaultMaxFileSize);
    static std::unique_ptr<ConfigurationDocument> Parse(const std::string& text, const std::string& origin);
    // Loads the document from a parsed tree, read from `origin`; raised as Load.
    static std::unique_ptr<ConfigurationDocument> FromTree(const xmlTree& tree, const std::string& origin);
    void Save(const std::string& path) const;
    std::string SaveToString() const;
    // What loading changed without failing, as for a processes document.
    const std::vector<std::string>& LoadWarnings() const { return warnings_; }

    HostDocument& Document() { return document_; }
    // The top-level object saved as `element` ("Lattice", "SpeciesList", and
    // "ConfigurationHistory" when the document has a history), or null for another name. The
    // configurations are many objects, not one.
    IDispatch* TopLevelObject(std::string_view element) const;
    std::vector<std::string_view> TopLevelElements() const;
    KMCLattice& Lattice() const { return *lattice_; }
    KMCSpeciesList& SpeciesList() const { return *species_; }
    LONG CellsU() const { return cellsU_; }
    LONG CellsV() const { return cellsV_; }
    LONG SitesPerCell() const;
    const std::vector<NoxComPtr<KMCConfiguration>>& Configurations() const { return configurations_; }
    // Null when the document has no history.
    KMCConfigurationHistory* History() const { return history_.Get(); }

private:
    void LoadFrom(const xmlTree& tree, const std::string& origin);
    void LoadConfigurations(IVxXMLToOstrel* reader);
    std::unique_ptr<xmlTree> ToTree() const;

    HostDocument document_;
    NoxComPtr<KMCLattice> lattice_;
    NoxComPtr<KMCSpeciesList> species_;
    LONG cellsU_ = 1;
    LONG cellsV_ = 1;
    std::vector<NoxComPtr<KMCConfiguration>> configurations_;
    NoxComPtr<KMCConfigurationHistory> history_;
    std::vector<std::string> warnings_;
};

}  // namespace kmcdoc
