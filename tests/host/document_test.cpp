// Processes documents: load, save, the canonical form, and what a broken file tells the user.
#include <gtest/gtest.h>

#include "example_files.h"
#include "lattice/lattice.h"
#include "processes_document.h"
#include "report.h"
#include "species/species_list.h"
#include "verdicts.h"

namespace {

using kmctest::Example;
using kmctest::ReadFile;


std::string LoadFailure(const std::string& text) {
    try {
        kmcdoc::ProcessesDocument::Parse(text, "test.xml");
    } catch (const NoxResult& failure) {
        return failure.Description();
    }
    return "<loaded>";
}

TEST(ProcessesDocumentTest, ExamplesAreInCanonicalForm) {
    for (const char* name : {"square_lattice.xml", "hexagonal_lattice.xml"}) {
        std::string path = Example(name);
        auto document = kmcdoc::ProcessesDocument::Load(path);
        EXPECT_EQ(document->SaveToString(), ReadFile(path)) << name;
        EXPECT_FALSE(document->Document().Modified());
        EXPECT_FALSE(document->Document().IsLoading());
    }
}

TEST(ProcessesDocumentTest, SummaryReadsEveryObject) {
    auto summary = kmcdoc::Summarize(*kmcdoc::ProcessesDocument::Load(Example("square_lattice.xml")));
    EXPECT_EQ(summary.lattice.group, "p 4 m m");
    EXPECT_EQ(summary.lattice.operatorCount, 8);
    ASSERT_EQ(summary.lattice.sites.size(), 4u);
    EXPECT_EQ(summary.lattice.sites[1].type, "Bridge");
    EXPECT_EQ(summary.lattice.sites[2].label, summary.lattice.sites[1].label);
    ASSERT_EQ(summary.species.size(), 3u);
    EXPECT_EQ(summary.species[0].name, "CO");
    EXPECT_EQ(summary.vacancyColor, "FF808080");
    std::string json = kmcdoc::SummaryJson(summary);
    EXPECT_NE(json.find(R"({"name":"CO","category":"Adsorbate","radius":1.1,"charge":0,"color":"FFE07535"})"),
              std::string::npos);
}

TEST(ProcessesDocumentTest, MissingTrailingObjectsLoadEmpty) {
    auto document = kmcdoc::ProcessesDocument::Parse(
        R"(<ProcessesDocument Version="1.0"><Lattice LatticeType="Square" SymmetryGroup="p 4" LatticeU="3" )"
        R"(LatticeV="3" LatticeTheta="90"><LatticeSiteList NumberOfSites="0"/></Lattice></ProcessesDocument>)",
        "test.xml");
    auto summary = kmcdoc::Summarize(*document);
    EXPECT_EQ(summary.lattice.group, "p 4");
    EXPECT_TRUE(summary.species.empty());
    EXPECT_EQ(summary.vacancySymbol, "V");
}

TEST(ProcessesDocumentTest, BrokenFilesAreDescribed) {
    EXPECT_EQ(
        LoadFailure(R"(<Other Version="1.0"/>)"),
        "test.xml is not a processes document: its root element is \"Other\", not \"ProcessesDocument\".");
    EXPECT_EQ(LoadFailure(R"(<ProcessesDocument Version="2.0"/>)"),
              "test.xml has document version \"2.0\"; this program reads version \"1.0\".");
    EXPECT_EQ(LoadFailure(R"(<ProcessesDocument Version="1.0"><SpeciesList/></ProcessesDocument>)"),
              "Failed to open Lattice element");
    EXPECT_EQ(
        LoadFailure(R"(<ProcessesDocument Version="1.0"><Lattice LatticeType="Square" SymmetryGroup="p 6"/>)"
                    R"(</ProcessesDocument>)"),
        "Symmetry group specified does not match the lattice type");
    EXPECT_EQ(
        LoadFailure(
            R"(<ProcessesDocument Version="1.0"><Lattice LatticeType="Oblique" SymmetryGroup="p 1">)"
            R"(<LatticeSiteList NumberOfSites="0"/></Lattice><SpeciesList/><ProcessList/><InteractionList/><Extra/>)"
            R"(</ProcessesDocument>)"),
        "test.xml holds content after its last top-level element.");
    EXPECT_NE(LoadFailure("<ProcessesDocument"), "<loaded>");
}

TEST(ProcessesDocumentTest, FailureInsideASpeciesReachesTheHostUnchanged) {
    std::string text = ReadFile(Example("square_lattice.xml"));
    text.replace(text.find(R"(Color="FF60BC87")"), 16, R"(Color="green")");
    EXPECT_EQ(LoadFailure(text), "Failed to obtain Color attribute from Species element");
}

TEST(ProcessesDocumentTest, ComparingDocumentsAsksBothLists) {
    auto square = kmcdoc::ProcessesDocument::Load(Example("square_lattice.xml"));
    auto hexagonal = kmcdoc::ProcessesDocument::Load(Example("hexagonal_lattice.xml"));
    auto same = kmcdoc::CompareDocuments(*square, *square);
    EXPECT_TRUE(kmcdoc::AllHold(same));
    auto different = kmcdoc::CompareDocuments(*square, *hexagonal);
    EXPECT_FALSE(kmcdoc::AllHold(different));
    EXPECT_EQ(kmcdoc::VerdictsText(different),
              "lattice: fails\nLattices are of different type.\nspecies list: holds\n");
}

TEST(ProcessesDocumentTest, SummaryShowsEachProcessWithItsSitesAndSymmetry) {
    auto summary = kmcdoc::Summarize(*kmcdoc::ProcessesDocument::Load(Example("square_lattice.xml")));
    ASSERT_TRUE(summary.processes.has_value());
    ASSERT_EQ(summary.processes->size(), 6u);
    const kmcdoc::ProcessSummary& oxidation = (*summary.processes)[5];
    EXPECT_EQ(oxidation.index, 6);
    EXPECT_EQ(oxidation.type, "Reaction");
    ASSERT_EQ(oxidation.activeSites.size(), 2u);
    EXPECT_EQ(oxidation.activeSites[1].site, "( 0 , 0 / 4 )");
    EXPECT_EQ((*summary.processes)[3].symmetryIndices, (std::vector<LONG>{0, 1, 2, 3}));
    const std::string json = kmcdoc::SummaryJson(summary);
    EXPECT_NE(json.find(R"x("blocking_sites":[{"site":"( 1 , 0 / 1 )","pattern":"V"}],"symmetry_indices":[0,1,2,)x"
                        R"(3,4,5,6,7],"symmetry_images":8})"),
              std::string::npos);
    EXPECT_NE(json.find(R"({"index":1,"identifier":"CO_adsorption","description":"CO from the gas phase onto a top )"
                        R"(site","type":"Adsorption","enabled":true,"associative":false,"specification_type":)"
                        R"("Arrhenius","prefactor":"2.00000e08",)"),
              std::string::npos);
    EXPECT_NE(kmcdoc::SummaryText(summary).find("    Reaction ( 0 , 0 / 4 ): O -> V\n"), std::string::npos);
}

