// The processes of a document: active and enabling (blocking) sites, the elementary process with
// its rate specification, and the ordered process list with its whole-model verdicts.
#pragma once

#include "typelib/members.h"
#include "vxostrel/ids.h"
#include "vxostrel/lattice.h"
#include "vxostrel/species.h"

enum vxKMCActiveSiteType : LONG {
    vxKMCActiveSiteTypeSource = 0,
    vxKMCActiveSiteTypeDestination = 1,
    vxKMCActiveSiteTypeReaction = 2,
};
NOX_DECLARE_ENUM(vxKMCActiveSiteType);

enum vxKMCProcessType : LONG {
    vxKMCProcessTypeUndefined = 0,
    vxKMCProcessTypeAdsorption = 1,
    vxKMCProcessTypeDesorption = 2,
    vxKMCProcessTypeDiffusion = 3,
    vxKMCProcessTypeAssociation = 4,
    vxKMCProcessTypeDissociation = 5,
    vxKMCProcessTypeReaction = 6,
    vxKMCProcessTypeGeneral = 7,
};
NOX_DECLARE_ENUM(vxKMCProcessType);

enum vxKMCRateSpecificationType : LONG {
    vxKMCRateSpecificationTypeRates = 0,
    vxKMCRateSpecificationTypeArrhenius = 1,
    vxKMCRateSpecificationTypeImmediate = 2,
};
NOX_DECLARE_ENUM(vxKMCRateSpecificationType);

// The kind of process site an address is meant for; every code other than 0 means enabling.
enum vxKMCSiteType : LONG {
    vxKMCSiteTypeActive = 0,
    vxKMCSiteTypeEnabling = 1,
};
NOX_DECLARE_ENUM(vxKMCSiteType);

// A site the process changes: its address, the species required before the event (source
// pattern) and the species there after it (result species).
struct IVxKMCActiveSite : IDispatch {
    [[nodiscard]] virtual HRESULT SetSiteDetails(vxKMCActiveSiteType type, IVxKMCSiteSpecification* spec,
                                                 BSTR sourcePattern, BSTR resultPattern) = 0;
    [[nodiscard]] virtual HRESULT get_Type(vxKMCActiveSiteType* type) = 0;
    [[nodiscard]] virtual HRESULT get_SiteSpecification(IVxKMCSiteSpecification** spec) = 0;
    [[nodiscard]] virtual HRESULT get_SourcePattern(BSTR* pattern) = 0;
    [[nodiscard]] virtual HRESULT put_SourcePattern(BSTR pattern) = 0;
    [[nodiscard]] virtual HRESULT get_SourceSpecies(IVxKMCSpecies** species) = 0;
    [[nodiscard]] virtual HRESULT get_ResultPattern(BSTR* pattern) = 0;
    [[nodiscard]] virtual HRESULT put_ResultPattern(BSTR pattern) = 0;
    [[nodiscard]] virtual HRESULT get_ResultSpecies(IVxKMCSpecies** species) = 0;
    [[nodiscard]] virtual HRESULT Transform(LONG operatorIndex, IVxKMCActiveSite** image) = 0;
    [[nodiscard]] virtual HRESULT Translate(LONG di, LONG dj, IVxKMCActiveSite** translated) = 0;
    [[nodiscard]] virtual HRESULT get_IsEquivalent(IVxKMCActiveSite* other, VARIANT_BOOL* equivalent) = 0;
    [[nodiscard]] virtual HRESULT get_IsLessThan(IVxKMCActiveSite* other, VARIANT_BOOL* lessThan) = 0;
    [[nodiscard]] virtual HRESULT get_IsUsed(VARIANT_BOOL* used) = 0;
};
NOX_INTERFACE_TRAITS(IVxKMCActiveSite);

// A site that must hold a given species (or be vacant) for the process to happen, unchanged by it.
struct IVxKMCBlockingSite : IDispatch {
    [[nodiscard]] virtual HRESULT SetSiteDetails(IVxKMCSiteSpecification* spec, BSTR sourcePattern) = 0;
    [[nodiscard]] virtual HRESULT get_SiteSpecification(IVxKMCSiteSpecification** spec) = 0;
    [[nodiscard]] virtual HRESULT get_SourcePattern(BSTR* pattern) = 0;
    [[nodiscard]] virtual HRESULT put_SourcePattern(BSTR pattern) = 0;
};
NOX_INTERFACE_TRAITS(IVxKMCBlockingSite);

