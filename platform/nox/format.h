// NoxFormat: messages with positional placeholders "%1", "%2", ... filled in insertion order
// (the first insertion fills "%1"). A placeholder without an argument stays as written.
#pragma once

#include <concepts>
#include <sstream>
#include <string>
#include <string_view>
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
        stream_ << value;
        AfterInsertion();
        return *this;
    }

    // The stream the next argument may be written to with the stream's own formatting (it
    // carries the locale of an enclosing NoxLocalizationEnabler); AfterInsertion() closes it.
    std::ostream& Stream() { return stream_; }
    void AfterInsertion();

    std::string str() const;
    operator std::string() const { return str(); }

private:
    std::string pattern_;
    std::vector<std::string> arguments_;
    std::ostringstream stream_;
};

namespace nox {
// Shortest round-trip text of a double in the C locale ("0.1", "1e+300", "-0").
NOX_EXPORT std::string FormatDouble(double value);
}  // namespace nox
