// Configuration documents: load, save, the canonical form, what show and coverage report, the
// comparison with a processes document, and what a broken file tells the user.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli.h"
#include "configuration_document.h"
#include "configuration_report.h"
#include "example_files.h"
#include "processes_document.h"
#include "verdicts.h"

namespace {

using kmctest::Example;
using kmctest::ReadFile;

// A document of a 2 x 1 patch over a lattice of two sites of different categories.
std::string TwoSiteDocument(const std::string& rest, const std::string& patch = R"(CellsU="2" CellsV="1")") {
    return R"(<ConfigurationDocument Version="1.0" )" + patch +
           R"(><Lattice LatticeType="Square" SymmetryGroup="p 4 m m" LatticeU="3" LatticeV="3" LatticeTheta="90">)"
           R"(<LatticeSiteList NumberOfSites="2" NextSiteLabel="2">)"
           R"(<LatticeSite Category="Top" Type="Top" XPosition="0" YPosition="0" Label="1" Color="FF3366CC"/>)"
           R"(<LatticeSite Category="Hollow, fourfold" Type="Hollow" XPosition="0.5" YPosition="0.5" Label="2" )"
           R"(Color="FF3366CC"/></LatticeSiteList></Lattice>)"
           R"(<SpeciesList NumberOfSpecies="2" VacancySymbol="V" VacancyColor="FF808080" NewEnablingSpecies="">)"
           R"(<Species Name="CO" Category="Adsorbate" Radius="1" Charge="0" Color="FF000000"/>)"
           R"(<Species Name="O" Category="Adsorbate" Radius="1" Charge="0" Color="FF000000"/></SpeciesList>)" +
           rest + "</ConfigurationDocument>";
}

std::string Configurations(const std::string& count, const std::string& children) {
    return R"(<Configurations NumberOfConfigurations=")" + count + "\">" + children + "</Configurations>";
}

std::string Frame(const char* time, const char* text) {
    return std::string(R"(<Configuration FrameTime=")") + time + R"(" Config=")" + text + "\"/>";
}

std::string ConfigurationLoadFailure(const std::string& text) {
    try {
        kmcdoc::ConfigurationDocument::Parse(text, "run.xml");
    } catch (const NoxResult& failure) {
        return failure.Description();
    }
    return "<loaded>";
}

TEST(ConfigurationDocumentTest, ExampleIsInCanonicalFormAndMatchesItsProcessesDocument) {
    const std::string path = Example("square_configurations.xml");
    auto document = kmcdoc::ConfigurationDocument::Load(path);
    EXPECT_EQ(document->SaveToString(), ReadFile(path));
    EXPECT_FALSE(document->Document().Modified());
    auto processes = kmcdoc::ProcessesDocument::Load(Example("square_lattice.xml"));
    EXPECT_TRUE(kmcdoc::AllHold(kmcdoc::CompareDocuments(*document, *processes)));
    auto hexagonal = kmcdoc::ProcessesDocument::Load(Example("hexagonal_lattice.xml"));
    EXPECT_EQ(kmcdoc::VerdictsText(kmcdoc::CompareDocuments(*document, *hexagonal)),
              "lattice: fails\nLattices are of different type.\nspecies list: holds\n");
}

TEST(ConfigurationDocumentTest, SummaryCountsEveryEntryOverThePatch) {
    auto summary =
        kmcdoc::Summarize(*kmcdoc::ConfigurationDocument::Load(Example("square_configurations.xml")));
    EXPECT_EQ(summary.cellsU * summary.cellsV * summary.sitesPerCell, 1600);
    ASSERT_EQ(summary.configurations.size(), 4u);
    EXPECT_EQ(summary.configurations[0].format, "2");
    EXPECT_EQ(summary.configurations[0].counts,
              (std::vector<std::pair<std::string, long long>>{{"CO", 0}, {"O", 0}, {"Pt", 0}, {"V", 1600}}));
    for (const auto& configuration : summary.configurations) {
        long long total = 0;
        for (const auto& [entry, count] : configuration.counts) total += count;
        EXPECT_EQ(total, 1600) << configuration.index;
    }
    ASSERT_TRUE(summary.history);
    EXPECT_EQ(summary.history->processesDocument, "square_lattice.xml");
    EXPECT_EQ(summary.history->actions.size(), 3u);
    const std::string json = kmcdoc::SummaryJson(summary);
    for (const char* part :
         {R"("patch":{"cells_u":20,"cells_v":20,"sites_per_cell":4})",
          R"({"index":1,"frame_time":0,"format":"2","counts":{"CO":0,"O":0,"Pt":0,"V":1600}})",
          R"("actions":[{"time":0.5,"pairs":[["CO adsorption",41],)"})
        EXPECT_NE(json.find(part), std::string::npos) << part;
}

