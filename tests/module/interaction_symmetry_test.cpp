// Generation and symmetry classes against the way they were first described, step by step, with
// an address object for every candidate pair and a walk over the later details for every operator:
// on random lattices of all 17 plane groups, random sites and random cutoffs (some of them equal to
// a pair's distance), the pairs, their order and the class numbers must be the same.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "geometry/plane_groups.h"
#include "interaction_support.h"
#include "lattice/site_specification.h"

using namespace kmctest;

namespace {

struct Address {
    LONG i = 0, j = 0, n = 0;
};

Address AddressOf(IVxKMCSiteSpecification* spec) {
    Address a;
    EXPECT_EQ(spec->GetSiteDetails(&a.i, &a.j, &a.n), S_OK);
    return a;
}

NoxComPtr<IVxKMCSiteSpecification> NewAddress(KMCLattice& lattice, LONG i, LONG j, LONG n) {
    NoxComPtr<KMCSiteSpecification> spec = KMCSiteSpecification::Create();
    spec->SetParent(nullptr, &lattice);
    EXPECT_EQ(spec->SetSiteDetails(i, j, n), S_OK);
    return NoxComPtr<IVxKMCSiteSpecification>(spec.Get());
}

struct Candidate {
    std::string pair;
    double distance;
};

// Every candidate pair in generation order, measured through the address objects.
std::vector<Candidate> LiteralCandidates(KMCLattice& lattice, double maximum) {
    double u = 0, v = 0, theta = 0;
    EXPECT_EQ(lattice.get_LengthU(&u), S_OK);
    EXPECT_EQ(lattice.get_LengthV(&v), S_OK);
    EXPECT_EQ(lattice.get_AngleTheta(&theta), S_OK);
    const double angle = theta * 0.017453292519943295;
    const auto nU = static_cast<LONG>(std::ceil(maximum / (std::sin(angle) * u)));
    const auto nV = static_cast<LONG>(std::ceil(maximum / (std::sin(angle) * v)));
    NoxComPtr<IVxKMCLatticeSiteList> sites;
    EXPECT_EQ(lattice.get_LatticeSiteList(sites.Put()), S_OK);
    LONG count = 0;
    EXPECT_EQ(sites->get_Count(&count), S_OK);
    std::vector<LONG> adsorption;
    for (LONG k = 0; k < count; ++k) {
        NoxComPtr<IVxKMCLatticeSite> site;
        NoxBSTR category;
        EXPECT_EQ(sites->get_Item(k, site.Put()), S_OK);
        EXPECT_EQ(site->get_Category(category.Put()), S_OK);
        if (category.ToTString() == "Adsorption site") adsorption.push_back(k + 1);
    }
    std::vector<Candidate> candidates;
    for (LONG a : adsorption) {
        NoxComPtr<IVxKMCSiteSpecification> active = NewAddress(lattice, 0, 0, a);
        for (LONG b : adsorption)
            for (LONG i = -nU; i <= nU; ++i)
                for (LONG j = -nV; j <= nV; ++j) {
                    NoxComPtr<IVxKMCSiteSpecification> interacting = NewAddress(lattice, i, j, b);
                    double d = 0;
                    EXPECT_EQ(active->get_Distance(interacting.Get(), &d), S_OK);
                    candidates.push_back({PairText(active.Get(), interacting.Get()), d});
                }
    }
    return candidates;
}

std::vector<std::string> LiteralPairs(const std::vector<Candidate>& candidates, double minimum,
                                      double maximum) {
    std::vector<std::string> pairs;
    for (const Candidate& c : candidates)
        if (minimum <= c.distance && c.distance < maximum) pairs.push_back(c.pair);
    return pairs;
}

// For each unclassed detail in order a new class; for each operator after the identity, the
// first later unclassed detail whose pair is the image pair moved by one common translation.
std::vector<LONG> LiteralClasses(IVxKMCInteraction* interaction, LONG operators) {
    const LONG count = DetailCount(interaction);
    std::vector<NoxComPtr<IVxKMCSiteSpecification>> actives(count), interactings(count);
    std::vector<Address> a(count), b(count);
    for (LONG k = 0; k < count; ++k) {
        NoxComPtr<IVxKMCInteractionDetail> detail = DetailAt(interaction, k);
        EXPECT_EQ(detail->get_ActiveSiteSpecification(actives[k].Put()), S_OK);
        EXPECT_EQ(detail->get_InteractingSiteSpecification(interactings[k].Put()), S_OK);
        a[k] = AddressOf(actives[k].Get());
        b[k] = AddressOf(interactings[k].Get());
    }
    auto image = [](IVxKMCSiteSpecification* spec, LONG op) {
        NoxComPtr<IVxKMCSiteSpecification> transformed;
        EXPECT_EQ(spec->Transform(op, transformed.Put()), S_OK) << TakeErrorDescription();
        return AddressOf(transformed.Get());
    };
    std::vector<LONG> classes(count, 0);
    LONG next = 1;
    for (LONG p = 0; p < count; ++p) {
        if (classes[p] != 0) continue;
        classes[p] = next;
        for (LONG op = 1; op < operators; ++op) {
            const Address ai = image(actives[p].Get(), op), bi = image(interactings[p].Get(), op);
            for (LONG q = p + 1; q < count; ++q) {
                if (classes[q] == 0 && ai.n == a[q].n && bi.n == b[q].n && bi.i - b[q].i == ai.i - a[q].i &&
                    bi.j - b[q].j == ai.j - a[q].j) {
                    classes[q] = next;
                    break;
                }
            }
        }
        ++next;
    }
    return classes;
}

class InteractionSymmetryTest : public InteractionFixture {
protected:
    // A lattice of `group` with a cell its class type allows, a top site and, now and then, the
    // bridge and hollow orbits and an orbit of a random position.
    NoxComPtr<KMCLattice> RandomLattice(const PlaneGroupDescription& group, std::mt19937& random) {
        std::uniform_real_distribution<double> length(0.8, 1.4), angle(65, 115), unit(0.05, 0.95);
        const std::string& type = group.ClassType();
        double u = length(random), v = length(random), theta = 90;
        if (type == "Square" || type == "Hexagonal") v = u;
        if (type == "Hexagonal") theta = 60;
        if (type == "Oblique") theta = angle(random);
        NoxComPtr<KMCLattice> lattice = MakeLattice(type.c_str(), group.Name().c_str(), u, v, theta);
        EXPECT_EQ(CreateSite(*lattice, "Adsorption site", "Top"), S_OK);
        // Glides and centring may have put such a site in an orbit already, which is then refused.
        for (const char* special : {"Bridge", "Hollow"})
            if (random() % 2 == 0) (void)CreateSite(*lattice, "Adsorption site", special);
        if (random() % 2 == 0) {
            const double x = unit(random), y = unit(random);
            EXPECT_EQ(CreateSite(*lattice, "Adsorption site", "Other", x, y), S_OK) << x << ", " << y;
        }
        Link(lattice.Get());
        return lattice;
    }
};

TEST_F(InteractionSymmetryTest, PairsAndClassesAreThoseOfTheStepByStepWalkOnEveryPlaneGroup) {
    std::mt19937 random(20261206);
    for (const PlaneGroupDescription& group : PlaneGroupCatalog::Instance().Groups()) {
        for (int model = 0; model < 4; ++model) {
            SCOPED_TRACE(group.Name() + ", model " + std::to_string(model));
            NoxComPtr<KMCLattice> lattice = RandomLattice(group, random);
            std::uniform_real_distribution<double> cutoff(0.7, 1.9);
            const double searched = cutoff(random);
            const std::vector<Candidate> candidates = LiteralCandidates(*lattice, searched);
            // Cutoffs equal to a pair's distance: the pair is in at the minimum, out at the maximum.
            auto distanceIn = [&](double low, double high) {
                std::vector<double> distances;
                for (const Candidate& c : candidates)
                    if (low <= c.distance && c.distance <= high) distances.push_back(c.distance);
                return distances.empty() ? high : distances[random() % distances.size()];
            };
            const double minimum = model == 0   ? 0.0
                                   : model == 3 ? searched / 3
                                                : distanceIn(0.0, searched / 2);
            const double maximum = model == 2 ? distanceIn(minimum + 0.3, searched) : searched;
            NoxComPtr<KMCInteraction> interaction = Generated(minimum, maximum);
            EXPECT_EQ(Pairs(interaction.Get()), LiteralPairs(candidates, minimum, maximum));
            EXPECT_EQ(Classes(interaction.Get()),
                      LiteralClasses(interaction.Get(), static_cast<LONG>(lattice->OperatorCount())));
        }
    }
}

}  // namespace
