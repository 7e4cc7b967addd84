#include "verdicts.h"

#include <algorithm>

#include "configuration_document.h"
#include "lattice/lattice.h"
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

// The lattice and species-list verdicts of `document` against `other`, whatever their kinds.
template <class Document, class Other>
std::vector<Verdict> CompareObjects(const Document& document, const Other& other) {
    return {AskConsistent<IVxKMCLattice>("lattice", &document.Lattice(), &other.Lattice()),
            AskConsistent<IVxKMCSpeciesList>("species list", &document.SpeciesList(), &other.SpeciesList())};
}

}  // namespace

std::vector<Verdict> DocumentVerdicts(const ProcessesDocument&) { return {}; }

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
