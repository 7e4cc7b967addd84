#include "nox/locale.h"

#include <cstdlib>
#include <string>

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

// What names the user's locale: the variables the C library reads for it.
std::string EnvironmentKey() {
    std::string key;
    for (const char* name : {"LC_ALL", "LC_NUMERIC", "LC_CTYPE", "LC_COLLATE", "LC_MONETARY", "LC_TIME",
                             "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        key += value != nullptr ? value : "";
        key += '\n';
    }
    return key;
}

// Building a locale from the environment takes about a millisecond, so each thread keeps the
// last one it built and builds again only when the environment names another.
class UserLocales {
public:
    UserLocales() = default;
    UserLocales(const UserLocales&) = delete;
    UserLocales& operator=(const UserLocales&) = delete;
    ~UserLocales() { Release(); }

    void Refresh() {
        std::string key = EnvironmentKey();
        if (numeric_ != static_cast<locale_t>(0) && key == key_) return;
        Release();
        stream_ = UserStreamLocale();
        numeric_ = UserNumericLocale();
        key_ = std::move(key);
    }
    const std::locale& Stream() const { return stream_; }
    locale_t Numeric() const { return numeric_; }

private:
    void Release() {
        if (numeric_ != static_cast<locale_t>(0)) freelocale(numeric_);
        numeric_ = static_cast<locale_t>(0);
    }

    std::string key_;
    std::locale stream_;
    locale_t numeric_ = static_cast<locale_t>(0);
};

UserLocales& CurrentUserLocales() {
    thread_local UserLocales locales;
    locales.Refresh();
    return locales;
}

}  // namespace

// The scope holds its own copy of the numeric locale, which outlives a change of environment.
NoxLocalizationEnabler::NoxLocalizationEnabler()
    : previous_(t_current),
      streamLocale_(CurrentUserLocales().Stream()),
      numericLocale_(duplocale(CurrentUserLocales().Numeric())) {
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
