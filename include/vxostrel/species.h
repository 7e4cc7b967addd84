// The automation interfaces of a species and of the species list.
#pragma once

#include "typelib/members.h"
#include "vxostrel/ids.h"

// One chemical species of a document. Colours cross automation as their low 24 bits.
struct IVxKMCSpecies : IDispatch {
    [[nodiscard]] virtual HRESULT get_Name(BSTR* name) = 0;
    [[nodiscard]] virtual HRESULT get_Radius(double* radius) = 0;
    [[nodiscard]] virtual HRESULT put_Radius(double radius) = 0;
    [[nodiscard]] virtual HRESULT get_Color(LONG* color) = 0;
    [[nodiscard]] virtual HRESULT put_Color(LONG color) = 0;
    [[nodiscard]] virtual HRESULT put_RawColor(LONG color) = 0;
    [[nodiscard]] virtual HRESULT get_Charge(LONG* charge) = 0;
    [[nodiscard]] virtual HRESULT put_Charge(LONG charge) = 0;
    [[nodiscard]] virtual HRESULT get_Category(BSTR* category) = 0;
    [[nodiscard]] virtual HRESULT put_Category(BSTR category) = 0;
    [[nodiscard]] virtual HRESULT Delete() = 0;
    [[nodiscard]] virtual HRESULT Clone(IVxKMCSpecies* source) = 0;
};
NOX_INTERFACE_TRAITS(IVxKMCSpecies);

// The species of one document, the vacancy symbol and the default enabling species.
struct IVxKMCSpeciesList : IDispatch {
    [[nodiscard]] virtual HRESULT CreateSpecies(BSTR name, IVxKMCSpecies** species) = 0;
    [[nodiscard]] virtual HRESULT get_Count(LONG* count) = 0;
    [[nodiscard]] virtual HRESULT get_Item(LONG index, IVxKMCSpecies** species) = 0;
    [[nodiscard]] virtual HRESULT get_ItemByName(BSTR name, IVxKMCSpecies** species) = 0;
    [[nodiscard]] virtual HRESULT get_SpeciesExists(BSTR name, VARIANT_BOOL* exists) = 0;
    [[nodiscard]] virtual HRESULT ClearSpeciesList() = 0;
    [[nodiscard]] virtual HRESULT put_VacancySymbol(BSTR symbol) = 0;
    [[nodiscard]] virtual HRESULT get_VacancySymbol(BSTR* symbol) = 0;
    [[nodiscard]] virtual HRESULT get_VacancyColor(LONG* color) = 0;
    [[nodiscard]] virtual HRESULT put_VacancyColor(LONG color) = 0;
    [[nodiscard]] virtual HRESULT put_RawVacancyColor(LONG color) = 0;
    [[nodiscard]] virtual HRESULT put_EnablingSpecies(BSTR name) = 0;
    [[nodiscard]] virtual HRESULT get_EnablingSpecies(BSTR* name) = 0;
    [[nodiscard]] virtual HRESULT Clone(IVxKMCSpeciesList* source) = 0;
    [[nodiscard]] virtual HRESULT IsConsistent(IVxKMCSpeciesList* other, VARIANT_BOOL* consistent, BSTR* message) = 0;
    [[nodiscard]] virtual HRESULT get_CanRemoveSpecies(BSTR name, VARIANT_BOOL* canRemove) = 0;
    [[nodiscard]] virtual HRESULT RemoveSpecies(BSTR name) = 0;
};
NOX_INTERFACE_TRAITS(IVxKMCSpeciesList);

inline const nox::typelib::InterfaceDesc& DescribeInterface(IVxKMCSpecies*) {
    static const auto desc = nox::typelib::Describe<IVxKMCSpecies>({
        NOX_MEMBER(IVxKMCSpecies, get_Name, "name"),
        NOX_MEMBER(IVxKMCSpecies, get_Radius, "radius"),
        NOX_MEMBER(IVxKMCSpecies, put_Radius, "radius"),
        NOX_MEMBER(IVxKMCSpecies, get_Color, "color"),
        NOX_MEMBER(IVxKMCSpecies, put_Color, "color"),
        NOX_MEMBER(IVxKMCSpecies, put_RawColor, "color"),
        NOX_MEMBER(IVxKMCSpecies, get_Charge, "charge"),
        NOX_MEMBER(IVxKMCSpecies, put_Charge, "charge"),
        NOX_MEMBER(IVxKMCSpecies, get_Category, "category"),
        NOX_MEMBER(IVxKMCSpecies, put_Category, "category"),
        NOX_MEMBER(IVxKMCSpecies, Delete, ""),
        NOX_MEMBER(IVxKMCSpecies, Clone, "source"),
    });
    return desc;
}

inline const nox::typelib::InterfaceDesc& DescribeInterface(IVxKMCSpeciesList*) {
    static const auto desc = nox::typelib::Describe<IVxKMCSpeciesList>({
        NOX_MEMBER(IVxKMCSpeciesList, CreateSpecies, "name, species"),
        NOX_MEMBER(IVxKMCSpeciesList, get_Count, "count"),
        NOX_MEMBER(IVxKMCSpeciesList, get_Item, "index, species"),
        NOX_MEMBER(IVxKMCSpeciesList, get_ItemByName, "name, species"),
        NOX_MEMBER(IVxKMCSpeciesList, get_SpeciesExists, "name, exists"),
        NOX_MEMBER(IVxKMCSpeciesList, ClearSpeciesList, ""),
        NOX_MEMBER(IVxKMCSpeciesList, put_VacancySymbol, "symbol"),
        NOX_MEMBER(IVxKMCSpeciesList, get_VacancySymbol, "symbol"),
        NOX_MEMBER(IVxKMCSpeciesList, get_VacancyColor, "color"),
        NOX_MEMBER(IVxKMCSpeciesList, put_VacancyColor, "color"),
        NOX_MEMBER(IVxKMCSpeciesList, put_RawVacancyColor, "color"),
        NOX_MEMBER(IVxKMCSpeciesList, put_EnablingSpecies, "name"),
        NOX_MEMBER(IVxKMCSpeciesList, get_EnablingSpecies, "name"),
        NOX_MEMBER(IVxKMCSpeciesList, Clone, "source"),
        NOX_MEMBER(IVxKMCSpeciesList, IsConsistent, "other, consistent, message"),
        NOX_MEMBER(IVxKMCSpeciesList, get_CanRemoveSpecies, "name, canRemove"),
        NOX_MEMBER(IVxKMCSpeciesList, RemoveSpecies, "name"),
    });
    return desc;
}
