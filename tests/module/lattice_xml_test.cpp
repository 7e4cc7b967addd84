// Saving and loading lattices: round trips that keep every attribute, and files that are wrong
// or hostile, which fail with their sentence and leave the lattice as it was.
#include <gtest/gtest.h>

#include "lattice_support.h"

using kmctest::MockDocument;
using latticetest::CreateSite;
using latticetest::Load;
using latticetest::MakeLattice;
using latticetest::Save;
using latticetest::Sites;
using latticetest::SiteValues;
using ::testing::NiceMock;
using ::testing::Return;

namespace {

std::string Document(const std::string& body) {
    return "<ProcessesDocument Version=\"1.0\">" + body + "</ProcessesDocument>";
}

std::string LatticeElement(const std::string& attributes, const std::string& list) {
    return Document("<Lattice " + attributes + ">" + list + "</Lattice>");
}

const char* const kSquare =
    R"(LatticeType="Square" SymmetryGroup="p 4 m m" LatticeU="2" LatticeV="2" LatticeTheta="90")";

std::string SiteList(const std::string& count, const std::string& sites) {
    return "<LatticeSiteList NumberOfSites=\"" + count + "\" NextSiteLabel=\"3\">" + sites +
           "</LatticeSiteList>";
}

const char* const kSite =
    R"(<LatticeSite Category="Adsorption site" Type="Top" XPosition="0" YPosition="0" Label="1" Color="FF102030"/>)";

void ExpectSameSites(KMCLattice& a, KMCLattice& b) {
    const std::vector<SiteValues> first = Sites(a), second = Sites(b);
    ASSERT_EQ(first.size(), second.size());
    for (size_t k = 0; k < first.size(); ++k) {
        EXPECT_EQ(std::tie(first[k].category, first[k].type, first[k].x, first[k].y, first[k].label),
                  std::tie(second[k].category, second[k].type, second[k].x, second[k].y, second[k].label));
        EXPECT_EQ(a.RawLatticeSiteList()->Site(static_cast<LONG>(k)).Colour(),
                  b.RawLatticeSiteList()->Site(static_cast<LONG>(k)).Colour());
    }
}

TEST(LatticeXmlTest, SaveAndLoadKeepEveryAttribute) {
    NoxComPtr<KMCLattice> original = MakeLattice("Hexagonal", "p 6 m m", 2.71, 2.71, 60.000000000000007);
    ASSERT_EQ(CreateSite(*original, "Adsorption site", "Top", 0, 0, 0x123456), S_OK);
    ASSERT_EQ(CreateSite(*original, "Adsorption site", "Bridge", 0, 0, 0x00FF00), S_OK);
    ASSERT_EQ(CreateSite(*original, "Adsorption site", "Hollow"), S_OK);
    ASSERT_EQ(CreateSite(*original, "Substrate site", "Other", 0.1, 0.7), S_OK);
    ASSERT_EQ(CreateSite(*original, "Label", "Top", 0.25, 0.5, -1), S_OK);
    const std::string saved = Save(original.Get());
    EXPECT_NE(
        saved.find(
            R"(<Lattice LatticeType="Hexagonal" SymmetryGroup="p 6 m m" LatticeU="2.71" LatticeV="2.71")"
            R"( LatticeTheta="60.00000000000001">)"),
        std::string::npos)
        << saved;
    EXPECT_NE(saved.find(R"(<LatticeSite Category="Adsorption site" Type="Top" XPosition="0" YPosition="0")"
                         R"( Label="1" Color="FF123456"/>)"),
              std::string::npos)
        << saved;

    NoxComPtr<KMCLattice> loaded = KMCLattice::Create();
    ASSERT_EQ(Load(loaded.Get(), saved), std::make_pair(S_OK, std::string()));
    EXPECT_EQ(loaded->LatticeType(), "Hexagonal");
    EXPECT_EQ(loaded->SymmetryOperators(), original->SymmetryOperators());
    double theta = 0;
    loaded->get_AngleTheta(&theta);
    EXPECT_EQ(theta, 60.000000000000007);
    ExpectSameSites(*original, *loaded);
    EXPECT_EQ(Save(loaded.Get()), saved);

    // The next site label comes back too.
    ASSERT_EQ(CreateSite(*loaded, "Substrate site", "Top"), S_OK);
    EXPECT_EQ(Sites(*loaded).back().label, 6);
}

TEST(LatticeXmlTest, LoadedSitesKeepWhatTheFileSays) {
    NoxComPtr<KMCLattice> lattice = KMCLattice::Create();
    const std::string site =
        R"(<LatticeSite Category="Adsorbate" Type="Hollow" XPosition="1.5" YPosition="-2"/>)";
    ASSERT_EQ(Load(lattice.Get(), LatticeElement(kSquare, SiteList("1", site))).first, S_OK);
    const SiteValues values = Sites(*lattice).at(0);
    EXPECT_EQ(std::tie(values.category, values.type, values.x, values.y, values.label),
              std::make_tuple("Adsorbate", "Hollow", 1.5, -2.0, 0));
    EXPECT_EQ(lattice->RawLatticeSiteList()->Site(0).Colour(), ColorValue(0xFF000000));
}

TEST(LatticeXmlTest, ReloadingNeedsALoadingDocument) {
    NiceMock<MockDocument> document;
    NoxComPtr<KMCLattice> lattice = MakeLattice("Square", "p 4 m m");
    lattice->SetParent(&document, nullptr, nullptr, nullptr);
    const std::string file = LatticeElement(kSquare, SiteList("1", kSite));
    EXPECT_EQ(Load(lattice.Get(), file),
              std::make_pair(E_UNEXPECTED, std::string("KMCLattice has already been initialised")));
    EXPECT_CALL(document, IsLoading()).WillRepeatedly(Return(true));
    EXPECT_EQ(Load(lattice.Get(), file).first, S_OK);
    EXPECT_EQ(lattice->RawLatticeSiteList()->Count(), 1);
}

TEST(LatticeXmlTest, BadFilesFailAndChangeNothing) {
    struct Case {
        std::string file;
        const char* message;
    };
    const std::string square = kSquare;
    const Case cases[] = {
        {Document(""), "Failed to open Lattice element"},
        {Document("<Species/>"), "Failed to open Lattice element"},
        {LatticeElement(R"(LatticeType="Oblique" SymmetryGroup="p 9")", SiteList("0", "")),
         "Symmetry group specified for the lattice is unknown"},
        {LatticeElement(R"(LatticeType="Square" SymmetryGroup="p 6")", SiteList("0", "")),
         "Symmetry group specified does not match the lattice type"},
        {LatticeElement("", SiteList("0", "")), "Symmetry group specified for the lattice is unknown"},
        {LatticeElement(square, ""), "Failed to open LatticeSiteList element"},
        {LatticeElement(square, SiteList("2147483647", kSite)), "Failed to open LatticeSite element"},
        {LatticeElement(square, SiteList("2", std::string(kSite) + "<Site/>")),
         "Failed to open LatticeSite element"},
        {LatticeElement(square, SiteList("1", std::string(kSite) + kSite)),
         "Unexpected children found for the LatticeSite element"},
        {LatticeElement(square, SiteList("0", "text")),
         "Unexpected children found for the LatticeSite element"},
        {LatticeElement(square, SiteList("1", R"(<LatticeSite Color="red"/>)")),
         "Failed to obtain Color attribute from LatticeSite element"},
        {LatticeElement(square, SiteList("1", R"(<LatticeSite Color="FF00112233"/>)")),
         "Failed to obtain Color attribute from LatticeSite element"},
    };
    NiceMock<MockDocument> document;
    EXPECT_CALL(document, IsLoading()).WillRepeatedly(Return(true));
    NoxComPtr<KMCLattice> lattice = MakeLattice("Hexagonal", "p 3", 1, 1, 60);
    lattice->SetParent(&document, nullptr, nullptr, nullptr);
    ASSERT_EQ(CreateSite(*lattice, "Adsorption site", "Other", 0.3, 0.1), S_OK);
    const std::string before = Save(lattice.Get());
    for (const Case& c : cases) {
        EXPECT_EQ(Load(lattice.Get(), c.file), std::make_pair(E_UNEXPECTED, std::string(c.message)))
            << c.file;
        EXPECT_EQ(Save(lattice.Get()), before) << c.file;
    }
}

TEST(LatticeXmlTest, ANegativeCountLoadsNoSites) {
    NoxComPtr<KMCLattice> lattice = KMCLattice::Create();
    ASSERT_EQ(Load(lattice.Get(), LatticeElement(kSquare, SiteList("-3", ""))).first, S_OK);
    EXPECT_EQ(lattice->RawLatticeSiteList()->Count(), 0);
}

}  // namespace
