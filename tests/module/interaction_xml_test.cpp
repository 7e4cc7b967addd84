// The interaction list's element: a save, a load and a second save give the same text and the same
// classes; broken and hostile elements are refused whole; species are resolved by name, and a
// species the list lacks is saved as an empty name.
#include <gtest/gtest.h>

#include "interaction_support.h"

using namespace kmctest;

namespace {

class InteractionXmlTest : public InteractionFixture {
protected:
    // A fresh list of the same document, lattice and species.
    NoxComPtr<KMCInteractionList> Copy() {
        NoxComPtr<KMCInteractionList> copy = KMCInteractionList::Create();
        copy->SetParent(&document_, nullptr, lattice_.Get(), species_.Get());
        return copy;
    }

    NoxComPtr<IVxKMCInteraction> Item(KMCInteractionList& list, LONG index) {
        NoxComPtr<IVxKMCInteraction> interaction;
        EXPECT_EQ(list.get_Item(index, interaction.Put()), S_OK);
        return interaction;
    }
};

std::string ListElement(const std::string& interactions, int count) {
    return R"(<D><InteractionList NewInteractionActiveSpecies="CO" NewInteractionInteractingSpecies="O" )"
           R"(NewInteractionCutoff="2.5" NumberOfInteractions=")" +
           std::to_string(count) + R"(">)" + interactions + "</InteractionList></D>";
}

std::string InteractionElement(const std::string& details, int count) {
    return R"(<Interaction Enabled="true" ActiveSpecies="CO" InteractingSpecies="O" MinimumCutoff="0.5" )"
           R"(MaximumCutoff="1.5" NumberOfDetailSites=")" +
           std::to_string(count) + R"(">)" + details + "</Interaction>";
}

std::string DetailElement(const char* interacting, const char* value = R"( InteractionValue="-0.1")") {
    return std::string(R"x(<InteractionDetail ActiveSite="( 0 , 0 / 1 )" InteractingSite=")x") + interacting +
           "\"" + value + "/>";
}

TEST_F(InteractionXmlTest, ASaveLoadsBackToTheSameTextAndClasses) {
    NoxComPtr<IVxKMCInteraction> mixed, same;
    ASSERT_EQ(Create("CO", "CO", 2.5, &same), Outcome(S_OK, ""));
    ASSERT_EQ(Create("CO", "O", 2.3, &mixed), Outcome(S_OK, ""));
    ASSERT_EQ(DetailAt(mixed.Get(), 0)->put_Interaction(Text("-0.125").Get()), S_OK);
    ASSERT_EQ(DetailAt(same.Get(), 2)->put_Interaction(Text("0.0625").Get()), S_OK);
    ASSERT_EQ(same->put_Enabled(VARIANT_FALSE), S_OK);
    const std::string saved = SaveXml(interactions_.Get());

    NoxComPtr<KMCInteractionList> copy = Copy();
    ASSERT_EQ(LoadXml(copy.Get(), saved), Outcome(S_OK, ""));
    EXPECT_EQ(SaveXml(copy.Get()), saved);
    ASSERT_EQ(copy->Count(), 2u);
    for (LONG k = 0; k < 2; ++k) {
        NoxComPtr<IVxKMCInteraction> original = Item(*interactions_, k), loaded = Item(*copy, k);
        EXPECT_EQ(Pairs(loaded.Get()), Pairs(original.Get()));
        EXPECT_EQ(Classes(loaded.Get()), Classes(original.Get()));
    }
    // The loaded classes still share their values.
    ASSERT_EQ(DetailAt(Item(*copy, 1).Get(), 1)->put_Interaction(Text("2").Get()), S_OK);
    const std::vector<LONG> classes = Classes(Item(*copy, 1).Get());
    for (LONG k = 0; k < static_cast<LONG>(classes.size()); ++k) {
        if (classes[k] == classes[1]) {
            EXPECT_EQ(Value(DetailAt(Item(*copy, 1).Get(), k).Get()), "2.00000") << k;
        }
    }
}

