// What a configuration document holds (the show command) and the coverages of its
// configurations (the coverage command), read through the library's automation interfaces and
// rendered as text for people, JSON or CSV for programs.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "report.h"

namespace kmcdoc {

class ConfigurationDocument;

struct ConfigurationSummary {
    LONG index = 0;  // counted from 1
    double frameTime = 0;
    std::string format;
    // How many sites of the patch hold each entry: every species and the vacancy (in the species
    // list's order, then the vacancy), then any other entry in the order it is first met.
    std::vector<std::pair<std::string, long long>> counts;
};

struct ActionSummary {
    double time = 0;
    std::vector<std::pair<std::string, double>> pairs;
};

struct HistorySummary {
    std::string task;
    std::string processesDocument;
    double simulationTime = 0;
    std::vector<ActionSummary> actions;
};

struct ConfigurationDocumentSummary {
    DocumentSummary objects;  // lattice and species
    LONG cellsU = 0;
    LONG cellsV = 0;
    LONG sitesPerCell = 0;
    std::vector<ConfigurationSummary> configurations;
    std::optional<HistorySummary> history;
};

// Raised: a configuration that cannot be read, with the library's description after the
// configuration's number.
ConfigurationDocumentSummary Summarize(const ConfigurationDocument& document);
std::string SummaryText(const ConfigurationDocumentSummary& summary);
std::string SummaryJson(const ConfigurationDocumentSummary& summary);

// Per configuration, the fraction of the sites of each lattice-site category (in the order the
// lattice first lists them) that each species (in species-list order) holds.
struct CoverageTable {
    std::vector<std::string> columns;  // "<species> on <category>"
    struct Row {
        double frameTime = 0;
        std::vector<double> fractions;  // one per column
    };
    std::vector<Row> rows;
};

CoverageTable Coverage(const ConfigurationDocument& document);
std::string CoverageText(const CoverageTable& table);
std::string CoverageCsv(const CoverageTable& table);

}  // namespace kmcdoc
