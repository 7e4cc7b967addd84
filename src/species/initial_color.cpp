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

constexpr int kLevelsPerCell = 256 / 32;

// The least mean square difference any colour can have from a candidate when some channel of it
// differs by at least `levels`; a little less, so that rounding never hides a nearer colour.
double LowerBound(int levels) {
    const double scaled = levels / 255.0;
    return scaled * scaled / 3.0 - 1e-6;
}

}  // namespace

ColorSet::ColorSet(const std::vector<ColorValue>& colors) {
    for (ColorValue color : colors) Add(color);
}

size_t ColorSet::CellOf(int r, int g, int b) {
    return static_cast<size_t>((r * kCellsPerChannel + g) * kCellsPerChannel + b);
}

void ColorSet::File(ColorValue color) {
    cells_[CellOf(color.Channel(0) / kLevelsPerCell, color.Channel(1) / kLevelsPerCell,
                  color.Channel(2) / kLevelsPerCell)]
        .push_back(color);
}

void ColorSet::Add(ColorValue color) {
    all_.push_back(color);
    if (!cells_.empty()) {
        File(color);
    } else if (all_.size() > kFewColors) {
        cells_.resize(static_cast<size_t>(kCellsPerChannel) * kCellsPerChannel * kCellsPerChannel);
        for (ColorValue filed : all_) File(filed);
    }
}

void ColorSet::Clear() {
    cells_.clear();
    all_.clear();
}

float ColorSet::NearestInCell(ColorValue candidate, int r, int g, int b, float nearest) const {
    for (ColorValue color : cells_[CellOf(r, g, b)])
        nearest = std::min(nearest, MeanSquareDifference(candidate, color));
    return nearest;
}

float ColorSet::Distance(ColorValue candidate, float beaten) const {
    float nearest = 1.0f;
    // A few colours are simply all compared; the shells pay off where colours are many.
    if (cells_.empty()) {
        for (ColorValue color : all_) nearest = std::min(nearest, MeanSquareDifference(candidate, color));
        return std::sqrt(nearest);
    }
    const int home[3] = {candidate.Channel(0) / kLevelsPerCell, candidate.Channel(1) / kLevelsPerCell,
                         candidate.Channel(2) / kLevelsPerCell};
    // Shells of cells around the candidate's own, until no colour of the next shell can be nearer:
    // one of its channels differs by more than (ring - 1) whole cells.
    for (int ring = 0; ring < kCellsPerChannel; ++ring) {
        if (ring > 0 && LowerBound((ring - 1) * kLevelsPerCell + 1) > nearest) break;
        if (std::sqrt(nearest) <= beaten) break;  // further shells can only bring it nearer
        for (int r = home[0] - ring; r <= home[0] + ring; ++r) {
            for (int g = home[1] - ring; g <= home[1] + ring; ++g) {
                for (int b = home[2] - ring; b <= home[2] + ring; ++b) {
                    const bool onShell = std::max({std::abs(r - home[0]), std::abs(g - home[1]),
                                                   std::abs(b - home[2])}) == ring;
                    const bool inCube = r >= 0 && g >= 0 && b >= 0 && r < kCellsPerChannel &&
                                        g < kCellsPerChannel && b < kCellsPerChannel;
                    if (onShell && inCube) nearest = NearestInCell(candidate, r, g, b, nearest);
                }
            }
        }
    }
    return std::sqrt(nearest);
}

uint32_t SpeciesColorSeed(std::string_view name) {
    uint32_t h = 0;
    for (char c : name) {
        h = h * 257u + static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c)));
        h %= kSeedModulus;
    }
    return h;
}

ColorValue ChooseInitialColor(std::string_view name, const ColorSet& existing) {
    CandidateColors candidates(SpeciesColorSeed(name));
    ColorValue best = candidates.Next();
    float bestDistance = existing.Distance(best);
    for (int drawn = 1; bestDistance < kFarEnough && drawn < kMostCandidates; ++drawn) {
        ColorValue candidate = candidates.Next();
        float distance = existing.Distance(candidate, bestDistance);
        if (distance > bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

}  // namespace kmc
