#include "interaction/interaction_list.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "frame/values.h"
#include "frame/verdict.h"
#include "nox/format.h"
#include "nox/strings.h"
#include "species/species_list.h"
#include "xml/element_io.h"
#include "xml/read_items.h"
#include "xml/utils.h"

namespace {

constexpr const char* kElement = "InteractionList";

double RadiusOf(IVxKMCSpecies* species) {
    double radius = 0.0;
    nox::Check(CheckNullDereference(species)->get_Radius(&radius));
    return radius;
}

// A species pair without regard to order.
std::pair<std::string, std::string> UnorderedPair(std::string a, std::string b) {
    if (b < a) std::swap(a, b);
    return {std::move(a), std::move(b)};
}

}  // namespace

LONG KMCInteractionList::HighestSiteIndex() const {
    LONG highest = -1;
    for (const auto& interaction : interactions_)
        highest = std::max(highest, interaction->HighestSiteIndex());
    return highest;
}

bool KMCInteractionList::IsSpeciesUsed(const std::string& name) const {
    return interactions_.FindFirst(
               [&](const KMCInteraction& interaction) { return interaction.IsSpeciesUsed(name); }) != nullptr;
}

std::string KMCInteractionList::NewInteractionActiveName() const {
    return kmc::NameOrEmpty(newActive_.Get());
}

std::string KMCInteractionList::NewInteractionInteractingName() const {
    return kmc::NameOrEmpty(newInteracting_.Get());
}

bool KMCInteractionList::IsLoading() const {
    CKMCDocumentsBase* document = ParentDocument();
    return document != nullptr && document->IsLoading();
}

KMCInteraction* KMCInteractionList::FindBySpecies(IVxKMCSpecies* first, IVxKMCSpecies* second) const {
    const std::string a = kmc::NameOrEmpty(CheckNullDereference(first));
    const std::string b = kmc::NameOrEmpty(CheckNullDereference(second));
    return interactions_.FindFirst([&](const KMCInteraction& interaction) {
        const std::string active = kmc::NameOrEmpty(interaction.ActiveSpecies());
        const std::string interacting = kmc::NameOrEmpty(interaction.InteractingSpecies());
        return (a == active && b == interacting) || (a == interacting && b == active);
    });
}

NoxComPtr<KMCInteraction> KMCInteractionList::NewInteraction() {
    NoxComPtr<KMCInteraction> interaction = KMCInteraction::Create();
    interaction->SetParent(this);
    return interaction;
}

void KMCInteractionList::CheckIndex(LONG index) const {
    if (index < 0 || static_cast<size_t>(index) >= interactions_.Count())
        throw NoxResult(E_UNEXPECTED, "Index into interaction list is invalid.");
}

HRESULT KMCInteractionList::CreateInteraction(IVxKMCInteraction** interaction) {
    return Boundary([&] {
        kmc::Out(interaction);
        // A document being read brings each interaction's species, cutoffs and details.
        const bool loading = IsLoading();
        if (!loading) {
            if (FindBySpecies(newActive_.Get(), newInteracting_.Get()) != nullptr)
                throw NoxResult(E_UNEXPECTED, "Requested interaction already exists.");
            if (!kmc::AreAdsorbates(newActive_.Get(), newInteracting_.Get()))
                throw NoxResult(E_UNEXPECTED,
                                "Interactions may only be defined between species of Adsorbate category.");
        }
        Edit([&] {
            NoxComPtr<KMCInteraction> created = NewInteraction();
            if (!loading) {
                const double minimum = RadiusOf(newActive_.Get()) + RadiusOf(newInteracting_.Get());
                // An interaction that refuses its settings is kept as it stands: callers find it
                // in the list and initialise it there.
                (void)created->Initialise(newActive_.Get(), newInteracting_.Get(), minimum, newCutoff_);
            }
            interactions_.Append(created);
            kmc::HandOut(created, interaction);
        });
    });
}

HRESULT KMCInteractionList::get_Count(LONG* count) {
    return Boundary([&] { *kmc::Out(count) = static_cast<LONG>(interactions_.Count()); });
}

HRESULT KMCInteractionList::get_Item(LONG index, IVxKMCInteraction** interaction) {
    return Boundary([&] {
        kmc::Out(interaction);
        CheckIndex(index);
        kmc::HandOut(&interactions_[static_cast<size_t>(index)], interaction);
    });
}

HRESULT KMCInteractionList::get_ItemBySpecies(IVxKMCSpecies* first, IVxKMCSpecies* second,
                                              IVxKMCInteraction** interaction) {
    return Boundary([&] {
        kmc::Out(interaction);
        kmc::HandOut(FindBySpecies(first, second), interaction);
    });
}

HRESULT KMCInteractionList::ClearInteractionList() {
    return Boundary([&] { interactions_.Clear(); });
}

HRESULT KMCInteractionList::PutNewSpecies(NoxComPtr<IVxKMCSpecies>& stored, BSTR name) {
    return Boundary([&] {
        Edit([&] { stored = kmc::SpeciesNamed(*CheckNullDereference(SpeciesList()), BSTRToTString(name)); });
    });
}

HRESULT KMCInteractionList::put_NewInteractionActiveSpecies(BSTR name) {
    return PutNewSpecies(newActive_, name);
}

HRESULT KMCInteractionList::get_NewInteractionActiveSpecies(BSTR* name) {
    return Boundary([&] {
        kmc::Out(name);  // first: the text is not made for a missing output
        *name = NoxBSTR(NewInteractionActiveName()).Detach();
    });
}

