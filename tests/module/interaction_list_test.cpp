// The interaction list: interactions made from its settings, found by species, removed, the
// verdicts on duplicates and on the cutoff, and what the species list and the site list ask it;
// and the interaction detail on its own.
#include <gtest/gtest.h>

#include "interaction_support.h"

using namespace kmctest;

namespace {

using InteractionListTest = InteractionFixture;

struct Verdict {
    bool holds = false;
    std::string message;
    friend bool operator==(const Verdict&, const Verdict&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Verdict& v) {
        return out << (v.holds ? "holds" : "fails") << " \"" << v.message << '"';
    }
};

Verdict Uniqueness(KMCInteractionList& list) {
    NoxBSTR message;
    VARIANT_BOOL unique = 7;
    EXPECT_EQ(list.get_AreInteractionsUnique(message.Put(), &unique), S_OK) << TakeErrorDescription();
    return {unique == VARIANT_TRUE, message.ToTString()};
}

constexpr const char* kDuplicates =
    "The following interactions appear to be replications of each other,\n"
    "according to their species specifications.\n\n";

TEST_F(InteractionListTest, InteractionsComeFromTheSettingsOnceForEachPairOfAdsorbates) {
    NoxBSTR text;
    EXPECT_EQ(interactions_->get_NewInteractionActiveSpecies(text.Put()), S_OK);
    EXPECT_EQ(text.ToTString(), "");
    EXPECT_EQ(interactions_->put_NewInteractionActiveSpecies(Text("CO").Get()), S_OK);
    EXPECT_EQ(Result(interactions_->get_NewInteractionActiveSpecies(nullptr)),
              Outcome(E_POINTER, "No pointer supplied for output argument."));
    NoxComPtr<IVxKMCInteraction> created;
    ASSERT_EQ(Create("CO", "O", 2.5, &created), Outcome(S_OK, ""));
    double minimum = 0, maximum = 0;
    EXPECT_EQ(created->get_MinimumCutoff(&minimum), S_OK);
    EXPECT_EQ(created->get_MaximumCutoff(&maximum), S_OK);
    EXPECT_EQ(minimum, 2.0);  // the two radii
    EXPECT_EQ(maximum, 2.5);
    EXPECT_EQ(DetailCount(created.Get()), 12);  // distances 2 and sqrt(5) on the unit square lattice

    EXPECT_EQ(Create("CO", "O", 3.0), Outcome(E_UNEXPECTED, "Requested interaction already exists."));
    EXPECT_EQ(Create("o", "co", 3.0), Outcome(E_UNEXPECTED, "Requested interaction already exists."));
    EXPECT_EQ(
        Create("CO", "Pt", 3.0),
        Outcome(E_UNEXPECTED, "Interactions may only be defined between species of Adsorbate category."));
    EXPECT_EQ(Create("CO", "Xe", 3.0), Outcome(E_POINTER, "A required object is missing (null pointer)."));
    EXPECT_EQ(interactions_->Count(), 1u);

    NoxComPtr<IVxKMCInteraction> found;
    EXPECT_EQ(interactions_->get_ItemBySpecies(Species("O").Get(), Species("CO").Get(), found.Put()), S_OK);
    EXPECT_EQ(found, created);
    EXPECT_EQ(interactions_->get_ItemBySpecies(Species("CO").Get(), Species("CO").Get(), found.Put()), S_OK);
    EXPECT_FALSE(found);

    // Settings the interaction refuses still give an interaction, uninitialised, for the caller
    // to initialise there.
    EXPECT_EQ(Create("CO", "CO", 1e12, &created), Outcome(S_OK, ""));
    EXPECT_FALSE(KMCInteraction::FromInterface(created.Get()).IsInitialised());
    EXPECT_EQ(interactions_->Count(), 2u);
}

TEST_F(InteractionListTest, WhileTheDocumentLoadsInteractionsAreMadeEmptyWithoutChecks) {
    ON_CALL(document_, IsLoading()).WillByDefault(::testing::Return(true));
    NoxComPtr<IVxKMCInteraction> created;
    for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(Result(interactions_->CreateInteraction(created.Put())), Outcome(S_OK, ""));
        EXPECT_FALSE(KMCInteraction::FromInterface(created.Get()).IsInitialised());
    }
    EXPECT_EQ(interactions_->Count(), 2u);
}

