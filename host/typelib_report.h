// The registered type library as people and programs read it: every interface with its members
// in slot order.
#pragma once

#include <string>

namespace kmcdoc {

// Raised as NoxResult when the library's type library cannot be loaded.
std::string TypeLibraryText();
std::string TypeLibraryJson();

}  // namespace kmcdoc