// One elementary process: its type, identifier, rate specification and sites.
struct IVxKMCProcess : IDispatch {
    [[nodiscard]] virtual HRESULT Initialise(vxKMCProcessType type) = 0;
    [[nodiscard]] virtual HRESULT InitialiseFromString(BSTR type) = 0;
    [[nodiscard]] virtual HRESULT put_Enabled(VARIANT_BOOL enabled) = 0;
    [[nodiscard]] virtual HRESULT get_Enabled(VARIANT_BOOL* enabled) = 0;
    [[nodiscard]] virtual HRESULT get_Type(vxKMCProcessType* type) = 0;
    [[nodiscard]] virtual HRESULT get_TypeAsString(BSTR* type) = 0;
    [[nodiscard]] virtual HRESULT put_IsAssociative(VARIANT_BOOL associative) = 0;
    [[nodiscard]] virtual HRESULT get_IsAssociative(VARIANT_BOOL* associative) = 0;
    [[nodiscard]] virtual HRESULT put_Identifier(BSTR identifier) = 0;
    [[nodiscard]] virtual HRESULT get_Identifier(BSTR* identifier) = 0;
    [[nodiscard]] virtual HRESULT put_Description(BSTR description) = 0;
    [[nodiscard]] virtual HRESULT get_Description(BSTR* description) = 0;
    [[nodiscard]] virtual HRESULT put_SpecificationType(vxKMCRateSpecificationType type) = 0;
    [[nodiscard]] virtual HRESULT get_SpecificationType(vxKMCRateSpecificationType* type) = 0;
    [[nodiscard]] virtual HRESULT get_SpecificationTypeAsString(BSTR* type) = 0;
    [[nodiscard]] virtual HRESULT put_Prefactor(BSTR value) = 0;
    [[nodiscard]] virtual HRESULT get_Prefactor(BSTR* value) = 0;
    [[nodiscard]] virtual HRESULT put_PrefactorFromGUI(BSTR value) = 0;
    [[nodiscard]] virtual HRESULT get_PrefactorForGUI(BSTR* value) = 0;
    [[nodiscard]] virtual HRESULT put_PressureFactor(BSTR value) = 0;
    [[nodiscard]] virtual HRESULT get_PressureFactor(BSTR* value) = 0;
    [[nodiscard]] virtual HRESULT put_PressureFactorFromGUI(BSTR value) = 0;
    [[nodiscard]] virtual HRESULT get_PressureFactorForGUI(BSTR* value) = 0;
    [[nodiscard]] virtual HRESULT get_HasPressureFactor(VARIANT_BOOL* has) = 0;
    [[nodiscard]] virtual HRESULT put_ActivationEnergy(BSTR value) = 0;
    [[nodiscard]] virtual HRESULT get_ActivationEnergy(BSTR* value) = 0;
    [[nodiscard]] virtual HRESULT put_ActivationEnergyFromGUI(BSTR value) = 0;
    [[nodiscard]] virtual HRESULT get_ActivationEnergyForGUI(BSTR* value) = 0;
    [[nodiscard]] virtual HRESULT put_PotentialFactor(BSTR value) = 0;
    [[nodiscard]] virtual HRESULT get_PotentialFactor(BSTR* value) = 0;
    [[nodiscard]] virtual HRESULT put_PotentialFactorFromGUI(BSTR value) = 0;
    [[nodiscard]] virtual HRESULT get_PotentialFactorForGUI(BSTR* value) = 0;
    [[nodiscard]] virtual HRESULT get_HasPotentialFactor(VARIANT_BOOL* has) = 0;
    [[nodiscard]] virtual HRESULT put_UseInteractions(VARIANT_BOOL use) = 0;
    [[nodiscard]] virtual HRESULT get_UseInteractions(VARIANT_BOOL* use) = 0;
    [[nodiscard]] virtual HRESULT put_BronstedPolanyi(double factor) = 0;
    [[nodiscard]] virtual HRESULT get_BronstedPolanyi(double* factor) = 0;
    [[nodiscard]] virtual HRESULT put_InteractionCutoff(double cutoff) = 0;
    [[nodiscard]] virtual HRESULT get_InteractionCutoff(double* cutoff) = 0;
    [[nodiscard]] virtual HRESULT put_Rate(BSTR value) = 0;
    [[nodiscard]] virtual HRESULT get_Rate(BSTR* value) = 0;
    [[nodiscard]] virtual HRESULT put_RateFromGUI(BSTR value) = 0;
    [[nodiscard]] virtual HRESULT get_RateForGUI(BSTR* value) = 0;
    [[nodiscard]] virtual HRESULT put_Priority(LONG priority) = 0;
    [[nodiscard]] virtual HRESULT get_Priority(LONG* priority) = 0;
    [[nodiscard]] virtual HRESULT get_NumberActiveSites(LONG* count) = 0;
    [[nodiscard]] virtual HRESULT get_ActiveSite(LONG index, IVxKMCActiveSite** site) = 0;
    [[nodiscard]] virtual HRESULT AddActiveSite(vxKMCActiveSiteType type, IVxKMCActiveSite** site) = 0;
    [[nodiscard]] virtual HRESULT RemoveActiveSite(LONG index) = 0;
    [[nodiscard]] virtual HRESULT get_NumberBlockingSites(LONG* count) = 0;
    [[nodiscard]] virtual HRESULT get_BlockingSite(LONG index, IVxKMCBlockingSite** site) = 0;
    [[nodiscard]] virtual HRESULT AddBlockingSite(IVxKMCBlockingSite** site) = 0;
    [[nodiscard]] virtual HRESULT RemoveBlockingSite(LONG index) = 0;
    [[nodiscard]] virtual HRESULT get_DistanceToActiveSite(IVxKMCSiteSpecification* spec, double* distance) = 0;
    [[nodiscard]] virtual HRESULT get_NumberSymmetryImages(LONG* count) = 0;
    [[nodiscard]] virtual HRESULT get_DistinctSymmetryIndices(SAFEARRAY** indices) = 0;
    [[nodiscard]] virtual HRESULT get_HighestSiteIndex(LONG* index) = 0;
    [[nodiscard]] virtual HRESULT get_IsSpeciesUsed(BSTR name, VARIANT_BOOL* used) = 0;
    [[nodiscard]] virtual HRESULT get_IsValid(LONG processNumber, BSTR* message, VARIANT_BOOL* valid) = 0;
    [[nodiscard]] virtual HRESULT get_IsSiteUsed(BSTR address, vxKMCSiteType kind, VARIANT_BOOL* used) = 0;
    [[nodiscard]] virtual HRESULT get_IsSiteValid(BSTR address, vxKMCSiteType kind, LONG index, BSTR* message,
                                                  VARIANT_BOOL* valid) = 0;
    [[nodiscard]] virtual HRESULT get_IsBlockingSpecificationValid(BSTR address, BSTR species, LONG index,
                                                                   BSTR* message, VARIANT_BOOL* valid) = 0;
    [[nodiscard]] virtual HRESULT put_ChargeTransfer(LONG charge) = 0;
    [[nodiscard]] virtual HRESULT get_ChargeTransfer(LONG* charge) = 0;
};
NOX_INTERFACE_TRAITS(IVxKMCProcess);