HRESULT KMCInteractionList::put_NewInteractionInteractingSpecies(BSTR name) {
    return PutNewSpecies(newInteracting_, name);
}

HRESULT KMCInteractionList::get_NewInteractionInteractingSpecies(BSTR* name) {
    return Boundary([&] {
        kmc::Out(name);  // first: the text is not made for a missing output
        *name = NoxBSTR(NewInteractionInteractingName()).Detach();
    });
}

HRESULT KMCInteractionList::put_NewInteractionCutoff(double cutoff) {
    return Boundary([&] { Edit([&] { newCutoff_ = kmc::FiniteNumber(cutoff, "new interaction cutoff"); }); });
}

HRESULT KMCInteractionList::get_NewInteractionCutoff(double* cutoff) {
    return Boundary([&] { *kmc::Out(cutoff) = newCutoff_; });
}

HRESULT KMCInteractionList::get_IsCutoffValid(VARIANT_BOOL* valid) {
    return Boundary([&] {
        kmc::Out(valid);
        // The cutoff must clear the contact distance of the two species.
        *valid = kmc::AsFlag(newCutoff_ > RadiusOf(newActive_.Get()) + RadiusOf(newInteracting_.Get()));
    });
}

HRESULT KMCInteractionList::RemoveInteraction(LONG index) {
    return Boundary([&] {
        Edit([&] {
            CheckIndex(index);
            interactions_.RemoveAt(static_cast<size_t>(index));
        });
    });
}

HRESULT KMCInteractionList::get_HighestSiteIndex(LONG* index) {
    return Boundary([&] {
        kmc::Out(index);
        *index = HighestSiteIndex();
    });
}

HRESULT KMCInteractionList::get_IsSpeciesUsed(BSTR name, VARIANT_BOOL* used) {
    return Boundary([&] {
        kmc::Out(used);
        *used = kmc::AsFlag(IsSpeciesUsed(BSTRToTString(name)));
    });
}

std::string KMCInteractionList::DuplicateReport() const {
    // The earlier enabled interactions of each species pair, by position: the lines come out in
    // the order of a walk over later interaction, then earlier interaction.
    std::map<std::pair<std::string, std::string>, std::vector<size_t>> earlier;
    std::string report;
    for (size_t k = 0; k < interactions_.Count(); ++k) {
        const KMCInteraction& later = interactions_[k];
        if (!later.IsEnabled()) continue;
        const std::string active = kmc::NameOrEmpty(later.ActiveSpecies());
        const std::string interacting = kmc::NameOrEmpty(later.InteractingSpecies());
        std::vector<size_t>& positions = earlier[UnorderedPair(active, interacting)];
        for (size_t j : positions) {
            if (report.empty())
                report =
                    "The following interactions appear to be replications of each other,\n"
                    "according to their species specifications.\n\n";
            const char* remark = later.DetailCount() != interactions_[j].DetailCount()
                                     ? "(although their details are different)"
                                     : "";
            report += NoxFormat("Interaction %1 between %2 and %3 is a duplicate of interaction %4 %5\n")
                      << static_cast<LONG>(k + 1) << active << interacting << static_cast<LONG>(j + 1)
                      << remark;
        }
        positions.push_back(k);
    }
    return report;
}

HRESULT KMCInteractionList::get_AreInteractionsUnique(BSTR* message, VARIANT_BOOL* unique) {
    return Boundary([&] {
        kmc::ClearVerdict(message, unique);
        kmc::GiveVerdict(DuplicateReport(), message, unique);
    });
}

HRESULT KMCInteractionList::SaveToXML(IVxOstrelToXML* writer) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementWriter element(writer, kElement);
        element.Text("NewInteractionActiveSpecies", NewInteractionActiveName());
        element.Text("NewInteractionInteractingSpecies", NewInteractionInteractingName());
        element.Double("NewInteractionCutoff", newCutoff_);
        element.Long("NumberOfInteractions", static_cast<LONG>(interactions_.Count()));
        for (const auto& interaction : interactions_) OstrelUtils::SaveXML(interaction.Get(), writer);
        element.Close();
    });
}

HRESULT KMCInteractionList::LoadFromXML(IVxXMLToOstrel* reader) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementReader element(reader, kElement);
        // An empty name keeps the species set now.
        auto species = [&](const char* attribute, const NoxComPtr<IVxKMCSpecies>& current) {
            const std::string name = element.Text(attribute);
            return name.empty() ? current : kmc::SpeciesNamed(*CheckNullDereference(SpeciesList()), name);
        };
        NoxComPtr<IVxKMCSpecies> active = species("NewInteractionActiveSpecies", newActive_);
        NoxComPtr<IVxKMCSpecies> interacting = species("NewInteractionInteractingSpecies", newInteracting_);
        const double cutoff = element.Double("NewInteractionCutoff");
        kmc::OwnedItems<KMCInteraction> loaded = kmc::ReadItems<KMCInteraction>(
            element, "NumberOfInteractions", "Unexpected children found for the InteractionList element",
            [&] { return NewInteraction(); });
        element.Close();
        // The list changes only once the whole element has been read.
        interactions_ = std::move(loaded);
        newActive_ = std::move(active);
        newInteracting_ = std::move(interacting);
        newCutoff_ = cutoff;
    });
}
