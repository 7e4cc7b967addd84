#include "species/species_list.h"

#include <algorithm>

#include "nox/format.h"
#include "nox/strings.h"
#include "species/initial_color.h"
#include "species/names.h"
#include "species/species_usage.h"
#include "strings/text.h"
#include "xml/element_io.h"
#include "xml/read_items.h"
#include "xml/utils.h"

namespace {

const char* const kElement = "SpeciesList";
const char* const kInvalidVacancySymbol =
    "Vacancy symbol must start with a letter, and must contain only alphabetic characters, numeric "
    "characters or _.";

std::string CheckedVacancySymbol(std::string symbol) {
    if (!kmc::IsValidSpeciesName(symbol)) throw NoxResult(E_UNEXPECTED, kInvalidVacancySymbol);
    return symbol;
}

}  // namespace

bool KMCSpeciesList::RemoveSpecies(const std::string& name) {
    index_.MarkStale();
    return species_.RemoveFirst([&](const KMCSpecies& s) { return s.Name() == name; });
}

bool KMCSpeciesList::Remove(const KMCSpecies& species) {
    index_.MarkStale();
    return species_.Remove(species);
}

KMCSpecies* KMCSpeciesList::FindByName(BSTR name) const { return FindByName(BSTRToTString(name)); }

KMCSpecies* KMCSpeciesList::FindByName(std::string_view name) const {
    return index_.FindIgnoringCase(strings::Trim(name), species_);
}

// With distinct names, the species at `position` is the one a lookup would find when its name
// matches; otherwise the lookup decides.
const KMCSpecies* KMCSpeciesList::FindByName(std::string_view name, size_t position) const {
    if (position < species_.Count() && index_.NamesAreDistinct(species_) &&
        kmc::FoldedSpeciesName(strings::Trim(name)) == kmc::FoldedSpeciesName(species_[position].Name()))
        return &species_[position];
    return FindByName(name);
}

std::optional<std::string> KMCSpeciesList::CategoryIn(IVxKMCSpeciesList* other, const std::string& name,
                                                      size_t position) {
    if (const KMCSpeciesList* ours = TryFromInterface(other)) {
        const KMCSpecies* counterpart = ours->FindByName(name, position);
        return counterpart ? std::optional(counterpart->Category()) : std::nullopt;
    }
    NoxComPtr<IVxKMCSpecies> counterpart;
    nox::Check(other->get_ItemByName(NoxBSTR(name).Get(), counterpart.Put()));
    if (!counterpart) return std::nullopt;
    NoxBSTR category;
    nox::Check(counterpart->get_Category(category.Put()));
    return category.ToTString();
}

bool KMCSpeciesList::CanRemoveSpeciesImpl(const std::string& name) const {
    return !kmc::ProcessesUseSpecies(ProcessList(), name) &&
           !kmc::InteractionsUseSpecies(InteractionList(), name);
}

NoxComPtr<KMCSpecies> KMCSpeciesList::NewSpecies(const std::string& name, const Members& members,
                                                 kmc::SpeciesIndex& index) {
    if (!kmc::IsValidSpeciesName(name))
        throw NoxResult(
            E_UNEXPECTED,
            "Species names must start with a letter, and must contain only alphabetic characters, "
            "numeric characters or _.");
    // The first species of the name, whatever its case, decides which refusal applies.
    if (const KMCSpecies* existing = index.FindIgnoringCase(name, members)) {
        if (existing->Name() == name)
            throw NoxResult(E_UNEXPECTED, "Requested species already exists in the species list.");
        throw NoxResult(E_UNEXPECTED,
                        "Requested species already exists in the species list.\n"
                        "Species names in Lumetra documents are case insensitive.");
    }
    NoxComPtr<KMCSpecies> species = KMCSpecies::Create();
    species->SetParent(this);
    species->SetName(name);
    nox::Check(
        species->put_Color(static_cast<LONG>(kmc::ChooseInitialColor(name, index.Colors(members)).Rgb())));
    return species;
}

void KMCSpeciesList::SpeciesChanged(const KMCSpecies& species) { index_.Changed(species); }

