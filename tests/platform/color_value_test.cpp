#include <gtest/gtest.h>

#include "geometry/color.h"

namespace {

TEST(ColorValue, AutomationSettersKeepTheTopByte) {
    ColorValue color(0x7F123456);
    EXPECT_EQ(color.Rgb(), 0x123456u);
    EXPECT_EQ(color.WithRgb(0xFFABCDEF).Value(), 0x7FABCDEFu);
    EXPECT_EQ(color.Channel(0), 0x56);
    EXPECT_EQ(color.Channel(1), 0x34);
    EXPECT_EQ(color.Channel(2), 0x12);
}

TEST(ColorValue, TextFormReadsBackTheWholeValue) {
    for (uint32_t value : {0x00000000u, 0xFF808080u, 0x7F123456u, 0xFFFFFFFFu, 0x0000000Au}) {
        std::string text = ColorValue(value).ToString();
        EXPECT_EQ(text.size(), 8u) << text;
        std::optional<ColorValue> parsed = ColorValue::Parse(text);
        ASSERT_TRUE(parsed.has_value()) << text;
        EXPECT_EQ(parsed->Value(), value) << text;
    }
    EXPECT_EQ(ColorValue(0xFF0A0B0C).ToString(), "FF0A0B0C");
    EXPECT_EQ(ColorValue::Parse("ff0a0b0c"), ColorValue(0xFF0A0B0C));
}

TEST(ColorValue, RejectsEverythingButEightHexadecimalDigits) {
    for (const char* text : {"", "FF80808", "FF8080800", "0xFF8080", "-F808080", "+F808080", "FF80808G",
                             " FF808080", "FF808080 ", "12345"}) {
        EXPECT_FALSE(ColorValue::Parse(text).has_value()) << '"' << text << '"';
    }
}

}  // namespace