// Each verdict's name, flag and text as the library gives it, and every invalid process with --all.
TEST(ProcessesDocumentTest, VerdictsReportEveryProcessProblem) {
    std::string text = ReadFile(Example("square_lattice.xml"));
    auto replaceFirst = [&](const std::string& from, const std::string& to) {
        text.replace(text.find(from), from.size(), to);
    };
    replaceFirst(R"(ResultSpecies="O")", R"(ResultSpecies="X")");
    replaceFirst(R"(Identifier="CO_desorption")", R"(Identifier="CO_adsorption")");
    auto document = kmcdoc::ProcessesDocument::Parse(text, "test.xml");
    auto verdicts = kmcdoc::DocumentVerdicts(*document);
    EXPECT_FALSE(kmcdoc::AllHold(verdicts));
    const std::string invalid = "Error in specification of process O2_adsorption (index 3):\n"
                                "One or more active sites are incorrectly or incompletely specified.";
    EXPECT_EQ(kmcdoc::VerdictsText(verdicts),
              "AreProcessesValid: fails\n" + invalid + "\nAreProcessesUnique: holds\nAreProcessChargesConsistent: holds\n"
              "AreInteractionsUnique: holds\nIsCutoffValid: holds\n");
    auto processes = kmcdoc::ProcessVerdicts(*document);
    ASSERT_EQ(processes.size(), 6u);
    EXPECT_EQ(kmcdoc::InvalidProcessesText(processes), "Invalid enabled processes:\n" + invalid + "\n");
    const std::string json = kmcdoc::VerdictsJson(verdicts, &processes);
    EXPECT_EQ(json.rfind(R"({"verdicts":[{"name":"AreProcessesValid","valid":false,"message":"Error in )", 0), 0u);
    EXPECT_NE(json.find(R"({"index":2,"identifier":"CO_adsorption","valid":true,"message":""})"), std::string::npos);
}

TEST(ProcessesDocumentTest, SavedDocumentLoadsBack) {
    auto document = kmcdoc::ProcessesDocument::Load(Example("hexagonal_lattice.xml"));
    std::string path = testing::TempDir() + "/saved.xml";
    document->Save(path);
    EXPECT_EQ(kmcdoc::ProcessesDocument::Load(path)->SaveToString(), document->SaveToString());
}

}  // namespace
