#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "geometry/plane_groups.h"
#include "nox/result.h"

namespace {

struct ExpectedGroup {
    const char* name;
    const char* classType;
    size_t order;            // with the centring translations
    size_t representatives;  // the (0,0) coset only
};

// Orders from the International Tables (Vol. A), in catalogue order.
const ExpectedGroup kExpected[] = {
    {"p 1", "Oblique", 1, 1},         {"p 2", "Oblique", 2, 2},         {"p m", "Rectangular", 2, 2},
    {"p g", "Rectangular", 2, 2},     {"c m", "Rectangular", 4, 2},     {"p 2 m m", "Rectangular", 4, 4},
    {"p 2 m g", "Rectangular", 4, 4}, {"p 2 g g", "Rectangular", 4, 4}, {"c 2 m m", "Rectangular", 8, 4},
    {"p 4", "Square", 4, 4},          {"p 4 m m", "Square", 8, 8},      {"p 4 g m", "Square", 8, 8},
    {"p 3", "Hexagonal", 3, 3},       {"p 3 m 1", "Hexagonal", 6, 6},   {"p 3 1 m", "Hexagonal", 6, 6},
    {"p 6", "Hexagonal", 6, 6},       {"p 6 m m", "Hexagonal", 12, 12},
};

using Metric = std::array<std::array<double, 2>, 2>;

Metric CellMetric(double a, double b, double gammaDegrees) {
    const double ab = a * b * std::cos(gammaDegrees * std::numbers::pi / 180.0);
    return {{{a * a, ab}, {ab, b * b}}};
}

// A general cell of each class, so that an operator that only fits a special cell shows.
Metric ClassMetric(const std::string& classType) {
    if (classType == "Oblique") return CellMetric(1.0, 1.3, 104.0);
    if (classType == "Rectangular") return CellMetric(1.0, 1.5, 90.0);
    if (classType == "Square") return CellMetric(1.0, 1.0, 90.0);
    return CellMetric(1.0, 1.0, 120.0);
}

// Rᵀ·G·R = G on the plane, and z carried along unchanged.
bool PreservesMetric(const TransformMatrix& op, const Metric& g) {
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 2; ++j) {
            double sum = 0.0;
            for (int k = 0; k < 2; ++k) {
                for (int l = 0; l < 2; ++l) sum += op.Linear(k, i) * g[k][l] * op.Linear(l, j);
            }
            if (std::abs(sum - g[i][j]) > 1e-9) return false;
        }
    }
    return op.Linear(0, 2) == 0 && op.Linear(1, 2) == 0 && op.Linear(2, 0) == 0 && op.Linear(2, 1) == 0 &&
           op.Linear(2, 2) == 1 && op.Translation(2) == 0;
}

bool HasIntegralUnimodularLinearPart(const TransformMatrix& m) {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            if (m.Linear(r, c) != std::round(m.Linear(r, c))) return false;
        }
    }
    const double det = m.Linear(0, 0) * (m.Linear(1, 1) * m.Linear(2, 2) - m.Linear(1, 2) * m.Linear(2, 1)) -
                       m.Linear(0, 1) * (m.Linear(1, 0) * m.Linear(2, 2) - m.Linear(1, 2) * m.Linear(2, 0)) +
                       m.Linear(0, 2) * (m.Linear(1, 0) * m.Linear(2, 1) - m.Linear(1, 1) * m.Linear(2, 0));
    return det == 1 || det == -1;
}

bool SameModuloLattice(const TransformMatrix& a, const TransformMatrix& b) {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            if (std::abs(a.Linear(r, c) - b.Linear(r, c)) > 1e-9) return false;
        }
        const double shift = a.Translation(r) - b.Translation(r);
        if (std::abs(shift - std::round(shift)) > 1e-9) return false;
    }
    return true;
}

bool ContainsModuloLattice(const std::vector<TransformMatrix>& group, const TransformMatrix& op) {
    for (const TransformMatrix& member : group) {
        if (SameModuloLattice(member, op)) return true;
    }
    return false;
}

// The map from the catalogue's 120-degree hexagonal cell into the 60-degree cell of a lattice.
const TransformMatrix kToSixtyDegreeCell({1, 0, 0, 0, -1, 1, 0, 0, 0, 0, 1, 0});

TEST(PlaneGroupCatalog, ListsTheSeventeenGroupsInOrderWithTheirClassAndOrder) {
    const auto& groups = PlaneGroupCatalog::Instance().Groups();
    ASSERT_EQ(groups.size(), std::size(kExpected));
    for (size_t i = 0; i < groups.size(); ++i) {
        SCOPED_TRACE(kExpected[i].name);
        EXPECT_EQ(groups[i].Name(), kExpected[i].name);
        EXPECT_EQ(groups[i].ClassType(), kExpected[i].classType);
        EXPECT_EQ(groups[i].CreateSymmetryGroup(true).size(), kExpected[i].order);
        EXPECT_EQ(groups[i].CreateSymmetryGroup(false).size(), kExpected[i].representatives);
    }
}

TEST(PlaneGroupCatalog, FindsExactNamesOnly) {
    const PlaneGroupCatalog& catalog = PlaneGroupCatalog::Instance();
    EXPECT_EQ(&catalog, &PlaneGroupCatalog::Instance());
    for (const ExpectedGroup& expected : kExpected) {
        const PlaneGroupDescription* found = catalog.Find(expected.name);
        ASSERT_NE(found, nullptr) << expected.name;
        EXPECT_EQ(found->Name(), expected.name);
    }
    for (const char* unknown :
         {"", "p1", "P 1", "p 1 ", " p 1", "p 2 mm", "P 6 M M", "p 6 m m\n", "c 2 g g"}) {
        EXPECT_EQ(catalog.Find(unknown), nullptr) << '"' << unknown << '"';
    }
}

