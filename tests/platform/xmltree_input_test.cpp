// Reading XML: elements with many attributes, the lines elements start on, encodings, what a file
// must be to be read, and running out of memory.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <pugixml.hpp>
#include <string>
#include <utility>
#include <vector>

#include "platform/xmltree_support.h"
#include "support/failing_allocation.h"

using namespace xmltreetest;

namespace {

using Outcome = std::pair<HRESULT, std::string>;

Outcome OutcomeOf(const NoxResult& result) { return {result.Code(), result.Description()}; }

std::string ElementWithAttributes(size_t count, std::string_view after = "") {
    std::string text = "<e";
    for (size_t i = 0; i < count; ++i) text += " a" + std::to_string(i) + "='" + std::to_string(i) + "'";
    return text + std::string(after) + "/>";
}

TEST(XmlTreeParseAttributes, AllOfALargeElementAreKeptInOrderAndARepeatIsFoundAnywhere) {
    const auto tree = xmlTree::ParseString(ElementWithAttributes(5000));
    const xmlElement& e = *tree->Root();
    ASSERT_EQ(e.Attributes().size(), 5000u);
    EXPECT_EQ(e.Attributes()[4321].Name(), "a4321");
    EXPECT_EQ(e.Attributes()[4321].Value(), "4321");
    EXPECT_EQ(e.GetAttribute("a4999")->Value(), "4999");

    const std::pair<std::string, std::string> repeats[] = {
        {ElementWithAttributes(5000, " a0='x'"), "at line 1, column 2: attribute \"a0\" is repeated"},
        {ElementWithAttributes(5000, " a4999='<'"), "at line 1, column 2: attribute \"a4999\" is repeated"},
        // The same names on the next element, the parent or a child are no repeat.
        {"<a x='1'><b x='1' y='2'/>\n<b y='5' x='6'><c x='7'/></b><b x='1' x='2'/></a>",
         "at line 2, column 31: attribute \"x\" is repeated"},
    };
    for (const auto& [text, expected] : repeats) {
        const NoxResult result = Raised([text = text] { (void)xmlTree::ParseString(text); });
        EXPECT_EQ(OutcomeOf(result), Outcome(E_FAIL, "Invalid XML " + expected));
    }
}

TEST(XmlTreeParseLines, ElementsKeepTheLineTheyStartOn) {
    const auto tree = xmlTree::ParseString(
        "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n"  // 1
        "<!-- a comment\r\n"                       // 2
        "over two lines -->\r\n"                   // 3
        "<root a='1\r\n"                           // 4
        "2' b='x\n"                                // 5
        "y'>\r\n"                                  // 6
        "  <one/><two>text\n"                      // 7
        "\n"                                       // 8
        "more</two>\n"                             // 9
        "  <![CDATA[\n"                            // 10
        "]]><three\n"                              // 11
        "   c='&#10;'/>\n"                         // 12
        "</root>");
    const xmlElement& root = *tree->Root();
    EXPECT_EQ(root.SourceLine(), 4u);
    EXPECT_EQ(root.GetAttribute("a")->Value(), "1 2");  // line breaks in values read as spaces
    std::vector<size_t> lines;
    for (const xmlNode* child : root.Children())
        if (const xmlElement* element = child->AsElement()) lines.push_back(element->SourceLine());
    EXPECT_EQ(lines, (std::vector<size_t>{7, 7, 11}));

    Builder built;
    EXPECT_EQ(built.Add(nullptr, "Root")->SourceLine(), 0u);
}

// Lines of every length, so that line starts fall everywhere in whatever blocks the count uses.
TEST(XmlTreeParseLines, LinesAreCountedAcrossLongDocuments) {
    std::string text = "<root>\n";
    for (size_t i = 0; i < 3000; ++i) text += "<e v='" + std::string(i * 7 % 700, 'x') + "'/>\n";
    const auto tree = xmlTree::ParseString(text + "</root>");
    size_t line = 2;
    for (const xmlNode* child : tree->Root()->Children()) ASSERT_EQ(child->AsElement()->SourceLine(), line++);
}

// The parser writes into the text it reads; positions are still those of the text as it was.
TEST(XmlTreeParseLines, FailuresNameThePositionInTheOriginalText) {
    const std::pair<std::string, std::string> cases[] = {
        {"<a b='1\n2'\tc='\r\n'>\n<c>&bad;</c></a>", "line 4, column 4: undefined entity"},
        {"<a\n/>\n<b/>", "line 3, column 2: a second root element \"b\""},
        {"<a>x\r\ny\r\n<b>&#0;</b></a>", "line 3, column 4: character reference \"&#0;\""},
    };
    for (const auto& [text, expected] : cases) {
        const std::string description =
            Raised([text = text] { (void)xmlTree::ParseString(text); }).Description();
        EXPECT_NE(description.find(expected), std::string::npos) << description;
    }
}

std::string Utf16(std::u16string_view text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

TEST(XmlTreeParseEncodings, Utf16WithAByteOrderMarkReadsAsItsUtf8) {
    const std::string expected =
        xmlTree::ParseString("<a x=\"caf\xC3\xA9\">\n  <b>\xF0\x9F\x98\x80 \xE4\xB8\xAD</b>\n</a>")
            ->SaveString();
    for (const bool bigEndian : {false, true}) {
        const auto tree =
            xmlTree::ParseString(Utf16(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<a x=\"caf\u00E9\">\n  "
                                       u"<b>\U0001F600 \u4E2D</b>\n</a>",
                                       bigEndian));
        EXPECT_EQ(tree->SaveString(), expected);
        EXPECT_EQ(ElementAt(*tree->Root(), 0)->SourceLine(), 3u);
    }
}

TEST(XmlTreeParseEncodings, WhatCannotBeReadIsRefusedByName) {
    const std::pair<std::string, std::string> cases[] = {
        {std::string("\xFF\xFE\0\0<\0\0\0", 8),
         "the file is in UTF-32, which is not supported; save it as UTF-8"},
        {std::string("\0\0\xFE\xFF\0\0\0<", 8),
         "the file is in UTF-32, which is not supported; save it as UTF-8"},
        {std::string("<\0a\0/\0>\0", 8),
         "the file looks like UTF-16 without a byte-order mark, which is not supported; save it as UTF-8"},
        {std::string("\xFF\xFE<\0\x00\xD8/\0>\0", 10), "the UTF-16 text has an unpaired surrogate at byte 4"},
        {std::string("\xFE\xFF\0<\xDC\x00", 6), "the UTF-16 text has an unpaired surrogate at byte 4"},
        {std::string("\xFF\xFE<\0a", 5), "the UTF-16 text ends in the middle of a character"},
    };
    for (const auto& [text, reason] : cases) {
        EXPECT_EQ(OutcomeOf(Raised([text = text] { (void)xmlTree::ParseString(text); })),
                  Outcome(E_FAIL, "Invalid XML: " + reason));
    }
}

TEST(XmlTreeFileRead, OnlyRegularFilesUpToTheLimitAreRead) {
    const ScratchFolder folder;
    const std::string document = folder / "doc.xml";
    Write(document, "<a/>");
    EXPECT_EQ(xmlTree::ParseFile(document, 4)->Root()->Name(), "a");
    EXPECT_EQ(
        OutcomeOf(Raised([&] { xmlTree::ParseFile(document, 3); })),
        Outcome(E_FAIL, document + ": cannot read the file: it is 4 bytes, more than the limit of 3 bytes"));

    const std::string pipe = folder / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const auto& [path, kind] : {std::pair<std::string, std::string>{folder.Path(), "a directory"},
                                     {"/dev/zero", "a device"},
                                     {pipe, "a pipe"}}) {
        EXPECT_EQ(OutcomeOf(Raised([path = path] { (void)xmlTree::ParseFile(path); })),
                  Outcome(E_FAIL, path + ": cannot read the file: it is " + kind + ", not a regular file"));
    }
}

void* NoMemory(size_t) { return nullptr; }

// Every failure to allocate, in pugixml or while the tree is built, says so; none is taken for a
// fault of the text.
TEST(XmlTreeParseMemory, RunningOutOfMemoryIsReportedAsSuch) {
    const std::string text = "<a x='1&amp;2'>\n<b>text &lt; more</b><c y='z'/><c y='z'/></a>";
    const pugi::allocation_function allocate = pugi::get_memory_allocation_function();
    pugi::set_memory_management_functions(NoMemory, pugi::get_memory_deallocation_function());
    const NoxResult pugixmlFailure = Raised([text = text] { (void)xmlTree::ParseString(text); });
    pugi::set_memory_management_functions(allocate, pugi::get_memory_deallocation_function());
    EXPECT_EQ(OutcomeOf(pugixmlFailure), Outcome(E_OUTOFMEMORY, "Out of memory while parsing XML"));

    const ScratchFolder folder;
    const std::string path = folder / "doc.xml";
    Write(path, text);
    for (const auto& [parse, expected] :
         {std::pair<std::function<void()>, std::string>{[text = text] { (void)xmlTree::ParseString(text); },
                                                        "Out of memory while parsing XML"},
          {[path = path] { (void)xmlTree::ParseFile(path); },
           path + ": out of memory while reading the file"}}) {
        const std::vector<std::exception_ptr> failures = kmctest::FailuresWithEachAllocationFailing(parse);
        EXPECT_GE(failures.size(), 5u);
        for (const std::exception_ptr& failure : failures) {
            ASSERT_TRUE(failure);
            EXPECT_EQ(OutcomeOf(Raised([&] { std::rethrow_exception(failure); })),
                      Outcome(E_OUTOFMEMORY, expected));
        }
    }
}

}  // namespace
