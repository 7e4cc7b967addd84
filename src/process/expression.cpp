#include "process/expression.h"

#include <stdlib.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <locale>
#include <optional>
#include <string_view>

#include "nox/format.h"
#include "nox/locale.h"
#include "nox/result.h"

namespace {

// Significant digits of the canonical text, which stored documents and the engine expect.
constexpr int kCanonicalDigits = 6;

// The number when strtod_l in `locale` reads the whole text (nothing at all for the empty text).
std::optional<double> WholeNumber(const std::string& text, locale_t locale) {
    char* end = nullptr;
    const double value = strtod_l(text.c_str(), &end, locale);
    if (end != text.c_str() + text.size()) return std::nullopt;
    return value;
}

std::optional<double> WholeNumber(const std::string& text, bool localized) {
    if (!localized) return WholeNumber(text, nox::ClassicNumericLocale());
    NoxLocalizationEnabler user;
    return WholeNumber(text, nox::CurrentNumericLocale());
}

// The significant digits of a mantissa such as "-0.00120": every digit from the first that is
// not 0; the lone digit of zero counts.
int SignificantDigits(std::string_view mantissa) {
    int count = 0;
    for (char c : mantissa) {
        if (c >= '0' && c <= '9' && (count > 0 || c != '0')) ++count;
    }
    return std::max(count, 1);
}

// General notation with `digits` significant digits, trailing zeros kept and the decimal point
// always shown, as printf's "%#.*g" in the C locale writes it (std::to_chars rounds exactly as
// it does, whatever the thread's locale); a text that would end in its point ("123456.") gets
// one digit after it instead, and the exponent loses its "+".
std::string CanonicalText(double value, int digits) {
    char buffer[64];
    const char* end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits).ptr;
    const std::string_view text(buffer, static_cast<size_t>(end - buffer));
    if (!std::isfinite(value)) return std::string(text);
    const size_t e = std::min(text.find('e'), text.size());
    std::string canonical(text.substr(0, e));
    if (canonical.find('.') == std::string::npos) canonical += '.';
    canonical.append(static_cast<size_t>(std::max(0, digits - SignificantDigits(text.substr(0, e)))), '0');
    if (e == text.size() && canonical.back() == '.') {
        end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1).ptr;
        return std::string(static_cast<const char*>(buffer), end);
    }
    for (char c : text.substr(e)) {
        if (c != '+') canonical += c;
    }
    return canonical;
}

// The fewest significant digits of any text that reads back as `value`.
int ShortestDigits(double value) {
    char buffer[32];
    const char* end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific).ptr;
    const std::string_view text(buffer, end);
    const std::string_view mantissa = text.substr(0, text.find('e'));
    return static_cast<int>(std::ranges::count_if(mantissa, [](char c) { return c >= '0' && c <= '9'; }));
}

bool ReadsBack(const std::string& text, double value) {
    const std::optional<double> read = WholeNumber(text, nox::ClassicNumericLocale());
    return read && std::bit_cast<uint64_t>(*read) == std::bit_cast<uint64_t>(value);
}

// The user's decimal separator without digit grouping: strtod_l reads no group separators, so
// a grouped display text could not be typed back in.
class UngroupedNumbers : public std::numpunct<char> {
public:
    explicit UngroupedNumbers(char decimalPoint) : decimalPoint_(decimalPoint) {}

protected:
    char do_decimal_point() const override { return decimalPoint_; }
    std::string do_grouping() const override { return {}; }

private:
    char decimalPoint_;
};

std::locale WithoutGrouping(const std::locale& locale) {
    return std::locale(locale,
                       new UngroupedNumbers(std::use_facet<std::numpunct<char>>(locale).decimal_point()));
}

std::string DisplayText(double value) {
    NoxLocalizationEnabler user;
    NoxFormat format("%1");
    std::ostream& stream = format.Stream();
    stream.imbue(WithoutGrouping(stream.getloc()));
    stream << value;
    format.AfterInsertion();
    return format.str();
}

template <class Operation>
KMCExpression Combined(const KMCExpression& a, const KMCExpression& b, const char* pattern,
                       Operation operation) {
    double x = 0.0;
    double y = 0.0;
    if (a.IsNumeric(x) && b.IsNumeric(y)) return KMCExpression(operation(x, y));
    return KMCExpression(std::string(NoxFormat(pattern) << a.ValueAsString(false) << b.ValueAsString(false)));
}

}  // namespace

KMCExpression::KMCExpression(double value) : text_(FormatForVelkor(value)), value_(value) {}

KMCExpression::KMCExpression(const std::string& text) {
    numeric_ = IsExpressionNumeric(text, value_, text_, false);
}

void KMCExpression::SetValue(const std::string& text, ValidationLevel level, bool localized) {
    double value = 0.0;
    std::string canonical;
    std::string message;
    if (!IsExpressionValid(text, value, canonical, message, localized))
        throw NoxResult(E_UNEXPECTED, message);
    if (level == Positive && !(value > 0.0)) throw NoxResult(E_UNEXPECTED, "Numeric value must be positive");
    if (level == NonNegative && !(value >= 0.0))
        throw NoxResult(E_UNEXPECTED, "Numeric value must not be negative");
    text_ = std::move(canonical);
    numeric_ = true;
    value_ = value;
}

bool KMCExpression::IsNumeric(double& value) const {
    value = numeric_ ? value_ : 0.0;
    return numeric_;
}

bool KMCExpression::IsZero() const { return text_.empty() || (numeric_ && value_ == 0.0); }

bool KMCExpression::DependsOn(std::vector<std::string>& names) const {
    names.clear();
    return true;
}

std::string KMCExpression::ValueAsString(bool forDisplay) const {
    return forDisplay && numeric_ ? DisplayText(value_) : text_;
}

bool KMCExpression::IsExpressionNumeric(const std::string& text, double& value, std::string& canonical,
                                        bool localized) {
    const std::optional<double> number = WholeNumber(text, localized);
    value = number.value_or(0.0);
    canonical = number ? FormatForVelkor(*number) : text;
    return number.has_value();
}

bool KMCExpression::IsExpressionValid(const std::string& text, double& value, std::string& canonical,
                                      std::string& message, bool localized) {
    const bool numeric = IsExpressionNumeric(text, value, canonical, localized);
    message.clear();
    if (text.empty())
        message = "Input expression is empty.";
    else if (!numeric || !std::isfinite(value))
        message = "Input expression must be numeric.";
    return message.empty();
}

// Six digits keep the text that stored documents already hold; a value they would round is
// written with the fewest digits that read back as the same double, so a save and load never
// changes a number.
std::string KMCExpression::FormatForVelkor(double value) {
    // No text with fewer digits than the shortest exact one reads back. A smaller precision
    // whose text ends in the point gets one digit after it, but that is the next precision's
    // text, so starting here skips nothing.
    for (int digits = std::max(kCanonicalDigits, ShortestDigits(value));; ++digits) {
        std::string text = CanonicalText(value, digits);
        if (digits == std::numeric_limits<double>::max_digits10 || !std::isfinite(value) ||
            ReadsBack(text, value))
            return text;
    }
}

KMCExpression operator+(const KMCExpression& a, const KMCExpression& b) {
    return Combined(a, b, "( %1 + %2 )", [](double x, double y) { return x + y; });
}

KMCExpression operator*(const KMCExpression& a, const KMCExpression& b) {
    return Combined(a, b, "( %1 * %2 )", [](double x, double y) { return x * y; });
}
