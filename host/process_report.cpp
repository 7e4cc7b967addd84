#include "process_report.h"

#include "com/holders.h"
#include "json.h"
#include "nox/comptr.h"
#include "nox/format.h"
#include "nox/result.h"
#include "nox/strings.h"
#include "property_read.h"
#include "vxostrel/process.h"

namespace kmcdoc {
namespace {

template <class Site>
std::string SiteText(Site& site) {
    NoxComPtr<IVxKMCSiteSpecification> spec;
    nox::Check(site.get_SiteSpecification(spec.Put()));
    return ReadText(*spec, &IVxKMCSiteSpecification::get_SiteDetailsAsString);
}

constexpr const char* kActiveSiteTypes[] = {"Source", "Destination", "Reaction"};

std::vector<LONG> SymmetryIndices(IVxKMCProcess& process) {
    nox::UniqueSafeArray indices;
    nox::Check(process.get_DistinctSymmetryIndices(indices.Put()));
    LONG upper = -1;
    nox::CheckStandard(SafeArrayGetUBound(indices.get(), 1, &upper));
    std::vector<LONG> values;
    for (LONG k = 0; k <= upper; ++k) {
        LONG value = 0;
        nox::CheckStandard(SafeArrayGetElement(indices.get(), &k, &value));
        values.push_back(value);
    }
    return values;
}

void ReadSites(IVxKMCProcess& process, ProcessSummary& summary) {
    for (LONG k = 0, count = Read<LONG>(process, &IVxKMCProcess::get_NumberActiveSites); k < count; ++k) {
        NoxComPtr<IVxKMCActiveSite> site;
        nox::Check(process.get_ActiveSite(k, site.Put()));
        const auto type = Read<vxKMCActiveSiteType>(*site, &IVxKMCActiveSite::get_Type);
        summary.activeSites.push_back({kActiveSiteTypes[type], SiteText(*site),
                                       ReadText(*site, &IVxKMCActiveSite::get_SourcePattern),
                                       ReadText(*site, &IVxKMCActiveSite::get_ResultPattern)});
    }
    for (LONG k = 0, count = Read<LONG>(process, &IVxKMCProcess::get_NumberBlockingSites); k < count; ++k) {
        NoxComPtr<IVxKMCBlockingSite> site;
        nox::Check(process.get_BlockingSite(k, site.Put()));
        summary.blockingSites.push_back({SiteText(*site), ReadText(*site, &IVxKMCBlockingSite::get_SourcePattern)});
    }
    // A process the lattice cannot map is still shown, with the reason; running out of memory
    // is no reason of the process's.
    try {
        summary.symmetryIndices = SymmetryIndices(process);
    } catch (const NoxResult& failure) {
        if (failure.Code() == E_OUTOFMEMORY) throw;
        summary.symmetryProblem = failure.Description();
    }
}

ProcessSummary Summarize(LONG index, IVxKMCProcess& process) {
    using P = IVxKMCProcess;
    ProcessSummary s;
    s.index = index;
    s.identifier = ReadText(process, &P::get_Identifier);
    s.description = ReadText(process, &P::get_Description);
    s.type = ReadText(process, &P::get_TypeAsString);
    s.enabled = Read<VARIANT_BOOL>(process, &P::get_Enabled) == VARIANT_TRUE;
    s.associative = Read<VARIANT_BOOL>(process, &P::get_IsAssociative) == VARIANT_TRUE;
    s.specificationType = ReadText(process, &P::get_SpecificationTypeAsString);
    s.prefactor = ReadText(process, &P::get_Prefactor);
    s.pressureFactor = ReadText(process, &P::get_PressureFactor);
    s.activationEnergy = ReadText(process, &P::get_ActivationEnergy);
    s.potentialFactor = ReadText(process, &P::get_PotentialFactor);
    s.rate = ReadText(process, &P::get_Rate);
    s.useInteractions = Read<VARIANT_BOOL>(process, &P::get_UseInteractions) == VARIANT_TRUE;
    s.bronstedPolanyi = Read<double>(process, &P::get_BronstedPolanyi);
    s.interactionCutoff = Read<double>(process, &P::get_InteractionCutoff);
    s.priority = Read<LONG>(process, &P::get_Priority);
    s.chargeTransfer = Read<LONG>(process, &P::get_ChargeTransfer);
    // An Undefined process has no sites to show.
    if (Read<vxKMCProcessType>(process, &P::get_Type) != vxKMCProcessTypeUndefined) ReadSites(process, s);
    return s;
}

std::string RateText(const ProcessSummary& p) {
    if (p.specificationType == "Rates") return "rate " + p.rate;
    if (p.specificationType == "Immediate") return NoxFormat("immediate, priority %1") << p.priority;
    std::string text = "prefactor " + p.prefactor + ", activation energy " + p.activationEnergy;
    if (p.pressureFactor != "0.00000") text += ", pressure factor " + p.pressureFactor;
    if (p.potentialFactor != "0.00000") text += ", potential factor " + p.potentialFactor;
    return text;
}

// What happens at one site, as a chemist reads it.
std::string SiteLine(const ActiveSiteSummary& site) {
    const std::string where = site.type + " " + site.site + ": ";
    if (site.type == "Source") return where + site.source + " leaves";
    if (site.type == "Destination") return where + site.result + " arrives";
    return where + site.source + " -> " + site.result;
}

std::string SymmetryText(const ProcessSummary& p) {
    if (!p.symmetryIndices) return p.symmetryProblem.empty() ? "" : "    symmetry: " + p.symmetryProblem + "\n";
    std::string indices;
    for (LONG index : *p.symmetryIndices) indices += (indices.empty() ? "" : " ") + std::to_string(index);
    return NoxFormat("    symmetry: %1 image(s), operators %2\n") << static_cast<LONG>(p.symmetryIndices->size())
                                                                      << indices;
}

}  // namespace

std::vector<ProcessSummary> SummarizeProcesses(IVxKMCProcessList& processes) {
    std::vector<ProcessSummary> summaries;
    for (LONG k = 0, count = Read<LONG>(processes, &IVxKMCProcessList::get_Count); k < count; ++k) {
        NoxComPtr<IVxKMCProcess> process;
        nox::Check(processes.get_Item(k, process.Put()));
        summaries.push_back(Summarize(k + 1, *process));
    }
    return summaries;
}

std::string ProcessesText(const std::vector<ProcessSummary>& processes) {
    std::string out = NoxFormat("Processes: %1\n") << static_cast<LONG>(processes.size());
    for (const ProcessSummary& p : processes) {
        out += NoxFormat("  %1 %2: %3%4%5, %6, charge transfer %7%8\n")
               << p.index << p.identifier << p.type << (p.associative ? " (associative)" : "")
               << (p.enabled ? "" : " (disabled)") << RateText(p) << p.chargeTransfer
               << (p.description.empty() ? "" : " - " + p.description);
        for (const ActiveSiteSummary& site : p.activeSites) out += "    " + SiteLine(site) + "\n";
        for (const BlockingSiteSummary& site : p.blockingSites)
            out += "    Enabling " + site.site + ": " + site.pattern + " required\n";
        out += SymmetryText(p);
    }
    return out;
}

void WriteProcessesJson(JsonWriter& json, const std::vector<ProcessSummary>& processes) {
    json.Key("processes").BeginArray();
    for (const ProcessSummary& p : processes) {
        json.BeginObject();
        json.Key("index").Integer(p.index).Key("identifier").String(p.identifier);
        json.Key("description").String(p.description).Key("type").String(p.type);
        json.Key("enabled").Bool(p.enabled).Key("associative").Bool(p.associative);
        json.Key("specification_type").String(p.specificationType);
        json.Key("prefactor").String(p.prefactor).Key("pressure_factor").String(p.pressureFactor);
        json.Key("activation_energy").String(p.activationEnergy).Key("potential_factor").String(p.potentialFactor);
        json.Key("rate").String(p.rate).Key("use_interactions").Bool(p.useInteractions);
        json.Key("bronsted_polanyi").Number(p.bronstedPolanyi).Key("interaction_cutoff").Number(p.interactionCutoff);
        json.Key("priority").Integer(p.priority).Key("charge_transfer").Integer(p.chargeTransfer);
        json.Key("active_sites").BeginArray();
        for (const ActiveSiteSummary& site : p.activeSites)
            json.BeginObject()
                .Key("type")
                .String(site.type)
                .Key("site")
                .String(site.site)
                .Key("source")
                .String(site.source)
                .Key("result")
                .String(site.result)
                .EndObject();
        json.EndArray().Key("blocking_sites").BeginArray();
        for (const BlockingSiteSummary& site : p.blockingSites)
            json.BeginObject().Key("site").String(site.site).Key("pattern").String(site.pattern).EndObject();
        json.EndArray().Key("symmetry_indices");
        if (p.symmetryIndices) {
            json.BeginArray();
            for (LONG index : *p.symmetryIndices) json.Integer(index);
            json.EndArray().Key("symmetry_images").Integer(static_cast<long long>(p.symmetryIndices->size()));
        } else {
            json.Null().Key("symmetry_images").Null();
        }
        json.EndObject();
    }
    json.EndArray();
}

}  // namespace kmcdoc
