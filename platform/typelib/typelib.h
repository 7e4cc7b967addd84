// The type-library registry and the table-driven type information behind IDispatch.
//
// A module registers the description of its type library when it is loaded (what the type
// library resource embedded in a module is elsewhere) and removes it when it is unloaded.
// `LoadRegTypeLib` then hands out an ITypeLib over it, whose ITypeInfo objects answer
// GetIDsOfNames and Invoke from the member tables. `RegisterTypeLibInterface` records an
// interface of a registered library under the library's name (the interface registration a
// module performs when it registers itself); registering the same interface again succeeds.
#pragma once

#include <string>
#include <vector>

#include "com/interfaces.h"
#include "typelib/members.h"

extern "C" {
// TYPE_E_LIBNOTREGISTERED when no library with `libid`, the same major and at least the
// minor version is registered.
[[nodiscard]] NOX_EXPORT HRESULT LoadRegTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid, ITypeLib** out);
// E_INVALIDARG for a null name; TYPE_E_LIBNOTREGISTERED for an unknown library;
// TYPE_E_ELEMENTNOTFOUND when the library does not describe `iid`.
[[nodiscard]] NOX_EXPORT HRESULT RegisterTypeLibInterface(REFGUID libid, const char* libraryName, REFIID iid);
}

namespace nox::typelib {

struct LibraryDesc {
    GUID libid;
    WORD major;
    WORD minor;
    std::string name;
    std::vector<const InterfaceDesc*> interfaces;  // not owned; live as long as the registration
};

// Adds or replaces the registration of `library` (keyed by libid and major version).
[[nodiscard]] NOX_EXPORT HRESULT RegisterTypeLibrary(const LibraryDesc& library);
NOX_EXPORT void UnregisterTypeLibrary(REFGUID libid, WORD major);

// The interfaces registered through RegisterTypeLibInterface, in registration order, without
// repeats. Empty for an unknown library.
NOX_EXPORT std::vector<const InterfaceDesc*> RegisteredInterfaces(REFGUID libid, WORD major);

// The description behind one of this platform's ITypeInfo objects; null for a foreign one.
NOX_EXPORT const InterfaceDesc* DescriptionOf(ITypeInfo* info);

// IDispatch::Invoke's binding over one description: `instance` is the interface pointer the
// members are called on. Follows the standard rules (reversed positional arguments, named
// arguments, DISPID_PROPERTYPUT, [out,retval], BYREF outputs, coercion through
// VariantChangeType with *argErr, DISP_E_EXCEPTION with the EXCEPINFO filled from the error
// information when the object supports it). A success code of the member other than S_OK
// is passed on to the caller.
[[nodiscard]] NOX_EXPORT HRESULT InvokeMember(const InterfaceDesc& desc, void* instance, DISPID id, WORD flags,
                                DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr);
// GetIDsOfNames over one description (names matched without regard to case).
[[nodiscard]] NOX_EXPORT HRESULT GetIDsOfNamesIn(const InterfaceDesc& desc, LPOLESTR* names, UINT count, DISPID* ids);

}  // namespace nox::typelib
