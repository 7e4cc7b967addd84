// NoxFormat: messages with positional placeholders "%1", "%2", ... filled in insertion order
// (the first insertion fills "%1"). A placeholder without an argument stays as written.
#pragma once

#include <concepts>
#include <locale>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "com/base.h"

class NOX_EXPORT NoxFormat {
public:
    explicit NoxFormat(std::string pattern);

    NoxFormat& operator<<(std::string_view text);
    NoxFormat& operator<<(const char* text) { return *this << std::string_view(text); }
    NoxFormat& operator<<(const std::string& text) { return *this << std::string_view(text); }
    NoxFormat& operator<<(const OLECHAR* text);  // NUL-terminated 16-bit text; NULL is empty
    // The shortest text that reads back as the same double, in the C locale.
    NoxFormat& operator<<(double value);
    template <std::integral Integer>
    requires(!std::same_as<Integer, bool> && !std::same_as<Integer, char>) NoxFormat& operator<<(
        Integer value) {
        if constexpr (std::is_signed_v<Integer>) {
            AppendInteger(static_cast<long long>(value));
        } else {
            AppendInteger(static_cast<unsigned long long>(value));
        }
        return *this;
    }

    // The stream the next argument may be written to with the stream's own formatting (it
    // carries the locale of the NoxLocalizationEnabler enclosing the construction, if any);
    // AfterInsertion() closes it.
    std::ostream& Stream();
    void AfterInsertion();

    std::string str() const;
    operator std::string() const { return str(); }

private:
    void AppendInteger(long long value);
    void AppendInteger(unsigned long long value);
    template <class Integer>
    void AppendIntegerText(Integer value);

    std::string pattern_;
    std::vector<std::string> arguments_;
    std::locale locale_;
    bool localized_;
    // Made on first use: most messages never need one, and making one costs more than they do.
    std::optional<std::ostringstream> stream_;
};

namespace nox {
// Shortest round-trip text of a double in the C locale ("0.1", "1e+300", "-0").
NOX_EXPORT std::string FormatDouble(double value);
}  // namespace nox
