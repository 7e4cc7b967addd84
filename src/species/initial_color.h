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

// A colour (top byte 0xFF) that stands apart from `existing`: the first candidate whose
// distance reaches 0.2, or the farthest of at most 100 candidates.
ColorValue ChooseInitialColor(std::string_view name, const std::vector<ColorValue>& existing);

}  // namespace kmc
