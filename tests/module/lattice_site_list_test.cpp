// Sites and the site list: symmetry orbits with their labels, geometric types, wrapping into the
// cell, duplicate refusal, deletion of whole orbits, Clone, comparison and finding sites.
#include <gtest/gtest.h>

#include <limits>

#include "lattice_support.h"

using kmctest::MockDocument;
using kmctest::TakeErrorDescription;
using kmctest::Text;
using latticetest::CreateSite;
using latticetest::MakeLattice;
using latticetest::Sites;
using latticetest::SiteValues;
using ::testing::NiceMock;
using ::testing::Return;

namespace {

constexpr double kThird = 1.0 / 3.0;

struct Position {
    double x, y;
    LONG label;
};

void ExpectSites(KMCLattice& lattice, const std::vector<Position>& expected, const std::string& context) {
    const std::vector<SiteValues> sites = Sites(lattice);
    ASSERT_EQ(sites.size(), expected.size()) << context;
    for (size_t k = 0; k < sites.size(); ++k) {
        EXPECT_NEAR(sites[k].x, expected[k].x, 1e-12) << context << " site " << k;
        EXPECT_NEAR(sites[k].y, expected[k].y, 1e-12) << context << " site " << k;
        EXPECT_EQ(sites[k].label, expected[k].label) << context << " site " << k;
    }
}

KMCLatticeSiteList& List(KMCLattice& lattice) { return *lattice.RawLatticeSiteList(); }

HRESULT CreateSingle(KMCLattice& lattice, const char* category, double x, double y, LONG label) {
    NoxComPtr<IVxKMCLatticeSite> site;
    return List(lattice).CreateLatticeSite2(Text(category).Get(), Text("Other").Get(), x, y, 0, label,
                                            site.Put());
}

TEST(LatticeSiteListTest, RequestsExpandIntoLabelledOrbits) {
    struct Case {
        const char* type;
        const char* group;
        const char* siteType;
        std::vector<Position> sites;
    };
    const Case cases[] = {
        // (0.5, 0) maps onto (0, 0.5): the second requested bridge is already made.
        {"Square", "p 4 m m", "Bridge", {{0.5, 0, 1}, {0, 0.5, 1}}},
        {"Rectangular", "p 2 m m", "Bridge", {{0.5, 0, 1}, {0, 0.5, 2}}},
        {"Oblique", "p 1", "Hollow", {{0.5, 0.5, 1}}},
        {"Hexagonal", "p 6 m m", "Hollow", {{kThird, kThird, 1}, {2 * kThird, 2 * kThird, 1}}},
        {"Hexagonal", "p 3", "Hollow", {{kThird, kThird, 1}, {2 * kThird, 2 * kThird, 2}}},
        {"Hexagonal", "p 6", "Bridge", {{0.5, 0, 1}, {0, 0.5, 1}, {0.5, 0.5, 1}}},
        {"Square", "p 4 m m", "Top", {{0, 0, 1}}},
    };
    for (const Case& c : cases) {
        NoxComPtr<KMCLattice> lattice = MakeLattice(c.type, c.group);
        NoxComPtr<IVxKMCLatticeSite> first;
        ASSERT_EQ(List(*lattice).CreateLatticeSite(Text("Adsorption site").Get(), Text(c.siteType).Get(), 0.9,
                                                   0.9, 0x123456, first.Put()),
                  S_OK)
            << c.group;
        ExpectSites(*lattice, c.sites, std::string(c.group) + " " + c.siteType);
        EXPECT_EQ(first.Get(),
                  static_cast<IVxKMCLatticeSite*>(&const_cast<KMCLatticeSite&>(List(*lattice).Site(0))));
        for (const SiteValues& site : Sites(*lattice)) EXPECT_EQ(site.type, c.siteType) << c.group;
        // The next request starts a new label.
        ASSERT_EQ(CreateSite(*lattice, "Substrate site", "Top"), S_OK);
        EXPECT_EQ(Sites(*lattice).back().label, c.sites.back().label + 1) << c.group;
    }
}

TEST(LatticeSiteListTest, GeneralPositionGetsOneImagePerOperator) {
    NoxComPtr<KMCLattice> lattice = MakeLattice("Square", "p 4 m m");
    ASSERT_EQ(CreateSite(*lattice, "Adsorption site", "Other", 0.2, 0.1, 0x00FF00), S_OK);
    const std::vector<SiteValues> sites = Sites(*lattice);
    ASSERT_EQ(sites.size(), 8u);
    for (const SiteValues& site : sites) {
        EXPECT_EQ(site.label, 1);
        EXPECT_EQ(site.type, "Other");
        EXPECT_GE(site.x, 0.0);
        EXPECT_LT(site.x, 1.0);
    }
    EXPECT_EQ(List(*lattice).Site(0).Colour(), ColorValue(0xFF00FF00));
    LONG related = 0;
    EXPECT_EQ(List(*lattice).get_CountRelatedSites(5, &related), S_OK);
    EXPECT_EQ(related, 8);
}

TEST(LatticeSiteListTest, PositionsWrapIntoTheCell) {
    struct Case {
        double x, y, storedX, storedY;
    };
    const Case cases[] = {
        {1.005, -0.004, 0, 0},
        {0.995, 0.3, 0, 0.3},
        {-0.25, 2.5, 0.75, 0.5},
        {0.3, 0.009, 0.3, 0},
    };
    NoxComPtr<KMCLattice> lattice = MakeLattice("Oblique", "p 1");
    LONG label = 10;
    for (const Case& c : cases) {
        ASSERT_EQ(CreateSingle(*lattice, "Label", c.x, c.y, label++), S_OK);
        EXPECT_DOUBLE_EQ(Sites(*lattice).back().x, c.storedX) << c.x;
        EXPECT_DOUBLE_EQ(Sites(*lattice).back().y, c.storedY) << c.y;
    }
}

TEST(LatticeSiteListTest, GeometricTypeFollowsThePositionAndTheLatticeType) {
    struct Case {
        const char* category;
        double x, y;
        const char* square;
        const char* hexagonal;
    };
    const Case cases[] = {
        {"Adsorption site", 0, 0, "Top", "Top"},
        {"Adsorption site", 1.004, -0.003, "Top", "Top"},
        {"Adsorption site", 0.5, 0, "Bridge", "Bridge"},
        {"Substrate site", 0, 0.5, "Bridge", "Bridge"},
        {"Adsorption site", 0.5, 0.5, "Hollow", "Bridge"},
        {"Adsorption site", kThird, kThird, "Other", "Hollow"},
        {"Adsorption site", 0.67, 0.67, "Other", "Hollow"},
        {"Adsorption site", kThird, 2 * kThird, "Other", "Other"},
        {"Label", 0, 0, "Other", "Other"},
    };
    NoxComPtr<KMCLattice> square = MakeLattice("Square", "p 4");
    NoxComPtr<KMCLattice> hexagonal = MakeLattice("Hexagonal", "p 6", 1, 1, 60);
    LONG label = 1;
    for (const Case& c : cases) {
        for (KMCLattice* lattice : {square.Get(), hexagonal.Get()}) {
            ASSERT_EQ(CreateSingle(*lattice, c.category, c.x, c.y, label++), S_OK) << c.x << "," << c.y;
            const SiteValues site = Sites(*lattice).back();
            EXPECT_EQ(site.type, lattice == square.Get() ? c.square : c.hexagonal) << c.x << "," << c.y;
            EXPECT_EQ(site.category, c.category);
        }
        // Each position is used once per lattice, so clear between cases.
        List(*square).ClearLatticeSiteList();
        List(*hexagonal).ClearLatticeSiteList();
    }
}

TEST(LatticeSiteListTest, TakenPositionsAreRefusedPerCategory) {
    NoxComPtr<KMCLattice> lattice = MakeLattice("Square", "p 4 m m");
    ASSERT_EQ(CreateSite(*lattice, "Adsorption site", "Top"), S_OK);
    EXPECT_EQ(CreateSite(*lattice, "Adsorption site", "Top"), E_UNEXPECTED);
    EXPECT_EQ(TakeErrorDescription(), "Requested lattice sites already exist - request ignored.");
    EXPECT_EQ(CreateSite(*lattice, "Adsorption site", "Other", 1.003, 0.002), E_UNEXPECTED);
    EXPECT_EQ(CreateSite(*lattice, "Substrate site", "Top"), S_OK);
    // Labels mark places, even taken ones, and are never expanded.
    EXPECT_EQ(CreateSite(*lattice, "Label", "Top", 0.2, 0.1), S_OK);
    EXPECT_EQ(CreateSite(*lattice, "Label", "Top", 0.2, 0.1), S_OK);
    ExpectSites(*lattice, {{0, 0, 1}, {0, 0, 2}, {0.2, 0.1, 3}, {0.2, 0.1, 4}}, "taken");
}

TEST(LatticeSiteListTest, FailedRequestsLeaveTheListAsItWas) {
    NoxComPtr<KMCLattice> lattice = MakeLattice("Square", "p 4 m m");
    ASSERT_EQ(CreateSite(*lattice, "Adsorption site", "Top"), S_OK);
    EXPECT_EQ(CreateSite(*lattice, "adsorption site", "Hollow"), E_UNEXPECTED);
    EXPECT_EQ(TakeErrorDescription(), "Invalid lattice site category specification.");
    EXPECT_EQ(CreateSite(*lattice, "Adsorption site", "Other", std::nan(""), 0.2), E_INVALIDARG);
    // A request whose orbit would need a label past the last one is refused whole.
    EXPECT_EQ(CreateSingle(*lattice, "Adsorption site", 0.2, 0.2, std::numeric_limits<LONG>::max()),
              E_UNEXPECTED);
    EXPECT_EQ(TakeErrorDescription(), "No further lattice site labels are available.");
    ExpectSites(*lattice, {{0, 0, 1}}, "after failures");
    ASSERT_EQ(CreateSite(*lattice, "Adsorption site", "Hollow"), S_OK);
    EXPECT_EQ(Sites(*lattice).back().label, 2);
}

TEST(LatticeSiteListTest, EditsGoThroughTheDocument) {
    NiceMock<MockDocument> document;
    NoxComPtr<KMCLattice> lattice = MakeLattice("Square", "p 4 m m");
    lattice->SetParent(&document, nullptr, nullptr, nullptr);

    EXPECT_CALL(document, CanEdit()).WillOnce(Return(NoxResult(E_ACCESSDENIED, "Document is read-only.")));
    EXPECT_CALL(document, SetModified(true)).Times(0);
    EXPECT_EQ(CreateSite(*lattice, "Adsorption site", "Top"), E_ACCESSDENIED);
    EXPECT_EQ(TakeErrorDescription(), "Document is read-only.");
    EXPECT_EQ(List(*lattice).Count(), 0);
    ::testing::Mock::VerifyAndClearExpectations(&document);

    // While the document loads, a request makes just the site asked for.
    EXPECT_CALL(document, IsLoading()).WillRepeatedly(Return(true));
    EXPECT_CALL(document, SetModified(true)).Times(2);  // the site, then its label
    ASSERT_EQ(CreateSite(*lattice, "Adsorption site", "Bridge", 0.5, 0), S_OK);
    ExpectSites(*lattice, {{0.5, 0, 1}}, "loading");

    NoxComPtr<IVxKMCLatticeSite> site;
    List(*lattice).get_Item(0, site.Put());
    EXPECT_EQ(site->put_Label(7), S_OK);
    EXPECT_EQ(Sites(*lattice)[0].label, 7);
}

TEST(LatticeSiteListTest, LabelsChangeOnlyWhileLoading) {
    NiceMock<MockDocument> document;
    NoxComPtr<KMCLattice> lattice = MakeLattice("Square", "p 4 m m");
    lattice->SetParent(&document, nullptr, nullptr, nullptr);
    ASSERT_EQ(CreateSite(*lattice, "Adsorption site", "Top"), S_OK);
    NoxComPtr<IVxKMCLatticeSite> site;
    List(*lattice).get_Item(0, site.Put());
    EXPECT_EQ(site->put_Label(5), E_UNEXPECTED);
    EXPECT_EQ(TakeErrorDescription(), "Site label can only be set during loading of document");
    EXPECT_EQ(Sites(*lattice)[0].label, 1);
    EXPECT_EQ(site->Delete(), S_OK);
    EXPECT_EQ(List(*lattice).Count(), 1);
}

class DeletionTest : public ::testing::Test {
protected:
    DeletionTest() {
        EXPECT_EQ(CreateSite(*lattice_, "Adsorption site", "Top"), S_OK);     // 0
        EXPECT_EQ(CreateSite(*lattice_, "Adsorption site", "Bridge"), S_OK);  // 1, 2
        EXPECT_EQ(CreateSite(*lattice_, "Adsorption site", "Hollow"), S_OK);  // 3
    }
    std::string Refusal(LONG index, HRESULT expected = S_OK) {
        NoxBSTR message;
        VARIANT_BOOL can = 7;
        EXPECT_EQ(List(*lattice_).get_CanDeleteSite(index, message.Put(), &can), expected);
        EXPECT_EQ(can == VARIANT_TRUE, expected == S_OK && message.Length() == 0);
        return message.ToTString();
    }
    NoxComPtr<KMCLattice> lattice_ = MakeLattice("Square", "p 4 m m");
};

TEST_F(DeletionTest, TheTopSiteStays) {
    EXPECT_EQ(Refusal(0), "You may not delete site index 1 (the Top site).");
    EXPECT_EQ(List(*lattice_).DeleteSite(0), E_UNEXPECTED);
    EXPECT_EQ(TakeErrorDescription(),
              "Unable to delete lattice site:\nYou may not delete site index 1 (the Top site).");
    EXPECT_EQ(List(*lattice_).Count(), 4);
}

TEST_F(DeletionTest, DeletingASiteRemovesItsOrbit) {
    NoxComPtr<IVxKMCLatticeSite> held;
    List(*lattice_).get_Item(2, held.Put());
    EXPECT_EQ(Refusal(2), "");
    ASSERT_EQ(List(*lattice_).DeleteSite(2), S_OK);
    ExpectSites(*lattice_, {{0, 0, 1}, {0.5, 0.5, 3}}, "after deletion");
    // A removed site held by a client is no longer part of the lattice.
    EXPECT_EQ(KMCLatticeSite::FromInterface(held.Get())->ParentLattice(), nullptr);
    EXPECT_EQ(held->Delete(), S_OK);
    // Labels are not reused.
    ASSERT_EQ(CreateSite(*lattice_, "Substrate site", "Bridge"), S_OK);
    EXPECT_EQ(Sites(*lattice_).back().label, 4);
}

TEST_F(DeletionTest, IndicesOutsideTheListAreRefused) {
    for (LONG index : {-1, 4, std::numeric_limits<LONG>::min()}) {
        EXPECT_EQ(Refusal(index, E_UNEXPECTED), "");
        EXPECT_EQ(TakeErrorDescription(), "Index into lattice site list is invalid.");
        LONG count = 0;
        EXPECT_EQ(List(*lattice_).get_CountRelatedSites(index, &count), E_UNEXPECTED);
        EXPECT_EQ(List(*lattice_).DeleteSite(index), E_UNEXPECTED);
        NoxComPtr<IVxKMCLatticeSite> site;
        EXPECT_EQ(List(*lattice_).get_Item(index, site.Put()), E_UNEXPECTED);
        EXPECT_EQ(TakeErrorDescription(), "Index into lattice site list is invalid.");
    }
    try {
        List(*lattice_).GetRelatedSites(4);
        ADD_FAILURE() << "index 4 accepted";
    } catch (const NoxResult& failure) {
        EXPECT_EQ(failure.Description(), "Lattice site index out of range in call to GetRelatedSites");
    }
    EXPECT_EQ(List(*lattice_).GetRelatedSites(2), (std::vector<LONG>{1, 2}));
}

TEST_F(DeletionTest, FindSiteGivesTheCellOffsetsOfAnImage) {
    const PeriodicTranslation found = List(*lattice_).FindSite(-1.0, 3.5, 2);
    EXPECT_EQ(found, (PeriodicTranslation{-1, 3, 2}));
    EXPECT_EQ(List(*lattice_).FindSite(2.004, -0.996, 1), (PeriodicTranslation{2, -1, 0}));
    struct Case {
        double x, y;
        LONG label;
        const char* message;
    };
    for (const Case& c : {Case{0.5, 0.0, 1, "FindSite failed to find desired site in LatticeSiteList"},
                          Case{0.25, 0.0, 2, "FindSite failed to find desired site in LatticeSiteList"},
                          Case{1e12, 0.0, 1, "Site address is out of range."}}) {
        try {
            List(*lattice_).FindSite(c.x, c.y, c.label);
            ADD_FAILURE() << c.x << " found";
        } catch (const NoxResult& failure) {
            EXPECT_EQ(failure.Description(), c.message);
        }
    }
}

TEST_F(DeletionTest, CloneCopiesEverythingButTheColours) {
    NoxComPtr<KMCLattice> copy = MakeLattice("Square", "p 4 m m");
    ASSERT_EQ(List(*copy).Clone(lattice_->RawLatticeSiteList()), S_OK);
    const std::vector<SiteValues> original = Sites(*lattice_), cloned = Sites(*copy);
    ASSERT_EQ(cloned.size(), original.size());
    for (size_t k = 0; k < cloned.size(); ++k) {
        EXPECT_EQ(std::tie(cloned[k].category, cloned[k].type, cloned[k].x, cloned[k].y, cloned[k].label),
                  std::tie(original[k].category, original[k].type, original[k].x, original[k].y,
                           original[k].label));
        EXPECT_EQ(List(*copy).Site(static_cast<LONG>(k)).Colour(), ColorValue(0xFF000000));
    }
    ASSERT_EQ(CreateSite(*copy, "Substrate site", "Top"), S_OK);
    EXPECT_EQ(Sites(*copy).back().label, 4);

    EXPECT_EQ(List(*copy).Clone(lattice_->RawLatticeSiteList()), E_UNEXPECTED);
    EXPECT_EQ(TakeErrorDescription(), "Clone method can only be used on an empty Lattice Site List");
    EXPECT_EQ(List(*copy).Clone(nullptr), E_INVALIDARG);
    EXPECT_EQ(TakeErrorDescription(), "No source list suppliced for KMCLatticeSiteList::Clone");
}

TEST_F(DeletionTest, IsConsistentComparesSitesInOrder) {
    NoxComPtr<KMCLattice> same = MakeLattice("Square", "p 4 m m");
    List(*same).Clone(lattice_->RawLatticeSiteList());
    NoxComPtr<KMCLattice> reordered = MakeLattice("Square", "p 4 m m");
    ASSERT_EQ(CreateSite(*reordered, "Adsorption site", "Top"), S_OK);
    ASSERT_EQ(CreateSite(*reordered, "Adsorption site", "Hollow"), S_OK);
    ASSERT_EQ(CreateSite(*reordered, "Adsorption site", "Bridge"), S_OK);
    struct Case {
        KMCLattice* other;
        const char* message;
    };
    for (const Case& c :
         {Case{same.Get(), ""}, Case{reordered.Get(),
                                     "Lattice sites differ, either in type or position, between the two "
                                     "lattices."}}) {
        VARIANT_BOOL consistent = 7;
        NoxBSTR message;
        ASSERT_EQ(List(*lattice_).IsConsistent(c.other->RawLatticeSiteList(), &consistent, message.Put()),
                  S_OK);
        EXPECT_EQ(message.ToTString(), c.message);
        EXPECT_EQ(consistent, *c.message == '\0' ? VARIANT_TRUE : VARIANT_FALSE);
    }
}

}  // namespace
