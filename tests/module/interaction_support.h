// A small model for the interaction tests: a document with a lattice, species CO and O
// (adsorbates of radius 1) and Pt (a substrate), and an interaction list linked to both, with
// helpers that make interactions and read their details and classes.
#pragma once

#include <string>
#include <vector>

#include "interaction/interaction_list.h"
#include "support.h"

namespace kmctest {

// "( 0 , 0 / 1 ) > ( 1 , 0 / 1 )": the addresses of a pair.
inline std::string PairText(IVxKMCSiteSpecification* active, IVxKMCSiteSpecification* interacting) {
    auto text = [](IVxKMCSiteSpecification* spec) {
        NoxBSTR value;
        EXPECT_EQ(spec->get_SiteDetailsAsString(value.Put()), S_OK);
        return value.ToTString();
    };
    return text(active) + " > " + text(interacting);
}

inline std::string PairText(IVxKMCInteractionDetail* detail) {
    NoxComPtr<IVxKMCSiteSpecification> active, interacting;
    EXPECT_EQ(detail->get_ActiveSiteSpecification(active.Put()), S_OK);
    EXPECT_EQ(detail->get_InteractingSiteSpecification(interacting.Put()), S_OK);
    return PairText(active.Get(), interacting.Get());
}

inline NoxComPtr<IVxKMCInteractionDetail> DetailAt(IVxKMCInteraction* interaction, LONG index) {
    NoxComPtr<IVxKMCInteractionDetail> detail;
    EXPECT_EQ(interaction->get_InteractionDetail(index, detail.Put()), S_OK) << TakeErrorDescription();
    return detail;
}

inline LONG DetailCount(IVxKMCInteraction* interaction) {
    LONG count = -1;
    EXPECT_EQ(interaction->get_NumberDetails(&count), S_OK) << TakeErrorDescription();
    return count;
}

inline std::vector<std::string> Pairs(IVxKMCInteraction* interaction) {
    std::vector<std::string> pairs;
    for (LONG k = 0, count = DetailCount(interaction); k < count; ++k)
        pairs.push_back(PairText(DetailAt(interaction, k).Get()));
    return pairs;
}

// The symmetry class of every detail, in order.
inline std::vector<LONG> Classes(IVxKMCInteraction* interaction) {
    const KMCInteraction& raw = KMCInteraction::FromInterface(interaction);
    std::vector<LONG> classes;
    for (size_t k = 0; k < raw.DetailCount(); ++k) classes.push_back(raw.Detail(k).SymmetryClass());
    return classes;
}

inline std::string Value(IVxKMCInteractionDetail* detail) {
    NoxBSTR value;
    EXPECT_EQ(detail->get_Interaction(value.Put()), S_OK) << TakeErrorDescription();
    return value.ToTString();
}

class InteractionFixture : public ::testing::Test {
protected:
    InteractionFixture() {
        ON_CALL(document_, CanEdit()).WillByDefault(::testing::Return(NoxResult(S_OK)));
        for (const char* name : {"CO", "O", "Pt"}) {
            NoxComPtr<IVxKMCSpecies> species;
            EXPECT_EQ(species_->CreateSpecies(Text(name).Get(), species.Put()), S_OK);
        }
        EXPECT_EQ(Species("Pt")->put_Category(Text("Substrate").Get()), S_OK);
    }

    // Links the document's objects with `lattice` as the document's lattice.
    void Link(KMCLattice* lattice) {
        lattice->SetParent(&document_, nullptr, nullptr, interactions_.Get());
        species_->SetParent(&document_, nullptr, nullptr, interactions_.Get());
        interactions_->SetParent(&document_, nullptr, lattice, species_.Get());
    }

    // A lattice with one adsorption site, at the origin, linked as the document's lattice.
    NoxComPtr<KMCLattice> OneSiteLattice(const char* type, const char* group, double theta = 90) {
        NoxComPtr<KMCLattice> lattice = MakeLattice(type, group, 1, 1, theta);
        EXPECT_EQ(CreateSite(*lattice, "Adsorption site", "Top"), S_OK);
        Link(lattice.Get());
        return lattice;
    }

    NoxComPtr<IVxKMCSpecies> Species(const char* name) {
        NoxComPtr<IVxKMCSpecies> species;
        EXPECT_EQ(species_->get_ItemByName(Text(name).Get(), species.Put()), S_OK);
        return species;
    }

    // An interaction of the list's, not yet initialised and not in the list.
    NoxComPtr<KMCInteraction> Unlisted() {
        NoxComPtr<KMCInteraction> interaction = KMCInteraction::Create();
        interaction->SetParent(interactions_.Get());
        return interaction;
    }

    // An unlisted CO-O interaction generated within [minimum, maximum).
    NoxComPtr<KMCInteraction> Generated(double minimum, double maximum) {
        NoxComPtr<KMCInteraction> interaction = Unlisted();
        EXPECT_EQ(interaction->Initialise(Species("CO").Get(), Species("O").Get(), minimum, maximum), S_OK)
            << TakeErrorDescription();
        return interaction;
    }

    // Sets the list's settings for a new interaction and creates it.
    Outcome Create(const char* active, const char* interacting, double cutoff,
                   NoxComPtr<IVxKMCInteraction>* created = nullptr) {
        EXPECT_EQ(interactions_->put_NewInteractionActiveSpecies(Text(active).Get()), S_OK);
        EXPECT_EQ(interactions_->put_NewInteractionInteractingSpecies(Text(interacting).Get()), S_OK);
        EXPECT_EQ(interactions_->put_NewInteractionCutoff(cutoff), S_OK);
        NoxComPtr<IVxKMCInteraction> interaction;
        Outcome outcome = Result(interactions_->CreateInteraction(interaction.Put()));
        if (created != nullptr) *created = interaction;
        return outcome;
    }

    ::testing::NiceMock<MockDocument> document_;
    NoxComPtr<KMCSpeciesList> species_ = KMCSpeciesList::Create();
    NoxComPtr<KMCInteractionList> interactions_ = KMCInteractionList::Create();
    // A square lattice of length 1 with one top site: first neighbours at 1, second at sqrt(2).
    NoxComPtr<KMCLattice> lattice_ = OneSiteLattice("Square", "p 4 m m");
};

}  // namespace kmctest
