// What a setter may store: values that a save writes and a load reads back unchanged, so that
// a document that can be edited can always be saved.
#pragma once

#include <string>

#include "com/base.h"

namespace kmc {

// The text, when XML can hold every character of it. Raised: E_INVALIDARG "Invalid
// <property>: U+0001 at offset 3 is not allowed in XML" naming the first character it cannot.
std::string SavableText(BSTR text, const char* property);
std::string SavableText(std::string text, const char* property);

// The value, when it is finite. Raised: E_INVALIDARG "<Property> must be a finite number."
double FiniteNumber(double value, const char* property);

}  // namespace kmc
