#include "interaction/interaction.h"

#include <algorithm>

#include "frame/values.h"
#include "interaction/interaction_list.h"
#include "interaction/pair_generation.h"
#include "interaction/symmetry_classes.h"
#include "lattice/site_specification.h"
#include "nox/format.h"
#include "nox/strings.h"
#include "process/process_site.h"
#include "species/species_list.h"
#include "xml/element_io.h"
#include "xml/read_items.h"
#include "xml/utils.h"

namespace kmc {

NoxComPtr<IVxKMCSpecies> SpeciesNamed(KMCSpeciesList& list, const std::string& name) {
    NoxComPtr<IVxKMCSpecies> species;
    nox::Check(list.get_ItemByName(NoxBSTR(name).Get(), species.Put()));
    return species;
}

std::string NameOrEmpty(IVxKMCSpecies* species) {
    if (species == nullptr) return {};
    NoxBSTR name;
    nox::Check(species->get_Name(name.Put()));
    return name.ToTString();
}

bool AreAdsorbates(IVxKMCSpecies* first, IVxKMCSpecies* second) {
    auto category = [](IVxKMCSpecies* species) {
        NoxBSTR text;
        nox::Check(CheckNullDereference(species)->get_Category(text.Put()));
        return text.ToTString();
    };
    const std::string firstCategory = category(first), secondCategory = category(second);
    return firstCategory == "Adsorbate" && secondCategory == "Adsorbate";
}

}  // namespace kmc

namespace {

constexpr const char* kElement = "Interaction";
constexpr const char* kNotInitialised = "Lumetra Interaction has not been initialised.";

std::string NameOf(IVxKMCSpecies* species) { return kmc::NameOrEmpty(CheckNullDereference(species)); }

// An address of `lattice` with no document, as generated pairs have.
NoxComPtr<KMCSiteSpecification> NewAddress(KMCLattice& lattice, const PeriodicTranslation& address) {
    NoxComPtr<KMCSiteSpecification> spec = KMCSiteSpecification::Create();
    spec->SetParent(nullptr, &lattice);
    spec->SetAddress(address);
    return spec;
}

// Set while the values of a class are copied; cleared however the copying ends.
class ReplicationScope {
public:
    explicit ReplicationScope(bool& replicating) : replicating_(replicating) { replicating_ = true; }
    ~ReplicationScope() { replicating_ = false; }
    ReplicationScope(const ReplicationScope&) = delete;
    ReplicationScope& operator=(const ReplicationScope&) = delete;

private:
    bool& replicating_;
};

}  // namespace

CKMCDocumentsBase* KMCInteraction::ParentDocument() const { return parents_.Document(); }

KMCLattice* KMCInteraction::ParentLattice() const {
    return ParentInteractionList() != nullptr ? ParentInteractionList()->ParentLattice() : nullptr;
}

KMCSpeciesList* KMCInteraction::SpeciesList() const {
    return ParentInteractionList() != nullptr ? ParentInteractionList()->SpeciesList() : nullptr;
}

LONG KMCInteraction::HighestSiteIndex() const {
    LONG highest = -1;
    for (const auto& detail : details_) {
        if (!detail->IsInitialised()) continue;  // a detail added and never given its sites
        highest = std::max({highest, kmc::ReadAddress(detail->ActiveSite()).site,
                            kmc::ReadAddress(detail->InteractingSite()).site});
    }
    return highest;
}

bool KMCInteraction::IsSpeciesUsed(const std::string& name) const {
    return NameOf(active_.Get()) == name || NameOf(interacting_.Get()) == name;
}

void KMCInteraction::ReplicateValue(IVxKMCInteractionDetail* detail) {
    if (replicating_) return;
    ReplicationScope replicating(replicating_);
    NoxBSTR value;
    nox::Check(CheckNullDereference(detail)->get_Interaction(value.Put()));
    const KMCInteractionDetail* own = details_.FindFirst([&](const KMCInteractionDetail& candidate) {
        return static_cast<const IVxKMCInteractionDetail*>(&candidate) == detail;
    });
    if (own == nullptr || own->SymmetryClass() == 0) return;
    const LONG symmetryClass = own->SymmetryClass();
    for (const auto& member : details_)
        if (member->SymmetryClass() == symmetryClass)
            (void)member->put_Interaction(value.Get());  // best effort
}

void KMCInteraction::RequireInitialised() const {
    if (!IsInitialised()) throw NoxResult(E_UNEXPECTED, kNotInitialised);
}

