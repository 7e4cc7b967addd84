// What a processes document holds, read through the library's automation interfaces and
// rendered as text for people or JSON for programs.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "com/base.h"
#include "interaction_report.h"
#include "process_report.h"

class KMCLattice;
class KMCSpeciesList;

namespace kmcdoc {

class JsonWriter;
class ProcessesDocument;

struct SpeciesSummary {
    std::string name;
    std::string category;
    double radius = 0;
    LONG charge = 0;
    std::string color;
};

struct SiteSummary {
    LONG index = 0;  // counted from 1, as site addresses count
    std::string category;
    std::string type;
    double x = 0;
    double y = 0;
    LONG label = 0;
    std::string color;
};

struct LatticeSummary {
    std::string type;
    std::string group;
    double u = 0;
    double v = 0;
    double theta = 0;
    LONG operatorCount = 0;
    double cellArea = 0;
    std::vector<SiteSummary> sites;
};

struct DocumentSummary {
    LatticeSummary lattice;
    std::string vacancySymbol;
    std::string vacancyColor;
    std::string enablingSpecies;
    std::vector<SpeciesSummary> species;
    // For a processes document.
    std::optional<std::vector<ProcessSummary>> processes;
    std::optional<InteractionsSummary> interactions;
};

DocumentSummary Summarize(const ProcessesDocument& document);
// The same for a lattice and a species list of any kind of document.
DocumentSummary Summarize(KMCLattice& lattice, KMCSpeciesList& species);
std::string SummaryText(const DocumentSummary& summary);
std::string SummaryJson(const DocumentSummary& summary);
// The members of SummaryJson's object, written into the object `json` has open.
void WriteSummary(JsonWriter& json, const DocumentSummary& summary);

}  // namespace kmcdoc
