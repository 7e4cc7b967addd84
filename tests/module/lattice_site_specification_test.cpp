// Site addresses: their two text forms, reading and validating typed addresses, translation,
// symmetry images, distances and the positions they name.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "lattice/site_specification.h"
#include "nox/locale.h"
#include "support.h"

using namespace kmctest;
using ::testing::NiceMock;
using ::testing::Return;

namespace {

constexpr LONG kMax = std::numeric_limits<LONG>::max();
constexpr LONG kMin = std::numeric_limits<LONG>::min();

NoxComPtr<KMCSiteSpecification> Address(PeriodicTranslation details, KMCLattice* lattice = nullptr) {
    NoxComPtr<KMCSiteSpecification> address = KMCSiteSpecification::Create();
    EXPECT_EQ(address->SetSiteDetails(details.i, details.j, details.site), S_OK);
    if (lattice != nullptr) address->SetParent(nullptr, lattice);
    return address;
}

PeriodicTranslation Details(IVxKMCSiteSpecification* address) {
    PeriodicTranslation details;
    EXPECT_EQ(address->GetSiteDetails(&details.i, &details.j, &details.site), S_OK);
    return details;
}

std::pair<std::string, std::string> Texts(IVxKMCSiteSpecification* address) {
    NoxBSTR document, engine;
    EXPECT_EQ(address->get_SiteDetailsAsString(document.Put()), S_OK);
    EXPECT_EQ(address->get_SiteDetailsAsVelkorString(engine.Put()), S_OK);
    return {document.ToTString(), engine.ToTString()};
}

TEST(SiteSpecificationTest, ReadsTextsLenientlyAndWritesBothForms) {
    struct Case {
        const char* text;
        PeriodicTranslation details;
        const char* document;
        const char* engine;
    };
    const Case cases[] = {
        {"", {0, 0, 1}, "( 0 , 0 / 1 )", "( 0 , 0 / 0 )"},
        {"( 1 , -2 / 3 )", {1, -2, 3}, "( 1 , -2 / 3 )", "( 1 , -2 / 2 )"},
        {"1,2/3", {1, 2, 3}, "( 1 , 2 / 3 )", "( 1 , 2 / 2 )"},
        {"(1,2,3)", {1, 2, 3}, "( 1 , 2 / 3 )", "( 1 , 2 / 2 )"},
        {"( 4 )", {4, 0, 1}, "( 4 , 0 / 1 )", "( 4 , 0 / 0 )"},
        {"( a , b / c )", {0, 0, 1}, "( 0 , 0 / 1 )", "( 0 , 0 / 0 )"},
        {"( +3 , -4x / 7 / 8 )", {3, -4, 7}, "( 3 , -4 / 7 )", "( 3 , -4 / 6 )"},
        {"(( ,, 6 // 7 ))", {6, 7, 1}, "( 6 , 7 / 1 )", "( 6 , 7 / 0 )"},
        {"( 99999999999 , 2 / 3 )", {0, 2, 3}, "( 0 , 2 / 3 )", "( 0 , 2 / 2 )"},
        {"( 2147483647 , -2147483648 / -2147483648 )",
         {kMax, kMin, kMin},
         "( 2147483647 , -2147483648 / -2147483648 )",
         "( 2147483647 , -2147483648 / -2147483649 )"},
    };
    for (const Case& c : cases) {
        NoxComPtr<KMCSiteSpecification> address = Address({9, 9, 9});
        ASSERT_EQ(address->put_SiteDetailsAsString(Text(c.text).Get()), S_OK) << c.text;
        EXPECT_EQ(Details(address.Get()), c.details) << c.text;
        EXPECT_EQ(Texts(address.Get()), std::make_pair(std::string(c.document), std::string(c.engine)));
        VARIANT_BOOL equivalent = 0;
        EXPECT_EQ(address->get_IsEquivalent(Text(c.text).Get(), &equivalent), S_OK);
        EXPECT_EQ(equivalent, VARIANT_TRUE) << c.text;
    }
    VARIANT_BOOL equivalent = 7;
    EXPECT_EQ(KMCSiteSpecification::Create()->get_IsEquivalent(Text("( 0 , 0 / 2 )").Get(), &equivalent), S_OK);
    EXPECT_EQ(equivalent, VARIANT_FALSE);
}

// An address is stored text: a host that shows numbers in the user's locale around the call
// still gets plain digits, which read back.
TEST(SiteSpecificationTest, AddressTextsKeepPlainDigitsInAUsersLocale) {
    DecimalCommaLocale comma;
    if (!comma.Available()) GTEST_SKIP() << "locale de_DE.UTF-8 is not installed (build.sh generates it)";
    NoxLocalizationEnabler user;
    EXPECT_EQ(Texts(Address({12345, -6789, 1000}).Get()),
              std::make_pair(std::string("( 12345 , -6789 / 1000 )"), std::string("( 12345 , -6789 / 999 )")));
}

TEST(SiteSpecificationTest, ValidatesTypedAddresses) {
    for (const char* valid : {"( 1 , 2 / 3 )", "( +1 , -2 / +3 )", "( 1 , 2 )", "", "( - , 2 / 3 )", "7"})
        EXPECT_TRUE(KMCSiteSpecification::IsValidSiteDetailsString(Text(valid).Get())) << valid;
    for (const char* invalid :
         {"( 1 , 2 / 0 )", "( 1 , 2 / -3 )", "( a , 2 / 3 )", "( 1 2 , 3 / 4 )", "( 1 , 2 / 3 / 4 )",
          "( 99999999999 , 0 / 1 )", "( 1.5 , 2 / 3 )", "( 1 , 2 / + )"})
        EXPECT_FALSE(KMCSiteSpecification::IsValidSiteDetailsString(Text(invalid).Get())) << invalid;
}

TEST(SiteSpecificationTest, TranslateMakesANewAddressWithinRange) {
    NoxComPtr<KMCSiteSpecification> address = Address({kMax, kMin, 2});
    NoxComPtr<IVxKMCSiteSpecification> moved;
    ASSERT_EQ(address->Translate(-1, 1, moved.Put()), S_OK);
    EXPECT_EQ(Details(moved.Get()), (PeriodicTranslation{kMax - 1, kMin + 1, 2}));
    EXPECT_EQ(Details(address.Get()), (PeriodicTranslation{kMax, kMin, 2}));
    EXPECT_EQ(Result(address->Translate(1, 0, moved.Put())),
              Outcome(E_UNEXPECTED, "Site address is out of range."));
    EXPECT_EQ(moved.Get(), nullptr);
}

// Top, bridges, hollows and a general position; in a centred cell the hollow is a top already.
NoxComPtr<KMCLattice> LatticeWithSites(const char* type, const char* group, double u = 1, double v = 1,
                                       double theta = 90) {
    NoxComPtr<KMCLattice> lattice = MakeLattice(type, group, u, v, theta);
    for (const char* siteType : {"Top", "Bridge", "Hollow"})
        CreateSite(*lattice, "Adsorption site", siteType);
    EXPECT_EQ(CreateSite(*lattice, "Adsorption site", "Other", 0.2, 0.1), S_OK);
    return lattice;
}

Point3d Fraction(IVxKMCSiteSpecification* address) {
    Point3d point;
    EXPECT_EQ(address->FractionalCoordinate(&point.x, &point.y), S_OK);
    return point;
}

// Every operator maps every site, in any cell, onto a site of its own orbit at the operator's
// image of its position.
TEST(SiteSpecificationTest, TransformFindsTheImageInTheSameOrbit) {
    for (auto [type, group, theta] :
         {std::tuple{"Square", "p 4 m m", 90}, std::tuple{"Hexagonal", "p 6 m m", 60},
          std::tuple{"Hexagonal", "p 3", 60}, std::tuple{"Rectangular", "c 2 m m", 90}}) {
        NoxComPtr<KMCLattice> lattice = LatticeWithSites(type, group, 1, 1, theta);
        const KMCLatticeSiteList& sites = *lattice->RawLatticeSiteList();
        for (LONG n = 1; n <= sites.Count(); ++n) {
            NoxComPtr<KMCSiteSpecification> address = Address({2, -3, n}, lattice.Get());
            for (LONG k = 0; k < static_cast<LONG>(lattice->SymmetryOperators().size()); ++k) {
                SCOPED_TRACE(std::string(group) + " site " + std::to_string(n) + " operator " +
                             std::to_string(k));
                NoxComPtr<IVxKMCSiteSpecification> image;
                ASSERT_EQ(address->Transform(k, image.Put()), S_OK);
                const PeriodicTranslation details = Details(image.Get());
                EXPECT_EQ(sites.Site(details.site - 1).Label(), sites.Site(n - 1).Label());
                KMCSiteSpecification::FromInterface(image.Get()).SetParent(nullptr, lattice.Get());
                const Point3d expected = lattice->TransformPosition(Fraction(address.Get()), k);
                const Point3d found = Fraction(image.Get());
                EXPECT_NEAR(found.x, expected.x, 0.02);
                EXPECT_NEAR(found.y, expected.y, 0.02);
                EXPECT_TRUE(k != 0 || details == (PeriodicTranslation{2, -3, n}));
            }
        }
    }
}

TEST(SiteSpecificationTest, PositionsNeedALatticeAndAnAddressedSite) {
    NoxComPtr<KMCLattice> lattice = LatticeWithSites("Square", "p 4 m m");
    double x = 0, y = 0;
    ASSERT_EQ(Address({-1, 2, 4}, lattice.Get())->FractionalCoordinate(&x, &y), S_OK);
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(-0.5, 2.5));
    NoxComPtr<IVxKMCSiteSpecification> image;
    for (LONG n : {0, 13, kMin}) {
        const Outcome invalid(E_UNEXPECTED, "Site index is invalid");
        EXPECT_EQ(Result(Address({0, 0, n}, lattice.Get())->FractionalCoordinate(&x, &y)), invalid);
        EXPECT_EQ(Result(Address({0, 0, n}, lattice.Get())->Transform(0, image.Put())), invalid);
    }
    EXPECT_EQ(Result(Address({0, 0, 1}, lattice.Get())->Transform(8, image.Put())),
              Outcome(E_UNEXPECTED, "Invalid symmetry index for KMCLattice::TransformPosition"));
    EXPECT_EQ(Result(Address({0, 0, 1})->FractionalCoordinate(&x, &y)),
              Outcome(E_UNEXPECTED, "Site specification is not linked to a lattice."));
}