void KMCInteraction::CheckDetailIndex(LONG index, const char* operation) const {
    if (index < 0 || static_cast<size_t>(index) >= details_.Count())
        throw NoxResult(E_UNEXPECTED, NoxFormat("Index %1 is out of range for KMCInteraction::%2")
                                          << index << operation);
}

NoxComPtr<KMCInteractionDetail> KMCInteraction::NewDetail() {
    NoxComPtr<KMCInteractionDetail> detail = KMCInteractionDetail::Create();
    detail->SetParent(this);
    return detail;
}

kmc::OwnedItems<KMCInteractionDetail> KMCInteraction::GenerateDetails(double minimumCutoff,
                                                                      double maximumCutoff) {
    KMCLattice& lattice = *CheckNullDereference(ParentLattice());
    kmc::OwnedItems<KMCInteractionDetail> details;
    // The details of one active site share its one address.
    NoxComPtr<KMCSiteSpecification> active;
    for (const kmc::SitePair& pair : kmc::PairsWithin(lattice, minimumCutoff, maximumCutoff)) {
        if (!active || active->Address() != pair.active) active = NewAddress(lattice, pair.active);
        NoxComPtr<KMCInteractionDetail> detail = NewDetail();
        detail->SetSites(NoxComPtr<IVxKMCSiteSpecification>(active.Get()),
                         NoxComPtr<IVxKMCSiteSpecification>(NewAddress(lattice, pair.interacting).Get()));
        details.Append(detail);
    }
    return details;
}

std::vector<LONG> KMCInteraction::ClassesWith(const kmc::OwnedItems<KMCInteractionDetail>& added) const {
    std::vector<kmc::ClassedPair> pairs;
    for (const auto* items : {&details_, &added})
        for (const auto& detail : *items)
            pairs.push_back({detail->ActiveSite(), detail->InteractingSite(), detail->SymmetryClass()});
    return kmc::AssignSymmetryClasses(pairs, ParentLattice());
}

void KMCInteraction::Adopt(kmc::OwnedItems<KMCInteractionDetail> added, const std::vector<LONG>& classes) {
    details_.AppendAll(std::move(added));
    for (size_t index = 0; index < details_.Count(); ++index)
        details_[index].SetSymmetryClass(classes[index]);
}

HRESULT KMCInteraction::Initialise(IVxKMCSpecies* active, IVxKMCSpecies* interacting, double minimumCutoff,
                                   double maximumCutoff) {
    return Boundary([&] {
        if (active_ || interacting_)
            throw NoxResult(E_UNEXPECTED, "Lumetra Interaction has already been initialised.");
        if (!kmc::AreAdsorbates(active, interacting))
            throw NoxResult(E_UNEXPECTED, "Only adsorbate species may contribute to an interaction.");
        kmc::FiniteNumber(minimumCutoff, "interaction minimum cutoff");
        kmc::FiniteNumber(maximumCutoff, "interaction maximum cutoff");
        Edit([&] {
            // A document being read brings the interaction's own details.
            CKMCDocumentsBase* document = ParentDocument();
            kmc::OwnedItems<KMCInteractionDetail> generated;
            if (document == nullptr || !document->IsLoading())
                generated = GenerateDetails(minimumCutoff, maximumCutoff);
            const std::vector<LONG> classes = ClassesWith(generated);
            // Nothing is stored until every detail has been made and classed.
            active_ = NoxComPtr<IVxKMCSpecies>(active);
            interacting_ = NoxComPtr<IVxKMCSpecies>(interacting);
            minimumCutoff_ = minimumCutoff;
            maximumCutoff_ = maximumCutoff;
            Adopt(std::move(generated), classes);
        });
    });
}

HRESULT KMCInteraction::put_Enabled(VARIANT_BOOL enabled) {
    return Boundary([&] {
        Edit([&] {
            RequireInitialised();
            enabled_ = enabled == VARIANT_TRUE;
        });
    });
}

HRESULT KMCInteraction::get_Enabled(VARIANT_BOOL* enabled) {
    return Boundary([&] { *kmc::Out(enabled) = kmc::AsFlag(enabled_); });
}

HRESULT KMCInteraction::get_ActiveSpecies(IVxKMCSpecies** species) {
    return Boundary([&] {
        kmc::Out(species);
        RequireInitialised();
        kmc::HandOut(active_, species);
    });
}

HRESULT KMCInteraction::get_InteractingSpecies(IVxKMCSpecies** species) {
    return Boundary([&] {
        kmc::Out(species);
        RequireInitialised();
        kmc::HandOut(interacting_, species);
    });
}