// The processes of one document in order (0-based positions), with the verdicts on the model.
struct IVxKMCProcessList : IDispatch {
    [[nodiscard]] virtual HRESULT CreateProcess(BSTR definition, IVxKMCProcess** process) = 0;
    [[nodiscard]] virtual HRESULT get_Count(LONG* count) = 0;
    [[nodiscard]] virtual HRESULT get_Item(LONG index, IVxKMCProcess** process) = 0;
    [[nodiscard]] virtual HRESULT get_HighestPriority(LONG* priority) = 0;
    [[nodiscard]] virtual HRESULT ClearProcessList() = 0;
    [[nodiscard]] virtual HRESULT get_AreProcessesUnique(BSTR* message, VARIANT_BOOL* unique) = 0;
    [[nodiscard]] virtual HRESULT RemoveProcess(LONG index) = 0;
    [[nodiscard]] virtual HRESULT get_HighestSiteIndex(LONG* index) = 0;
    [[nodiscard]] virtual HRESULT get_IsSpeciesUsed(BSTR name, VARIANT_BOOL* used) = 0;
    [[nodiscard]] virtual HRESULT get_AreProcessesValid(BSTR* message, VARIANT_BOOL* valid) = 0;
    [[nodiscard]] virtual HRESULT get_AreProcessChargesConsistent(BSTR* message, VARIANT_BOOL* consistent) = 0;
};
NOX_INTERFACE_TRAITS(IVxKMCProcessList);

