// Species and the species list: colours, the edit bracket of the list's document, naming and
// parent rules, lookups, the enabling species, removal, copying, comparison, the initial colour,
// and members called by name.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

#include "species/initial_color.h"
#include "support.h"

using namespace kmctest;
using ::testing::Return;
using NameList = std::vector<std::string>;

namespace {

class SpeciesTest : public SpeciesFixture {
protected:
    using SpeciesFixture::Create;
    HRESULT Create(const char* name) { return Create(list_.Get(), name); }
};

TEST_F(SpeciesTest, ColourKeepsItsTopByteAndCloneCopiesEveryValue) {
    NoxComPtr<KMCSpecies> species = KMCSpecies::Create();
    EXPECT_EQ(ValuesOf(species.Get()), (SpeciesValues{"", "Adsorbate", 1.0, 0, 0}));
    EXPECT_EQ(species->Color().Value(), 0xFF000000u);
    EXPECT_EQ(species->put_Color(0x7F123456), S_OK);
    EXPECT_EQ(ValuesOf(species.Get()).color, 0x123456);
    EXPECT_EQ(species->Color().Value(), 0xFF123456u);

    NoxComPtr<IVxKMCSpecies> source = Add("CO");
    EXPECT_EQ(source->put_Radius(0.75), S_OK);
    EXPECT_EQ(source->put_Charge(-1), S_OK);
    EXPECT_EQ(source->put_Category(Text("Substrate").Get()), S_OK);
    EXPECT_EQ(source->put_Color(0xABCDEF), S_OK);
    EXPECT_EQ(species->Clone(source.Get()), S_OK);
    EXPECT_EQ(ValuesOf(species.Get()), (SpeciesValues{"CO", "Substrate", 0.75, -1, 0xABCDEF}));
    EXPECT_EQ(species->Color().Value(), 0xFFABCDEFu);
    EXPECT_EQ(species->Clone(nullptr), E_INVALIDARG);
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
             [&] { return species->Clone(other.Get()); }, [&] { return Create("N2"); }}) {
        EXPECT_EQ(Result(edit()), Outcome(E_ACCESSDENIED, "The document is locked."));
    }
    EXPECT_EQ(ValuesOf(species.Get()), before);
    EXPECT_EQ(Names(), (NameList{"CO", "O2"}));
    EXPECT_EQ(species->put_RawColor(0x010203), S_OK);
    EXPECT_EQ(ValuesOf(species.Get()).color, 0x010203);
}

