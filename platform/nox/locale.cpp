#include "nox/locale.h"

namespace {

thread_local const NoxLocalizationEnabler* t_current = nullptr;

std::locale UserStreamLocale() {
    try {
        return std::locale("");
    } catch (const std::runtime_error&) {  // an environment naming a locale this system lacks
        return std::locale::classic();
    }
}

locale_t UserNumericLocale() {
    locale_t user = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(0));
    return user != static_cast<locale_t>(0) ? user : newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
}

}  // namespace

NoxLocalizationEnabler::NoxLocalizationEnabler()
    : previous_(t_current), streamLocale_(UserStreamLocale()), numericLocale_(UserNumericLocale()) {
    t_current = this;
}

NoxLocalizationEnabler::~NoxLocalizationEnabler() {
    t_current = previous_;
    if (numericLocale_ != static_cast<locale_t>(0)) freelocale(numericLocale_);
}

const NoxLocalizationEnabler* NoxLocalizationEnabler::Current() { return t_current; }

namespace nox {

std::locale CurrentStreamLocale() { return t_current ? t_current->StreamLocale() : std::locale::classic(); }

locale_t CurrentNumericLocale() {
    return t_current && t_current->NumericLocale() != static_cast<locale_t>(0) ? t_current->NumericLocale()
                                                                               : ClassicNumericLocale();
}

locale_t ClassicNumericLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return c;
}

}  // namespace nox
