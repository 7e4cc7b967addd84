// What a load changes without failing, as the reader records it, and where reading stands.
#include <gtest/gtest.h>

#include "support.h"

using namespace kmctest;

namespace {

struct Diagnostic {
    size_t line;
    std::string path, message;
    friend bool operator==(const Diagnostic&, const Diagnostic&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Diagnostic& d) {
        return out << d.line << ": " << d.path << ": " << d.message;
    }
};

class ReaderDiagnosticsTest : public ::testing::Test {
protected:
    void Load(const std::string& text) {
        tree_ = xmlTree::ParseString(text);
        reader_->Initialize(tree_.get());
        NoxBSTR root, version;
        ASSERT_EQ(reader_->InitializeLoader(root.Put(), version.Put()), S_OK);
    }
    IVxXMLToOstrel* Reader() { return reader_.Get(); }
    HRESULT Open(const char* name) { return Reader()->OpenNextElement(Text(name).Get()); }
    std::vector<Diagnostic> Diagnostics() const {
        std::vector<Diagnostic> diagnostics;
        for (const ReadDiagnostic& d : reader_->Diagnostics())
            diagnostics.push_back({d.line, d.path, d.message});
        return diagnostics;
    }
    std::pair<size_t, std::string> Location() const {
        const auto location = reader_->CurrentLocation();
        return location ? std::pair{location->line, location->path}
                        : std::pair{size_t{0}, std::string("<none>")};
    }

    std::unique_ptr<xmlTree> tree_;
    NoxComPtr<XMLToOstrel> reader_ = XMLToOstrel::Create();
};

TEST_F(ReaderDiagnosticsTest, NumbersAndFlagsThatDoNotReadCleanlyAreNamedWithTheirElement) {
    Load(std::string("<Doc>\n"
                     "  <A x=' 1.5 ' n='-0' b='true'/>\n"
                     "  <A x='nan' n='99999999999' b='TRUE'/>\n"
                     "  <A x='1e400' n='12x' b='1'/>\n"
                     "  <A x='1e-400' n=''/>\n"
                     "  <A x='2.5cm' n='-99999999999' b='false'/>\n"
                     "  <List><A x='0e-400' n='") +
         std::string(60, '7') +
         "'/></List>\n"
         "</Doc>");
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(Open("A"), S_OK);
        double x = 0;
        LONG n = 0;
        VARIANT_BOOL b = 0;
        EXPECT_EQ(Reader()->GetDoubleAttributeValue(Text("x").Get(), &x), S_OK);
        EXPECT_EQ(reader_->GetLongAttributeValue(std::string_view("n"), &n),
                  S_OK);                          // the 8-bit entrance records alike
        const bool flagReads = i == 0 || i == 4;  // "true" and "false"; "TRUE", "1" and none read as absent
        EXPECT_EQ(Reader()->GetBoolAttributeValue(Text("b").Get(), &b), flagReads ? S_OK : S_FALSE);
        EXPECT_EQ(Reader()->GetDoubleAttributeValue(Text("absent").Get(), &x), S_FALSE);
        EXPECT_EQ(Reader()->CloseElement(), S_OK);
    }
    ASSERT_EQ(Open("List"), S_OK);
    ASSERT_EQ(Open("A"), S_OK);
    double x = 0;
    LONG n = 0;
    EXPECT_EQ(Reader()->GetDoubleAttributeValue(Text("x").Get(), &x), S_OK);
    EXPECT_EQ(Reader()->GetLongAttributeValue(Text("n").Get(), &n), S_OK);
    const std::vector<Diagnostic> expected = {
        {3, "A", "attribute x=\"nan\" is not a number; it loads as 0"},
        {3, "A", "attribute n=\"99999999999\" is out of range; it loads as 2147483647"},
        {3, "A", "attribute b=\"TRUE\" is neither \"true\" nor \"false\"; it loads as if absent"},
        {4, "A", "attribute x=\"1e400\" is out of range; it loads as 1.7976931348623157e+308"},
        {4, "A", "attribute n=\"12x\" has text after its number; it loads as 12"},
        {4, "A", "attribute b=\"1\" is neither \"true\" nor \"false\"; it loads as if absent"},
        {5, "A", "attribute x=\"1e-400\" is too small to be told from zero; it loads as 0"},
        {5, "A", "attribute n=\"\" is not a number; it loads as 0"},
        {6, "A", "attribute x=\"2.5cm\" has text after its number; it loads as 2.5"},
        {6, "A", "attribute n=\"-99999999999\" is out of range; it loads as -2147483648"},
        {7, "List/A",
         "attribute n=\"" + std::string(40, '7') + "...\" is out of range; it loads as 2147483647"},
    };
    EXPECT_EQ(Diagnostics(), expected);
}

