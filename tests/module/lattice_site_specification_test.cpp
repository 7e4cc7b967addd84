// Site addresses: their two text forms, reading and validating typed addresses, translation,
// symmetry images, distances and the positions they name.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "lattice/site_specification.h"
#include "lattice_support.h"

using kmctest::MockDocument;
using kmctest::TakeErrorDescription;
using kmctest::Text;
using latticetest::CreateSite;
using latticetest::MakeLattice;
using ::testing::NiceMock;
using ::testing::Return;

namespace {

constexpr LONG kMax = std::numeric_limits<LONG>::max();
constexpr LONG kMin = std::numeric_limits<LONG>::min();

NoxComPtr<KMCSiteSpecification> Address(LONG i, LONG j, LONG n, KMCLattice* lattice = nullptr) {
    NoxComPtr<KMCSiteSpecification> address = KMCSiteSpecification::Create();
    EXPECT_EQ(address->SetSiteDetails(i, j, n), S_OK);
    if (lattice != nullptr) address->SetParent(nullptr, lattice);
    return address;
}

PeriodicTranslation Details(IVxKMCSiteSpecification* address) {
    PeriodicTranslation details;
    EXPECT_EQ(address->GetSiteDetails(&details.i, &details.j, &details.site), S_OK);
    return details;
}

std::string DocumentText(IVxKMCSiteSpecification* address) {
    NoxBSTR text;
    EXPECT_EQ(address->get_SiteDetailsAsString(text.Put()), S_OK);
    return text.ToTString();
}

std::string EngineText(IVxKMCSiteSpecification* address) {
    NoxBSTR text;
    EXPECT_EQ(address->get_SiteDetailsAsVelkorString(text.Put()), S_OK);
    return text.ToTString();
}

TEST(SiteSpecificationTest, WritesBothTextForms) {
    struct Case {
        PeriodicTranslation details;
        const char* document;
        const char* engine;
    };
    const Case cases[] = {
        {{0, 0, 1}, "( 0 , 0 / 1 )", "( 0 , 0 / 0 )"},
        {{1, -2, 3}, "( 1 , -2 / 3 )", "( 1 , -2 / 2 )"},
        {{kMax, kMin, kMin},
         "( 2147483647 , -2147483648 / -2147483648 )",
         "( 2147483647 , -2147483648 / -2147483649 )"},
    };
    EXPECT_EQ(DocumentText(KMCSiteSpecification::Create().Get()), "( 0 , 0 / 1 )");
    for (const Case& c : cases) {
        NoxComPtr<KMCSiteSpecification> address = Address(c.details.i, c.details.j, c.details.site);
        EXPECT_EQ(DocumentText(address.Get()), c.document);
        EXPECT_EQ(EngineText(address.Get()), c.engine);
    }
}

TEST(SiteSpecificationTest, ReadsAddressTextsLeniently) {
    struct Case {
        const char* text;
        PeriodicTranslation details;
    };
    const Case cases[] = {
        {"( 1 , 2 / 3 )", {1, 2, 3}},
        {"1,2/3", {1, 2, 3}},
        {"(1,2,3)", {1, 2, 3}},
        {"1/2/3", {1, 2, 3}},
        {"( 4 )", {4, 0, 1}},
        {"", {0, 0, 1}},
        {"( a , b / c )", {0, 0, 1}},
        {"( +3 , -4x / 7 )", {3, -4, 7}},
        {"( 1 , 2 / 3 / 4 )", {1, 2, 3}},
        {"( 99999999999 , 2 / 3 )", {0, 2, 3}},
        {"( -1 , 2 / 5 )", {-1, 2, 5}},
        {"(( ,, 6 // 7 ))", {6, 7, 1}},
    };
    for (const Case& c : cases) {
        NoxComPtr<KMCSiteSpecification> address = Address(9, 9, 9);
        ASSERT_EQ(address->put_SiteDetailsAsString(Text(c.text).Get()), S_OK) << c.text;
        EXPECT_EQ(Details(address.Get()), c.details) << c.text;
        VARIANT_BOOL equivalent = 0;
        EXPECT_EQ(address->get_IsEquivalent(Text(c.text).Get(), &equivalent), S_OK);
        EXPECT_EQ(equivalent, VARIANT_TRUE) << c.text;
    }
    VARIANT_BOOL equivalent = 7;
    KMCSiteSpecification::Create()->get_IsEquivalent(Text("( 0 , 0 / 2 )").Get(), &equivalent);
    EXPECT_EQ(equivalent, VARIANT_FALSE);
}

TEST(SiteSpecificationTest, ValidatesTypedAddresses) {
    for (const char* valid : {"( 1 , 2 / 3 )", "( +1 , -2 / +3 )", "( 1 , 2 )", "", "( - , 2 / 3 )", "7"})
        EXPECT_TRUE(KMCSiteSpecification::IsValidSiteDetailsString(Text(valid).Get())) << valid;
    for (const char* invalid :
         {"( 1 , 2 / 0 )", "( 1 , 2 / -3 )", "( a , 2 / 3 )", "( 1 2 , 3 / 4 )", "( 1 , 2 / 3 / 4 )",
          "( 99999999999 , 0 / 1 )", "( 1 , 2 / 99999999999 )", "( 1.5 , 2 / 3 )", "( 1 , 2 / + )"})
        EXPECT_FALSE(KMCSiteSpecification::IsValidSiteDetailsString(Text(invalid).Get())) << invalid;
}

TEST(SiteSpecificationTest, TranslateMakesANewAddress) {
    NoxComPtr<KMCSiteSpecification> address = Address(0, 0, 2);
    NoxComPtr<IVxKMCSiteSpecification> moved;
    ASSERT_EQ(address->Translate(1, 0, moved.Put()), S_OK);
    EXPECT_EQ(DocumentText(moved.Get()), "( 1 , 0 / 2 )");
    EXPECT_EQ(DocumentText(address.Get()), "( 0 , 0 / 2 )");
    ASSERT_EQ(Address(kMax, kMin, 1)->Translate(-1, 1, moved.Put()), S_OK);
    EXPECT_EQ(Details(moved.Get()), (PeriodicTranslation{kMax - 1, kMin + 1, 1}));
    EXPECT_EQ(Address(kMax, 0, 1)->Translate(1, 0, moved.Put()), E_UNEXPECTED);
    EXPECT_EQ(TakeErrorDescription(), "Site address is out of range.");
    EXPECT_EQ(moved.Get(), nullptr);
}

class SitesTest : public ::testing::Test {
protected:
    // Top, bridge, hollow and a general position; in a centred cell the hollow is a top.
    void AddSites(KMCLattice& lattice, bool centred = false) {
        const std::vector<const char*> types =
            centred ? std::vector{"Top", "Bridge"} : std::vector{"Top", "Bridge", "Hollow"};
        for (const char* type : types) EXPECT_EQ(CreateSite(lattice, "Adsorption site", type), S_OK) << type;
        EXPECT_EQ(CreateSite(lattice, "Adsorption site", "Other", 0.2, 0.1), S_OK);
    }
    static Point3d Fraction(IVxKMCSiteSpecification* address) {
        Point3d point;
        EXPECT_EQ(address->FractionalCoordinate(&point.x, &point.y), S_OK);
        return point;
    }
};

// Every operator maps every site of the cell, in any cell, onto a site of its own orbit at the
// operator's image of its position.
TEST_F(SitesTest, TransformFindsTheImageInTheSameOrbit) {
    for (auto [type, group] : {std::pair{"Square", "p 4 m m"}, std::pair{"Hexagonal", "p 6 m m"},
                               std::pair{"Hexagonal", "p 3"}, std::pair{"Rectangular", "c 2 m m"}}) {
        NoxComPtr<KMCLattice> lattice =
            MakeLattice(type, group, 1, 1, std::string(type) == "Hexagonal" ? 60 : 90);
        AddSites(*lattice, std::string(group) == "c 2 m m");
        const KMCLatticeSiteList& sites = *lattice->RawLatticeSiteList();
        LONG operators = 0;
        lattice->get_OperatorCount(&operators);
        for (LONG n = 1; n <= sites.Count(); ++n) {
            NoxComPtr<KMCSiteSpecification> address = Address(2, -3, n, lattice.Get());
            const Point3d from = Fraction(address.Get());
            for (LONG k = 0; k < operators; ++k) {
                NoxComPtr<IVxKMCSiteSpecification> image;
                ASSERT_EQ(address->Transform(k, image.Put()), S_OK)
                    << group << " site " << n << " operator " << k;
                const PeriodicTranslation details = Details(image.Get());
                EXPECT_EQ(sites.Site(details.site - 1).Label(), sites.Site(n - 1).Label()) << group;
                KMCSiteSpecification::FromInterface(image.Get())->SetParent(nullptr, lattice.Get());
                const Point3d expected = lattice->TransformPosition(from, k);
                const Point3d found = Fraction(image.Get());
                EXPECT_NEAR(found.x, expected.x, 0.02) << group << " site " << n << " operator " << k;
                EXPECT_NEAR(found.y, expected.y, 0.02) << group << " site " << n << " operator " << k;
                if (k == 0) {
                    EXPECT_EQ(details, (PeriodicTranslation{2, -3, n}));
                }
            }
        }
    }
}

TEST_F(SitesTest, PositionsNeedAnAddressedSiteAndALattice) {
    NoxComPtr<KMCLattice> lattice = MakeLattice("Square", "p 4 m m");
    AddSites(*lattice);
    double x = 0, y = 0;
    for (LONG n : {0, 13, kMin, kMax}) {
        EXPECT_EQ(Address(0, 0, n, lattice.Get())->FractionalCoordinate(&x, &y), E_UNEXPECTED);
        EXPECT_EQ(TakeErrorDescription(), "Site index is invalid");
        NoxComPtr<IVxKMCSiteSpecification> image;
        EXPECT_EQ(Address(0, 0, n, lattice.Get())->Transform(0, image.Put()), E_UNEXPECTED);
        EXPECT_EQ(TakeErrorDescription(), "Site index is invalid");
    }
    NoxComPtr<IVxKMCSiteSpecification> image;
    EXPECT_EQ(Address(0, 0, 1, lattice.Get())->Transform(8, image.Put()), E_UNEXPECTED);
    EXPECT_EQ(TakeErrorDescription(), "Invalid symmetry index for KMCLattice::TransformPosition");
    EXPECT_EQ(Address(0, 0, 1)->FractionalCoordinate(&x, &y), E_UNEXPECTED);
    EXPECT_EQ(TakeErrorDescription(), "Site specification is not linked to a lattice.");
    EXPECT_EQ(Address(0, 0, 1, lattice.Get())->FractionalCoordinate(&x, nullptr), E_POINTER);

    ASSERT_EQ(Address(-1, 2, 4, lattice.Get())->FractionalCoordinate(&x, &y), S_OK);
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(-0.5, 2.5));
}

