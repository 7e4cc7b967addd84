// Sites and the site list: symmetry orbits and their labels, geometric types, wrapping into the
// cell, duplicates, all-or-nothing requests, deletion of whole orbits, Clone and comparison.
#include <gtest/gtest.h>

#include <limits>

#include "support.h"

using namespace kmctest;
using ::testing::NiceMock;
using ::testing::Return;

namespace {

constexpr double kThird = 1.0 / 3.0;
constexpr const char* kAdsorption = "Adsorption site";

struct Placed {
    double x, y;
    LONG label;
    friend bool operator==(const Placed&, const Placed&) = default;
};

// Positions rounded to 1e-9 so that thirds compare.
std::vector<Placed> Placement(KMCLattice& lattice) {
    std::vector<Placed> placed;
    auto round = [](double c) { return std::round(c * 1e9) / 1e9; };
    for (const SiteValues& s : Sites(lattice)) placed.push_back({round(s.x), round(s.y), s.label});
    return placed;
}

KMCLatticeSiteList& List(KMCLattice& lattice) { return *lattice.RawLatticeSiteList(); }

HRESULT CreateOne(KMCLattice& lattice, const char* category, double x, double y, LONG label) {
    NoxComPtr<IVxKMCLatticeSite> site;
    return List(lattice).CreateLatticeSite2(Text(category).Get(), Text("Other").Get(), x, y, 0, label,
                                            site.Put());
}

TEST(LatticeSiteListTest, RequestsExpandIntoLabelledOrbits) {
    const double t = std::round(kThird * 1e9) / 1e9, tt = std::round(2 * kThird * 1e9) / 1e9;
    struct Case {
        const char* type;
        const char* group;
        const char* siteType;
        std::vector<Placed> sites;
    };
    const Case cases[] = {
        // (0.5, 0) maps onto (0, 0.5): the second requested bridge is already made.
        {"Square", "p 4 m m", "Bridge", {{0.5, 0, 1}, {0, 0.5, 1}}},
        {"Rectangular", "p 2 m m", "Bridge", {{0.5, 0, 1}, {0, 0.5, 2}}},
        {"Hexagonal", "p 6 m m", "Hollow", {{t, t, 1}, {tt, tt, 1}}},
        {"Hexagonal", "p 3", "Hollow", {{t, t, 1}, {tt, tt, 2}}},
        {"Hexagonal", "p 6", "Bridge", {{0.5, 0, 1}, {0, 0.5, 1}, {0.5, 0.5, 1}}},
        {"Oblique", "p 1", "Top", {{0, 0, 1}}},
    };
    for (const Case& c : cases) {
        NoxComPtr<KMCLattice> lattice = MakeLattice(c.type, c.group);
        NoxComPtr<IVxKMCLatticeSite> first;
        ASSERT_EQ(List(*lattice).CreateLatticeSite(Text(kAdsorption).Get(), Text(c.siteType).Get(), 0.9, 0.9,
                                                   0, first.Put()),
                  S_OK);
        EXPECT_EQ(Placement(*lattice), c.sites) << c.group;
        EXPECT_EQ(&KMCLatticeSite::FromInterface(first.Get()), &List(*lattice).Site(0));
        for (const SiteValues& site : Sites(*lattice)) EXPECT_EQ(site.type, c.siteType) << c.group;
        ASSERT_EQ(CreateSite(*lattice, "Substrate site", "Top"), S_OK);
        EXPECT_EQ(Sites(*lattice).back().label, c.sites.back().label + 1) << c.group;
    }
}

TEST(LatticeSiteListTest, TypeFollowsThePositionAfterWrapping) {
    struct Case {
        const char* category;
        double x, y, storedX, storedY;
        const char* square;
        const char* hexagonal;
    };
    const Case cases[] = {
        {kAdsorption, 1.005, -0.004, 0, 0, "Top", "Top"},
        {kAdsorption, 0.5, 0.995, 0.5, 0, "Bridge", "Bridge"},
        {"Substrate site", -1, 0.5, 0, 0.5, "Bridge", "Bridge"},
        {kAdsorption, 0.5, 2.5, 0.5, 0.5, "Hollow", "Bridge"},
        {kAdsorption, kThird, kThird, kThird, kThird, "Other", "Hollow"},
        {kAdsorption, 0.67, -0.33, 0.67, 1 - 0.33, "Other", "Hollow"},
        {kAdsorption, kThird, 2 * kThird, kThird, 2 * kThird, "Other", "Other"},
        {"Label", 0.009, 0, 0, 0, "Other", "Other"},
    };
    for (const Case& c : cases) {
        for (auto [lattice, type] : {std::pair{MakeLattice("Square", "p 4"), c.square},
                                     std::pair{MakeLattice("Hexagonal", "p 6", 1, 1, 60), c.hexagonal}}) {
            ASSERT_EQ(CreateOne(*lattice, c.category, c.x, c.y, 1), S_OK);
            const SiteValues site = Sites(*lattice).at(0);
            EXPECT_EQ(std::tie(site.type, site.x, site.y), std::tie(type, c.storedX, c.storedY))
                << c.x << "," << c.y;
        }
    }
}

TEST(LatticeSiteListTest, RefusedRequestsLeaveTheListAsItWas) {
    NoxComPtr<KMCLattice> lattice = MakeLattice("Square", "p 4 m m");
    ASSERT_EQ(CreateSite(*lattice, kAdsorption, "Top"), S_OK);
    const Outcome taken(E_UNEXPECTED, "Requested lattice sites already exist - request ignored.");
    EXPECT_EQ(Result(CreateSite(*lattice, kAdsorption, "Top")), taken);
    EXPECT_EQ(Result(CreateSite(*lattice, kAdsorption, "Other", 1.003, 0.002)), taken);
    EXPECT_EQ(Result(CreateSite(*lattice, "adsorption site", "Hollow")),
              Outcome(E_UNEXPECTED, "Invalid lattice site category specification."));
    EXPECT_EQ(Result(CreateSite(*lattice, kAdsorption, "Other", std::nan(""), 0.2)),
              Outcome(E_INVALIDARG, "Lattice site position must be a finite number."));
    // The orbit would need a label past the last one.
    EXPECT_EQ(Result(CreateOne(*lattice, kAdsorption, 0.2, 0.2, std::numeric_limits<LONG>::max())),
              Outcome(E_UNEXPECTED, "No further lattice site labels are available."));
    EXPECT_EQ(Placement(*lattice), (std::vector<Placed>{{0, 0, 1}}));
    // Another category may share a position; labels mark places, even taken ones.
    ASSERT_EQ(CreateSite(*lattice, "Substrate site", "Top"), S_OK);
    ASSERT_EQ(CreateSite(*lattice, "Label", "Top", 0.2, 0.1), S_OK);
    ASSERT_EQ(CreateSite(*lattice, "Label", "Top", 0.2, 0.1), S_OK);
    EXPECT_EQ(Placement(*lattice), (std::vector<Placed>{{0, 0, 1}, {0, 0, 2}, {0.2, 0.1, 3}, {0.2, 0.1, 4}}));
}

TEST(LatticeSiteListTest, EditsGoThroughTheDocument) {
    NiceMock<MockDocument> document;
    NoxComPtr<KMCLattice> lattice = MakeLattice("Square", "p 4 m m");
    lattice->SetParent(&document, nullptr, nullptr, nullptr);
    EXPECT_CALL(document, CanEdit())
        .WillOnce(Return(NoxResult(E_ACCESSDENIED, "Document is read-only.")))
        .WillRepeatedly(Return(NoxResult()));
    EXPECT_EQ(Result(CreateSite(*lattice, kAdsorption, "Top")),
              Outcome(E_ACCESSDENIED, "Document is read-only."));

    ASSERT_EQ(CreateSite(*lattice, kAdsorption, "Top"), S_OK);
    NoxComPtr<IVxKMCLatticeSite> site;
    EXPECT_EQ(List(*lattice).get_Item(0, site.Put()), S_OK);
    EXPECT_EQ(Result(site->put_Label(5)),
              Outcome(E_UNEXPECTED, "Site label can only be set during loading of document"));
    EXPECT_EQ(site->Delete(), S_OK);
    EXPECT_EQ(List(*lattice).Count(), 1);

    // While the document loads, a request makes just the site asked for, and labels may change.
    EXPECT_CALL(document, IsLoading()).WillRepeatedly(Return(true));
    ASSERT_EQ(CreateSite(*lattice, kAdsorption, "Bridge", 0.5, 0), S_OK);
    EXPECT_EQ(site->put_Label(7), S_OK);
    EXPECT_EQ(Placement(*lattice), (std::vector<Placed>{{0, 0, 7}, {0.5, 0, 2}}));
}

class OrbitsTest : public ::testing::Test {
protected:
    OrbitsTest() {
        for (const char* type : {"Top", "Bridge", "Hollow"})  // sites 0, 1 and 2, 3
            EXPECT_EQ(CreateSite(*lattice_, kAdsorption, type), S_OK);
    }
    Outcome CanDelete(LONG index) {
        NoxBSTR message;
        VARIANT_BOOL can = 7;
        HRESULT hr = List(*lattice_).get_CanDeleteSite(index, message.Put(), &can);
        if (FAILED(hr)) return Result(hr);
        EXPECT_EQ(can == VARIANT_TRUE, message.Length() == 0);
        return {hr, message.ToTString()};
    }
    NoxComPtr<KMCLattice> lattice_ = MakeLattice("Square", "p 4 m m");
};

TEST_F(OrbitsTest, DeletionRemovesTheWholeOrbitButNeverTheTopSite) {
    const char* top = "You may not delete site index 1 (the Top site).";
    EXPECT_EQ(CanDelete(0), Outcome(S_OK, top));
    EXPECT_EQ(Result(List(*lattice_).DeleteSite(0)),
              Outcome(E_UNEXPECTED, std::string("Unable to delete lattice site:\n") + top));
    const Outcome invalid(E_UNEXPECTED, "Index into lattice site list is invalid.");
    for (LONG index : {-1, 4, std::numeric_limits<LONG>::min()}) {
        NoxComPtr<IVxKMCLatticeSite> site;
        LONG count = 0;
        EXPECT_EQ(CanDelete(index), invalid);
        EXPECT_EQ(Result(List(*lattice_).get_Item(index, site.Put())), invalid);
        EXPECT_EQ(Result(List(*lattice_).get_CountRelatedSites(index, &count)), invalid);
        EXPECT_EQ(Result(List(*lattice_).DeleteSite(index)), invalid);
    }
    EXPECT_EQ(Raised([&] { List(*lattice_).GetRelatedSites(4); }),
              Outcome(E_UNEXPECTED, "Lattice site index out of range in call to GetRelatedSites"));

    // The bridge orbit (label 2) gains a member after the hollow, so it is not one run of the
    // list; deleting through its last member removes exactly its three sites.
    ASSERT_EQ(CreateOne(*lattice_, kAdsorption, 0.25, 0.25, 2), S_OK);
    std::vector<NoxComPtr<IVxKMCLatticeSite>> held(5);
    for (LONG index = 0; index < 5; ++index)
        ASSERT_EQ(List(*lattice_).get_Item(index, held[static_cast<size_t>(index)].Put()), S_OK);
    EXPECT_EQ(CanDelete(4), Outcome(S_OK, ""));
    ASSERT_EQ(List(*lattice_).DeleteSite(4), S_OK);
    EXPECT_EQ(Placement(*lattice_), (std::vector<Placed>{{0, 0, 1}, {0.5, 0.5, 3}}));
    for (size_t index = 0; index < held.size(); ++index) {
        const bool kept = index == 0 || index == 3;
        EXPECT_EQ(KMCLatticeSite::FromInterface(held[index].Get()).ParentLattice() != nullptr, kept) << index;
    }
}

TEST_F(OrbitsTest, FindSiteGivesTheCellOffsetsOfAnImage) {
    EXPECT_EQ(List(*lattice_).FindSite(-1.0, 3.5, 2), (PeriodicTranslation{-1, 3, 2}));
    EXPECT_EQ(List(*lattice_).FindSite(2.004, -0.996, 1), (PeriodicTranslation{2, -1, 0}));
    const Outcome missing(E_UNEXPECTED, "FindSite failed to find desired site in LatticeSiteList");
    EXPECT_EQ(Raised([&] { List(*lattice_).FindSite(0.5, 0.0, 1); }), missing);
    EXPECT_EQ(Raised([&] { List(*lattice_).FindSite(0.25, 0.0, 2); }), missing);
    EXPECT_EQ(Raised([&] { List(*lattice_).FindSite(1e12, 0.0, 1); }),
              Outcome(E_UNEXPECTED, "Site address is out of range."));
}

TEST_F(OrbitsTest, CloneCopiesAllButTheColoursAndComparesEqual) {
    ASSERT_EQ(CreateSite(*lattice_, "Label", "Top", 0.2, 0.3, 0x123456), S_OK);
    NoxComPtr<KMCLattice> copy = MakeLattice("Square", "p 4 m m");
    ASSERT_EQ(List(*copy).Clone(lattice_->RawLatticeSiteList()), S_OK);
    std::vector<SiteValues> expected = Sites(*lattice_);
    for (SiteValues& site : expected) site.color = 0xFF000000;
    EXPECT_EQ(Sites(*copy), expected);
    ASSERT_EQ(CreateSite(*copy, "Substrate site", "Top"), S_OK);
    EXPECT_EQ(Sites(*copy).back().label, 5);

    EXPECT_EQ(Result(List(*copy).Clone(lattice_->RawLatticeSiteList())),
              Outcome(E_UNEXPECTED, "Clone method can only be used on an empty Lattice Site List"));
    EXPECT_EQ(Result(List(*copy).Clone(nullptr)),
              Outcome(E_INVALIDARG, "No source list suppliced for KMCLatticeSiteList::Clone"));

    NoxComPtr<KMCLattice> same = MakeLattice("Square", "p 4 m m"),
                          reordered = MakeLattice("Square", "p 4 m m");
    EXPECT_EQ(List(*same).Clone(lattice_->RawLatticeSiteList()), S_OK);
    for (const char* type : {"Top", "Hollow", "Bridge"})
        ASSERT_EQ(CreateSite(*reordered, kAdsorption, type), S_OK);
    ASSERT_EQ(CreateSite(*reordered, "Label", "Top", 0.2, 0.3), S_OK);
    for (auto [other, message] : {std::pair{same, ""}, std::pair{reordered,
                                                                 "Lattice sites differ, either in type "
                                                                 "or position, between the two lattices."}}) {
        VARIANT_BOOL consistent = 7;
        NoxBSTR text;
        ASSERT_EQ(List(*lattice_).IsConsistent(other->RawLatticeSiteList(), &consistent, text.Put()), S_OK);
        EXPECT_EQ(std::make_pair(text.ToTString(), consistent),
                  std::make_pair(std::string(message), *message ? VARIANT_FALSE : VARIANT_TRUE));
    }
}

}  // namespace
