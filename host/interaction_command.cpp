#include "interaction_command.h"

#include "interaction/interaction_list.h"
#include "interaction_report.h"
#include "nox/comptr.h"
#include "nox/result.h"
#include "nox/strings.h"
#include "processes_document.h"
#include "species/species_list.h"

namespace kmcdoc {
namespace {

using Put = HRESULT (IVxKMCInteractionList::*)(BSTR);
using Get = HRESULT (IVxKMCInteractionList::*)(BSTR*);

// The list stores no species for a name its species list lacks; that is refused here, where the
// name was typed.
void ChooseSpecies(IVxKMCInteractionList& list, Put put, Get get, const std::string& name) {
    nox::Check((list.*put)(NoxBSTR(name).Get()));
    NoxBSTR chosen;
    nox::Check((list.*get)(chosen.Put()));
    if (chosen.ToTString().empty())
        throw NoxResult(E_INVALIDARG, "The document has no species named \"" + name + "\".");
}

NoxComPtr<IVxKMCSpecies> Species(KMCSpeciesList& species, const std::string& name) {
    NoxComPtr<IVxKMCSpecies> found;
    nox::Check(species.get_ItemByName(NoxBSTR(name).Get(), found.Put()));
    return found;
}

double Radius(IVxKMCSpecies& species) {
    double radius = 0.0;
    nox::Check(species.get_Radius(&radius));
    return radius;
}

// The list keeps an interaction that refused its settings, without saying why; asked again with
// the same settings, the interaction gives its reason.
void RequireGenerated(ProcessesDocument& document, IVxKMCInteraction& interaction, double cutoff) {
    if (KMCInteraction::FromInterface(&interaction).IsInitialised()) return;
    KMCInteractionList& list = document.InteractionList();
    NoxComPtr<IVxKMCSpecies> active = Species(document.SpeciesList(), list.NewInteractionActiveName());
    NoxComPtr<IVxKMCSpecies> interacting =
        Species(document.SpeciesList(), list.NewInteractionInteractingName());
    nox::Check(interaction.Initialise(active.Get(), interacting.Get(), Radius(*active) + Radius(*interacting),
                                      cutoff));
}

}  // namespace

InteractionSummary AddInteraction(ProcessesDocument& document, const std::string& active,
                                  const std::string& interacting, double cutoff) {
    using L = IVxKMCInteractionList;
    IVxKMCInteractionList& list = document.InteractionList();
    ChooseSpecies(list, &L::put_NewInteractionActiveSpecies, &L::get_NewInteractionActiveSpecies, active);
    ChooseSpecies(list, &L::put_NewInteractionInteractingSpecies, &L::get_NewInteractionInteractingSpecies,
                  interacting);
    nox::Check(list.put_NewInteractionCutoff(cutoff));
    NoxComPtr<IVxKMCInteraction> interaction;
    nox::Check(list.CreateInteraction(interaction.Put()));
    RequireGenerated(document, *interaction, cutoff);
    LONG count = 0;
    nox::Check(list.get_Count(&count));
    return SummarizeInteraction(count, *interaction);
}

}  // namespace kmcdoc
