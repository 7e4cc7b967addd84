// The host library's C entry points: the documents they hold are the ones kmcdoc reads and
// writes, and every refusal leaves kmcdoc's text in the thread's error information.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "any_document.h"
#include "com/oleauto.h"
#include "example_files.h"
#include "nox/comptr.h"
#include "nox/strings.h"
#include "verdicts.h"
#include "vxostrel/configuration.h"
#include "vxostrel/host_api.h"
#include "vxostrel/species.h"

namespace {

using kmctest::Example;
using kmctest::ReadFile;

std::string Take(BSTR text) {
    NoxBSTR owned = NoxBSTR::Attach(text);
    return text == nullptr ? "<null>" : owned.ToTString();
}

// The description the last failure left, taken from the thread's error information.
std::string ErrorText() {
    NoxComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Put()) != S_OK) return "<none>";
    BSTR text = nullptr;
    EXPECT_EQ(info->GetDescription(&text), S_OK);
    return Take(text);
}

// A document that closes itself.
class Document {
public:
    Document() = default;
    ~Document() { kmcdoc_close(document_); }
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;
    kmcdoc_document** Put() { return &document_; }
    kmcdoc_document* Get() const { return document_; }

private:
    kmcdoc_document* document_ = nullptr;
};

template <class Interface>
NoxComPtr<Interface> Object(const Document& document, const char* element) {
    NoxComPtr<IDispatch> object;
    EXPECT_EQ(kmcdoc_object(document.Get(), element, object.Put()), S_OK) << element;
    NoxComPtr<Interface> typed;
    EXPECT_EQ(object->QueryInterface(IidOf<Interface>(), typed.PutVoid()), S_OK);
    return typed;
}

std::string Verdicts(const Document& document, VARIANT_BOOL all) {
    BSTR json = nullptr;
    EXPECT_EQ(kmcdoc_verdicts(document.Get(), all, &json), S_OK);
    return Take(json);
}

TEST(HostApiTest, AnOpenedDocumentIsTheOneKmcdocReads) {
    const std::string path = Example("square_lattice.xml");
    Document document;
    BSTR where = nullptr;
    ASSERT_EQ(kmcdoc_open_file(path.c_str(), 0, document.Put(), &where), S_OK);
    EXPECT_EQ(where, nullptr);
    int32_t kind = 0;
    ASSERT_EQ(kmcdoc_kind(document.Get(), &kind), S_OK);
    EXPECT_EQ(kind, KMCDOC_PROCESSES);

    const auto loaded = kmcdoc::ProcessesDocument::Load(path);
    EXPECT_EQ(Verdicts(document, VARIANT_FALSE),
              kmcdoc::VerdictsJson(kmcdoc::DocumentVerdicts(*loaded), nullptr));
    const auto processes = kmcdoc::ProcessVerdicts(*loaded);
    EXPECT_EQ(Verdicts(document, VARIANT_TRUE),
              kmcdoc::VerdictsJson(kmcdoc::DocumentVerdicts(*loaded), &processes));
    BSTR text = nullptr;
    ASSERT_EQ(kmcdoc_save_text(document.Get(), &text), S_OK);
    EXPECT_EQ(Take(text), loaded->SaveToString());

    const std::pair<const char*, IID> objects[] = {{"Lattice", IID_IVxKMCLattice},
                                                   {"SpeciesList", IID_IVxKMCSpeciesList},
                                                   {"ProcessList", IID_IVxKMCProcessList},
                                                   {"InteractionList", IID_IVxKMCInteractionList}};
    for (const auto& [element, iid] : objects) {
        NoxComPtr<IDispatch> object;
        ASSERT_EQ(kmcdoc_object(document.Get(), element, object.Put()), S_OK);
        NoxComPtr<IUnknown> typed;
        EXPECT_EQ(object->QueryInterface(iid, typed.PutVoid()), S_OK) << element;
    }
    NoxComPtr<IVxKMCSpeciesList> species = Object<IVxKMCSpeciesList>(document, "SpeciesList");
    LONG count = 0;
    ASSERT_EQ(species->get_Count(&count), S_OK);
    EXPECT_EQ(count, 3);
}

