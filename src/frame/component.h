// Component: the one frame every automation class of the library is built on.
//
//   class KMCFoo final : public kmc::Component<KMCFoo, IVxKMCFoo, IVxKMCSerializer> { ... };
//
// It supplies identity and reference counting (CNoxUnknown), interface lookup with the
// error-information test, dispatch through the library's type library, CreateInstance and
// Create, and Boundary: the frame every method body runs in, which converts any failure into
// the method's result code with the class id and interface id as the error source, and Edit: the
// bracket every change runs in. The derived class names itself with KMC_COMPONENT_CLASS (or
// kClassName and kClassId when it has no row in the class table) and gives ParentDocument().
#pragma once

#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "nox/comptr.h"
#include "dispatch/dispatch.h"
#include "nox/registry.h"
#include "nox/result.h"
#include "nox/strings.h"
#include "nox/unknown.h"
#include "vxostrel/document.h"
#include "vxostrel/ids.h"

// The registration data of a creatable class, declared inside the class: its name, its class
// id CLSID_<Name>, its description, and the ProgIDs that follow from its name.
#define KMC_COMPONENT_CLASS(Name, description)                        \
    static constexpr const char* kClassName = #Name;                  \
    static constexpr const CLSID& kClassId = CLSID_##Name;            \
    static constexpr const char* kDescription = description;          \
    static constexpr const char* kProgId = "VxDocuments." #Name ".1"; \
    static constexpr const char* kVersionIndependentProgId = "VxDocuments." #Name

