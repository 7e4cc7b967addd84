#include "species/species_list.h"

#include <algorithm>

#include "nox/format.h"
#include "nox/strings.h"
#include "species/initial_color.h"
#include "species/names.h"
#include "species/species_usage.h"
#include "strings/text.h"
#include "xml/element_io.h"
#include "xml/utils.h"

namespace {

const char* const kElement = "SpeciesList";
const char* const kInvalidVacancySymbol =
    "Vacancy symbol must start with a letter, and must contain only alphabetic characters, numeric "
    "characters or _.";

void HandOut(KMCSpecies* species, IVxKMCSpecies** out) {
    if (species != nullptr) species->AddRef();
    *out = species;
}

VARIANT_BOOL AsFlag(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

std::string CheckedVacancySymbol(std::string symbol) {
    if (!kmc::IsValidSpeciesName(symbol)) throw NoxResult(E_UNEXPECTED, kInvalidVacancySymbol);
    return symbol;
}

}  // namespace

KMCSpeciesList::Members& KMCSpeciesList::Members::operator=(Members&& other) noexcept {
    if (this != &other) {
        Clear();
        items_ = std::move(other.items_);
    }
    return *this;
}

void KMCSpeciesList::Members::Clear() {
    for (const auto& species : items_) species->LeaveList();
    items_.clear();
}

template <class Match>
bool KMCSpeciesList::Members::RemoveFirst(Match match) {
    auto found = std::find_if(items_.begin(), items_.end(), [&](const auto& s) { return match(*s); });
    if (found == items_.end()) return false;
    NoxComPtr<KMCSpecies> removed = std::move(*found);
    items_.erase(found);
    removed->LeaveList();
    return true;
}

bool KMCSpeciesList::Members::RemoveNamed(const std::string& name) {
    return RemoveFirst([&](const KMCSpecies& s) { return s.Name() == name; });
}

bool KMCSpeciesList::Members::Remove(const KMCSpecies& species) {
    return RemoveFirst([&](const KMCSpecies& s) { return &s == &species; });
}

KMCSpecies* KMCSpeciesList::Members::FindIgnoringCase(const std::string& name) const {
    auto found = std::find_if(items_.begin(), items_.end(),
                              [&](const auto& s) { return kmc::SameSpeciesName(s->Name(), name); });
    return found != items_.end() ? found->Get() : nullptr;
}

void KMCSpeciesList::SetParent(CKMCDocumentsBase* document, IUnknown*, KMCProcessList* processList,
                               KMCInteractionList* interactionList) {
    document_ = document;
    processList_ = processList;
    interactionList_ = interactionList;
}

bool KMCSpeciesList::RemoveSpecies(const std::string& name) { return species_.RemoveNamed(name); }

bool KMCSpeciesList::Remove(const KMCSpecies& species) { return species_.Remove(species); }

KMCSpecies* KMCSpeciesList::FindByName(BSTR name) const {
    return species_.FindIgnoringCase(strings::Trim(BSTRToTString(name)));
}

bool KMCSpeciesList::CanRemoveSpeciesImpl(const std::string& name) const {
    return !kmc::ProcessesUseSpecies(processList_, name) &&
           !kmc::InteractionsUseSpecies(interactionList_, name);
}

NoxComPtr<KMCSpecies> KMCSpeciesList::NewSpecies(const std::string& name, const Members& members) {
    if (!kmc::IsValidSpeciesName(name))
        throw NoxResult(
            E_UNEXPECTED,
            "Species names must start with a letter, and must contain only alphabetic characters, "
            "numeric characters or _.");
    std::vector<ColorValue> colors;
    for (const auto& existing : members.Items()) {
        std::string existingName = existing->Name();
        if (existingName == name)
            throw NoxResult(E_UNEXPECTED, "Requested species already exists in the species list.");
        if (kmc::SameSpeciesName(existingName, name))
            throw NoxResult(E_UNEXPECTED,
                            "Requested species already exists in the species list.\n"
                            "Species names in Lumetra documents are case insensitive.");
        colors.push_back(ColorValue(existing->Color().Rgb() | ColorValue::kOpaqueTop));
    }
    NoxComPtr<KMCSpecies> species = KMCSpecies::Create();
    species->SetParent(this);
    species->SetName(name);
    nox::Check(species->put_Color(static_cast<LONG>(kmc::ChooseInitialColor(name, colors).Rgb())));
    return species;
}

HRESULT KMCSpeciesList::CreateSpecies(BSTR name, IVxKMCSpecies** species) {
    return Boundary([&] {
        kmc::Out(species);
        kmc::Edit(document_, [&] {
            NoxComPtr<KMCSpecies> created = NewSpecies(BSTRToTString(name), species_);
            species_.Append(created);
            *species = created.Detach();
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
        HandOut(species_.At(static_cast<size_t>(index)), species);
    });
}

HRESULT KMCSpeciesList::get_ItemByName(BSTR name, IVxKMCSpecies** species) {
    return Boundary([&] {
        kmc::Out(species);
        HandOut(FindByName(name), species);
    });
}

HRESULT KMCSpeciesList::get_SpeciesExists(BSTR name, VARIANT_BOOL* exists) {
    return Boundary([&] { *kmc::Out(exists) = AsFlag(FindByName(name) != nullptr); });
}

HRESULT KMCSpeciesList::ClearSpeciesList() {
    return Boundary([&] { species_.Clear(); });
}

HRESULT KMCSpeciesList::put_VacancySymbol(BSTR symbol) {
    return Boundary(
        [&] { kmc::Edit(document_, [&] { vacancySymbol_ = CheckedVacancySymbol(BSTRToTString(symbol)); }); });
}

HRESULT KMCSpeciesList::get_VacancySymbol(BSTR* symbol) {
    return Boundary([&] { *kmc::Out(symbol) = NoxBSTR(vacancySymbol_).Detach(); });
}

HRESULT KMCSpeciesList::get_VacancyColor(LONG* color) {
    return Boundary([&] { *kmc::Out(color) = static_cast<LONG>(vacancyColor_.Rgb()); });
}

HRESULT KMCSpeciesList::put_VacancyColor(LONG color) {
    return Boundary([&] {
        kmc::Edit(document_, [&] { vacancyColor_ = vacancyColor_.WithRgb(static_cast<uint32_t>(color)); });
    });
}

HRESULT KMCSpeciesList::put_RawVacancyColor(LONG color) {
    return Boundary([&] { vacancyColor_ = vacancyColor_.WithRgb(static_cast<uint32_t>(color)); });
}

HRESULT KMCSpeciesList::put_EnablingSpecies(BSTR name) {
    return Boundary([&] {
        kmc::Edit(document_, [&] {
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
    return Boundary([&] { *kmc::Out(name) = NoxBSTR(enablingSpecies_).Detach(); });
}

KMCSpeciesList::Members KMCSpeciesList::CloneMembers(IVxKMCSpeciesList& source) {
    LONG count = 0;
    nox::Check(source.get_Count(&count));
    Members copies;
    for (LONG index = 0; index < count; ++index) {
        NoxComPtr<IVxKMCSpecies> original;
        nox::Check(source.get_Item(index, original.Put()));
        NoxBSTR name;
        nox::Check(original->get_Name(name.Put()));
        NoxComPtr<KMCSpecies> copy = NewSpecies(name.ToTString(), copies);
        nox::Check(copy->Clone(original.Get()));
        copies.Append(std::move(copy));
    }
    return copies;
}

HRESULT KMCSpeciesList::Clone(IVxKMCSpeciesList* source) {
    return Boundary([&] {
        if (source == nullptr)
            throw NoxResult(E_INVALIDARG, "No source list suppliced for KMCSpeciesList::Clone");
        if (species_.Count() != 0)
            throw NoxResult(E_UNEXPECTED, "Clone method can only be used on an empty Species List");
        kmc::Edit(document_, [&] {
            // The copy is built aside and takes effect whole, so a failure leaves the list empty.
            Members copies = CloneMembers(*source);
            NoxBSTR symbol, enabling;
            LONG color = 0;
            nox::Check(source->get_VacancySymbol(symbol.Put()));
            std::string checkedSymbol = CheckedVacancySymbol(symbol.ToTString());
            nox::Check(source->get_VacancyColor(&color));
            nox::Check(source->get_EnablingSpecies(enabling.Put()));
            species_ = std::move(copies);
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
        for (const auto& species : species_.Items()) {
            std::string name = species->Name();
            NoxComPtr<IVxKMCSpecies> counterpart;
            nox::Check(other->get_ItemByName(NoxBSTR(name).Get(), counterpart.Put()));
            if (!counterpart) continue;
            NoxBSTR category, otherCategory;
            nox::Check(species->get_Category(category.Put()));
            nox::Check(counterpart->get_Category(otherCategory.Put()));
            if (category.ToTString() != otherCategory.ToTString()) {
                verdict = (NoxFormat("Species %1 has different categories in the configuration document and "
                                     "the the processes document.")
                           << name)
                              .str();
                break;
            }
        }
        *message = NoxBSTR(verdict).Detach();
        *consistent = AsFlag(verdict.empty());
    });
}

HRESULT KMCSpeciesList::get_CanRemoveSpecies(BSTR name, VARIANT_BOOL* canRemove) {
    return Boundary([&] { *kmc::Out(canRemove) = AsFlag(CanRemoveSpeciesImpl(BSTRToTString(name))); });
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
        kmc::Edit(document_, [&] {
            if (!species_.RemoveNamed(text))
                throw NoxResult(E_UNEXPECTED, "Unable to delete the requested species.");
        });
    });
}

HRESULT KMCSpeciesList::SaveToXML(IVxOstrelToXML* writer) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementWriter element(writer, kElement);
        element.Long("NumberOfSpecies", static_cast<LONG>(species_.Count()));
        for (const auto& species : species_.Items()) OstrelUtils::SaveXML(species.Get(), writer);
        element.Text("VacancySymbol", vacancySymbol_);
        element.Color("VacancyColor", vacancyColor_);
        element.Text("NewEnablingSpecies", enablingSpecies_);
        element.Close();
    });
}

KMCSpeciesList::Members KMCSpeciesList::LoadMembers(kmc::ElementReader& element) {
    // The count comes from the file, so nothing is sized by it: each species must find its
    // own element, and the first one missing ends the load.
    LONG count = element.Long("NumberOfSpecies");
    Members loaded;
    for (LONG index = 0; index < count; ++index) {
        NoxComPtr<KMCSpecies> species = KMCSpecies::Create();
        species->SetParent(this);
        loaded.Append(species);
        OstrelUtils::LoadXML(species.Get(), element.Reader());
    }
    if (element.ChildrenRemain())
        throw NoxResult(E_UNEXPECTED, "Unexpected children found for the SpeciesList element");
    return loaded;
}

HRESULT KMCSpeciesList::LoadFromXML(IVxXMLToOstrel* reader) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementReader element(reader, kElement);
        // Read whole before anything is replaced, so a failed load leaves the list as it was.
        Members loaded = LoadMembers(element);
        // Its sentence says "Vacancy", not the attribute's name; callers match the text as it always was.
        std::string symbol =
            element.Text("VacancySymbol", "Failed to obtain Vacancy attribute from SpeciesList element");
        ColorValue color = element.Color("VacancyColor", kInitialVacancyColor);
        std::string enabling = element.Text("NewEnablingSpecies");
        element.Close();
        species_ = std::move(loaded);
        vacancySymbol_ = std::move(symbol);
        vacancyColor_ = color;
        enablingSpecies_ = std::move(enabling);
    });
}
