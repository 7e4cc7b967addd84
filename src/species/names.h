// The naming rules of species and of the vacancy symbol.
#pragma once

#include <string>
#include <string_view>

namespace kmc {

// A name is an identifier: a letter first, then letters, digits and underscores, all ASCII.
bool IsValidSpeciesName(std::string_view name);

// Names compare without regard to letter case. Only ASCII letters fold, as the C locale folds
// them, so the comparison never depends on the process's locale.
bool SameSpeciesName(std::string_view a, std::string_view b);
// The name with its ASCII letters in upper case: names are the same exactly when these are.
std::string FoldedSpeciesName(std::string_view name);

}  // namespace kmc
