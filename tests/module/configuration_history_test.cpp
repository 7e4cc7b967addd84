// Configuration histories and their actions: times that add up, index failures, editing through
// the document, and the "ConfigurationHistory" element with its actions and pairs, optional
// when loading, with every sentence a failing reader produces.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "configuration/configuration.h"
#include "configuration/configuration_history.h"
#include "support.h"

using namespace kmctest;
using ::testing::Return;

namespace {

// A reader that answers as the real one does, except that it fails every request for the
// element or attribute named `failing`, as a broken reader would.
class FailingReader final : public StackObject<IVxXMLToOstrel> {
public:
    FailingReader(IVxXMLToOstrel* inner, std::string failing) : inner_(inner), failing_(std::move(failing)) {}

    HRESULT InitializeLoader(BSTR* root, BSTR* version) override {
        return inner_->InitializeLoader(root, version);
    }
    HRESULT OpenNextElement(BSTR name) override {
        return Fails(name) ? E_FAIL : inner_->OpenNextElement(name);
    }
    HRESULT CloseElement() override { return inner_->CloseElement(); }
    HRESULT AreElementsRemaining(VARIANT_BOOL* remaining) override {
        return inner_->AreElementsRemaining(remaining);
    }
    HRESULT GetAttributeValue(BSTR name, BSTR* value) override {
        return Fails(name) ? E_FAIL : inner_->GetAttributeValue(name, value);
    }
    HRESULT GetDoubleAttributeValue(BSTR name, double* value) override {
        return Fails(name) ? E_FAIL : inner_->GetDoubleAttributeValue(name, value);
    }
    HRESULT GetLongAttributeValue(BSTR name, LONG* value) override {
        return Fails(name) ? E_FAIL : inner_->GetLongAttributeValue(name, value);
    }
    HRESULT GetBoolAttributeValue(BSTR name, VARIANT_BOOL* value) override {
        return Fails(name) ? E_FAIL : inner_->GetBoolAttributeValue(name, value);
    }
    HRESULT GetValue(BSTR* value) override { return inner_->GetValue(value); }

private:
    bool Fails(BSTR name) const { return BSTRToTString(name) == failing_; }

    IVxXMLToOstrel* inner_;
    std::string failing_;
};

Outcome LoadThroughFailingReader(IDispatch* object, const std::string& document, const std::string& failing) {
    std::unique_ptr<xmlTree> tree = xmlTree::ParseString(document);
    NoxComPtr<XMLToOstrel> reader = XMLToOstrel::Create();
    reader->Initialize(tree.get());
    NoxBSTR root, version;
    EXPECT_EQ(reader->InitializeLoader(root.Put(), version.Put()), S_OK);
    FailingReader failingReader(reader.Get(), failing);
    return Raised([&] { OstrelUtils::LoadXML(object, &failingReader); });
}

const std::string kHistory =
    R"(<ConfigurationHistory Task="CO oxidation" ProcessesDocumentID="square.xml" SimulationTime="1.5" )"
    R"(NumberHistoryItems="2">)"
    R"(<ConfigurationHistoryAction SimulationTime="1" NumPairs="2">)"
    R"(<KVPair Key="CO adsorption" Value="12"/><KVPair Key="CO adsorption" Value="0.5"/>)"
    R"(</ConfigurationHistoryAction>)"
    R"(<ConfigurationHistoryAction SimulationTime="0.5" NumPairs="0"/>)"
    R"(</ConfigurationHistory>)";

std::string Document(const std::string& body) {
    return "<ProcessesDocument>" + body + "</ProcessesDocument>";
}

class HistoryTest : public ::testing::Test {
protected:
    HistoryTest() {
        ON_CALL(document_, CanEdit()).WillByDefault(Return(NoxResult(S_OK)));
        history_->SetParent(&document_);
    }