HRESULT KMCSpeciesList::CreateSpecies(BSTR name, IVxKMCSpecies** species) {
    return Boundary([&] {
        kmc::Out(species);
        Edit([&] {
            NoxComPtr<KMCSpecies> created = NewSpecies(BSTRToTString(name), species_, index_);
            species_.Append(created);
            index_.Append(*created);
            kmc::HandOut(created, species);
        });
    });
}

HRESULT KMCSpeciesList::get_Count(LONG* count) {
    return Boundary([&] { *kmc::Out(count) = static_cast<LONG>(species_.Count()); });
}

HRESULT KMCSpeciesList::get_Item(LONG index, IVxKMCSpecies** species) {
    return Boundary([&] {
        kmc::Out(species);
        if (index < 0 || static_cast<size_t>(index) >= species_.Count())
            throw NoxResult(E_UNEXPECTED, "Index into species list is invalid.");
        kmc::HandOut(&species_[static_cast<size_t>(index)], species);
    });
}

HRESULT KMCSpeciesList::get_ItemByName(BSTR name, IVxKMCSpecies** species) {
    return Boundary([&] {
        kmc::Out(species);
        kmc::HandOut(FindByName(name), species);
    });
}

HRESULT KMCSpeciesList::get_SpeciesExists(BSTR name, VARIANT_BOOL* exists) {
    return Boundary([&] { *kmc::Out(exists) = kmc::AsFlag(FindByName(name) != nullptr); });
}

HRESULT KMCSpeciesList::ClearSpeciesList() {
    return Boundary([&] {
        species_.Clear();
        index_.MarkStale();
    });
}

HRESULT KMCSpeciesList::put_VacancySymbol(BSTR symbol) {
    return Boundary([&] { Edit([&] { vacancySymbol_ = CheckedVacancySymbol(BSTRToTString(symbol)); }); });
}

HRESULT KMCSpeciesList::get_VacancySymbol(BSTR* symbol) {
    return Boundary([&] { kmc::OutText(symbol, vacancySymbol_); });
}

HRESULT KMCSpeciesList::get_VacancyColor(LONG* color) {
    return Boundary([&] { *kmc::Out(color) = static_cast<LONG>(vacancyColor_.Rgb()); });
}

HRESULT KMCSpeciesList::put_VacancyColor(LONG color) {
    return Boundary(
        [&] { Edit([&] { vacancyColor_ = vacancyColor_.WithRgb(static_cast<uint32_t>(color)); }); });
}

HRESULT KMCSpeciesList::put_RawVacancyColor(LONG color) {
    return Boundary([&] { vacancyColor_ = vacancyColor_.WithRgb(static_cast<uint32_t>(color)); });
}

HRESULT KMCSpeciesList::put_EnablingSpecies(BSTR name) {
    return Boundary([&] {
        Edit([&] {
            // A species keeps the spelling the caller used; anything else that is not the
            // vacancy symbol means no enabling species.
            std::string text = BSTRToTString(name);
            if (FindByName(name) != nullptr)
                enablingSpecies_ = std::move(text);
            else
                enablingSpecies_ = text == vacancySymbol_ ? vacancySymbol_ : std::string();
        });
    });
}

HRESULT KMCSpeciesList::get_EnablingSpecies(BSTR* name) {
    return Boundary([&] { kmc::OutText(name, enablingSpecies_); });
}

KMCSpeciesList::Members KMCSpeciesList::CloneMembers(IVxKMCSpeciesList& source) {
    LONG count = 0;
    nox::Check(source.get_Count(&count));
    Members copies;
    kmc::SpeciesIndex index;
    for (LONG position = 0; position < count; ++position) {
        NoxComPtr<IVxKMCSpecies> original;
        nox::Check(source.get_Item(position, original.Put()));
        NoxBSTR name;
        nox::Check(original->get_Name(name.Put()));
        NoxComPtr<KMCSpecies> copy = NewSpecies(name.ToTString(), copies, index);
        nox::Check(copy->Clone(original.Get()));
        copies.Append(copy);
        index.Append(*copy);
    }
    return copies;
}

