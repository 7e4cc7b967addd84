// The kmcdoc command line: exit codes and the type-library report.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli.h"
#include "document.h"
#include "json.h"
#include "typelib_report.h"

namespace {

int RunWith(std::vector<std::string> args) {
    args.insert(args.begin(), "kmcdoc");
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    return kmcdoc::Run(static_cast<int>(argv.size()), argv.data());
}

TEST(CliTest, ExitCodes) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunWith({"--version"}), kmcdoc::kExitSuccess);
    EXPECT_EQ(RunWith({"--help"}), kmcdoc::kExitSuccess);
    EXPECT_EQ(RunWith({}), kmcdoc::kExitBadInput);
    EXPECT_EQ(RunWith({"no-such-command"}), kmcdoc::kExitBadInput);
    EXPECT_EQ(RunWith({"typelib", "--no-such-flag"}), kmcdoc::kExitBadInput);
    EXPECT_EQ(RunWith({"typelib"}), kmcdoc::kExitSuccess);
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
}

TEST(CliTest, TypeLibraryListsInterfacesAndMembersInSlotOrder) {
    std::string json = kmcdoc::TypeLibraryJson();
    size_t writer =
        json.find(R"({"interface":"IVxOstrelToXML","iid":"{67D5E4D2-1308-416C-AFAB-937A38AD82CF}")");
    size_t reader = json.find(R"("interface":"IVxXMLToOstrel")");
    ASSERT_NE(writer, std::string::npos);
    ASSERT_NE(reader, std::string::npos);
    EXPECT_LT(writer, reader);
    EXPECT_LT(json.find(R"("name":"InitializeSaver")", writer), json.find(R"("name":"AddValue")", writer));
    EXPECT_NE(json.find(R"({"name":"value","type":"VARIANT_BOOL*","dir":"retval"})", reader),
              std::string::npos);

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