TEST_F(InteractionListTest, TheCutoffMustClearTheContactDistance) {
    const std::pair<double, VARIANT_BOOL> cases[] = {{2.0, VARIANT_FALSE}, {2.0001, VARIANT_TRUE}};
    VARIANT_BOOL valid = 7;
    EXPECT_EQ(Result(interactions_->get_IsCutoffValid(&valid)),
              Outcome(E_POINTER, "A required object is missing (null pointer)."));
    EXPECT_EQ(interactions_->put_NewInteractionActiveSpecies(Text("CO").Get()), S_OK);
    EXPECT_EQ(interactions_->put_NewInteractionInteractingSpecies(Text(" o ").Get()), S_OK);
    for (const auto& [cutoff, expected] : cases) {
        EXPECT_EQ(interactions_->put_NewInteractionCutoff(cutoff), S_OK);
        EXPECT_EQ(interactions_->get_IsCutoffValid(&valid), S_OK);
        EXPECT_EQ(valid, expected) << cutoff;
    }
    EXPECT_EQ(Result(interactions_->put_NewInteractionCutoff(std::nan(""))),
              Outcome(E_INVALIDARG, "New interaction cutoff must be a finite number."));
    double cutoff = 0;
    EXPECT_EQ(interactions_->get_NewInteractionCutoff(&cutoff), S_OK);
    EXPECT_EQ(cutoff, 2.0001);
}

TEST_F(InteractionListTest, DuplicatesAmongEnabledInteractionsAreReportedByPosition) {
    EXPECT_EQ(Uniqueness(*interactions_), (Verdict{true, ""}));
    auto interaction = [](const char* active, const char* interacting, const char* enabled, int details) {
        std::string element = std::string(R"(<Interaction Enabled=")") + enabled + R"(" ActiveSpecies=")" +
                              active + R"(" InteractingSpecies=")" + interacting +
                              R"(" MinimumCutoff="0" MaximumCutoff="1" NumberOfDetailSites=")" +
                              std::to_string(details) + R"(">)";
        for (int k = 0; k < details; ++k)
            element += R"x(<InteractionDetail ActiveSite="( 0 , 0 / 1 )" InteractingSite="( )x" +
                       std::to_string(k + 1) + R"x( , 0 / 1 )" InteractionValue="0"/>)x";
        return element + "</Interaction>";
    };
    const std::string document = R"(<D><InteractionList NumberOfInteractions="4">)" +
                                 interaction("CO", "O", "true", 1) + interaction("O", "CO", "true", 1) +
                                 interaction("CO", "O", "false", 1) + interaction("CO", "O", "true", 2) +
                                 "</InteractionList></D>";
    ASSERT_EQ(LoadXml(interactions_.Get(), document), Outcome(S_OK, ""));
    EXPECT_EQ(
        Uniqueness(*interactions_),
        (Verdict{false, std::string(kDuplicates) +
                            "Interaction 2 between O and CO is a duplicate of interaction 1 \n"
                            "Interaction 4 between CO and O is a duplicate of interaction 1 (although their "
                            "details are different)\n"
                            "Interaction 4 between CO and O is a duplicate of interaction 2 (although their "
                            "details are different)\n"}));
    VARIANT_BOOL unique = 7;
    EXPECT_EQ(Result(interactions_->get_AreInteractionsUnique(nullptr, &unique)),
              Outcome(E_POINTER, "No pointer supplied for output argument."));
    EXPECT_EQ(unique, VARIANT_FALSE);
}

TEST_F(InteractionListTest, PositionsCountFromZeroAndRemovalLetsTheInteractionAndItsDetailsGo) {
    NoxComPtr<IVxKMCInteraction> first, second;
    ASSERT_EQ(Create("CO", "O", 2.5, &first), Outcome(S_OK, ""));
    ASSERT_EQ(Create("CO", "CO", 2.5, &second), Outcome(S_OK, ""));
    NoxComPtr<IVxKMCInteraction> item;
    const Outcome invalid(E_UNEXPECTED, "Index into interaction list is invalid.");
    EXPECT_EQ(Result(interactions_->get_Item(2, item.Put())), invalid);
    EXPECT_EQ(Result(interactions_->get_Item(-1, item.Put())), invalid);
    EXPECT_EQ(Result(interactions_->RemoveInteraction(2)), invalid);
    EXPECT_EQ(interactions_->get_Item(1, item.Put()), S_OK);
    EXPECT_EQ(item, second);

    NoxComPtr<IVxKMCInteractionDetail> held = DetailAt(first.Get(), 0);
    EXPECT_CALL(document_, SetModified(true)).Times(1);
    ASSERT_EQ(interactions_->RemoveInteraction(0), S_OK);
    first = nullptr;  // the list held the last other reference
    // The held detail reaches nothing that was released: its value changes alone.
    EXPECT_EQ(held->put_Interaction(Text("1").Get()), S_OK);
    EXPECT_EQ(Value(held.Get()), "1.00000");
    ::testing::Mock::VerifyAndClearExpectations(&document_);
    ASSERT_EQ(interactions_->ClearInteractionList(), S_OK);
    EXPECT_EQ(KMCInteraction::FromInterface(second.Get()).ParentInteractionList(), nullptr);
    EXPECT_EQ(Create("CO", "O", 2.5), Outcome(S_OK, ""));
}

