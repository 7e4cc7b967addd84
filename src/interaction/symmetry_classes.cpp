// A pair is matched against the later unassigned pairs through a hashed key of what the match
// compares, so that assigning classes costs one lookup per pair and operator rather than a walk
// over the later pairs. Every pair before the one being assigned already has its class, so the
// first later unassigned pair of a key is the front of that key's queue of unassigned pairs.
#include "interaction/symmetry_classes.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <unordered_map>

#include "lattice/lattice.h"
#include "process/process_site.h"
#include "process/site_images.h"

namespace kmc {
namespace {

// What two pairs are matched by: the two site numbers and where the interacting site lies from
// the active one, in whole cells.
struct PairKey {
    LONG activeSite = 0;
    LONG interactingSite = 0;
    int64_t di = 0;
    int64_t dj = 0;
    friend bool operator==(const PairKey&, const PairKey&) = default;
};

struct PairKeyHash {
    size_t operator()(const PairKey& key) const {
        size_t hash = std::hash<LONG>()(key.activeSite);
        auto mix = [&](size_t value) { hash ^= value + 0x9E3779B97F4A7C15ull + (hash << 6) + (hash >> 2); };
        mix(std::hash<LONG>()(key.interactingSite));
        mix(std::hash<int64_t>()(key.di));
        mix(std::hash<int64_t>()(key.dj));
        return hash;
    }
};

PairKey KeyOf(const PeriodicTranslation& active, const PeriodicTranslation& interacting) {
    return {active.site, interacting.site, int64_t{interacting.i} - active.i,
            int64_t{interacting.j} - active.j};
}

bool HasSites(const ClassedPair& pair) { return pair.active != nullptr && pair.interacting != nullptr; }

// The unassigned pairs of one key, in order; those before `head` have been assigned.
struct Queue {
    std::vector<size_t> pairs;
    size_t head = 0;

    bool Empty() const { return head == pairs.size(); }
    size_t Take() { return pairs[head++]; }
};

}  // namespace

std::vector<LONG> AssignSymmetryClasses(const std::vector<ClassedPair>& pairs, const KMCLattice* lattice) {
    std::vector<LONG> classes;
    std::vector<PairKey> keys(pairs.size());
    std::unordered_map<PairKey, Queue, PairKeyHash> unassigned;
    for (size_t index = 0; index < pairs.size(); ++index) {
        const ClassedPair& pair = pairs[index];
        classes.push_back(pair.symmetryClass);
        if (!HasSites(pair) || pair.symmetryClass != 0) continue;
        keys[index] = KeyOf(ReadAddress(pair.active), ReadAddress(pair.interacting));
        unassigned[keys[index]].pairs.push_back(index);
    }
    if (unassigned.empty()) return classes;

    SiteImages images(CheckNullDereference(lattice));
    const auto operators = static_cast<LONG>(lattice->OperatorCount());
    LONG nextClass = *std::max_element(classes.begin(), classes.end()) + 1;
    for (size_t index = 0; index < pairs.size(); ++index) {
        const ClassedPair& pair = pairs[index];
        if (!HasSites(pair) || classes[index] != 0) continue;
        classes[index] = nextClass;
        (void)unassigned[keys[index]].Take();  // this very pair: the first unassigned one of its key
        for (LONG op = 1; op < operators; ++op) {
            const PeriodicTranslation active = images.Transform(pair.active, op);
            const PeriodicTranslation interacting = images.Transform(pair.interacting, op);
            auto match = unassigned.find(KeyOf(active, interacting));
            if (match != unassigned.end() && !match->second.Empty())
                classes[match->second.Take()] = nextClass;
        }
        ++nextClass;
    }
    return classes;
}

}  // namespace kmc
