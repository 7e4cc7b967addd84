// The lattice and its sites: the periodic two-dimensional lattice with its plane-group symmetry,
// the sites of its unit cell, the site list that expands new sites into symmetry orbits, and the
// address of one lattice site relative to a reference cell.
#pragma once

#include "typelib/members.h"
#include "vxostrel/ids.h"

// One site of the unit cell, in fractional coordinates, with its category ("Adsorption site",
// "Substrate site" or "Label"), its geometric type and the label it shares with its orbit.
struct IVxKMCLatticeSite : IDispatch {
    [[nodiscard]] virtual HRESULT get_Category(BSTR* category) = 0;
    [[nodiscard]] virtual HRESULT get_Type(BSTR* type) = 0;
    [[nodiscard]] virtual HRESULT get_XPosition(double* x) = 0;
    [[nodiscard]] virtual HRESULT get_YPosition(double* y) = 0;
    [[nodiscard]] virtual HRESULT put_Label(LONG label) = 0;
    [[nodiscard]] virtual HRESULT get_Label(LONG* label) = 0;
    [[nodiscard]] virtual HRESULT Delete() = 0;
};
NOX_INTERFACE_TRAITS(IVxKMCLatticeSite);

// The sites of the unit cell; indices are 0-based.
struct IVxKMCLatticeSiteList : IDispatch {
    [[nodiscard]] virtual HRESULT CreateLatticeSite(BSTR category, BSTR siteType, double x, double y, LONG colour,
                                      IVxKMCLatticeSite** site) = 0;
    [[nodiscard]] virtual HRESULT CreateLatticeSite2(BSTR category, BSTR siteType, double x, double y, LONG colour,
                                       LONG label, IVxKMCLatticeSite** site) = 0;
    [[nodiscard]] virtual HRESULT get_Count(LONG* count) = 0;
    [[nodiscard]] virtual HRESULT get_Item(LONG index, IVxKMCLatticeSite** site) = 0;
    [[nodiscard]] virtual HRESULT ClearLatticeSiteList() = 0;
    [[nodiscard]] virtual HRESULT Clone(IVxKMCLatticeSiteList* source) = 0;
    [[nodiscard]] virtual HRESULT IsConsistent(IVxKMCLatticeSiteList* other, VARIANT_BOOL* consistent, BSTR* message) = 0;
    [[nodiscard]] virtual HRESULT get_CanDeleteSite(LONG index, BSTR* message, VARIANT_BOOL* canDelete) = 0;
    [[nodiscard]] virtual HRESULT get_CountRelatedSites(LONG index, LONG* count) = 0;
    [[nodiscard]] virtual HRESULT DeleteSite(LONG index) = 0;
};
NOX_INTERFACE_TRAITS(IVxKMCLatticeSiteList);

// The lattice of a document; read-only through automation (the host sets it up).
struct IVxKMCLattice : IDispatch {
    [[nodiscard]] virtual HRESULT get_LatticeSiteList(IVxKMCLatticeSiteList** list) = 0;
    [[nodiscard]] virtual HRESULT get_LatticeType(BSTR* type) = 0;
    [[nodiscard]] virtual HRESULT get_SymmetryGroup(BSTR* group) = 0;
    [[nodiscard]] virtual HRESULT get_LengthU(double* u) = 0;
    [[nodiscard]] virtual HRESULT get_LengthV(double* v) = 0;
    [[nodiscard]] virtual HRESULT get_AngleTheta(double* theta) = 0;
    [[nodiscard]] virtual HRESULT IsConsistent(IVxKMCLattice* other, VARIANT_BOOL* consistent, BSTR* message) = 0;
    [[nodiscard]] virtual HRESULT get_OperatorCount(LONG* count) = 0;
    [[nodiscard]] virtual HRESULT get_CellArea(double* area) = 0;
};
NOX_INTERFACE_TRAITS(IVxKMCLattice);

// The address ( i , j / n ) of a lattice site: whole cell offsets i, j and the 1-based site
// number n in the lattice site list.
struct IVxKMCSiteSpecification : IDispatch {
    [[nodiscard]] virtual HRESULT SetSiteDetails(LONG i, LONG j, LONG n) = 0;
    [[nodiscard]] virtual HRESULT GetSiteDetails(LONG* i, LONG* j, LONG* n) = 0;
    [[nodiscard]] virtual HRESULT put_SiteDetailsAsString(BSTR text) = 0;
    [[nodiscard]] virtual HRESULT get_SiteDetailsAsString(BSTR* text) = 0;
    [[nodiscard]] virtual HRESULT Transform(LONG operatorIndex, IVxKMCSiteSpecification** image) = 0;
    [[nodiscard]] virtual HRESULT Translate(LONG di, LONG dj, IVxKMCSiteSpecification** translated) = 0;
    [[nodiscard]] virtual HRESULT get_Distance(IVxKMCSiteSpecification* other, double* distance) = 0;
    [[nodiscard]] virtual HRESULT FractionalCoordinate(double* x, double* y) = 0;
    [[nodiscard]] virtual HRESULT get_IsEquivalent(BSTR text, VARIANT_BOOL* equivalent) = 0;
    [[nodiscard]] virtual HRESULT get_SiteDetailsAsVelkorString(BSTR* text) = 0;
};
NOX_INTERFACE_TRAITS(IVxKMCSiteSpecification);

