#include "xmltree/xmltree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "nox/result.h"
#include "platform/xmltree_support.h"

namespace {

using namespace xmltreetest;

TEST(XmlTreeBuild, RejectsInvalidNamesNamingThem) {
    xmlTree tree;
    for (const std::string name : {"", "1st", "a b", "-x", "a<b", "caf\xC3", "x\xEF\xBF\xBE"}) {
        const NoxResult element = Raised([&] { tree.FindElementClass(name); });
        EXPECT_EQ(element.Code(), E_INVALIDARG) << name;
        EXPECT_NE(element.Description().find("\"" + name + "\""), std::string::npos) << element.Description();
        EXPECT_EQ(Raised([&] { tree.FindAttributeClass(name); }).Code(), E_INVALIDARG) << name;
    }
    EXPECT_EQ(tree.FindElementClass("ns:caf\xC3\xA9-1.x_")->Name(), "ns:caf\xC3\xA9-1.x_");
}

TEST(XmlTreeBuild, OneRootAndNoForeignOrMissingArguments) {
    Builder b, other;
    xmlElement* root = b.Add(nullptr, "Root");
    const NoxResult second = Raised([&] { b.Add(nullptr, "Again"); });
    EXPECT_EQ(second.Code(), E_UNEXPECTED);
    EXPECT_EQ(second.Description(), "The XML tree already has a root element");
    EXPECT_EQ(b.tree.Root(), root);
    xmlElement* foreign = other.Add(nullptr, "Foreign");
    EXPECT_EQ(Raised([&] { b.tree.AddElement(root, other.tree.FindElementClass("X")); }).Code(),
              E_INVALIDARG);
    EXPECT_EQ(Raised([&] { b.Add(foreign, "X"); }).Code(), E_INVALIDARG);
    EXPECT_EQ(Raised([&] { b.tree.AddElement(root, nullptr); }).Code(), E_INVALIDARG);
    EXPECT_EQ(Raised([&] { b.Set(foreign, "a", "1"); }).Code(), E_INVALIDARG);
    EXPECT_EQ(Raised([&] { root->AddChild(nullptr); }).Code(), E_INVALIDARG);
    EXPECT_EQ(root->GetNumChildren() + foreign->GetNumChildren(), 0u);
}

TEST(XmlTreeBuild, RejectsTextXmlCannotCarry) {
    Builder b;
    xmlElement* root = b.Add(nullptr, "Root");
    for (const std::string& bad : {std::string("nul\0", 4), std::string("bell\x07"), std::string("cut \xC3"),
                                   std::string("\xEF\xBF\xBF"), std::string("\xED\xA0\x80")}) {
        EXPECT_EQ(Raised([&] { xmlText text(bad); }).Code(), E_INVALIDARG);
        EXPECT_EQ(Raised([&] { b.Set(root, "a", bad); }).Code(), E_INVALIDARG);
    }
    EXPECT_EQ(root->GetAttribute("a"), nullptr);
    EXPECT_EQ(xmlText("tab\tcr\rlf\n\xF0\x9F\x98\x80").Text(), "tab\tcr\rlf\n\xF0\x9F\x98\x80");
}

// Arrays grow in place while they are the latest allocation: elements built in turns, values
// replaced, and an array that outgrows its storage block must all keep every item in order.
TEST(XmlTreeBuild, ElementsBuiltInTurnsKeepEveryAttributeAndChild) {
    Builder b;
    xmlElement* root = b.Add(nullptr, "Root");
    xmlElement* turns[] = {b.Add(root, "A"), b.Add(root, "B"), b.Add(root, "C")};
    const auto name = [](size_t i) { return "a" + std::to_string(i); };
    for (size_t i = 0; i < 700; ++i) {
        b.Set(turns[0], name(i), "first");
        b.Set(turns[1], name(i), std::string(40, 'b'));
        b.Set(turns[0], name(i), std::to_string(i));  // replaces the value in its place
        if (i % 50 == 0) b.Add(turns[2], "Child");
        if (i % 100 == 0) b.Set(turns[2], name(i), "c");
    }
    xmlElement* alone = b.Add(root, "D");
    for (size_t i = 0; i < 3000; ++i) b.Set(alone, name(i), std::to_string(3 * i));

    const auto expect = [&](const xmlElement* element, size_t count, auto value) {
        const std::span<const xmlAttribute> attributes = element->Attributes();
        ASSERT_EQ(attributes.size(), count) << element->Name();
        for (size_t i = 0; i < count; ++i) {
            EXPECT_EQ(attributes[i].Name(), name(i * (element == turns[2] ? 100 : 1))) << element->Name();
            EXPECT_EQ(attributes[i].Value(), value(i)) << element->Name() << " " << i;
        }
    };
    expect(turns[0], 700, [](size_t i) { return std::to_string(i); });
    expect(turns[1], 700, [](size_t) { return std::string(40, 'b'); });
    expect(turns[2], 7, [](size_t) { return std::string("c"); });
    expect(alone, 3000, [](size_t i) { return std::to_string(3 * i); });
    EXPECT_EQ(turns[2]->GetNumChildren(), 14u);
    EXPECT_EQ(root->GetNumChildren(), 4u);
}

TEST(XmlTreeSave, IndentsElementsAndKeepsTextOnOneLine) {
    Builder b;
    xmlElement* root = b.Add(nullptr, "Doc");
    b.Set(root, "Version", "0.9");
    b.Set(root, "Id", "d");
    b.Set(root, "Version", "1.0");  // replaces the value in place
    b.Add(b.Add(root, "List"), "Item");
    Builder::Text(b.Add(root, "Name"), "text");
    xmlElement* mixed = b.Add(root, "Mixed");
    Builder::Text(mixed, "a");
    Builder::Text(b.Add(b.Add(mixed, "b"), "c"), "d");
    EXPECT_EQ(b.tree.SaveString(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<Doc Version=\"1.0\" Id=\"d\">\n"
              "  <List>\n"
              "    <Item/>\n"
              "  </List>\n"
              "  <Name>text</Name>\n"
              "  <Mixed>a<b><c>d</c></b></Mixed>\n"
              "</Doc>\n");
    EXPECT_EQ(Raised([] { xmlTree().SaveString(); }).Code(), E_UNEXPECTED);
}

TEST(XmlTreeSave, RoundTripsSpecialCharactersExactly) {
    const std::string special = "& < > \" ' \t \r \n ]]> caf\xC3\xA9";
    Builder b;
    xmlElement* root = b.Add(nullptr, "Root");
    b.Set(root, "v", special);
    Builder::Text(b.Add(root, "Text"), special);
    Builder::Text(b.Add(root, "Blank"), " \n\t");
    xmlElement* split = b.Add(root, "Split");
    for (const char* part : {"", "  ", "", "\n"}) Builder::Text(split, part);
    b.Add(b.Add(root, "Empty"), "Nested");
    Builder::Text(b.Add(root, "Nothing"), "");

    const std::string saved = b.tree.SaveString();
    const auto reread = xmlTree::ParseString(saved);
    EXPECT_EQ(reread->SaveString(), saved);
    EXPECT_NE(saved.find("v=\"&amp; &lt; &gt; &quot; ' &#9; &#13; &#10; ]]&gt;"), std::string::npos) << saved;
    const xmlElement& copy = *reread->Root();
    EXPECT_EQ(copy.GetAttribute("v")->Value(), special);
    ASSERT_EQ(ChildList(copy), "<Text>,<Blank>,<Split>,<Empty>,<Nothing>");
    EXPECT_EQ(ChildList(*ElementAt(copy, 0)), "'" + special + "'");
    EXPECT_EQ(ChildList(*ElementAt(copy, 1)), "' \n\t'");
    EXPECT_EQ(ChildList(*ElementAt(copy, 2)), "'  \n'");
    EXPECT_EQ(ChildList(*ElementAt(copy, 3)), "<Nested>");
}

TEST(XmlTreeParse, KeepsContentAndDropsEverythingElse) {
    const auto tree = xmlTree::ParseString(
        "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- note -->\n<a x='&lt;&#x41;&#66;&apos;'>\n"
        "  <b>one<![CDATA[<two>&amp;]]>th<!-- c -->ree&#x1F600;</b>\n  <?pi data?>\n  <c/>\n</a>\n");
    const xmlElement& a = *tree->Root();
    EXPECT_EQ(a.GetAttribute("x")->Value(), "<AB'");
    ASSERT_EQ(ChildList(a), "<b>,<c>");
    EXPECT_EQ(ChildList(*ElementAt(a, 0)), "'one<two>&amp;three\xF0\x9F\x98\x80'");
}

TEST(XmlTreeParse, ReportsMalformedInputWithPositionAndRefusesAnyDoctype) {
    const std::pair<std::string, std::string> cases[] = {
        {"<a>\n  <b></a>", "Invalid XML at line 2, column 8: Start-end tags mismatch"},
        {"", "Invalid XML at line 1, column 1: No document element found"},
        {"<a/>\n<b/>", "Invalid XML at line 2, column 2: a second root element \"b\""},
        {"<a/>tail", "Invalid XML at line 1, column 5: text is not allowed outside the root element"},
        {"<a x='1' x='2'/>", "Invalid XML at line 1, column 2: attribute \"x\" is repeated"},
        {"<a x='<'/>", "Invalid XML at line 1, column 2: '<' is not allowed in the value of attribute \"x\""},
        {"<a>\n\xC3\xA9 &nbsp;</a>", "Invalid XML at line 1, column 4: undefined entity \"&nbsp;\""},
        {"<a>fish & chips; salt</a>", "at line 1, column 4: '&' must start an entity or character reference"},
        {"<a>&#0;</a>", "at line 1, column 4: character reference \"&#0;\" names U+0000"},
        {"<a>bell\x07</a>", "at line 1, column 4: Invalid XML text: U+0007 at offset 4 is not allowed"},
        {"<a>\xFF</a>", "at line 1, column 4: Invalid XML text: byte 0xFF at offset 0 is not valid UTF-8"},
        {"<a x\xC2\xA0=''/>", "Invalid XML attribute name \"x\xC2\xA0\": U+00A0 is not allowed in a name"},
        {"<!DOCTYPE a [<!ENTITY x \"boom\">]><a>&x;</a>", "DOCTYPE declarations are not accepted"},
        {"<!DOCTYPE a SYSTEM \"a.dtd\"><a/>", "DOCTYPE declarations are not accepted"},
    };
    for (const auto& [text, expected] : cases) {
        const NoxResult result = Raised([text = text] { xmlTree::ParseString(text); });
        EXPECT_EQ(result.Code(), E_FAIL) << text;
        EXPECT_NE(result.Description().find(expected), std::string::npos) << result.Description();
    }
}

TEST(XmlTreeParse, SurvivesMillionDeepNesting) {
    constexpr size_t kDepth = 1'000'000;
    std::string text;
    text.reserve(7 * kDepth);
    for (size_t i = 0; i < kDepth; ++i) text += "<a>";
    for (size_t i = 0; i < kDepth; ++i) text += "</a>";

    auto tree = xmlTree::ParseString(text);
    size_t depth = 1;
    for (const xmlElement* e = tree->Root(); e->GetNumChildren() > 0; e = ElementAt(*e, 0)) ++depth;
    EXPECT_EQ(depth, kDepth);
    const std::string saved = tree->SaveString();
    EXPECT_LT(saved.size(), text.size() + 10'000);  // indentation stops growing at some depth
    tree.reset();
    EXPECT_EQ(xmlTree::ParseString(saved)->SaveString(), saved);
}

TEST(XmlTreeFile, SavesByReplacingTheTargetAndFailuresNameThePath) {
    const auto folder = std::filesystem::path(::testing::TempDir()) / "xmltree_file_test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "occupied" / "inside");
    Builder b;
    Builder::Text(b.Add(nullptr, "Root"), "v");
    const std::string path = folder / "doc.xml";
    std::ofstream(path) << "old";
    b.tree.SaveFile(path);
    std::ostringstream contents;
    contents << std::ifstream(path).rdbuf();
    EXPECT_EQ(contents.str(), b.tree.SaveString());
    EXPECT_EQ(xmlTree::ParseFile(path)->SaveString(), b.tree.SaveString());

    const std::string missing = folder / "missing.xml";
    const NoxResult unreadable = Raised([&] { xmlTree::ParseFile(missing); });
    EXPECT_EQ(unreadable.Code(), E_FAIL);
    EXPECT_EQ(unreadable.Description(), missing + ": cannot read the file: No such file or directory");
    std::ofstream(missing) << "<a>\n<b>";
    EXPECT_EQ(Raised([&] { xmlTree::ParseFile(missing); })
                  .Description()
                  .rfind(missing + ": invalid XML at line 2", 0),
              0u);
    const NoxResult noFolder = Raised([&] { b.tree.SaveFile(folder / "no" / "such.xml"); });
    EXPECT_EQ(noFolder.Code(), E_FAIL);
    EXPECT_NE(noFolder.Description().find("No such file or directory"), std::string::npos);
    // Renaming a file over a non-empty directory fails after the temporary was written.
    EXPECT_EQ(Raised([&] { b.tree.SaveFile(folder / "occupied"); }).Code(), E_FAIL);
    EXPECT_TRUE(std::filesystem::is_directory(folder / "occupied" / "inside"));
    // No temporary left behind by either save.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 3);
    std::filesystem::remove_all(folder);
}

}  // namespace
