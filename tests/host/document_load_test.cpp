// Loading a processes document: where a failed load stopped, what a load changed without failing,
// and documents in UTF-16.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "example_files.h"
#include "processes_document.h"
#include "xml/reader.h"

namespace {

std::string ExampleText(const char* name) { return kmctest::ReadFile(kmctest::Example(name)); }

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
}

// Where the load of `text` stopped and the library's description, "<loaded>" when it did not.
std::pair<std::string, std::string> Failure(const std::string& text) {
    try {
        kmcdoc::ProcessesDocument::Parse(text, "test.xml");
    } catch (const kmcdoc::LoadFailure& failure) {
        return {failure.Where(), failure.Description()};
    }
    return {"<loaded>", ""};
}

TEST(DocumentLoadTest, AFailedLoadSaysWhereInTheFileItStopped) {
    const std::string square = ExampleText("square_lattice.xml");
    const std::pair<std::string, std::pair<std::string, std::string>> cases[] = {
        {Replaced(square, "p 4 m m", "p 6 m m"),
         {"test.xml:3: Lattice", "Symmetry group specified does not match the lattice type"}},
        {Replaced(square, "Color=\"FF60BC87\"", "Color=\"green\""),
         {"test.xml:13: SpeciesList/Species", "Failed to obtain Color attribute from Species element"}},
        {Replaced(square, "NumberOfSites=\"4\"", "NumberOfSites=\"5\""),
         {"test.xml:4: Lattice/LatticeSiteList", "Failed to open LatticeSite element"}},
        {"<ProcessesDocument Version=\"1.0\">\n<SpeciesList/></ProcessesDocument>",
         {"test.xml:1: ProcessesDocument", "Failed to open Lattice element"}},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(Failure(text), expected);
}

TEST(DocumentLoadTest, WhatALoadChangedWithoutFailingIsListedInFileOrder) {
    std::string text = ExampleText("square_lattice.xml");
    text = Replaced(text, "Radius=\"1.1\"", "Radius=\"nan\"");
    text = Replaced(text, "Charge=\"0\" Color=\"FF60BC87\"/>",
                    "Charge=\"1e3\" Color=\"FF60BC87\"><Note/></Species>");
    text = Replaced(text, "Label=\"1\"", "Label=\"99999999999\"");
    text = Replaced(text, "</Lattice>", "<Symmetry/></Lattice>");
    const auto document = kmcdoc::ProcessesDocument::Parse(text, "test.xml");
    EXPECT_EQ(
        document->LoadWarnings(),
        (std::vector<std::string>{
            "test.xml:5: Lattice/LatticeSiteList/LatticeSite: attribute Label=\"99999999999\" is out of "
            "range; it loads as 2147483647",
            "test.xml:10: Lattice: element \"Symmetry\" is not read and is dropped",
            "test.xml:12: SpeciesList/Species: attribute Radius=\"nan\" is not a number; it loads as 0",
            "test.xml:13: SpeciesList/Species: attribute Charge=\"1e3\" has text after its number; it loads "
            "as 1",
            "test.xml:13: SpeciesList/Species: element \"Note\" is not read and is dropped",
        }));
    EXPECT_TRUE(kmcdoc::ProcessesDocument::Parse(ExampleText("square_lattice.xml"), "x")->LoadWarnings().empty());

    std::string dropped;
    for (size_t i = 0; i < XMLToOstrel::kMaxDiagnostics + 3; ++i) dropped += "<X/>";
    const auto flooded = kmcdoc::ProcessesDocument::Parse(
        Replaced(ExampleText("square_lattice.xml"), "</Lattice>", dropped + "</Lattice>"), "test.xml");
    ASSERT_EQ(flooded->LoadWarnings().size(), XMLToOstrel::kMaxDiagnostics + 1);
    EXPECT_EQ(flooded->LoadWarnings().back(), "test.xml: 3 more like these");
}

TEST(DocumentLoadTest, AUtf16DocumentWithAByteOrderMarkLoadsAsItsUtf8) {
    const std::string utf8 = ExampleText("hexagonal_lattice.xml");
    std::string utf16 = "\xFF\xFE";
    for (const char c : utf8) utf16 += std::string{c, '\0'};  // the examples are ASCII
    EXPECT_EQ(kmcdoc::ProcessesDocument::Parse(utf16, "utf16.xml")->SaveToString(), utf8);
}

}  // namespace