TEST(SiteSpecificationTest, DistanceIsMeasuredInTheAddressesLattice) {
    // Cell lengths and angle, two addresses and their distance.
    const std::tuple<double, double, double, PeriodicTranslation, PeriodicTranslation, double> cases[] = {
        {2.5, 2.5, 90, {0, 0, 1}, {1, 1, 1}, 2.5 * std::sqrt(2.0)},
        {1, 1, 60, {0, 0, 1}, {1, -1, 1}, 1.0},
        {1, 1, 60, {0, 0, 1}, {1, 1, 1}, std::sqrt(3.0)},
        {2, 3, 90, {0, 0, 2}, {0, 0, 1}, 1.0},   // the bridge at (0.5, 0)
        {2, 3, 90, {0, 0, 3}, {0, -1, 1}, 4.5},  // the bridge at (0, 0.5), a cell apart
    };
    for (const auto& [u, v, theta, a, b, expected] : cases) {
        NoxComPtr<KMCLattice> lattice = LatticeWithSites("Oblique", "p 1", u, v, theta);
        double distance = 0;
        ASSERT_EQ(Address(a, lattice.Get())->get_Distance(Address(b, lattice.Get()).Get(), &distance), S_OK);
        EXPECT_NEAR(distance, expected, 1e-12);
    }
}

