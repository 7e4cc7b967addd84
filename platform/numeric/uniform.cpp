#include "numeric/uniform.h"

namespace numeric {
namespace {

constexpr uint64_t kGoldenGamma = 0x9E3779B97F4A7C15ull;
constexpr int kFloatBits = 24;

uint64_t Mix(uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

}  // namespace

float DrawUniform(uint32_t seed, UniformSequence& sequence) {
    if (seed != 0 || !sequence.started) sequence = {seed, true};
    sequence.counter += kGoldenGamma;
    uint64_t top = Mix(sequence.counter) >> (64 - kFloatBits);
    return static_cast<float>(top) / static_cast<float>(1u << kFloatBits);
}

}  // namespace numeric
