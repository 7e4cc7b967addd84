// The lateral interactions of a document: one pair of sites with its energy value, the
// interaction between two adsorbate species with the pairs generated within its cutoffs, and
// the ordered interaction list with the settings for the next new interaction.
#pragma once

#include "typelib/members.h"
#include "vxostrel/ids.h"
#include "vxostrel/lattice.h"
#include "vxostrel/species.h"

// One ordered pair of sites (the active site and the interacting site) and the interaction
// value that applies to it.
struct IVxKMCInteractionDetail : IDispatch {
    [[nodiscard]] virtual HRESULT Initialise(IVxKMCSiteSpecification* active,
                                             IVxKMCSiteSpecification* interacting) = 0;
    [[nodiscard]] virtual HRESULT get_ActiveSiteSpecification(IVxKMCSiteSpecification** spec) = 0;
    [[nodiscard]] virtual HRESULT get_InteractingSiteSpecification(IVxKMCSiteSpecification** spec) = 0;
    [[nodiscard]] virtual HRESULT get_SiteSpecification(LONG index, IVxKMCSiteSpecification** spec) = 0;
    [[nodiscard]] virtual HRESULT get_Interaction(BSTR* value) = 0;
    [[nodiscard]] virtual HRESULT put_Interaction(BSTR value) = 0;
    [[nodiscard]] virtual HRESULT get_InteractionForGUI(BSTR* value) = 0;
    [[nodiscard]] virtual HRESULT put_InteractionFromGUI(BSTR value) = 0;
    [[nodiscard]] virtual HRESULT get_InteractionDistance(double* distance) = 0;
};
NOX_INTERFACE_TRAITS(IVxKMCInteractionDetail);

// The interaction between an active and an interacting adsorbate species over the pair
// distances [minimum cutoff, maximum cutoff); its details are grouped into symmetry classes.
struct IVxKMCInteraction : IDispatch {
    [[nodiscard]] virtual HRESULT Initialise(IVxKMCSpecies* active, IVxKMCSpecies* interacting,
                                             double minimumCutoff, double maximumCutoff) = 0;
    [[nodiscard]] virtual HRESULT put_Enabled(VARIANT_BOOL enabled) = 0;
    [[nodiscard]] virtual HRESULT get_Enabled(VARIANT_BOOL* enabled) = 0;
    [[nodiscard]] virtual HRESULT get_ActiveSpecies(IVxKMCSpecies** species) = 0;
    [[nodiscard]] virtual HRESULT get_InteractingSpecies(IVxKMCSpecies** species) = 0;
    [[nodiscard]] virtual HRESULT get_MinimumCutoff(double* cutoff) = 0;
    [[nodiscard]] virtual HRESULT get_MaximumCutoff(double* cutoff) = 0;
    [[nodiscard]] virtual HRESULT get_NumberDetails(LONG* count) = 0;
    [[nodiscard]] virtual HRESULT get_InteractionDetail(LONG index, IVxKMCInteractionDetail** detail) = 0;
    [[nodiscard]] virtual HRESULT AddInteractionDetail(IVxKMCInteractionDetail** detail) = 0;
    [[nodiscard]] virtual HRESULT RemoveInteractionDetail(LONG index) = 0;
    [[nodiscard]] virtual HRESULT get_HighestSiteIndex(LONG* index) = 0;
    [[nodiscard]] virtual HRESULT get_IsSpeciesUsed(BSTR name, VARIANT_BOOL* used) = 0;
};
NOX_INTERFACE_TRAITS(IVxKMCInteraction);

// The interactions of one document in order (0-based positions), the settings the next new
// interaction is made from, and the verdicts on them.
struct IVxKMCInteractionList : IDispatch {
    [[nodiscard]] virtual HRESULT CreateInteraction(IVxKMCInteraction** interaction) = 0;
    [[nodiscard]] virtual HRESULT get_Count(LONG* count) = 0;
    [[nodiscard]] virtual HRESULT get_Item(LONG index, IVxKMCInteraction** interaction) = 0;
    [[nodiscard]] virtual HRESULT get_ItemBySpecies(IVxKMCSpecies* first, IVxKMCSpecies* second,
                                                    IVxKMCInteraction** interaction) = 0;
    [[nodiscard]] virtual HRESULT ClearInteractionList() = 0;
    [[nodiscard]] virtual HRESULT put_NewInteractionActiveSpecies(BSTR name) = 0;
    [[nodiscard]] virtual HRESULT get_NewInteractionActiveSpecies(BSTR* name) = 0;
    [[nodiscard]] virtual HRESULT put_NewInteractionInteractingSpecies(BSTR name) = 0;
    [[nodiscard]] virtual HRESULT get_NewInteractionInteractingSpecies(BSTR* name) = 0;
    [[nodiscard]] virtual HRESULT put_NewInteractionCutoff(double cutoff) = 0;
    [[nodiscard]] virtual HRESULT get_NewInteractionCutoff(double* cutoff) = 0;
    [[nodiscard]] virtual HRESULT get_IsCutoffValid(VARIANT_BOOL* valid) = 0;
    [[nodiscard]] virtual HRESULT RemoveInteraction(LONG index) = 0;
    [[nodiscard]] virtual HRESULT get_HighestSiteIndex(LONG* index) = 0;
    [[nodiscard]] virtual HRESULT get_IsSpeciesUsed(BSTR name, VARIANT_BOOL* used) = 0;
    [[nodiscard]] virtual HRESULT get_AreInteractionsUnique(BSTR* message, VARIANT_BOOL* unique) = 0;
};
NOX_INTERFACE_TRAITS(IVxKMCInteractionList);

