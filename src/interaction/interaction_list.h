// KMCInteractionList: the lateral interactions of one document in order, and the settings the
// next new interaction is made from (its two species and its maximum cutoff), which are saved
// with the document. It is the only place where interactions are made, and it answers what the
// model asks of them: which species and site numbers they use, whether the cutoff clears the
// two species' contact distance, and whether two enabled interactions share a species pair.
//
// It has no row in the class table: the host creates it through the class itself.
#pragma once

#include <string>

#include "frame/component.h"
#include "frame/owned_items.h"
#include "frame/parent.h"
#include "interaction/interaction.h"
#include "vxostrel/interaction.h"
#include "vxostrel/serializer.h"

class KMCLattice;
class KMCSpeciesList;

class NOX_EXPORT KMCInteractionList final
    : public kmc::Component<KMCInteractionList, IVxKMCInteractionList, IVxKMCSerializer> {
public:
    static constexpr const char* kClassName = "KMCInteractionList";
    static constexpr const CLSID& kClassId = CLSID_KMCInteractionList;

    // Links the list to its document, the document's lattice and its species list, which its
    // interactions reach through it. Any of them may be null; `host` is not kept. A later call
    // replaces all three links.
    void SetParent(CKMCDocumentsBase* document, IUnknown* host, KMCLattice* lattice,
                   KMCSpeciesList* speciesList) {
        parents_.Link(document, lattice, speciesList);
    }
    CKMCDocumentsBase* ParentDocument() const { return parents_.Document(); }
    KMCLattice* ParentLattice() const { return parents_.Get<KMCLattice>(); }
    KMCSpeciesList* SpeciesList() const { return parents_.Get<KMCSpeciesList>(); }

    size_t Count() const { return interactions_.Count(); }
    KMCInteraction& Interaction(size_t index) const { return interactions_[index]; }
    // The largest site number any interaction uses, enabled or not; -1 when none does.
    LONG HighestSiteIndex() const;
    // Whether any interaction, enabled or not, uses the species `name`. Raised: an interaction's
    // failure to tell (one without its species).
    bool IsSpeciesUsed(const std::string& name) const;
    // The names of the species for the next new interaction; empty when none is set.
    std::string NewInteractionActiveName() const;
    std::string NewInteractionInteractingName() const;

    [[nodiscard]] HRESULT CreateInteraction(IVxKMCInteraction** interaction) override;
    [[nodiscard]] HRESULT get_Count(LONG* count) override;
    [[nodiscard]] HRESULT get_Item(LONG index, IVxKMCInteraction** interaction) override;
    [[nodiscard]] HRESULT get_ItemBySpecies(IVxKMCSpecies* first, IVxKMCSpecies* second,
                                            IVxKMCInteraction** interaction) override;
    [[nodiscard]] HRESULT ClearInteractionList() override;
    [[nodiscard]] HRESULT put_NewInteractionActiveSpecies(BSTR name) override;
    [[nodiscard]] HRESULT get_NewInteractionActiveSpecies(BSTR* name) override;
    [[nodiscard]] HRESULT put_NewInteractionInteractingSpecies(BSTR name) override;
    [[nodiscard]] HRESULT get_NewInteractionInteractingSpecies(BSTR* name) override;
    [[nodiscard]] HRESULT put_NewInteractionCutoff(double cutoff) override;
    [[nodiscard]] HRESULT get_NewInteractionCutoff(double* cutoff) override;
    [[nodiscard]] HRESULT get_IsCutoffValid(VARIANT_BOOL* valid) override;
    [[nodiscard]] HRESULT RemoveInteraction(LONG index) override;
    [[nodiscard]] HRESULT get_HighestSiteIndex(LONG* index) override;
    [[nodiscard]] HRESULT get_IsSpeciesUsed(BSTR name, VARIANT_BOOL* used) override;
    [[nodiscard]] HRESULT get_AreInteractionsUnique(BSTR* message, VARIANT_BOOL* unique) override;

    [[nodiscard]] HRESULT SaveToXML(IVxOstrelToXML* writer) override;
    [[nodiscard]] HRESULT LoadFromXML(IVxXMLToOstrel* reader) override;

private:
    bool IsLoading() const;
    // The first interaction defined for the two species in either order, or null. Raised: the
    // null-reference failure for a missing species.
    KMCInteraction* FindBySpecies(IVxKMCSpecies* first, IVxKMCSpecies* second) const;
    // The text of the verdict on duplicates: empty when there are none.
    std::string DuplicateReport() const;
    NoxComPtr<KMCInteraction> NewInteraction();
    void CheckIndex(LONG index) const;
    // Stores the species of the list's species list named `name` (null when it holds none).
    HRESULT PutNewSpecies(NoxComPtr<IVxKMCSpecies>& stored, BSTR name);

    kmc::OwnedItems<KMCInteraction> interactions_;
    NoxComPtr<IVxKMCSpecies> newActive_;
    NoxComPtr<IVxKMCSpecies> newInteracting_;
    double newCutoff_ = 0.0;
    kmc::ParentLinks<CKMCDocumentsBase, KMCLattice, KMCSpeciesList> parents_;
};
