// The interaction: pairs generated within its cutoffs and grouped into symmetry classes (cases
// counted by hand), values copied across a class, whole classes removed, the initialisation
// rules, and an interaction or detail that was never initialised.
#include <gtest/gtest.h>

#include <limits>

#include "interaction_support.h"

using namespace kmctest;

namespace {

using InteractionTest = InteractionFixture;

struct GenerationCase {
    const char* name;
    const char* type;
    const char* group;
    double theta;
    double minimum, maximum;
    std::vector<std::string> pairs;
    std::vector<LONG> classes;
};

TEST_F(InteractionTest, PairsWithinTheCutoffsAreGeneratedInOrderAndClassedBySymmetry) {
    const GenerationCase cases[] = {
        // Neighbours at 1 and diagonals at sqrt(2); the pair at 0 and those at 2 lie outside.
        {"square, first and second neighbours",
         "Square",
         "p 4 m m",
         90,
         0.5,
         1.5,
         {"( 0 , 0 / 1 ) > ( -1 , -1 / 1 )", "( 0 , 0 / 1 ) > ( -1 , 0 / 1 )",
          "( 0 , 0 / 1 ) > ( -1 , 1 / 1 )", "( 0 , 0 / 1 ) > ( 0 , -1 / 1 )", "( 0 , 0 / 1 ) > ( 0 , 1 / 1 )",
          "( 0 , 0 / 1 ) > ( 1 , -1 / 1 )", "( 0 , 0 / 1 ) > ( 1 , 0 / 1 )", "( 0 , 0 / 1 ) > ( 1 , 1 / 1 )"},
         {1, 2, 1, 2, 2, 1, 2, 1}},
        {"square, just above the lattice length",
         "Square",
         "p 4 m m",
         90,
         0.5,
         1.01,
         {"( 0 , 0 / 1 ) > ( -1 , 0 / 1 )", "( 0 , 0 / 1 ) > ( 0 , -1 / 1 )", "( 0 , 0 / 1 ) > ( 0 , 1 / 1 )",
          "( 0 , 0 / 1 ) > ( 1 , 0 / 1 )"},
         {1, 1, 1, 1}},
        // Without the four-fold rotation the two directions are told apart.
        {"rectangular group on a square cell",
         "Rectangular",
         "p 2 m m",
         90,
         0.5,
         1.01,
         {"( 0 , 0 / 1 ) > ( -1 , 0 / 1 )", "( 0 , 0 / 1 ) > ( 0 , -1 / 1 )", "( 0 , 0 / 1 ) > ( 0 , 1 / 1 )",
          "( 0 , 0 / 1 ) > ( 1 , 0 / 1 )"},
         {1, 2, 2, 1}},
        {"hexagonal first neighbours",
         "Hexagonal",
         "p 6 m m",
         60,
         0.5,
         1.01,
         {"( 0 , 0 / 1 ) > ( -1 , 0 / 1 )", "( 0 , 0 / 1 ) > ( -1 , 1 / 1 )",
          "( 0 , 0 / 1 ) > ( 0 , -1 / 1 )", "( 0 , 0 / 1 ) > ( 0 , 1 / 1 )", "( 0 , 0 / 1 ) > ( 1 , -1 / 1 )",
          "( 0 , 0 / 1 ) > ( 1 , 0 / 1 )"},
         {1, 1, 1, 1, 1, 1}},
        // The minimum is included and the maximum excluded, measured exactly as get_Distance does.
        {"distance equal to the maximum", "Square", "p 4 m m", 90, 0.5, 1.0, {}, {}},
        {"distance equal to the minimum",
         "Square",
         "p 4 m m",
         90,
         1.0,
         1.01,
         {"( 0 , 0 / 1 ) > ( -1 , 0 / 1 )", "( 0 , 0 / 1 ) > ( 0 , -1 / 1 )", "( 0 , 0 / 1 ) > ( 0 , 1 / 1 )",
          "( 0 , 0 / 1 ) > ( 1 , 0 / 1 )"},
         {1, 1, 1, 1}},
        {"a minimum of zero takes the site itself",
         "Square",
         "p 4 m m",
         90,
         0.0,
         0.5,
         {"( 0 , 0 / 1 ) > ( 0 , 0 / 1 )"},
         {1}},
    };
    for (const GenerationCase& c : cases) {
        SCOPED_TRACE(c.name);
        NoxComPtr<KMCLattice> lattice = OneSiteLattice(c.type, c.group, c.theta);
        NoxComPtr<KMCInteraction> interaction = Generated(c.minimum, c.maximum);
        EXPECT_EQ(Pairs(interaction.Get()), c.pairs);
        EXPECT_EQ(Classes(interaction.Get()), c.classes);
    }
}

TEST_F(InteractionTest, DetailsOfOneActiveSiteShareItsAddressAndEveryAdsorptionSiteTakesPart) {
    // A bridge orbit adds sites 2 and 3; a substrate site takes no part.
    ASSERT_EQ(CreateSite(*lattice_, "Adsorption site", "Bridge"), S_OK);
    ASSERT_EQ(CreateSite(*lattice_, "Substrate site", "Hollow"), S_OK);
    // Tops and bridges are 0.5 apart, bridges of the two directions 0.71.
    NoxComPtr<KMCInteraction> interaction = Generated(0.4, 0.8);
    ASSERT_EQ(DetailCount(interaction.Get()), 16);
    NoxComPtr<IVxKMCSiteSpecification> first, second;
    ASSERT_EQ(DetailAt(interaction.Get(), 0)->get_ActiveSiteSpecification(first.Put()), S_OK);
    ASSERT_EQ(DetailAt(interaction.Get(), 3)->get_ActiveSiteSpecification(second.Put()), S_OK);
    EXPECT_EQ(first, second);
    LONG highest = 0;
    EXPECT_EQ(interaction->get_HighestSiteIndex(&highest), S_OK);
    EXPECT_EQ(highest, 3);
    // Top to bridge, bridge to top, and bridge to bridge (eight images, none of them the same).
    EXPECT_EQ(Classes(interaction.Get()),
              std::vector<LONG>({1, 1, 1, 1, 2, 2, 3, 3, 3, 3, 2, 2, 3, 3, 3, 3}));
}

TEST_F(InteractionTest, AValueSetsItsWholeClassAndNothingElse) {
    NoxComPtr<KMCInteraction> interaction = Generated(0.5, 1.5);  // classes 1 2 1 2 2 1 2 1
    ASSERT_EQ(DetailAt(interaction.Get(), 1)->put_Interaction(Text("-0.25").Get()), S_OK);
    const std::string zero = Value(DetailAt(interaction.Get(), 0).Get());
    for (LONG k = 0; k < 8; ++k)
        EXPECT_EQ(Value(DetailAt(interaction.Get(), k).Get()),
                  Classes(interaction.Get())[k] == 2 ? "-0.250000" : zero);
    // A refused value leaves the detail and its class as they were.
    EXPECT_EQ(Result(DetailAt(interaction.Get(), 3)->put_Interaction(Text("strong").Get())),
              Outcome(E_UNEXPECTED, "Input expression must be numeric."));
    EXPECT_EQ(Value(DetailAt(interaction.Get(), 6).Get()), "-0.250000");

    // A detail added by hand has no class: its value is its own.
    NoxComPtr<IVxKMCInteractionDetail> added;
    ASSERT_EQ(interaction->AddInteractionDetail(added.Put()), S_OK);
    NoxComPtr<IVxKMCSiteSpecification> a, b;
    ASSERT_EQ(DetailAt(interaction.Get(), 1)->get_ActiveSiteSpecification(a.Put()), S_OK);
    ASSERT_EQ(DetailAt(interaction.Get(), 1)->get_InteractingSiteSpecification(b.Put()), S_OK);
    ASSERT_EQ(added->Initialise(a.Get(), b.Get()), S_OK);
    ASSERT_EQ(added->put_Interaction(Text("3").Get()), S_OK);
    EXPECT_EQ(Value(DetailAt(interaction.Get(), 1).Get()), "-0.250000");

    // Copying stops however it ends: a detail that cannot give its value fails, and the next value
    // is copied again.
    NoxComPtr<IVxKMCInteractionDetail> empty;
    ASSERT_EQ(interaction->AddInteractionDetail(empty.Put()), S_OK);
    EXPECT_EQ(Raised([&] { interaction->ReplicateValue(empty.Get()); }),
              Outcome(E_UNEXPECTED, "Lumetra Interaction Detail has not been initialised."));
    ASSERT_EQ(DetailAt(interaction.Get(), 0)->put_Interaction(Text("1.5").Get()), S_OK);
    EXPECT_EQ(Value(DetailAt(interaction.Get(), 7).Get()), "1.50000");
}

TEST_F(InteractionTest, RemovingADetailRemovesItsClassAndLetsEveryRemovedDetailGo) {
    NoxComPtr<KMCInteraction> interaction = Generated(0.5, 1.5);
    NoxComPtr<IVxKMCInteractionDetail> diagonal = DetailAt(interaction.Get(), 0);
    NoxComPtr<IVxKMCInteractionDetail> added;
    ASSERT_EQ(interaction->AddInteractionDetail(added.Put()), S_OK);
    EXPECT_CALL(document_, SetModified(true)).Times(2);
    ASSERT_EQ(interaction->RemoveInteractionDetail(7), S_OK);
    EXPECT_EQ(Classes(interaction.Get()), std::vector<LONG>({2, 2, 2, 2, 0}));
    ASSERT_EQ(interaction->RemoveInteractionDetail(4), S_OK);  // no class: only itself
    EXPECT_EQ(DetailCount(interaction.Get()), 4);
    const Outcome outOfRange(E_UNEXPECTED,
                             "Index 4 is out of range for KMCInteraction::RemoveInteractionDetail");
    EXPECT_EQ(Result(interaction->RemoveInteractionDetail(4)), outOfRange);
    NoxComPtr<IVxKMCInteractionDetail> detail;
    EXPECT_EQ(Result(interaction->get_InteractionDetail(-1, detail.Put())),
              Outcome(E_UNEXPECTED, "Index -1 is out of range for KMCInteraction::get_InteractionDetail"));
    // A removed detail no longer reaches the interaction: its value changes alone.
    EXPECT_EQ(KMCInteractionDetail::FromInterface(diagonal.Get()).ParentInteraction(), nullptr);
    EXPECT_EQ(diagonal->put_Interaction(Text("2").Get()), S_OK);
    EXPECT_EQ(Value(DetailAt(interaction.Get(), 0).Get()), Value(DetailAt(interaction.Get(), 1).Get()));
}

TEST_F(InteractionTest, InitialisationIsRefusedWholeAndOnlyOnce) {
    const double huge = 1e12, infinite = std::numeric_limits<double>::infinity();
    NoxComPtr<KMCLattice> flat = MakeLattice("Oblique", "p 1", 1, 1, 0);
    ASSERT_EQ(CreateSite(*flat, "Adsorption site", "Top"), S_OK);
    struct Refusal {
        const char* name;
        const char* active;
        double maximum;
        KMCLattice* lattice;
        Outcome outcome;
    };
    const Refusal refusals[] = {
        {"substrate",
         "Pt",
         1.5,
         lattice_.Get(),
         {E_UNEXPECTED, "Only adsorbate species may contribute to an interaction."}},
        {"infinite cutoff",
         "CO",
         infinite,
         lattice_.Get(),
         {E_INVALIDARG, "Interaction maximum cutoff must be a finite number."}},
        {"range beyond an address",
         "CO",
         huge,
         lattice_.Get(),
         {E_UNEXPECTED,
          "The pairs within the maximum cutoff 1e+12 could lie 1e+12 by 1e+12 cells away on this "
          "lattice, more than a site address can hold."}},
        {"cell without area",
         "CO",
         1.5,
         flat.Get(),
         {E_UNEXPECTED,
          "The pairs within the maximum cutoff 1.5 could lie inf by inf cells away on this lattice, "
          "more than a site address can hold."}},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        Link(r.lattice);
        NoxComPtr<KMCInteraction> interaction = Unlisted();
        EXPECT_EQ(
            Result(interaction->Initialise(Species(r.active).Get(), Species("O").Get(), 0.5, r.maximum)),
            r.outcome);
        EXPECT_FALSE(interaction->IsInitialised());
        EXPECT_EQ(interaction->DetailCount(), 0u);
    }
    Link(lattice_.Get());

    // A document that refuses the edit leaves the interaction free to be initialised later.
    NoxComPtr<KMCInteraction> interaction = Unlisted();
    EXPECT_CALL(document_, CanEdit())
        .WillOnce(::testing::Return(NoxResult(E_ACCESSDENIED, "read-only")))
        .WillRepeatedly(::testing::Return(NoxResult(S_OK)));
    EXPECT_EQ(Result(interaction->Initialise(Species("CO").Get(), Species("O").Get(), 0.5, 1.5)),
              Outcome(E_ACCESSDENIED, "read-only"));
    EXPECT_FALSE(interaction->IsInitialised());
    EXPECT_CALL(document_, SetModified(true)).Times(1);
    ASSERT_EQ(interaction->Initialise(Species("CO").Get(), Species("O").Get(), 0.5, 1.5), S_OK);
    EXPECT_EQ(DetailCount(interaction.Get()), 8);
    EXPECT_EQ(Result(interaction->Initialise(Species("CO").Get(), Species("O").Get(), 0.5, 1.5)),
              Outcome(E_UNEXPECTED, "Lumetra Interaction has already been initialised."));
}

TEST_F(InteractionTest, AFailingLatticeLeavesTheInteractionAsItWas) {
    // A bridge without its rotated copy: the four-fold rotation finds no site to map it to.
    NoxComPtr<KMCLattice> broken = KMCLattice::Create();
    ASSERT_EQ(
        LoadXml(broken.Get(), R"(<D><Lattice LatticeType="Square" SymmetryGroup="p 4 m m" LatticeU="1" )"
                              R"(LatticeV="1" LatticeTheta="90"><LatticeSiteList NumberOfSites="1" )"
                              R"(NextSiteLabel="2"><LatticeSite Category="Adsorption site" Type="Bridge" )"
                              R"(XPosition="0.5" YPosition="0" Label="1"/></LatticeSiteList></Lattice></D>)"),
        Outcome(S_OK, ""));
    Link(broken.Get());
    NoxComPtr<KMCInteraction> interaction = Unlisted();
    const Outcome failure(E_UNEXPECTED, "FindSite failed to find desired site in LatticeSiteList");
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_EQ(Result(interaction->Initialise(Species("CO").Get(), Species("O").Get(), 0.5, 1.5)),
                  failure);
        EXPECT_FALSE(interaction->IsInitialised());
        EXPECT_EQ(interaction->DetailCount(), 0u);
    }
}

