#include <gtest/gtest.h>

#include "strings/text.h"

namespace {

using Pieces = std::vector<std::string>;

TEST(Trim, RemovesWhiteSpaceAtBothEndsOnly) {
    struct Case {
        std::string_view text, trimmed;
    };
    for (const Case& c : {Case{"  co  ", "co"}, Case{"\t\n\v\f\rCO\r\n", "CO"}, Case{"a b", "a b"},
                          Case{" a  b ", "a  b"}, Case{"", ""}, Case{" \t ", ""}, Case{"x", "x"}}) {
        EXPECT_EQ(strings::Trim(c.text), c.trimmed) << '"' << c.text << '"';
    }
    // A NUL is text, not white space.
    EXPECT_EQ(strings::Trim(std::string_view(" \0 ", 3)), std::string(1, '\0'));
}

TEST(Split, CutsAtEverySeparatorAndKeepsEmptyPieces) {
    EXPECT_EQ(strings::Split("( 1 , -2 / 3 )", "(,/)"), (Pieces{"", " 1 ", " -2 ", " 3 ", ""}));
    EXPECT_EQ(strings::Split("a,,b", ","), (Pieces{"a", "", "b"}));
    EXPECT_EQ(strings::Split("abc", ","), (Pieces{"abc"}));
    EXPECT_EQ(strings::Split("", ","), (Pieces{""}));
    EXPECT_EQ(strings::Split("a,b", ""), (Pieces{"a,b"}));
}

}  // namespace
