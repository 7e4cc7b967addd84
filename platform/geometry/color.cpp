#include "geometry/color.h"

#include <charconv>

namespace {
constexpr size_t kTextDigits = 8;
}

std::string ColorValue::ToString() const {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(kTextDigits, '0');
    for (size_t i = 0; i < kTextDigits; ++i) text[kTextDigits - 1 - i] = kDigits[(value_ >> (4 * i)) & 0xF];
    return text;
}

std::optional<ColorValue> ColorValue::Parse(std::string_view text) {
    // from_chars would also take fewer digits; a fixed width keeps the form one text per value.
    if (text.size() != kTextDigits) return std::nullopt;
    uint32_t value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value, 16);
    if (error != std::errc() || stop != end) return std::nullopt;
    return ColorValue(value);
}