    double Time() {
        double time = -1;
        EXPECT_EQ(history_->get_SimulationTime(&time), S_OK);
        return time;
    }
    LONG Actions() {
        LONG count = -1;
        EXPECT_EQ(history_->get_NumActions(&count), S_OK);
        return count;
    }
    NoxComPtr<IVxKMCConfigurationHistoryAction> Action(LONG index) {
        NoxComPtr<IVxKMCConfigurationHistoryAction> action;
        EXPECT_EQ(history_->get_Action(index, action.Put()), S_OK);
        return action;
    }
    static std::vector<std::pair<std::string, double>> Pairs(IVxKMCConfigurationHistoryAction* action) {
        LONG count = 0;
        EXPECT_EQ(action->get_NumKeyValuePairs(&count), S_OK);
        std::vector<std::pair<std::string, double>> pairs;
        for (LONG index = 0; index < count; ++index) {
            NoxBSTR key;
            double value = 0;
            EXPECT_EQ(action->GetKeyValuePair(index, key.Put(), &value), S_OK);
            pairs.emplace_back(key.ToTString(), value);
        }
        return pairs;
    }
    static double TimeOf(IVxKMCConfigurationHistoryAction* action) {
        double time = -1;
        EXPECT_EQ(action->get_SimulationTime(&time), S_OK);
        return time;
    }

