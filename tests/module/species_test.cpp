// A species: defaults, colours, the edit bracket of its list's document, naming and parent
// rules, removal, copying, the initial colour, and a few members called by name.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "species/initial_color.h"
#include "species/species.h"
#include "species_support.h"

using kmctest::TakeErrorDescription;
using kmctest::Text;
using ::testing::Return;

namespace {

using SpeciesTest = kmctest::SpeciesFixture;

TEST_F(SpeciesTest, StartsWithItsDefaults) {
    NoxComPtr<KMCSpecies> species = KMCSpecies::Create();
    double radius = 0;
    LONG charge = -1, color = -1;
    NoxBSTR category;
    EXPECT_EQ(species->get_Radius(&radius), S_OK);
    EXPECT_EQ(species->get_Charge(&charge), S_OK);
    EXPECT_EQ(species->get_Color(&color), S_OK);
    EXPECT_EQ(species->get_Category(category.Put()), S_OK);
    EXPECT_EQ(radius, 1.0);
    EXPECT_EQ(charge, 0);
    EXPECT_EQ(color, 0);
    EXPECT_EQ(category.ToTString(), "Adsorbate");
    EXPECT_EQ(Name(species.Get()), "");
    EXPECT_EQ(species->Color().Value(), 0xFF000000u);
    EXPECT_EQ(species->get_Radius(nullptr), E_POINTER);
    EXPECT_EQ(TakeErrorDescription(), "No pointer supplied for output argument.");
}

TEST_F(SpeciesTest, ColourSettersReplaceOnlyTheLowChannels) {
    NoxComPtr<IVxKMCSpecies> species = Add("CO");
    EXPECT_EQ(species->put_Color(0x7F123456), S_OK);
    LONG color = 0;
    species->get_Color(&color);
    EXPECT_EQ(color, 0x123456);
    EXPECT_EQ(Raw(species).Color().Value(), 0xFF123456u);
    EXPECT_EQ(species->put_RawColor(static_cast<LONG>(0x80ABCDEF)), S_OK);
    EXPECT_EQ(Raw(species).Color().Value(), 0xFFABCDEFu);
}

TEST_F(SpeciesTest, RefusedEditsChangeNothingButRawColourNeedsNoPermission) {
    NoxComPtr<IVxKMCSpecies> species = Add("CO");
    LONG before = 0;
    species->get_Color(&before);
    EXPECT_CALL(document_, CanEdit())
        .WillRepeatedly(Return(NoxResult(E_ACCESSDENIED, "The document is locked.")));
    EXPECT_CALL(document_, SetModified).Times(0);
    NoxBSTR substrate = Text("Substrate");
    for (const std::function<HRESULT()>& edit : std::vector<std::function<HRESULT()>>{
             [&] { return species->put_Radius(-2.0); }, [&] { return species->put_Charge(3); },
             [&] { return species->put_Color(0x010203); },
             [&] { return species->put_Category(substrate.Get()); }, [&] { return species->Delete(); }}) {
        EXPECT_EQ(edit(), E_ACCESSDENIED);
        EXPECT_EQ(TakeErrorDescription(), "The document is locked.");
    }
    double radius = 0;
    LONG charge = -1, color = 0;
    species->get_Radius(&radius);
    species->get_Charge(&charge);
    species->get_Color(&color);
    EXPECT_EQ(radius, 1.0);
    EXPECT_EQ(charge, 0);
    EXPECT_EQ(color, before);
    EXPECT_EQ(Names().size(), 1u);
    EXPECT_EQ(species->put_RawColor(0x010203), S_OK);
    species->get_Color(&color);
    EXPECT_EQ(color, 0x010203);
}

TEST_F(SpeciesTest, SettersAcceptAnyValueAndMarkTheDocumentOnce) {
    NoxComPtr<IVxKMCSpecies> species = Add("CO");
    EXPECT_CALL(document_, SetModified(true)).Times(4);
    EXPECT_EQ(species->put_Radius(-0.5), S_OK);
    EXPECT_EQ(species->put_Charge(-2147483647 - 1), S_OK);
    EXPECT_EQ(species->put_Category(Text("").Get()), S_OK);
    EXPECT_EQ(species->put_Category(Text("Gas phase").Get()), S_OK);
    NoxBSTR category;
    species->get_Category(category.Put());
    EXPECT_EQ(category.ToTString(), "Gas phase");
}

TEST_F(SpeciesTest, NameAndParentAreSetOnce) {
    NoxComPtr<IVxKMCSpecies> species = Add("CO");
    try {
        Raw(species).SetName("O2");
        FAIL() << "renamed";
    } catch (const NoxResult& failure) {
        EXPECT_EQ(failure.Code(), E_UNEXPECTED);
        EXPECT_EQ(failure.Description(), "Name is already set when attempting to set Species name O2");
    }
    try {
        Raw(species).SetParent(list_.Get());
        FAIL() << "parent set twice";
    } catch (const NoxResult& failure) {
        EXPECT_EQ(failure.Description(), "Parent is already set for KMCSpecies.");
    }
    EXPECT_EQ(Raw(species).Name(), "CO");
    EXPECT_EQ(Raw(species).ParentDocument(), &document_);
}

TEST_F(SpeciesTest, DeleteLeavesTheListAndALooseSpeciesStaysSafe) {
    NoxComPtr<IVxKMCSpecies> co = Add("CO");
    NoxComPtr<IVxKMCSpecies> o2 = Add("O2");
    EXPECT_EQ(co->Delete(), S_OK);
    EXPECT_EQ(Names().size(), 1u);
    EXPECT_EQ(Raw(co).ParentDocument(), nullptr);
    EXPECT_EQ(co->Delete(), E_UNEXPECTED);
    EXPECT_EQ(TakeErrorDescription(), "Unable to remove Species from SpeciesList.");
    // A species that outlives its list edits without any document.
    list_.Reset();
    EXPECT_EQ(o2->put_Radius(2.5), S_OK);
    EXPECT_EQ(Raw(o2).ParentDocument(), nullptr);
}

TEST_F(SpeciesTest, CloneCopiesValuesAndKeepsTheTopByte) {
    NoxComPtr<IVxKMCSpecies> source = Add("CO");
    source->put_Radius(0.75);
    source->put_Charge(-1);
    source->put_Category(Text("Substrate").Get());
    source->put_Color(0xABCDEF);
    NoxComPtr<KMCSpecies> target = KMCSpecies::Create();
    target->put_RawColor(0);
    EXPECT_EQ(target->Clone(source.Get()), S_OK);
    double radius = 0;
    LONG charge = 0;
    NoxBSTR category;
    target->get_Radius(&radius);
    target->get_Charge(&charge);
    target->get_Category(category.Put());
    EXPECT_EQ(Name(target.Get()), "CO");
    EXPECT_EQ(radius, 0.75);
    EXPECT_EQ(charge, -1);
    EXPECT_EQ(category.ToTString(), "Substrate");
    EXPECT_EQ(target->Color().Value(), 0xFFABCDEFu);
    EXPECT_EQ(target->Clone(nullptr), E_INVALIDARG);
}

TEST_F(SpeciesTest, MembersAnswerByName) {
    NoxComPtr<IVxKMCSpecies> species = Add("CO");
    kmctest::DispatchCall put;
    kmctest::CallByName(put, species.Get(), u"radius", DISPATCH_PROPERTYPUT, {kmctest::Long(3)});
    EXPECT_EQ(put.hr, S_OK);
    kmctest::DispatchCall get;
    kmctest::CallByName(get, species.Get(), u"Radius", DISPATCH_PROPERTYGET, {});
    EXPECT_EQ(get.result.Get().vt, VT_R8);
    EXPECT_EQ(get.result.Get().dblVal, 3.0);
    species->Delete();
    kmctest::DispatchCall remove;
    kmctest::CallByName(remove, species.Get(), u"Delete", DISPATCH_METHOD, {});
    EXPECT_EQ(remove.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(remove.Description(), "Unable to remove Species from SpeciesList.");
}

TEST(InitialColor, SeedHashesTheSignedBytesOfTheName) {
    EXPECT_EQ(kmc::SpeciesColorSeed(""), 0u);
    EXPECT_EQ(kmc::SpeciesColorSeed("CO"), 67u * 257u + 79u);
    // Every step reduces modulo 1,000,000: 16771 → 4310214 % 10^6 = 310214 → 79725066 % 10^6.
    EXPECT_EQ(kmc::SpeciesColorSeed("ABCD"), 725066u);
    // A byte above 0x7F counts as negative.
    EXPECT_EQ(kmc::SpeciesColorSeed("A\xFF"), 65u * 257u - 1u);
}

TEST(InitialColor, IsRepeatableOpaqueAndStandsApartFromTheColoursInUse) {
    ColorValue alone = kmc::ChooseInitialColor("CO", {});
    EXPECT_EQ(alone.Value() & 0xFF000000u, 0xFF000000u);
    EXPECT_EQ(kmc::ChooseInitialColor("CO", {}), alone);
    // With its own first candidate in use, the choice moves on to a colour far from it.
    ColorValue moved = kmc::ChooseInitialColor("CO", {alone});
    EXPECT_NE(moved, alone);
    double sum = 0;
    for (int c = 0; c < 3; ++c) {
        double d = (moved.Channel(c) - alone.Channel(c)) / 255.0;
        sum += d * d;
    }
    EXPECT_GE(std::sqrt(sum / 3), 0.2);
    EXPECT_EQ(kmc::ChooseInitialColor("CO", {alone}), moved);
}

TEST_F(SpeciesTest, ListsHoldingTheSameColoursGiveTheSameInitialColour) {
    NoxComPtr<KMCSpeciesList> other = KMCSpeciesList::Create();
    NoxComPtr<IVxKMCSpecies> mine = Add("O2"), theirs;
    ASSERT_EQ(other->CreateSpecies(Text("O2").Get(), theirs.Put()), S_OK);
    EXPECT_EQ(Raw(mine).Color(), Raw(theirs).Color());
    EXPECT_EQ(Raw(mine).Color(), kmc::ChooseInitialColor("O2", {}));
    NoxComPtr<IVxKMCSpecies> second = Add("CO");
    EXPECT_EQ(Raw(second).Color(), kmc::ChooseInitialColor("CO", {Raw(mine).Color()}));
}

}  // namespace
