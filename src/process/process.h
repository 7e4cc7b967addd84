// KMCProcess: one elementary surface process of a document: its type, identifier and
// description, how its rate is given and the rate quantities, the switches the simulation engine
// reads, and its active and enabling (blocking) sites. A process is made Undefined by its list
// and initialised once to a type, which gives it the type's default sites; almost every setter
// refuses to work before that. It reaches the document, the lattice and the species list through
// its list.
#pragma once

#include <string>
#include <vector>

#include "frame/component.h"
#include "frame/owned_items.h"
#include "frame/parent.h"
#include "process/active_site.h"
#include "process/blocking_site.h"
#include "process/expression.h"
#include "vxostrel/process.h"
#include "vxostrel/serializer.h"

class KMCLattice;
class KMCProcessList;
class KMCSpeciesList;
class KMCSiteSpecification;
namespace kmc {
class ElementReader;
class SiteImages;
}

class NOX_EXPORT KMCProcess final : public kmc::Component<KMCProcess, IVxKMCProcess, IVxKMCSerializer> {
public:
    KMC_COMPONENT_CLASS(KMCProcess, "Orvanta KMC Process");

    // Raised: E_UNEXPECTED "Parent is already set for KMCProcess." when linked already.
    void SetParent(KMCProcessList* list) { parents_.LinkOnce(kClassName, list); }
    // Called by the list when the process leaves it.
    void LeaveOwner() { parents_.Unlink(); }
    KMCProcessList* ParentList() const { return parents_.Get<KMCProcessList>(); }
    CKMCDocumentsBase* ParentDocument() const;
    KMCLattice* ParentLattice() const;
    KMCSpeciesList* SpeciesList() const;

    vxKMCProcessType Type() const { return type_; }
    bool IsEnabled() const { return definition_.enabled; }
    const std::string& Identifier() const { return definition_.identifier; }
    vxKMCRateSpecificationType SpecificationType() const { return definition_.specificationType; }
    LONG Priority() const { return definition_.priority; }
    LONG ChargeTransfer() const { return definition_.chargeTransfer; }
    // The active sites that take part: for an adsorption or a desorption only the first (the
    // first two when associative), for every other type all; never more than the process has.
    size_t NumActiveSites() const;
    KMCActiveSite& ActiveSiteInPlay(size_t index) const { return activeSites_[index]; }
    const kmc::OwnedItems<KMCBlockingSite>& BlockingSites() const { return blockingSites_; }
    // The largest site number any site in play or enabling site uses; -1 when none.
    LONG HighestSiteIndex() const;
    // Whether a site in play or an enabling site names the species `name`.
    bool IsSpeciesUsed(const std::string& name) const;
    // Why the process is not valid ("Error in specification of process ..."), or empty; the
    // number, when above 0, is the process's position shown in the message.
    std::string ValidityMessage(LONG processNumber) const;
    // The operator indices that give distinct copies of the process, in increasing order and
    // starting with 0; empty for a process without active sites.
    std::vector<LONG> SymmetryIndices(kmc::SiteImages& images) const;
    std::vector<LONG> SymmetryIndices() const;

