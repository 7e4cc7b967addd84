// The host's three-dimensional model document as the display helpers (vxostrel/doc_helpers.h)
// see it. A host that shows a lattice as atoms implements these interfaces; the library only
// calls them. They are plain COM interfaces (not dispatchable, not in the type library): every
// method returns a result code, checks and clears its outputs, and records a description for
// a failure through the error-information channel.
//
// The model is a tree of objects below one top object. Atoms are objects of the class
// "Atom3d" with a position and a template (a name like an element's, a radius and a colour).
// Every object can be selected and hidden; scopes are lists of objects that filters narrow.
// The document raises an event for every change of its content while its events are on.
#pragma once

#include "com/interfaces.h"
#include "nox/comptr.h"
#include "nox/result.h"

// The class name of atoms, for IVxUtility::CreateObject.
inline constexpr const char* kAtomClassName = "Atom3d";
// The class name of objects that only group others.
inline constexpr const char* kGroupClassName = "Group";

// A template: what every atom that uses it looks like.
struct IVxProperty : IUnknown {
    [[nodiscard]] virtual HRESULT get_Name(BSTR* name) = 0;
    [[nodiscard]] virtual HRESULT get_Radius(double* radius) = 0;
    // Red in bits 0-7, green in 8-15, blue in 16-23.
    [[nodiscard]] virtual HRESULT get_Color(LONG* color) = 0;
};
NOX_DECLARE_IID(IVxProperty, "{EA2A7FB9-913D-4174-9777-9151B6F9E81E}");

// One object of the model: an atom, a group, or the document's top object.
struct IVxObject : IUnknown {
    [[nodiscard]] virtual HRESULT get_ClassName(BSTR* name) = 0;
    // Null for the top object and for an object not attached yet.
    [[nodiscard]] virtual HRESULT get_Parent(IVxObject** parent) = 0;
    [[nodiscard]] virtual HRESULT get_ChildCount(LONG* count) = 0;
    [[nodiscard]] virtual HRESULT get_Child(LONG index, IVxObject** child) = 0;
    // Cartesian coordinates in the model's length unit.
    [[nodiscard]] virtual HRESULT GetPosition(double* x, double* y, double* z) = 0;
    [[nodiscard]] virtual HRESULT SetPosition(double x, double y, double z) = 0;
    // Null until a template is given.
    [[nodiscard]] virtual HRESULT get_Template(IVxProperty** property) = 0;
    [[nodiscard]] virtual HRESULT putref_Template(IVxProperty* property) = 0;
    [[nodiscard]] virtual HRESULT get_Selected(VARIANT_BOOL* selected) = 0;
    [[nodiscard]] virtual HRESULT put_Selected(VARIANT_BOOL selected) = 0;
    [[nodiscard]] virtual HRESULT get_Visible(VARIANT_BOOL* visible) = 0;
    [[nodiscard]] virtual HRESULT put_Visible(VARIANT_BOOL visible) = 0;
};
NOX_DECLARE_IID(IVxObject, "{F7084811-DBB4-439C-8F67-249BDA6DCAC3}");

// An object-valued property of the model: the relation that holds objects below a parent.
struct IVxObjectProperty : IUnknown {
    // Attaches `object` (not attached yet) below `parent`, both of this property's document,
    // and hands back the object as the property now holds it.
    [[nodiscard]] virtual HRESULT Attach(IVxObject* object, IVxObject* parent, IVxObject** attached) = 0;
};
NOX_DECLARE_IID(IVxObjectProperty, "{1D0187EE-3988-43BF-8249-DA2E909C2BE0}");

// The document's object factory and template table.
struct IVxUtility : IUnknown {
    // A new object of the class (kAtomClassName or kGroupClassName), not attached yet.
    [[nodiscard]] virtual HRESULT CreateObject(BSTR className, IVxObject** object) = 0;
    // Defines the template of that name, or gives an existing one the new values.
    [[nodiscard]] virtual HRESULT DefineTemplate(BSTR name, double radius, LONG color,
                                                 IVxProperty** property) = 0;
    // The template of that name; a name the document has not defined is refused.
    [[nodiscard]] virtual HRESULT GetTemplate(BSTR name, IVxProperty** property) = 0;
};
NOX_DECLARE_IID(IVxUtility, "{35DDEB37-1BC4-4C0F-A992-58A493FFCAFE}");