TEST(SiteSpecificationTest, LinksOnceAndEditsThroughItsDocument) {
    NiceMock<MockDocument> document;
    NoxComPtr<KMCLattice> lattice = MakeLattice("Square", "p 4");
    NoxComPtr<KMCSiteSpecification> address = KMCSiteSpecification::Create(),
                                    latticeOnly = Address({0, 0, 1});
    address->SetParent(&document, lattice.Get());
    // Only the document counts: an address linked to a lattice alone may still join a document.
    latticeOnly->SetParent(nullptr, lattice.Get());
    latticeOnly->SetParent(&document, lattice.Get());
    for (KMCSiteSpecification* linked : {address.Get(), latticeOnly.Get()}) {
        EXPECT_EQ(Raised([&] { linked->SetParent(&document, nullptr); }),
                  Outcome(E_UNEXPECTED, "Parent is already set for KMCSiteSpecification."));
        EXPECT_EQ(linked->ParentLattice(), lattice.Get());
    }
    EXPECT_CALL(document, CanEdit())
        .WillOnce(Return(NoxResult()))
        .WillRepeatedly(Return(NoxResult(E_ACCESSDENIED, "Document is read-only.")));
    EXPECT_CALL(document, SetModified(true)).Times(1);
    EXPECT_EQ(address->SetSiteDetails(1, 2, 3), S_OK);
    const Outcome refused(E_ACCESSDENIED, "Document is read-only.");
    EXPECT_EQ(Result(address->put_SiteDetailsAsString(Text("( 4 , 5 / 6 )").Get())), refused);
    EXPECT_EQ(Result(address->SetSiteDetails(7, 8, 9)), refused);
    EXPECT_EQ(Details(address.Get()), (PeriodicTranslation{1, 2, 3}));
}

}  // namespace
