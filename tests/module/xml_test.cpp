// The writer and the reader, through their interfaces.
#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "support.h"
#include "vxostrel/tree.h"

using namespace kmctest;

namespace {

class WriterTest : public ::testing::Test {
protected:
    WriterTest() { writer_->Initialize(&tree_); }

    const xmlElement& Root() { return *tree_.Root(); }
    std::string Attribute(const char* name) {
        const xmlAttribute* attribute = Root().GetAttribute(name);
        return attribute ? std::string(attribute->Value()) : "<absent>";
    }

    xmlTree tree_;
    NoxComPtr<OstrelToXML> writer_ = OstrelToXML::Create();
    IVxOstrelToXML* Writer() { return writer_.Get(); }
};

TEST_F(WriterTest, WritesTypedAttributeTextsAndValues) {
    ASSERT_EQ(Writer()->InitializeSaver(Text("Root").Get(), Text("").Get()), S_OK);
    EXPECT_EQ(Writer()->AddBoolAttribute(Text("MinusOne").Get(), VARIANT_TRUE), S_OK);
    EXPECT_EQ(Writer()->AddBoolAttribute(Text("Zero").Get(), 0), S_OK);
    EXPECT_EQ(Writer()->AddBoolAttribute(Text("One").Get(), 1), S_OK);
    EXPECT_EQ(Writer()->AddLongAttribute(Text("Lowest").Get(), std::numeric_limits<LONG>::min()), S_OK);
    EXPECT_EQ(Writer()->AddLongAttribute(Text("Nought").Get(), 0), S_OK);
    EXPECT_EQ(Writer()->AddDoubleAttribute(Text("Tenth").Get(), 0.1), S_OK);
    EXPECT_EQ(Writer()->AddDoubleAttribute(Text("Huge").Get(), 1.7976931348623157e308), S_OK);
    EXPECT_EQ(Writer()->AddAttribute(Text("Plain").Get(), Text("a < b & \"c\"").Get()), S_OK);
    for (auto [name, text] : {std::pair{"MinusOne", "true"},
                              {"Zero", "false"},
                              {"One", "false"},
                              {"Lowest", "-2147483648"},
                              {"Nought", "0"},
                              {"Tenth", "0.1"},
                              {"Plain", "a < b & \"c\""}})
        EXPECT_EQ(Attribute(name), text) << name;
    EXPECT_EQ(std::stod(Attribute("Huge")), 1.7976931348623157e308);

    EXPECT_EQ(Writer()->AddValue(Long(42)), S_OK);
    EXPECT_EQ(Writer()->AddValue(nox::testing::MakeVariant(VT_NULL, 0)), DISP_E_TYPEMISMATCH);
    ASSERT_EQ(Root().GetNumChildren(), 1u);
    EXPECT_EQ(dynamic_cast<const xmlText*>(Root().Children_begin()[0])->Text(), "42");
}

TEST_F(WriterTest, MisuseFailsWithItsDescriptionAndKeepsTheFirstTree) {
    EXPECT_EQ(Result(Writer()->OpenObject(Text("Lattice").Get())),
              Outcome(E_UNEXPECTED, "No elements are currently open in the tree"));
    EXPECT_EQ(Writer()->AddLongAttribute(Text("Count").Get(), 1), E_UNEXPECTED);
    NoxComPtr<OstrelToXML> unbound = OstrelToXML::Create();
    EXPECT_EQ(Result(unbound->InitializeSaver(Text("Root").Get(), Text("1").Get())),
              Outcome(E_UNEXPECTED, "OstrelToXML has not been initialised."));

    xmlTree other;
    EXPECT_EQ(Raised([&] { writer_->Initialize(&other); }),
              Outcome(E_UNEXPECTED, "OstrelToXML has already been initialised."));
    ASSERT_EQ(Writer()->InitializeSaver(Text("Root").Get(), Text("1").Get()), S_OK);
    EXPECT_EQ(other.Root(), nullptr);
    EXPECT_EQ(Writer()->OpenObject(Text("two words").Get()), E_INVALIDARG);
    writer_->Finalize();
    EXPECT_EQ(Writer()->CloseObject(), S_OK);  // extra closes change nothing
    EXPECT_EQ(Root().Name(), "Root");
    EXPECT_EQ(Root().GetNumChildren(), 0u);
}

class ReaderTest : public ::testing::Test {
protected:
    void Load(const char* xml) {
        tree_ = xmlTree::ParseString(xml);
        reader_->Initialize(tree_.get());
        NoxBSTR root, version;
        ASSERT_EQ(Reader()->InitializeLoader(root.Put(), version.Put()), S_OK);
        rootName_ = root.ToTString();
        version_ = version.ToTString();
    }
    IVxXMLToOstrel* Reader() { return reader_.Get(); }
    HRESULT Open(const char* name) { return Reader()->OpenNextElement(Text(name).Get()); }