    ::testing::NiceMock<MockDocument> document_;
    NoxComPtr<KMCConfigurationHistory> history_ = KMCConfigurationHistory::Create();
};

TEST_F(HistoryTest, ActionsAddTheirTimesToTheHistory) {
    EXPECT_EQ(Time(), 0.0);
    EXPECT_EQ(Actions(), 0);
    NoxComPtr<IVxKMCConfigurationHistoryAction> first, second, refused;
    EXPECT_EQ(history_->AddAction(0.5, first.Put()), S_OK);
    EXPECT_EQ(history_->AddAction(0.5, second.Put()), S_OK);
    EXPECT_EQ(Time(), 1.0);
    EXPECT_EQ(TimeOf(first.Get()), 0.5);
    EXPECT_EQ(Action(1), second);
    EXPECT_EQ(KMCConfigurationHistoryAction::FromInterface(first.Get()).ParentDocument(), &document_);
    const double huge = std::numeric_limits<double>::max();
    for (auto [time, outcome] : std::vector<std::pair<double, Outcome>>{
             {-0.1, {E_UNEXPECTED, "Simulation Time must not be negative for a ConfigurationHistory Action"}},
             {std::nan(""), {E_INVALIDARG, "Action simulation time must be a finite number."}},
             {INFINITY, {E_INVALIDARG, "Action simulation time must be a finite number."}},
         }) {
        EXPECT_EQ(Result(history_->AddAction(time, refused.Put())), outcome) << time;
        EXPECT_FALSE(refused);
    }
    EXPECT_EQ(history_->AddAction(huge, refused.Put()), S_OK);
    EXPECT_EQ(Result(history_->AddAction(huge, refused.Put())),
              (Outcome{E_INVALIDARG, "Simulation time of the history must be a finite number."}));
    EXPECT_EQ(Actions(), 3);
    EXPECT_EQ(first->put_SimulationTime(-0.1), S_OK);  // an action's own time is not checked for sign
    EXPECT_EQ(TimeOf(first.Get()), -0.1);
}

TEST_F(HistoryTest, IndicesOutsideTheListsAndMissingOutputsAreRefused) {
    NoxComPtr<IVxKMCConfigurationHistoryAction> action;
    NoxBSTR text;
    double value = 0;
    const Outcome noOutput{E_POINTER, "No pointer supplied for output argument."};
    const Outcome badAction{E_UNEXPECTED, "Invalid index into History Actions list."};
    const Outcome badReaction{E_UNEXPECTED,
                              "Invalid index passed into KMCConfigurationHistory::get_Reaction"};
    const Outcome badPair{E_UNEXPECTED,
                          "Index out of range getting key-value pair from ConfigurationHistoryAction"};
    EXPECT_EQ(Result(history_->get_Action(0, action.Put())), badAction);
    EXPECT_EQ(Result(history_->get_Reaction(-1, text.Put())), badReaction);
    EXPECT_EQ(Result(history_->AddAction(1.0, nullptr)), noOutput);
    EXPECT_EQ(history_->AddAction(1.0, action.Put()), S_OK);
    NoxComPtr<IVxKMCConfigurationHistoryAction> none;
    EXPECT_EQ(Result(history_->get_Action(-1, none.Put())), badAction);
    EXPECT_EQ(Result(history_->get_Action(1, none.Put())), badAction);
    EXPECT_EQ(Result(action->GetKeyValuePair(0, text.Put(), &value)), badPair);
    EXPECT_EQ(action->AddKeyValuePair(Text("k").Get(), 1.0), S_OK);
    EXPECT_EQ(Result(action->GetKeyValuePair(-1, text.Put(), &value)), badPair);
    EXPECT_EQ(Result(action->GetKeyValuePair(0, nullptr, &value)), noOutput);
    EXPECT_EQ(Result(action->GetKeyValuePair(0, text.Put(), nullptr)), noOutput);
}

TEST_F(HistoryTest, TextsAndPairsKeepTheirOrderAndEveryChangeAsksTheDocument) {
    NoxComPtr<IVxKMCConfigurationHistoryAction> action;
    EXPECT_CALL(document_, SetModified(true)).Times(6);
    EXPECT_EQ(history_->put_Task(Text("CO oxidation").Get()), S_OK);
    EXPECT_EQ(history_->put_ProcessesDocID(Text("square.xml").Get()), S_OK);
    EXPECT_EQ(history_->AddReaction(Text("CO + O -> CO2").Get()), S_OK);
    EXPECT_EQ(history_->AddAction(2.0, action.Put()), S_OK);
    EXPECT_EQ(action->AddKeyValuePair(Text("CO").Get(), 1.0), S_OK);
    EXPECT_EQ(action->AddKeyValuePair(Text("CO").Get(), 2.0), S_OK);
    EXPECT_EQ(Pairs(action.Get()), (std::vector<std::pair<std::string, double>>{{"CO", 1.0}, {"CO", 2.0}}));
    NoxBSTR reaction;
    EXPECT_EQ(history_->get_Reaction(0, reaction.Put()), S_OK);
    EXPECT_EQ(reaction.ToTString(), "CO + O -> CO2");

    EXPECT_CALL(document_, CanEdit()).WillRepeatedly(Return(NoxResult(E_ACCESSDENIED, "Read-only.")));
    NoxComPtr<IVxKMCConfigurationHistoryAction> refused;
    const Outcome readOnly{E_ACCESSDENIED, "Read-only."};
    EXPECT_EQ(Result(history_->AddAction(1.0, refused.Put())), readOnly);
    EXPECT_EQ(Result(action->AddKeyValuePair(Text("O").Get(), 3.0)), readOnly);
    EXPECT_EQ(Time(), 2.0);
    EXPECT_EQ(Actions(), 1);
    EXPECT_EQ(Pairs(action.Get()).size(), 2u);
}

TEST_F(HistoryTest, LoadingAppendsActionsAndSavingKeepsAllButTheReactions) {
    NoxComPtr<IVxKMCConfigurationHistoryAction> kept;
    EXPECT_EQ(history_->AddAction(4.0, kept.Put()), S_OK);
    EXPECT_EQ(history_->AddReaction(Text("CO + O -> CO2").Get()), S_OK);
    ASSERT_EQ(LoadXml(history_.Get(), Document(kHistory)), (Outcome{S_OK, ""}));
    EXPECT_EQ(Time(), 1.5);  // as stored, not the sum of the actions
    ASSERT_EQ(Actions(), 3);
    EXPECT_EQ(Action(0), kept);
    EXPECT_EQ(Pairs(Action(1).Get()),
              (std::vector<std::pair<std::string, double>>{{"CO adsorption", 12}, {"CO adsorption", 0.5}}));
    EXPECT_EQ(KMCConfigurationHistoryAction::FromInterface(Action(2).Get()).ParentDocument(), &document_);
    const std::string saved = SaveXml(history_.Get());
    EXPECT_NE(saved.find(R"(<ConfigurationHistory Task="CO oxidation" ProcessesDocumentID="square.xml" )"
                         R"(SimulationTime="1.5" NumberHistoryItems="3">)"
                         "\n"
                         R"(    <ConfigurationHistoryAction SimulationTime="4" NumPairs="0"/>)"
                         "\n"
                         R"(    <ConfigurationHistoryAction SimulationTime="1" NumPairs="2">)"
                         "\n"
                         R"(      <KVPair Key="CO adsorption" Value="12"/>)"),
              std::string::npos)
        << saved;
    NoxComPtr<KMCConfigurationHistory> loaded = KMCConfigurationHistory::Create();
    ASSERT_EQ(LoadXml(loaded.Get(), saved), (Outcome{S_OK, ""}));
    EXPECT_EQ(SaveXml(loaded.Get()), saved);
    LONG reactions = -1;
    EXPECT_EQ(loaded->get_NumReactions(&reactions), S_OK);
    EXPECT_EQ(reactions, 0);
}

TEST_F(HistoryTest, AnAbsentElementLoadsNothingAndLeavesTheNextOneUnread) {
    const std::string file =
        Document(R"(<Configuration FrameTime="2" Config="1 A"/><ConfigurationHistory Task="t"/>)");
    std::unique_ptr<xmlTree> tree = xmlTree::ParseString(file);
    NoxComPtr<XMLToOstrel> reader = XMLToOstrel::Create();
    reader->Initialize(tree.get());
    NoxBSTR root, version;
    ASSERT_EQ(reader->InitializeLoader(root.Put(), version.Put()), S_OK);
    NoxComPtr<KMCConfiguration> configuration = KMCConfiguration::Create();
    for (IDispatch* object :
         std::initializer_list<IDispatch*>{history_.Get(), configuration.Get(), history_.Get()})
        EXPECT_EQ(Raised([&] { OstrelUtils::LoadXML(object, reader.Get()); }), (Outcome{S_OK, ""}));
    NoxBSTR task;
    EXPECT_EQ(history_->get_Task(task.Put()), S_OK);
    EXPECT_EQ(task.ToTString(), "t");
    EXPECT_EQ(LoadXml(history_.Get(), "<R/>"), (Outcome{S_OK, ""}));
    // A reader with no open element is broken, not a file without a history.
    NoxComPtr<XMLToOstrel> unopened = XMLToOstrel::Create();
    EXPECT_EQ(Raised([&] { OstrelUtils::LoadXML(history_.Get(), unopened.Get()); }),
              (Outcome{E_UNEXPECTED, "Failed to open ConfigurationHistory element"}));
}

TEST_F(HistoryTest, BrokenFilesAreRefusedAndChangeNothing) {
    const std::string action =
        R"(<ConfigurationHistoryAction NumPairs="1"><KVPair Key="k"/></ConfigurationHistoryAction>)";
    const auto history = [](const std::string& count, const std::string& children) {
        return R"(<ConfigurationHistory Task="new" NumberHistoryItems=")" + count + "\">" + children +
               "</ConfigurationHistory>";
    };
    for (
        auto [body, outcome] : std::vector<std::pair<std::string, std::string>>{
            {history("2", action), "Failed to open ConfigurationHistoryAction element"},
            {history("2147483647", action), "Failed to open ConfigurationHistoryAction element"},
            {history("1", action + action), "Unexpected children found for the ConfigurationHistory element"},
            {history("-3", action), "Unexpected children found for the ConfigurationHistory element"},
            {history(
                 "1",
                 R"(<ConfigurationHistoryAction NumPairs="2147483647"><KVPair/></ConfigurationHistoryAction>)"),
             "Failed to open KeyValuePair element"},
            {history("1",
                     R"(<ConfigurationHistoryAction NumPairs="1"><Other/></ConfigurationHistoryAction>)"),
             "Failed to open KeyValuePair element"},
            {history("1", R"(<ConfigurationHistoryAction><KVPair/></ConfigurationHistoryAction>)"),
             "Unexpected children found for the ConfigurationHistoryAction element"},
        }) {
        EXPECT_EQ(LoadXml(history_.Get(), Document(body)), (Outcome{E_UNEXPECTED, outcome})) << body;
        EXPECT_EQ(Actions(), 0);
        NoxBSTR task;
        EXPECT_EQ(history_->get_Task(task.Put()), S_OK);
        EXPECT_EQ(task.ToTString(), "");
    }
}

