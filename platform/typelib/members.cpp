#include "typelib/members.h"

#include <algorithm>

#include "typelib/internal.h"

namespace nox::typelib::detail {
namespace {

constexpr std::string_view kBlanks = " \t\r\n";

std::string_view Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The DISPID already given to a member of this name, if any.
DISPID EarlierDispId(const std::vector<MemberDesc>& members, size_t index) {
    for (size_t i = 0; i < index; ++i)
        if (SameName(members[i].name, members[index].name)) return members[i].dispid;
    return DISPID_UNKNOWN;
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) noexcept {
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::ranges::equal(a, b, [&](char x, char y) { return fold(x) == fold(y); });
}

std::vector<std::string> SplitNames(std::string_view names) {
    // Must agree with CountNames, which sized the member's parameter list from the same text.
    if (names.find_first_not_of(' ') == std::string_view::npos) return {};
    std::vector<std::string> result;
    for (size_t start = 0;;) {
        const size_t comma = names.find(',', start);
        result.emplace_back(Trimmed(names.substr(start, comma - start)));
        if (comma == std::string_view::npos) return result;
        start = comma + 1;
    }
}

InterfaceDesc AssignDispIds(std::string name, const IID* iid, bool dual, std::vector<MemberDesc> members) {
    DISPID next = 1;
    for (size_t i = 0; i < members.size(); ++i) {
        const DISPID earlier = EarlierDispId(members, i);
        members[i].dispid = earlier != DISPID_UNKNOWN ? earlier : next++;
    }
    return {std::move(name), iid, dual, std::move(members)};
}

const MemberDesc* FindMember(const InterfaceDesc& desc, DISPID id, WORD kinds) noexcept {
    for (const MemberDesc& member : desc.members)
        if (member.dispid == id && (kinds & static_cast<WORD>(member.kind)) != 0) return &member;
    return nullptr;
}

const MemberDesc* FindMemberNamed(const InterfaceDesc& desc, std::string_view name) noexcept {
    for (const MemberDesc& member : desc.members)
        if (SameName(name, member.name)) return &member;
    return nullptr;
}

}  // namespace nox::typelib::detail
