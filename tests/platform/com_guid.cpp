#include <gtest/gtest.h>

#include "com/base.h"

namespace {

constexpr GUID kSample = MakeGuid("{1CF2B120-547D-101B-8E65-08002B2BD119}");

TEST(Guid, FormatsUpperCaseAndParsesEitherCase) {
    EXPECT_EQ(nox::FormatGuid(kSample), "{1CF2B120-547D-101B-8E65-08002B2BD119}");
    EXPECT_EQ(nox::FormatGuid(GUID_NULL), "{00000000-0000-0000-0000-000000000000}");
    GUID parsed{};
    ASSERT_TRUE(nox::ParseGuid("{1cf2b120-547d-101b-8e65-08002b2bd119}", parsed));
    EXPECT_EQ(parsed, kSample);
}

TEST(Guid, RejectsMalformedTextAndLeavesOutputAlone) {
    const char* bad[] = {
        "1CF2B120-547D-101B-8E65-08002B2BD119",     // no braces
        "{1CF2B120-547D-101B-8E65-08002B2BD119",    // no closing brace
        "{1CF2B120-547D-101B-8E65-08002B2BD11}",    // short
        "{1CF2B120-547D-101B-8E65-08002B2BD1190}",  // long
        "{1CF2B120_547D-101B-8E65-08002B2BD119}",   // separator
        "{1CF2B12G-547D-101B-8E65-08002B2BD119}",   // not hexadecimal
        "{1CF2B120-547D-101B-8E6508-002B2BD119}",   // dash misplaced
        "",
    };
    for (const char* text : bad) {
        GUID out = kSample;
        EXPECT_FALSE(nox::ParseGuid(text, out)) << text;
        EXPECT_EQ(out, kSample) << text;
    }
}

}  // namespace
