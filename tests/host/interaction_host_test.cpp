// Interactions in the host: the document's interaction list, show and validate, and the
// add-interaction command with its safe save.
#include <gtest/gtest.h>

#include <fstream>

#include "cli.h"
#include "example_files.h"
#include "interaction/interaction_list.h"
#include "interaction_command.h"
#include "nox/strings.h"
#include "processes_document.h"
#include "report.h"
#include "verdicts.h"

namespace {

using kmctest::Example;
using kmctest::ReadFile;

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

using kmctest::Kmcdoc;

// The square example without its interactions, as a file of its own.
std::string WithoutInteractions(const std::string& name) {
    std::string text = ReadFile(Example("square_lattice.xml"));
    const size_t begin = text.find("  <InteractionList"), end = text.find("</ProcessesDocument>");
    text.erase(begin, end - begin);
    const std::string path = testing::TempDir() + "/" + name;
    WriteFile(path, text);
    return path;
}

TEST(InteractionHostTest, TheExampleShowsItsInteractionsByClass) {
    auto summary = kmcdoc::Summarize(*kmcdoc::ProcessesDocument::Load(Example("square_lattice.xml")));
    ASSERT_TRUE(summary.interactions.has_value());
    const kmcdoc::InteractionsSummary& interactions = *summary.interactions;
    EXPECT_EQ(interactions.newActiveSpecies, "CO");
    EXPECT_EQ(interactions.newInteractingSpecies, "O");
    ASSERT_EQ(interactions.interactions.size(), 2u);
    const kmcdoc::InteractionSummary& coco = interactions.interactions[0];
    EXPECT_EQ(coco.details.size(), 16u);
    EXPECT_EQ(coco.details.back().symmetryClass, 4);
    const std::string json = kmcdoc::SummaryJson(summary);
    EXPECT_NE(json.find(R"("new_interaction":{"active_species":"CO","interacting_species":"O","cutoff":4},)"
                        R"("interactions":[{"index":1,"active_species":"CO","interacting_species":"CO",)"
                        R"("minimum_cutoff":2.2,"maximum_cutoff":3,"enabled":true,"details":[{"active_site":)"
                        R"x("( 0 , 0 / 1 )","interacting_site":"( -1 , 0 / 1 )","distance":2.77,"value":)x"
                        R"("0.120000","symmetry_class":1},)"),
              std::string::npos);
    const std::string text = kmcdoc::SummaryText(summary);
    EXPECT_NE(text.find("Interactions: 2; the next new interaction: \"CO\" - \"O\", cutoff 4\n"
                        "  1 CO - CO: distances from 2.2 up to 3, 16 details in 4 symmetry classes\n"
                        "    class 1 (4 details)\n"
                        "      ( 0 , 0 / 1 ) - ( -1 , 0 / 1 ): distance 2.77, value 0.120000\n"),
              std::string::npos);
}

TEST(InteractionHostTest, ValidateAsksForDuplicatesAndForTheCutoffOnceBothSpeciesAreChosen) {
    auto document = kmcdoc::ProcessesDocument::Load(WithoutInteractions("plain.xml"));
    auto names = [](const std::vector<kmcdoc::Verdict>& verdicts) {
        std::string all;
        for (const kmcdoc::Verdict& verdict : verdicts) all += verdict.subject + " ";
        return all;
    };
    EXPECT_EQ(names(kmcdoc::DocumentVerdicts(*document)),
              "AreProcessesValid AreProcessesUnique AreProcessChargesConsistent AreInteractionsUnique ");
    kmcdoc::AddInteraction(*document, "CO", "O", 2.5);
    IVxKMCInteractionList& list = document->InteractionList();
    ASSERT_EQ(list.put_NewInteractionInteractingSpecies(NoxBSTR("CO").Get()), S_OK);
    ASSERT_EQ(list.put_NewInteractionCutoff(2.0), S_OK);  // below the contact distance 2.2
    // A second CO-O interaction comes in through a load, where nothing is checked.
    auto reloaded = kmcdoc::ProcessesDocument::Parse(
        [&] {
            std::string text = document->SaveToString();
            const size_t begin = text.find("    <Interaction "), end = text.find("  </InteractionList>");
            text.insert(end, text.substr(begin, end - begin));
            text.replace(text.find(R"(NumberOfInteractions="1")"), 24, R"(NumberOfInteractions="2")");
            return text;
        }(),
        "twice.xml");
    const auto verdicts = kmcdoc::DocumentVerdicts(*reloaded);
    EXPECT_FALSE(kmcdoc::AllHold(verdicts));
    EXPECT_EQ(names(verdicts),
              "AreProcessesValid AreProcessesUnique AreProcessChargesConsistent AreInteractionsUnique "
              "IsCutoffValid ");
    EXPECT_EQ(kmcdoc::VerdictsText({verdicts[3], verdicts[4]}),
              "AreInteractionsUnique: fails\n"
              "The following interactions appear to be replications of each other,\n"
              "according to their species specifications.\n\n"
              "Interaction 2 between CO and O is a duplicate of interaction 1 \n"
              "IsCutoffValid: fails\n");
}

TEST(InteractionHostTest, AddInteractionSavesInPlaceOrElsewhereAndLosesNothingOnFailure) {
    const std::string path = WithoutInteractions("add.xml");
    kmctest::Finished added = Kmcdoc({"add-interaction", path, "CO", "CO", "3.0"});
    ASSERT_EQ(added.code, kmcdoc::kExitSuccess) << added.err;
    EXPECT_EQ(
        added.out.rfind("  1 CO - CO: distances from 2.2 up to 3, 16 details in 4 symmetry classes\n", 0),
        0u);
    auto document = kmcdoc::ProcessesDocument::Load(path);
    ASSERT_EQ(document->InteractionList().Count(), 1u);
    const std::string saved = ReadFile(path);

    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"CO", "CO", "3.0"}, "kmcdoc: Requested interaction already exists.\n"},
        {{"CO", "Xe", "3.0"}, "kmcdoc: The document has no species named \"Xe\".\n"},
        {{"CO", "Pt", "3.0"},
         "kmcdoc: Interactions may only be defined between species of Adsorbate category.\n"},
        {{"O", "O", "1e12"},
         "kmcdoc: The pairs within the maximum cutoff 1e+12 could lie 361010830325 by 361010830325 cells "
         "away on "
         "this lattice, more than a site address can hold.\n"},
    };
    for (const auto& [arguments, message] : refused) {
        std::vector<std::string> args = {"add-interaction", path};
        args.insert(args.end(), arguments.begin(), arguments.end());
        kmctest::Finished failed = Kmcdoc(args);
        EXPECT_EQ(failed.code, kmcdoc::kExitBadInput);
        EXPECT_EQ(failed.err, message);
        EXPECT_EQ(ReadFile(path), saved);
    }

    const std::string elsewhere = testing::TempDir() + "/elsewhere.xml";
    ASSERT_EQ(Kmcdoc({"add-interaction", path, "O", "CO", "4", "-o", elsewhere}).code,
              kmcdoc::kExitSuccess);
    EXPECT_EQ(ReadFile(path), saved);
    EXPECT_EQ(kmcdoc::ProcessesDocument::Load(elsewhere)->InteractionList().Count(), 2u);
    EXPECT_EQ(Kmcdoc({"validate", elsewhere}).code, kmcdoc::kExitSuccess);
}

}  // namespace