TEST_F(InteractionXmlTest, BrokenAndHostileElementsAreRefusedWhole) {
    ASSERT_EQ(Create("CO", "O", 2.3), Outcome(S_OK, ""));
    const std::string saved = SaveXml(interactions_.Get());
    const std::string neighbour = DetailElement("( 1 , 0 / 1 )");
    const std::pair<std::string, std::string> broken[] = {
        {R"(<D><Interactions/></D>)", "Failed to open InteractionList element"},
        {ListElement(InteractionElement(neighbour, 1), 2), "Failed to open Interaction element"},
        {ListElement(InteractionElement(neighbour, 1) + "<Interaction/>", 1),
         "Unexpected children found for the InteractionList element"},
        {ListElement(InteractionElement(neighbour, 3), 1), "Failed to open InteractionDetail element"},
        {ListElement(InteractionElement(neighbour, 2000000000), 1),
         "Failed to open InteractionDetail element"},
        {ListElement(InteractionElement(neighbour + neighbour, 1), 1),
         "Unexpected children found for the Interaction element"},
        {ListElement(InteractionElement(DetailElement("( 1 , 0 / 1 )", R"( InteractionValue="strong")"), 1),
                     1),
         "Input expression must be numeric."},
        {ListElement(InteractionElement(DetailElement("( 1 , 0 / 1 )", ""), 1), 1),
         "Input expression is empty."},
        // A site the lattice does not have cannot be classed.
        {ListElement(InteractionElement(DetailElement("( 1 , 0 / 9 )"), 1), 1), "Site index is invalid"},
        {ListElement(InteractionElement(DetailElement("( -2147483648 , 0 / 1 )"), 1), 1),
         "Site address is out of range."},
    };
    for (const auto& [document, message] : broken) {
        SCOPED_TRACE(message);
        EXPECT_EQ(LoadXml(interactions_.Get(), document), Outcome(E_UNEXPECTED, message));
        EXPECT_EQ(SaveXml(interactions_.Get()), saved);
    }
}

TEST_F(InteractionXmlTest, ADetailReadOverAGeneratedOneMovesNoOtherDetail) {
    NoxComPtr<KMCInteraction> interaction = Generated(0.5, 1.01);
    NoxComPtr<IVxKMCInteractionDetail> first = DetailAt(interaction.Get(), 0);
    ASSERT_EQ(LoadXml(first.Get(), R"x(<D><InteractionDetail ActiveSite="( 5 , 5 / 1 )" )x"
                                   R"x(InteractingSite="( 3 , 0 / 1 )" InteractionValue="1"/></D>)x"),
              Outcome(S_OK, ""));
    EXPECT_EQ(PairText(first.Get()), "( 5 , 5 / 1 ) > ( 3 , 0 / 1 )");
    // The details of one active site share its address; the one read brought its own.
    EXPECT_EQ(PairText(DetailAt(interaction.Get(), 1).Get()), "( 0 , 0 / 1 ) > ( 0 , -1 / 1 )");
    EXPECT_EQ(Value(DetailAt(interaction.Get(), 1).Get()), "0.00000");
}

TEST_F(InteractionXmlTest, SpeciesAreFoundByNameAndAbsentNamesKeepTheSettings) {
    ASSERT_EQ(LoadXml(interactions_.Get(),
                      R"(<D><InteractionList NewInteractionActiveSpecies=" co " NumberOfInteractions="1">)" +
                          InteractionElement(DetailElement("( 0 , 1 / 1 )"), 1) + "</InteractionList></D>"),
              Outcome(S_OK, ""));
    NoxBSTR name;
    EXPECT_EQ(interactions_->get_NewInteractionActiveSpecies(name.Put()), S_OK);
    EXPECT_EQ(name.ToTString(), "CO");
    EXPECT_EQ(interactions_->get_NewInteractionInteractingSpecies(name.Put()), S_OK);
    EXPECT_EQ(name.ToTString(), "");
    // A name the species list lacks leaves the species unset; an absent name keeps the one set.
    ASSERT_EQ(
        LoadXml(
            interactions_.Get(),
            R"(<D><InteractionList NewInteractionInteractingSpecies="Xe" NumberOfInteractions="0"/></D>)"),
        Outcome(S_OK, ""));
    EXPECT_EQ(interactions_->get_NewInteractionActiveSpecies(name.Put()), S_OK);
    EXPECT_EQ(name.ToTString(), "CO");
    EXPECT_EQ(interactions_->get_NewInteractionInteractingSpecies(name.Put()), S_OK);
    EXPECT_EQ(name.ToTString(), "");
    EXPECT_EQ(interactions_->Count(), 0u);
    // An interaction whose species the list lacks is kept, and saved with an empty name.
    ASSERT_EQ(LoadXml(interactions_.Get(),
                      R"(<D><InteractionList NumberOfInteractions="1"><Interaction Enabled="false" )"
                      R"(ActiveSpecies="Xe" InteractingSpecies="O" MinimumCutoff="1" MaximumCutoff="2" )"
                      R"(NumberOfDetailSites="0"/></InteractionList></D>)"),
              Outcome(S_OK, ""));
    EXPECT_FALSE(interactions_->Interaction(0).IsInitialised());
    EXPECT_NE(SaveXml(interactions_.Get())
                  .find(R"(<Interaction Enabled="false" ActiveSpecies="" )"
                        R"(InteractingSpecies="O" MinimumCutoff="1" MaximumCutoff="2" )"
                        R"(NumberOfDetailSites="0"/>)"),
              std::string::npos);
}

}  // namespace
