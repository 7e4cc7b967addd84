// KMCSpeciesList: the species of one document in order, with the vacancy symbol (the name of
// an empty site) and its colour, and the default enabling species. It is the only place where
// species are made: it keeps their names valid and unique without regard to case, gives each
// a colour that stands apart, and refuses to remove a species that a process or an
// interaction of the same document still uses.
#pragma once

#include <string>
#include <vector>

#include "frame/component.h"
#include "geometry/color.h"
#include "nox/comptr.h"
#include "species/species.h"
#include "vxostrel/serializer.h"
#include "vxostrel/species.h"

class KMCProcessList;
class KMCInteractionList;
namespace kmc {
class ElementReader;
}

class NOX_EXPORT KMCSpeciesList final
    : public kmc::Component<KMCSpeciesList, IVxKMCSpeciesList, IVxKMCSerializer> {
public:
    KMC_COMPONENT_CLASS(KMCSpeciesList, "Orvanta KMC SpeciesList");

    static constexpr ColorValue kInitialVacancyColor{0xFF808080};

    // Links the list to its document and to the document's process and interaction lists,
    // which it asks before a species is removed. Any of them may be null; `host` is not kept.
    // A later call replaces all three links.
    void SetParent(CKMCDocumentsBase* document, IUnknown* host, KMCProcessList* processList,
                   KMCInteractionList* interactionList);
    CKMCDocumentsBase* ParentDocument() const { return document_; }
    KMCProcessList* ProcessList() const { return processList_; }
    KMCInteractionList* InteractionList() const { return interactionList_; }
    // The whole 32-bit vacancy colour (automation sees only the low 24 bits).
    ColorValue VacancyColor() const { return vacancyColor_; }

    // Removes the first species named exactly `name`, with no edit check, no in-use test and
    // no notification; false when there is none.
    bool RemoveSpecies(const std::string& name);
    // Removes this very species, the same way. A species deleting itself uses this, so that it
    // never takes another of the same name with it (a name can repeat after a load or a Clone).
    bool Remove(const KMCSpecies& species);

    HRESULT CreateSpecies(BSTR name, IVxKMCSpecies** species) override;
    HRESULT get_Count(LONG* count) override;
    HRESULT get_Item(LONG index, IVxKMCSpecies** species) override;
    HRESULT get_ItemByName(BSTR name, IVxKMCSpecies** species) override;
    HRESULT get_SpeciesExists(BSTR name, VARIANT_BOOL* exists) override;
    HRESULT ClearSpeciesList() override;
    HRESULT put_VacancySymbol(BSTR symbol) override;
    HRESULT get_VacancySymbol(BSTR* symbol) override;
    HRESULT get_VacancyColor(LONG* color) override;
    HRESULT put_VacancyColor(LONG color) override;
    HRESULT put_RawVacancyColor(LONG color) override;
    HRESULT put_EnablingSpecies(BSTR name) override;
    HRESULT get_EnablingSpecies(BSTR* name) override;
    HRESULT Clone(IVxKMCSpeciesList* source) override;
    HRESULT IsConsistent(IVxKMCSpeciesList* other, VARIANT_BOOL* consistent, BSTR* message) override;
    HRESULT get_CanRemoveSpecies(BSTR name, VARIANT_BOOL* canRemove) override;
    HRESULT RemoveSpecies(BSTR name) override;

    HRESULT SaveToXML(IVxOstrelToXML* writer) override;
    HRESULT LoadFromXML(IVxXMLToOstrel* reader) override;

private:
    // The species of the list, or of a list being built aside. Every species that leaves it
    // (removed, cleared, replaced, or dropped with the holder) is told so, so that a species
    // kept elsewhere never reaches a list that may be gone.
    class Members {
    public:
        Members() = default;
        Members(Members&&) = default;
        Members& operator=(Members&& other) noexcept;
        Members(const Members&) = delete;
        Members& operator=(const Members&) = delete;
        ~Members() { Clear(); }

        void Append(NoxComPtr<KMCSpecies> species) { items_.push_back(std::move(species)); }
        void Clear();
        bool RemoveNamed(const std::string& name);
        bool Remove(const KMCSpecies& species);

        size_t Count() const { return items_.size(); }
        KMCSpecies* At(size_t index) const { return items_[index].Get(); }
        // The first species whose name matches `name` without regard to case, or null.
        KMCSpecies* FindIgnoringCase(const std::string& name) const;
        const std::vector<NoxComPtr<KMCSpecies>>& Items() const { return items_; }

    private:
        template <class Match>
        bool RemoveFirst(Match match);

        std::vector<NoxComPtr<KMCSpecies>> items_;
    };

    // A named and coloured species for `members`, checked against their names.
    NoxComPtr<KMCSpecies> NewSpecies(const std::string& name, const Members& members);
    Members CloneMembers(IVxKMCSpeciesList& source);
    Members LoadMembers(kmc::ElementReader& element);
    // The name as a client gives it: trimmed, then matched without regard to case.
    KMCSpecies* FindByName(BSTR name) const;
    bool CanRemoveSpeciesImpl(const std::string& name) const;

    Members species_;
    std::string vacancySymbol_ = "V";
    ColorValue vacancyColor_ = kInitialVacancyColor;
    std::string enablingSpecies_;
    CKMCDocumentsBase* document_ = nullptr;
    KMCProcessList* processList_ = nullptr;
    KMCInteractionList* interactionList_ = nullptr;
};
