// Saving and loading species lists: what is written and in which order, round trips that keep
// whole colours, absent attributes, and files that are wrong or hostile.
#include <gtest/gtest.h>

#include "support.h"

using namespace kmctest;
using NameList = std::vector<std::string>;

namespace {

// The description of the load's failure; empty when it succeeds.
std::string LoadDocument(IDispatch* object, const std::string& document) {
    auto [code, description] = LoadXml(object, document);
    EXPECT_EQ(code, description.empty() ? S_OK : E_UNEXPECTED);
    return description;
}

std::string Load(IDispatch* object, const std::string& body) {
    return LoadDocument(object, "<ProcessesDocument>" + body + "</ProcessesDocument>");
}

std::string ListElement(const std::string& count, const std::string& species) {
    return "<SpeciesList NumberOfSpecies=\"" + count + "\">" + species + "</SpeciesList>";
}

const std::string kSpecies = R"(<Species Name="CO" Color="FF000000"/>)";

using SpeciesXmlTest = SpeciesFixture;

TEST_F(SpeciesXmlTest, WritesTheCountFirstAndTheVacancyAfterTheSpecies) {
    NoxComPtr<IVxKMCSpecies> species = Add("CO");
    EXPECT_EQ(species->put_Radius(0.1), S_OK);
    EXPECT_EQ(species->put_Charge(-2), S_OK);
    EXPECT_EQ(species->put_Color(0x00ABCDEF), S_OK);
    EXPECT_EQ(list_->put_EnablingSpecies(Text("CO").Get()), S_OK);
    EXPECT_EQ(
        SaveXml(list_.Get()),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<ProcessesDocument Version=\"1.0\">\n"
        "  <SpeciesList NumberOfSpecies=\"1\" VacancySymbol=\"V\" VacancyColor=\"FF808080\" "
        "NewEnablingSpecies=\"CO\">\n"
        "    <Species Name=\"CO\" Category=\"Adsorbate\" Radius=\"0.1\" Charge=\"-2\" Color=\"FFABCDEF\"/>\n"
        "  </SpeciesList>\n"
        "</ProcessesDocument>\n");
}

TEST_F(SpeciesXmlTest, LoadingAndSavingAgainIsByteIdentical) {
    std::string list =
        R"(<SpeciesList NumberOfSpecies="2" VacancySymbol="Empty" VacancyColor="7F010203" NewEnablingSpecies="o">)"
        R"(<Species Name="O" Category="Substrate" Radius="0.30000000000000004" Charge="2147483647" Color="00ABCDEF"/>)"
        R"(<Species Name="1bad name" Category="" Radius="-1e-300" Charge="-3" Color="12345678"/></SpeciesList>)";
    ASSERT_EQ(Load(list_.Get(), list), "");
    std::string saved = SaveXml(list_.Get());
    NoxComPtr<KMCSpeciesList> again = KMCSpeciesList::Create();
    ASSERT_EQ(LoadDocument(again.Get(), saved), "");
    EXPECT_EQ(SaveXml(again.Get()), saved);
    EXPECT_EQ(ValuesOf(Item(0).Get()),
              (SpeciesValues{"O", "Substrate", 0.30000000000000004, 2147483647, 0xABCDEF}));
    EXPECT_EQ(Raw(Item(1)).Color().Value(), 0x12345678u);
    EXPECT_NE(saved.find("VacancyColor=\"7F010203\""), std::string::npos);
}

TEST_F(SpeciesXmlTest, AbsentAttributesReadAsEmptyValues) {
    ASSERT_EQ(Load(list_.Get(), ListElement("many", "")), "");  // text where a number belongs reads 0
    ASSERT_EQ(Load(list_.Get(), ListElement("1", "<Species/>")), "");
    EXPECT_EQ(ValuesOf(Item(0).Get()), (SpeciesValues{"", "", 0.0, 0, 0}));
    EXPECT_EQ(Raw(Item(0)).Color(), KMCSpecies::kInitialColor);
    EXPECT_EQ(Read(&IVxKMCSpeciesList::get_VacancySymbol), "");
    LONG color = 0;
    EXPECT_EQ(list_->get_VacancyColor(&color), S_OK);
    EXPECT_EQ(color, 0x808080);
}

TEST_F(SpeciesXmlTest, FailedLoadsNameTheirStepAndLeaveTheListAsItWas) {
    NoxComPtr<IVxKMCSpecies> kept = Add("Kept");
    for (auto [file, description] : {
             std::pair<std::string, std::string>{"", "Failed to open SpeciesList element"},
             {"<Lattice/>", "Failed to open SpeciesList element"},
             {ListElement("2", kSpecies), "Failed to open Species element"},
             {ListElement("2147483647", kSpecies), "Failed to open Species element"},
             {ListElement("1", kSpecies + kSpecies), "Unexpected children found for the SpeciesList element"},
             {ListElement("-5", kSpecies), "Unexpected children found for the SpeciesList element"},
             {ListElement("1", "<Process/>"), "Failed to open Species element"},
             {ListElement("1", R"(<Species Color="red"/>)"),
              "Failed to obtain Color attribute from Species element"},
             {R"(<SpeciesList VacancyColor="FF80808"/>)",
              "Failed to obtain VacancyColor attribute from SpeciesList element"},
         }) {
        EXPECT_EQ(Load(list_.Get(), file), description) << file;
        EXPECT_EQ(Names(), (NameList{"Kept"})) << file;
    }
    EXPECT_EQ(Item(0), kept);
    EXPECT_EQ(Raw(kept).ParentDocument(), &document_);
}

TEST_F(SpeciesXmlTest, LoadedNamesAreTakenAsTheyAreButCloningChecksThem) {
    ASSERT_EQ(Load(list_.Get(), ListElement("2", R"(<Species Name="CO"/><Species Name="co"/>)")), "");
    EXPECT_EQ(Names(), (NameList{"CO", "co"}));
    NoxComPtr<KMCSpeciesList> copy = KMCSpeciesList::Create();
    EXPECT_EQ(copy->Clone(list_.Get()), E_UNEXPECTED);
    EXPECT_TRUE(Names(copy.Get()).empty());
}

}  // namespace
