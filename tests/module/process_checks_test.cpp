// The checks of one process: validity rule by rule with its message, the editor's address and
// enabling-site checks, the questions other objects ask, and the symmetry analysis.
#include <gtest/gtest.h>

#include <cmath>

#include "com/holders.h"
#include "lattice/site_specification.h"

#include "process_support.h"

using namespace kmctest;

namespace {

using ProcessChecksTest = ModelFixture;

std::string Error(const char* identifier, const char* failure, const char* index = "") {
    return std::string("Error in specification of process ") + identifier + index + ":\n" + failure;
}

constexpr const char* kIncomplete = "One or more active sites are incorrectly or incompletely specified.";

TEST_F(ProcessChecksTest, EachRuleFailsOnItsOwnWithItsMessage) {
    EXPECT_EQ(Validity(Diffusion("Hop", "CO", "( 0 , 0 / 1 )", "( 1 , 0 / 1 )").Get()), (VerdictText{true, ""}));
    NoxComPtr<IVxKMCProcess> fresh = NewProcess("Diffusion");
    EXPECT_EQ(Validity(fresh.Get(), 3), (VerdictText{false, Error("NewProcess", kIncomplete, " (index 3)")}));
    EXPECT_EQ(Validity(fresh.Get(), 0), (VerdictText{false, Error("NewProcess", kIncomplete)}));

    struct Case {
        const char* name;
        std::function<NoxComPtr<IVxKMCProcess>()> make;
        const char* failure;
    };
    const Case cases[] = {
        {"a destination must name a species", [&] { return Diffusion("P", "V", "( 0 , 0 / 1 )", "( 1 , 0 / 1 )"); },
         kIncomplete},
        {"a substrate species on an adsorption site",
         [&] { return Diffusion("P", "Pt", "( 0 , 0 / 1 )", "( 1 , 0 / 1 )"); },
         "One or more active sites use species whose categories do not match that of the site."},
        {"a vacancy on a substrate site",
         [&] {
             NoxComPtr<IVxKMCProcess> p = NewProcess("Reaction");
             NoxComPtr<IVxKMCActiveSite> site;
             EXPECT_EQ(p->AddActiveSite(vxKMCActiveSiteTypeReaction, site.Put()), S_OK);
             Shape(site.Get(), vxKMCActiveSiteTypeReaction, "( 0 , 0 / 5 )", "V", "Pt");
             return p;
         },
         "One or more active sites use species whose categories do not match that of the site."},
        {"two sources at one address",
         [&] {
             NoxComPtr<IVxKMCProcess> p = NewProcess("Desorption");
             EXPECT_EQ(p->put_IsAssociative(VARIANT_TRUE), S_OK);
             Shape(ActiveSite(p.Get(), 0).Get(), vxKMCActiveSiteTypeSource, "( 0 , 0 / 1 )", "CO", "");
             Shape(ActiveSite(p.Get(), 1).Get(), vxKMCActiveSiteTypeSource, "( 0 , 0 / 1 )", "O", "");
             return p;
         },
         "Duplicate active sites have been specified."},
        {"an enabling site on an active site",
         [&] {
             NoxComPtr<IVxKMCProcess> p = Diffusion("P", "CO", "( 0 , 0 / 1 )", "( 1 , 0 / 1 )");
             AddEnabling(p.Get(), "( 1 , 0 / 1 )", "V");
             return p;
         },
         "A duplication has been found between an enabling site and an active site."},
        {"two enabling sites alike",
         [&] {
             NoxComPtr<IVxKMCProcess> p = Diffusion("P", "CO", "( 0 , 0 / 1 )", "( 1 , 0 / 1 )");
             AddEnabling(p.Get(), "( 2 , 0 / 1 )", "O");
             AddEnabling(p.Get(), "( 2 , 0 / 1 )", "CO");
             AddEnabling(p.Get(), "( 2 , 0 / 1 )", "O");
             return p;
         },
         "Duplicate enabling sites have been specified."},
        {"an enabling site without species",
         [&] {
             NoxComPtr<IVxKMCProcess> p = Diffusion("P", "CO", "( 0 , 0 / 1 )", "( 1 , 0 / 1 )");
             AddEnabling(p.Get(), "( 2 , 0 / 1 )", "N2");
             return p;
         },
         "One or more enabling sites are incorrectly or incompletely specified."},
        {"a reaction without sites", [&] { return NewProcess("Reaction"); }, "No active sites have been specified."},
    };
    for (const Case& c : cases) {
        NoxComPtr<IVxKMCProcess> process = c.make();
        ASSERT_EQ(process->put_Identifier(Text("P").Get()), S_OK);
        EXPECT_EQ(Validity(process.Get()), (VerdictText{false, Error("P", c.failure)})) << c.name;
    }

    // A source and a destination may share a site; a reaction site turning CO into a vacancy is complete.
    NoxComPtr<IVxKMCProcess> swap = Diffusion("Swap", "CO", "( 0 , 0 / 1 )", "( 0 , 0 / 1 )");
    EXPECT_EQ(Validity(swap.Get()), (VerdictText{true, ""}));
    EXPECT_EQ(Result(swap->get_IsValid(0, nullptr, nullptr)),
              Outcome(E_POINTER, "No pointer supplied for output argument."));
}

TEST_F(ProcessChecksTest, AnAdsorptionReadsOnlyItsSitesInPlay) {
    NoxComPtr<IVxKMCProcess> adsorption = NewProcess("Adsorption");
    EXPECT_EQ(adsorption->put_Identifier(Text("P").Get()), S_OK);
    Shape(ActiveSite(adsorption.Get(), 0).Get(), vxKMCActiveSiteTypeDestination, "( 0 , 0 / 1 )", "", "CO");
    EXPECT_EQ(Validity(adsorption.Get()), (VerdictText{true, ""}));
    KMCProcess& raw = KMCProcess::FromInterface(adsorption.Get());
    EXPECT_EQ(raw.HighestSiteIndex(), 1);
    EXPECT_EQ(raw.put_IsAssociative(VARIANT_TRUE), S_OK);  // the empty second site now counts
    EXPECT_EQ(Validity(adsorption.Get()), (VerdictText{false, Error("P", kIncomplete)}));

    // A file may list fewer sites than the type reads: the missing one is incomplete, not read.
    const std::string element =
        R"x(<ProcessesDocument><ProcessList NumberOfProcesses="1"><Process Enabled="true" Type="Adsorption" )x"
        R"x(IsAssociative="true" Identifier="Short" Description="" SpecificationType="Rates" Prefactor="1" )x"
        R"x(ActivationEnergy="0" UseInteractions="true" BronstedPolanyiFactor="0" InteractionCutoff="0" Rate="1" )x"
        R"x(Priority="1" NumberOfActiveSites="1" NumberOfBlockingSites="0"><ActiveSite SiteType="Destination" )x"
        R"x(SiteDetails="( 0 , 0 / 1 )" ResultSpecies="CO"/></Process></ProcessList></ProcessesDocument>)x";
    ASSERT_EQ(LoadXml(processes_.Get(), element), Outcome(S_OK, ""));
    EXPECT_EQ(Validity(&processes_->Process(0)), (VerdictText{false, Error("Short", kIncomplete)}));
}

TEST_F(ProcessChecksTest, TheEditorChecksAnAddressAgainstTheProcessSites) {
    NoxComPtr<IVxKMCProcess> association = NewProcess("Association");  // sources (0,0) (1,0), destination (0,1)
    AddEnabling(association.Get(), "( 3 , 3 / 4 )", "V");
    auto check = [&](const char* address, vxKMCSiteType kind, LONG index) {
        return AskVerdict([&](BSTR* m, VARIANT_BOOL* v) {
            return association->get_IsSiteValid(Text(address).Get(), kind, index, m, v);
        });
    };
    const auto active = vxKMCSiteTypeActive, enabling = vxKMCSiteTypeEnabling;
    EXPECT_EQ(check("( 0 , 0 / 1 )", active, 2), (VerdictText{true, ""}));  // a destination may join a source
    EXPECT_EQ(check("( 0 , 0 / 1 )", active, 1),
              (VerdictText{false, "The requested site is already used as an active site for this process."}));
    EXPECT_EQ(check("( 0 , 0 / 1 )", enabling, -1),
              (VerdictText{false, "The requested site is already used as an active site for this process."}));
    EXPECT_EQ(check("( 3 , 3 / 4 )", active, -1),
              (VerdictText{false, "The requested site is already used as an enabling site for this process."}));
    EXPECT_EQ(check("( 3 , 3 / 4 )", enabling, -1), (VerdictText{true, ""}));
    EXPECT_EQ(check("( 1 , 2 )", active, -1), (VerdictText{true, ""}));
    EXPECT_EQ(check("( 1 , 2 / 0 )", active, -1),
              (VerdictText{false, "Site specification string is invalid. It should consist of three integers, with "
                                  "the third one positive."}));
    EXPECT_EQ(check("( 1 , 2 / 6 )", active, -1),
              (VerdictText{false, "The requested site index is invalid. It must not be greater than the number of "
                                  "lattice sites."}));
    NoxBSTR message;
    VARIANT_BOOL valid = VARIANT_TRUE;
    EXPECT_EQ(Result(association->get_IsSiteValid(Text("( 0 , 0 / 1 )").Get(), enabling, 3, message.Put(), &valid)),
              Outcome(E_UNEXPECTED, "Invalid site index given to get_IsSiteValid."));

    AddEnabling(association.Get(), "( 4 , 4 / 4 )", "CO");
    auto enablingCheck = [&](const char* address, const char* species, LONG index) {
        return AskVerdict([&](BSTR* m, VARIANT_BOOL* v) {
            return association->get_IsBlockingSpecificationValid(Text(address).Get(), Text(species).Get(), index, m,
                                                                 v);
        });
    };
    const VerdictText taken{false,
                            "The requested site and species are already used as an enabling site for this process."};
    EXPECT_EQ(enablingCheck("( 3 , 3 / 4 )", "V", -1), taken);
    EXPECT_EQ(enablingCheck("( 3 , 3 / 4 )", "V", 0), (VerdictText{true, ""}));  // the site being edited itself
    EXPECT_EQ(enablingCheck("( 3 , 3 / 4 )", "CO", -1), (VerdictText{true, ""}));

    VARIANT_BOOL used = VARIANT_FALSE;
    EXPECT_EQ(association->get_IsSiteUsed(Text("( 0 , 1 / 1 )").Get(), active, &used), S_OK);
    EXPECT_EQ(used, VARIANT_TRUE);
    EXPECT_EQ(association->get_IsSiteUsed(Text("( 0 , 1 / 1 )").Get(), enabling, &used), S_OK);
    EXPECT_EQ(used, VARIANT_FALSE);
    EXPECT_EQ(KMCProcess::FromInterface(association.Get()).HighestSiteIndex(), 4);
}

TEST_F(ProcessChecksTest, SpeciesUseAndDistanceLookAtTheSitesInPlay) {
    NoxComPtr<IVxKMCProcess> desorption = NewProcess("Desorption");
    Shape(ActiveSite(desorption.Get(), 0).Get(), vxKMCActiveSiteTypeSource, "( 0 , 0 / 1 )", "CO", "");
    KMCProcess& raw = KMCProcess::FromInterface(desorption.Get());
    EXPECT_EQ(raw.put_IsAssociative(VARIANT_TRUE), S_OK);
    Shape(ActiveSite(desorption.Get(), 1).Get(), vxKMCActiveSiteTypeSource, "( 1 , 0 / 4 )", "O", "");
    EXPECT_TRUE(raw.IsSpeciesUsed("O"));
    EXPECT_EQ(raw.put_IsAssociative(VARIANT_FALSE), S_OK);
    EXPECT_FALSE(raw.IsSpeciesUsed("O"));
    EXPECT_FALSE(raw.IsSpeciesUsed("co"));
    AddEnabling(desorption.Get(), "( 0 , 1 / 1 )", "O");
    EXPECT_TRUE(raw.IsSpeciesUsed("O"));

    NoxComPtr<KMCSiteSpecification> spec = KMCSiteSpecification::Create();
    spec->SetParent(&document_, lattice_.Get());
    ASSERT_EQ(spec->SetSiteDetails(1, 1, 1), S_OK);
    double distance = -1;
    EXPECT_EQ(desorption->get_DistanceToActiveSite(spec.Get(), &distance), S_OK);
    EXPECT_DOUBLE_EQ(distance, std::sqrt(2.0));
}

std::vector<LONG> Indices(IVxKMCProcess* process) {
    nox::UniqueSafeArray array;
    EXPECT_EQ(process->get_DistinctSymmetryIndices(array.Put()), S_OK) << TakeErrorDescription();
    LONG upper = -1;
    EXPECT_EQ(SafeArrayGetUBound(array.get(), 1, &upper), S_OK);
    std::vector<LONG> indices(static_cast<size_t>(upper + 1));
    for (LONG k = 0; k <= upper; ++k) EXPECT_EQ(SafeArrayGetElement(array.get(), &k, &indices[static_cast<size_t>(k)]), S_OK);
    LONG count = -1;
    EXPECT_EQ(process->get_NumberSymmetryImages(&count), S_OK);
    EXPECT_EQ(count, upper + 1);
    return indices;
}

TEST_F(ProcessChecksTest, SymmetryImagesAreTheOperatorsThatGiveNewCopies) {
    NoxComPtr<IVxKMCProcess> desorption = NewProcess("Desorption");
    Shape(ActiveSite(desorption.Get(), 0).Get(), vxKMCActiveSiteTypeSource, "( 0 , 0 / 1 )", "CO", "");
    EXPECT_EQ(Indices(desorption.Get()), (std::vector<LONG>{0}));  // every operator keeps a top site
    // A hop along x has four directions; the mirror images repeat them.
    EXPECT_EQ(Indices(Diffusion("Hop", "CO", "( 0 , 0 / 1 )", "( 1 , 0 / 1 )").Get()),
              (std::vector<LONG>{0, 1, 2, 3}));
    // An enabling site off the axis breaks the mirror: all eight are distinct.
    NoxComPtr<IVxKMCProcess> blocked = Diffusion("Hop", "CO", "( 0 , 0 / 1 )", "( 1 , 0 / 1 )");
    AddEnabling(blocked.Get(), "( 1 , 1 / 1 )", "V");
    EXPECT_EQ(Indices(blocked.Get()).size(), 8u);
    EXPECT_TRUE(Indices(NewProcess("Reaction").Get()).empty());
    NoxComPtr<IVxKMCProcess> undefined = NewProcess("Undefined");
    LONG count = 0;
    EXPECT_EQ(Result(undefined->get_NumberSymmetryImages(&count)),
              Outcome(E_UNEXPECTED, "Lumetra Process has not been initialised."));
    // A site the lattice does not have fails as its address does.
    NoxComPtr<IVxKMCProcess> beyond = Diffusion("Far", "CO", "( 0 , 0 / 1 )", "( 1 , 0 / 9 )");
    nox::UniqueSafeArray array;
    EXPECT_EQ(Result(beyond->get_DistinctSymmetryIndices(array.Put())),
              Outcome(E_UNEXPECTED, "Site index is invalid"));
}

TEST(ProcessSymmetryTest, AHopOnAHexagonalLatticeHasSixDirections) {
    ::testing::NiceMock<MockDocument> document;
    NoxComPtr<KMCLattice> lattice = MakeLattice("Hexagonal", "p 6 m m", 1, 1, 60);
    NoxComPtr<KMCSpeciesList> species = KMCSpeciesList::Create();
    NoxComPtr<KMCProcessList> processes = KMCProcessList::Create();
    processes->SetParent(nullptr, nullptr, lattice.Get(), species.Get());
    ASSERT_EQ(CreateSite(*lattice, "Adsorption site", "Top"), S_OK);
    NoxComPtr<IVxKMCSpecies> co;
    ASSERT_EQ(species->CreateSpecies(Text("CO").Get(), co.Put()), S_OK);
    NoxComPtr<IVxKMCProcess> hop;
    ASSERT_EQ(processes->CreateProcess(Text("Diffusion").Get(), hop.Put()), S_OK);
    NoxComPtr<IVxKMCActiveSite> from, to;
    ASSERT_EQ(hop->get_ActiveSite(0, from.Put()), S_OK);
    ASSERT_EQ(hop->get_ActiveSite(1, to.Put()), S_OK);
    ASSERT_EQ(from->put_SourcePattern(Text("CO").Get()), S_OK);
    ASSERT_EQ(to->put_ResultPattern(Text("CO").Get()), S_OK);
    EXPECT_EQ(Indices(hop.Get()).size(), 6u);
}

}  // namespace
