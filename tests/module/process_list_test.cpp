// The process list: positions, creation and removal, its element, the verdicts on the whole
// model, and what the species list and the site list ask it before they remove anything.
#include <gtest/gtest.h>

#include "process_support.h"

using namespace kmctest;

namespace {

using ProcessListTest = ModelFixture;

VerdictText Verdict(KMCProcessList& list, HRESULT (IVxKMCProcessList::*verdict)(BSTR*, VARIANT_BOOL*)) {
    return AskVerdict([&](BSTR* m, VARIANT_BOOL* v) { return (list.*verdict)(m, v); });
}

const auto kValid = &IVxKMCProcessList::get_AreProcessesValid;
const auto kUnique = &IVxKMCProcessList::get_AreProcessesUnique;
const auto kCharges = &IVxKMCProcessList::get_AreProcessChargesConsistent;
constexpr const char* kReplicates =
    "The following processes appear to be replications of each other,\n"
    "according to their active site specifications.\n\n";

TEST_F(ProcessListTest, AnEmptyListHasNothingToRunButNothingWrong) {
    LONG value = 7;
    EXPECT_EQ(processes_->get_HighestPriority(&value), S_OK);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(processes_->get_HighestSiteIndex(&value), S_OK);
    EXPECT_EQ(value, -1);
    EXPECT_EQ(Verdict(*processes_, kUnique), (VerdictText{true, ""}));
    EXPECT_EQ(Verdict(*processes_, kCharges), (VerdictText{true, ""}));
    EXPECT_EQ(Verdict(*processes_, kValid),
              (VerdictText{false, "No processes have been specified for the calculation."}));
}

TEST_F(ProcessListTest, PositionsCountFromZeroAndRemovalLetsTheProcessGo) {
    NoxComPtr<IVxKMCProcess> first = NewProcess("Reaction"), rejected = NewProcess("reaction");
    // A definition the process refuses still gives a process, Undefined.
    EXPECT_EQ(KMCProcess::FromInterface(rejected.Get()).Type(), vxKMCProcessTypeUndefined);
    NoxComPtr<IVxKMCProcess> item;
    const Outcome invalid(E_UNEXPECTED, "Index into process list is invalid.");
    EXPECT_EQ(Result(processes_->get_Item(-1, item.Put())), invalid);
    EXPECT_EQ(Result(processes_->get_Item(2, item.Put())), invalid);
    EXPECT_EQ(Result(processes_->RemoveProcess(2)), invalid);
    EXPECT_EQ(processes_->get_Item(1, item.Put()), S_OK);
    EXPECT_EQ(item, rejected);
    EXPECT_CALL(document_, SetModified(true)).Times(1);
    EXPECT_EQ(processes_->RemoveProcess(0), S_OK);
    EXPECT_EQ(processes_->Count(), 1u);
    KMCProcess& removed = KMCProcess::FromInterface(first.Get());
    EXPECT_EQ(removed.ParentList(), nullptr);
    EXPECT_EQ(removed.put_Description(Text("still editable").Get()), S_OK);
    EXPECT_EQ(processes_->ClearProcessList(), S_OK);
    EXPECT_EQ(KMCProcess::FromInterface(rejected.Get()).ParentDocument(), nullptr);
}

TEST_F(ProcessListTest, HighestPriorityLooksOnlyAtImmediateProcesses) {
    NoxComPtr<IVxKMCProcess> a = NewProcess("Reaction"), b = NewProcess("Reaction");
    EXPECT_EQ(a->put_Priority(9), S_OK);
    EXPECT_EQ(b->put_Priority(4), S_OK);
    EXPECT_EQ(b->put_SpecificationType(vxKMCRateSpecificationTypeImmediate), S_OK);
    EXPECT_EQ(b->put_Enabled(VARIANT_FALSE), S_OK);
    LONG priority = 0;
    EXPECT_EQ(processes_->get_HighestPriority(&priority), S_OK);
    EXPECT_EQ(priority, 4);
}

TEST_F(ProcessListTest, ValidityStopsAtTheFirstInvalidEnabledProcessCountingAllPositions) {
    NoxComPtr<IVxKMCProcess> skipped = NewProcess("Diffusion");  // invalid, but disabled
    EXPECT_EQ(skipped->put_Enabled(VARIANT_FALSE), S_OK);
    EXPECT_EQ(Verdict(*processes_, kValid),
              (VerdictText{false, "No processes have been specified for the calculation."}));
    NoxComPtr<IVxKMCProcess> immediate = Diffusion("Hop", "CO", "( 0 , 0 / 1 )", "( 1 , 0 / 1 )");
    EXPECT_EQ(immediate->put_SpecificationType(vxKMCRateSpecificationTypeImmediate), S_OK);
    EXPECT_EQ(Verdict(*processes_, kValid),
              (VerdictText{false, "One or more processes must be specified using Rates or Arrhenius."}));
    Diffusion("Slide", "O", "( 0 , 0 / 4 )", "( 1 , 0 / 4 )");
    EXPECT_EQ(Verdict(*processes_, kValid), (VerdictText{true, ""}));
    NoxComPtr<IVxKMCProcess> broken = NewProcess("Desorption");
    EXPECT_EQ(broken->put_Identifier(Text("Broken").Get()), S_OK);
    NewProcess("Diffusion");
    EXPECT_EQ(Verdict(*processes_, kValid),
              (VerdictText{false, "Error in specification of process Broken (index 4):\n"
                                  "One or more active sites are incorrectly or incompletely specified."}));
}

TEST_F(ProcessListTest, ReplicatesAreReportedByPositionDirectlyAndThroughSymmetry) {
    Diffusion("A", "CO", "( 0 , 0 / 1 )", "( 1 , 0 / 1 )");
    NoxComPtr<IVxKMCProcess> off = Diffusion("Off", "CO", "( 0 , 0 / 1 )", "( 1 , 0 / 1 )");
    EXPECT_EQ(off->put_Enabled(VARIANT_FALSE), S_OK);  // disabled repeats are not reported
    Diffusion("B", "CO", "( 5 , 2 / 1 )", "( 6 , 2 / 1 )");  // one cell pattern moved
    Diffusion("C", "CO", "( 0 , 0 / 1 )", "( 0 , 1 / 1 )");  // the same hop turned a quarter
    Diffusion("D", "O", "( 0 , 0 / 1 )", "( 0 , 1 / 1 )");   // another species
    EXPECT_EQ(Verdict(*processes_, kUnique),
              (VerdictText{false, std::string(kReplicates) + "Process 3 (B) is a replicate of process 1 (A)\n" +
                                      // Away from the origin B's mirror images are copies of their own,
                                      // and the mirror in x gives A back.
                                      "Process 3 (B) is a replicate of a symmetry image of process 1 (A)\n" +
                                      "Process 4 (C) is a replicate of a symmetry image of process 1 (A)\n" +
                                      "Process 4 (C) is a replicate of a symmetry image of process 3 (B)\n"}));
    // An enabled process that was never defined cannot be compared.
    NewProcess("Undefined");
    NoxBSTR message;
    VARIANT_BOOL unique = VARIANT_TRUE;
    EXPECT_EQ(Result(processes_->get_AreProcessesUnique(message.Put(), &unique)),
              Outcome(E_UNEXPECTED, "Lumetra Process has not been initialised."));
}

TEST_F(ProcessListTest, ChargesMustAgreeAmongProcessesSharingAnIdentifier) {
    for (LONG charge : {1, 2, 2}) {
        NoxComPtr<IVxKMCProcess> process = NewProcess("Reaction");
        EXPECT_EQ(process->put_Identifier(Text("Ox").Get()), S_OK);
        EXPECT_EQ(process->put_ChargeTransfer(charge), S_OK);
    }
    NoxComPtr<IVxKMCProcess> other = NewProcess("Reaction");
    EXPECT_EQ(other->put_ChargeTransfer(5), S_OK);
    EXPECT_EQ(Verdict(*processes_, kCharges),
              (VerdictText{false, "The following process identifiers each correspond to multiple\n"
                                  "processes whose charges are different:\nOx Ox \n"}));
}

TEST_F(ProcessListTest, SpeciesAndSitesInUseCannotBeRemoved) {
    Diffusion("Hop", "O", "( 0 , 0 / 4 )", "( 1 , 0 / 4 )");
    EXPECT_EQ(Result(species_->RemoveSpecies(Text("O").Get())),
              Outcome(E_UNEXPECTED,
                      "Species cannot be deleted because it is in use in one or more process or interaction"));
    EXPECT_EQ(species_->RemoveSpecies(Text("CO").Get()), S_OK);
    NoxBSTR why;
    VARIANT_BOOL canDelete = VARIANT_TRUE;
    EXPECT_EQ(lattice_->RawLatticeSiteList()->get_CanDeleteSite(4, why.Put(), &canDelete), S_OK);
    EXPECT_EQ(why.ToTString(), "One or more of the processes uses a site whose index would be affected by the deletion");
    EXPECT_EQ(lattice_->RawLatticeSiteList()->get_CanDeleteSite(1, why.Put(), &canDelete), S_OK);
    EXPECT_EQ(canDelete, VARIANT_FALSE);  // site 4 would become site 2
}

TEST_F(ProcessListTest, TheElementLoadsWholeOrNotAtAll) {
    Diffusion("Hop", "CO", "( 0 , 0 / 1 )", "( 1 , 0 / 1 )");
    const std::string saved = SaveXml(processes_.Get());
    NoxComPtr<KMCProcessList> copy = KMCProcessList::Create();
    copy->SetParent(&document_, nullptr, lattice_.Get(), species_.Get());
    ASSERT_EQ(LoadXml(copy.Get(), saved), Outcome(S_OK, ""));
    EXPECT_EQ(SaveXml(copy.Get()), saved);
    const std::pair<std::string, std::string> broken[] = {
        {R"(<D><ProcessList NumberOfProcesses="2"/></D>)", "Failed to open Process element"},
        {R"(<D><ProcessList NumberOfProcesses="0"><Process/></ProcessList></D>)",
         "Unexpected children found for the ProcessList element"},
        {R"(<D><Processes/></D>)", "Failed to open ProcessList element"},
    };
    for (const auto& [document, message] : broken) {
        EXPECT_EQ(LoadXml(copy.Get(), document), Outcome(E_UNEXPECTED, message));
        EXPECT_EQ(SaveXml(copy.Get()), saved);
    }
}

}  // namespace
