// The species list: naming rules, lookups, the enabling species, removal, copying and
// comparison, through its interface and by name.
#include <gtest/gtest.h>

#include "species_support.h"

using kmctest::SpeciesValues;
using kmctest::TakeErrorDescription;
using kmctest::Text;
using kmctest::ValuesOf;
using ::testing::Return;
using NameList = std::vector<std::string>;

namespace {

class SpeciesListTest : public kmctest::SpeciesFixture {
protected:
    using SpeciesFixture::Create;
    HRESULT Create(const char* name) { return Create(list_.Get(), name); }
};

TEST_F(SpeciesListTest, StartsEmptyWithTheDefaultVacancy) {
    LONG color = 0;
    EXPECT_EQ(list_->get_VacancyColor(&color), S_OK);
    EXPECT_EQ(color, 0x808080);
    EXPECT_TRUE(Names().empty());
    EXPECT_EQ(Read(&IVxKMCSpeciesList::get_VacancySymbol), "V");
    EXPECT_EQ(Read(&IVxKMCSpeciesList::get_EnablingSpecies), "");
}

TEST_F(SpeciesListTest, NamesAreIdentifiersUniqueWithoutRegardToCase) {
    for (const char* bad : {"", "1H", "_H", "H-2", " H", "H ", "\xC3\x9C"}) {
        EXPECT_EQ(Create(bad), E_UNEXPECTED) << bad;
        EXPECT_EQ(
            TakeErrorDescription(),
            "Species names must start with a letter, and must contain only alphabetic characters, numeric "
            "characters or _.");
        EXPECT_EQ(list_->put_VacancySymbol(Text(bad).Get()), E_UNEXPECTED) << bad;
        EXPECT_EQ(
            TakeErrorDescription(),
            "Vacancy symbol must start with a letter, and must contain only alphabetic characters, numeric "
            "characters or _.");
    }
    for (const char* good : {"H", "h2", "O_2"}) EXPECT_EQ(Create(good), S_OK) << good;
    EXPECT_EQ(Create("o_2"), E_UNEXPECTED);
    EXPECT_EQ(
        TakeErrorDescription(),
        "Requested species already exists in the species list.\nSpecies names in Lumetra documents are case "
        "insensitive.");
    EXPECT_EQ(Create("H"), E_UNEXPECTED);
    EXPECT_EQ(TakeErrorDescription(), "Requested species already exists in the species list.");
    EXPECT_CALL(document_, CanEdit()).WillOnce(Return(NoxResult(E_ACCESSDENIED, "Read only.")));
    EXPECT_EQ(Create("N2"), E_ACCESSDENIED);
    EXPECT_EQ(Names(), (NameList{"H", "h2", "O_2"}));
    EXPECT_EQ(Read(&IVxKMCSpeciesList::get_VacancySymbol), "V");
}

TEST_F(SpeciesListTest, ItemsAreFoundByIndexAndByTrimmedNameInAnyCase) {
    NoxComPtr<IVxKMCSpecies> co = Add("CO"), found;
    Add("O2");
    for (LONG bad : {-1, 2}) {
        EXPECT_EQ(list_->get_Item(bad, found.Put()), E_UNEXPECTED);
        EXPECT_EQ(TakeErrorDescription(), "Index into species list is invalid.");
    }
    EXPECT_EQ(list_->get_ItemByName(Text(" \tco ").Get(), found.Put()), S_OK);
    EXPECT_EQ(found, co);
    EXPECT_EQ(list_->get_ItemByName(Text("C").Get(), found.Put()), S_OK);
    EXPECT_FALSE(found);
    VARIANT_BOOL exists = VARIANT_FALSE;
    EXPECT_EQ(list_->get_SpeciesExists(Text("o2").Get(), &exists), S_OK);
    EXPECT_EQ(exists, VARIANT_TRUE);
}

TEST_F(SpeciesListTest, EnablingSpeciesIsASpeciesAsSpelledOrTheVacancy) {
    Add("CO");
    for (auto [given, stored] : {std::pair{"co", "co"}, {"V", "V"}, {"v", ""}, {"N2", ""}}) {
        EXPECT_EQ(list_->put_EnablingSpecies(Text(given).Get()), S_OK);
        EXPECT_EQ(Read(&IVxKMCSpeciesList::get_EnablingSpecies), stored) << given;
    }
}

TEST_F(SpeciesListTest, RemovalFindsLooselyButRemovesOnlyTheExactName) {
    for (const char* name : {"CO", "O2", "N2"}) Add(name);
    NoxComPtr<IVxKMCSpecies> o2 = Item(1);
    VARIANT_BOOL canRemove = VARIANT_FALSE;
    EXPECT_EQ(list_->get_CanRemoveSpecies(Text("CO").Get(), &canRemove), S_OK);
    EXPECT_EQ(canRemove, VARIANT_TRUE);  // no process or interaction list is linked
    EXPECT_EQ(list_->RemoveSpecies(Text("co").Get()), E_UNEXPECTED);
    EXPECT_EQ(TakeErrorDescription(), "Unable to delete the requested species.");
    EXPECT_EQ(list_->RemoveSpecies(Text("H2").Get()), E_UNEXPECTED);
    EXPECT_EQ(TakeErrorDescription(), "Species requested for deletion can not be found.");
    EXPECT_CALL(document_, SetModified(true)).Times(1);
    EXPECT_EQ(list_->RemoveSpecies(Text("O2").Get()), S_OK);
    EXPECT_EQ(Names(), (NameList{"CO", "N2"}));
    EXPECT_EQ(Raw(o2).ParentDocument(), nullptr);
    EXPECT_EQ(list_->ClearSpeciesList(), S_OK);
    EXPECT_TRUE(Names().empty());
}

TEST_F(SpeciesListTest, CloneCopiesEverySpeciesAndTheVacancyIntoAnEmptyList) {
    NoxComPtr<KMCSpeciesList> source = KMCSpeciesList::Create();
    NoxComPtr<IVxKMCSpecies> last;
    for (const char* name : {"CO", "O2", "N2"}) Create(source.Get(), name, &last);
    last->put_Radius(0.5);
    last->put_Charge(-2);
    last->put_Color(0x123456);
    last->put_Category(Text("Substrate").Get());
    source->put_VacancySymbol(Text("Empty").Get());
    source->put_VacancyColor(0x010101);
    source->put_EnablingSpecies(Text("co").Get());

    ASSERT_EQ(list_->Clone(source.Get()), S_OK) << TakeErrorDescription();
    EXPECT_EQ(Names(), Names(source.Get()));
    EXPECT_EQ(ValuesOf(Item(2).Get()), (SpeciesValues{"N2", "Substrate", 0.5, -2, 0x123456}));
    LONG color = 0;
    list_->get_VacancyColor(&color);
    EXPECT_EQ(color, 0x010101);
    EXPECT_EQ(Read(&IVxKMCSpeciesList::get_VacancySymbol), "Empty");
    EXPECT_EQ(Read(&IVxKMCSpeciesList::get_EnablingSpecies), "co");

    EXPECT_EQ(list_->Clone(source.Get()), E_UNEXPECTED);
    EXPECT_EQ(TakeErrorDescription(), "Clone method can only be used on an empty Species List");
    EXPECT_EQ(Names().size(), 3u);
    EXPECT_EQ(list_->Clone(nullptr), E_INVALIDARG);
    EXPECT_EQ(TakeErrorDescription(), "No source list suppliced for KMCSpeciesList::Clone");
}

TEST_F(SpeciesListTest, ConsistencyComparesCategoriesOfSharedSpecies) {
    NoxComPtr<KMCSpeciesList> processes = KMCSpeciesList::Create();
    NoxComPtr<IVxKMCSpecies> co;
    Add("CO");
    Add("O2");
    Create(processes.Get(), "co", &co);
    VARIANT_BOOL consistent = VARIANT_FALSE;
    NoxBSTR message;
    EXPECT_EQ(list_->IsConsistent(processes.Get(), &consistent, message.Put()), S_OK);
    EXPECT_EQ(consistent, VARIANT_TRUE);  // O2, missing from the other list, is no inconsistency
    EXPECT_EQ(message.ToTString(), "");
    co->put_Category(Text("Substrate").Get());
    EXPECT_EQ(list_->IsConsistent(processes.Get(), &consistent, message.Put()), S_OK);
    EXPECT_EQ(consistent, VARIANT_FALSE);
    EXPECT_EQ(
        message.ToTString(),
        "Species CO has different categories in the configuration document and the the processes document.");
    EXPECT_EQ(list_->IsConsistent(processes.Get(), &consistent, nullptr), E_POINTER);
}

TEST_F(SpeciesListTest, MembersAnswerByName) {
    kmctest::DispatchCall create, item, count;
    NoxBSTR name = Text("CO");
    kmctest::CallByName(create, list_.Get(), u"CreateSpecies", DISPATCH_METHOD, {kmctest::Bstr(name.Get())});
    kmctest::CallByName(item, list_.Get(), u"Item", DISPATCH_PROPERTYGET, {kmctest::Long(3)});
    kmctest::CallByName(count, list_.Get(), u"count", DISPATCH_PROPERTYGET, {});
    EXPECT_EQ(create.result.Get().vt, VT_DISPATCH);
    EXPECT_EQ(item.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(item.Description(), "Index into species list is invalid.");
    EXPECT_EQ(count.result.Get().lVal, 1);
}

}  // namespace
