// The kmcdoc command line: exit codes and the type-library report.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli.h"
#include "example_files.h"
#include "document.h"
#include "json.h"
#include "typelib_report.h"

namespace {

TEST(CliTest, ExitCodes) {
    using kmctest::Kmcdoc;
    EXPECT_EQ(Kmcdoc({"--version"}).code, kmcdoc::kExitSuccess);
    EXPECT_EQ(Kmcdoc({"--help"}).code, kmcdoc::kExitSuccess);
    EXPECT_EQ(Kmcdoc({}).code, kmcdoc::kExitBadInput);
    EXPECT_EQ(Kmcdoc({"no-such-command"}).code, kmcdoc::kExitBadInput);
    EXPECT_EQ(Kmcdoc({"typelib", "--no-such-flag"}).code, kmcdoc::kExitBadInput);
    EXPECT_EQ(Kmcdoc({"typelib"}).code, kmcdoc::kExitSuccess);
}

// JSON text without the white space between its tokens.
std::string WithoutLayout(const std::string& json) {
    std::string compact;
    bool inString = false, escaped = false;
    for (char c : json) {
        if (inString) {
            escaped = !escaped && c == '\\';
            if (c == '"' && !escaped) inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == ' ' || c == '\n') {
            continue;
        }
        compact += c;
    }
    return compact;
}

using kmctest::ReadFile;

// Every interface with its members in slot order, reviewed once in the golden file. After an
// intended change, run tests/golden/update.sh and review its diff.
TEST(CliTest, TypeLibraryMatchesTheReviewedGoldenFile) {
    const std::string golden = ReadFile(KMC_SOURCE_DIR "/tests/golden/typelib.json");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(WithoutLayout(kmcdoc::TypeLibraryJson()), WithoutLayout(golden));
}

TEST(CliTest, TypeLibraryTextShowsDirectionsAndTypes) {
    std::string text = kmcdoc::TypeLibraryText();
    EXPECT_NE(text.find("  [1] method InitializeSaver([in] BSTR rootName, [in] BSTR version)"),
              std::string::npos);
}

TEST(JsonWriterTest, EscapesAndSeparates) {
    kmcdoc::JsonWriter json;
    json.BeginObject().Key("a\"b").String("line\nbreak\x01").Key("list").BeginArray();
    json.Integer(-3).Number(0.5).Bool(false).EndArray().EndObject();
    EXPECT_EQ(json.Text(), R"({"a\"b":"line\nbreak\u0001","list":[-3,0.5,false]})");
}

TEST(HostDocumentTest, ReadOnlyDocumentRefusesEdits) {
    kmcdoc::HostDocument document;
    EXPECT_EQ(document.CanEdit().Code(), S_OK);
    document.SetReadOnly(true);
    NoxResult refusal = document.CanEdit();
    EXPECT_TRUE(FAILED(refusal.Code()));
    EXPECT_EQ(refusal.Description(), "The document is open read-only and cannot be changed.");
}

}  // namespace