TEST_F(SitesTest, DistanceIsMeasuredInTheAddressesLattice) {
    struct Case {
        double u, v, theta;
        PeriodicTranslation a, b;
        double distance;
    };
    const Case cases[] = {
        {2.5, 2.5, 90, {0, 0, 1}, {1, 1, 1}, 2.5 * std::sqrt(2.0)},
        {1, 1, 60, {0, 0, 1}, {1, -1, 1}, 1.0},
        {1, 1, 60, {0, 0, 1}, {1, 1, 1}, std::sqrt(3.0)},
        {2, 3, 90, {0, 0, 2}, {0, 0, 1}, 1.0},   // the bridge at (0.5, 0)
        {2, 3, 90, {0, 0, 3}, {0, -1, 1}, 4.5},  // the bridge at (0, 0.5), one cell apart
    };
    for (const Case& c : cases) {
        NoxComPtr<KMCLattice> lattice = MakeLattice("Oblique", "p 1", c.u, c.v, c.theta);
        AddSites(*lattice);
        NoxComPtr<KMCSiteSpecification> a = Address(c.a.i, c.a.j, c.a.site, lattice.Get());
        NoxComPtr<KMCSiteSpecification> b = Address(c.b.i, c.b.j, c.b.site, lattice.Get());
        double distance = 0;
        ASSERT_EQ(a->get_Distance(b.Get(), &distance), S_OK);
        EXPECT_NEAR(distance, c.distance, 1e-12);
    }
    double distance = 0;
    EXPECT_EQ(Address(0, 0, 1)->get_Distance(nullptr, &distance), E_UNEXPECTED);  // no lattice
}