TEST_F(InteractionListTest, SpeciesAndSitesInUseCannotBeRemoved) {
    ASSERT_EQ(CreateSite(*lattice_, "Adsorption site", "Hollow"), S_OK);  // site 2
    ASSERT_EQ(CreateSite(*lattice_, "Adsorption site", "Bridge"), S_OK);  // sites 3 and 4
    VARIANT_BOOL canRemove = 7;
    // The species chosen for the next interaction are in use too.
    EXPECT_EQ(interactions_->put_NewInteractionActiveSpecies(Text("O").Get()), S_OK);
    EXPECT_EQ(species_->get_CanRemoveSpecies(Text("O").Get(), &canRemove), S_OK);
    EXPECT_EQ(canRemove, VARIANT_FALSE);
    EXPECT_EQ(species_->get_CanRemoveSpecies(Text("CO").Get(), &canRemove), S_OK);
    EXPECT_EQ(canRemove, VARIANT_TRUE);

    // Every site has neighbours 2 apart: all four are in use.
    ASSERT_EQ(Create("CO", "CO", 2.1), Outcome(S_OK, ""));
    EXPECT_EQ(
        Result(species_->RemoveSpecies(Text("CO").Get())),
        Outcome(E_UNEXPECTED,
                "Species cannot be deleted because it is in use in one or more process or interaction"));
    LONG highest = 0;
    EXPECT_EQ(interactions_->get_HighestSiteIndex(&highest), S_OK);
    EXPECT_EQ(highest, 4);
    EXPECT_EQ(Result(lattice_->RawLatticeSiteList()->DeleteSite(2)),
              Outcome(E_UNEXPECTED,
                      "Unable to delete lattice site:\nOne or more of the interactions uses a site "
                      "whose index would be affected by the deletion"));
    ASSERT_EQ(interactions_->RemoveInteraction(0), S_OK);
    EXPECT_EQ(lattice_->RawLatticeSiteList()->DeleteSite(2), S_OK);

    // An interaction that cannot name its species makes the question fail rather than answer no.
    ASSERT_EQ(LoadXml(interactions_.Get(),
                      R"(<D><InteractionList NumberOfInteractions="1"><Interaction Enabled="true" )"
                      R"(ActiveSpecies="Xe" InteractingSpecies="CO" MinimumCutoff="0" MaximumCutoff="1" )"
                      R"(NumberOfDetailSites="0"/></InteractionList></D>)"),
              Outcome(S_OK, ""));
    EXPECT_EQ(Result(species_->RemoveSpecies(Text("CO").Get())),
              Outcome(E_POINTER, "A required object is missing (null pointer)."));
    EXPECT_EQ(species_->get_Count(&highest), S_OK);
    EXPECT_EQ(highest, 3);
}

TEST_F(InteractionListTest, ADetailAnswersOnlyOnceItHasBothSites) {
    NoxComPtr<KMCInteraction> interaction = Generated(0.5, 1.01);
    NoxComPtr<IVxKMCInteractionDetail> detail;
    ASSERT_EQ(interaction->AddInteractionDetail(detail.Put()), S_OK);
    NoxComPtr<IVxKMCSiteSpecification> spec;
    NoxBSTR value;
    double distance = 0;
    EXPECT_EQ(detail->get_ActiveSiteSpecification(spec.Put()), S_OK);
    EXPECT_FALSE(spec);
    const Outcome getter(E_UNEXPECTED, "Lumetra Interaction Detail has not been initialised.");
    EXPECT_EQ(Result(detail->get_Interaction(value.Put())), getter);
    EXPECT_EQ(Result(detail->get_InteractionForGUI(value.Put())), getter);
    EXPECT_EQ(Result(detail->get_InteractionDistance(&distance)), getter);
    EXPECT_EQ(Result(detail->put_Interaction(Text("1").Get())),
              Outcome(E_UNEXPECTED, "Lumetra InteractionDetail has not been initialised."));

    NoxComPtr<IVxKMCSiteSpecification> active, interacting;
    ASSERT_EQ(DetailAt(interaction.Get(), 3)->get_SiteSpecification(1, active.Put()), S_OK);
    ASSERT_EQ(DetailAt(interaction.Get(), 3)->get_SiteSpecification(2, interacting.Put()), S_OK);
    EXPECT_EQ(
        Result(detail->Initialise(active.Get(), nullptr)),
        Outcome(E_UNEXPECTED,
                "Active site and Interacting site must both be intialised for a KMCInteractionDetail."));
    ASSERT_EQ(detail->Initialise(active.Get(), interacting.Get()), S_OK);
    EXPECT_EQ(Value(detail.Get()), "0.00000");
    EXPECT_EQ(detail->get_InteractionDistance(&distance), S_OK);
    EXPECT_EQ(distance, 1.0);
    for (LONG index : {0, 3})
        EXPECT_EQ(
            Result(detail->get_SiteSpecification(index, spec.Put())),
            Outcome(E_UNEXPECTED, "Index for KMCInteractionDetail::get_SiteSpecification must be 1 or 2"));
    EXPECT_EQ(PairText(detail.Get()), "( 0 , 0 / 1 ) > ( 1 , 0 / 1 )");
}

}  // namespace
