#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

// Equal linear parts, translations equal up to whole cells.
bool SameModuloLattice(const TransformMatrix& a, const TransformMatrix& b) {
    const TransformMatrix::Values x = a.GetValues(), y = b.GetValues();
    for (size_t i = 0; i < x.size(); ++i) {
        const double d = x[i] - y[i];
        if (std::abs(i % 4 == 3 ? d - std::round(d) : d) > 1e-9) return false;
    }
    return true;
}

bool ContainsModuloLattice(const std::vector<TransformMatrix>& group, const TransformMatrix& op) {
    return std::ranges::any_of(group,
                               [&](const TransformMatrix& member) { return SameModuloLattice(member, op); });
}

TEST(PlaneGroupCatalog, ListsTheSeventeenGroupsInOrderWithTheirClassAndOrderFoundByExactName) {
    const PlaneGroupCatalog& catalog = PlaneGroupCatalog::Instance();
    const auto& groups = catalog.Groups();
    ASSERT_EQ(groups.size(), std::size(kExpected));
    for (size_t i = 0; i < groups.size(); ++i) {
        SCOPED_TRACE(kExpected[i].name);
        EXPECT_EQ(groups[i].Name(), kExpected[i].name);
        EXPECT_EQ(groups[i].ClassType(), kExpected[i].classType);
        EXPECT_EQ(groups[i].CreateSymmetryGroup(true).size(), kExpected[i].order);
        EXPECT_EQ(groups[i].CreateSymmetryGroup(false).size(), kExpected[i].representatives);
        EXPECT_EQ(catalog.Find(kExpected[i].name), &groups[i]);
    }
    for (const char* unknown : {"", "p1", "P 1", "p 1 ", "p 2 mm", "P 6 M M", "c 2 g g"})
        EXPECT_EQ(catalog.Find(unknown), nullptr) << '"' << unknown << '"';
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

TEST(PlaneGroupTriplet, ParsesSignedVariablesFractionsAndSpacesAndNamesRejectedText) {
    EXPECT_EQ(ParseCoordinateTriplet(" -x + 1/2 , 2y-x-3 ,z"),
              TransformMatrix({-1, 0, 0, 0.5, -1, 2, 0, -3, 0, 0, 1, 0}));
    EXPECT_EQ(ParseCoordinateTriplet("1/4x,-1/3,+z"),
              TransformMatrix({0.25, 0, 0, 0, 0, 0, 0, -1.0 / 3, 0, 0, 1, 0}));
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