inline const nox::typelib::InterfaceDesc& DescribeInterface(IVxKMCActiveSite*) {
    static const auto desc = nox::typelib::Describe<IVxKMCActiveSite>({
        NOX_MEMBER(IVxKMCActiveSite, SetSiteDetails, "type, spec, sourcePattern, resultPattern"),
        NOX_MEMBER(IVxKMCActiveSite, get_Type, "type"),
        NOX_MEMBER(IVxKMCActiveSite, get_SiteSpecification, "spec"),
        NOX_MEMBER(IVxKMCActiveSite, get_SourcePattern, "pattern"),
        NOX_MEMBER(IVxKMCActiveSite, put_SourcePattern, "pattern"),
        NOX_MEMBER(IVxKMCActiveSite, get_SourceSpecies, "species"),
        NOX_MEMBER(IVxKMCActiveSite, get_ResultPattern, "pattern"),
        NOX_MEMBER(IVxKMCActiveSite, put_ResultPattern, "pattern"),
        NOX_MEMBER(IVxKMCActiveSite, get_ResultSpecies, "species"),
        NOX_MEMBER(IVxKMCActiveSite, Transform, "operatorIndex, image"),
        NOX_MEMBER(IVxKMCActiveSite, Translate, "di, dj, translated"),
        NOX_MEMBER(IVxKMCActiveSite, get_IsEquivalent, "other, equivalent"),
        NOX_MEMBER(IVxKMCActiveSite, get_IsLessThan, "other, lessThan"),
        NOX_MEMBER(IVxKMCActiveSite, get_IsUsed, "used"),
    });
    return desc;
}

inline const nox::typelib::InterfaceDesc& DescribeInterface(IVxKMCBlockingSite*) {
    static const auto desc = nox::typelib::Describe<IVxKMCBlockingSite>({
        NOX_MEMBER(IVxKMCBlockingSite, SetSiteDetails, "spec, sourcePattern"),
        NOX_MEMBER(IVxKMCBlockingSite, get_SiteSpecification, "spec"),
        NOX_MEMBER(IVxKMCBlockingSite, get_SourcePattern, "pattern"),
        NOX_MEMBER(IVxKMCBlockingSite, put_SourcePattern, "pattern"),
    });
    return desc;
}

