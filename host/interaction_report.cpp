#include "interaction_report.h"

#include <cstdio>
#include <map>

#include "interaction/interaction.h"
#include "interaction/interaction_list.h"
#include "json.h"
#include "nox/comptr.h"
#include "nox/format.h"
#include "nox/result.h"
#include "nox/strings.h"
#include "property_read.h"

namespace kmcdoc {
namespace {

std::string SpeciesName(IVxKMCInteraction& interaction,
                        HRESULT (IVxKMCInteraction::*getter)(IVxKMCSpecies**)) {
    NoxComPtr<IVxKMCSpecies> species;
    nox::Check((interaction.*getter)(species.Put()));
    return species ? ReadText(*species, &IVxKMCSpecies::get_Name) : std::string();
}

std::string SiteText(IVxKMCInteractionDetail& detail,
                     HRESULT (IVxKMCInteractionDetail::*getter)(IVxKMCSiteSpecification**)) {
    NoxComPtr<IVxKMCSiteSpecification> spec;
    nox::Check((detail.*getter)(spec.Put()));
    return ReadText(*spec, &IVxKMCSiteSpecification::get_SiteDetailsAsString);
}

InteractionDetailSummary SummarizeDetail(IVxKMCInteractionDetail& detail, LONG symmetryClass) {
    using D = IVxKMCInteractionDetail;
    return {SiteText(detail, &D::get_ActiveSiteSpecification),
            SiteText(detail, &D::get_InteractingSiteSpecification),
            Read<double>(detail, &D::get_InteractionDistance), ReadText(detail, &D::get_Interaction),
            symmetryClass};
}

// Six significant digits: pairs of one shell, whose distances differ in the last bits, read alike.
std::string ShortDistance(double distance) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", distance);
    return text;
}

std::string DetailLine(const InteractionDetailSummary& detail) {
    return NoxFormat("      %1 - %2: distance %3, value %4\n")
           << detail.activeSite << detail.interactingSite << ShortDistance(detail.distance) << detail.value;
}

}  // namespace

InteractionSummary SummarizeInteraction(LONG index, IVxKMCInteraction& interaction) {
    using I = IVxKMCInteraction;
    InteractionSummary s;
    s.index = index;
    s.enabled = Read<VARIANT_BOOL>(interaction, &I::get_Enabled) == VARIANT_TRUE;
    // Species that a file names but the species list lacks leave an interaction uninitialised;
    // it is still shown.
    const KMCInteraction& raw = KMCInteraction::FromInterface(&interaction);
    s.initialised = raw.IsInitialised();
    if (!s.initialised) return s;
    s.activeSpecies = SpeciesName(interaction, &I::get_ActiveSpecies);
    s.interactingSpecies = SpeciesName(interaction, &I::get_InteractingSpecies);
    s.minimumCutoff = Read<double>(interaction, &I::get_MinimumCutoff);
    s.maximumCutoff = Read<double>(interaction, &I::get_MaximumCutoff);
    for (LONG k = 0, count = Read<LONG>(interaction, &I::get_NumberDetails); k < count; ++k) {
        NoxComPtr<IVxKMCInteractionDetail> detail;
        nox::Check(interaction.get_InteractionDetail(k, detail.Put()));
        s.details.push_back(SummarizeDetail(*detail, raw.Detail(static_cast<size_t>(k)).SymmetryClass()));
    }
    return s;
}

InteractionsSummary SummarizeInteractions(KMCInteractionList& interactions) {
    using L = IVxKMCInteractionList;
    InteractionsSummary summary;
    summary.newActiveSpecies = ReadText(interactions, &L::get_NewInteractionActiveSpecies);
    summary.newInteractingSpecies = ReadText(interactions, &L::get_NewInteractionInteractingSpecies);
    summary.newCutoff = Read<double>(interactions, &L::get_NewInteractionCutoff);
    for (LONG k = 0, count = Read<LONG>(interactions, &L::get_Count); k < count; ++k) {
        NoxComPtr<IVxKMCInteraction> interaction;
        nox::Check(interactions.get_Item(k, interaction.Put()));
        summary.interactions.push_back(SummarizeInteraction(k + 1, *interaction));
    }
    return summary;
}

std::string InteractionText(const InteractionSummary& p) {
    const char* disabled = p.enabled ? "" : " (disabled)";
    if (!p.initialised)
        return NoxFormat("  %1 (not initialised: its species are not set)%2\n") << p.index << disabled;
    // The classes in order of their first detail; details without a class come last.
    std::map<LONG, std::vector<const InteractionDetailSummary*>> byClass;
    std::vector<LONG> order;
    for (const InteractionDetailSummary& detail : p.details) {
        const LONG key = detail.symmetryClass > 0 ? detail.symmetryClass : 0;
        auto& members = byClass[key];
        if (members.empty() && key > 0) order.push_back(key);
        members.push_back(&detail);
    }
    if (byClass.count(0) != 0) order.push_back(0);
    std::string out =
        NoxFormat("  %1 %2 - %3%4: distances from %5 up to %6, %7 details in %8 symmetry classes\n")
        << p.index << p.activeSpecies << p.interactingSpecies << disabled << *p.minimumCutoff
        << *p.maximumCutoff << static_cast<LONG>(p.details.size())
        << static_cast<LONG>(order.size() - byClass.count(0));
    for (LONG key : order) {
        const auto& members = byClass[key];
        const LONG count = static_cast<LONG>(members.size());
        if (key > 0)
            out += std::string(NoxFormat("    class %1 (%2 details)\n") << key << count);
        else
            out += std::string(NoxFormat("    without a class (%1 details)\n") << count);
        for (const InteractionDetailSummary* detail : members) out += DetailLine(*detail);
    }
    return out;
}

std::string InteractionsText(const InteractionsSummary& summary) {
    std::string out = NoxFormat("Interactions: %1; the next new interaction: \"%2\" - \"%3\", cutoff %4\n")
                      << static_cast<LONG>(summary.interactions.size()) << summary.newActiveSpecies
                      << summary.newInteractingSpecies << summary.newCutoff;
    for (const InteractionSummary& interaction : summary.interactions) out += InteractionText(interaction);
    return out;
}

void WriteInteractionsJson(JsonWriter& json, const InteractionsSummary& summary) {
    json.Key("new_interaction").BeginObject();
    json.Key("active_species").String(summary.newActiveSpecies);
    json.Key("interacting_species").String(summary.newInteractingSpecies);
    json.Key("cutoff").Number(summary.newCutoff).EndObject();
    json.Key("interactions").BeginArray();
    for (const InteractionSummary& p : summary.interactions) {
        json.BeginObject().Key("index").Integer(p.index);
        json.Key("active_species")
            .String(p.activeSpecies)
            .Key("interacting_species")
            .String(p.interactingSpecies);
        json.Key("minimum_cutoff");
        p.minimumCutoff ? json.Number(*p.minimumCutoff) : json.Null();
        json.Key("maximum_cutoff");
        p.maximumCutoff ? json.Number(*p.maximumCutoff) : json.Null();
        json.Key("enabled").Bool(p.enabled).Key("details").BeginArray();
        for (const InteractionDetailSummary& detail : p.details)
            json.BeginObject()
                .Key("active_site")
                .String(detail.activeSite)
                .Key("interacting_site")
                .String(detail.interactingSite)
                .Key("distance")
                .Number(detail.distance)
                .Key("value")
                .String(detail.value)
                .Key("symmetry_class")
                .Integer(detail.symmetryClass)
                .EndObject();
        json.EndArray().EndObject();
    }
    json.EndArray();
}

}  // namespace kmcdoc
