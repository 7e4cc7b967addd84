// The processes of a document as people and programs read them: one summary per process with
// its sites and its symmetry, read through the library's automation interfaces.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "com/base.h"

struct IVxKMCProcessList;

namespace kmcdoc {

class JsonWriter;

struct ActiveSiteSummary {
    std::string type;  // "Source", "Destination" or "Reaction"
    std::string site;  // "( i , j / n )"
    std::string source;
    std::string result;
};

struct BlockingSiteSummary {
    std::string site;
    std::string pattern;
};

struct ProcessSummary {
    LONG index = 0;  // counted from 1, as the verdicts count
    std::string identifier, description, type;
    bool enabled = false, associative = false;
    std::string specificationType;
    std::string prefactor, pressureFactor, activationEnergy, potentialFactor, rate;
    bool useInteractions = false;
    double bronstedPolanyi = 0, interactionCutoff = 0;
    LONG priority = 0, chargeTransfer = 0;
    std::vector<ActiveSiteSummary> activeSites;  // the sites in play
    std::vector<BlockingSiteSummary> blockingSites;
    // The distinct symmetry indices, or why they cannot be found.
    std::optional<std::vector<LONG>> symmetryIndices;
    std::string symmetryProblem;
};

std::vector<ProcessSummary> SummarizeProcesses(IVxKMCProcessList& processes);
std::string ProcessesText(const std::vector<ProcessSummary>& processes);
void WriteProcessesJson(JsonWriter& json, const std::vector<ProcessSummary>& processes);

}  // namespace kmcdoc