// A list of objects of one document, in document order.
struct IModelScope : IUnknown {
    [[nodiscard]] virtual HRESULT get_Count(LONG* count) = 0;
    [[nodiscard]] virtual HRESULT get_Item(LONG index, IVxObject** object) = 0;
};
NOX_DECLARE_IID(IModelScope, "{3BF0A84F-D2B7-482E-92AE-EF0B452C410A}");

// How a filter narrows (or widens) a scope.
enum vxModelScopeFilter : LONG {
    DownTreeCoercion = 0,  // the objects and everything below them
    FilterIsSelected = 1,  // the selected objects
    FilterIsVisible = 2,   // the visible objects
    FilterAtom = 3,        // the atoms
};

struct IModelScopeManager : IUnknown {
    // A scope that holds the top object.
    [[nodiscard]] virtual HRESULT get_DocumentScope(IModelScope** scope) = 0;
    // A new scope: `scope` with one filter applied.
    [[nodiscard]] virtual HRESULT ProcessScope(IModelScope* scope, vxModelScopeFilter filter,
                                               IModelScope** result) = 0;
};
NOX_DECLARE_IID(IModelScopeManager, "{53638D9B-14EB-4E71-AA80-349E625D1A7C}");

// The model document itself.
struct IModelDocumentRoot : IUnknown {
    [[nodiscard]] virtual HRESULT get_Utility(IVxUtility** utility) = 0;
    [[nodiscard]] virtual HRESULT get_ScopeManager(IModelScopeManager** manager) = 0;
    [[nodiscard]] virtual HRESULT get_TopObject(IVxObject** top) = 0;
    // The property that holds objects below their parents.
    [[nodiscard]] virtual HRESULT get_ChildrenProperty(IVxObjectProperty** property) = 0;
};
NOX_DECLARE_IID(IModelDocumentRoot, "{7AF61222-8BE8-46C0-9668-F701B1CDCE51}");

// The document's events: one for every change of its content while they are on.
struct IModelDocumentEvents : IUnknown {
    // Only -1 switches them on.
    [[nodiscard]] virtual HRESULT put_EventsEnabled(VARIANT_BOOL enabled) = 0;
    [[nodiscard]] virtual HRESULT get_EventsEnabled(VARIANT_BOOL* enabled) = 0;
    // How many events the document has raised.
    [[nodiscard]] virtual HRESULT get_EventCount(LONG* count) = 0;
};
NOX_DECLARE_IID(IModelDocumentEvents, "{16307EAD-AED8-62C0-8085-E227F363E8DF}");

// The atoms of a document that holds atomistic content.
struct IModelAtomisticContent : IUnknown {
    [[nodiscard]] virtual HRESULT get_AtomCount(LONG* count) = 0;
    // In document order (depth first from the top object).
    [[nodiscard]] virtual HRESULT get_Atom(LONG index, IVxObject** atom) = 0;
    // Removes every atom (with what is below it); other objects stay.
    [[nodiscard]] virtual HRESULT ClearContent() = 0;
};
NOX_DECLARE_IID(IModelAtomisticContent, "{A4DB5110-9492-C6F8-BEEF-22FDDEA0CCF8}");

// The host utilities the display helpers call; failures are raised as NoxResult with the
// document's own description.
namespace vxmodel {

// `scope` with one filter applied.
inline NoxComPtr<IModelScope> ProcessScope(IModelScope* scope, vxModelScopeFilter filter,
                                           IModelScopeManager* manager) {
    NoxComPtr<IModelScope> result;
    nox::Check(CheckNullDereference(manager)->ProcessScope(scope, filter, result.Put()));
    return result;
}

// Removes the atoms of the document; raised as the interface failure for a document that holds
// no atomistic content.
inline void ClearContent(IModelDocumentRoot* root) {
    nox::Check(NoxComPtr<IModelDocumentRoot>(CheckNullDereference(root))
                   .As<IModelAtomisticContent>()
                   ->ClearContent());
}

}  // namespace vxmodel
