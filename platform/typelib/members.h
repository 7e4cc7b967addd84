// Member tables: the type-library description of an interface, written next to the
// interface's declaration, one line per member:
//
//   inline const nox::typelib::InterfaceDesc& DescribeInterface(IVxFoo*) {
//       static const auto desc = nox::typelib::Describe<IVxFoo>({
//           NOX_MEMBER(IVxFoo, get_Radius, "radius"),
//           NOX_MEMBER(IVxFoo, put_Radius, "radius"),
//           NOX_MEMBER(IVxFoo, Rename, "oldName, newName"),
//       });
//       return desc;
//   }
//
// Argument types and directions are deduced from the member-function pointer, so the table
// cannot drift from the vtable; the parameter names are checked against the arity at compile
// time. A member named get_X is a property get of X, put_X a property put of X, anything else
// a method. Pointer parameters (other than strings and interface inputs) are outputs; the
// last parameter, when it is an output, is the [out,retval]. Property gets and puts of one
// name share a DISPID; DISPIDs count from 1 in order of first appearance and never change.
#pragma once

#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "com/interfaces.h"

namespace nox::typelib {

enum class MemberKind : WORD {
    Method = DISPATCH_METHOD,
    PropGet = DISPATCH_PROPERTYGET,
    PropPut = DISPATCH_PROPERTYPUT,
};

enum class ParamDir { In, Out, Retval };

struct ParamDesc {
    std::string name;
    VARTYPE vt;  // declared type; for outputs the type of the value written
    ParamDir dir;
    const IID* iid;        // the interface of a VT_DISPATCH / VT_UNKNOWN value; inputs are queried for it
    std::string typeName;  // as shown to people: "BSTR", "long", "IVxKMCSpecies*", ...
};

// Calls one member on `instance` (the interface pointer) with bound arguments: slot i holds
// parameter i. Input slots hold a value of the declared type (interfaces in `byref`, already
// queried for the declared interface); output slots start VT_EMPTY and receive the value
// written by the member, with its type.
using Thunk = HRESULT (*)(void* instance, VARIANT* slots);

struct MemberDesc {
    std::string name;  // without the get_/put_ prefix
    MemberKind kind;
    DISPID dispid;
    std::vector<ParamDesc> params;
    Thunk thunk;
};

struct InterfaceDesc {
    std::string name;
    const IID* iid;
    bool dual;                        // derives from IDispatch (else from IUnknown, not callable by name)
    std::vector<MemberDesc> members;  // slot order
};

// Enumerations cross automation as 32-bit integers; this names them in descriptions.
template <class Enum>
struct EnumTraits {
    static constexpr std::string_view name = "long";
};
#define NOX_DECLARE_ENUM(Enum)                          \
    template <>                                         \
    struct nox::typelib::EnumTraits<Enum> {             \
        static constexpr std::string_view name = #Enum; \
    }

namespace detail {

template <class T>
struct InputParam;  // how a value parameter binds

template <>
struct InputParam<BSTR> {
    static constexpr VARTYPE vt = VT_BSTR;
    static std::string TypeName() { return "BSTR"; }
    static BSTR From(const VARIANT& slot) { return slot.bstrVal; }
};
template <>
struct InputParam<LONG> {
    static constexpr VARTYPE vt = VT_I4;
    static std::string TypeName() { return "long"; }
    static LONG From(const VARIANT& slot) { return slot.lVal; }
};
template <>
struct InputParam<VARIANT_BOOL> {
    static constexpr VARTYPE vt = VT_BOOL;
    static std::string TypeName() { return "VARIANT_BOOL"; }
    static VARIANT_BOOL From(const VARIANT& slot) { return slot.boolVal; }
};
template <>
struct InputParam<double> {
    static constexpr VARTYPE vt = VT_R8;
    static std::string TypeName() { return "double"; }
    static double From(const VARIANT& slot) { return slot.dblVal; }
};
template <>
struct InputParam<VARIANT> {
    static constexpr VARTYPE vt = VT_VARIANT;
    static std::string TypeName() { return "VARIANT"; }
    static VARIANT From(const VARIANT& slot) { return slot; }
};
template <class E>
requires std::is_enum_v<E>
struct InputParam<E> {
    static_assert(sizeof(E) == sizeof(LONG), "automation enumerations are 32-bit");
    static constexpr VARTYPE vt = VT_I4;
    static std::string TypeName() { return std::string(EnumTraits<E>::name); }
    static E From(const VARIANT& slot) { return static_cast<E>(slot.lVal); }
};
// Arrays cross automation as safe arrays of 32-bit integers, the only ones the library hands out.
template <>
struct InputParam<SAFEARRAY*> {
    static constexpr VARTYPE vt = VT_ARRAY | VT_I4;
    static std::string TypeName() { return "SAFEARRAY(long)"; }
    static SAFEARRAY* From(const VARIANT& slot) { return slot.parray; }
};
template <class I>
requires std::is_base_of_v<IUnknown, I>
struct InputParam<I*> {
    static constexpr VARTYPE vt = std::is_base_of_v<IDispatch, I> ? VT_DISPATCH : VT_UNKNOWN;
    static std::string TypeName() { return std::string(InterfaceTraits<I>::name) + "*"; }
    static constexpr const IID* iid = &IidOf<I>();
    static I* From(const VARIANT& slot) { return static_cast<I*>(slot.byref); }
};

template <class T>
struct HasIid : std::false_type {};
template <class I>
requires std::is_base_of_v<IUnknown, I>
struct HasIid<I*> : std::true_type {
};

// Output parameters: the member writes into a typed local, which then moves into the slot.
template <class T>
struct OutputValue;
template <class T>
requires(!std::is_pointer_v<T> || std::is_same_v<T, BSTR>) &&
    (!std::is_same_v<T, VARIANT>)struct OutputValue<T> {
    static void Store(T value, VARIANT& slot) {
        slot.vt = InputParam<T>::vt;
        if constexpr (std::is_same_v<T, BSTR>)
            slot.bstrVal = value;
        else if constexpr (std::is_same_v<T, LONG> || std::is_enum_v<T>)
            slot.lVal = static_cast<LONG>(value);
        else if constexpr (std::is_same_v<T, VARIANT_BOOL>)
            slot.boolVal = value;
        else if constexpr (std::is_same_v<T, double>)
            slot.dblVal = value;
    }
};
template <class I>
requires std::is_base_of_v<IUnknown, I>
struct OutputValue<I*> {
    static void Store(I* value, VARIANT& slot) {
        if constexpr (std::is_base_of_v<IDispatch, I>) {
            slot.vt = VT_DISPATCH;
            slot.pdispVal = value;
        } else {
            slot.vt = VT_UNKNOWN;
            slot.punkVal = value;
        }
    }
};
template <>
struct OutputValue<SAFEARRAY*> {
    static void Store(SAFEARRAY* value, VARIANT& slot) {
        slot.vt = InputParam<SAFEARRAY*>::vt;
        slot.parray = value;
    }
};
template <>
struct OutputValue<VARIANT> {
    static void Store(const VARIANT& value, VARIANT& slot) { slot = value; }
};

template <class T>
inline constexpr bool kIsOutput = std::is_pointer_v<T> && !std::is_same_v<T, BSTR> && !HasIid<T>::value;

// One argument of a call: a value taken from the slot, or a local the member writes into.
template <class T>
struct Argument {
    T value;
    explicit Argument(const VARIANT& slot) : value(InputParam<T>::From(slot)) {}
    T Pass() { return value; }
    void Store(VARIANT&) {}
};
template <class T>
requires kIsOutput<T>
struct Argument<T> {
    using Value = std::remove_pointer_t<T>;
    Value value{};
    explicit Argument(const VARIANT&) {}
    T Pass() { return &value; }
    void Store(VARIANT& slot) { OutputValue<Value>::Store(value, slot); }
};

template <class T>
ParamDesc DescribeParam(std::string name, bool last) {
    if constexpr (kIsOutput<T>) {
        using Value = std::remove_pointer_t<T>;
        const IID* iid = nullptr;
        if constexpr (HasIid<Value>::value) iid = InputParam<Value>::iid;
        std::string typeName = InputParam<Value>::TypeName() + "*";
        return {std::move(name), InputParam<Value>::vt, last ? ParamDir::Retval : ParamDir::Out, iid,
                std::move(typeName)};
    } else {
        const IID* iid = nullptr;
        if constexpr (HasIid<T>::value) iid = InputParam<T>::iid;
        return {std::move(name), InputParam<T>::vt, ParamDir::In, iid, InputParam<T>::TypeName()};
    }
}

template <class Pmf>
struct MemberTraits;
template <class I, class... Args>
struct MemberTraits<HRESULT (I::*)(Args...)> {
    using Interface = I;
    using ArgTuple = std::tuple<Args...>;
    static constexpr size_t arity = sizeof...(Args);
};

consteval size_t CountNames(std::string_view names) {
    if (names.find_first_not_of(" ") == std::string_view::npos) return 0;
    size_t count = 1;
    for (char c : names)
        if (c == ',') ++count;
    return count;
}

NOX_EXPORT std::vector<std::string> SplitNames(std::string_view names);
NOX_EXPORT InterfaceDesc AssignDispIds(std::string name, const IID* iid, bool dual,
                                       std::vector<MemberDesc> members);

template <auto Pmf>
HRESULT CallMember(void* instance, VARIANT* slots) {
    using Traits = MemberTraits<decltype(Pmf)>;
    return [&]<size_t... Is>(std::index_sequence<Is...>) {
        std::tuple<Argument<std::tuple_element_t<Is, typename Traits::ArgTuple>>...> args{
            Argument<std::tuple_element_t<Is, typename Traits::ArgTuple>>(slots[Is])...};
        auto* self = static_cast<typename Traits::Interface*>(instance);
        HRESULT hr = (self->*Pmf)(std::get<Is>(args).Pass()...);
        (std::get<Is>(args).Store(slots[Is]), ...);
        return hr;
    }
    (std::make_index_sequence<Traits::arity>{});
}

}  // namespace detail

// One member's row. The parameter names are counted by the table's macro as a template argument,
// so a count that does not match the member's arity stops the compilation. The count is not an
// immediate call inside the table's initializer: clang 14 runs the cleanups of such an
// initializer's temporaries on every later call too, destroying objects that were never made.
template <auto Pmf, size_t NameCount>
MemberDesc Member(std::string_view member, std::string_view paramText) {
    using Traits = detail::MemberTraits<decltype(Pmf)>;
    static_assert(NameCount == Traits::arity, "the parameter names do not match the member's parameters");
    std::string_view name = member;
    MemberKind kind = MemberKind::Method;
    if (name.starts_with("get_"))
        kind = MemberKind::PropGet;
    else if (name.starts_with("put_"))
        kind = MemberKind::PropPut;
    if (kind != MemberKind::Method) name.remove_prefix(4);

    std::vector<std::string> paramNames = detail::SplitNames(paramText);
    std::vector<ParamDesc> params;
    [&]<size_t... Is>(std::index_sequence<Is...>) {
        (params.push_back(detail::DescribeParam<std::tuple_element_t<Is, typename Traits::ArgTuple>>(
             paramNames[Is], Is + 1 == Traits::arity)),
         ...);
    }
    (std::make_index_sequence<Traits::arity>{});
    return {std::string(name), kind, DISPID_UNKNOWN, std::move(params), &detail::CallMember<Pmf>};
}

template <class Interface>
InterfaceDesc Describe(std::vector<MemberDesc> members) {
    return detail::AssignDispIds(std::string(InterfaceTraits<Interface>::name), &IidOf<Interface>(),
                                 std::is_base_of_v<IDispatch, Interface>, std::move(members));
}

}  // namespace nox::typelib

#define NOX_MEMBER(Interface, member, paramNames)                                              \
    ::nox::typelib::Member<&Interface::member, ::nox::typelib::detail::CountNames(paramNames)>( \
        #member, paramNames)
