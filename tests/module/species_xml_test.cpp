// Saving and loading species lists: what is written and in which order, round trips that keep
// whole colours, absent attributes, and files that are wrong or hostile.
#include <gtest/gtest.h>

#include "species_support.h"
#include "xml/reader.h"
#include "xml/utils.h"
#include "xml/writer.h"

using kmctest::Text;

namespace {

struct LoadOutcome {
    HRESULT code = S_OK;
    std::string description;
};

std::string Save(IDispatch* object) {
    xmlTree tree;
    NoxComPtr<OstrelToXML> writer = OstrelToXML::Create();
    writer->Initialize(&tree);
    EXPECT_EQ(writer->InitializeSaver(Text("ProcessesDocument").Get(), Text("1.0").Get()), S_OK);
    OstrelUtils::SaveXML(object, writer.Get());
    writer->Finalize();
    return tree.SaveString();
}

LoadOutcome Load(IDispatch* object, const std::string& document) {
    std::unique_ptr<xmlTree> tree = xmlTree::ParseString(document);
    NoxComPtr<XMLToOstrel> reader = XMLToOstrel::Create();
    reader->Initialize(tree.get());
    NoxBSTR root, version;
    EXPECT_EQ(reader->InitializeLoader(root.Put(), version.Put()), S_OK);
    try {
        OstrelUtils::LoadXML(object, reader.Get());
        return {};
    } catch (const NoxResult& failure) {
        return {failure.Code(), failure.Description()};
    }
}

std::string Document(const std::string& body) {
    return "<ProcessesDocument Version=\"1.0\">" + body + "</ProcessesDocument>";
}

// A species list element with the given count and species elements.
std::string ListElement(const std::string& count, const std::string& species) {
    return Document("<SpeciesList NumberOfSpecies=\"" + count + "\">" + species + "</SpeciesList>");
}

const char* const kSpecies =
    R"(<Species Name="CO" Category="Adsorbate" Radius="1" Charge="0" Color="FF000000"/>)";

using SpeciesXmlTest = kmctest::SpeciesFixture;

TEST_F(SpeciesXmlTest, WritesTheCountFirstAndTheVacancyAfterTheSpecies) {
    NoxComPtr<IVxKMCSpecies> species = Add("CO");
    species->put_Radius(0.1);
    species->put_Charge(-2);
    species->put_Color(0x00ABCDEF);
    list_->put_EnablingSpecies(Text("CO").Get());
    EXPECT_EQ(
        Save(list_.Get()),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<ProcessesDocument Version=\"1.0\">\n"
        "  <SpeciesList NumberOfSpecies=\"1\" VacancySymbol=\"V\" VacancyColor=\"FF808080\" "
        "NewEnablingSpecies=\"CO\">\n"
        "    <Species Name=\"CO\" Category=\"Adsorbate\" Radius=\"0.1\" Charge=\"-2\" Color=\"FFABCDEF\"/>\n"
        "  </SpeciesList>\n"
        "</ProcessesDocument>\n");
}

TEST_F(SpeciesXmlTest, LoadingAndSavingAgainIsByteIdentical) {
    std::string file = Document(
        R"(<SpeciesList NumberOfSpecies="2" VacancySymbol="Empty" VacancyColor="7F010203" NewEnablingSpecies="o">)"
        R"(<Species Name="O" Category="Substrate" Radius="0.30000000000000004" Charge="2147483647" Color="00ABCDEF"/>)"
        R"(<Species Name="1bad name" Category="" Radius="-1e-300" Charge="-3" Color="12345678"/>)"
        R"(</SpeciesList>)");
    ASSERT_EQ(Load(list_.Get(), file).description, "");
    std::string saved = Save(list_.Get());
    NoxComPtr<KMCSpeciesList> again = KMCSpeciesList::Create();
    ASSERT_EQ(Load(again.Get(), saved).description, "");
    EXPECT_EQ(Save(again.Get()), saved);
    EXPECT_EQ(saved, xmlTree::ParseString(file)->SaveString());

    double radius = 0;
    LONG color = 0;
    Item(0)->get_Radius(&radius);
    Item(1)->get_Color(&color);
    EXPECT_EQ(radius, 0.30000000000000004);
    EXPECT_EQ(color, 0x345678);
    EXPECT_EQ(Raw(Item(1)).Color().Value(), 0x12345678u);
}

TEST_F(SpeciesXmlTest, AbsentAttributesReadAsEmptyValues) {
    ASSERT_EQ(Load(list_.Get(), ListElement("1", "<Species Name=\"CO\"/>")).description, "");
    NoxComPtr<IVxKMCSpecies> species = Item(0);
    LONG charge = -1, color = -1;
    double radius = -1;
    NoxBSTR category, symbol;
    species->get_Charge(&charge);
    species->get_Color(&color);
    species->get_Radius(&radius);
    species->get_Category(category.Put());
    list_->get_VacancySymbol(symbol.Put());
    EXPECT_EQ(charge, 0);
    EXPECT_EQ(radius, 0.0);
    EXPECT_EQ(color, 0);
    EXPECT_EQ(category.ToTString(), "");
    EXPECT_EQ(symbol.ToTString(), "");
    EXPECT_EQ(Raw(species).Color(), KMCSpecies::kInitialColor);
    list_->get_VacancyColor(&color);
    EXPECT_EQ(color, 0x808080);
}

TEST_F(SpeciesXmlTest, FailedLoadsNameTheirStepAndLeaveTheListAsItWas) {
    NoxComPtr<IVxKMCSpecies> kept = Add("Kept");
    struct Case {
        std::string file;
        std::string description;
    };
    const std::string badColor = R"(<Species Name="CO" Color="red"/>)";
    for (const Case& c : {
             Case{Document(""), "Failed to open SpeciesList element"},
             Case{Document("<Lattice/>"), "Failed to open SpeciesList element"},
             Case{ListElement("2", kSpecies), "Failed to open Species element"},
             Case{ListElement("2147483647", kSpecies), "Failed to open Species element"},
             Case{ListElement("1", std::string(kSpecies) + kSpecies),
                  "Unexpected children found for the SpeciesList element"},
             Case{ListElement("-5", kSpecies), "Unexpected children found for the SpeciesList element"},
             Case{ListElement("1", "<Process/>"), "Failed to open Species element"},
             Case{ListElement("1", badColor), "Failed to obtain Color attribute from Species element"},
             Case{Document(R"(<SpeciesList VacancyColor="FF80808"/>)"),
                  "Failed to obtain VacancyColor attribute from SpeciesList element"},
         }) {
        LoadOutcome outcome = Load(list_.Get(), c.file);
        EXPECT_EQ(outcome.code, E_UNEXPECTED) << c.file;
        EXPECT_EQ(outcome.description, c.description) << c.file;
        EXPECT_EQ(Names(), (std::vector<std::string>{"Kept"})) << c.file;
    }
    EXPECT_EQ(Item(0), kept);
    EXPECT_EQ(Raw(kept).ParentDocument(), &document_);
}

TEST_F(SpeciesXmlTest, TextWhereNumbersBelongReadsAsZero) {
    ASSERT_EQ(Load(list_.Get(), ListElement("many", "")).description, "");
    EXPECT_TRUE(Names().empty());
    std::string species = R"(<Species Name="CO" Radius="wide" Charge="9999999999999"/>)";
    ASSERT_EQ(Load(list_.Get(), ListElement("1", species)).description, "");
    double radius = -1;
    Item(0)->get_Radius(&radius);
    EXPECT_EQ(radius, 0.0);
}

TEST_F(SpeciesXmlTest, LoadedNamesAreTakenAsTheyAreButCloningChecksThem) {
    std::string twins = R"(<Species Name="CO"/><Species Name="co"/>)";
    ASSERT_EQ(Load(list_.Get(), ListElement("2", twins)).description, "");
    EXPECT_EQ(Names(), (std::vector<std::string>{"CO", "co"}));
    NoxComPtr<KMCSpeciesList> copy = KMCSpeciesList::Create();
    EXPECT_EQ(copy->Clone(list_.Get()), E_UNEXPECTED);
    EXPECT_TRUE(Names(copy.Get()).empty());
}

}  // namespace
