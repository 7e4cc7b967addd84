#include <gtest/gtest.h>

#include <vector>

#include "numeric/uniform.h"

namespace {

std::vector<float> Draws(uint32_t seed, int count) {
    numeric::UniformSequence sequence;
    std::vector<float> draws{numeric::DrawUniform(seed, sequence)};
    for (int i = 1; i < count; ++i) draws.push_back(numeric::DrawUniform(0, sequence));
    return draws;
}

TEST(UniformSequence, IsRepeatableAndEachStateKeepsItsOwnSequence) {
    EXPECT_EQ(Draws(17298, 50), Draws(17298, 50));
    EXPECT_NE(Draws(17298, 5), Draws(17299, 5));
    numeric::UniformSequence a, b;
    std::vector<float> interleaved{numeric::DrawUniform(42, a)};
    (void)numeric::DrawUniform(7, b);
    interleaved.push_back(numeric::DrawUniform(0, a));
    (void)numeric::DrawUniform(0, b);
    interleaved.push_back(numeric::DrawUniform(0, a));
    EXPECT_EQ(interleaved, Draws(42, 3));
    // A non-zero seed restarts a sequence in use.
    EXPECT_EQ(numeric::DrawUniform(42, a), Draws(42, 1)[0]);
}

TEST(UniformSequence, DrawsStayInTheUnitIntervalAndSpreadOverIt) {
    int buckets[10] = {};
    for (float d : Draws(1, 100000)) {
        ASSERT_GE(d, 0.0f);
        ASSERT_LT(d, 1.0f);
        ++buckets[static_cast<int>(d * 10)];
    }
    for (int count : buckets) EXPECT_NEAR(count, 10000, 500);
}

}  // namespace
