// The species list: naming rules, lookups, the enabling species, removal, copying and
// comparison, through its interface and by name.
#include <gtest/gtest.h>

#include "species_support.h"

using kmctest::TakeErrorDescription;
using kmctest::Text;
using ::testing::Return;

namespace {

class SpeciesListTest : public kmctest::SpeciesFixture {
protected:
    std::string Read(HRESULT (IVxKMCSpeciesList::*get)(BSTR*)) {
        NoxBSTR text;
        EXPECT_EQ((list_.Get()->*get)(text.Put()), S_OK);
        return text.ToTString();
    }
};

TEST_F(SpeciesListTest, StartsEmptyWithTheDefaultVacancy) {
    LONG count = -1, color = 0;
    EXPECT_EQ(list_->get_Count(&count), S_OK);
    EXPECT_EQ(list_->get_VacancyColor(&color), S_OK);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(color, 0x808080);
    EXPECT_EQ(Read(&IVxKMCSpeciesList::get_VacancySymbol), "V");
    EXPECT_EQ(Read(&IVxKMCSpeciesList::get_EnablingSpecies), "");
}

TEST_F(SpeciesListTest, NamesMustBeIdentifiers) {
    for (const char* bad : {"", "1H", "_H", "H-2", " H", "H ", "Ü"}) {
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
    EXPECT_EQ(Names(), (std::vector<std::string>{"H", "h2", "O_2"}));
    EXPECT_EQ(Read(&IVxKMCSpeciesList::get_VacancySymbol), "V");
}

TEST_F(SpeciesListTest, NamesAreUniqueWithoutRegardToCase) {
    ASSERT_EQ(Create("CO"), S_OK);
    EXPECT_EQ(Create("co"), E_UNEXPECTED);
    EXPECT_EQ(
        TakeErrorDescription(),
        "Requested species already exists in the species list.\nSpecies names in Lumetra documents are case "
        "insensitive.");
    EXPECT_EQ(Create("CO"), E_UNEXPECTED);
    EXPECT_EQ(TakeErrorDescription(), "Requested species already exists in the species list.");
    EXPECT_EQ(Names(), (std::vector<std::string>{"CO"}));
}

TEST_F(SpeciesListTest, RefusedCreationAddsNothing) {
    EXPECT_CALL(document_, CanEdit()).WillOnce(Return(NoxResult(E_ACCESSDENIED, "Read only.")));
    EXPECT_EQ(Create("CO"), E_ACCESSDENIED);
    EXPECT_EQ(TakeErrorDescription(), "Read only.");
    EXPECT_TRUE(Names().empty());
}

TEST_F(SpeciesListTest, ItemsAreFoundByIndexAndByTrimmedNameInAnyCase) {
    Create("CO");
    Create("O2");
    NoxComPtr<IVxKMCSpecies> found;
    for (LONG bad : {-1, 2}) {
        EXPECT_EQ(list_->get_Item(bad, found.Put()), E_UNEXPECTED);
        EXPECT_EQ(TakeErrorDescription(), "Index into species list is invalid.");
        EXPECT_FALSE(found);
    }
    NoxComPtr<IVxKMCSpecies> first;
    list_->get_Item(0, first.Put());
    EXPECT_EQ(list_->get_ItemByName(Text(" \tco ").Get(), found.Put()), S_OK);
    EXPECT_EQ(found, first);
    EXPECT_EQ(list_->get_ItemByName(Text("N2").Get(), found.Put()), S_OK);
    EXPECT_FALSE(found);
    VARIANT_BOOL exists = VARIANT_FALSE;
    EXPECT_EQ(list_->get_SpeciesExists(Text("o2").Get(), &exists), S_OK);
    EXPECT_EQ(exists, VARIANT_TRUE);
    list_->get_SpeciesExists(Text("C").Get(), &exists);
    EXPECT_EQ(exists, VARIANT_FALSE);
}

TEST_F(SpeciesListTest, EnablingSpeciesIsASpeciesAsSpelledOrTheVacancy) {
    Create("CO");
    struct Case {
        const char* given;
        const char* stored;
    };
    for (const Case& c :
         {Case{"co", "co"}, Case{"V", "V"}, Case{"v", ""}, Case{"N2", ""}, Case{"CO", "CO"}}) {
        EXPECT_EQ(list_->put_EnablingSpecies(Text(c.given).Get()), S_OK);
        EXPECT_EQ(Read(&IVxKMCSpeciesList::get_EnablingSpecies), c.stored) << c.given;
    }
}

TEST_F(SpeciesListTest, RemovalFindsLooselyButRemovesOnlyTheExactName) {
    for (const char* name : {"CO", "O2", "N2"}) Create(name);
    VARIANT_BOOL canRemove = VARIANT_FALSE;
    EXPECT_EQ(list_->get_CanRemoveSpecies(Text("CO").Get(), &canRemove), S_OK);
    EXPECT_EQ(canRemove, VARIANT_TRUE);  // no process or interaction list is linked
    EXPECT_EQ(list_->RemoveSpecies(Text("co").Get()), E_UNEXPECTED);
    EXPECT_EQ(TakeErrorDescription(), "Unable to delete the requested species.");
    EXPECT_EQ(list_->RemoveSpecies(Text("H2").Get()), E_UNEXPECTED);
    EXPECT_EQ(TakeErrorDescription(), "Species requested for deletion can not be found.");
    EXPECT_CALL(document_, SetModified(true)).Times(1);
    EXPECT_EQ(list_->RemoveSpecies(Text("O2").Get()), S_OK);
    EXPECT_EQ(Names(), (std::vector<std::string>{"CO", "N2"}));
    EXPECT_FALSE(list_->RemoveSpecies(std::string("O2")));
    EXPECT_EQ(list_->ClearSpeciesList(), S_OK);
    EXPECT_TRUE(Names().empty());
}

TEST_F(SpeciesListTest, CloneCopiesEverySpeciesAndTheVacancy) {
    NoxComPtr<KMCSpeciesList> source = KMCSpeciesList::Create();
    for (const char* name : {"CO", "O2", "N2"}) Create(source.Get(), name);
    NoxComPtr<IVxKMCSpecies> o2;
    source->get_Item(1, o2.Put());
    o2->put_Radius(0.5);
    o2->put_Charge(-2);
    o2->put_Color(0x123456);
    o2->put_Category(Text("Substrate").Get());
    source->put_VacancySymbol(Text("Empty").Get());
    source->put_VacancyColor(0x010101);
    source->put_EnablingSpecies(Text("co").Get());

    ASSERT_EQ(list_->Clone(source.Get()), S_OK) << TakeErrorDescription();
    EXPECT_EQ(Names(), Names(source.Get()));
    NoxComPtr<IVxKMCSpecies> copy;
    list_->get_Item(1, copy.Put());
    double radius = 0;
    LONG charge = 0, color = 0;
    copy->get_Radius(&radius);
    copy->get_Charge(&charge);
    copy->get_Color(&color);
    EXPECT_EQ(radius, 0.5);
    EXPECT_EQ(charge, -2);
    EXPECT_EQ(color, 0x123456);
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
    for (const char* name : {"CO", "O2"}) Create(name);
    Create(processes.Get(), "co");
    VARIANT_BOOL consistent = VARIANT_FALSE;
    NoxBSTR message;
    EXPECT_EQ(list_->IsConsistent(processes.Get(), &consistent, message.Put()), S_OK);
    EXPECT_EQ(consistent, VARIANT_TRUE);  // O2 missing from the other list is no inconsistency
    EXPECT_EQ(message.ToTString(), "");

    NoxComPtr<IVxKMCSpecies> co;
    processes->get_Item(0, co.Put());
    co->put_Category(Text("Substrate").Get());
    EXPECT_EQ(list_->IsConsistent(processes.Get(), &consistent, message.Put()), S_OK);
    EXPECT_EQ(consistent, VARIANT_FALSE);
    EXPECT_EQ(
        message.ToTString(),
        "Species CO has different categories in the configuration document and the the processes document.");
    EXPECT_EQ(list_->IsConsistent(processes.Get(), &consistent, nullptr), E_POINTER);
    EXPECT_EQ(consistent, VARIANT_FALSE);
}

TEST_F(SpeciesListTest, MembersAnswerByName) {
    kmctest::DispatchCall create;
    kmctest::CallByName(create, list_.Get(), u"CreateSpecies", DISPATCH_METHOD,
                        {kmctest::Bstr(Text("CO").Get())});
    ASSERT_EQ(create.hr, S_OK);
    EXPECT_EQ(create.result.Get().vt, VT_DISPATCH);
    kmctest::DispatchCall item;
    kmctest::CallByName(item, list_.Get(), u"Item", DISPATCH_PROPERTYGET, {kmctest::Long(3)});
    EXPECT_EQ(item.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(item.Description(), "Index into species list is invalid.");
    kmctest::DispatchCall count;
    kmctest::CallByName(count, list_.Get(), u"count", DISPATCH_PROPERTYGET, {});
    EXPECT_EQ(count.result.Get().lVal, 1);
}

}  // namespace