namespace kmc {

inline constexpr const char* kNoOutputPointer = "No pointer supplied for output argument.";

// Checks an output argument and clears it; a null pointer raises E_POINTER.
template <class T>
T* Out(T* pointer) {
    if (pointer == nullptr) throw NoxResult(E_POINTER, kNoOutputPointer);
    *pointer = T{};
    return pointer;
}

// The same for the getters that name themselves in the message ("KMCActiveSite::get_Type").
template <class T>
T* Out(T* pointer, const char* qualifiedName) {
    if (pointer == nullptr)
        throw NoxResult(E_POINTER, std::string("Output argument for ") + qualifiedName + " is not set.");
    *pointer = T{};
    return pointer;
}

// Hands out `text` through an output argument as a new automation string. The argument is checked
// and cleared before the string is made, so a missing pointer leaks nothing.
inline void OutText(BSTR* out, std::string_view text) {
    BSTR* target = Out(out);
    *target = NoxBSTR(text).Detach();
}
inline void OutText(BSTR* out, std::string_view text, const char* qualifiedName) {
    BSTR* target = Out(out, qualifiedName);
    *target = NoxBSTR(text).Detach();
}

// Hands out `object` through `out` with a new reference for the caller; null hands out null.
template <class Interface, class Object>
void HandOut(Object* object, Interface** out) {
    if (object != nullptr) object->AddRef();
    *out = object;
}
template <class Interface, class Object>
void HandOut(const NoxComPtr<Object>& object, Interface** out) {
    HandOut(object.Get(), out);
}

// A flag as automation passes it.
constexpr VARIANT_BOOL AsFlag(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

// The type library that describes an interface: the library's own, unless specialised.
template <class Interface>
struct TypeLibraryOf {
    static constexpr const GUID* libid = &LIBID_VxOstrel;
    static constexpr WORD major = kVxOstrelMajor;
    static constexpr WORD minor = kVxOstrelMinor;
};

template <class Derived, class Interface, class... Extra>
class Component : public ISupportErrorInfo,
                  public Extra...,
                  public CNoxUnknown,
                  public INoxDispatchImpl<Interface, &IidOf<Interface>(), TypeLibraryOf<Interface>::libid,
                                          TypeLibraryOf<Interface>::major, TypeLibraryOf<Interface>::minor> {
public:
    [[nodiscard]] HRESULT QueryInterface(REFIID iid, void** out) override { return DelegatedQueryInterface(iid, out); }
    ULONG AddRef() override { return DelegatedAddRef(); }
    ULONG Release() override { return DelegatedRelease(); }

    [[nodiscard]] HRESULT DelegatedQueryInterface(REFIID iid, void** out) override {
        return DoInterfaceOperation(InterfaceOperation::Lookup, iid, out);
    }
    [[nodiscard]] HRESULT InterfaceSupportsErrorInfo(REFIID iid) override {
        return DoInterfaceOperation(InterfaceOperation::SupportsErrorInfo, iid, nullptr);
    }

    // Creates one object and returns its framework base with the creation reference.
    [[nodiscard]] static HRESULT CreateInstance(CNoxUnknown** out) {
        return nox::Boundary(GUID_NULL, GUID_NULL, [&] {
            *Out(out) = nullptr;
            Derived* object = new (std::nothrow) Derived();
            if (object == nullptr)
                throw NoxResult(E_OUTOFMEMORY,
                                std::string("Failed to create ") + Derived::kClassName + " component.\n");
            *out = object;
        });
    }

    // Creates and completes an object for library and host code that works with the class.
    [[nodiscard]] static NoxComPtr<Derived> Create() {
        CNoxUnknown* base = nullptr;
        HRESULT created = CreateInstance(&base);
        NoxCreateInstanceImpl(created, base);
        return NoxComPtr<Derived>::Attach(static_cast<Derived*>(base));
    }

    // The object of this class behind any of its interface pointers, its identity included (and
    // behind an outer object that hands out its interface). Raised: E_INVALIDARG for null and for
    // an object of any other class.
    static Derived& FromInterface(IUnknown* object) {
        Derived* found = TryFromInterface(object);
        if (found == nullptr)
            throw NoxResult(E_INVALIDARG, std::string("The object given is not this library's ") + Derived::kClassName + ".");
        return *found;  // the caller's reference keeps it alive
    }
    // The same, or null for null and for an object of any other class.
    static Derived* TryFromInterface(IUnknown* object) {
        NoxComPtr<Interface> part;
        if (object == nullptr || FAILED(object->QueryInterface(IidOf<Interface>(), part.PutVoid()))) return nullptr;
        return dynamic_cast<Derived*>(part.Get());
    }

protected:
    Component() = default;
    ~Component() override = default;

    // Runs a method body of `Source`'s interface (the class's automation interface unless
    // given) inside the boundary frame.
    template <class Source = Interface, class Body>
    [[nodiscard]] static HRESULT Boundary(Body&& body) noexcept {
        return nox::Boundary(Derived::kClassId, IidOf<Source>(), std::forward<Body>(body));
    }

    // Every editing operation: the document's edit check, then `change` (which makes the class's
    // own checks before it changes anything), then SetModified(true). An object without a
    // document is edited without check and without notification.
    template <class Change>
    void Edit(Change&& change) const {
        CKMCDocumentsBase* document = static_cast<const Derived*>(this)->ParentDocument();
        CKMCDocumentsEditHelper bracket(document, false, false);
        std::forward<Change>(change)();
        if (document != nullptr) document->SetModified(true);
    }

private:
    enum class InterfaceOperation { Lookup, SupportsErrorInfo };

    template <class Part>
    bool Offers(REFIID iid, InterfaceOperation operation, void** out, HRESULT& hr) {
        if (iid != IidOf<Part>()) return false;
        hr = operation == InterfaceOperation::Lookup
                 ? FinishQI(static_cast<Part*>(static_cast<Derived*>(this)), out)
                 : S_OK;
        return true;
    }

    [[nodiscard]] HRESULT DoInterfaceOperation(InterfaceOperation operation, REFIID iid, void** out) {
        return nox::Boundary(GUID_NULL, GUID_NULL, [&] {
            if (operation == InterfaceOperation::Lookup) *Out(out) = nullptr;
            HRESULT hr = S_FALSE;
            if ((Offers<Extra>(iid, operation, out, hr) || ...) ||
                Offers<Interface>(iid, operation, out, hr) ||
                Offers<ISupportErrorInfo>(iid, operation, out, hr))
                return hr;
            // Automation clients reach the automation interface as IDispatch; it is not an
            // interface of its own for the error-information test.
            if (operation == InterfaceOperation::Lookup && iid == IID_IDispatch)
                return FinishQI(static_cast<Interface*>(static_cast<Derived*>(this)), out);
            return operation == InterfaceOperation::Lookup ? CNoxUnknown::DelegatedQueryInterface(iid, out)
                                                           : S_FALSE;
        });
    }
};

}  // namespace kmc