    std::unique_ptr<xmlTree> tree_;
    NoxComPtr<XMLToOstrel> reader_ = XMLToOstrel::Create();
    std::string rootName_, version_;
};

// Only the next child is offered, and text before it must be read first.
TEST_F(ReaderTest, OffersOnlyTheNextNode) {
    Load(R"(<Doc Version="2.5"><First/>hello<Second/></Doc>)");
    EXPECT_EQ(std::tie(rootName_, version_), std::make_tuple("Doc", "2.5"));
    EXPECT_EQ(Open("Second"), S_FALSE);
    EXPECT_EQ(Open("first"), S_FALSE);  // names compare exactly
    EXPECT_EQ(Open("First"), S_OK);
    EXPECT_EQ(Reader()->CloseElement(), S_OK);
    VARIANT_BOOL remaining = 0;
    EXPECT_EQ(Reader()->AreElementsRemaining(&remaining), S_OK);
    EXPECT_EQ(remaining, VARIANT_TRUE);
    EXPECT_EQ(Open("Second"), S_FALSE);
    NoxBSTR value;
    EXPECT_EQ(Reader()->GetValue(value.Put()), S_OK);
    EXPECT_EQ(value.ToTString(), "hello");
    EXPECT_EQ(Reader()->GetValue(value.Put()), E_UNEXPECTED);  // the next node is an element
    EXPECT_EQ(Open("Second"), S_OK);
    EXPECT_EQ(Reader()->GetValue(value.Put()), S_FALSE);
    EXPECT_EQ(Reader()->CloseElement(), S_OK);
    EXPECT_EQ(Open("Second"), S_FALSE);
    EXPECT_EQ(Reader()->AreElementsRemaining(&remaining), S_OK);
    EXPECT_EQ(remaining, VARIANT_FALSE);
}

TEST_F(ReaderTest, TypedAttributeReadsFollowStreamExtraction) {
    Load(R"(<Doc Exp="1.5e3" Letters="abc" Digits="12x" Yes="true" No="false" Caps="TRUE" One="1"/>)");
    for (auto [name, value, hr] :
         {std::tuple{"Exp", 1500.0, S_OK}, {"Letters", 0.0, S_OK}, {"Absent", 0.0, S_FALSE}}) {
        double d = -1;
        EXPECT_EQ(Reader()->GetDoubleAttributeValue(Text(name).Get(), &d), hr) << name;
        EXPECT_EQ(d, value) << name;
    }
    LONG l = -1;
    EXPECT_EQ(Reader()->GetLongAttributeValue(Text("Digits").Get(), &l), S_OK);
    EXPECT_EQ(l, 12);
    for (auto [name, value, hr] : {std::tuple{"Yes", VARIANT_TRUE, S_OK},
                                   {"No", VARIANT_BOOL{0}, S_OK},
                                   {"Caps", VARIANT_BOOL{0}, S_FALSE},
                                   {"One", VARIANT_BOOL{0}, S_FALSE},
                                   {"Absent", VARIANT_BOOL{0}, S_FALSE}}) {
        VARIANT_BOOL b = 5;
        EXPECT_EQ(Reader()->GetBoolAttributeValue(Text(name).Get(), &b), hr) << name;
        EXPECT_EQ(b, value) << name;
    }
    NoxBSTR text;
    EXPECT_EQ(Reader()->GetAttributeValue(Text("Absent").Get(), text.Put()), S_FALSE);
    EXPECT_EQ(text.Get(), nullptr);
}

// Attributes are found whatever the order they are asked in, and each element answers for its own.
TEST_F(ReaderTest, AttributesAreFoundInAnyOrder) {
    Load(R"(<Doc A="1" B="2" C="3"><Child C="c" A="a"/></Doc>)");
    const auto read = [&](const char* name) {
        NoxBSTR text;
        const HRESULT hr = Reader()->GetAttributeValue(Text(name).Get(), text.Put());
        return hr == S_OK ? text.ToTString() : hr == S_FALSE ? "absent" : "failed";
    };
    for (auto [name, value] : {std::pair{"A", "1"}, {"B", "2"}, {"C", "3"}, {"C", "3"}, {"Z", "absent"},
                               {"B", "2"}, {"A", "1"}, {"C", "3"}, {"A", "1"}})
        EXPECT_EQ(read(name), value) << name;
    ASSERT_EQ(Open("Child"), S_OK);
    EXPECT_EQ(read("A"), "a");
    EXPECT_EQ(read("B"), "absent");
    EXPECT_EQ(read("C"), "c");
    EXPECT_EQ(Reader()->CloseElement(), S_OK);
    EXPECT_EQ(read("B"), "2");
}

TEST_F(ReaderTest, MisuseFailsWithItsDescription) {
    tree_ = xmlTree::ParseString("<Doc/>");
    reader_->Initialize(tree_.get());
    const Outcome closed(E_UNEXPECTED, "No elements are currently open in the tree");
    EXPECT_EQ(Result(Open("A")), closed);
    double d = 3;
    EXPECT_EQ(Result(Reader()->GetDoubleAttributeValue(Text("X").Get(), &d)), closed);
    EXPECT_EQ(d, 0.0);
    EXPECT_EQ(Reader()->AreElementsRemaining(nullptr), E_POINTER);
    EXPECT_EQ(Reader()->GetValue(nullptr), E_POINTER);
    EXPECT_EQ(Reader()->CloseElement(), S_OK);
    NoxBSTR name, version;
    EXPECT_EQ(Reader()->InitializeLoader(name.Put(), nullptr), E_POINTER);
    EXPECT_EQ(Reader()->InitializeLoader(name.Put(), version.Put()), S_OK);
    EXPECT_EQ(version.ToTString(), "");  // no Version attribute
    EXPECT_EQ(Result(XMLToOstrel::Create()->InitializeLoader(name.Put(), version.Put())),
              Outcome(E_UNEXPECTED, "XMLToOstrel has not been initialised."));
}

TEST(OstrelUtilsTest, ObjectWithoutSerializerFailsAndWritesNothing) {
    xmlTree tree;
    NoxComPtr<OstrelToXML> writer = OstrelToXML::Create();
    writer->Initialize(&tree);
    EXPECT_EQ(writer->InitializeSaver(Text("Doc").Get(), Text("1.0").Get()), S_OK);
    NoxComPtr<XMLToOstrel> notPersistent = XMLToOstrel::Create();
    EXPECT_EQ(Raised([&] { OstrelUtils::SaveXML(notPersistent.As<IDispatch>().Get(), writer.Get()); }).first,
              E_NOINTERFACE);
    EXPECT_EQ(tree.Root()->GetNumChildren(), 0u);
    EXPECT_THROW(OstrelUtils::LoadXML(nullptr, nullptr), NoxResult);
}

// A host that sees only the interfaces hands the writer and reader their trees.
TEST(AttachTreeTest, HandsTheInterfacesTheirTreesOnce) {
    xmlTree written;
    NoxComPtr<IVxOstrelToXML> writer(OstrelToXML::Create().Get());
    kmc::AttachTree(writer.Get(), &written);
    ASSERT_EQ(writer->InitializeSaver(Text("Doc").Get(), Text("1.0").Get()), S_OK);
    const std::unique_ptr<xmlTree> read = xmlTree::ParseString(written.SaveString());
    NoxComPtr<IVxXMLToOstrel> reader(XMLToOstrel::Create().Get());
    kmc::AttachTree(reader.Get(), read.get());
    NoxBSTR root, version;
    ASSERT_EQ(reader->InitializeLoader(root.Put(), version.Put()), S_OK);
    EXPECT_EQ(root.ToTString() + " " + version.ToTString(), "Doc 1.0");

    const std::pair<std::function<void()>, Outcome> refusals[] = {
        {[&] { kmc::AttachTree(writer.Get(), &written); },
         {E_UNEXPECTED, "OstrelToXML has already been initialised."}},
        {[&] { kmc::AttachTree(reader.Get(), read.get()); },
         {E_UNEXPECTED, "XMLToOstrel has already been initialised."}},
        {[&] { kmc::AttachTree(static_cast<IVxOstrelToXML*>(nullptr), &written); },
         {E_INVALIDARG, "The object given is not this library's OstrelToXML."}},
        {[&] { kmc::AttachTree(NoxComPtr<IVxXMLToOstrel>(XMLToOstrel::Create().Get()).Get(), nullptr); },
         {E_POINTER, "No XML tree supplied to XMLToOstrel."}},
    };
    for (const auto& [attach, outcome] : refusals) EXPECT_EQ(Raised(attach), outcome);
}

}  // namespace