inline const nox::typelib::InterfaceDesc& DescribeInterface(IVxKMCProcess*) {
    static const auto desc = nox::typelib::Describe<IVxKMCProcess>({
        NOX_MEMBER(IVxKMCProcess, Initialise, "type"),
        NOX_MEMBER(IVxKMCProcess, InitialiseFromString, "type"),
        NOX_MEMBER(IVxKMCProcess, put_Enabled, "enabled"),
        NOX_MEMBER(IVxKMCProcess, get_Enabled, "enabled"),
        NOX_MEMBER(IVxKMCProcess, get_Type, "type"),
        NOX_MEMBER(IVxKMCProcess, get_TypeAsString, "type"),
        NOX_MEMBER(IVxKMCProcess, put_IsAssociative, "associative"),
        NOX_MEMBER(IVxKMCProcess, get_IsAssociative, "associative"),
        NOX_MEMBER(IVxKMCProcess, put_Identifier, "identifier"),
        NOX_MEMBER(IVxKMCProcess, get_Identifier, "identifier"),
        NOX_MEMBER(IVxKMCProcess, put_Description, "description"),
        NOX_MEMBER(IVxKMCProcess, get_Description, "description"),
        NOX_MEMBER(IVxKMCProcess, put_SpecificationType, "type"),
        NOX_MEMBER(IVxKMCProcess, get_SpecificationType, "type"),
        NOX_MEMBER(IVxKMCProcess, get_SpecificationTypeAsString, "type"),
        NOX_MEMBER(IVxKMCProcess, put_Prefactor, "value"),
        NOX_MEMBER(IVxKMCProcess, get_Prefactor, "value"),
        NOX_MEMBER(IVxKMCProcess, put_PrefactorFromGUI, "value"),
        NOX_MEMBER(IVxKMCProcess, get_PrefactorForGUI, "value"),
        NOX_MEMBER(IVxKMCProcess, put_PressureFactor, "value"),
        NOX_MEMBER(IVxKMCProcess, get_PressureFactor, "value"),
        NOX_MEMBER(IVxKMCProcess, put_PressureFactorFromGUI, "value"),
        NOX_MEMBER(IVxKMCProcess, get_PressureFactorForGUI, "value"),
        NOX_MEMBER(IVxKMCProcess, get_HasPressureFactor, "has"),
        NOX_MEMBER(IVxKMCProcess, put_ActivationEnergy, "value"),
        NOX_MEMBER(IVxKMCProcess, get_ActivationEnergy, "value"),
        NOX_MEMBER(IVxKMCProcess, put_ActivationEnergyFromGUI, "value"),
        NOX_MEMBER(IVxKMCProcess, get_ActivationEnergyForGUI, "value"),
        NOX_MEMBER(IVxKMCProcess, put_PotentialFactor, "value"),
        NOX_MEMBER(IVxKMCProcess, get_PotentialFactor, "value"),
        NOX_MEMBER(IVxKMCProcess, put_PotentialFactorFromGUI, "value"),
        NOX_MEMBER(IVxKMCProcess, get_PotentialFactorForGUI, "value"),
        NOX_MEMBER(IVxKMCProcess, get_HasPotentialFactor, "has"),
        NOX_MEMBER(IVxKMCProcess, put_UseInteractions, "use"),
        NOX_MEMBER(IVxKMCProcess, get_UseInteractions, "use"),
        NOX_MEMBER(IVxKMCProcess, put_BronstedPolanyi, "factor"),
        NOX_MEMBER(IVxKMCProcess, get_BronstedPolanyi, "factor"),
        NOX_MEMBER(IVxKMCProcess, put_InteractionCutoff, "cutoff"),
        NOX_MEMBER(IVxKMCProcess, get_InteractionCutoff, "cutoff"),
        NOX_MEMBER(IVxKMCProcess, put_Rate, "value"),
        NOX_MEMBER(IVxKMCProcess, get_Rate, "value"),
        NOX_MEMBER(IVxKMCProcess, put_RateFromGUI, "value"),
        NOX_MEMBER(IVxKMCProcess, get_RateForGUI, "value"),
        NOX_MEMBER(IVxKMCProcess, put_Priority, "priority"),
        NOX_MEMBER(IVxKMCProcess, get_Priority, "priority"),
        NOX_MEMBER(IVxKMCProcess, get_NumberActiveSites, "count"),
        NOX_MEMBER(IVxKMCProcess, get_ActiveSite, "index, site"),
        NOX_MEMBER(IVxKMCProcess, AddActiveSite, "type, site"),
        NOX_MEMBER(IVxKMCProcess, RemoveActiveSite, "index"),
        NOX_MEMBER(IVxKMCProcess, get_NumberBlockingSites, "count"),
        NOX_MEMBER(IVxKMCProcess, get_BlockingSite, "index, site"),
        NOX_MEMBER(IVxKMCProcess, AddBlockingSite, "site"),
        NOX_MEMBER(IVxKMCProcess, RemoveBlockingSite, "index"),
        NOX_MEMBER(IVxKMCProcess, get_DistanceToActiveSite, "spec, distance"),
        NOX_MEMBER(IVxKMCProcess, get_NumberSymmetryImages, "count"),
        NOX_MEMBER(IVxKMCProcess, get_DistinctSymmetryIndices, "indices"),
        NOX_MEMBER(IVxKMCProcess, get_HighestSiteIndex, "index"),
        NOX_MEMBER(IVxKMCProcess, get_IsSpeciesUsed, "name, used"),
        NOX_MEMBER(IVxKMCProcess, get_IsValid, "processNumber, message, valid"),
        NOX_MEMBER(IVxKMCProcess, get_IsSiteUsed, "address, kind, used"),
        NOX_MEMBER(IVxKMCProcess, get_IsSiteValid, "address, kind, index, message, valid"),
        NOX_MEMBER(IVxKMCProcess, get_IsBlockingSpecificationValid, "address, species, index, message, valid"),
        NOX_MEMBER(IVxKMCProcess, put_ChargeTransfer, "charge"),
        NOX_MEMBER(IVxKMCProcess, get_ChargeTransfer, "charge"),
    });
    return desc;
}

inline const nox::typelib::InterfaceDesc& DescribeInterface(IVxKMCProcessList*) {
    static const auto desc = nox::typelib::Describe<IVxKMCProcessList>({
        NOX_MEMBER(IVxKMCProcessList, CreateProcess, "definition, process"),
        NOX_MEMBER(IVxKMCProcessList, get_Count, "count"),
        NOX_MEMBER(IVxKMCProcessList, get_Item, "index, process"),
        NOX_MEMBER(IVxKMCProcessList, get_HighestPriority, "priority"),
        NOX_MEMBER(IVxKMCProcessList, ClearProcessList, ""),
        NOX_MEMBER(IVxKMCProcessList, get_AreProcessesUnique, "message, unique"),
        NOX_MEMBER(IVxKMCProcessList, RemoveProcess, "index"),
        NOX_MEMBER(IVxKMCProcessList, get_HighestSiteIndex, "index"),
        NOX_MEMBER(IVxKMCProcessList, get_IsSpeciesUsed, "name, used"),
        NOX_MEMBER(IVxKMCProcessList, get_AreProcessesValid, "message, valid"),
        NOX_MEMBER(IVxKMCProcessList, get_AreProcessChargesConsistent, "message, consistent"),
    });
    return desc;
}
