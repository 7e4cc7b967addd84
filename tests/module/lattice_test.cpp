// The lattice: its defaults, its set-up from the plane-group catalogue (with the hexagonal basis
// change), position transforms, and the comparison of two lattices.
#include <gtest/gtest.h>

#include <cmath>

#include "geometry/plane_groups.h"
#include "lattice_support.h"
#include "vxostrel/module.h"

using kmctest::MockDocument;
using kmctest::TakeErrorDescription;
using latticetest::MakeLattice;
using ::testing::NiceMock;
using ::testing::Return;

namespace {

struct LatticeSpec {
    const char* type;
    const char* group;
    double u, v, theta;
};

TEST(LatticeTest, NewLatticeHasItsDefaults) {
    NoxComPtr<KMCLattice> lattice = KMCLattice::Create();
    NoxBSTR type, group;
    double u = 0, v = 0, theta = 0, area = 0;
    LONG operators = -1, sites = -1;
    EXPECT_EQ(lattice->get_LatticeType(type.Put()), S_OK);
    EXPECT_EQ(lattice->get_SymmetryGroup(group.Put()), S_OK);
    lattice->get_LengthU(&u);
    lattice->get_LengthV(&v);
    lattice->get_AngleTheta(&theta);
    lattice->get_CellArea(&area);
    lattice->get_OperatorCount(&operators);
    NoxComPtr<IVxKMCLatticeSiteList> list;
    ASSERT_EQ(lattice->get_LatticeSiteList(list.Put()), S_OK);
    list->get_Count(&sites);
    EXPECT_EQ(type.ToTString(), "Oblique");
    EXPECT_EQ(group.ToTString(), "p 1");
    EXPECT_EQ(std::make_tuple(u, v, theta, area, operators, sites),
              std::make_tuple(5.0, 5.0, 90.0, 25.0, 0, 0));
    EXPECT_EQ(list.Get(), static_cast<IVxKMCLatticeSiteList*>(lattice->RawLatticeSiteList()));
}

TEST(LatticeTest, SetLatticeTakesTheCataloguesOperators) {
    for (const LatticeSpec& setup :
         {LatticeSpec{"Oblique", "p 1", 3, 4, 90}, LatticeSpec{"Square", "p 4 m m", 2, 2, 90},
          LatticeSpec{"Rectangular", "c 2 m m", 2, 3, 90}}) {
        NoxComPtr<KMCLattice> lattice = MakeLattice(setup.type, setup.group, setup.u, setup.v, setup.theta);
        const auto expected = PlaneGroupCatalog::Instance().Find(setup.group)->CreateSymmetryGroup(true);
        EXPECT_EQ(lattice->SymmetryOperators(), expected) << setup.group;
        double area = 0;
        lattice->get_CellArea(&area);
        EXPECT_DOUBLE_EQ(area, setup.u * setup.v) << setup.group;
    }
}

TEST(LatticeTest, RefusedSetupsChangeNothing) {
    struct Case {
        LatticeSpec setup;
        const char* message;
    };
    const Case cases[] = {
        {{"Oblique", "p 7", 1, 1, 90}, "Symmetry group specified for the lattice is unknown"},
        {{"Oblique", "P 1", 1, 1, 90}, "Symmetry group specified for the lattice is unknown"},
        {{"Square", "p 6 m m", 1, 1, 90}, "Symmetry group specified does not match the lattice type"},
        {{"square", "p 4", 1, 1, 90}, "Symmetry group specified does not match the lattice type"},
    };
    NoxComPtr<KMCLattice> lattice = KMCLattice::Create();
    for (const Case& c : cases) {
        try {
            lattice->SetLattice(2, c.setup.type, c.setup.group, 7, 8, 60);
            ADD_FAILURE() << c.setup.group << " accepted";
        } catch (const NoxResult& failure) {
            EXPECT_EQ(failure.Code(), E_UNEXPECTED);
            EXPECT_EQ(failure.Description(), c.message);
        }
        EXPECT_EQ(lattice->LatticeType(), "Oblique");
        EXPECT_TRUE(lattice->SymmetryOperators().empty());
        double u = 0;
        lattice->get_LengthU(&u);
        EXPECT_EQ(u, 5.0);
    }
    // A lattice that failed to set up may still be set up once.
    lattice->SetLattice(2, "Square", "p 4", 1, 1, 90);
    EXPECT_EQ(lattice->SymmetryOperators().size(), 4u);
}

TEST(LatticeTest, SetAgainOnlyWhileTheDocumentLoads) {
    NiceMock<MockDocument> document;
    NoxComPtr<KMCLattice> lattice = MakeLattice("Square", "p 4 m m");
    EXPECT_THROW(lattice->SetLattice(2, "Oblique", "p 2", 1, 1, 80), NoxResult);  // no document: not loading
    lattice->SetParent(&document, nullptr, nullptr, nullptr);
    EXPECT_CALL(document, IsLoading()).WillOnce(Return(false)).WillOnce(Return(true));
    try {
        lattice->SetLattice(2, "Oblique", "p 2", 1, 1, 80);
        ADD_FAILURE() << "set twice outside loading";
    } catch (const NoxResult& failure) {
        EXPECT_EQ(failure.Description(), "KMCLattice has already been initialised");
    }
    EXPECT_EQ(lattice->LatticeType(), "Square");
    lattice->SetLattice(2, "Oblique", "p 2", 1, 1, 80);
    EXPECT_EQ(lattice->LatticeType(), "Oblique");
    EXPECT_EQ(lattice->SymmetryOperators().size(), 2u);
}

// Every operator of a hexagonal group, taken into the lattice's 60-degree cell, must keep that
// cell's metric and map its two hollow positions onto hollow positions.
TEST(LatticeTest, HexagonalOperatorsActOnTheSixtyDegreeCell) {
    const double metric[2][2] = {{1.0, 0.5}, {0.5, 1.0}};  // u = v = 1, theta = 60
    const Point3d hollows[] = {{1.0 / 3, 1.0 / 3, 0}, {2.0 / 3, 2.0 / 3, 0}};
    for (const char* group : {"p 3", "p 3 m 1", "p 3 1 m", "p 6", "p 6 m m"}) {
        NoxComPtr<KMCLattice> lattice = MakeLattice("Hexagonal", group, 1, 1, 60);
        const auto operators = lattice->SymmetryOperators();
        ASSERT_FALSE(operators.empty());
        EXPECT_TRUE(operators[0].IsIdentity()) << group;
        for (const TransformMatrix& op : operators) {
            for (int r = 0; r < 2; ++r) {
                for (int c = 0; c < 2; ++c) {
                    double kept = 0;
                    for (int a = 0; a < 2; ++a)
                        for (int b = 0; b < 2; ++b) kept += op.Linear(a, r) * metric[a][b] * op.Linear(b, c);
                    EXPECT_NEAR(kept, metric[r][c], 1e-12) << group;
                }
            }
            for (const Point3d& hollow : hollows) {
                const Point3d image = op.Apply(hollow);
                const bool onHollow =
                    std::any_of(std::begin(hollows), std::end(hollows), [&](const Point3d& h) {
                        auto whole = [](double d) { return std::abs(d - std::round(d)) < 1e-9; };
                        return whole(image.x - h.x) && whole(image.y - h.y);
                    });
                EXPECT_TRUE(onHollow) << group;
            }
        }
    }
}

TEST(LatticeTest, TransformPositionChecksTheOperatorIndex) {
    NoxComPtr<KMCLattice> lattice = MakeLattice("Square", "p 4");
    const Point3d point{0.25, 0.1, 0.0};
    EXPECT_EQ(lattice->TransformPosition(point, 0), point);
    const Point3d turned = lattice->TransformPosition(point, 1);
    EXPECT_NEAR(std::hypot(turned.x, turned.y), std::hypot(point.x, point.y), 1e-12);
    for (LONG index : {-1, 4, std::numeric_limits<LONG>::max()}) {
        try {
            lattice->TransformPosition(point, index);
            ADD_FAILURE() << index << " accepted";
        } catch (const NoxResult& failure) {
            EXPECT_EQ(failure.Code(), E_UNEXPECTED);
            EXPECT_EQ(failure.Description(), "Invalid symmetry index for KMCLattice::TransformPosition");
        }
    }
}

TEST(LatticeTest, IsConsistentNamesTheFirstDifference) {
    struct Case {
        LatticeSpec other;
        const char* message;
    };
    const Case cases[] = {
        {{"Square", "p 4 m m", 2.5, 2.5, 90}, ""},
        {{"Square", "p 4 m m", 2.505, 2.495, 90.005}, ""},
        {{"Rectangular", "p 2 m m", 2.5, 2.5, 90}, "Lattices are of different type."},
        {{"Square", "p 4", 2.5, 2.5, 90}, "Lattices have different symmetry."},
        {{"Square", "p 4 m m", 2.52, 2.5, 90}, "Lattices have different geometries."},
        {{"Square", "p 4 m m", 2.5, 2.48, 90}, "Lattices have different geometries."},
        {{"Square", "p 4 m m", 2.5, 2.5, 90.02}, "Lattices have different geometries."},
    };
    NoxComPtr<KMCLattice> lattice = MakeLattice("Square", "p 4 m m", 2.5, 2.5, 90);
    for (const Case& c : cases) {
        NoxComPtr<KMCLattice> other =
            MakeLattice(c.other.type, c.other.group, c.other.u, c.other.v, c.other.theta);
        VARIANT_BOOL consistent = 7;
        NoxBSTR message;
        ASSERT_EQ(lattice->IsConsistent(other.Get(), &consistent, message.Put()), S_OK);
        EXPECT_EQ(message.ToTString(), c.message);
        EXPECT_EQ(consistent, *c.message == '\0' ? VARIANT_TRUE : VARIANT_FALSE) << c.message;
    }

    // Equal geometry hands the comparison to the site lists.
    NoxComPtr<KMCLattice> other = MakeLattice("Square", "p 4 m m", 2.5, 2.5, 90);
    ASSERT_EQ(latticetest::CreateSite(*other, "Adsorption site", "Top"), S_OK);
    VARIANT_BOOL consistent = 7;
    NoxBSTR message;
    ASSERT_EQ(lattice->IsConsistent(other.Get(), &consistent, message.Put()), S_OK);
    EXPECT_EQ(consistent, VARIANT_FALSE);
    EXPECT_EQ(message.ToTString(), "The two lattices have a different number of sites specified.");

    EXPECT_EQ(lattice->IsConsistent(other.Get(), nullptr, message.Put()), E_POINTER);
    EXPECT_EQ(TakeErrorDescription(), "No pointer supplied for output argument.");
    EXPECT_EQ(lattice->IsConsistent(nullptr, &consistent, message.Put()), E_POINTER);
}

TEST(LatticeTest, AnswersThroughDispatchAndTheRegistry) {
    NoxComPtr<IClassFactory> factory;
    ASSERT_EQ(DllGetClassObject(CLSID_KMCLattice, IID_IClassFactory, factory.PutVoid()), S_OK);
    NoxComPtr<IDispatch> created;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, created.PutVoid()), S_OK);
    kmctest::DispatchCall call;
    kmctest::CallByName(call, created.Get(), u"CellArea", DISPATCH_PROPERTYGET, {});
    ASSERT_EQ(call.hr, S_OK);
    EXPECT_EQ(call.result.Get().dblVal, 25.0);
    kmctest::DispatchCall list;
    kmctest::CallByName(list, created.Get(), u"LatticeSiteList", DISPATCH_PROPERTYGET, {});
    ASSERT_EQ(list.hr, S_OK);
    EXPECT_NE(list.result.Get().pdispVal, nullptr);  // the registry path runs FinalConstruct
}

TEST(LatticeTest, SiteListOutlivingItsLatticeIsUnlinked) {
    NoxComPtr<KMCLattice> lattice = MakeLattice("Square", "p 4 m m");
    NoxComPtr<IVxKMCLatticeSiteList> list;
    lattice->get_LatticeSiteList(list.Put());
    lattice.Reset();
    NoxComPtr<IVxKMCLatticeSite> site;
    EXPECT_EQ(list->CreateLatticeSite(kmctest::Text("Adsorption site").Get(), kmctest::Text("Top").Get(), 0,
                                      0, 0, site.Put()),
              E_UNEXPECTED);
    EXPECT_EQ(TakeErrorDescription(), "Lattice site list is not part of a lattice.");
}

}  // namespace
