#include <gtest/gtest.h>

#include <cmath>

#include "geometry/geometry.h"
#include "nox/result.h"

namespace {

// A shear with a non-trivial translation, so that order and sign mistakes show.
const TransformMatrix kShear({1, 2, 0, 0.5, 0, 1, 0, -0.25, 0, 0, 1, 3});
// A rotation by 90 degrees about z with a translation.
const TransformMatrix kTurn({0, -1, 0, 1, 1, 0, 0, 0, 0, 0, 1, 0});

TEST(GeometryTransform, ApplyReadsEachRowsTranslationAfterItAndTheDefaultIsIdentity) {
    const TransformMatrix m({1, 2, 3, 10, 4, 5, 6, 20, 7, 8, 9, 30});
    EXPECT_EQ(m.Apply({1, 1, 1}), (Point3d{16, 35, 54}));
    EXPECT_EQ(m.Linear(1, 2), 6);
    EXPECT_EQ(m.Translation(2), 30);
    EXPECT_EQ(TransformMatrix().Apply({0.3, -2, 7}), (Point3d{0.3, -2, 7}));
    EXPECT_DOUBLE_EQ((Point3d{3, 4, 12}).Length(), 13.0);
}

TEST(GeometryTransform, CompositionAppliesRightOperandFirst) {
    const Point3d p{0.2, 0.7, -1};
    for (const auto& [outer, inner] : {std::pair{kTurn, kShear}, {kShear, kTurn}}) {
        const Point3d expected = outer.Apply(inner.Apply(p)), actual = (outer * inner).Apply(p);
        EXPECT_NEAR((actual - expected).Length(), 0.0, 1e-12);
    }
    EXPECT_NE(kTurn * kShear, kShear * kTurn);
}

TEST(GeometryTransform, InverseUndoesTheMapOnBothSidesUnlessSingular) {
    for (const TransformMatrix& m : {kShear, kTurn, TransformMatrix({2, 0, 1, 1, 0, -3, 0, 2, 1, 1, 4, -1}),
                                     TransformMatrix({1e-4, 0, 0, 5e-5, 0, 1e-4, 0, 0, 0, 0, 1e-4, 0})}) {
        EXPECT_TRUE((m.Inverse() * m).IsIdentity(1e-9));
        EXPECT_TRUE((m * m.Inverse()).IsIdentity(1e-9));
    }
    // R⁻¹ and −R⁻¹·t: the turn's inverse rotates back and moves (1,0) to the origin.
    EXPECT_EQ(kTurn.Inverse(), TransformMatrix({0, 1, 0, 0, -1, 0, 0, 1, 0, 0, 1, 0}));
    for (const TransformMatrix& m : {TransformMatrix({0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}),
                                     TransformMatrix({1, 2, 0, 0, 2, 4, 0, 0, 0, 0, 1, 0}),
                                     TransformMatrix({NAN, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0})}) {
        try {
            (void)m.Inverse();
            ADD_FAILURE() << "no NoxResult was raised";
        } catch (const NoxResult& result) {
            EXPECT_EQ(result.Code(), E_INVALIDARG);
            EXPECT_NE(result.Description().find("singular"), std::string::npos);
        }
    }
}

TEST(GeometryTransform, IsIdentityHonoursTolerance) {
    const TransformMatrix nearly({1, 0, 0, 1e-9, 0, 1, 0, 0, 0, 0, 1, 0});
    EXPECT_FALSE(nearly.IsIdentity());
    EXPECT_TRUE(nearly.IsIdentity(1e-8));
    EXPECT_FALSE(kTurn.IsIdentity(0.5));
}

}  // namespace
