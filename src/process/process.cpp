#include "process/process.h"

#include <algorithm>
#include <array>

#include "frame/values.h"
#include "lattice/site_specification.h"
#include "nox/strings.h"
#include "process/process_list.h"
#include "species/species_list.h"
#include "xml/element_io.h"
#include "xml/read_items.h"

namespace {

constexpr const char* kElement = "Process";

// What each process type is: its text, the active sites it starts with (sources first) and its
// Bronsted-Polanyi factor. Undefined is never initialised to.
struct TypeRow {
    const char* text;
    int sources;
    int destinations;
    double bronstedPolanyi;
};
constexpr std::array<TypeRow, 8> kTypes = {{
    {"Undefined", 0, 0, 0.5},
    {"Adsorption", 0, 2, 0.0},
    {"Desorption", 2, 0, 1.0},
    {"Diffusion", 1, 1, 0.5},
    {"Association", 2, 1, 0.0},
    {"Dissociation", 1, 2, 1.0},
    {"Reaction", 0, 0, 0.5},
    {"General", 0, 0, 0.5},
}};

// Where the default sites go, in order: sources take the first positions, destinations the next.
constexpr std::array<PeriodicTranslation, 3> kDefaultAddresses = {{{0, 0, 1}, {1, 0, 1}, {0, 1, 1}}};

constexpr std::array<const char*, 3> kSpecificationTexts = {"Rates", "Arrhenius", "Immediate"};

bool IsKnownType(LONG type) { return type >= 0 && static_cast<size_t>(type) < kTypes.size(); }

// The code of a type text, compared exactly; -1 for none.
LONG TypeCode(const std::string& text) {
    for (size_t code = 0; code < kTypes.size(); ++code)
        if (text == kTypes[code].text) return static_cast<LONG>(code);
    return -1;
}

const char* SpecificationText(vxKMCRateSpecificationType type) {
    return kSpecificationTexts[static_cast<size_t>(type)];
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsIdentifierCharacter(char c) { return IsLetter(c) || (c >= '0' && c <= '9') || c == '_'; }

std::string CheckedIdentifier(std::string identifier) {
    if (identifier.empty() || !IsLetter(identifier[0]) ||
        !std::all_of(identifier.begin(), identifier.end(), IsIdentifierCharacter))
        throw NoxResult(E_UNEXPECTED,
                        "Process identifiers must start with a letter, and must contain only alphabetic "
                        "characters, numeric characters or _.");
    return identifier;
}

void CheckIndex(LONG index, size_t count, const char* message) {
    if (index < 0 || static_cast<size_t>(index) >= count) throw NoxResult(E_UNEXPECTED, message);
}

// The type was read from a file: an Undefined process takes any known type other than
// Undefined; anything else leaves it as it is.
vxKMCProcessType LoadedType(vxKMCProcessType current, const std::string& text) {
    const LONG code = TypeCode(text);
    if (current != vxKMCProcessTypeUndefined || code <= 0) return current;
    return static_cast<vxKMCProcessType>(code);
}

vxKMCRateSpecificationType LoadedSpecificationType(vxKMCRateSpecificationType current,
                                                   const std::string& text) {
    if (text == "Rates") return vxKMCRateSpecificationTypeRates;
    if (text == "Arrhenius" || text == "Energies") return vxKMCRateSpecificationTypeArrhenius;
    if (text == "Immediate") return vxKMCRateSpecificationTypeImmediate;
    return current;
}

}  // namespace

CKMCDocumentsBase* KMCProcess::ParentDocument() const { return parents_.Document(); }

KMCLattice* KMCProcess::ParentLattice() const {
    return ParentList() != nullptr ? ParentList()->ParentLattice() : nullptr;
}

KMCSpeciesList* KMCProcess::SpeciesList() const {
    return ParentList() != nullptr ? ParentList()->SpeciesList() : nullptr;
}

size_t KMCProcess::NumActiveSites() const {
    const bool oneOrTwo = type_ == vxKMCProcessTypeAdsorption || type_ == vxKMCProcessTypeDesorption;
    const size_t inPlay = definition_.associative ? 2 : 1;
    return oneOrTwo ? std::min(inPlay, activeSites_.Count()) : activeSites_.Count();
}

LONG KMCProcess::HighestSiteIndex() const {
    LONG highest = -1;
    for (size_t index = 0; index < NumActiveSites(); ++index)
        highest = std::max(highest, activeSites_[index].Address().site);
    for (const auto& site : blockingSites_) highest = std::max(highest, site->Address().site);
    return highest;
}

bool KMCProcess::IsSpeciesUsed(const std::string& name) const {
    for (size_t index = 0; index < NumActiveSites(); ++index) {
        const KMCActiveSite& site = activeSites_[index];
        if (site.SourcePattern() == name || site.ResultPattern() == name) return true;
    }
    return std::any_of(blockingSites_.begin(), blockingSites_.end(),
                       [&](const auto& site) { return site->SourcePattern() == name; });
}

void KMCProcess::RequireInitialised() const {
    if (!IsInitialised()) throw NoxResult(E_UNEXPECTED, "Lumetra Process has not been initialised.");
}

template <class Change>
void KMCProcess::EditInitialised(Change&& change) {
    Edit([&] {
        RequireInitialised();
        change();
    });
}

NoxComPtr<KMCSiteSpecification> KMCProcess::NewAddress(const PeriodicTranslation& address) const {
    NoxComPtr<KMCSiteSpecification> spec = KMCSiteSpecification::Create();
    spec->SetParent(ParentDocument(), ParentLattice());
    spec->SetAddress(address);
    return spec;
}

NoxComPtr<KMCActiveSite> KMCProcess::NewActiveSite(vxKMCActiveSiteType type,
                                                   const PeriodicTranslation& address) const {
    NoxComPtr<KMCActiveSite> site = KMCActiveSite::Create();
    site->SetParent(ParentDocument(), SpeciesList());
    site->Define(type, NoxComPtr<IVxKMCSiteSpecification>(NewAddress(address).Get()), {}, {});
    return site;
}

NoxComPtr<KMCBlockingSite> KMCProcess::NewBlockingSite() const {
    NoxComPtr<KMCBlockingSite> site = KMCBlockingSite::Create();
    site->SetParent(ParentDocument(), SpeciesList());
    site->Define(NoxComPtr<IVxKMCSiteSpecification>(NewAddress({0, 0, 1}).Get()), {});
    return site;
}

void KMCProcess::InitialiseImpl(vxKMCProcessType type) {
    if (IsInitialised()) throw NoxResult(E_UNEXPECTED, "Lumetra Process has already been initialised.");
    if (type == vxKMCProcessTypeUndefined)
        throw NoxResult(E_UNEXPECTED, "Lumetra Process must not be initialised to Undefined.");
    if (!IsKnownType(type))
        throw NoxResult(E_UNEXPECTED, "Input process type is invalid in KMCProcess::Initialise");
    Edit([&] {
        // A document being read brings the process's own sites and factor.
        CKMCDocumentsBase* document = ParentDocument();
        const bool loading = document != nullptr && document->IsLoading();
        const TypeRow& row = kTypes[static_cast<size_t>(type)];
        kmc::OwnedItems<KMCActiveSite>::Appending appending(activeSites_);
        if (!loading) {
            const int sites = row.sources + row.destinations;
            for (int k = 0; k < sites; ++k)
                activeSites_.Append(NewActiveSite(
                    k < row.sources ? vxKMCActiveSiteTypeSource : vxKMCActiveSiteTypeDestination,
                    kDefaultAddresses[static_cast<size_t>(k)]));
            definition_.bronstedPolanyi = row.bronstedPolanyi;
        }
        type_ = type;
        appending.Commit();
    });
}

HRESULT KMCProcess::Initialise(vxKMCProcessType type) {
    return Boundary([&] { InitialiseImpl(type); });
}

HRESULT KMCProcess::InitialiseFromString(BSTR type) {
    return Boundary([&] {
        const LONG code = TypeCode(BSTRToTString(type));
        if (code < 0)
            throw NoxResult(E_UNEXPECTED,
                            "Input process type is invalid in KMCProcess::InitialiseFromString");
        // Asking for Undefined, or for a second type, leaves the process as it is and succeeds.
        if (code == vxKMCProcessTypeUndefined || IsInitialised()) return;
        InitialiseImpl(static_cast<vxKMCProcessType>(code));
    });
}

HRESULT KMCProcess::PutFlag(bool Definition::*flag, VARIANT_BOOL value) {
    return Boundary([&] { EditInitialised([&] { definition_.*flag = value == VARIANT_TRUE; }); });
}

HRESULT KMCProcess::put_Enabled(VARIANT_BOOL enabled) { return PutFlag(&Definition::enabled, enabled); }

HRESULT KMCProcess::get_Enabled(VARIANT_BOOL* enabled) {
    return Boundary([&] { *kmc::Out(enabled) = kmc::AsFlag(definition_.enabled); });
}

HRESULT KMCProcess::get_Type(vxKMCProcessType* type) {
    return Boundary([&] { *kmc::Out(type, "KMCProcess::get_Type") = type_; });
}

HRESULT KMCProcess::get_TypeAsString(BSTR* type) {
    return Boundary(
        [&] { kmc::OutText(type, kTypes[static_cast<size_t>(type_)].text, "KMCProcess::get_TypeAsString"); });
}

HRESULT KMCProcess::put_IsAssociative(VARIANT_BOOL associative) {
    return PutFlag(&Definition::associative, associative);
}

HRESULT KMCProcess::get_IsAssociative(VARIANT_BOOL* associative) {
    return Boundary([&] {
        const bool oneOrTwo = type_ == vxKMCProcessTypeAdsorption || type_ == vxKMCProcessTypeDesorption;
        *kmc::Out(associative) = kmc::AsFlag(oneOrTwo && definition_.associative);
    });
}

HRESULT KMCProcess::put_Identifier(BSTR identifier) {
    return Boundary([&] {
        std::string checked = CheckedIdentifier(BSTRToTString(identifier));
        RequireInitialised();
        Edit([&] { definition_.identifier = std::move(checked); });
    });
}

HRESULT KMCProcess::get_Identifier(BSTR* identifier) {
    return Boundary([&] { kmc::OutText(identifier, definition_.identifier); });
}

HRESULT KMCProcess::put_Description(BSTR description) {
    return Boundary([&] {
        EditInitialised(
            [&] { definition_.description = kmc::SavableText(description, "process description"); });
    });
}

HRESULT KMCProcess::get_Description(BSTR* description) {
    return Boundary([&] { kmc::OutText(description, definition_.description); });
}

HRESULT KMCProcess::put_SpecificationType(vxKMCRateSpecificationType type) {
    return Boundary([&] {
        EditInitialised([&] {
            if (type < 0 || static_cast<size_t>(type) >= kSpecificationTexts.size())
                throw NoxResult(E_UNEXPECTED,
                                "Input specification type is invalid in KMCProcess::put_SpecificationType");
            definition_.specificationType = type;
        });
    });
}

HRESULT KMCProcess::get_SpecificationType(vxKMCRateSpecificationType* type) {
    return Boundary(
        [&] { *kmc::Out(type, "KMCProcess::get_SpecificationType") = definition_.specificationType; });
}

HRESULT KMCProcess::get_SpecificationTypeAsString(BSTR* type) {
    return Boundary([&] {
        kmc::OutText(type, SpecificationText(definition_.specificationType),
                     "KMCProcess::get_SpecificationTypeAsString");
    });
}

HRESULT KMCProcess::PutQuantity(Quantity quantity, BSTR value, KMCExpression::ValidationLevel level,
                                bool localized) {
    return Boundary([&] {
        EditInitialised([&] { (definition_.*quantity).SetValue(BSTRToTString(value), level, localized); });
    });
}

HRESULT KMCProcess::GetQuantity(Quantity quantity, BSTR* value, bool forDisplay, const char* getter) {
    return Boundary([&] { kmc::OutText(value, (definition_.*quantity).ValueAsString(forDisplay), getter); });
}

HRESULT KMCProcess::put_Prefactor(BSTR value) {
    return PutQuantity(&Definition::prefactor, value, KMCExpression::Positive, false);
}
HRESULT KMCProcess::get_Prefactor(BSTR* value) {
    return GetQuantity(&Definition::prefactor, value, false, "KMCProcess::get_Prefactor");
}
HRESULT KMCProcess::put_PrefactorFromGUI(BSTR value) {
    return PutQuantity(&Definition::prefactor, value, KMCExpression::Positive, true);
}
HRESULT KMCProcess::get_PrefactorForGUI(BSTR* value) {
    return GetQuantity(&Definition::prefactor, value, true, "KMCProcess::get_PrefactorForGUI");
}
HRESULT KMCProcess::put_PressureFactor(BSTR value) {
    return PutQuantity(&Definition::pressureFactor, value, KMCExpression::AnyValue, false);
}
HRESULT KMCProcess::get_PressureFactor(BSTR* value) {
    return GetQuantity(&Definition::pressureFactor, value, false, "KMCProcess::get_PressureFactor");
}
HRESULT KMCProcess::put_PressureFactorFromGUI(BSTR value) {
    return PutQuantity(&Definition::pressureFactor, value, KMCExpression::AnyValue, true);
}
HRESULT KMCProcess::get_PressureFactorForGUI(BSTR* value) {
    return GetQuantity(&Definition::pressureFactor, value, true, "KMCProcess::get_PressureFactorForGUI");
}
HRESULT KMCProcess::put_ActivationEnergy(BSTR value) {
    return PutQuantity(&Definition::activationEnergy, value, KMCExpression::NonNegative, false);
}
HRESULT KMCProcess::get_ActivationEnergy(BSTR* value) {
    return GetQuantity(&Definition::activationEnergy, value, false, "KMCProcess::get_ActivationEnergy");
}
HRESULT KMCProcess::put_ActivationEnergyFromGUI(BSTR value) {
    return PutQuantity(&Definition::activationEnergy, value, KMCExpression::NonNegative, true);
}
HRESULT KMCProcess::get_ActivationEnergyForGUI(BSTR* value) {
    return GetQuantity(&Definition::activationEnergy, value, true, "KMCProcess::get_ActivationEnergyForGUI");
}
HRESULT KMCProcess::put_PotentialFactor(BSTR value) {
    return PutQuantity(&Definition::potentialFactor, value, KMCExpression::AnyValue, false);
}
HRESULT KMCProcess::get_PotentialFactor(BSTR* value) {
    return GetQuantity(&Definition::potentialFactor, value, false, "KMCProcess::get_PotentialFactor");
}
HRESULT KMCProcess::put_PotentialFactorFromGUI(BSTR value) {
    return PutQuantity(&Definition::potentialFactor, value, KMCExpression::AnyValue, true);
}
HRESULT KMCProcess::get_PotentialFactorForGUI(BSTR* value) {
    return GetQuantity(&Definition::potentialFactor, value, true, "KMCProcess::get_PotentialFactorForGUI");
}
HRESULT KMCProcess::put_Rate(BSTR value) {
    return PutQuantity(&Definition::rate, value, KMCExpression::Positive, false);
}
HRESULT KMCProcess::get_Rate(BSTR* value) {
    return GetQuantity(&Definition::rate, value, false, "KMCProcess::get_Rate");
}
HRESULT KMCProcess::put_RateFromGUI(BSTR value) {
    return PutQuantity(&Definition::rate, value, KMCExpression::Positive, true);
}
HRESULT KMCProcess::get_RateForGUI(BSTR* value) {
    return GetQuantity(&Definition::rate, value, true, "KMCProcess::get_Rate");
}

HRESULT KMCProcess::get_HasPressureFactor(VARIANT_BOOL* has) {
    return Boundary([&] {
        *kmc::Out(has, "KMCProcess::get_HasPressureFactor") =
            kmc::AsFlag(definition_.specificationType == vxKMCRateSpecificationTypeArrhenius &&
                        !definition_.pressureFactor.IsZero());
    });
}

HRESULT KMCProcess::get_HasPotentialFactor(VARIANT_BOOL* has) {
    return Boundary([&] {
        *kmc::Out(has, "KMCProcess::get_HasPotentialFactor") =
            kmc::AsFlag(definition_.specificationType == vxKMCRateSpecificationTypeArrhenius &&
                        !definition_.potentialFactor.IsZero());
    });
}

HRESULT KMCProcess::put_UseInteractions(VARIANT_BOOL use) {
    return PutFlag(&Definition::useInteractions, use);
}

HRESULT KMCProcess::get_UseInteractions(VARIANT_BOOL* use) {
    return Boundary([&] {
        *kmc::Out(use, "KMCProcess::get_UseInteractions") = kmc::AsFlag(definition_.useInteractions);
    });
}

HRESULT KMCProcess::put_BronstedPolanyi(double factor) {
    return Boundary([&] {
        // Written so that a NaN is refused too.
        if (!(factor >= 0.0 && factor <= 1.0))
            throw NoxResult(E_UNEXPECTED, "Bronsted-Polanyi factor should have a value between 0.0 and 1.0.");
        EditInitialised([&] { definition_.bronstedPolanyi = factor; });
    });
}

HRESULT KMCProcess::get_BronstedPolanyi(double* factor) {
    return Boundary(
        [&] { *kmc::Out(factor, "KMCProcess::get_BronstedPolanyi") = definition_.bronstedPolanyi; });
}

HRESULT KMCProcess::put_InteractionCutoff(double cutoff) {
    return Boundary([&] {
        EditInitialised(
            [&] { definition_.interactionCutoff = kmc::FiniteNumber(cutoff, "process interaction cutoff"); });
    });
}

HRESULT KMCProcess::get_InteractionCutoff(double* cutoff) {
    return Boundary(
        [&] { *kmc::Out(cutoff, "KMCProcess::get_InteractionCutoff") = definition_.interactionCutoff; });
}

HRESULT KMCProcess::put_Priority(LONG priority) {
    return Boundary([&] {
        EditInitialised([&] {
            if (priority <= 0) throw NoxResult(E_UNEXPECTED, "Priority must be positive.");
            definition_.priority = priority;
        });
    });
}

HRESULT KMCProcess::get_Priority(LONG* priority) {
    return Boundary([&] { *kmc::Out(priority, "KMCProcess::get_Priority") = definition_.priority; });
}

HRESULT KMCProcess::put_ChargeTransfer(LONG charge) {
    return Boundary([&] { EditInitialised([&] { definition_.chargeTransfer = charge; }); });
}

HRESULT KMCProcess::get_ChargeTransfer(LONG* charge) {
    return Boundary([&] { *kmc::Out(charge) = definition_.chargeTransfer; });
}

HRESULT KMCProcess::get_NumberActiveSites(LONG* count) {
    return Boundary([&] {
        kmc::Out(count);
        RequireInitialised();
        *count = static_cast<LONG>(NumActiveSites());
    });
}

HRESULT KMCProcess::get_ActiveSite(LONG index, IVxKMCActiveSite** site) {
    return Boundary([&] {
        kmc::Out(site);
        RequireInitialised();
        CheckIndex(index, NumActiveSites(), "Index out of range for KMCProcess::get_ActiveSite");
        kmc::HandOut(&activeSites_[static_cast<size_t>(index)], site);
    });
}

HRESULT KMCProcess::AddActiveSite(vxKMCActiveSiteType type, IVxKMCActiveSite** site) {
    return Boundary([&] {
        kmc::Out(site);
        RequireInitialised();
        Edit([&] {
            (void)kmc::ActiveSiteTypeText(type, "KMCProcess::AddActiveSite");
            NoxComPtr<KMCActiveSite> added = NewActiveSite(type, {0, 0, 1});
            activeSites_.Append(added);
            kmc::HandOut(added, site);
        });
    });
}

HRESULT KMCProcess::RemoveActiveSite(LONG index) {
    return Boundary([&] {
        RequireInitialised();
        Edit([&] {
            if (type_ >= vxKMCProcessTypeAdsorption && type_ <= vxKMCProcessTypeDissociation)
                throw NoxResult(E_UNEXPECTED,
                                "Cannot remove sites for Diffusion, Association or Dissociation processes");
            CheckIndex(index, activeSites_.Count(), "Index out of range for removing active site");
            activeSites_.RemoveAt(static_cast<size_t>(index));
        });
    });
}

HRESULT KMCProcess::get_NumberBlockingSites(LONG* count) {
    return Boundary([&] {
        kmc::Out(count);
        RequireInitialised();
        *count = static_cast<LONG>(blockingSites_.Count());
    });
}

HRESULT KMCProcess::get_BlockingSite(LONG index, IVxKMCBlockingSite** site) {
    return Boundary([&] {
        kmc::Out(site);
        RequireInitialised();
        CheckIndex(index, blockingSites_.Count(), "Index out of range for KMCProcess::get_BlockingSite");
        kmc::HandOut(&blockingSites_[static_cast<size_t>(index)], site);
    });
}

HRESULT KMCProcess::AddBlockingSite(IVxKMCBlockingSite** site) {
    return Boundary([&] {
        kmc::Out(site);
        RequireInitialised();
        Edit([&] {
            NoxComPtr<KMCBlockingSite> added = NewBlockingSite();
            // The site starts with the document's default enabling species, when it is one.
            if (KMCSpeciesList* list = SpeciesList()) {
                NoxBSTR enabling;
                nox::Check(list->get_EnablingSpecies(enabling.Put()));
                nox::Check(added->put_SourcePattern(enabling.Get()));
            }
            blockingSites_.Append(added);
            kmc::HandOut(added, site);
        });
    });
}

HRESULT KMCProcess::RemoveBlockingSite(LONG index) {
    return Boundary([&] {
        RequireInitialised();
        Edit([&] {
            CheckIndex(index, blockingSites_.Count(), "Index out of range for removing a blocking site");
            blockingSites_.RemoveAt(static_cast<size_t>(index));
        });
    });
}

HRESULT KMCProcess::get_HighestSiteIndex(LONG* index) {
    return Boundary([&] {
        kmc::Out(index);
        *index = HighestSiteIndex();
    });
}

HRESULT KMCProcess::get_IsSpeciesUsed(BSTR name, VARIANT_BOOL* used) {
    return Boundary([&] {
        kmc::Out(used);
        *used = kmc::AsFlag(IsSpeciesUsed(BSTRToTString(name)));
    });
}

HRESULT KMCProcess::SaveToXML(IVxOstrelToXML* writer) {
    return Boundary<IVxKMCSerializer>([&] {
        const Definition& d = definition_;
        kmc::ElementWriter element(writer, kElement);
        element.Bool("Enabled", d.enabled);
        element.Text("Type", kTypes[static_cast<size_t>(type_)].text);
        element.Bool("IsAssociative", d.associative);
        element.Text("Identifier", d.identifier);
        element.Text("Description", d.description);
        element.Text("SpecificationType", SpecificationText(d.specificationType));
        element.Text("Prefactor", d.prefactor.ValueAsString(false));
        element.Text("PressureFactor", d.pressureFactor.ValueAsString(false));
        element.Text("ActivationEnergy", d.activationEnergy.ValueAsString(false));
        element.Text("PotentialFactor", d.potentialFactor.ValueAsString(false));
        element.Bool("UseInteractions", d.useInteractions);
        element.Double("BronstedPolanyiFactor", d.bronstedPolanyi);
        element.Double("InteractionCutoff", d.interactionCutoff);
        element.Text("Rate", d.rate.ValueAsString(false));
        element.Long("Priority", d.priority);
        element.Long("NetChargeTransfer", d.chargeTransfer);
        element.Long("NumberOfActiveSites", static_cast<LONG>(activeSites_.Count()));
        element.Long("NumberOfBlockingSites", static_cast<LONG>(blockingSites_.Count()));
        for (const auto& site : activeSites_) OstrelUtils::SaveXML(site.Get(), writer);
        for (const auto& site : blockingSites_) OstrelUtils::SaveXML(site.Get(), writer);
        element.Close();
    });
}

const KMCProcess::Definition& KMCProcess::DefaultDefinition() {
    static const Definition definition;
    return definition;
}

KMCProcess::Definition KMCProcess::ReadDefinition(kmc::ElementReader& element, vxKMCProcessType& type) const {
    Definition d = definition_;
    d.enabled = element.Bool("Enabled");
    type = LoadedType(type_, element.Text("Type"));
    d.associative = element.OptionalBool("IsAssociative").value_or(false);
    d.identifier = element.Text("Identifier");
    d.description = element.Text("Description");
    d.specificationType = LoadedSpecificationType(d.specificationType, element.Text("SpecificationType"));
    d.prefactor.SetValue(element.Text("Prefactor"), KMCExpression::Positive, false);
    d.pressureFactor.SetValue(element.OptionalText("PressureFactor").value_or("0.0"), KMCExpression::AnyValue,
                              false);
    d.activationEnergy.SetValue(element.Text("ActivationEnergy"), KMCExpression::NonNegative, false);
    d.potentialFactor.SetValue(element.OptionalText("PotentialFactor").value_or("0.0"),
                               KMCExpression::AnyValue, false);
    d.useInteractions = element.Bool("UseInteractions");
    d.bronstedPolanyi = element.Double("BronstedPolanyiFactor");
    d.interactionCutoff = element.Double("InteractionCutoff");
    d.rate.SetValue(element.Text("Rate"), KMCExpression::Positive, false);
    d.priority = element.Long("Priority");
    d.chargeTransfer = element.OptionalLong("NetChargeTransfer").value_or(0);
    return d;
}

HRESULT KMCProcess::LoadFromXML(IVxXMLToOstrel* reader) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementReader element(reader, kElement);
        vxKMCProcessType type = type_;
        Definition loaded = ReadDefinition(element, type);
        const LONG activeCount = element.Long("NumberOfActiveSites");
        const LONG blockingCount = element.Long("NumberOfBlockingSites");
        kmc::OwnedItems<KMCActiveSite> active = kmc::ReadChildren<KMCActiveSite>(element, activeCount, [&] {
            return NewActiveSite(vxKMCActiveSiteTypeReaction, {0, 0, 0});
        });
        kmc::OwnedItems<KMCBlockingSite> blocking =
            kmc::ReadChildren<KMCBlockingSite>(element, blockingCount, [&] { return NewBlockingSite(); });
        kmc::RefuseLeftOverChildren(element, "Unexpected children found for the Process element");
        element.Close();
        // Nothing changes until the whole element has been read; the sites read join any the
        // process has.
        type_ = type;
        definition_ = std::move(loaded);
        activeSites_.AppendAll(std::move(active));
        blockingSites_.AppendAll(std::move(blocking));
    });
}
