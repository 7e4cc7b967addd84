// ColorValue: a 32-bit display colour. The low 24 bits hold three 8-bit channels (red in bits
// 0-7, green in 8-15, blue in 16-23); the top byte is a fourth channel that automation never
// sees, so setters that take a colour from automation replace only the low 24 bits.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "com/base.h"

class NOX_EXPORT ColorValue {
public:
    static constexpr uint32_t kRgbMask = 0x00FFFFFF;
    static constexpr uint32_t kOpaqueTop = 0xFF000000;

    constexpr ColorValue() = default;
    constexpr explicit ColorValue(uint32_t value) : value_(value) {}

    constexpr uint32_t Value() const { return value_; }
    // The three channels that automation exchanges.
    constexpr uint32_t Rgb() const { return value_ & kRgbMask; }
    // The low 24 bits of `rgb` in place of this colour's channels; the top byte is kept.
    constexpr ColorValue WithRgb(uint32_t rgb) const {
        return ColorValue((value_ & ~kRgbMask) | (rgb & kRgbMask));
    }
    // Channel 0, 1 or 2 (red, green, blue).
    constexpr uint8_t Channel(int index) const { return static_cast<uint8_t>(value_ >> (8 * index)); }

    // Text form: the whole value as eight upper-case hexadecimal digits, top byte first
    // ("FF808080"), so that a stored colour reads back with its top byte.
    std::string ToString() const;
    // Reads the text form: exactly eight hexadecimal digits in either case, nothing else.
    static std::optional<ColorValue> Parse(std::string_view text);

    friend constexpr bool operator==(ColorValue, ColorValue) = default;

private:
    uint32_t value_ = 0;
};
