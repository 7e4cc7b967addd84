// Conversions between the library's 8-bit text (UTF-8) and 16-bit text (UTF-16, BSTR). Valid
// text converts exactly; every ill-formed sequence (an unpaired surrogate, a bad UTF-8 byte
// run) becomes one U+FFFD, so a conversion never fails on content.
#pragma once

#include <string>
#include <string_view>

#include "com/base.h"

namespace nox {

NOX_EXPORT std::string Utf16ToUtf8(std::u16string_view text);
NOX_EXPORT std::u16string Utf8ToUtf16(std::string_view text);

// The whole BSTR, embedded NULs included; NULL is the empty string.
NOX_EXPORT std::string BstrToUtf8(BSTR text);
// A new BSTR the caller frees; throws std::bad_alloc when it cannot be allocated.
NOX_EXPORT BSTR Utf8ToBstr(std::string_view text);

}  // namespace nox
