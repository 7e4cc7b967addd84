// Helpers shared by the type library's translation units.
#pragma once

#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "com/utf.h"
#include "typelib/members.h"

namespace nox::typelib::detail {

// Names compare without regard to ASCII case, as automation clients expect of identifiers.
bool SameName(std::string_view a, std::string_view b) noexcept;

// The first member, in table order, with this DISPID whose kind is among `kinds`.
const MemberDesc* FindMember(const InterfaceDesc& desc, DISPID id, WORD kinds) noexcept;
// The first member, in table order, called `name` (UTF-8).
const MemberDesc* FindMemberNamed(const InterfaceDesc& desc, std::string_view name) noexcept;

// A name a caller passed in, as table text; a null name matches nothing.
inline std::optional<std::string> CallerName(LPCOLESTR name) {
    if (name == nullptr) return std::nullopt;
    return Utf16ToUtf8(name);
}

inline constexpr WORD kAnyKind = DISPATCH_METHOD | DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT;

// Runs `body`, an interface method's work, answering E_OUTOFMEMORY when it cannot allocate.
template <class Body>
HRESULT Allocating(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace nox::typelib::detail
