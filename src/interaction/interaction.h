// KMCInteraction: the lateral interaction between an active and an interacting adsorbate species
// over the pair distances [minimum cutoff, maximum cutoff). Initialising it generates one detail
// per pair of adsorption sites in that range and groups the details into symmetry classes that
// share one value. It is made by its interaction list and reaches the document, the lattice and
// the species list through it.
#pragma once

#include <string>
#include <vector>

#include "frame/component.h"
#include "frame/owned_items.h"
#include "frame/parent.h"
#include "interaction/interaction_detail.h"
#include "vxostrel/interaction.h"
#include "vxostrel/serializer.h"

class KMCInteractionList;
class KMCLattice;
class KMCSpeciesList;

namespace kmc {

// The species of `list` named `name` (trimmed, without regard to case); null when it holds none.
NoxComPtr<IVxKMCSpecies> SpeciesNamed(KMCSpeciesList& list, const std::string& name);
// The species' name; empty for a missing species.
std::string NameOrEmpty(IVxKMCSpecies* species);
// Whether both species are of the Adsorbate category, the only one interactions take. Both
// categories are read, the first first. Raised: the null-reference failure for a missing species.
bool AreAdsorbates(IVxKMCSpecies* first, IVxKMCSpecies* second);

}  // namespace kmc

class NOX_EXPORT KMCInteraction final
    : public kmc::Component<KMCInteraction, IVxKMCInteraction, IVxKMCSerializer> {
public:
    KMC_COMPONENT_CLASS(KMCInteraction, "Orvanta KMC Interaction");

    // Raised: E_UNEXPECTED "Parent is already set for KMCInteraction." when linked already.
    void SetParent(KMCInteractionList* list) { parents_.LinkOnce(kClassName, list); }
    // Called by the list when the interaction leaves it.
    void LeaveOwner() { parents_.Unlink(); }
    KMCInteractionList* ParentInteractionList() const { return parents_.Get<KMCInteractionList>(); }
    CKMCDocumentsBase* ParentDocument() const;
    KMCLattice* ParentLattice() const;
    KMCSpeciesList* SpeciesList() const;

    // Initialised once its active species is set.
    bool IsInitialised() const { return static_cast<bool>(active_); }
    bool IsEnabled() const { return enabled_; }
    IVxKMCSpecies* ActiveSpecies() const { return active_.Get(); }
    IVxKMCSpecies* InteractingSpecies() const { return interacting_.Get(); }
    size_t DetailCount() const { return details_.Count(); }
    KMCInteractionDetail& Detail(size_t index) const { return details_[index]; }
    // The largest site number any detail uses; -1 when none does.
    LONG HighestSiteIndex() const;
    // Whether either species is named `name` exactly. Raised: the null-reference failure when a
    // species is missing.
    bool IsSpeciesUsed(const std::string& name) const;
    // Gives every other detail of `detail`'s symmetry class the value of `detail`. Does nothing
    // while it runs already (the values it sets come back here), and for a detail of another
    // interaction or without a class.
    void ReplicateValue(IVxKMCInteractionDetail* detail);

    [[nodiscard]] HRESULT Initialise(IVxKMCSpecies* active, IVxKMCSpecies* interacting, double minimumCutoff,
                                     double maximumCutoff) override;
    [[nodiscard]] HRESULT put_Enabled(VARIANT_BOOL enabled) override;
    [[nodiscard]] HRESULT get_Enabled(VARIANT_BOOL* enabled) override;
    [[nodiscard]] HRESULT get_ActiveSpecies(IVxKMCSpecies** species) override;
    [[nodiscard]] HRESULT get_InteractingSpecies(IVxKMCSpecies** species) override;
    [[nodiscard]] HRESULT get_MinimumCutoff(double* cutoff) override;
    [[nodiscard]] HRESULT get_MaximumCutoff(double* cutoff) override;
    [[nodiscard]] HRESULT get_NumberDetails(LONG* count) override;
    [[nodiscard]] HRESULT get_InteractionDetail(LONG index, IVxKMCInteractionDetail** detail) override;
    [[nodiscard]] HRESULT AddInteractionDetail(IVxKMCInteractionDetail** detail) override;
    [[nodiscard]] HRESULT RemoveInteractionDetail(LONG index) override;
    [[nodiscard]] HRESULT get_HighestSiteIndex(LONG* index) override;
    [[nodiscard]] HRESULT get_IsSpeciesUsed(BSTR name, VARIANT_BOOL* used) override;

    [[nodiscard]] HRESULT SaveToXML(IVxOstrelToXML* writer) override;
    [[nodiscard]] HRESULT LoadFromXML(IVxXMLToOstrel* reader) override;

private:
    // Raised: E_UNEXPECTED "Lumetra Interaction has not been initialised.".
    void RequireInitialised() const;
    // Raised: E_UNEXPECTED naming `operation` and the index unless it is a detail's position.
    void CheckDetailIndex(LONG index, const char* operation) const;
    NoxComPtr<KMCInteractionDetail> NewDetail();
    // The details of the pairs within the cutoffs, linked to this interaction.
    kmc::OwnedItems<KMCInteractionDetail> GenerateDetails(double minimumCutoff, double maximumCutoff);
    // The symmetry classes of the details with `added` after them. Raised as
    // kmc::AssignSymmetryClasses.
    std::vector<LONG> ClassesWith(const kmc::OwnedItems<KMCInteractionDetail>& added) const;
    // Appends `added` and gives every detail its class in `classes`.
    void Adopt(kmc::OwnedItems<KMCInteractionDetail> added, const std::vector<LONG>& classes);

    bool enabled_ = true;
    NoxComPtr<IVxKMCSpecies> active_;
    NoxComPtr<IVxKMCSpecies> interacting_;
    double minimumCutoff_ = 0.0;
    double maximumCutoff_ = 0.0;
    bool replicating_ = false;
    kmc::OwnedItems<KMCInteractionDetail> details_;
    kmc::ParentLinks<KMCInteractionList> parents_;
};
