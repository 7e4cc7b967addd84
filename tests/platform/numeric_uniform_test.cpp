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

TEST(UniformSequence, SameSeedGivesTheSameSequence) {
    EXPECT_EQ(Draws(17298, 50), Draws(17298, 50));
    EXPECT_NE(Draws(17298, 5), Draws(17299, 5));
}

TEST(UniformSequence, SequencesOfSeparateStatesDoNotDisturbEachOther) {
    numeric::UniformSequence a, b;
    std::vector<float> interleaved;
    interleaved.push_back(numeric::DrawUniform(42, a));
    (void)numeric::DrawUniform(7, b);
    interleaved.push_back(numeric::DrawUniform(0, a));
    (void)numeric::DrawUniform(0, b);
    interleaved.push_back(numeric::DrawUniform(0, a));
    EXPECT_EQ(interleaved, Draws(42, 3));
}

TEST(UniformSequence, ANonZeroSeedRestartsAndZeroStartsAFreshState) {
    numeric::UniformSequence sequence;
    (void)numeric::DrawUniform(5, sequence);
    (void)numeric::DrawUniform(0, sequence);
    EXPECT_EQ(numeric::DrawUniform(5, sequence), Draws(5, 1)[0]);
    numeric::UniformSequence fresh;
    EXPECT_EQ(numeric::DrawUniform(0, fresh), Draws(0, 1)[0]);
}

TEST(UniformSequence, DrawsStayInTheUnitIntervalAndSpreadOverIt) {
    std::vector<float> draws = Draws(1, 100000);
    int buckets[10] = {};
    double sum = 0;
    for (float d : draws) {
        ASSERT_GE(d, 0.0f);
        ASSERT_LT(d, 1.0f);
        ++buckets[static_cast<int>(d * 10)];
        sum += d;
    }
    EXPECT_NEAR(sum / static_cast<double>(draws.size()), 0.5, 0.01);
    for (int count : buckets) EXPECT_NEAR(count, 10000, 500);
}

}  // namespace