    [[nodiscard]] HRESULT Initialise(vxKMCProcessType type) override;
    [[nodiscard]] HRESULT InitialiseFromString(BSTR type) override;
    [[nodiscard]] HRESULT put_Enabled(VARIANT_BOOL enabled) override;
    [[nodiscard]] HRESULT get_Enabled(VARIANT_BOOL* enabled) override;
    [[nodiscard]] HRESULT get_Type(vxKMCProcessType* type) override;
    [[nodiscard]] HRESULT get_TypeAsString(BSTR* type) override;
    [[nodiscard]] HRESULT put_IsAssociative(VARIANT_BOOL associative) override;
    [[nodiscard]] HRESULT get_IsAssociative(VARIANT_BOOL* associative) override;
    [[nodiscard]] HRESULT put_Identifier(BSTR identifier) override;
    [[nodiscard]] HRESULT get_Identifier(BSTR* identifier) override;
    [[nodiscard]] HRESULT put_Description(BSTR description) override;
    [[nodiscard]] HRESULT get_Description(BSTR* description) override;
    [[nodiscard]] HRESULT put_SpecificationType(vxKMCRateSpecificationType type) override;
    [[nodiscard]] HRESULT get_SpecificationType(vxKMCRateSpecificationType* type) override;
    [[nodiscard]] HRESULT get_SpecificationTypeAsString(BSTR* type) override;
    [[nodiscard]] HRESULT put_Prefactor(BSTR value) override;
    [[nodiscard]] HRESULT get_Prefactor(BSTR* value) override;
    [[nodiscard]] HRESULT put_PrefactorFromGUI(BSTR value) override;
    [[nodiscard]] HRESULT get_PrefactorForGUI(BSTR* value) override;
    [[nodiscard]] HRESULT put_PressureFactor(BSTR value) override;
    [[nodiscard]] HRESULT get_PressureFactor(BSTR* value) override;
    [[nodiscard]] HRESULT put_PressureFactorFromGUI(BSTR value) override;
    [[nodiscard]] HRESULT get_PressureFactorForGUI(BSTR* value) override;
    [[nodiscard]] HRESULT get_HasPressureFactor(VARIANT_BOOL* has) override;
    [[nodiscard]] HRESULT put_ActivationEnergy(BSTR value) override;
    [[nodiscard]] HRESULT get_ActivationEnergy(BSTR* value) override;
    [[nodiscard]] HRESULT put_ActivationEnergyFromGUI(BSTR value) override;
    [[nodiscard]] HRESULT get_ActivationEnergyForGUI(BSTR* value) override;
    [[nodiscard]] HRESULT put_PotentialFactor(BSTR value) override;
    [[nodiscard]] HRESULT get_PotentialFactor(BSTR* value) override;
    [[nodiscard]] HRESULT put_PotentialFactorFromGUI(BSTR value) override;
    [[nodiscard]] HRESULT get_PotentialFactorForGUI(BSTR* value) override;
    [[nodiscard]] HRESULT get_HasPotentialFactor(VARIANT_BOOL* has) override;
    [[nodiscard]] HRESULT put_UseInteractions(VARIANT_BOOL use) override;
    [[nodiscard]] HRESULT get_UseInteractions(VARIANT_BOOL* use) override;
    [[nodiscard]] HRESULT put_BronstedPolanyi(double factor) override;
    [[nodiscard]] HRESULT get_BronstedPolanyi(double* factor) override;
    [[nodiscard]] HRESULT put_InteractionCutoff(double cutoff) override;
    [[nodiscard]] HRESULT get_InteractionCutoff(double* cutoff) override;
    [[nodiscard]] HRESULT put_Rate(BSTR value) override;
    [[nodiscard]] HRESULT get_Rate(BSTR* value) override;
    [[nodiscard]] HRESULT put_RateFromGUI(BSTR value) override;
    [[nodiscard]] HRESULT get_RateForGUI(BSTR* value) override;
    [[nodiscard]] HRESULT put_Priority(LONG priority) override;
    [[nodiscard]] HRESULT get_Priority(LONG* priority) override;
    [[nodiscard]] HRESULT get_NumberActiveSites(LONG* count) override;
    [[nodiscard]] HRESULT get_ActiveSite(LONG index, IVxKMCActiveSite** site) override;
    [[nodiscard]] HRESULT AddActiveSite(vxKMCActiveSiteType type, IVxKMCActiveSite** site) override;
    [[nodiscard]] HRESULT RemoveActiveSite(LONG index) override;
    [[nodiscard]] HRESULT get_NumberBlockingSites(LONG* count) override;
    [[nodiscard]] HRESULT get_BlockingSite(LONG index, IVxKMCBlockingSite** site) override;
    [[nodiscard]] HRESULT AddBlockingSite(IVxKMCBlockingSite** site) override;
    [[nodiscard]] HRESULT RemoveBlockingSite(LONG index) override;
    [[nodiscard]] HRESULT get_DistanceToActiveSite(IVxKMCSiteSpecification* spec, double* distance) override;
    [[nodiscard]] HRESULT get_NumberSymmetryImages(LONG* count) override;
    [[nodiscard]] HRESULT get_DistinctSymmetryIndices(SAFEARRAY** indices) override;
    [[nodiscard]] HRESULT get_HighestSiteIndex(LONG* index) override;
    [[nodiscard]] HRESULT get_IsSpeciesUsed(BSTR name, VARIANT_BOOL* used) override;
    [[nodiscard]] HRESULT get_IsValid(LONG processNumber, BSTR* message, VARIANT_BOOL* valid) override;
    [[nodiscard]] HRESULT get_IsSiteUsed(BSTR address, vxKMCSiteType kind, VARIANT_BOOL* used) override;
    [[nodiscard]] HRESULT get_IsSiteValid(BSTR address, vxKMCSiteType kind, LONG index, BSTR* message,
                                          VARIANT_BOOL* valid) override;
    [[nodiscard]] HRESULT get_IsBlockingSpecificationValid(BSTR address, BSTR species, LONG index, BSTR* message,
                                                           VARIANT_BOOL* valid) override;
    [[nodiscard]] HRESULT put_ChargeTransfer(LONG charge) override;
    [[nodiscard]] HRESULT get_ChargeTransfer(LONG* charge) override;

