// The lattice: set-up from the plane-group catalogue (with the hexagonal basis change), position
// transforms, comparison, and its site list's lifetime.
#include <gtest/gtest.h>

#include <cmath>

#include "support.h"
#include "vxostrel/module.h"

using namespace kmctest;
using ::testing::NiceMock;
using ::testing::Return;

namespace {

TEST(LatticeTest, RefusedSetUpsChangeNothing) {
    NiceMock<MockDocument> document;
    NoxComPtr<KMCLattice> fresh = KMCLattice::Create();
    NoxComPtr<KMCLattice> set = MakeLattice("Square", "p 4");
    set->SetParent(&document, nullptr, nullptr, nullptr);
    const char* unknown = "Symmetry group specified for the lattice is unknown";
    const char* mismatch = "Symmetry group specified does not match the lattice type";
    const std::tuple<KMCLattice*, const char*, const char*, const char*> cases[] = {
        {fresh.Get(), "Oblique", "p 7", unknown},
        {fresh.Get(), "Oblique", "P 1", unknown},
        {fresh.Get(), "Square", "p 6 m m", mismatch},
        {fresh.Get(), "square", "p 4", mismatch},
        {set.Get(), "Oblique", "p 2", "KMCLattice has already been initialised"},
    };
    for (auto [lattice, type, group, message] : cases) {
        const std::string before = lattice->LatticeType();
        const auto operators = lattice->SymmetryOperators();
        EXPECT_EQ(Raised([lattice = lattice, type = type, group = group] {
                      lattice->SetLattice(2, type, group, 7, 8, 60);
                  }),
                  Outcome(E_UNEXPECTED, message));
        EXPECT_EQ(lattice->LatticeType(), before);
        EXPECT_EQ(lattice->SymmetryOperators(), operators);
    }
    const std::tuple<double, double, double, const char*> lengths[] = {
        {std::nan(""), 1, 90, "Lattice length U must be a finite number."},
        {1, HUGE_VAL, 90, "Lattice length V must be a finite number."},
        {1, 1, -HUGE_VAL, "Lattice angle theta must be a finite number."},
    };
    for (auto [u, v, theta, message] : lengths) {
        EXPECT_EQ(
            Raised([&, u = u, v = v, theta = theta] { fresh->SetLattice(2, "Square", "p 4", u, v, theta); }),
            Outcome(E_INVALIDARG, message));
        EXPECT_EQ(fresh->SymmetryOperators().size(), 0u);
    }
    // Set again while the document loads, and a lattice that failed to set up still can be.
    EXPECT_CALL(document, IsLoading()).WillOnce(Return(true));
    set->SetLattice(2, "Oblique", "p 2", 1, 1, 80);
    fresh->SetLattice(2, "Square", "p 4", 1, 1, 90);
    EXPECT_EQ(std::tie(set->LatticeType(), fresh->LatticeType()), std::make_tuple("Oblique", "Square"));
}

// Every operator of a hexagonal group, taken into the lattice's 60-degree cell, must keep that
// cell's metric and map its two hollows onto hollows.
TEST(LatticeTest, HexagonalOperatorsActOnTheSixtyDegreeCell) {
    const double metric[2][2] = {{1.0, 0.5}, {0.5, 1.0}};
    const Point3d hollows[] = {{1.0 / 3, 1.0 / 3, 0}, {2.0 / 3, 2.0 / 3, 0}};
    auto whole = [](double d) { return std::abs(d - std::round(d)) < 1e-9; };
    for (const char* group : {"p 3", "p 3 m 1", "p 3 1 m", "p 6", "p 6 m m"}) {
        NoxComPtr<KMCLattice> lattice = MakeLattice("Hexagonal", group, 1, 1, 60);
        const auto operators = lattice->SymmetryOperators();
        EXPECT_TRUE(operators.at(0).IsIdentity()) << group;
        double area = 0;
        LONG count = 0;
        EXPECT_EQ(lattice->get_CellArea(&area), S_OK);
        EXPECT_EQ(lattice->get_OperatorCount(&count), S_OK);
        EXPECT_NEAR(area, std::sqrt(3.0) / 2, 1e-12) << group;
        EXPECT_EQ(count, static_cast<LONG>(operators.size())) << group;
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
                EXPECT_TRUE(std::any_of(std::begin(hollows), std::end(hollows), [&](const Point3d& h) {
                    return whole(image.x - h.x) && whole(image.y - h.y);
                })) << group;
            }
        }
    }
}

TEST(LatticeTest, IsConsistentNamesTheFirstDifference) {
    NoxComPtr<KMCLattice> withSite = MakeLattice("Square", "p 4 m m", 2.5, 2.5, 90);
    ASSERT_EQ(CreateSite(*withSite, "Adsorption site", "Top"), S_OK);
    struct Case {
        NoxComPtr<KMCLattice> other;
        const char* message;
    };
    const Case cases[] = {
        {MakeLattice("Square", "p 4 m m", 2.505, 2.495, 90.005), ""},
        {MakeLattice("Rectangular", "p 2 m m", 2.5, 2.5, 90), "Lattices are of different type."},
        {MakeLattice("Square", "p 4", 2.5, 2.5, 90), "Lattices have different symmetry."},
        {MakeLattice("Square", "p 4 m m", 2.52, 2.5, 90), "Lattices have different geometries."},
        {MakeLattice("Square", "p 4 m m", 2.5, 2.48, 90), "Lattices have different geometries."},
        {MakeLattice("Square", "p 4 m m", 2.5, 2.5, 90.02), "Lattices have different geometries."},
        {withSite, "The two lattices have a different number of sites specified."},
    };
    NoxComPtr<KMCLattice> lattice = MakeLattice("Square", "p 4 m m", 2.5, 2.5, 90);
    for (const Case& c : cases) {
        VARIANT_BOOL consistent = 7;
        NoxBSTR message;
        ASSERT_EQ(lattice->IsConsistent(c.other.Get(), &consistent, message.Put()), S_OK);
        EXPECT_EQ(std::make_pair(message.ToTString(), consistent),
                  std::make_pair(std::string(c.message), *c.message ? VARIANT_FALSE : VARIANT_TRUE));
    }
}

TEST(LatticeTest, ComesFromTheRegistryWithASiteListThatMayOutliveIt) {
    NoxComPtr<IClassFactory> factory;
    ASSERT_EQ(DllGetClassObject(CLSID_KMCLattice, IID_IClassFactory, factory.PutVoid()), S_OK);
    NoxComPtr<IVxKMCLattice> lattice;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IVxKMCLattice, lattice.PutVoid()), S_OK);
    DispatchCall call(lattice.Get(), u"LatticeSiteList", DISPATCH_PROPERTYGET);
    ASSERT_EQ(call.hr, S_OK);
    NoxComPtr<IVxKMCLatticeSiteList> list(static_cast<IVxKMCLatticeSiteList*>(call.result.Get().pdispVal));
    ASSERT_TRUE(list);
    lattice.Reset();
    NoxComPtr<IVxKMCLatticeSite> site;
    EXPECT_EQ(Result(list->CreateLatticeSite(Text("Adsorption site").Get(), Text("Top").Get(), 0, 0, 0,
                                             site.Put())),
              Outcome(E_UNEXPECTED, "Lattice site list is not part of a lattice."));
}

}  // namespace
