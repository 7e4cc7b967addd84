// A process: its initialisation to each type, the order of checks in its setters, the rate
// quantities, the sites in play, site management, and its element.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <regex>

#include "nox/locale.h"
#include "process_support.h"

using namespace kmctest;
using ::testing::Return;

namespace {

const Outcome kNotInitialised(E_UNEXPECTED, "Lumetra Process has not been initialised.");

struct SiteShape {
    vxKMCActiveSiteType type;
    std::string address;
    friend bool operator==(const SiteShape&, const SiteShape&) = default;
};

std::vector<SiteShape> AllActiveSites(KMCProcess& process) {
    std::vector<SiteShape> shapes;
    for (size_t k = 0; k < process.NumActiveSites(); ++k) {
        const KMCActiveSite& site = process.ActiveSiteInPlay(k);
        shapes.push_back({site.Type(), site.AddressText()});
    }
    return shapes;
}

using ProcessTest = ModelFixture;

TEST_F(ProcessTest, ANewProcessIsUndefinedAndRefusesEveryEdit) {
    NoxComPtr<IVxKMCProcess> process = NewProcess("Undefined");
    vxKMCProcessType type = vxKMCProcessTypeGeneral;
    vxKMCRateSpecificationType specification = vxKMCRateSpecificationTypeRates;
    LONG priority = 0;
    EXPECT_EQ(process->get_Type(&type), S_OK);
    EXPECT_EQ(process->get_SpecificationType(&specification), S_OK);
    EXPECT_EQ(process->get_Priority(&priority), S_OK);
    EXPECT_EQ(std::make_tuple(type, specification, priority),
              std::make_tuple(vxKMCProcessTypeUndefined, vxKMCRateSpecificationTypeArrhenius, 1));
    EXPECT_EQ(Read(process.Get(), &IVxKMCProcess::get_Identifier), "NewProcess");
    EXPECT_EQ(Read(process.Get(), &IVxKMCProcess::get_Prefactor), "1.00000e13");
    NoxComPtr<IVxKMCActiveSite> site;
    NoxComPtr<IVxKMCBlockingSite> enabling;
    LONG count = 0;
    for (const std::function<HRESULT()>& edit : std::vector<std::function<HRESULT()>>{
             [&] { return process->put_Description(Text("x").Get()); },
             [&] { return process->put_Identifier(Text("A").Get()); },
             [&] { return process->put_Rate(Text("2").Get()); }, [&] { return process->put_Priority(2); },
             [&] { return process->put_Enabled(VARIANT_FALSE); }, [&] { return process->put_BronstedPolanyi(0.2); },
             [&] { return process->get_NumberActiveSites(&count); },
             [&] { return process->AddActiveSite(vxKMCActiveSiteTypeSource, site.Put()); },
             [&] { return process->AddBlockingSite(enabling.Put()); }, [&] { return process->RemoveBlockingSite(0); }})
        EXPECT_EQ(Result(edit()), kNotInitialised);
}

TEST_F(ProcessTest, EachTypeStartsWithItsDefaultSitesAndFactor) {
    const SiteShape source00{vxKMCActiveSiteTypeSource, "( 0 , 0 / 1 )"},
        source10{vxKMCActiveSiteTypeSource, "( 1 , 0 / 1 )"},
        destination00{vxKMCActiveSiteTypeDestination, "( 0 , 0 / 1 )"},
        destination10{vxKMCActiveSiteTypeDestination, "( 1 , 0 / 1 )"},
        destination01{vxKMCActiveSiteTypeDestination, "( 0 , 1 / 1 )"};
    const std::tuple<const char*, std::vector<SiteShape>, double> types[] = {
        {"Adsorption", {destination00, destination10}, 0.0},
        {"Desorption", {source00, source10}, 1.0},
        {"Diffusion", {source00, destination10}, 0.5},
        {"Association", {source00, source10, destination01}, 0.0},
        {"Dissociation", {source00, destination10, destination01}, 1.0},
        {"Reaction", {}, 0.5},
        {"General", {}, 0.5},
    };
    for (const auto& [type, sites, factor] : types) {
        NoxComPtr<IVxKMCProcess> process = NewProcess(type);
        KMCProcess& raw = KMCProcess::FromInterface(process.Get());
        ASSERT_EQ(raw.put_IsAssociative(VARIANT_TRUE), S_OK);  // so that both default sites are in play
        double bronstedPolanyi = -1;
        EXPECT_EQ(process->get_BronstedPolanyi(&bronstedPolanyi), S_OK);
        EXPECT_EQ(Read(process.Get(), &IVxKMCProcess::get_TypeAsString), type);
        EXPECT_EQ(AllActiveSites(raw), sites) << type;
        EXPECT_EQ(bronstedPolanyi, factor) << type;
        EXPECT_EQ(Result(process->Initialise(vxKMCProcessTypeGeneral)),
                  Outcome(E_UNEXPECTED, "Lumetra Process has already been initialised."));
    }
}

TEST_F(ProcessTest, InitialisationTakesOnlyAKnownTypeOnce) {
    NoxComPtr<IVxKMCProcess> process = NewProcess("Undefined");
    EXPECT_EQ(Result(process->InitialiseFromString(Text("diffusion").Get())),
              Outcome(E_UNEXPECTED, "Input process type is invalid in KMCProcess::InitialiseFromString"));
    EXPECT_EQ(process->InitialiseFromString(Text("Undefined").Get()), S_OK);
    EXPECT_EQ(Result(process->Initialise(vxKMCProcessTypeUndefined)),
              Outcome(E_UNEXPECTED, "Lumetra Process must not be initialised to Undefined."));
    EXPECT_EQ(Result(process->Initialise(static_cast<vxKMCProcessType>(8))),
              Outcome(E_UNEXPECTED, "Input process type is invalid in KMCProcess::Initialise"));
    EXPECT_EQ(KMCProcess::FromInterface(process.Get()).Type(), vxKMCProcessTypeUndefined);
    // A second type asked by text is ignored; a document that refuses the edit is not.
    EXPECT_EQ(process->InitialiseFromString(Text("Reaction").Get()), S_OK);
    EXPECT_EQ(process->InitialiseFromString(Text("Diffusion").Get()), S_OK);
    EXPECT_EQ(Read(process.Get(), &IVxKMCProcess::get_TypeAsString), "Reaction");
    NoxComPtr<IVxKMCProcess> refused = NewProcess("Undefined");
    EXPECT_CALL(document_, CanEdit())
        .WillOnce(Return(NoxResult(E_ACCESSDENIED, "Read-only.")))
        .WillRepeatedly(Return(NoxResult()));
    EXPECT_EQ(Result(refused->InitialiseFromString(Text("Reaction").Get())),
              Outcome(E_ACCESSDENIED, "Read-only."));
    // While the document loads, the element brings the sites and the factor.
    EXPECT_CALL(document_, IsLoading()).WillRepeatedly(Return(true));
    NoxComPtr<IVxKMCProcess> loading = NewProcess("Diffusion");
    double factor = 0;
    EXPECT_EQ(loading->get_BronstedPolanyi(&factor), S_OK);
    EXPECT_EQ(factor, 1.0);
    EXPECT_TRUE(AllActiveSites(KMCProcess::FromInterface(loading.Get())).empty());
}

// Setters ask the document first, then whether the process is initialised, then check the value;
// a refused value changes nothing and marks nothing.
TEST_F(ProcessTest, SettersCheckTheDocumentThenTheStateThenTheValue) {
    NoxComPtr<IVxKMCProcess> process = NewProcess("Diffusion");
    const std::tuple<std::function<HRESULT()>, Outcome> refusals[] = {
        {[&] { return process->put_Identifier(Text("2A").Get()); },
         {E_UNEXPECTED,
          "Process identifiers must start with a letter, and must contain only alphabetic characters, numeric "
          "characters or _."}},
        {[&] { return process->put_Identifier(Text("A-B").Get()); },
         {E_UNEXPECTED,
          "Process identifiers must start with a letter, and must contain only alphabetic characters, numeric "
          "characters or _."}},
        {[&] { return process->put_Prefactor(Text("0").Get()); }, {E_UNEXPECTED, "Numeric value must be positive"}},
        {[&] { return process->put_Rate(Text("").Get()); }, {E_UNEXPECTED, "Input expression is empty."}},
        {[&] { return process->put_ActivationEnergy(Text("-1").Get()); },
         {E_UNEXPECTED, "Numeric value must not be negative"}},
        {[&] { return process->put_PressureFactor(Text("inf").Get()); },
         {E_UNEXPECTED, "Input expression must be numeric."}},
        {[&] { return process->put_BronstedPolanyi(1.5); },
         {E_UNEXPECTED, "Bronsted-Polanyi factor should have a value between 0.0 and 1.0."}},
        {[&] { return process->put_BronstedPolanyi(std::nan("")); },
         {E_UNEXPECTED, "Bronsted-Polanyi factor should have a value between 0.0 and 1.0."}},
        {[&] { return process->put_Priority(0); }, {E_UNEXPECTED, "Priority must be positive."}},
        {[&] { return process->put_InteractionCutoff(HUGE_VAL); },
         {E_INVALIDARG, "Process interaction cutoff must be a finite number."}},
        {[&] { return process->put_SpecificationType(static_cast<vxKMCRateSpecificationType>(3)); },
         {E_UNEXPECTED, "Input specification type is invalid in KMCProcess::put_SpecificationType"}},
        {[&] { return process->put_Description(Text("a\x01").Get()); },
         {E_INVALIDARG, "Invalid process description: U+0001 at offset 1 is not allowed in XML"}},
    };
    const std::string before = SaveXml(processes_.Get());
    EXPECT_CALL(document_, SetModified).Times(0);
    for (const auto& [edit, refusal] : refusals) EXPECT_EQ(Result(edit()), refusal);
    EXPECT_EQ(SaveXml(processes_.Get()), before);

    EXPECT_CALL(document_, CanEdit()).WillOnce(Return(NoxResult(E_ACCESSDENIED, "Read-only.")));
    EXPECT_EQ(Result(process->put_Rate(Text("abc").Get())), Outcome(E_ACCESSDENIED, "Read-only."));
    ::testing::Mock::VerifyAndClearExpectations(&document_);
    EXPECT_CALL(document_, SetModified(true)).Times(6);
    EXPECT_EQ(process->put_Identifier(Text("A_2").Get()), S_OK);
    EXPECT_EQ(process->put_ActivationEnergy(Text("0").Get()), S_OK);
    EXPECT_EQ(process->put_PressureFactor(Text("-3").Get()), S_OK);
    EXPECT_EQ(process->put_BronstedPolanyi(1.0), S_OK);
    EXPECT_EQ(process->put_Enabled(1), S_OK);  // only -1 is true
    EXPECT_EQ(process->put_IsAssociative(VARIANT_TRUE), S_OK);
    VARIANT_BOOL enabled = VARIANT_TRUE, associative = VARIANT_TRUE, hasPressure = VARIANT_FALSE;
    EXPECT_EQ(process->get_Enabled(&enabled), S_OK);
    EXPECT_EQ(process->get_IsAssociative(&associative), S_OK);  // only adsorption and desorption are
    EXPECT_EQ(process->get_HasPressureFactor(&hasPressure), S_OK);
    EXPECT_EQ(std::make_tuple(enabled, associative, hasPressure),
              std::make_tuple(VARIANT_FALSE, VARIANT_FALSE, VARIANT_TRUE));
    EXPECT_EQ(Read(process.Get(), &IVxKMCProcess::get_PressureFactor), "-3.00000");
}

TEST_F(ProcessTest, GettersThatNameThemselvesSayWhoWasGivenNoPointer) {
    NoxComPtr<IVxKMCProcess> process = NewProcess("Reaction");
    auto named = [](const char* getter) {
        return Outcome(E_POINTER, std::string("Output argument for KMCProcess::") + getter + " is not set.");
    };
    EXPECT_EQ(Result(process->get_Type(nullptr)), named("get_Type"));
    EXPECT_EQ(Result(process->get_RateForGUI(nullptr)), named("get_Rate"));
    EXPECT_EQ(Result(process->get_PrefactorForGUI(nullptr)), named("get_PrefactorForGUI"));
    EXPECT_EQ(Result(process->get_SpecificationTypeAsString(nullptr)), named("get_SpecificationTypeAsString"));
    EXPECT_EQ(Result(process->get_Enabled(nullptr)), Outcome(E_POINTER, "No pointer supplied for output argument."));
    EXPECT_EQ(Result(process->AddBlockingSite(nullptr)),
              Outcome(E_POINTER, "No pointer supplied for output argument."));
}

TEST_F(ProcessTest, DisplayTextFollowsTheUsersLocaleAndStoredTextDoesNot) {
    DecimalCommaLocale comma;
    if (!comma.Available()) GTEST_SKIP() << "locale de_DE.UTF-8 is not installed (build.sh generates it)";
    NoxComPtr<IVxKMCProcess> process = NewProcess("Reaction");
    EXPECT_EQ(process->put_RateFromGUI(Text("1,5").Get()), S_OK);
    EXPECT_EQ(Read(process.Get(), &IVxKMCProcess::get_Rate), "1.50000");
    EXPECT_EQ(Read(process.Get(), &IVxKMCProcess::get_RateForGUI), "1,5");
    EXPECT_EQ(Result(process->put_RateFromGUI(Text("1.5").Get())),
              Outcome(E_UNEXPECTED, "Input expression must be numeric."));
}

TEST_F(ProcessTest, SitesInPlayOfAnAdsorptionFollowTheAssociativeFlag) {
    NoxComPtr<IVxKMCProcess> process = NewProcess("Adsorption");
    LONG count = 0;
    NoxComPtr<IVxKMCActiveSite> site;
    EXPECT_EQ(process->get_NumberActiveSites(&count), S_OK);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(Result(process->get_ActiveSite(1, site.Put())),
              Outcome(E_UNEXPECTED, "Index out of range for KMCProcess::get_ActiveSite"));
    EXPECT_EQ(process->put_IsAssociative(VARIANT_TRUE), S_OK);
    EXPECT_EQ(process->get_NumberActiveSites(&count), S_OK);
    EXPECT_EQ(count, 2);
}

TEST_F(ProcessTest, SitesAreAddedAndRemovedByTheTypesRules) {
    NoxComPtr<IVxKMCProcess> dissociation = NewProcess("Dissociation"), reaction = NewProcess("Reaction");
    EXPECT_EQ(Result(dissociation->RemoveActiveSite(0)),
              Outcome(E_UNEXPECTED, "Cannot remove sites for Diffusion, Association or Dissociation processes"));
    NoxComPtr<IVxKMCActiveSite> first, second, refused;
    EXPECT_EQ(reaction->AddActiveSite(vxKMCActiveSiteTypeSource, first.Put()), S_OK);
    EXPECT_EQ(reaction->AddActiveSite(vxKMCActiveSiteTypeReaction, second.Put()), S_OK);
    EXPECT_EQ(Result(reaction->AddActiveSite(static_cast<vxKMCActiveSiteType>(3), refused.Put())),
              Outcome(E_UNEXPECTED, "Input active site type is invalid in KMCProcess::AddActiveSite"));
    EXPECT_EQ(Result(reaction->RemoveActiveSite(2)),
              Outcome(E_UNEXPECTED, "Index out of range for removing active site"));
    EXPECT_EQ(reaction->RemoveActiveSite(0), S_OK);
    EXPECT_EQ(ActiveSite(reaction.Get(), 0), second);
    // The removed site keeps working without its document.
    auto& removed = dynamic_cast<KMCActiveSite&>(*first.Get());
    EXPECT_EQ(removed.ParentDocument(), nullptr);
    EXPECT_EQ(first->put_SourcePattern(Text("CO").Get()), S_OK);

    ASSERT_EQ(species_->put_EnablingSpecies(Text("O").Get()), S_OK);
    NoxComPtr<IVxKMCBlockingSite> enabling;
    EXPECT_EQ(reaction->AddBlockingSite(enabling.Put()), S_OK);
    NoxBSTR pattern;
    EXPECT_EQ(enabling->get_SourcePattern(pattern.Put()), S_OK);
    EXPECT_EQ(pattern.ToTString(), "O");
    EXPECT_EQ(Result(reaction->RemoveBlockingSite(1)),
              Outcome(E_UNEXPECTED, "Index out of range for removing a blocking site"));
    EXPECT_EQ(reaction->RemoveBlockingSite(0), S_OK);
    EXPECT_EQ(dynamic_cast<KMCBlockingSite&>(*enabling.Get()).ParentDocument(), nullptr);
}

// Every field of every type survives a save and a load, and the second save is the same text.
TEST_F(ProcessTest, EveryTypeSavesAndLoadsBackExactly) {
    for (const char* type : {"Adsorption", "Desorption", "Diffusion", "Association", "Dissociation", "Reaction",
                             "General"}) {
        NoxComPtr<IVxKMCProcess> process = NewProcess(type);
        EXPECT_EQ(process->put_Description(Text("one & <two>").Get()), S_OK);
        EXPECT_EQ(process->put_SpecificationType(vxKMCRateSpecificationTypeImmediate), S_OK);
        EXPECT_EQ(process->put_Prefactor(Text("1.23456789e13").Get()), S_OK);
        EXPECT_EQ(process->put_PotentialFactor(Text("-0.25").Get()), S_OK);
        EXPECT_EQ(process->put_InteractionCutoff(3.5), S_OK);
        EXPECT_EQ(process->put_Priority(7), S_OK);
        EXPECT_EQ(process->put_ChargeTransfer(-2), S_OK);
        EXPECT_EQ(process->put_UseInteractions(VARIANT_FALSE), S_OK);
        EXPECT_EQ(process->put_IsAssociative(VARIANT_TRUE), S_OK);
        AddEnabling(process.Get(), "( 1 , 1 / 4 )", "V");
    }
    const std::string saved = SaveXml(processes_.Get());
    NoxComPtr<KMCProcessList> copy = KMCProcessList::Create();
    copy->SetParent(&document_, nullptr, lattice_.Get(), species_.Get());
    EXPECT_CALL(document_, CanEdit()).Times(0);
    EXPECT_CALL(document_, SetModified).Times(0);
    ASSERT_EQ(LoadXml(copy.Get(), saved), Outcome(S_OK, ""));
    EXPECT_EQ(SaveXml(copy.Get()), saved);
    EXPECT_NE(saved.find(R"(Prefactor="1.23456789e13")"), std::string::npos);
}

std::string ProcessElement(const std::string& attributes, const std::string& children = "") {
    return R"(<ProcessesDocument><ProcessList NumberOfProcesses="1"><Process )" + attributes + ">" + children +
           "</Process></ProcessList></ProcessesDocument>";
}

TEST_F(ProcessTest, LoadingReadsOptionalAttributesAndRefusesBrokenElementsWhole) {
    const std::string required =
        R"(Enabled="true" Type="Diffusion" Identifier="Hop" Description="" SpecificationType="Energies" )"
        R"(Prefactor="1e13" ActivationEnergy="0.5" UseInteractions="false" BronstedPolanyiFactor="0.25" )"
        R"(InteractionCutoff="0" Rate="1" Priority="1" NumberOfActiveSites="1" NumberOfBlockingSites="0")";
    const std::string site = R"x(<ActiveSite SiteType="Destination" SiteDetails="( 2 , -1 / 4 )"/>)x";
    ASSERT_EQ(LoadXml(processes_.Get(), ProcessElement(required, site)), Outcome(S_OK, ""));
    KMCProcess& loaded = processes_->Process(0);
    EXPECT_EQ(loaded.Type(), vxKMCProcessTypeDiffusion);
    EXPECT_EQ(loaded.SpecificationType(), vxKMCRateSpecificationTypeArrhenius);
    EXPECT_EQ(AllActiveSites(loaded), (std::vector<SiteShape>{{vxKMCActiveSiteTypeDestination, "( 2 , -1 / 4 )"}}));
    VARIANT_BOOL associative = VARIANT_TRUE;
    EXPECT_EQ(loaded.put_IsAssociative(VARIANT_FALSE), S_OK);
    EXPECT_EQ(loaded.get_IsAssociative(&associative), S_OK);
    EXPECT_EQ(Read(&loaded, &IVxKMCProcess::get_PressureFactor), "0.00000");
    EXPECT_EQ(loaded.ChargeTransfer(), 0);

    const std::string before = SaveXml(processes_.Get());
    auto without = [&](const std::string& attribute) {
        return std::regex_replace(required, std::regex(attribute + "=\"[^\"]*\" "), "");
    };
    const std::pair<std::string, std::string> broken[] = {
        {ProcessElement(without("Prefactor"), site), "Input expression is empty."},
        {ProcessElement(required), "Failed to open ActiveSite element"},
        {ProcessElement(required, site + site), "Unexpected children found for the Process element"},
        {ProcessElement(required, R"(<BlockingSite/>)"), "Failed to open ActiveSite element"},
        {R"(<ProcessesDocument><ProcessList NumberOfProcesses="2"><Process )" + required + ">" + site +
             "</Process></ProcessList></ProcessesDocument>",
         "Failed to open Process element"},
    };
    for (const auto& [document, message] : broken) {
        EXPECT_EQ(LoadXml(processes_.Get(), document), Outcome(E_UNEXPECTED, message)) << document;
        EXPECT_EQ(SaveXml(processes_.Get()), before);
    }
}

}  // namespace
