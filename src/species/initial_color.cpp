#include "species/initial_color.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "numeric/uniform.h"

namespace kmc {
namespace {

constexpr uint32_t kSeedModulus = 1000000;
constexpr float kFarEnough = 0.2f;
constexpr int kMostCandidates = 100;

class CandidateColors {
public:
    explicit CandidateColors(uint32_t seed) : seed_(seed) {}

    ColorValue Next() {
        uint32_t rgb = 0;
        for (int channel = 0; channel < 3; ++channel) rgb |= DrawChannel() << (8 * channel);
        return ColorValue(ColorValue::kOpaqueTop | rgb);
    }

private:
    uint32_t DrawChannel() {
        // Only the first draw of the sequence carries the seed; the rest continue it.
        float draw = numeric::DrawUniform(std::exchange(seed_, 0), sequence_);
        return static_cast<uint32_t>(draw * 255.0f) & 0xFF;
    }

    uint32_t seed_;
    numeric::UniformSequence sequence_;
};

float Scaled(ColorValue color, int channel) { return static_cast<float>(color.Channel(channel)) / 255.0f; }

float MeanSquareDifference(ColorValue a, ColorValue b) {
    float sum = 0.0f;
    for (int channel = 0; channel < 3; ++channel) {
        float difference = Scaled(a, channel) - Scaled(b, channel);
        sum += difference * difference;
    }
    return sum / 3.0f;
}

float Distance(ColorValue candidate, const std::vector<ColorValue>& existing) {
    float nearest = 1.0f;
    for (ColorValue color : existing) nearest = std::min(nearest, MeanSquareDifference(candidate, color));
    return std::sqrt(nearest);
}

}  // namespace

uint32_t SpeciesColorSeed(std::string_view name) {
    uint32_t h = 0;
    for (char c : name) {
        h = h * 257u + static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c)));
        h %= kSeedModulus;
    }
    return h;
}

ColorValue ChooseInitialColor(std::string_view name, const std::vector<ColorValue>& existing) {
    CandidateColors candidates(SpeciesColorSeed(name));
    ColorValue best = candidates.Next();
    float bestDistance = Distance(best, existing);
    for (int drawn = 1; bestDistance < kFarEnough && drawn < kMostCandidates; ++drawn) {
        ColorValue candidate = candidates.Next();
        float distance = Distance(candidate, existing);
        if (distance > bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

}  // namespace kmc