TEST(ConfigurationDocumentTest, WithoutAHistoryItSavesNoneAndEntriesOutsideTheListAreCounted) {
    const std::string text =
        TwoSiteDocument(Configurations("2", Frame("0", "1 CO V O Pt") + Frame("2.5", "2 1 1 O V")));
    auto document = kmcdoc::ConfigurationDocument::Parse(text, "run.xml");
    const std::string saved = document->SaveToString();
    EXPECT_EQ(saved.find("ConfigurationHistory"), std::string::npos);
    EXPECT_EQ(kmcdoc::ConfigurationDocument::Parse(saved, "again.xml")->SaveToString(), saved);
    auto summary = kmcdoc::Summarize(*document);
    EXPECT_FALSE(summary.history);
    EXPECT_EQ(summary.configurations[0].counts,
              (std::vector<std::pair<std::string, long long>>{{"CO", 1}, {"O", 1}, {"V", 1}, {"Pt", 1}}));
    EXPECT_NE(kmcdoc::SummaryJson(summary).find(R"("history":null)"), std::string::npos);
    EXPECT_EQ(kmcdoc::CoverageCsv(kmcdoc::Coverage(*document)),
              "frame_time,CO on Top,O on Top,\"CO on Hollow, fourfold\",\"O on Hollow, fourfold\"\n"
              "0,0.5,0.5,0,0\n"
              "2.5,0,1,0,0\n");
    EXPECT_EQ(kmcdoc::CoverageText(kmcdoc::Coverage(*document)).substr(0, 36),
              "frame_time  CO on Top  O on Top  CO ");
}

TEST(ConfigurationDocumentTest, BrokenFilesAreDescribed) {
    const std::string frames = Configurations("1", Frame("0", "1 CO V O V"));
    const std::string history = R"(<ConfigurationHistory NumberHistoryItems="1"><ConfigurationHistoryAction )"
                                R"(NumPairs="1"/></ConfigurationHistory>)";
    for (auto [text, description] : std::vector<std::pair<std::string, std::string>>{
             {R"(<ProcessesDocument Version="1.0"/>)",
              "run.xml is not a configuration document: its root element is \"ProcessesDocument\", not "
              "\"ConfigurationDocument\"."},
             {R"(<ConfigurationDocument Version="2.0"/>)",
              "run.xml has document version \"2.0\"; this program reads version \"1.0\"."},
             {TwoSiteDocument(frames, R"(CellsV="1")"),
              "run.xml has no valid patch size: \"CellsU\" must be a whole number from 1 to 2147483647, not "
              "\"\"."},
             {TwoSiteDocument(frames, R"(CellsU="2" CellsV="1x")"),
              "run.xml has no valid patch size: \"CellsV\" must be a whole number from 1 to 2147483647, not "
              "\"1x\"."},
             {TwoSiteDocument(frames, R"(CellsU="0" CellsV="1")"),
              "run.xml has no valid patch size: \"CellsU\" must be a whole number from 1 to 2147483647, not "
              "\"0\"."},
             {TwoSiteDocument(frames, R"(CellsU="99999999999" CellsV="1")"),
              "run.xml has no valid patch size: \"CellsU\" must be a whole number from 1 to 2147483647, not "
              "\"99999999999\"."},
             {TwoSiteDocument(""), "Failed to open Configurations element"},
             {TwoSiteDocument(Configurations("2147483647", Frame("0", "1 A"))),
              "Failed to open Configuration element"},
             {TwoSiteDocument(Configurations("0", Frame("0", "1 A"))),
              "Unexpected children found for the Configurations element"},
             {TwoSiteDocument(frames + history), "Failed to open KeyValuePair element"},
             {TwoSiteDocument(frames + "<Other/>"),
              "run.xml holds content after its last top-level element."},
         })
        EXPECT_EQ(ConfigurationLoadFailure(text), description) << text.substr(0, 200);
}

TEST(ConfigurationDocumentTest, AConfigurationThatCannotBeReadIsNamed) {
    auto document = kmcdoc::ConfigurationDocument::Parse(
        TwoSiteDocument(Configurations("2", Frame("0", "1 CO V O V") + Frame("1", "1 CO V O"))), "run.xml");
    try {
        kmcdoc::Coverage(*document);
        ADD_FAILURE() << "read an incomplete configuration";
    } catch (const NoxResult& failure) {
        EXPECT_EQ(failure.Code(), E_FAIL);
        EXPECT_EQ(
            failure.Description(),
            "Configuration 2 cannot be read: The configuration string ends before entry 3 of pattern row 0 "
            "(entries and rows count from 0; a row holds 4 entries).");
    }
}

TEST(ConfigurationDocumentTest, CommandsTellTheKindsApart) {
    const std::string run = Example("square_configurations.xml"), square = Example("square_lattice.xml");
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    for (auto [args, code] : std::vector<std::pair<std::vector<std::string>, int>>{
             {{"show", run}, kmcdoc::kExitSuccess},
             {{"coverage", square}, kmcdoc::kExitBadInput},
             {{"compare", run, square}, kmcdoc::kExitSuccess},
             {{"compare", Example("hexagonal_lattice.xml"), run}, kmcdoc::kExitVerdictFailed},
             {{"compare", run, run}, kmcdoc::kExitBadInput},
         }) {
        args.insert(args.begin(), "kmcdoc");
        std::vector<char*> argv;
        for (auto& arg : args) argv.push_back(arg.data());
        EXPECT_EQ(kmcdoc::Run(static_cast<int>(argv.size()), argv.data()), code) << args[1];
    }
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
}

}  // namespace
