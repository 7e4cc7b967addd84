// Saving and loading lattices: round trips that keep every attribute, and files that are wrong
// or hostile, which fail with their sentence and leave the lattice as it was.
#include <gtest/gtest.h>

#include "support.h"

using namespace kmctest;
using ::testing::NiceMock;
using ::testing::Return;

namespace {

std::string LatticeElement(const std::string& attributes, const std::string& list) {
    return "<ProcessesDocument Version=\"1.0\"><Lattice " + attributes + ">" + list +
           "</Lattice></ProcessesDocument>";
}

std::string SiteList(const std::string& count, const std::string& sites) {
    return "<LatticeSiteList NumberOfSites=\"" + count + "\" NextSiteLabel=\"3\">" + sites +
           "</LatticeSiteList>";
}

const std::string kSquare =
    R"(LatticeType="Square" SymmetryGroup="p 4 m m" LatticeU="2" LatticeV="2" LatticeTheta="90")";
const std::string kSite =
    R"(<LatticeSite Category="Adsorption site" Type="Top" XPosition="0" YPosition="0" Label="1" Color="FF102030"/>)";

TEST(LatticeXmlTest, SaveAndLoadKeepEveryAttribute) {
    NoxComPtr<KMCLattice> original = MakeLattice("Hexagonal", "p 6 m m", 2.71, 2.71, 60.000000000000007);
    ASSERT_EQ(CreateSite(*original, "Adsorption site", "Top", 0, 0, 0x123456), S_OK);
    ASSERT_EQ(CreateSite(*original, "Adsorption site", "Hollow"), S_OK);
    ASSERT_EQ(CreateSite(*original, "Substrate site", "Other", 0.1, 0.7, 0x00FF00), S_OK);
    ASSERT_EQ(CreateSite(*original, "Label", "Top", 0.25, 0.5, -1), S_OK);
    const std::string saved = SaveXml(original.Get());
    EXPECT_NE(
        saved.find(
            R"(<Lattice LatticeType="Hexagonal" SymmetryGroup="p 6 m m" LatticeU="2.71" LatticeV="2.71")"
            R"( LatticeTheta="60.00000000000001">)"
            "\n    "
            R"(<LatticeSiteList NumberOfSites="16" NextSiteLabel="5">)"
            "\n      "
            R"(<LatticeSite Category="Adsorption site" Type="Top" XPosition="0" YPosition="0")"
            R"( Label="1" Color="FF123456"/>)"),
        std::string::npos)
        << saved;

    NoxComPtr<KMCLattice> loaded = KMCLattice::Create();
    ASSERT_EQ(LoadXml(loaded.Get(), saved), Outcome(S_OK, ""));
    EXPECT_EQ(loaded->SymmetryOperators(), original->SymmetryOperators());
    EXPECT_EQ(Sites(*loaded), Sites(*original));
    EXPECT_EQ(SaveXml(loaded.Get()), saved);

    // What the file says is kept, even a type that does not follow from the position.
    const std::string odd =
        R"(<LatticeSite Category="Adsorbate" Type="Hollow" XPosition="1.5" YPosition="-2"/>)";
    NoxComPtr<KMCLattice> lenient = KMCLattice::Create();
    ASSERT_EQ(LoadXml(lenient.Get(), LatticeElement(kSquare, SiteList("1", odd))).first, S_OK);
    EXPECT_EQ(Sites(*lenient), (std::vector<SiteValues>{{"Adsorbate", "Hollow", 1.5, -2, 0, 0xFF000000}}));
}

TEST(LatticeXmlTest, ReloadingNeedsALoadingDocument) {
    NiceMock<MockDocument> document;
    NoxComPtr<KMCLattice> lattice = MakeLattice("Square", "p 4 m m");
    lattice->SetParent(&document, nullptr, nullptr, nullptr);
    const std::string file = LatticeElement(kSquare, SiteList("1", kSite));
    EXPECT_EQ(LoadXml(lattice.Get(), file), Outcome(E_UNEXPECTED, "KMCLattice has already been initialised"));
    EXPECT_CALL(document, IsLoading()).WillRepeatedly(Return(true));
    EXPECT_EQ(LoadXml(lattice.Get(), file).first, S_OK);
    EXPECT_EQ(lattice->RawLatticeSiteList()->Count(), 1);
}

TEST(LatticeXmlTest, BadFilesFailAndChangeNothing) {
    const std::pair<std::string, const char*> cases[] = {
        {"<ProcessesDocument><Species/></ProcessesDocument>", "Failed to open Lattice element"},
        {LatticeElement(R"(LatticeType="Square" SymmetryGroup="p 6")", SiteList("0", "")),
         "Symmetry group specified does not match the lattice type"},
        {LatticeElement("", SiteList("0", "")), "Symmetry group specified for the lattice is unknown"},
        {LatticeElement(kSquare, ""), "Failed to open LatticeSiteList element"},
        {LatticeElement(kSquare, SiteList("2147483647", kSite)), "Failed to open LatticeSite element"},
        {LatticeElement(kSquare, SiteList("2", kSite + "<Site/>")), "Failed to open LatticeSite element"},
        {LatticeElement(kSquare, SiteList("1", kSite + kSite)),
         "Unexpected children found for the LatticeSite element"},
        {LatticeElement(kSquare, SiteList("-3", "text")),
         "Unexpected children found for the LatticeSite element"},
        {LatticeElement(kSquare, SiteList("1", R"(<LatticeSite Color="red"/>)")),
         "Failed to obtain Color attribute from LatticeSite element"},
    };
    NiceMock<MockDocument> document;
    EXPECT_CALL(document, IsLoading()).WillRepeatedly(Return(true));
    NoxComPtr<KMCLattice> lattice = MakeLattice("Hexagonal", "p 3", 1, 1, 60);
    lattice->SetParent(&document, nullptr, nullptr, nullptr);
    ASSERT_EQ(CreateSite(*lattice, "Adsorption site", "Other", 0.3, 0.1), S_OK);
    const std::string before = SaveXml(lattice.Get());
    for (const auto& [file, message] : cases) {
        EXPECT_EQ(LoadXml(lattice.Get(), file), Outcome(E_UNEXPECTED, message)) << file;
        EXPECT_EQ(SaveXml(lattice.Get()), before) << file;
    }
}

}  // namespace