TEST(HostApiTest, TheModifiedFlagFollowsEditsAndIsCleared) {
    Document document;
    ASSERT_EQ(kmcdoc_new(KMCDOC_PROCESSES, document.Put()), S_OK);
    auto modified = [&] {
        VARIANT_BOOL flag = 2;
        EXPECT_EQ(kmcdoc_modified(document.Get(), &flag), S_OK);
        return flag;
    };
    EXPECT_EQ(modified(), VARIANT_FALSE);
    ASSERT_EQ(kmcdoc_set_lattice(document.Get(), "Square", "p 4 m m", 2.77, 2.77, 90), S_OK);
    EXPECT_EQ(modified(), VARIANT_TRUE);
    ASSERT_EQ(kmcdoc_clear_modified(document.Get()), S_OK);
    EXPECT_EQ(modified(), VARIANT_FALSE);
    NoxComPtr<IVxKMCSpecies> created;
    ASSERT_EQ(
        Object<IVxKMCSpeciesList>(document, "SpeciesList")->CreateSpecies(NoxBSTR("CO").Get(), created.Put()),
        S_OK);
    EXPECT_EQ(modified(), VARIANT_TRUE);

    BSTR text = nullptr;
    ASSERT_EQ(kmcdoc_save_text(document.Get(), &text), S_OK);
    const kmcdoc::AnyDocument reread = kmcdoc::ParseAnyDocument(Take(text), "saved.xml");
    ASSERT_TRUE(reread.processes);
    EXPECT_EQ(reread.processes->SaveToString(), reread.SaveToString());
    EXPECT_NE(reread.SaveToString().find("SymmetryGroup=\"p 4 m m\""), std::string::npos);
}

TEST(HostApiTest, AConfigurationDocumentHandsOutItsConfigurationsAndHistory) {
    const std::string text = ReadFile(Example("square_configurations.xml"));
    Document document;
    ASSERT_EQ(kmcdoc_open_text(text.data(), text.size(), "run.xml", document.Put(), nullptr), S_OK);
    LONG count = 0, cellsU = 0, cellsV = 0;
    ASSERT_EQ(kmcdoc_configuration_count(document.Get(), &count), S_OK);
    ASSERT_EQ(kmcdoc_patch(document.Get(), &cellsU, &cellsV), S_OK);
    EXPECT_EQ((std::vector<LONG>{count, cellsU, cellsV}), (std::vector<LONG>{4, 20, 20}));
    NoxComPtr<IDispatch> last;
    ASSERT_EQ(kmcdoc_configuration(document.Get(), 3, last.Put()), S_OK);
    NoxComPtr<IVxKMCConfiguration> configuration;
    ASSERT_EQ(last->QueryInterface(IID_IVxKMCConfiguration, configuration.PutVoid()), S_OK);
    double time = 0;
    ASSERT_EQ(configuration->get_FrameTime(&time), S_OK);
    EXPECT_EQ(time, 1.5);
    NoxComPtr<IVxKMCConfigurationHistory> history =
        Object<IVxKMCConfigurationHistory>(document, "ConfigurationHistory");
    LONG actions = 0;
    ASSERT_EQ(history->get_NumActions(&actions), S_OK);
    EXPECT_EQ(actions, 3);
}

TEST(HostApiTest, LoadWarningsAreKmcdocsLines) {
    std::string text = ReadFile(Example("square_lattice.xml"));
    text.replace(text.find("Radius=\"1.1\""), 12, "Radius=\"nan\"");
    Document document;
    ASSERT_EQ(kmcdoc_open_text(text.data(), text.size(), "a.xml", document.Put(), nullptr), S_OK);
    LONG count = 0;
    ASSERT_EQ(kmcdoc_warning_count(document.Get(), &count), S_OK);
    ASSERT_EQ(count, 1);
    BSTR warning = nullptr;
    ASSERT_EQ(kmcdoc_warning(document.Get(), 0, &warning), S_OK);
    EXPECT_EQ(Take(warning), kmcdoc::ParseAnyDocument(text, "a.xml").LoadWarnings()[0]);
    EXPECT_EQ(kmcdoc_warning(document.Get(), 1, &warning), E_INVALIDARG);
    EXPECT_EQ(ErrorText(), "There is no warning 1; the document has 1, counted from 0.");
}

// Where a failed load stopped goes to `where`; the description is the library's.
TEST(HostApiTest, AFailedOpenSaysWhereReadingStood) {
    std::string text = ReadFile(Example("square_lattice.xml"));
    text.replace(text.find("p 4 m m"), 7, "p 6 m m");
    struct Case {
        std::string text;
        HRESULT code;
        std::string where;
        std::string description;
    };
    const Case cases[] = {
        {text, E_UNEXPECTED, "test.xml:3: Lattice",
         "Symmetry group specified does not match the lattice type"},
        {"<Other/>", E_INVALIDARG, "<null>",
         "test.xml is not a processes document: its root element is \"Other\", not \"ProcessesDocument\"."},
    };
    for (const Case& c : cases) {
        Document document;
        BSTR where = nullptr;
        EXPECT_EQ(kmcdoc_open_text(c.text.data(), c.text.size(), "test.xml", document.Put(), &where), c.code);
        EXPECT_EQ(document.Get(), nullptr);
        EXPECT_EQ(Take(where), c.where);
        EXPECT_EQ(ErrorText(), c.description);
    }
}

