// The element reader and writer: with the module's own reader and writer (their 8-bit entrances)
// they load and save exactly what they do through the interfaces of any other implementation,
// and running out of memory is not taken for a fault of the file.
#include <gtest/gtest.h>

#include "support.h"
#include "support/failing_allocation.h"

using namespace kmctest;

namespace {

// Passes every call on through the interface, so that the element reader cannot tell the module's
// own reader behind it. `failure`, when set, is what the attribute reads answer instead.
class ForwardingReader final : public StackObject<IVxXMLToOstrel> {
public:
    explicit ForwardingReader(IVxXMLToOstrel* target) : target_(target) {}
    HRESULT failure = S_OK;

    HRESULT InitializeLoader(BSTR* root, BSTR* version) override {
        return target_->InitializeLoader(root, version);
    }
    HRESULT OpenNextElement(BSTR name) override { return target_->OpenNextElement(name); }
    HRESULT CloseElement() override { return target_->CloseElement(); }
    HRESULT AreElementsRemaining(VARIANT_BOOL* remaining) override {
        return target_->AreElementsRemaining(remaining);
    }
    HRESULT GetAttributeValue(BSTR name, BSTR* value) override {
        return FAILED(failure) ? failure : target_->GetAttributeValue(name, value);
    }
    HRESULT GetDoubleAttributeValue(BSTR name, double* value) override {
        return FAILED(failure) ? failure : target_->GetDoubleAttributeValue(name, value);
    }
    HRESULT GetLongAttributeValue(BSTR name, LONG* value) override {
        return FAILED(failure) ? failure : target_->GetLongAttributeValue(name, value);
    }
    HRESULT GetBoolAttributeValue(BSTR name, VARIANT_BOOL* value) override {
        return target_->GetBoolAttributeValue(name, value);
    }
    HRESULT GetValue(BSTR* value) override { return target_->GetValue(value); }

private:
    IVxXMLToOstrel* target_;
};

class ForwardingWriter final : public StackObject<IVxOstrelToXML> {
public:
    explicit ForwardingWriter(IVxOstrelToXML* target) : target_(target) {}

