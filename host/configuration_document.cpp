#include "configuration_document.h"

#include <charconv>
#include <limits>

#include "configuration/configuration.h"
#include "configuration/configuration_history.h"
#include "document_files.h"
#include "lattice/lattice.h"
#include "lattice/lattice_site_list.h"
#include "nox/strings.h"
#include "species/species_list.h"
#include "xml/element_io.h"
#include "xml/utils.h"
#include "xmltree/xmltree.h"

namespace kmcdoc {
namespace {

const char* const kConfigurationsElement = "Configurations";
const char* const kHistoryElement = "ConfigurationHistory";
const char* const kCount = "NumberOfConfigurations";

// One side of the patch from the root element: a whole number from 1 up, written as such.
LONG PatchSide(IVxXMLToOstrel* reader, const char* attribute, const std::string& origin) {
    NoxBSTR value;
    nox::Check(reader->GetAttributeValue(NoxBSTR(attribute).Get(), value.Put()));
    const std::string text = value.ToTString();
    LONG side = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), side);
    if (error != std::errc() || end != text.data() + text.size() || side < 1)
        throw NoxResult(E_INVALIDARG, origin + " has no valid patch size: \"" + attribute +
                                          "\" must be a whole number from 1 to " +
                                          std::to_string(std::numeric_limits<LONG>::max()) + ", not \"" +
                                          text + "\".");
    return side;
}

}  // namespace

ConfigurationDocument::ConfigurationDocument()
    : lattice_(CreateClassByProgId<KMCLattice, IVxKMCLattice>("VxDocuments.KMCLattice.1")),
      species_(CreateClassByProgId<KMCSpeciesList, IVxKMCSpeciesList>("VxDocuments.KMCSpeciesList.1")) {
    lattice_->SetParent(&document_, nullptr, nullptr, nullptr);
    species_->SetParent(&document_, nullptr, nullptr, nullptr);
}

ConfigurationDocument::~ConfigurationDocument() = default;

IDispatch* ConfigurationDocument::TopLevelObject(std::string_view element) const {
    if (element == "Lattice") return static_cast<IVxKMCLattice*>(lattice_.Get());
    if (element == "SpeciesList") return static_cast<IVxKMCSpeciesList*>(species_.Get());
    if (element == kHistoryElement && history_)
        return static_cast<IVxKMCConfigurationHistory*>(history_.Get());
    return nullptr;
}

std::vector<std::string_view> ConfigurationDocument::TopLevelElements() const {
    std::vector<std::string_view> elements{"Lattice", "SpeciesList"};
    if (history_) elements.push_back(kHistoryElement);
    return elements;
}

LONG ConfigurationDocument::SitesPerCell() const { return lattice_->RawLatticeSiteList()->Count(); }

std::unique_ptr<ConfigurationDocument> ConfigurationDocument::Load(const std::string& path, size_t maxSize) {
    return FromTree(*xmlTree::ParseFile(path, maxSize), path);
}

std::unique_ptr<ConfigurationDocument> ConfigurationDocument::Parse(const std::string& text,
                                                                    const std::string& origin) {
    return FromTree(*xmlTree::ParseString(text), origin);
}

std::unique_ptr<ConfigurationDocument> ConfigurationDocument::FromTree(const xmlTree& tree,
                                                                       const std::string& origin) {
    auto document = std::make_unique<ConfigurationDocument>();
    document->LoadFrom(tree, origin);
    return document;
}

void ConfigurationDocument::LoadFrom(const xmlTree& tree, const std::string& origin) {
    DocumentReading reading(tree, origin, kConfigurationDocument, document_);
    IVxXMLToOstrel* reader = reading.Reader();
    cellsU_ = PatchSide(reader, "CellsU", origin);
    cellsV_ = PatchSide(reader, "CellsV", origin);
    reading.Objects([&] {
        OstrelUtils::LoadXML(static_cast<IVxKMCLattice*>(lattice_.Get()), reader);
        OstrelUtils::LoadXML(static_cast<IVxKMCSpeciesList*>(species_.Get()), reader);
        LoadConfigurations(reader);
        if (reading.ElementsRemain()) {
            history_ = CreateClassByProgId<KMCConfigurationHistory, IVxKMCConfigurationHistory>(
                "VxDocuments.KMCConfigurationHistory.1");
            history_->SetParent(&document_);
            OstrelUtils::LoadXML(static_cast<IVxKMCConfigurationHistory*>(history_.Get()), reader);
        }
    });
    warnings_ = reading.Finish();
    document_.SetModified(false);
}

void ConfigurationDocument::LoadConfigurations(IVxXMLToOstrel* reader) {
    kmc::ElementReader element(reader, kConfigurationsElement);
    // The count comes from the file: the first missing configuration ends the load.
    for (LONG index = 0, count = element.Long(kCount); index < count; ++index) {
        NoxComPtr<KMCConfiguration> configuration =
            CreateClassByProgId<KMCConfiguration, IVxKMCConfiguration>("VxDocuments.KMCConfiguration.1");
        configuration->SetParent(&document_);
        OstrelUtils::LoadXML(static_cast<IVxKMCConfiguration*>(configuration.Get()), reader);
        nox::Check(configuration->Initialise(cellsU_, cellsV_, SitesPerCell()));
        configurations_.push_back(std::move(configuration));
    }
    if (element.ChildrenRemain())
        throw NoxResult(E_UNEXPECTED, "Unexpected children found for the Configurations element");
    element.Close();
}

std::unique_ptr<xmlTree> ConfigurationDocument::ToTree() const {
    auto tree = std::make_unique<xmlTree>();
    NoxComPtr<IVxOstrelToXML> writer = StartDocument(*tree, kConfigurationDocument);
    nox::Check(writer->AddLongAttribute(NoxBSTR("CellsU").Get(), cellsU_));
    nox::Check(writer->AddLongAttribute(NoxBSTR("CellsV").Get(), cellsV_));
    OstrelUtils::SaveXML(static_cast<IVxKMCLattice*>(lattice_.Get()), writer.Get());
    OstrelUtils::SaveXML(static_cast<IVxKMCSpeciesList*>(species_.Get()), writer.Get());
    kmc::ElementWriter configurations(writer.Get(), kConfigurationsElement);
    configurations.Long(kCount, static_cast<LONG>(configurations_.size()));
    for (const auto& configuration : configurations_)
        OstrelUtils::SaveXML(static_cast<IVxKMCConfiguration*>(configuration.Get()), writer.Get());
    configurations.Close();
    if (history_)
        OstrelUtils::SaveXML(static_cast<IVxKMCConfigurationHistory*>(history_.Get()), writer.Get());
    FinishDocument(writer.Get());
    return tree;
}

void ConfigurationDocument::Save(const std::string& path) const { ToTree()->SaveFile(path); }

std::string ConfigurationDocument::SaveToString() const { return ToTree()->SaveString(); }

}  // namespace kmcdoc