// What kmcdoc prints after its name when it cannot load `path`.
std::string LoadFailureText(const std::string& path) {
    try {
        kmcdoc::LoadAnyDocument(path, xmlTree::kDefaultMaxFileSize);
    } catch (const NoxResult& failure) {
        return std::string(kmcdoc::FailureText(failure));
    }
    return "<loaded>";
}

TEST(HostApiTest, RefusalsLeaveTheirDescription) {
    Document processes, configurations;
    ASSERT_EQ(kmcdoc_new(KMCDOC_PROCESSES, processes.Put()), S_OK);
    ASSERT_EQ(kmcdoc_new(KMCDOC_CONFIGURATION, configurations.Put()), S_OK);
    ASSERT_EQ(kmcdoc_set_lattice(processes.Get(), "Square", "p 4 m m", 1, 1, 90), S_OK);
    IDispatch* object = nullptr;
    LONG count = 0;
    BSTR json = nullptr;
    kmcdoc_document* none = nullptr;
    const std::string missing = Example("missing.xml");
    struct Case {
        std::function<HRESULT()> call;
        HRESULT expected;
        std::string description;
    };
    const Case cases[] = {
        {[&] { return kmcdoc_object(processes.Get(), "Configurations", &object); }, E_INVALIDARG,
         "This document has no top-level object \"Configurations\"; it has Lattice, SpeciesList, ProcessList "
         "and "
         "InteractionList."},
        {[&] { return kmcdoc_object(configurations.Get(), "ProcessList", &object); }, E_INVALIDARG,
         "This document has no top-level object \"ProcessList\"; it has Lattice and SpeciesList."},
        {[&] { return kmcdoc_configuration_count(processes.Get(), &count); }, E_INVALIDARG,
         "This is a processes document; it has no configurations."},
        {[&] { return kmcdoc_configuration(configurations.Get(), 0, &object); }, E_INVALIDARG,
         "There is no configuration 0; the document has 0, counted from 0."},
        {[&] { return kmcdoc_verdicts(configurations.Get(), VARIANT_FALSE, &json); }, E_INVALIDARG,
         "Verdicts are asked of a processes document; this is a configuration document."},
        {[&] { return kmcdoc_set_lattice(processes.Get(), "Square", "p 4 m m", 1, 1, 90); }, E_UNEXPECTED,
         "KMCLattice has already been initialised"},
        {[&] { return kmcdoc_set_lattice(configurations.Get(), "Square", "p 6 m m", 1, 1, 90); },
         E_UNEXPECTED, "Symmetry group specified does not match the lattice type"},
        {[&] { return kmcdoc_new(3, &none); }, E_INVALIDARG,
         "There is no kind of document numbered 3; a processes document is 1, a configuration document 2."},
        {[&] { return kmcdoc_open_file(missing.c_str(), 0, &none, nullptr); }, E_FAIL,
         LoadFailureText(missing)},
        {[&] { return kmcdoc_kind(nullptr, nullptr); }, E_POINTER,
         "A required object is missing (null pointer)."},
        {[&] { return kmcdoc_object(processes.Get(), nullptr, &object); }, E_POINTER,
         "No element name was given."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.call(), c.expected) << c.description;
        EXPECT_EQ(ErrorText(), c.description);
    }
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(none, nullptr);
}

TEST(HostApiTest, ResultCodesHaveTheirNamesAndStandardTexts) {
    const std::pair<HRESULT, std::pair<std::string, std::string>> cases[] = {
        {E_UNEXPECTED, {"E_UNEXPECTED", "Catastrophic failure."}},
        {DISP_E_TYPEMISMATCH, {"DISP_E_TYPEMISMATCH", "Type mismatch."}},
        {MakeHResult(0x80041234), {"0x80041234", "Error 0x80041234."}},
    };
    for (const auto& [code, expected] : cases) {
        BSTR name = nullptr, text = nullptr;
        ASSERT_EQ(kmcdoc_describe_result(code, &name, &text), S_OK);
        EXPECT_EQ(std::make_pair(Take(name), Take(text)), expected);
    }
}

}  // namespace
