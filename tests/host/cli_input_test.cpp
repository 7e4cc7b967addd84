// kmcdoc and its input: what it refuses to read and why, where a failed load stopped, the
// warnings of a load that changed values, standard output as an output, and running out of memory.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli.h"
#include "example_files.h"
#include "support/failing_allocation.h"

namespace {

using kmctest::Example;
using kmctest::Finished;
using kmctest::Kmcdoc;
using kmctest::ReadFile;

class CliInputTest : public ::testing::Test {
protected:
    CliInputTest() {
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    ~CliInputTest() override { std::filesystem::remove_all(folder_); }

    // The square example with `from` replaced by `to`, written to a file of the test's own.
    std::string Variant(const std::string& name, const std::string& from, const std::string& to) {
        std::string text = ReadFile(Example("square_lattice.xml"));
        text.replace(text.find(from), from.size(), to);
        const std::string path = folder_ + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    const std::string folder_ = testing::TempDir() + "/cli_input_test_" +
                                ::testing::UnitTest::GetInstance()->current_test_info()->name();
};

TEST_F(CliInputTest, WhatCannotBeReadOrLoadedEndsWithTwoAndSaysWhy) {
    const std::string square = Example("square_lattice.xml");
    const std::string badGroup = Variant("badgroup.xml", "p 4 m m", "p 6 m m");
    const std::string size = std::to_string(std::filesystem::file_size(square));
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"show", badGroup},
         badGroup + ":3: Lattice: Symmetry group specified does not match the lattice type"},
        {{"show", "/dev/zero"}, "/dev/zero: cannot read the file: it is a device, not a regular file"},
        {{"validate", folder_}, folder_ + ": cannot read the file: it is a directory, not a regular file"},
        {{"show", "--max-input-size", "100", square},
         square + ": cannot read the file: it is " + size + " bytes, more than the limit of 100 bytes"},
        {{"compare", "--max-input-size", "1k", square, square},
         square + ": cannot read the file: it is " + size + " bytes, more than the limit of 1024 bytes"},
        {{"render", "--max-input-size", "2", square, "-o", folder_ + "/square.svg"},
         square + ": cannot read the file: it is " + size + " bytes, more than the limit of 2 bytes"},
        {{"convert", square, folder_ + "/no/such/folder.xml"},
         folder_ + "/no/such/folder.xml: cannot save the file: No such file or directory"},
    };
    for (const auto& [args, message] : cases) {
        const Finished run = Kmcdoc(args);
        EXPECT_EQ(run.code, kmcdoc::kExitBadInput) << args[0];
        EXPECT_EQ(run.err, "kmcdoc: " + message + "\n");
    }
    EXPECT_EQ(Kmcdoc({"show", "--max-input-size", "100k", square}).code, kmcdoc::kExitSuccess);
    EXPECT_EQ(Kmcdoc({"show", "--max-input-size", "plenty", square}).code, kmcdoc::kExitBadInput);
}

TEST_F(CliInputTest, ConvertAndValidateWarnOfWhatALoadChangedAndStrictConvertWritesNothing) {
    const std::string changed = Variant("changed.xml", "Radius=\"1.1\"", "Radius=\"nan\"");
    const std::string warning =
        "kmcdoc: warning: " + changed +
        ":12: SpeciesList/Species: attribute Radius=\"nan\" is not a number; it loads as 0\n";
    const std::string out = folder_ + "/out.xml";

    const Finished validate = Kmcdoc({"validate", changed});
    EXPECT_EQ(validate.code, kmcdoc::kExitSuccess);
    EXPECT_EQ(validate.err, warning);

    const Finished strict = Kmcdoc({"convert", "--strict", changed, out});
    EXPECT_EQ(strict.code, kmcdoc::kExitBadInput);
    EXPECT_EQ(strict.err, warning + "kmcdoc: " + out + ": not written, as loading " + changed +
                              " changed what it holds (--strict)\n");
    EXPECT_FALSE(std::filesystem::exists(out));

    const Finished convert = Kmcdoc({"convert", changed, out});
    EXPECT_EQ(convert.code, kmcdoc::kExitSuccess);
    EXPECT_EQ(convert.err, warning);
    EXPECT_NE(ReadFile(out).find("Radius=\"0\""), std::string::npos);

    const Finished clean = Kmcdoc({"convert", "--strict", Example("square_lattice.xml"), out});
    EXPECT_EQ(clean.code, kmcdoc::kExitSuccess);
    EXPECT_EQ(clean.err, "");
}

// Standard output is written into, not replaced; here it is the file the test captures it in.
TEST_F(CliInputTest, ConvertWritesToStandardOutput) {
    const Finished run = Kmcdoc({"convert", Example("hexagonal_lattice.xml"), "/dev/stdout"});
    EXPECT_EQ(run.code, kmcdoc::kExitSuccess);
    EXPECT_EQ(run.out, ReadFile(Example("hexagonal_lattice.xml")));
}

// Each allocation of a run fails in turn: every run either succeeds all the same or ends with
// the exit code for bad input and says that memory ran out ("out of memory", or a sentence of the
// library's that says so and where).
TEST_F(CliInputTest, RunningOutOfMemoryEndsWithAMessageNotAnAbort) {
    const std::vector<std::string> args = {"show", Example("square_lattice.xml")};
    const Finished normal = Kmcdoc(args);  // first, so that what is set up once is set up
    ASSERT_EQ(normal.code, kmcdoc::kExitSuccess);
    size_t failures = 0;
    for (size_t n = 1;; ++n) {
        bool failed = false;
        const Finished run = Kmcdoc(args, [&](auto command) {
            kmctest::FailingAllocation failing(n);
            const int code = command();
            failed = failing.Failed();
            return code;
        });
        if (!failed) break;
        ++failures;
        if (run.code == kmcdoc::kExitSuccess) {
            EXPECT_EQ(run.out, normal.out) << n;
        } else {
            EXPECT_EQ(run.code, kmcdoc::kExitBadInput) << n;
            EXPECT_NE(run.err.find("of memory"), std::string::npos) << n << ": " << run.err;
        }
    }
    EXPECT_GT(failures, 100u);
}

}  // namespace
