// A seeded uniform pseudo-random generator whose sequence state belongs to the caller, so that
// a computation that draws from it is repeatable and independent of any other computation.
//
// The generator is SplitMix64 (Steele, Lea and Flood, "Fast splittable pseudorandom number
// generators", 2014): a 64-bit counter advanced by the golden-ratio increment and passed
// through a bijective mixing function. Each draw keeps the top 24 bits of the mixed word, which
// a float holds exactly, so every number is a multiple of 2^-24 in [0, 1).
#pragma once

#include <cstdint>

#include "com/base.h"

namespace numeric {

// The state of one sequence of draws.
struct UniformSequence {
    uint64_t counter = 0;
    bool started = false;
};

// Draws the next number of `sequence`. The first draw of a sequence passes its seed, which
// starts it; later draws pass 0 and continue it. A non-zero seed always starts the sequence
// afresh.
NOX_EXPORT float DrawUniform(uint32_t seed, UniformSequence& sequence);

}  // namespace numeric
