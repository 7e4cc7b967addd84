// The plane-group catalogue as a lattice of each group's class type applies it: hexagonal
// operators after the lattice's change to its own 60-degree cell.
#pragma once

#include <string>

namespace kmcdoc {

std::string GroupsText();
std::string GroupsJson();

}  // namespace kmcdoc