HRESULT KMCSpeciesList::Clone(IVxKMCSpeciesList* source) {
    return Boundary([&] {
        if (source == nullptr)
            throw NoxResult(E_INVALIDARG, "No source list suppliced for KMCSpeciesList::Clone");
        if (species_.Count() != 0)
            throw NoxResult(E_UNEXPECTED, "Clone method can only be used on an empty Species List");
        Edit([&] {
            // The copy is built aside and takes effect whole, so a failure leaves the list empty.
            Members copies = CloneMembers(*source);
            NoxBSTR symbol, enabling;
            LONG color = 0;
            nox::Check(source->get_VacancySymbol(symbol.Put()));
            std::string checkedSymbol = CheckedVacancySymbol(symbol.ToTString());
            nox::Check(source->get_VacancyColor(&color));
            nox::Check(source->get_EnablingSpecies(enabling.Put()));
            species_ = std::move(copies);
            index_.MarkStale();
            vacancySymbol_ = std::move(checkedSymbol);
            vacancyColor_ = vacancyColor_.WithRgb(static_cast<uint32_t>(color));
            enablingSpecies_ = enabling.ToTString();
        });
    });
}

HRESULT KMCSpeciesList::IsConsistent(IVxKMCSpeciesList* other, VARIANT_BOOL* consistent, BSTR* message) {
    return Boundary([&] {
        if (message != nullptr) *message = nullptr;
        kmc::Out(consistent);
        kmc::Out(message);
        CheckNullDereference(other);
        std::string verdict;
        for (size_t position = 0; position < species_.Count(); ++position) {
            const KMCSpecies& species = species_[position];
            const std::string& name = species.Name();
            const std::optional<std::string> otherCategory = CategoryIn(other, name, position);
            if (otherCategory && *otherCategory != species.Category()) {
                verdict = (NoxFormat("Species %1 has different categories in the configuration document and "
                                     "the the processes document.")
                           << name)
                              .str();
                break;
            }
        }
        *message = NoxBSTR(verdict).Detach();
        *consistent = kmc::AsFlag(verdict.empty());
    });
}

HRESULT KMCSpeciesList::get_CanRemoveSpecies(BSTR name, VARIANT_BOOL* canRemove) {
    return Boundary([&] { *kmc::Out(canRemove) = kmc::AsFlag(CanRemoveSpeciesImpl(BSTRToTString(name))); });
}

HRESULT KMCSpeciesList::RemoveSpecies(BSTR name) {
    return Boundary([&] {
        std::string text = BSTRToTString(name);
        if (FindByName(name) == nullptr)
            throw NoxResult(E_UNEXPECTED, "Species requested for deletion can not be found.");
        if (!CanRemoveSpeciesImpl(text))
            throw NoxResult(
                E_UNEXPECTED,
                "Species cannot be deleted because it is in use in one or more process or interaction");
        Edit([&] {
            if (!RemoveSpecies(text))
                throw NoxResult(E_UNEXPECTED, "Unable to delete the requested species.");
        });
    });
}

HRESULT KMCSpeciesList::SaveToXML(IVxOstrelToXML* writer) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementWriter element(writer, kElement);
        element.Long("NumberOfSpecies", static_cast<LONG>(species_.Count()));
        for (const auto& species : species_) OstrelUtils::SaveXML(species.Get(), writer);
        element.Text("VacancySymbol", vacancySymbol_);
        element.Color("VacancyColor", vacancyColor_);
        element.Text("NewEnablingSpecies", enablingSpecies_);
        element.Close();
    });
}

HRESULT KMCSpeciesList::LoadFromXML(IVxXMLToOstrel* reader) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementReader element(reader, kElement);
        // Read whole before anything is replaced, so a failed load leaves the list as it was.
        Members loaded = kmc::ReadItems<KMCSpecies>(
            element, "NumberOfSpecies", "Unexpected children found for the SpeciesList element", [&] {
                NoxComPtr<KMCSpecies> species = KMCSpecies::Create();
                species->SetParent(this);
                return species;
            });
        // Its sentence says "Vacancy", not the attribute's name; callers match the text as it always was.
        std::string symbol =
            element.Text("VacancySymbol", "Failed to obtain Vacancy attribute from SpeciesList element");
        ColorValue color = element.Color("VacancyColor", kInitialVacancyColor);
        std::string enabling = element.Text("NewEnablingSpecies");
        element.Close();
        species_ = std::move(loaded);
        index_.MarkStale();
        vacancySymbol_ = std::move(symbol);
        vacancyColor_ = color;
        enablingSpecies_ = std::move(enabling);
    });
}
