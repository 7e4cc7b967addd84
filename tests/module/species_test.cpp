// A species: defaults, colours, the edit bracket of its list's document, naming and parent
// rules, removal, copying, the initial colour, and members called by name.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "species/initial_color.h"
#include "species_support.h"

using kmctest::SpeciesValues;
using kmctest::TakeErrorDescription;
using kmctest::Text;
using kmctest::ValuesOf;
using ::testing::Return;

namespace {

using SpeciesTest = kmctest::SpeciesFixture;

template <class Call>
std::string FailureOf(Call call) {
    try {
        call();
    } catch (const NoxResult& failure) {
        return failure.Description();
    }
    return "no failure";
}

TEST_F(SpeciesTest, StartsWithItsDefaultsAndKeepsTheColourTopByte) {
    NoxComPtr<KMCSpecies> species = KMCSpecies::Create();
    EXPECT_EQ(ValuesOf(species.Get()), (SpeciesValues{"", "Adsorbate", 1.0, 0, 0}));
    EXPECT_EQ(species->Color().Value(), 0xFF000000u);
    EXPECT_EQ(species->put_Color(0x7F123456), S_OK);
    EXPECT_EQ(ValuesOf(species.Get()).color, 0x123456);
    EXPECT_EQ(species->Color().Value(), 0xFF123456u);
    EXPECT_EQ(species->get_Radius(nullptr), E_POINTER);
    EXPECT_EQ(TakeErrorDescription(), "No pointer supplied for output argument.");
}

TEST_F(SpeciesTest, RefusedEditsChangeNothingButRawColourNeedsNoPermission) {
    NoxComPtr<IVxKMCSpecies> species = Add("CO"), other = Add("O2");
    SpeciesValues before = ValuesOf(species.Get());
    EXPECT_CALL(document_, CanEdit())
        .WillRepeatedly(Return(NoxResult(E_ACCESSDENIED, "The document is locked.")));
    EXPECT_CALL(document_, SetModified).Times(0);
    NoxBSTR substrate = Text("Substrate");
    for (const std::function<HRESULT()>& edit : std::vector<std::function<HRESULT()>>{
             [&] { return species->put_Radius(-2.0); }, [&] { return species->put_Charge(3); },
             [&] { return species->put_Color(0x010203); },
             [&] { return species->put_Category(substrate.Get()); }, [&] { return species->Delete(); },
             [&] { return species->Clone(other.Get()); }}) {
        EXPECT_EQ(edit(), E_ACCESSDENIED);
        EXPECT_EQ(TakeErrorDescription(), "The document is locked.");
    }
    EXPECT_EQ(ValuesOf(species.Get()), before);
    EXPECT_EQ(Names(), (std::vector<std::string>{"CO", "O2"}));
    EXPECT_EQ(species->put_RawColor(0x010203), S_OK);
    EXPECT_EQ(ValuesOf(species.Get()).color, 0x010203);
}

TEST_F(SpeciesTest, NameAndParentAreSetOnce) {
    NoxComPtr<IVxKMCSpecies> species = Add("CO");
    EXPECT_EQ(FailureOf([&] { Raw(species).SetName("O2"); }),
              "Name is already set when attempting to set Species name O2");
    EXPECT_EQ(FailureOf([&] { Raw(species).SetParent(list_.Get()); }),
              "Parent is already set for KMCSpecies.");
    EXPECT_EQ(Raw(species).Name(), "CO");
    EXPECT_EQ(Raw(species).ParentDocument(), &document_);
}

TEST_F(SpeciesTest, DeleteLeavesTheListAndALooseSpeciesStaysSafe) {
    NoxComPtr<IVxKMCSpecies> o2 = Add("O2"), co = Add("CO"), twin = Add("N2");
    ASSERT_EQ(twin->Clone(co.Get()), S_OK);  // Clone copies the name as well
    EXPECT_EQ(co->Delete(), S_OK);
    EXPECT_EQ(Item(1), twin);  // the species itself leaves, not the first of its name
    EXPECT_EQ(twin->Delete(), S_OK);
    EXPECT_EQ(Names(), (std::vector<std::string>{"O2"}));
    EXPECT_EQ(Raw(co).ParentDocument(), nullptr);
    EXPECT_EQ(co->Delete(), E_UNEXPECTED);
    EXPECT_EQ(TakeErrorDescription(), "Unable to remove Species from SpeciesList.");
    // A species that outlives its list is edited without any document.
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
    EXPECT_EQ(target->Clone(source.Get()), S_OK);
    EXPECT_EQ(ValuesOf(target.Get()), (SpeciesValues{"CO", "Substrate", 0.75, -1, 0xABCDEF}));
    EXPECT_EQ(target->Color().Value(), 0xFFABCDEFu);
    EXPECT_EQ(target->Clone(nullptr), E_INVALIDARG);
}

TEST_F(SpeciesTest, MembersAnswerByName) {
    NoxComPtr<IVxKMCSpecies> species = Add("CO");
    kmctest::DispatchCall put, get, remove;
    kmctest::CallByName(put, species.Get(), u"radius", DISPATCH_PROPERTYPUT, {kmctest::Long(3)});
    kmctest::CallByName(get, species.Get(), u"Radius", DISPATCH_PROPERTYGET, {});
    EXPECT_EQ(put.hr, S_OK);
    EXPECT_EQ(get.result.Get().dblVal, 3.0);
    species->Delete();
    kmctest::CallByName(remove, species.Get(), u"Delete", DISPATCH_METHOD, {});
    EXPECT_EQ(remove.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(remove.Description(), "Unable to remove Species from SpeciesList.");
}

TEST(InitialColor, SeedHashesTheSignedBytesOfTheName) {
    EXPECT_EQ(kmc::SpeciesColorSeed("CO"), 67u * 257u + 79u);
    // Each step reduces modulo 1,000,000: 16771, 4310214 → 310214, 79725066 → 725066.
    EXPECT_EQ(kmc::SpeciesColorSeed("ABCD"), 725066u);
    EXPECT_EQ(kmc::SpeciesColorSeed("A\xFF"), 65u * 257u - 1u);  // bytes above 0x7F count as negative
}

TEST(InitialColor, IsRepeatableOpaqueAndStandsApartFromTheColoursInUse) {
    ColorValue alone = kmc::ChooseInitialColor("CO", {});
    EXPECT_EQ(alone.Value() >> 24, 0xFFu);
    EXPECT_EQ(kmc::ChooseInitialColor("CO", {}), alone);
    // With its own first candidate in use, the choice moves on to a colour far from it.
    ColorValue moved = kmc::ChooseInitialColor("CO", {alone});
    double sum = 0;
    for (int c = 0; c < 3; ++c) sum += std::pow((moved.Channel(c) - alone.Channel(c)) / 255.0, 2);
    EXPECT_GE(std::sqrt(sum / 3), 0.2);
    EXPECT_EQ(kmc::ChooseInitialColor("CO", {alone}), moved);
}

TEST_F(SpeciesTest, ListsHoldingTheSameColoursGiveTheSameInitialColour) {
    NoxComPtr<KMCSpeciesList> other = KMCSpeciesList::Create();
    NoxComPtr<IVxKMCSpecies> mine = Add("O2"), theirs;
    ASSERT_EQ(Create(other.Get(), "O2", &theirs), S_OK);
    EXPECT_EQ(Raw(mine).Color(), Raw(theirs).Color());
    EXPECT_EQ(Raw(mine).Color(), kmc::ChooseInitialColor("O2", {}));
    EXPECT_EQ(Raw(Add("CO")).Color(), kmc::ChooseInitialColor("CO", {Raw(mine).Color()}));
}

}  // namespace
