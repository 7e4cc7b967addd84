#include "verdicts.h"

#include <algorithm>
#include <optional>

#include "configuration_document.h"
#include "interaction/interaction_list.h"
#include "json.h"
#include "lattice/lattice.h"
#include "process/process_list.h"
#include "nox/strings.h"
#include "processes_document.h"
#include "species/species_list.h"

namespace kmcdoc {
namespace {

template <class Interface>
Verdict AskConsistent(const char* subject, Interface* object, Interface* other) {
    VARIANT_BOOL consistent = VARIANT_FALSE;
    NoxBSTR message;
    nox::Check(object->IsConsistent(other, &consistent, message.Put()));
    return {subject, consistent == VARIANT_TRUE, message.ToTString()};
}

template <class Interface>
Verdict Ask(const char* name, Interface& object, HRESULT (Interface::*verdict)(BSTR*, VARIANT_BOOL*)) {
    VARIANT_BOOL holds = VARIANT_FALSE;
    NoxBSTR message;
    nox::Check((object.*verdict)(message.Put(), &holds));
    return {name, holds == VARIANT_TRUE, message.ToTString()};
}

// The lattice and species-list verdicts of `document` against `other`, whatever their kinds.
template <class Document, class Other>
std::vector<Verdict> CompareObjects(const Document& document, const Other& other) {
    return {AskConsistent<IVxKMCLattice>("lattice", &document.Lattice(), &other.Lattice()),
            AskConsistent<IVxKMCSpeciesList>("species list", &document.SpeciesList(), &other.SpeciesList())};
}

// The cutoff for the next new interaction can be judged only once both its species are chosen;
// the verdict has no text.
std::optional<Verdict> CutoffVerdict(KMCInteractionList& interactions) {
    if (interactions.NewInteractionActiveName().empty() || interactions.NewInteractionInteractingName().empty())
        return std::nullopt;
    VARIANT_BOOL valid = VARIANT_FALSE;
    nox::Check(interactions.get_IsCutoffValid(&valid));
    return Verdict{"IsCutoffValid", valid == VARIANT_TRUE, ""};
}

}  // namespace

std::vector<Verdict> DocumentVerdicts(const ProcessesDocument& document) {
    IVxKMCProcessList& processes = document.ProcessList();
    std::vector<Verdict> verdicts = {
        Ask("AreProcessesValid", processes, &IVxKMCProcessList::get_AreProcessesValid),
        Ask("AreProcessesUnique", processes, &IVxKMCProcessList::get_AreProcessesUnique),
        Ask("AreProcessChargesConsistent", processes, &IVxKMCProcessList::get_AreProcessChargesConsistent)};
    IVxKMCInteractionList& interactions = document.InteractionList();
    verdicts.push_back(Ask("AreInteractionsUnique", interactions, &IVxKMCInteractionList::get_AreInteractionsUnique));
    if (std::optional<Verdict> cutoff = CutoffVerdict(document.InteractionList())) verdicts.push_back(*cutoff);
    return verdicts;
}

std::vector<ProcessVerdict> ProcessVerdicts(const ProcessesDocument& document) {
    IVxKMCProcessList& processes = document.ProcessList();
    LONG count = 0;
    nox::Check(processes.get_Count(&count));
    std::vector<ProcessVerdict> verdicts;
    for (LONG index = 0; index < count; ++index) {
        NoxComPtr<IVxKMCProcess> process;
        nox::Check(processes.get_Item(index, process.Put()));
        VARIANT_BOOL enabled = VARIANT_FALSE, valid = VARIANT_FALSE;
        nox::Check(process->get_Enabled(&enabled));
        if (enabled != VARIANT_TRUE) continue;
        NoxBSTR identifier, message;
        nox::Check(process->get_Identifier(identifier.Put()));
        nox::Check(process->get_IsValid(index + 1, message.Put(), &valid));
        verdicts.push_back({index + 1, identifier.ToTString(), valid == VARIANT_TRUE, message.ToTString()});
    }
    return verdicts;
}

std::string InvalidProcessesText(const std::vector<ProcessVerdict>& processes) {
    std::string out;
    for (const ProcessVerdict& process : processes)
        if (!process.valid) out += process.message + "\n";
    return out.empty() ? "Every enabled process is valid.\n" : "Invalid enabled processes:\n" + out;
}

std::string VerdictsJson(const std::vector<Verdict>& verdicts, const std::vector<ProcessVerdict>* processes) {
    JsonWriter json;
    json.BeginObject().Key("verdicts").BeginArray();
    for (const Verdict& verdict : verdicts)
        json.BeginObject()
            .Key("name")
            .String(verdict.subject)
            .Key("valid")
            .Bool(verdict.holds)
            .Key("message")
            .String(verdict.message)
            .EndObject();
    json.EndArray();
    if (processes != nullptr) {
        json.Key("processes").BeginArray();
        for (const ProcessVerdict& process : *processes)
            json.BeginObject()
                .Key("index")
                .Integer(process.index)
                .Key("identifier")
                .String(process.identifier)
                .Key("valid")
                .Bool(process.valid)
                .Key("message")
                .String(process.message)
                .EndObject();
        json.EndArray();
    }
    json.EndObject();
    return json.Text() + "\n";
}

std::vector<Verdict> CompareDocuments(const ProcessesDocument& document, const ProcessesDocument& other) {
    return CompareObjects(document, other);
}

std::vector<Verdict> CompareDocuments(const ConfigurationDocument& configurations,
                                      const ProcessesDocument& processes) {
    return CompareObjects(configurations, processes);
}

std::string VerdictsText(const std::vector<Verdict>& verdicts) {
    std::string out;
    for (const Verdict& verdict : verdicts) {
        out += verdict.subject + ": " + (verdict.holds ? "holds" : "fails") + "\n";
        if (!verdict.message.empty()) out += verdict.message + (verdict.message.ends_with('\n') ? "" : "\n");
    }
    return out;
}

bool AllHold(const std::vector<Verdict>& verdicts) {
    return std::all_of(verdicts.begin(), verdicts.end(), [](const Verdict& v) { return v.holds; });
}

}  // namespace kmcdoc
