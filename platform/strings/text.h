// Trimming and splitting of 8-bit text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "com/base.h"

namespace strings {

// `text` without leading and trailing white space (as the C locale has it: space, tab, line
// feed, vertical tab, form feed, carriage return).
NOX_EXPORT std::string Trim(std::string_view text);
// The same, as a view into `text`.
NOX_EXPORT std::string_view TrimView(std::string_view text);

// The pieces of `text` between occurrences of any of the characters in `separators`, in order.
// Empty pieces are kept, so n separators always give n + 1 pieces ("" gives one empty piece);
// callers that want only the non-empty ones drop the rest.
NOX_EXPORT std::vector<std::string> Split(std::string_view text, std::string_view separators);

}  // namespace strings
