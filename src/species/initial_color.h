// The first colour of a new species: drawn from a sequence seeded by its name, and drawn again
// while it is too close to a colour already in use, so that the same name among the same
// colours always gets the same colour.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "geometry/color.h"

namespace kmc {

// The seed of a name: h = (h × 257 + c) mod 2^32, then h mod 1,000,000, over its bytes taken as
// signed 8-bit values.
uint32_t SpeciesColorSeed(std::string_view name);

// The colours in use, by where they lie in the colour cube, so that the nearest of them to a
// candidate is found among a few neighbours rather than among all.
class ColorSet {
public:
    ColorSet() = default;
    explicit ColorSet(const std::vector<ColorValue>& colors);
    void Add(ColorValue color);
    void Clear();
    // The distance from `candidate` to the nearest colour (the root of the mean square of the
    // three channel differences, each scaled to [0, 1]); 1 when there is none. A caller that only
    // needs to know whether the distance exceeds `beaten` gets, once the search shows it does
    // not, some distance not above `beaten` without the rest of the search.
    float Distance(ColorValue candidate, float beaten = -1.0f) const;

private:
    static constexpr int kCellsPerChannel = 32;
    // Up to this many colours are all compared; beyond it they are filed by cell.
    static constexpr size_t kFewColors = 256;
    static size_t CellOf(int r, int g, int b);
    void File(ColorValue color);
    // The nearest mean square difference among the colours of one cell, or `nearest` if smaller.
    float NearestInCell(ColorValue candidate, int r, int g, int b, float nearest) const;

    std::vector<std::vector<ColorValue>> cells_;  // empty while the colours are few
    std::vector<ColorValue> all_;
};

// A colour (top byte 0xFF) that stands apart from `existing`: the first candidate whose
// distance reaches 0.2, or the farthest of at most 100 candidates.
ColorValue ChooseInitialColor(std::string_view name, const ColorSet& existing);

}  // namespace kmc