TEST(PlaneGroupCatalog, EveryGroupStartsWithTheIdentityAndIsClosedModuloLatticeTranslations) {
    for (const PlaneGroupDescription& group : PlaneGroupCatalog::Instance().Groups()) {
        SCOPED_TRACE(group.Name());
        const std::vector<TransformMatrix> ops = group.CreateSymmetryGroup(true);
        ASSERT_FALSE(ops.empty());
        EXPECT_TRUE(ops.front().IsIdentity(0.0));
        for (size_t i = 0; i < ops.size(); ++i) {
            for (size_t j = 0; j < i; ++j)
                EXPECT_FALSE(SameModuloLattice(ops[i], ops[j])) << i << " repeats " << j;
            for (const TransformMatrix& other : ops) {
                EXPECT_TRUE(ContainsModuloLattice(ops, ops[i] * other)) << "product with operator " << i;
            }
        }
    }
}

TEST(PlaneGroupCatalog, LinearPartsAreIntegralUnimodularAndPreserveTheCellMetric) {
    const Metric sixtyDegrees = CellMetric(1.0, 1.0, 60.0);
    for (const PlaneGroupDescription& group : PlaneGroupCatalog::Instance().Groups()) {
        SCOPED_TRACE(group.Name());
        const Metric metric = ClassMetric(group.ClassType());
        for (const TransformMatrix& op : group.CreateSymmetryGroup(true)) {
            EXPECT_TRUE(HasIntegralUnimodularLinearPart(op));
            EXPECT_TRUE(PreservesMetric(op, metric));
            if (group.ClassType() == "Hexagonal") {
                const TransformMatrix inLattice = kToSixtyDegreeCell * op * kToSixtyDegreeCell.Inverse();
                EXPECT_TRUE(HasIntegralUnimodularLinearPart(inLattice));
                EXPECT_TRUE(PreservesMetric(inLattice, sixtyDegrees));
            }
        }
    }
}

TEST(PlaneGroupCatalog, CentredGroupsAppendTheRepresentativesShiftedByHalfHalf) {
    for (const PlaneGroupDescription& group : PlaneGroupCatalog::Instance().Groups()) {
        SCOPED_TRACE(group.Name());
        const std::vector<TransformMatrix> all = group.CreateSymmetryGroup(true);
        const std::vector<TransformMatrix> representatives = group.CreateSymmetryGroup(false);
        ASSERT_EQ(std::vector(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(representatives.size())),
                  representatives);
        for (size_t i = representatives.size(); i < all.size(); ++i) {
            const TransformMatrix shift({1, 0, 0, 0.5, 0, 1, 0, 0.5, 0, 0, 1, 0});
            EXPECT_EQ(all[i], shift * representatives[i - representatives.size()]);
        }
    }
}

// Glide translations must survive parsing: with a 1/2 dropped, p2mg would still be a closed group.
TEST(PlaneGroupCatalog, OperatorsCarryTheirTablesTranslations) {
    struct Case {
        const char* group;
        size_t index;
        TransformMatrix::Values values;
    };
    const Case cases[] = {
        {"p g", 1, {-1, 0, 0, 0, 0, 1, 0, 0.5, 0, 0, 1, 0}},
        {"p 2 m g", 2, {-1, 0, 0, 0.5, 0, 1, 0, 0, 0, 0, 1, 0}},
        {"p 2 g g", 3, {1, 0, 0, 0.5, 0, -1, 0, 0.5, 0, 0, 1, 0}},
        {"p 4 g m", 7, {0, -1, 0, 0.5, -1, 0, 0, 0.5, 0, 0, 1, 0}},
        {"c 2 m m", 6, {-1, 0, 0, 0.5, 0, 1, 0, 0.5, 0, 0, 1, 0}},
        {"p 3", 1, {0, -1, 0, 0, 1, -1, 0, 0, 0, 0, 1, 0}},
        {"p 6 m m", 11, {-1, 0, 0, 0, -1, 1, 0, 0, 0, 0, 1, 0}},
    };
    for (const Case& c : cases) {
        const PlaneGroupDescription* group = PlaneGroupCatalog::Instance().Find(c.group);
        ASSERT_NE(group, nullptr) << c.group;
        EXPECT_EQ(group->CreateSymmetryGroup(true).at(c.index), TransformMatrix(c.values)) << c.group;
    }
}

TEST(PlaneGroupTriplet, ParsesSignedVariablesFractionsAndSpaces) {
    EXPECT_EQ(ParseCoordinateTriplet(" -x + 1/2 , 2y-x-3 ,z"),
              TransformMatrix({-1, 0, 0, 0.5, -1, 2, 0, -3, 0, 0, 1, 0}));
    EXPECT_EQ(ParseCoordinateTriplet("1/4x,-1/3,+z"),
              TransformMatrix({0.25, 0, 0, 0, 0, 0, 0, -1.0 / 3, 0, 0, 1, 0}));
}

TEST(PlaneGroupTriplet, RejectsTextThatIsNotATriplet) {
    for (const char* bad : {"", "x,y", "x,y,z,x", "x,,z", "x,y+,z", "xy,y,z", "x,1/,z", "x,1/0,z", "X,y,z",
                            "x,y,w", "x,y,z+99999999999999999999", "x,y,z;"}) {
        try {
            (void)ParseCoordinateTriplet(bad);
            ADD_FAILURE() << "accepted \"" << bad << '"';
        } catch (const NoxResult& result) {
            EXPECT_EQ(result.Code(), E_INVALIDARG);
            EXPECT_NE(result.Description().find('"' + std::string(bad) + '"'), std::string::npos);
        }
    }
}

}  // namespace
