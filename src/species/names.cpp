#include "species/names.h"

#include <algorithm>

namespace kmc {
namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsNameCharacter(char c) { return IsLetter(c) || (c >= '0' && c <= '9') || c == '_'; }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool IsValidSpeciesName(std::string_view name) {
    return !name.empty() && IsLetter(name.front()) && std::all_of(name.begin(), name.end(), IsNameCharacter);
}

bool SameSpeciesName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return Upper(x) == Upper(y); });
}

std::string FoldedSpeciesName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) c = Upper(c);
    return folded;
}

}  // namespace kmc