HRESULT KMCInteraction::get_MinimumCutoff(double* cutoff) {
    return Boundary([&] {
        kmc::Out(cutoff);
        RequireInitialised();
        *cutoff = minimumCutoff_;
    });
}

HRESULT KMCInteraction::get_MaximumCutoff(double* cutoff) {
    return Boundary([&] {
        kmc::Out(cutoff);
        RequireInitialised();
        *cutoff = maximumCutoff_;
    });
}

HRESULT KMCInteraction::get_NumberDetails(LONG* count) {
    return Boundary([&] {
        kmc::Out(count);
        RequireInitialised();
        *count = static_cast<LONG>(details_.Count());
    });
}

HRESULT KMCInteraction::get_InteractionDetail(LONG index, IVxKMCInteractionDetail** detail) {
    return Boundary([&] {
        kmc::Out(detail);
        RequireInitialised();
        CheckDetailIndex(index, "get_InteractionDetail");
        kmc::HandOut(&details_[static_cast<size_t>(index)], detail);
    });
}

HRESULT KMCInteraction::AddInteractionDetail(IVxKMCInteractionDetail** detail) {
    return Boundary([&] {
        kmc::Out(detail);
        RequireInitialised();
        Edit([&] {
            NoxComPtr<KMCInteractionDetail> added = NewDetail();
            details_.Append(added);
            kmc::HandOut(added, detail);
        });
    });
}

HRESULT KMCInteraction::RemoveInteractionDetail(LONG index) {
    return Boundary([&] {
        RequireInitialised();
        Edit([&] {
            CheckDetailIndex(index, "RemoveInteractionDetail");
            // A detail of a class takes its whole class with it: the class shares one value.
            const LONG symmetryClass = details_[static_cast<size_t>(index)].SymmetryClass();
            std::vector<size_t> removed;
            for (size_t k = 0; k < details_.Count(); ++k)
                if (k == static_cast<size_t>(index) ||
                    (symmetryClass > 0 && details_[k].SymmetryClass() == symmetryClass))
                    removed.push_back(k);
            details_.RemoveAt(removed);
        });
    });
}

HRESULT KMCInteraction::get_HighestSiteIndex(LONG* index) {
    return Boundary([&] {
        kmc::Out(index);
        *index = HighestSiteIndex();
    });
}

HRESULT KMCInteraction::get_IsSpeciesUsed(BSTR name, VARIANT_BOOL* used) {
    return Boundary([&] {
        kmc::Out(used);
        *used = kmc::AsFlag(IsSpeciesUsed(BSTRToTString(name)));
    });
}

HRESULT KMCInteraction::SaveToXML(IVxOstrelToXML* writer) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementWriter element(writer, kElement);
        element.Bool("Enabled", enabled_);
        element.Text("ActiveSpecies", kmc::NameOrEmpty(active_.Get()));
        element.Text("InteractingSpecies", kmc::NameOrEmpty(interacting_.Get()));
        element.Double("MinimumCutoff", minimumCutoff_);
        element.Double("MaximumCutoff", maximumCutoff_);
        element.Long("NumberOfDetailSites", static_cast<LONG>(details_.Count()));
        for (const auto& detail : details_) OstrelUtils::SaveXML(detail.Get(), writer);
        element.Close();
    });
}

HRESULT KMCInteraction::LoadFromXML(IVxXMLToOstrel* reader) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementReader element(reader, kElement);
        const bool enabled = element.Bool("Enabled");
        KMCSpeciesList& species = *CheckNullDereference(SpeciesList());
        NoxComPtr<IVxKMCSpecies> active = kmc::SpeciesNamed(species, element.Text("ActiveSpecies"));
        NoxComPtr<IVxKMCSpecies> interacting = kmc::SpeciesNamed(species, element.Text("InteractingSpecies"));
        const double minimumCutoff = element.Double("MinimumCutoff");
        const double maximumCutoff = element.Double("MaximumCutoff");
        kmc::OwnedItems<KMCInteractionDetail> loaded = kmc::ReadChildren<KMCInteractionDetail>(
            element, element.Long("NumberOfDetailSites"), [&] { return NewDetail(); });
        const std::vector<LONG> classes = ClassesWith(loaded);
        kmc::RefuseLeftOverChildren(element, "Unexpected children found for the Interaction element");
        element.Close();
        // Nothing changes until the whole element has been read; the details read join any the
        // interaction has.
        enabled_ = enabled;
        active_ = std::move(active);
        interacting_ = std::move(interacting);
        minimumCutoff_ = minimumCutoff;
        maximumCutoff_ = maximumCutoff;
        Adopt(std::move(loaded), classes);
    });
}
