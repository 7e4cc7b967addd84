// NoxLocalizationEnabler: a scope in which numbers shown to people use the user's locale
// (from the environment: LC_ALL, LC_NUMERIC, LANG). Stored text always uses the C locale.
// The scope is per thread and nests; it never touches the process-wide locale.
#pragma once

#include <locale.h>

#include <locale>

#include "com/base.h"

class NOX_EXPORT NoxLocalizationEnabler {
public:
    NoxLocalizationEnabler();
    ~NoxLocalizationEnabler();
    NoxLocalizationEnabler(const NoxLocalizationEnabler&) = delete;
    NoxLocalizationEnabler& operator=(const NoxLocalizationEnabler&) = delete;

    // The innermost scope of the calling thread, or null.
    static const NoxLocalizationEnabler* Current();
    const std::locale& StreamLocale() const { return streamLocale_; }
    locale_t NumericLocale() const { return numericLocale_; }

private:
    const NoxLocalizationEnabler* previous_;
    std::locale streamLocale_;
    locale_t numericLocale_;
};

namespace nox {
// The locale for streams: the user's inside a NoxLocalizationEnabler, else the classic one.
NOX_EXPORT std::locale CurrentStreamLocale();
// The locale for strtod_l and friends, chosen the same way (the C locale outside a scope).
NOX_EXPORT locale_t CurrentNumericLocale();
// The C locale for strtod_l and friends, for text that must not depend on any scope.
NOX_EXPORT locale_t ClassicNumericLocale();
}  // namespace nox