// A value a save could not write back is refused, so that an editable document always saves.
TEST_F(SpeciesTest, ValuesADocumentCannotSaveAreRefusedAndChangeNothing) {
    NoxComPtr<IVxKMCSpecies> species = Add("CO");
    const SpeciesValues before = ValuesOf(species.Get());
    EXPECT_CALL(document_, SetModified).Times(0);
    const std::pair<std::u16string, std::string> texts[] = {
        {u"A\u0001", "U+0001 at offset 1"},
        {std::u16string(u"x\0y", 3), "U+0000 at offset 1"},
        {u"\uFFFE", "U+FFFE at offset 0"}};
    for (const auto& [text, problem] : texts) {
        NoxBSTR category = NoxBSTR::Attach(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
        EXPECT_EQ(Result(species->put_Category(category.Get())),
                  Outcome(E_INVALIDARG, "Invalid species category: " + problem + " is not allowed in XML"));
    }
    for (double radius : {std::nan(""), HUGE_VAL, -HUGE_VAL})
        EXPECT_EQ(Result(species->put_Radius(radius)),
                  Outcome(E_INVALIDARG, "Species radius must be a finite number."));
    EXPECT_EQ(ValuesOf(species.Get()), before);
}

TEST_F(SpeciesTest, NameAndParentAreSetOnce) {
    NoxComPtr<IVxKMCSpecies> species = Add("CO");
    EXPECT_EQ(Raised([&] { Raw(species).SetName("O2"); }).second,
              "Name is already set when attempting to set Species name O2");
    EXPECT_EQ(Raised([&] { Raw(species).SetParent(list_.Get()); }).second,
              "Parent is already set for KMCSpecies.");
    EXPECT_EQ(Raw(species).Name(), "CO");
    EXPECT_EQ(Raw(species).ParentDocument(), &document_);
}

TEST_F(SpeciesTest, NamesAreIdentifiersUniqueWithoutRegardToCase) {
    for (const char* bad : {"", "1H", "_H", "H-2", " H", "H ", "\xC3\x9C"}) {
        EXPECT_EQ(Result(Create(bad)),
                  Outcome(E_UNEXPECTED,
                          "Species names must start with a letter, and must contain only alphabetic "
                          "characters, numeric characters or _."))
            << bad;
        EXPECT_EQ(Result(list_->put_VacancySymbol(Text(bad).Get())),
                  Outcome(E_UNEXPECTED,
                          "Vacancy symbol must start with a letter, and must contain only alphabetic "
                          "characters, numeric characters or _."))
            << bad;
    }
    for (const char* good : {"H", "h2", "O_2"}) EXPECT_EQ(Create(good), S_OK) << good;
    EXPECT_EQ(Result(Create("o_2")),
              Outcome(E_UNEXPECTED,
                      "Requested species already exists in the species list.\nSpecies names in Lumetra "
                      "documents are case insensitive."));
    EXPECT_EQ(Result(Create("H")),
              Outcome(E_UNEXPECTED, "Requested species already exists in the species list."));
    EXPECT_EQ(Names(), (NameList{"H", "h2", "O_2"}));
    EXPECT_EQ(Read(&IVxKMCSpeciesList::get_VacancySymbol), "V");
}

TEST_F(SpeciesTest, ItemsAreFoundByIndexAndByTrimmedNameInAnyCase) {
    NoxComPtr<IVxKMCSpecies> co = Add("CO"), found;
    Add("O2");
    for (LONG bad : {-1, 2})
        EXPECT_EQ(Result(list_->get_Item(bad, found.Put())),
                  Outcome(E_UNEXPECTED, "Index into species list is invalid."));
    EXPECT_EQ(list_->get_ItemByName(Text(" \tco ").Get(), found.Put()), S_OK);
    EXPECT_EQ(found, co);
    EXPECT_EQ(list_->get_ItemByName(Text("C").Get(), found.Put()), S_OK);
    EXPECT_FALSE(found);
    VARIANT_BOOL exists = VARIANT_FALSE;
    EXPECT_EQ(list_->get_SpeciesExists(Text("o2").Get(), &exists), S_OK);
    EXPECT_EQ(exists, VARIANT_TRUE);
}

TEST_F(SpeciesTest, EnablingSpeciesIsASpeciesAsSpelledOrTheVacancy) {
    Add("CO");
    for (auto [given, stored] : {std::pair{"co", "co"}, {"V", "V"}, {"v", ""}, {"N2", ""}}) {
        EXPECT_EQ(list_->put_EnablingSpecies(Text(given).Get()), S_OK);
        EXPECT_EQ(Read(&IVxKMCSpeciesList::get_EnablingSpecies), stored) << given;
    }
}

TEST_F(SpeciesTest, DeleteLeavesTheListAndALooseSpeciesStaysSafe) {
    NoxComPtr<IVxKMCSpecies> o2 = Add("O2"), co = Add("CO"), twin = Add("N2");
    ASSERT_EQ(twin->Clone(co.Get()), S_OK);  // Clone copies the name as well
    // The later twin leaves, not the first species of its name.
    EXPECT_EQ(twin->Delete(), S_OK);
    EXPECT_EQ(Item(1), co);
    EXPECT_EQ(Raw(twin).ParentDocument(), nullptr);
    EXPECT_EQ(Raw(co).ParentDocument(), &document_);
    EXPECT_EQ(co->Delete(), S_OK);
    EXPECT_EQ(Names(), (NameList{"O2"}));
    EXPECT_EQ(Raw(co).ParentDocument(), nullptr);
    EXPECT_EQ(Result(co->Delete()), Outcome(E_UNEXPECTED, "Unable to remove Species from SpeciesList."));
    // A species that outlives its list is edited without any document.
    list_.Reset();
    EXPECT_EQ(o2->put_Radius(2.5), S_OK);
    EXPECT_EQ(Raw(o2).ParentDocument(), nullptr);
}

TEST_F(SpeciesTest, RemovalFindsLooselyButRemovesOnlyTheExactName) {
    for (const char* name : {"CO", "O2", "N2"}) Add(name);
    NoxComPtr<IVxKMCSpecies> o2 = Item(1);
    VARIANT_BOOL canRemove = VARIANT_FALSE;
    EXPECT_EQ(list_->get_CanRemoveSpecies(Text("CO").Get(), &canRemove), S_OK);
    EXPECT_EQ(canRemove, VARIANT_TRUE);  // no process or interaction list is linked
    EXPECT_EQ(Result(list_->RemoveSpecies(Text("co").Get())),
              Outcome(E_UNEXPECTED, "Unable to delete the requested species."));
    EXPECT_EQ(Result(list_->RemoveSpecies(Text("H2").Get())),
              Outcome(E_UNEXPECTED, "Species requested for deletion can not be found."));
    EXPECT_CALL(document_, SetModified(true)).Times(1);
    EXPECT_EQ(list_->RemoveSpecies(Text("O2").Get()), S_OK);
    EXPECT_EQ(Names(), (NameList{"CO", "N2"}));
    EXPECT_EQ(Raw(o2).ParentDocument(), nullptr);
    EXPECT_EQ(list_->ClearSpeciesList(), S_OK);
    EXPECT_TRUE(Names().empty());
}

TEST_F(SpeciesTest, ListCloneCopiesEverySpeciesAndTheVacancyIntoAnEmptyList) {
    NoxComPtr<KMCSpeciesList> source = KMCSpeciesList::Create();
    NoxComPtr<IVxKMCSpecies> last;
    for (const char* name : {"CO", "O2", "N2"}) Create(source.Get(), name, &last);
    EXPECT_EQ(last->put_Radius(0.5), S_OK);
    EXPECT_EQ(last->put_Charge(-2), S_OK);
    EXPECT_EQ(last->put_Color(0x123456), S_OK);
    EXPECT_EQ(last->put_Category(Text("Substrate").Get()), S_OK);
    EXPECT_EQ(source->put_VacancySymbol(Text("Empty").Get()), S_OK);
    EXPECT_EQ(source->put_VacancyColor(0x010101), S_OK);
    EXPECT_EQ(source->put_EnablingSpecies(Text("co").Get()), S_OK);

    ASSERT_EQ(list_->Clone(source.Get()), S_OK) << TakeErrorDescription();
    EXPECT_EQ(Names(), Names(source.Get()));
    EXPECT_EQ(ValuesOf(Item(2).Get()), (SpeciesValues{"N2", "Substrate", 0.5, -2, 0x123456}));
    LONG color = 0;
    EXPECT_EQ(list_->get_VacancyColor(&color), S_OK);
    EXPECT_EQ(color, 0x010101);
    EXPECT_EQ(Read(&IVxKMCSpeciesList::get_VacancySymbol), "Empty");
    EXPECT_EQ(Read(&IVxKMCSpeciesList::get_EnablingSpecies), "co");

    EXPECT_EQ(Result(list_->Clone(source.Get())),
              Outcome(E_UNEXPECTED, "Clone method can only be used on an empty Species List"));
    EXPECT_EQ(Names().size(), 3u);
    EXPECT_EQ(Result(list_->Clone(nullptr)),
              Outcome(E_INVALIDARG, "No source list suppliced for KMCSpeciesList::Clone"));
}

TEST_F(SpeciesTest, ListConsistencyComparesCategoriesOfSharedSpecies) {
    NoxComPtr<KMCSpeciesList> processes = KMCSpeciesList::Create();
    NoxComPtr<IVxKMCSpecies> co;
    Add("CO");
    Add("O2");  // missing from the other list, which is no inconsistency
    Create(processes.Get(), "co", &co);
    for (auto [category, consistent, text] :
         {std::tuple{"Adsorbate", VARIANT_TRUE, ""},
          {"Substrate", VARIANT_FALSE,
           "Species CO has different categories in the configuration document and the the processes "
           "document."}}) {
        EXPECT_EQ(co->put_Category(Text(category).Get()), S_OK);
        VARIANT_BOOL answer = 7;
        NoxBSTR message;
        EXPECT_EQ(list_->IsConsistent(processes.Get(), &answer, message.Put()), S_OK);
        EXPECT_EQ(std::make_pair(answer, message.ToTString()), std::make_pair(consistent, std::string(text)));
    }
    VARIANT_BOOL answer = 7;
    EXPECT_EQ(list_->IsConsistent(processes.Get(), &answer, nullptr), E_POINTER);
}

// A species list of another implementation: it forwards to one of ours, but is not ours, so a
// comparison has to ask it through its interface.
class ForeignSpeciesList : public StackObject<IVxKMCSpeciesList> {
public:
    explicit ForeignSpeciesList(IVxKMCSpeciesList* inner) : inner_(inner) {}
    HRESULT CreateSpecies(BSTR name, IVxKMCSpecies** species) override {
        return inner_->CreateSpecies(name, species);
    }
    HRESULT get_Count(LONG* count) override { return inner_->get_Count(count); }
    HRESULT get_Item(LONG index, IVxKMCSpecies** species) override {
        return inner_->get_Item(index, species);
    }
    HRESULT get_ItemByName(BSTR name, IVxKMCSpecies** species) override {
        return inner_->get_ItemByName(name, species);
    }
    HRESULT get_SpeciesExists(BSTR name, VARIANT_BOOL* exists) override {
        return inner_->get_SpeciesExists(name, exists);
    }
    HRESULT ClearSpeciesList() override { return inner_->ClearSpeciesList(); }
    HRESULT put_VacancySymbol(BSTR symbol) override { return inner_->put_VacancySymbol(symbol); }
    HRESULT get_VacancySymbol(BSTR* symbol) override { return inner_->get_VacancySymbol(symbol); }
    HRESULT get_VacancyColor(LONG* color) override { return inner_->get_VacancyColor(color); }
    HRESULT put_VacancyColor(LONG color) override { return inner_->put_VacancyColor(color); }
    HRESULT put_RawVacancyColor(LONG color) override { return inner_->put_RawVacancyColor(color); }
    HRESULT put_EnablingSpecies(BSTR name) override { return inner_->put_EnablingSpecies(name); }
    HRESULT get_EnablingSpecies(BSTR* name) override { return inner_->get_EnablingSpecies(name); }
    HRESULT Clone(IVxKMCSpeciesList* source) override { return inner_->Clone(source); }
    HRESULT IsConsistent(IVxKMCSpeciesList* other, VARIANT_BOOL* consistent, BSTR* message) override {
        return inner_->IsConsistent(other, consistent, message);
    }
    HRESULT get_CanRemoveSpecies(BSTR name, VARIANT_BOOL* can) override {
        return inner_->get_CanRemoveSpecies(name, can);
    }
    HRESULT RemoveSpecies(BSTR name) override { return inner_->RemoveSpecies(name); }

private:
    IVxKMCSpeciesList* inner_;
};

// Our lists and others answer alike: the first species of a name counts, even where a later one
// stands at the same position as the species compared.
TEST_F(SpeciesTest, ListConsistencyFindsTheFirstSpeciesOfANameInAnyList) {
    NoxComPtr<KMCSpeciesList> other = KMCSpeciesList::Create();
    ForeignSpeciesList foreign(other.Get());
    const std::vector<IVxKMCSpeciesList*> compared = {other.Get(), &foreign};
    NoxComPtr<IVxKMCSpecies> first, second, third;
    Add("CO");
    Add("N");
    Add("O");
    Create(other.Get(), "co", &first);
    Create(other.Get(), "O", &second);
    Create(other.Get(), "N", &third);
    auto verdicts = [&] {
        std::vector<std::string> texts;
        for (IVxKMCSpeciesList* list : compared) {
            VARIANT_BOOL answer = 7;
            NoxBSTR message;
            EXPECT_EQ(list_->IsConsistent(list, &answer, message.Put()), S_OK);
            texts.push_back(message.ToTString());
        }
        return texts;
    };
    auto differs = [](const char* name) {
        const std::string text =
            std::string("Species ") + name +
            " has different categories in the configuration document and the the processes document.";
        return std::vector<std::string>{text, text};
    };
    EXPECT_EQ(second->put_Category(Text("Substrate").Get()), S_OK);
    EXPECT_EQ(verdicts(), differs("O"));
    // A second "O" where ours has its "O": the first one still decides.
    EXPECT_EQ(second->put_Category(Text("Adsorbate").Get()), S_OK);
    EXPECT_EQ(third->Clone(second.Get()), S_OK);
    EXPECT_EQ(third->put_Category(Text("Substrate").Get()), S_OK);
    EXPECT_EQ(verdicts(), std::vector<std::string>(2));
    EXPECT_EQ(first->put_Category(Text("Substrate").Get()), S_OK);
    EXPECT_EQ(verdicts(), differs("CO"));
}

TEST_F(SpeciesTest, MembersAnswerByName) {
    NoxBSTR name = Text("CO");
    DispatchCall create(list_.Get(), u"CreateSpecies", DISPATCH_METHOD,
                        {nox::testing::MakeVariant(VT_BSTR, name.Get())});
    EXPECT_EQ(create.result.Get().vt, VT_DISPATCH);
    EXPECT_EQ(DispatchCall(list_.Get(), u"count", DISPATCH_PROPERTYGET).result.Get().lVal, 1);
    NoxComPtr<IVxKMCSpecies> species = Item(0);
    EXPECT_EQ(DispatchCall(species.Get(), u"radius", DISPATCH_PROPERTYPUT, {Long(3)}).hr, S_OK);
    EXPECT_EQ(DispatchCall(species.Get(), u"Radius", DISPATCH_PROPERTYGET).result.Get().dblVal, 3.0);
}

TEST(InitialColor, SeedHashesTheSignedBytesOfTheName) {
    EXPECT_EQ(kmc::SpeciesColorSeed("CO"), 67u * 257u + 79u);
    // Each step reduces modulo 1,000,000: 16771, 4310214 → 310214, 79725066 → 725066.
    EXPECT_EQ(kmc::SpeciesColorSeed("ABCD"), 725066u);
    EXPECT_EQ(kmc::SpeciesColorSeed("A\xFF"), 65u * 257u - 1u);  // bytes above 0x7F count as negative
}

// The same name and colours in use give the same colour, opaque and far from those in use.
TEST_F(SpeciesTest, InitialColourIsRepeatableOpaqueAndStandsApartFromTheColoursInUse) {
    NoxComPtr<KMCSpeciesList> other = KMCSpeciesList::Create();
    NoxComPtr<IVxKMCSpecies> mine = Add("CO"), theirs;
    ASSERT_EQ(Create(other.Get(), "CO", &theirs), S_OK);
    const ColorValue alone = Raw(mine).Color();
    EXPECT_EQ(alone, Raw(theirs).Color());
    EXPECT_EQ(alone, kmc::ChooseInitialColor("CO", kmc::ColorSet()));
    EXPECT_EQ(alone.Value() >> 24, 0xFFu);
    // With its own first candidate in use, the choice moves on to a colour far from it.
    const ColorValue moved = kmc::ChooseInitialColor("CO", kmc::ColorSet({alone}));
    double sum = 0;
    for (int c = 0; c < 3; ++c) sum += std::pow((moved.Channel(c) - alone.Channel(c)) / 255.0, 2);
    EXPECT_GE(std::sqrt(sum / 3), 0.2);
    EXPECT_EQ(kmc::ChooseInitialColor("CO", kmc::ColorSet({alone})), moved);
    EXPECT_EQ(Raw(Add("O2")).Color(), kmc::ChooseInitialColor("O2", kmc::ColorSet({alone})));
}

// The colour set finds the nearest colour by cells; it must give the distance a comparison with
// every colour gives, to the last bit, whether the colours are few or many.
TEST(ColorSetTest, DistanceIsTheNearestOfAllColoursExactly) {
    std::mt19937 random(7);
    auto draw = [&] { return ColorValue(0xFF000000u | (random() & 0xFFFFFFu)); };
    auto scaled = [](ColorValue c, int k) { return static_cast<float>(c.Channel(k)) / 255.0f; };
    for (size_t count : {0u, 3u, 256u, 257u, 3000u}) {
        std::vector<ColorValue> colors;
        for (size_t k = 0; k < count; ++k) colors.push_back(draw());
        // Some colours in a corner, so that candidates elsewhere reach far for their nearest.
        for (size_t k = 0; k < count / 10; ++k)
            colors.push_back(ColorValue(0xFF000000u | (random() & 0x0F0F0Fu)));
        const kmc::ColorSet set(colors);
        for (int trial = 0; trial < 200; ++trial) {
            const ColorValue candidate = draw();
            float nearest = 1.0f;
            for (ColorValue color : colors) {
                float sum = 0.0f;
                for (int k = 0; k < 3; ++k)
                    sum +=
                        (scaled(candidate, k) - scaled(color, k)) * (scaled(candidate, k) - scaled(color, k));
                nearest = std::min(nearest, sum / 3.0f);
            }
            ASSERT_EQ(set.Distance(candidate), std::sqrt(nearest)) << count << " colours, trial " << trial;
            // With a bound: exact above it, and never above it otherwise.
            const float beaten = scaled(draw(), 0) / 4.0f;
            const float bounded = set.Distance(candidate, beaten);
            if (std::sqrt(nearest) > beaten)
                ASSERT_EQ(bounded, std::sqrt(nearest)) << count << " colours, trial " << trial;
            else
                ASSERT_LE(bounded, beaten) << count << " colours, trial " << trial;
        }
    }
}

}  // namespace
