// BSTR layout and the UTF-8/UTF-16 conversions.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "com/holders.h"
#include "com/utf.h"

namespace {

using nox::UniqueBstr;

TEST(Bstr, LayoutHasLengthPrefixAlignmentAndTerminator) {
    const OLECHAR text[] = u"ab\0cd";
    UniqueBstr s(SysAllocStringLen(text, 5));
    ASSERT_TRUE(s);
    uint32_t stored = 0;
    std::memcpy(&stored, reinterpret_cast<const char*>(s.get()) - 4, sizeof stored);
    EXPECT_EQ(stored, 10u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(s.get()) % 8, 0u);
    EXPECT_EQ(SysStringLen(s.get()), 5u);  // the embedded NUL does not end it
    EXPECT_EQ(SysStringByteLen(s.get()), 10u);
    EXPECT_EQ(std::u16string_view(s.get(), 6), std::u16string_view(text, 6));

    s.reset(SysAllocStringLen(nullptr, 3));
    ASSERT_TRUE(s);
    EXPECT_EQ(std::u16string_view(s.get(), 4), std::u16string_view(u"\0\0\0\0", 4));
    s.reset(SysAllocString(u""));
    ASSERT_TRUE(s);
    EXPECT_EQ(SysStringLen(s.get()), 0u);
    EXPECT_EQ(s.get()[0], u'\0');

    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    SysFreeString(nullptr);
    EXPECT_EQ(SysAllocStringLen(nullptr, std::numeric_limits<UINT>::max()), nullptr);
    EXPECT_EQ(SysAllocStringLen(nullptr, 0x80000000u), nullptr);
}

TEST(Bstr, OddByteLengthsStayTerminated) {
    for (UINT length : {0u, 1u, 3u, 5u}) {
        UniqueBstr s(SysAllocStringByteLen("abcde", length));
        ASSERT_TRUE(s);
        EXPECT_EQ(SysStringByteLen(s.get()), length);
        EXPECT_EQ(SysStringLen(s.get()), length / 2);
        EXPECT_EQ(std::memcmp(s.get(), "abcde", length), 0);
        const auto* bytes = reinterpret_cast<const unsigned char*>(s.get());
        for (UINT i = length; i < length + 2; ++i) EXPECT_EQ(bytes[i], 0) << "length " << length;
        EXPECT_EQ(s.get()[(length + 1) / 2], u'\0') << "length " << length;
    }
}

TEST(Utf, ValidTextRoundTripsExactly) {
    const struct {
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {"", u""},
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
        {"\xC3\xA5ngstr\xC3\xB6m", u"\u00E5ngstr\u00F6m"},
        {"\xE2\x82\xAC\xEF\xBF\xBF", u"\u20AC\uFFFF"},
        {"\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF", u"\U0001F600\U0010FFFF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(nox::Utf8ToUtf16(c.utf8), c.utf16) << testing::PrintToString(c.utf8);
        EXPECT_EQ(nox::Utf16ToUtf8(c.utf16), c.utf8) << testing::PrintToString(c.utf8);
    }
    const std::string text("x\0\xC3\xA9", 4);
    UniqueBstr s(nox::Utf8ToBstr(text));
    EXPECT_EQ(SysStringLen(s.get()), 3u);
    EXPECT_EQ(nox::BstrToUtf8(s.get()), text);
    EXPECT_EQ(nox::BstrToUtf8(nullptr), "");
}

TEST(Utf, IllFormedTextBecomesReplacementPerMaximalPart) {
    const struct {
        std::string in;
        std::u16string out;
    } cases[] = {
        {"\x80", u"\uFFFD"},                                // lone continuation
        {"a\xC3", u"a\uFFFD"},                              // truncated at the end
        {"\xC3\x61", u"\uFFFDa"},                           // continuation missing: the byte is kept
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong lead
        {"\xE0\x80\x80", u"\uFFFD\uFFFD\uFFFD"},            // overlong three-byte form
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
        {"\xF0\x9F\x98", u"\uFFFD"},                        // truncated four-byte form: one replacement
    };
    for (const auto& c : cases) EXPECT_EQ(nox::Utf8ToUtf16(c.in), c.out) << testing::PrintToString(c.in);
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(nox::Utf16ToUtf8(std::u16string{u'a', char16_t(0xD83D), u'b'}), "a" + replacement + "b");
    EXPECT_EQ(nox::Utf16ToUtf8(std::u16string{char16_t(0xDE00), u'x'}), replacement + "x");
    EXPECT_EQ(nox::Utf16ToUtf8(std::u16string{char16_t(0xD800)}), replacement);
}

}  // namespace