    [[nodiscard]] HRESULT SaveToXML(IVxOstrelToXML* writer) override;
    [[nodiscard]] HRESULT LoadFromXML(IVxXMLToOstrel* reader) override;

private:
    // Everything but the type and the sites: what a load replaces whole.
    struct Definition {
        bool enabled = true;
        bool associative = false;
        std::string identifier = "NewProcess";
        std::string description;
        vxKMCRateSpecificationType specificationType = vxKMCRateSpecificationTypeArrhenius;
        KMCExpression prefactor{std::string("1.0e13")};
        KMCExpression pressureFactor{std::string("0.0")};
        KMCExpression activationEnergy{std::string("20.0")};
        KMCExpression potentialFactor{std::string("0.0")};
        bool useInteractions = true;
        double bronstedPolanyi = 1.0;
        double interactionCutoff = 0.0;
        KMCExpression rate{std::string("0.5")};
        LONG priority = 1;
        LONG chargeTransfer = 0;
    };
    using Quantity = KMCExpression Definition::*;
    // A new process's definition: its expressions are read from their texts once, not per process.
    static const Definition& DefaultDefinition();

    bool IsInitialised() const { return type_ != vxKMCProcessTypeUndefined; }
    // Raised: E_UNEXPECTED "Lumetra Process has not been initialised.".
    void RequireInitialised() const;
    // A setter: the edit bracket, then the init check, then `change` (its own checks and the store).
    template <class Change>
    void EditInitialised(Change&& change);
    void InitialiseImpl(vxKMCProcessType type);
    // How many active sites the type reads (possibly more than the process lists).
    size_t SitesInPlayRequired() const;
    // The first check the process fails, or empty.
    std::string ValidityFailure() const;
    std::string SiteValidityFailure(BSTR address, vxKMCSiteType kind, LONG index) const;

    HRESULT PutQuantity(Quantity quantity, BSTR value, KMCExpression::ValidationLevel level, bool localized);
    HRESULT GetQuantity(Quantity quantity, BSTR* value, bool forDisplay, const char* getter);
    HRESULT PutFlag(bool Definition::*flag, VARIANT_BOOL value);

    // New sites and addresses, linked to the list's document, species list and lattice.
    NoxComPtr<KMCSiteSpecification> NewAddress(const PeriodicTranslation& address) const;
    NoxComPtr<KMCActiveSite> NewActiveSite(vxKMCActiveSiteType type, const PeriodicTranslation& address) const;
    NoxComPtr<KMCBlockingSite> NewBlockingSite() const;

    Definition ReadDefinition(kmc::ElementReader& element, vxKMCProcessType& type) const;

    vxKMCProcessType type_ = vxKMCProcessTypeUndefined;
    Definition definition_ = DefaultDefinition();
    kmc::OwnedItems<KMCActiveSite> activeSites_;
    kmc::OwnedItems<KMCBlockingSite> blockingSites_;
    kmc::ParentLinks<KMCProcessList> parents_;
};
