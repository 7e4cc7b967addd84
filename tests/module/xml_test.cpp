// The writer and the reader, through their interfaces.
#include <gtest/gtest.h>

#include <limits>

#include "support.h"
#include "xml/reader.h"
#include "xml/utils.h"
#include "xml/writer.h"

using kmctest::TakeErrorDescription;
using kmctest::Text;

namespace {

class WriterTest : public ::testing::Test {
protected:
    WriterTest() { writer_->Initialize(&tree_); }

    const xmlElement& Root() { return *tree_.Root(); }
    std::string Attribute(const xmlElement& element, const char* name) {
        const xmlAttribute* attribute = element.GetAttribute(name);
        return attribute ? attribute->Value() : "<absent>";
    }

    xmlTree tree_;
    NoxComPtr<OstrelToXML> writer_ = OstrelToXML::Create();
    IVxOstrelToXML* Writer() { return writer_.Get(); }
};

TEST_F(WriterTest, BuildsRootAndChildrenInCallOrder) {
    ASSERT_EQ(Writer()->InitializeSaver(Text("ProcessesDocument").Get(), Text("1.0").Get()), S_OK);
    ASSERT_EQ(Writer()->OpenObject(Text("Lattice").Get()), S_OK);
    ASSERT_EQ(Writer()->CloseObject(), S_OK);
    ASSERT_EQ(Writer()->OpenObject(Text("SpeciesList").Get()), S_OK);
    ASSERT_EQ(Writer()->CloseObject(), S_OK);
    writer_->Finalize();
    EXPECT_EQ(Writer()->CloseObject(), S_OK);  // extra closes change nothing

    EXPECT_EQ(Root().Name(), "ProcessesDocument");
    EXPECT_EQ(Attribute(Root(), "Version"), "1.0");
    ASSERT_EQ(Root().GetNumChildren(), 2u);
    EXPECT_EQ(dynamic_cast<const xmlElement*>(Root().Children_begin()[0])->Name(), "Lattice");
    EXPECT_EQ(dynamic_cast<const xmlElement*>(Root().Children_begin()[1])->Name(), "SpeciesList");
}

TEST_F(WriterTest, WritesTypedAttributeTexts) {
    ASSERT_EQ(Writer()->InitializeSaver(Text("Root").Get(), Text("").Get()), S_OK);
    Writer()->AddBoolAttribute(Text("MinusOne").Get(), VARIANT_TRUE);
    Writer()->AddBoolAttribute(Text("Zero").Get(), 0);
    Writer()->AddBoolAttribute(Text("One").Get(), 1);
    Writer()->AddLongAttribute(Text("Lowest").Get(), std::numeric_limits<LONG>::min());
    Writer()->AddLongAttribute(Text("Nought").Get(), 0);
    Writer()->AddDoubleAttribute(Text("Tenth").Get(), 0.1);
    Writer()->AddDoubleAttribute(Text("Huge").Get(), 1.7976931348623157e308);
    Writer()->AddAttribute(Text("Plain").Get(), Text("a < b & \"c\"").Get());

    EXPECT_EQ(Attribute(Root(), "MinusOne"), "true");
    EXPECT_EQ(Attribute(Root(), "Zero"), "false");
    EXPECT_EQ(Attribute(Root(), "One"), "false");
    EXPECT_EQ(Attribute(Root(), "Lowest"), "-2147483648");
    EXPECT_EQ(Attribute(Root(), "Nought"), "0");
    EXPECT_EQ(Attribute(Root(), "Tenth"), "0.1");
    EXPECT_EQ(std::stod(Attribute(Root(), "Huge")), 1.7976931348623157e308);
    EXPECT_EQ(Attribute(Root(), "Plain"), "a < b & \"c\"");
}

TEST_F(WriterTest, AddValueWritesTheTextOfAnyVariant) {
    ASSERT_EQ(Writer()->InitializeSaver(Text("Root").Get(), Text("1").Get()), S_OK);
    EXPECT_EQ(Writer()->AddValue(kmctest::Long(42)), S_OK);
    VARIANT null;
    VariantInit(&null);
    null.vt = VT_NULL;
    EXPECT_EQ(Writer()->AddValue(null), DISP_E_TYPEMISMATCH);
    ASSERT_EQ(Root().GetNumChildren(), 1u);
    EXPECT_EQ(dynamic_cast<const xmlText*>(Root().Children_begin()[0])->Text(), "42");
}

TEST_F(WriterTest, AddingWithoutAnOpenElementFails) {
    EXPECT_EQ(Writer()->OpenObject(Text("Lattice").Get()), E_UNEXPECTED);
    EXPECT_EQ(TakeErrorDescription(), "No elements are currently open in the tree");
    EXPECT_EQ(Writer()->AddLongAttribute(Text("Count").Get(), 1), E_UNEXPECTED);

    NoxComPtr<OstrelToXML> unbound = OstrelToXML::Create();
    EXPECT_EQ(unbound->InitializeSaver(Text("Root").Get(), Text("1").Get()), E_UNEXPECTED);
    EXPECT_EQ(TakeErrorDescription(), "OstrelToXML has not been initialised.");
}

TEST_F(WriterTest, SecondInitializeKeepsTheFirstTree) {
    xmlTree other;
    try {
        writer_->Initialize(&other);
        FAIL() << "second Initialize accepted";
    } catch (const NoxResult& failure) {
        EXPECT_EQ(failure.Code(), E_UNEXPECTED);
        EXPECT_EQ(failure.Description(), "OstrelToXML has already been initialised.");
    }
    ASSERT_EQ(Writer()->InitializeSaver(Text("Root").Get(), Text("1").Get()), S_OK);
    EXPECT_NE(tree_.Root(), nullptr);
    EXPECT_EQ(other.Root(), nullptr);
}

TEST_F(WriterTest, InvalidElementNameIsRefused) {
    ASSERT_EQ(Writer()->InitializeSaver(Text("Root").Get(), Text("1").Get()), S_OK);
    EXPECT_EQ(Writer()->OpenObject(Text("two words").Get()), E_INVALIDARG);
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

TEST_F(ReaderTest, ReturnsRootNameAndVersion) {
    Load(R"(<Doc Version="2.5"><A/></Doc>)");
    EXPECT_EQ(rootName_, "Doc");
    EXPECT_EQ(version_, "2.5");
}

TEST_F(ReaderTest, MissingVersionReadsEmpty) {
    Load("<Doc/>");
    EXPECT_EQ(version_, "");
}

TEST_F(ReaderTest, OffersOnlyTheNextChild) {
    Load("<Doc><First/><Second/></Doc>");
    EXPECT_EQ(Open("Second"), S_FALSE);
    EXPECT_EQ(Open("first"), S_FALSE);  // names compare exactly
    EXPECT_EQ(Open("First"), S_OK);
    EXPECT_EQ(Reader()->CloseElement(), S_OK);
    EXPECT_EQ(Open("Second"), S_OK);
    EXPECT_EQ(Reader()->CloseElement(), S_OK);
    EXPECT_EQ(Open("Second"), S_FALSE);
}

TEST_F(ReaderTest, TextMustBeConsumedBeforeTheNextElement) {
    Load("<Doc>hello<A/></Doc>");
    VARIANT_BOOL remaining = 0;
    EXPECT_EQ(Reader()->AreElementsRemaining(&remaining), S_OK);
    EXPECT_EQ(remaining, VARIANT_TRUE);
    EXPECT_EQ(Open("A"), S_FALSE);
    NoxBSTR value;
    EXPECT_EQ(Reader()->GetValue(value.Put()), S_OK);
    EXPECT_EQ(value.ToTString(), "hello");
    EXPECT_EQ(Reader()->GetValue(value.Put()), E_UNEXPECTED);  // the next node is an element
    EXPECT_EQ(Open("A"), S_OK);
    EXPECT_EQ(Reader()->GetValue(value.Put()), S_FALSE);
    EXPECT_EQ(Reader()->AreElementsRemaining(&remaining), S_OK);
    EXPECT_EQ(remaining, VARIANT_FALSE);
}

TEST_F(ReaderTest, TypedAttributeReadsFollowStreamExtraction) {
    Load(R"(<Doc Exp="1.5e3" Letters="abc" Digits="12x" Yes="true" No="false" Caps="TRUE" One="1"/>)");
    double d = -1;
    EXPECT_EQ(Reader()->GetDoubleAttributeValue(Text("Exp").Get(), &d), S_OK);
    EXPECT_EQ(d, 1500.0);
    EXPECT_EQ(Reader()->GetDoubleAttributeValue(Text("Letters").Get(), &d), S_OK);
    EXPECT_EQ(d, 0.0);
    d = -1;
    EXPECT_EQ(Reader()->GetDoubleAttributeValue(Text("Absent").Get(), &d), S_FALSE);
    EXPECT_EQ(d, 0.0);
    LONG l = -1;
    EXPECT_EQ(Reader()->GetLongAttributeValue(Text("Digits").Get(), &l), S_OK);
    EXPECT_EQ(l, 12);

    struct BoolCase {
        const char* name;
        VARIANT_BOOL value;
        HRESULT hr;
    };
    for (const BoolCase& c :
         {BoolCase{"Yes", VARIANT_TRUE, S_OK}, BoolCase{"No", 0, S_OK}, BoolCase{"Caps", 0, S_FALSE},
          BoolCase{"One", 0, S_FALSE}, BoolCase{"Absent", 0, S_FALSE}}) {
        VARIANT_BOOL b = 5;
        EXPECT_EQ(Reader()->GetBoolAttributeValue(Text(c.name).Get(), &b), c.hr) << c.name;
        EXPECT_EQ(b, c.value) << c.name;
    }
    NoxBSTR text;
    EXPECT_EQ(Reader()->GetAttributeValue(Text("Absent").Get(), text.Put()), S_FALSE);
    EXPECT_EQ(text.Get(), nullptr);
}

TEST_F(ReaderTest, MisuseFailsWithItsDescription) {
    tree_ = xmlTree::ParseString("<Doc/>");
    reader_->Initialize(tree_.get());
    EXPECT_EQ(Open("A"), E_UNEXPECTED);
    EXPECT_EQ(TakeErrorDescription(), "No elements are currently open in the tree");
    double d = 3;
    EXPECT_EQ(Reader()->GetDoubleAttributeValue(Text("X").Get(), &d), E_UNEXPECTED);
    EXPECT_EQ(d, 0.0);
    EXPECT_EQ(TakeErrorDescription(), "No elements are currently open in the tree");
    EXPECT_EQ(Reader()->AreElementsRemaining(nullptr), E_POINTER);
    EXPECT_EQ(Reader()->GetValue(nullptr), E_POINTER);
    EXPECT_EQ(Reader()->CloseElement(), S_OK);
    NoxBSTR name;
    EXPECT_EQ(Reader()->InitializeLoader(name.Put(), nullptr), E_POINTER);

    NoxComPtr<XMLToOstrel> unbound = XMLToOstrel::Create();
    NoxBSTR version;
    EXPECT_EQ(unbound->InitializeLoader(name.Put(), version.Put()), E_UNEXPECTED);
    EXPECT_EQ(TakeErrorDescription(), "XMLToOstrel has not been initialised.");
}

TEST_F(ReaderTest, WhatTheWriterWritesTheReaderReads) {
    xmlTree written;
    NoxComPtr<OstrelToXML> writer = OstrelToXML::Create();
    writer->Initialize(&written);
    writer->InitializeSaver(Text("Doc").Get(), Text("1.0").Get());
    writer->OpenObject(Text("Item").Get());
    writer->AddDoubleAttribute(Text("Radius").Get(), 0.1 + 0.2);
    writer->AddLongAttribute(Text("Count").Get(), -7);
    writer->AddBoolAttribute(Text("Flag").Get(), VARIANT_TRUE);
    writer->CloseObject();
    writer->Finalize();

    Load(written.SaveString().c_str());
    ASSERT_EQ(Open("Item"), S_OK);
    double radius = 0;
    LONG count = 0;
    VARIANT_BOOL flag = 0;
    Reader()->GetDoubleAttributeValue(Text("Radius").Get(), &radius);
    Reader()->GetLongAttributeValue(Text("Count").Get(), &count);
    Reader()->GetBoolAttributeValue(Text("Flag").Get(), &flag);
    EXPECT_EQ(radius, 0.1 + 0.2);
    EXPECT_EQ(count, -7);
    EXPECT_EQ(flag, VARIANT_TRUE);
}

}  // namespace

namespace {

TEST(OstrelUtilsTest, ObjectWithoutSerializerFailsAndWritesNothing) {
    xmlTree tree;
    NoxComPtr<OstrelToXML> writer = OstrelToXML::Create();
    writer->Initialize(&tree);
    writer->InitializeSaver(Text("Doc").Get(), Text("1.0").Get());
    NoxComPtr<XMLToOstrel> notPersistent = XMLToOstrel::Create();
    try {
        OstrelUtils::SaveXML(notPersistent.As<IDispatch>().Get(), writer.Get());
        FAIL() << "saved an object without a serializer";
    } catch (const NoxResult& failure) {
        EXPECT_EQ(failure.Code(), E_NOINTERFACE);
    }
    EXPECT_EQ(tree.Root()->GetNumChildren(), 0u);
    EXPECT_THROW(OstrelUtils::LoadXML(nullptr, nullptr), NoxResult);
}

}  // namespace