inline const nox::typelib::InterfaceDesc& DescribeInterface(IVxKMCInteractionDetail*) {
    static const auto desc = nox::typelib::Describe<IVxKMCInteractionDetail>({
        NOX_MEMBER(IVxKMCInteractionDetail, Initialise, "active, interacting"),
        NOX_MEMBER(IVxKMCInteractionDetail, get_ActiveSiteSpecification, "spec"),
        NOX_MEMBER(IVxKMCInteractionDetail, get_InteractingSiteSpecification, "spec"),
        NOX_MEMBER(IVxKMCInteractionDetail, get_SiteSpecification, "index, spec"),
        NOX_MEMBER(IVxKMCInteractionDetail, get_Interaction, "value"),
        NOX_MEMBER(IVxKMCInteractionDetail, put_Interaction, "value"),
        NOX_MEMBER(IVxKMCInteractionDetail, get_InteractionForGUI, "value"),
        NOX_MEMBER(IVxKMCInteractionDetail, put_InteractionFromGUI, "value"),
        NOX_MEMBER(IVxKMCInteractionDetail, get_InteractionDistance, "distance"),
    });
    return desc;
}

inline const nox::typelib::InterfaceDesc& DescribeInterface(IVxKMCInteraction*) {
    static const auto desc = nox::typelib::Describe<IVxKMCInteraction>({
        NOX_MEMBER(IVxKMCInteraction, Initialise, "active, interacting, minimumCutoff, maximumCutoff"),
        NOX_MEMBER(IVxKMCInteraction, put_Enabled, "enabled"),
        NOX_MEMBER(IVxKMCInteraction, get_Enabled, "enabled"),
        NOX_MEMBER(IVxKMCInteraction, get_ActiveSpecies, "species"),
        NOX_MEMBER(IVxKMCInteraction, get_InteractingSpecies, "species"),
        NOX_MEMBER(IVxKMCInteraction, get_MinimumCutoff, "cutoff"),
        NOX_MEMBER(IVxKMCInteraction, get_MaximumCutoff, "cutoff"),
        NOX_MEMBER(IVxKMCInteraction, get_NumberDetails, "count"),
        NOX_MEMBER(IVxKMCInteraction, get_InteractionDetail, "index, detail"),
        NOX_MEMBER(IVxKMCInteraction, AddInteractionDetail, "detail"),
        NOX_MEMBER(IVxKMCInteraction, RemoveInteractionDetail, "index"),
        NOX_MEMBER(IVxKMCInteraction, get_HighestSiteIndex, "index"),
        NOX_MEMBER(IVxKMCInteraction, get_IsSpeciesUsed, "name, used"),
    });
    return desc;
}

inline const nox::typelib::InterfaceDesc& DescribeInterface(IVxKMCInteractionList*) {
    static const auto desc = nox::typelib::Describe<IVxKMCInteractionList>({
        NOX_MEMBER(IVxKMCInteractionList, CreateInteraction, "interaction"),
        NOX_MEMBER(IVxKMCInteractionList, get_Count, "count"),
        NOX_MEMBER(IVxKMCInteractionList, get_Item, "index, interaction"),
        NOX_MEMBER(IVxKMCInteractionList, get_ItemBySpecies, "first, second, interaction"),
        NOX_MEMBER(IVxKMCInteractionList, ClearInteractionList, ""),
        NOX_MEMBER(IVxKMCInteractionList, put_NewInteractionActiveSpecies, "name"),
        NOX_MEMBER(IVxKMCInteractionList, get_NewInteractionActiveSpecies, "name"),
        NOX_MEMBER(IVxKMCInteractionList, put_NewInteractionInteractingSpecies, "name"),
        NOX_MEMBER(IVxKMCInteractionList, get_NewInteractionInteractingSpecies, "name"),
        NOX_MEMBER(IVxKMCInteractionList, put_NewInteractionCutoff, "cutoff"),
        NOX_MEMBER(IVxKMCInteractionList, get_NewInteractionCutoff, "cutoff"),
        NOX_MEMBER(IVxKMCInteractionList, get_IsCutoffValid, "valid"),
        NOX_MEMBER(IVxKMCInteractionList, RemoveInteraction, "index"),
        NOX_MEMBER(IVxKMCInteractionList, get_HighestSiteIndex, "index"),
        NOX_MEMBER(IVxKMCInteractionList, get_IsSpeciesUsed, "name, used"),
        NOX_MEMBER(IVxKMCInteractionList, get_AreInteractionsUnique, "message, unique"),
    });
    return desc;
}
