// KMCSpeciesList: the species of one document in order, with the vacancy symbol (the name of
// an empty site) and its colour, and the default enabling species. It is the only place where
// species are made: it keeps their names valid and unique without regard to case, gives each
// a colour that stands apart, and refuses to remove a species that a process or an
// interaction of the same document still uses.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frame/component.h"
#include "frame/owned_items.h"
#include "frame/parent.h"
#include "geometry/color.h"
#include "nox/comptr.h"
#include "species/species.h"
#include "species/species_index.h"
#include "vxostrel/serializer.h"
#include "vxostrel/species.h"

class KMCProcessList;
class KMCInteractionList;

class NOX_EXPORT KMCSpeciesList final
    : public kmc::Component<KMCSpeciesList, IVxKMCSpeciesList, IVxKMCSerializer> {
public:
    KMC_COMPONENT_CLASS(KMCSpeciesList, "Orvanta KMC SpeciesList");

    static constexpr ColorValue kInitialVacancyColor{0xFF808080};

    // Links the list to its document and to the document's process and interaction lists,
    // which it asks before a species is removed. Any of them may be null; `host` is not kept.
    // A later call replaces all three links.
    void SetParent(CKMCDocumentsBase* document, IUnknown* host, KMCProcessList* processList,
                   KMCInteractionList* interactionList) {
        parents_.Link(document, processList, interactionList);
    }
    CKMCDocumentsBase* ParentDocument() const { return parents_.Document(); }
    KMCProcessList* ProcessList() const { return parents_.Get<KMCProcessList>(); }
    KMCInteractionList* InteractionList() const { return parents_.Get<KMCInteractionList>(); }
    // The whole 32-bit vacancy colour (automation sees only the low 24 bits).
    ColorValue VacancyColor() const { return vacancyColor_; }

    // Removes the first species named exactly `name`, with no edit check, no in-use test and
    // no notification; false when there is none.
    bool RemoveSpecies(const std::string& name);
    // Removes this very species, the same way. A species deleting itself uses this, so that it
    // never takes another of the same name with it (a name can repeat after a load or a Clone).
    bool Remove(const KMCSpecies& species);
    // Told by a species of the list when its name or colour changes.
    void SpeciesChanged(const KMCSpecies& species);

    [[nodiscard]] HRESULT CreateSpecies(BSTR name, IVxKMCSpecies** species) override;
    [[nodiscard]] HRESULT get_Count(LONG* count) override;
    [[nodiscard]] HRESULT get_Item(LONG index, IVxKMCSpecies** species) override;
    [[nodiscard]] HRESULT get_ItemByName(BSTR name, IVxKMCSpecies** species) override;
    [[nodiscard]] HRESULT get_SpeciesExists(BSTR name, VARIANT_BOOL* exists) override;
    [[nodiscard]] HRESULT ClearSpeciesList() override;
    [[nodiscard]] HRESULT put_VacancySymbol(BSTR symbol) override;
    [[nodiscard]] HRESULT get_VacancySymbol(BSTR* symbol) override;
    [[nodiscard]] HRESULT get_VacancyColor(LONG* color) override;
    [[nodiscard]] HRESULT put_VacancyColor(LONG color) override;
    [[nodiscard]] HRESULT put_RawVacancyColor(LONG color) override;
    [[nodiscard]] HRESULT put_EnablingSpecies(BSTR name) override;
    [[nodiscard]] HRESULT get_EnablingSpecies(BSTR* name) override;
    [[nodiscard]] HRESULT Clone(IVxKMCSpeciesList* source) override;
    [[nodiscard]] HRESULT IsConsistent(IVxKMCSpeciesList* other, VARIANT_BOOL* consistent,
                                       BSTR* message) override;
    [[nodiscard]] HRESULT get_CanRemoveSpecies(BSTR name, VARIANT_BOOL* canRemove) override;
    [[nodiscard]] HRESULT RemoveSpecies(BSTR name) override;

    [[nodiscard]] HRESULT SaveToXML(IVxOstrelToXML* writer) override;
    [[nodiscard]] HRESULT LoadFromXML(IVxXMLToOstrel* reader) override;

private:
    using Members = kmc::OwnedItems<KMCSpecies>;

    // A named and coloured species for `members`, checked against their names.
    NoxComPtr<KMCSpecies> NewSpecies(const std::string& name, const Members& members,
                                     kmc::SpeciesIndex& index);
    Members CloneMembers(IVxKMCSpeciesList& source);
    // The name as a client gives it: trimmed, then matched without regard to case.
    KMCSpecies* FindByName(BSTR name) const;
    KMCSpecies* FindByName(std::string_view name) const;
    // The category of the species `other` holds under `name`, if it holds one. A list of ours
    // answers without text copies, and first looks at `position`, where lists compared with each
    // other usually hold the same species, so that long lists are read in order.
    static std::optional<std::string> CategoryIn(IVxKMCSpeciesList* other, const std::string& name,
                                                 size_t position);
    const KMCSpecies* FindByName(std::string_view name, size_t position) const;
    bool CanRemoveSpeciesImpl(const std::string& name) const;

    Members species_;
    mutable kmc::SpeciesIndex index_;
    std::string vacancySymbol_ = "V";
    ColorValue vacancyColor_ = kInitialVacancyColor;
    std::string enablingSpecies_;
    kmc::ParentLinks<CKMCDocumentsBase, KMCProcessList, KMCInteractionList> parents_;
};