    HRESULT InitializeSaver(BSTR root, BSTR version) override {
        return target_->InitializeSaver(root, version);
    }
    HRESULT OpenObject(BSTR name) override { return target_->OpenObject(name); }
    HRESULT CloseObject() override { return target_->CloseObject(); }
    HRESULT AddAttribute(BSTR name, BSTR value) override { return target_->AddAttribute(name, value); }
    HRESULT AddDoubleAttribute(BSTR name, double value) override {
        return target_->AddDoubleAttribute(name, value);
    }
    HRESULT AddLongAttribute(BSTR name, LONG value) override {
        return target_->AddLongAttribute(name, value);
    }
    HRESULT AddBoolAttribute(BSTR name, VARIANT_BOOL value) override {
        return target_->AddBoolAttribute(name, value);
    }
    HRESULT AddValue(VARIANT value) override { return target_->AddValue(value); }

private:
    IVxOstrelToXML* target_;
};

// What loading `document` into a fresh object did: its outcome, what the object then saves, and
// the reader's diagnostics, through the module's reader and writer directly or forwarded.
struct Round {
    Outcome outcome;
    std::string saved;
    std::vector<std::string> diagnostics;
    friend bool operator==(const Round&, const Round&) = default;
};

template <class Object>
Round LoadAndSave(const std::string& document, bool forwarded) {
    NoxComPtr<Object> object = Object::Create();
    const auto tree = xmlTree::ParseString(document);
    NoxComPtr<XMLToOstrel> reader = XMLToOstrel::Create();
    reader->Initialize(tree.get());
    NoxBSTR root, version;
    EXPECT_EQ(reader->InitializeLoader(root.Put(), version.Put()), S_OK);
    ForwardingReader forwardingReader(reader.Get());
    Round round;
    round.outcome = Raised([&] {
        OstrelUtils::LoadXML(object.Get(),
                             forwarded ? &forwardingReader : static_cast<IVxXMLToOstrel*>(reader.Get()));
    });
    for (const ReadDiagnostic& d : reader->Diagnostics())
        round.diagnostics.push_back(std::to_string(d.line) + ": " + d.path + ": " + d.message);

    xmlTree saved;
    NoxComPtr<OstrelToXML> writer = OstrelToXML::Create();
    writer->Initialize(&saved);
    EXPECT_EQ(writer->InitializeSaver(Text("ProcessesDocument").Get(), Text("1.0").Get()), S_OK);
    ForwardingWriter forwardingWriter(writer.Get());
    OstrelUtils::SaveXML(object.Get(),
                         forwarded ? &forwardingWriter : static_cast<IVxOstrelToXML*>(writer.Get()));
    round.saved = saved.SaveString();
    return round;
}

const std::string kSpecies =
    "<ProcessesDocument><SpeciesList NumberOfSpecies='3' VacancySymbol='Vac' VacancyColor='7F010203'>\n"
    "<Species Name='CO' Category='Adsorbate' Radius='1.1' Charge='-2' Color='FFE07535'/>\n"
    "<Species Name='O' Radius='nan' Charge='12x' Color='00ABCDEF'><Unknown/></Species>\n"
    "<Species Name='caf\xC3\xA9 &amp; &lt;more&gt;' Radius='1e400' Charge='99999999999'/>\n"
    "</SpeciesList></ProcessesDocument>";

const std::string kLattice =
    "<ProcessesDocument><Lattice LatticeType='Hexagonal' SymmetryGroup='p 6 m m' LatticeU='2.5' "
    "LatticeV='2.5'"
    " LatticeTheta='60'><LatticeSiteList NumberOfSites='2' NextSiteLabel='3'>\n"
    "<LatticeSite Category='Adsorption site' Type='Top' XPosition='0' YPosition='0' Label='1' "
    "Color='FF3366CC'/>\n"
    "<LatticeSite Category='Adsorption site' Type='Hollow' XPosition='0.333' YPosition='0.6666666666666666'"
    " Label='2'/>\n</LatticeSiteList><Extra/></Lattice></ProcessesDocument>";

TEST(ElementIoTest, TheDirectEntrancesLoadAndSaveWhatTheInterfacesDo) {
    const std::string failing =
        std::string(kSpecies).replace(kSpecies.find("Color='00ABCDEF'"), 16, "Color='green'");
    for (const auto& [document, loads] : {std::pair{kSpecies, true}, {failing, false}}) {
        const Round direct = LoadAndSave<KMCSpeciesList>(document, false);
        EXPECT_EQ(direct, LoadAndSave<KMCSpeciesList>(document, true));
        EXPECT_EQ(direct.outcome.first == S_OK, loads) << direct.outcome.second;
    }
    const Round direct = LoadAndSave<KMCLattice>(kLattice, false);
    EXPECT_EQ(direct, LoadAndSave<KMCLattice>(kLattice, true));
    EXPECT_EQ(direct.outcome, Outcome(S_OK, ""));
    EXPECT_EQ(direct.diagnostics,
              std::vector<std::string>{"4: Lattice: element \"Extra\" is not read and is dropped"});
}

TEST(ElementIoTest, AReaderOutOfMemorySaysSoRatherThanBlameTheAttribute) {
    for (const auto& [failure, expected] :
         {std::pair{
              E_OUTOFMEMORY,
              Outcome(E_OUTOFMEMORY, "Out of memory while reading Name attribute from Species element")},
          {E_FAIL, Outcome(E_UNEXPECTED, "Failed to obtain Name attribute from Species element")}}) {
        const auto tree = xmlTree::ParseString("<Doc><Species Name='CO'/></Doc>");
        NoxComPtr<XMLToOstrel> reader = XMLToOstrel::Create();
        reader->Initialize(tree.get());
        NoxBSTR root, version;
        ASSERT_EQ(reader->InitializeLoader(root.Put(), version.Put()), S_OK);
        ForwardingReader forwarding(reader.Get());
        forwarding.failure = failure;
        NoxComPtr<KMCSpecies> species = KMCSpecies::Create();
        EXPECT_EQ(Raised([&] { OstrelUtils::LoadXML(species.Get(), &forwarding); }), expected);
    }
}

// Every allocation of a load failing in turn: each failure is reported as running out of memory.
TEST(ElementIoTest, EveryAllocationFailureOfALoadIsReportedAsOutOfMemory) {
    const auto tree = xmlTree::ParseString(kSpecies);
    NoxComPtr<KMCSpeciesList> list = KMCSpeciesList::Create();
    const std::vector<std::exception_ptr> failures = FailuresWithEachAllocationFailing([&] {
        NoxComPtr<XMLToOstrel> reader = XMLToOstrel::Create();
        reader->Initialize(tree.get());
        NoxBSTR root, version;
        nox::Check(reader->InitializeLoader(root.Put(), version.Put()));
        OstrelUtils::LoadXML(list.Get(), reader.Get());
    });
    EXPECT_GT(failures.size(), 20u);
    for (const std::exception_ptr& failure : failures) {
        const Outcome outcome = Raised([&] {
            if (failure) std::rethrow_exception(failure);
        });
        EXPECT_EQ(outcome.first, E_OUTOFMEMORY) << outcome.second;
        EXPECT_EQ(outcome.second.find("Failed to o"), std::string::npos) << outcome.second;
    }
}

}  // namespace