TEST(SiteSpecificationTest, LinksOnceAndEditsThroughItsDocument) {
    NiceMock<MockDocument> document;
    NoxComPtr<KMCLattice> lattice = MakeLattice("Square", "p 4");
    NoxComPtr<KMCSiteSpecification> address = KMCSiteSpecification::Create();
    address->SetParent(&document, lattice.Get());
    EXPECT_EQ(address->ParentLattice(), lattice.Get());
    try {
        address->SetParent(&document, lattice.Get());
        ADD_FAILURE() << "linked twice";
    } catch (const NoxResult& failure) {
        EXPECT_EQ(failure.Description(), "Parent is already set for KMCSiteSpecification.");
    }
    NoxComPtr<KMCSiteSpecification> latticeOnly = KMCSiteSpecification::Create();
    latticeOnly->SetParent(nullptr, lattice.Get());
    EXPECT_THROW(latticeOnly->SetParent(&document, lattice.Get()), NoxResult);

    EXPECT_CALL(document, CanEdit())
        .WillOnce(Return(NoxResult()))
        .WillRepeatedly(Return(NoxResult(E_ACCESSDENIED, "Document is read-only.")));
    EXPECT_CALL(document, SetModified(true)).Times(1);
    EXPECT_EQ(address->SetSiteDetails(1, 2, 3), S_OK);
    EXPECT_EQ(address->put_SiteDetailsAsString(Text("( 4 , 5 / 6 )").Get()), E_ACCESSDENIED);
    EXPECT_EQ(address->SetSiteDetails(7, 8, 9), E_ACCESSDENIED);
    EXPECT_EQ(TakeErrorDescription(), "Document is read-only.");
    EXPECT_EQ(Details(address.Get()), (PeriodicTranslation{1, 2, 3}));
}

TEST(SiteSpecificationTest, AnswersThroughDispatch) {
    NoxComPtr<KMCSiteSpecification> address = KMCSiteSpecification::Create();
    NoxBSTR text("( 3 , -1 / 2 )");
    kmctest::DispatchCall put;
    kmctest::CallByName(put, address.Get(), u"SiteDetailsAsString", DISPATCH_PROPERTYPUT,
                        {kmctest::Bstr(text.Get())});
    ASSERT_EQ(put.hr, S_OK);
    kmctest::DispatchCall get;
    kmctest::CallByName(get, address.Get(), u"SiteDetailsAsVelkorString", DISPATCH_PROPERTYGET, {});
    ASSERT_EQ(get.hr, S_OK);
    EXPECT_EQ(BSTRToTString(get.result.Get().bstrVal), "( 3 , -1 / 1 )");
    LONG i = 0, j = 0;
    EXPECT_EQ(address->GetSiteDetails(&i, &j, nullptr), E_POINTER);
}

}  // namespace