// The sentences a failing reader produces, as the saved format has always worded them.
TEST(ConfigurationXmlTest, EveryFailingReadNamesItsStep) {
    const std::string configuration = R"(<Configuration FrameTime="1" Config="1 A"/>)";
    const std::string action = R"(<ConfigurationHistoryAction SimulationTime="1" NumPairs="1">)"
                               R"(<KVPair Key="k" Value="1"/></ConfigurationHistoryAction>)";
    enum Object { kConfiguration, kHistory, kAction };
    struct Case {
        Object object;
        const char* failing;
        const char* description;
    };
    for (const Case& c : std::vector<Case>{
             {kConfiguration, "Configuration", "Failed to open Configuration element"},
             {kConfiguration, "FrameTime", "Failed to obtain FrameTime attribute from Configuration element"},
             {kConfiguration, "Config", "Failed to obtain Config attribute from Configuration element"},
             {kHistory, "ConfigurationHistory", "Failed to open ConfigurationHistory element"},
             {kHistory, "Task", "Failed to obtain Task attribute from Configuration History element"},
             {kHistory, "ProcessesDocumentID",
              "Failed to obtain ProcessesDocumentID attribute from Configuration History element"},
             {kHistory, "SimulationTime",
              "Failed to obtain SimulationTime attribute from Configuration element"},
             {kHistory, "NumberHistoryItems",
              "Failed to obtain NumberHistoryItems attribute from Configuration element"},
             {kHistory, "ConfigurationHistoryAction", "Failed to open ConfigurationHistoryAction element"},
             {kHistory, "NumPairs",
              "Failed to obtain NumKVPairs attribute from ConfigurationHistoryAction element"},
             {kHistory, "KVPair", "Failed to open KeyValuePair element"},
             {kHistory, "Key", "Failed to obtain Key attribute from ConfigurationHistoryAction element"},
             {kHistory, "Value", "Failed to obtain Value attribute from ConfigurationHistoryAction element"},
             {kAction, "SimulationTime",
              "Failed to obtain SimulationTime attribute from ConfigurationHistoryAction element"},
         }) {
        NoxComPtr<IDispatch> object;
        std::string body = action;
        if (c.object == kConfiguration) {
            object = KMCConfiguration::Create().As<IDispatch>();
            body = configuration;
        } else if (c.object == kHistory) {
            object = KMCConfigurationHistory::Create().As<IDispatch>();
            body = R"(<ConfigurationHistory NumberHistoryItems="1">)" + action + "</ConfigurationHistory>";
        } else {
            object = KMCConfigurationHistoryAction::Create().As<IDispatch>();
        }
        EXPECT_EQ(LoadThroughFailingReader(object.Get(), Document(body), c.failing),
                  (Outcome{E_UNEXPECTED, c.description}))
            << c.failing;
    }
}

}  // namespace
