// The lateral interactions of a document as people and programs read them: the settings for the
// next new interaction, and each interaction with its details grouped by symmetry class.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "com/base.h"

class KMCInteractionList;
struct IVxKMCInteraction;

namespace kmcdoc {

class JsonWriter;

struct InteractionDetailSummary {
    std::string activeSite;  // "( i , j / n )"
    std::string interactingSite;
    double distance = 0;
    std::string value;       // the stored text
    LONG symmetryClass = 0;  // 0 for a detail without a class
};

struct InteractionSummary {
    LONG index = 0;  // counted from 1, as the verdicts count
    bool initialised = false;
    std::string activeSpecies, interactingSpecies;       // empty when not set
    std::optional<double> minimumCutoff, maximumCutoff;  // unset for an interaction never initialised
    bool enabled = false;
    std::vector<InteractionDetailSummary> details;  // in list order
};

struct InteractionsSummary {
    std::string newActiveSpecies, newInteractingSpecies;
    double newCutoff = 0;
    std::vector<InteractionSummary> interactions;
};

InteractionsSummary SummarizeInteractions(KMCInteractionList& interactions);
InteractionSummary SummarizeInteraction(LONG index, IVxKMCInteraction& interaction);
std::string InteractionsText(const InteractionsSummary& summary);
// One interaction with its details, one symmetry class after the other.
std::string InteractionText(const InteractionSummary& interaction);
// The keys "new_interaction" and "interactions".
void WriteInteractionsJson(JsonWriter& json, const InteractionsSummary& summary);

}  // namespace kmcdoc