TEST_F(InteractionTest, WhileTheDocumentLoadsNothingIsGenerated) {
    ON_CALL(document_, IsLoading()).WillByDefault(::testing::Return(true));
    NoxComPtr<KMCInteraction> interaction = Generated(0.5, 1.5);
    EXPECT_EQ(DetailCount(interaction.Get()), 0);
    double cutoff = 0;
    EXPECT_EQ(interaction->get_MaximumCutoff(&cutoff), S_OK);
    EXPECT_EQ(cutoff, 1.5);
}

TEST_F(InteractionTest, AnInteractionNeverInitialisedAnswersOnlyWhatItCan) {
    NoxComPtr<KMCInteraction> interaction = Unlisted();
    const Outcome notInitialised(E_UNEXPECTED, "Lumetra Interaction has not been initialised.");
    NoxComPtr<IVxKMCSpecies> species;
    NoxComPtr<IVxKMCInteractionDetail> detail;
    double cutoff = 0;
    LONG count = 0;
    EXPECT_EQ(Result(interaction->get_ActiveSpecies(species.Put())), notInitialised);
    EXPECT_EQ(Result(interaction->get_InteractingSpecies(species.Put())), notInitialised);
    EXPECT_EQ(Result(interaction->get_MinimumCutoff(&cutoff)), notInitialised);
    EXPECT_EQ(Result(interaction->get_NumberDetails(&count)), notInitialised);
    EXPECT_EQ(Result(interaction->get_InteractionDetail(0, detail.Put())), notInitialised);
    EXPECT_EQ(Result(interaction->AddInteractionDetail(detail.Put())), notInitialised);
    EXPECT_EQ(Result(interaction->RemoveInteractionDetail(0)), notInitialised);
    EXPECT_EQ(Result(interaction->put_Enabled(VARIANT_FALSE)), notInitialised);
    EXPECT_EQ(Result(interaction->AddInteractionDetail(nullptr)),
              Outcome(E_POINTER, "No pointer supplied for output argument."));
    VARIANT_BOOL flag = 0;
    EXPECT_EQ(interaction->get_Enabled(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_TRUE);
    EXPECT_EQ(interaction->get_HighestSiteIndex(&count), S_OK);
    EXPECT_EQ(count, -1);
    // It cannot tell whether it uses a species, and says so rather than answering no.
    EXPECT_EQ(Result(interaction->get_IsSpeciesUsed(Text("CO").Get(), &flag)),
              Outcome(E_POINTER, "A required object is missing (null pointer)."));
}

TEST_F(InteractionTest, ADetailWithoutSitesIsSkippedAndCannotBeSaved) {
    NoxComPtr<KMCInteraction> interaction = Generated(0.5, 1.01);
    NoxComPtr<IVxKMCInteractionDetail> empty;
    ASSERT_EQ(interaction->AddInteractionDetail(empty.Put()), S_OK);
    LONG highest = 0;
    EXPECT_EQ(interaction->get_HighestSiteIndex(&highest), S_OK);
    EXPECT_EQ(highest, 1);
    // Details read later are classed; the one without sites keeps no class.
    ASSERT_EQ(
        LoadXml(interaction.Get(),
                R"x(<D><Interaction Enabled="true" ActiveSpecies="CO" InteractingSpecies="O" )x"
                R"x(MinimumCutoff="0.5" MaximumCutoff="1.01" NumberOfDetailSites="1"><InteractionDetail )x"
                R"x(ActiveSite="( 0 , 0 / 1 )" InteractingSite="( 2 , 0 / 1 )" InteractionValue="1"/>)x"
                R"x(</Interaction></D>)x"),
        Outcome(S_OK, ""));
    EXPECT_EQ(Classes(interaction.Get()), std::vector<LONG>({1, 1, 1, 1, 0, 2}));
    EXPECT_EQ(
        Raised([&] { SaveXml(interaction.Get()); }),
        Outcome(E_UNEXPECTED, "Lumetra Interaction Detail has not been initialised and cannot be saved."));
}

}  // namespace