TEST_F(ReaderDiagnosticsTest, WhatAClassLeavesUnreadIsNamedWhenItsElementCloses) {
    Load(
        "<Doc>\n"
        "<Species Name='a'>\n"
        "  <Note/>\n"
        "  loose text\n"
        "  <Extra><Inner/></Extra>\n"
        "</Species>\n"
        "<Species><Read/></Species>\n"
        "</Doc>");
    ASSERT_EQ(Open("Species"), S_OK);
    EXPECT_EQ(Reader()->CloseElement(), S_OK);
    ASSERT_EQ(Open("Species"), S_OK);
    ASSERT_EQ(Open("Read"), S_OK);
    EXPECT_EQ(Reader()->CloseElement(), S_OK);
    EXPECT_EQ(Reader()->CloseElement(), S_OK);
    const std::vector<Diagnostic> expected = {
        {3, "Species", "element \"Note\" is not read and is dropped"},
        {2, "Species", "text \"loose text\" is not read and is dropped"},
        {5, "Species", "element \"Extra\" is not read and is dropped"},
    };
    EXPECT_EQ(Diagnostics(), expected);
}

TEST_F(ReaderDiagnosticsTest, PastTheLimitDiagnosticsAreOnlyCounted) {
    std::string text = "<Doc><Species>";
    for (size_t i = 0; i < XMLToOstrel::kMaxDiagnostics + 5; ++i) text += "<Unknown/>";
    Load(text + "</Species></Doc>");
    ASSERT_EQ(Open("Species"), S_OK);
    EXPECT_EQ(Reader()->CloseElement(), S_OK);
    EXPECT_EQ(reader_->Diagnostics().size(), XMLToOstrel::kMaxDiagnostics);
    EXPECT_EQ(reader_->OmittedDiagnostics(), 5u);
}

TEST_F(ReaderDiagnosticsTest, TheLocationIsThatOfTheOpenElement) {
    Load(
        "<Doc>\n"
        "  <Lattice>\n"
        "    <LatticeSiteList>\n"
        "      <LatticeSite/>\n"
        "    </LatticeSiteList>\n"
        "  </Lattice>\n"
        "</Doc>");
    EXPECT_EQ(Location(), std::pair(size_t{1}, std::string("Doc")));
    ASSERT_EQ(Open("Lattice"), S_OK);
    EXPECT_EQ(Location(), std::pair(size_t{2}, std::string("Lattice")));
    ASSERT_EQ(Open("LatticeSiteList"), S_OK);
    ASSERT_EQ(Open("LatticeSite"), S_OK);
    EXPECT_EQ(Location(), std::pair(size_t{4}, std::string("Lattice/LatticeSiteList/LatticeSite")));
    EXPECT_EQ(Reader()->CloseElement(), S_OK);
    EXPECT_EQ(Location(), std::pair(size_t{3}, std::string("Lattice/LatticeSiteList")));
    EXPECT_EQ(Reader()->CloseElement(), S_OK);
    EXPECT_EQ(Reader()->CloseElement(), S_OK);
    reader_->Finalize();
    EXPECT_EQ(Location(), std::pair(size_t{0}, std::string("<none>")));
    EXPECT_TRUE(reader_->Diagnostics().empty());
}

}  // namespace