inline const nox::typelib::InterfaceDesc& DescribeInterface(IVxKMCLatticeSite*) {
    static const auto desc = nox::typelib::Describe<IVxKMCLatticeSite>({
        NOX_MEMBER(IVxKMCLatticeSite, get_Category, "category"),
        NOX_MEMBER(IVxKMCLatticeSite, get_Type, "type"),
        NOX_MEMBER(IVxKMCLatticeSite, get_XPosition, "x"),
        NOX_MEMBER(IVxKMCLatticeSite, get_YPosition, "y"),
        NOX_MEMBER(IVxKMCLatticeSite, put_Label, "label"),
        NOX_MEMBER(IVxKMCLatticeSite, get_Label, "label"),
        NOX_MEMBER(IVxKMCLatticeSite, Delete, ""),
    });
    return desc;
}

inline const nox::typelib::InterfaceDesc& DescribeInterface(IVxKMCLatticeSiteList*) {
    static const auto desc = nox::typelib::Describe<IVxKMCLatticeSiteList>({
        NOX_MEMBER(IVxKMCLatticeSiteList, CreateLatticeSite, "category, siteType, x, y, colour, site"),
        NOX_MEMBER(IVxKMCLatticeSiteList, CreateLatticeSite2,
                   "category, siteType, x, y, colour, label, site"),
        NOX_MEMBER(IVxKMCLatticeSiteList, get_Count, "count"),
        NOX_MEMBER(IVxKMCLatticeSiteList, get_Item, "index, site"),
        NOX_MEMBER(IVxKMCLatticeSiteList, ClearLatticeSiteList, ""),
        NOX_MEMBER(IVxKMCLatticeSiteList, Clone, "source"),
        NOX_MEMBER(IVxKMCLatticeSiteList, IsConsistent, "other, consistent, message"),
        NOX_MEMBER(IVxKMCLatticeSiteList, get_CanDeleteSite, "index, message, canDelete"),
        NOX_MEMBER(IVxKMCLatticeSiteList, get_CountRelatedSites, "index, count"),
        NOX_MEMBER(IVxKMCLatticeSiteList, DeleteSite, "index"),
    });
    return desc;
}

inline const nox::typelib::InterfaceDesc& DescribeInterface(IVxKMCLattice*) {
    static const auto desc = nox::typelib::Describe<IVxKMCLattice>({
        NOX_MEMBER(IVxKMCLattice, get_LatticeSiteList, "list"),
        NOX_MEMBER(IVxKMCLattice, get_LatticeType, "type"),
        NOX_MEMBER(IVxKMCLattice, get_SymmetryGroup, "group"),
        NOX_MEMBER(IVxKMCLattice, get_LengthU, "u"),
        NOX_MEMBER(IVxKMCLattice, get_LengthV, "v"),
        NOX_MEMBER(IVxKMCLattice, get_AngleTheta, "theta"),
        NOX_MEMBER(IVxKMCLattice, IsConsistent, "other, consistent, message"),
        NOX_MEMBER(IVxKMCLattice, get_OperatorCount, "count"),
        NOX_MEMBER(IVxKMCLattice, get_CellArea, "area"),
    });
    return desc;
}

inline const nox::typelib::InterfaceDesc& DescribeInterface(IVxKMCSiteSpecification*) {
    static const auto desc = nox::typelib::Describe<IVxKMCSiteSpecification>({
        NOX_MEMBER(IVxKMCSiteSpecification, SetSiteDetails, "i, j, n"),
        NOX_MEMBER(IVxKMCSiteSpecification, GetSiteDetails, "i, j, n"),
        NOX_MEMBER(IVxKMCSiteSpecification, put_SiteDetailsAsString, "text"),
        NOX_MEMBER(IVxKMCSiteSpecification, get_SiteDetailsAsString, "text"),
        NOX_MEMBER(IVxKMCSiteSpecification, Transform, "operatorIndex, image"),
        NOX_MEMBER(IVxKMCSiteSpecification, Translate, "di, dj, translated"),
        NOX_MEMBER(IVxKMCSiteSpecification, get_Distance, "other, distance"),
        NOX_MEMBER(IVxKMCSiteSpecification, FractionalCoordinate, "x, y"),
        NOX_MEMBER(IVxKMCSiteSpecification, get_IsEquivalent, "text, equivalent"),
        NOX_MEMBER(IVxKMCSiteSpecification, get_SiteDetailsAsVelkorString, "text"),
    });
    return desc;
}
