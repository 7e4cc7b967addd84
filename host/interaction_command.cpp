#include "interaction_command.h"

#include <CLI/CLI.hpp>
#include <iostream>

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

void AddAddInteractionCommand(CLI::App& app) {
    auto* command = app.add_subcommand(
        "add-interaction", "Generate a lateral interaction with its symmetry classes and save the document");
    auto* file = command->add_option("FILE", "The processes document")->required();
    auto* active = command->add_option("ACTIVE", "The species on the active site")->required();
    auto* interacting = command->add_option("INTERACTING", "The species on the interacting site")->required();
    auto* cutoff = command->add_option("CUTOFF", "The maximum pair distance (excluded)")->required();
    auto* out =
        command->add_option("-o,--output", "Where to save the document (default: FILE, replaced safely)");
    command->callback([=] {
        const std::string path = file->as<std::string>();
        auto document = ProcessesDocument::Load(path);
        const InteractionSummary created = AddInteraction(
            *document, active->as<std::string>(), interacting->as<std::string>(), cutoff->as<double>());
        // The tree is written beside the target and renamed over it: a failed save loses nothing.
        document->Save(out->count() > 0 ? out->as<std::string>() : path);
        std::cout << InteractionText(created);
    });
}

}  // namespace kmcdoc
