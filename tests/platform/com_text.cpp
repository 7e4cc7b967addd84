// BSTR layout and the UTF-8/UTF-16 conversions.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "com/oleauto.h"
#include "com/utf.h"

namespace {

uint32_t StoredByteLength(BSTR text) {
    uint32_t length;
    std::memcpy(&length, reinterpret_cast<const char*>(text) - 4, sizeof length);
    return length;
}

TEST(Bstr, LayoutHasLengthPrefixAlignmentAndTerminator) {
    const OLECHAR text[] = u"ab\0cd";
    BSTR s = SysAllocStringLen(text, 5);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(s) % 8, 0u);
    EXPECT_EQ(StoredByteLength(s), 10u);
    EXPECT_EQ(SysStringLen(s), 5u);  // the embedded NUL does not end it
    EXPECT_EQ(SysStringByteLen(s), 10u);
    EXPECT_EQ(std::u16string_view(s, 5), std::u16string_view(text, 5));
    EXPECT_EQ(s[5], u'\0');
    SysFreeString(s);
}

TEST(Bstr, NullAndEmptyInputs) {
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    SysFreeString(nullptr);

    BSTR empty = SysAllocString(u"");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SysStringLen(empty), 0u);
    EXPECT_EQ(empty[0], u'\0');
    SysFreeString(empty);

    BSTR zeros = SysAllocStringLen(nullptr, 3);
    ASSERT_NE(zeros, nullptr);
    EXPECT_EQ(SysStringLen(zeros), 3u);
    for (int i = 0; i <= 3; ++i) EXPECT_EQ(zeros[i], u'\0');
    SysFreeString(zeros);
}

TEST(Bstr, OddByteLengthsStayTerminated) {
    for (UINT length : {0u, 1u, 3u, 5u}) {
        BSTR s = SysAllocStringByteLen("abcde", length);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(SysStringByteLen(s), length);
        EXPECT_EQ(SysStringLen(s), length / 2);
        EXPECT_EQ(std::memcmp(s, "abcde", length), 0);
        const auto* bytes = reinterpret_cast<const unsigned char*>(s);
        for (UINT i = length; i < length + 2; ++i) EXPECT_EQ(bytes[i], 0) << "length " << length;
        EXPECT_EQ(s[(length + 1) / 2], u'\0') << "length " << length;
        SysFreeString(s);
    }
}

TEST(Bstr, LengthThatCannotBeRecordedGivesNull) {
    EXPECT_EQ(SysAllocStringLen(nullptr, std::numeric_limits<UINT>::max()), nullptr);
    EXPECT_EQ(SysAllocStringLen(nullptr, 0x80000000u), nullptr);
}

struct Utf8Case {
    const char* name;
    std::string utf8;
    std::u16string utf16;
};

class ValidText : public testing::TestWithParam<Utf8Case> {};

TEST_P(ValidText, RoundTripsExactly) {
    EXPECT_EQ(nox::Utf8ToUtf16(GetParam().utf8), GetParam().utf16);
    EXPECT_EQ(nox::Utf16ToUtf8(GetParam().utf16), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Utf, ValidText,
    testing::Values(Utf8Case{"empty", "", u""}, Utf8Case{"ascii", "Species A", u"Species A"},
                    Utf8Case{"embeddedNul", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
                    Utf8Case{"twoByte", "\xC3\xA5ngstr\xC3\xB6m", u"\u00E5ngstr\u00F6m"},
                    Utf8Case{"threeByte", "\xE2\x82\xAC\xEF\xBF\xBF", u"\u20AC\uFFFF"},
                    Utf8Case{"supplementary", "\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF", u"\U0001F600\U0010FFFF"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Utf, IllFormedUtf8BecomesReplacementPerMaximalPart) {
    const struct {
        std::string in;
        std::u16string out;
    } cases[] = {
        {"\x80", u"\uFFFD"},    // lone continuation
        {"a\xC3", u"a\uFFFD"},  // truncated at the end
        {"\xC3"
         "a",
         u"\uFFFDa"},                                       // continuation missing: the byte is kept
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong lead
        {"\xE0\x80\x80", u"\uFFFD\uFFFD\uFFFD"},            // overlong three-byte form
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
        {"\xF0\x9F\x98", u"\uFFFD"},                        // truncated four-byte form: one replacement
        {"\xFF", u"\uFFFD"},
    };
    for (const auto& c : cases) EXPECT_EQ(nox::Utf8ToUtf16(c.in), c.out) << testing::PrintToString(c.in);
}

TEST(Utf, UnpairedSurrogatesBecomeReplacement) {
    const std::u16string loneHigh{u'a', char16_t(0xD83D), u'b'};
    const std::u16string loneLow{char16_t(0xDE00), u'x'};
    const std::u16string highAtEnd{char16_t(0xD800)};
    EXPECT_EQ(nox::Utf16ToUtf8(loneHigh),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(nox::Utf16ToUtf8(loneLow), "\xEF\xBF\xBDx");
    EXPECT_EQ(nox::Utf16ToUtf8(highAtEnd), "\xEF\xBF\xBD");
}

TEST(Utf, BstrConversionsKeepWholeLength) {
    EXPECT_EQ(nox::BstrToUtf8(nullptr), "");
    BSTR s = nox::Utf8ToBstr(std::string("x\0\xC3\xA9", 4));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SysStringLen(s), 3u);
    EXPECT_EQ(nox::BstrToUtf8(s), std::string("x\0\xC3\xA9", 4));
    SysFreeString(s);

    BSTR empty = nox::Utf8ToBstr("");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SysStringLen(empty), 0u);
    SysFreeString(empty);
}

}  // namespace
