// The component frame, exercised through a small component of its own: interface lookup, the
// error-information test, the boundary's conversions, dispatch, parent links and the edit
// bracket.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "com/implements.h"
#include "frame/component.h"
#include "frame/parent.h"
#include "support.h"
#include "typelib/typelib.h"
#include "vxostrel/serializer.h"

using namespace kmctest;
using ::testing::Return;

struct IVxTestWidget : IDispatch {
    virtual HRESULT get_Size(LONG* size) = 0;
    virtual HRESULT put_Size(LONG size) = 0;
    virtual HRESULT Fail(LONG kind) = 0;
    virtual HRESULT Forward(IVxTestWidget* inner, LONG size) = 0;
};
NOX_DECLARE_IID(IVxTestWidget, "{0B9E3B0C-5E0A-4C57-9E4B-6D3A1F0C2A11}");
inline constexpr GUID LIBID_FrameTest = MakeGuid("{0B9E3B0C-5E0A-4C57-9E4B-6D3A1F0C2A12}");
inline constexpr CLSID CLSID_TestWidget = MakeGuid("{0B9E3B0C-5E0A-4C57-9E4B-6D3A1F0C2A13}");

template <>
struct kmc::TypeLibraryOf<IVxTestWidget> {
    static constexpr const GUID* libid = &LIBID_FrameTest;
    static constexpr WORD major = 1;
    static constexpr WORD minor = 0;
};

inline const nox::typelib::InterfaceDesc& DescribeInterface(IVxTestWidget*) {
    static const auto desc = nox::typelib::Describe<IVxTestWidget>({
        NOX_MEMBER(IVxTestWidget, get_Size, "size"),
        NOX_MEMBER(IVxTestWidget, put_Size, "size"),
        NOX_MEMBER(IVxTestWidget, Fail, "kind"),
        NOX_MEMBER(IVxTestWidget, Forward, "inner, size"),
    });
    return desc;
}

namespace {

enum FailureKind : LONG { kNoxResult, kRawCode, kBadAlloc, kStdException, kForeign };

class TestWidget final : public kmc::Component<TestWidget, IVxTestWidget, IVxKMCSerializer> {
public:
    static constexpr const char* kClassName = "TestWidget";
    static constexpr const CLSID& kClassId = CLSID_TestWidget;

    void SetParent(CKMCDocumentsBase* document) { links_.LinkOnce(kClassName, document); }
    CKMCDocumentsBase* ParentDocument() const { return links_.Document(); }
    LONG Size() const { return size_; }

    HRESULT get_Size(LONG* size) override {
        return Boundary([&] { *kmc::Out(size, "TestWidget::get_Size") = size_; });
    }
    HRESULT put_Size(LONG size) override {
        return Boundary([&] {
            Edit([&] {
                if (size < 0) throw NoxResult(E_INVALIDARG, "A size cannot be negative.");
                size_ = size;
            });
        });
    }
    HRESULT Fail(LONG kind) override {
        return Boundary([&] {
            switch (kind) {
                case kNoxResult:
                    throw NoxResult(E_UNEXPECTED, "Widget refused.");
                case kRawCode:
                    throw static_cast<uint32_t>(DISP_E_OVERFLOW);
                case kBadAlloc:
                    throw std::bad_alloc();
                case kStdException:
                    throw std::runtime_error("the gears jammed");
                default:
                    throw 42;
            }
        });
    }
    HRESULT Forward(IVxTestWidget* inner, LONG size) override {
        return Boundary([&] { nox::Check(CheckNullDereference(inner)->put_Size(size)); });
    }
    HRESULT SaveToXML(IVxOstrelToXML*) override {
        return Boundary<IVxKMCSerializer>(
            [] { throw NoxResult(E_UNEXPECTED, "Failed to open Widget element"); });
    }
    HRESULT LoadFromXML(IVxXMLToOstrel*) override { return E_NOTIMPL; }

private:
    kmc::ParentLinks<CKMCDocumentsBase> links_;
    LONG size_ = 0;
};

class FrameTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(
            nox::typelib::RegisterTypeLibrary({LIBID_FrameTest,
                                               1,
                                               0,
                                               "FrameTest",
                                               {&DescribeInterface(static_cast<IVxTestWidget*>(nullptr))}}),
            S_OK);
    }
    static void TearDownTestSuite() { nox::typelib::UnregisterTypeLibrary(LIBID_FrameTest, 1); }

    NoxComPtr<TestWidget> widget_ = TestWidget::Create();
    IVxTestWidget* Interface() { return widget_.Get(); }
};

TEST_F(FrameTest, LooksUpItsInterfacesWithOneIdentityAndSupportsErrorInfoForItsOwn) {
    NoxComPtr<IUnknown> identity = widget_.As<IUnknown>();
    for (auto [iid, errorInfo] : {std::pair{&IID_IVxTestWidget, S_OK},
                                  {&IID_IVxKMCSerializer, S_OK},
                                  {&IID_ISupportErrorInfo, S_OK},
                                  {&IID_IDispatch, S_FALSE}}) {
        NoxComPtr<IUnknown> part;
        ASSERT_EQ(widget_->QueryInterface(*iid, part.PutVoid()), S_OK) << nox::FormatGuid(*iid);
        EXPECT_EQ(part.As<IUnknown>(), identity);
        EXPECT_EQ(widget_->InterfaceSupportsErrorInfo(*iid), errorInfo) << nox::FormatGuid(*iid);
    }
    EXPECT_EQ(widget_->InterfaceSupportsErrorInfo(IID_IUnknown), S_FALSE);
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(widget_->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
}

// Every kind of failure becomes a code and an error record naming the interface of the method.
TEST_F(FrameTest, BoundaryConvertsEveryKindOfFailure) {
    struct Case {
        std::function<HRESULT()> call;
        HRESULT code;
        std::string description;
        GUID source;
    };
    const Case cases[] = {
        {[&] { return Interface()->Fail(kNoxResult); }, E_UNEXPECTED, "Widget refused.", IID_IVxTestWidget},
        {[&] { return Interface()->Fail(kRawCode); }, DISP_E_OVERFLOW,
         NoxResult::StandardText(DISP_E_OVERFLOW), IID_IVxTestWidget},
        {[&] { return Interface()->Fail(kBadAlloc); }, E_OUTOFMEMORY, std::bad_alloc().what(),
         IID_IVxTestWidget},
        {[&] { return Interface()->Fail(kStdException); }, E_FAIL, "the gears jammed", IID_IVxTestWidget},
        {[&] { return Interface()->Fail(kForeign); }, E_FAIL, "Internal Error", IID_IVxTestWidget},
        {[&] { return Interface()->get_Size(nullptr); }, E_POINTER,
         "Output argument for TestWidget::get_Size is not set.", IID_IVxTestWidget},
        {[&] { return widget_->SaveToXML(nullptr); }, E_UNEXPECTED, "Failed to open Widget element",
         IID_IVxKMCSerializer},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.call(), c.code) << c.description;
        NoxComPtr<IErrorInfo> info;
        ASSERT_EQ(GetErrorInfo(0, info.Put()), S_OK);
        GUID source{};
        EXPECT_EQ(info->GetGUID(&source), S_OK);
        EXPECT_EQ(source, c.source) << c.description;
        NoxBSTR description;
        EXPECT_EQ(info->GetDescription(description.Put()), S_OK);
        EXPECT_EQ(description.ToTString(), c.description);
        EXPECT_EQ(NoxResult::LastError().Description(), c.description);
    }
    EXPECT_EQ(TestWidget::CreateInstance(nullptr), E_POINTER);
    EXPECT_EQ(TakeErrorDescription(), "No pointer supplied for output argument.");
}

TEST_F(FrameTest, DispatchReachesMembersAndReportsFailures) {
    UINT count = 0;
    EXPECT_EQ(widget_->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ITypeInfo* info = reinterpret_cast<ITypeInfo*>(1);
    EXPECT_EQ(widget_->GetTypeInfo(1, 0, &info), DISP_E_BADINDEX);
    LPOLESTR names[] = {const_cast<LPOLESTR>(u"Size")};
    DISPID id = 0;
    EXPECT_EQ(widget_->GetIDsOfNames(IID_IUnknown, names, 1, 0, &id), DISP_E_UNKNOWNINTERFACE);

    EXPECT_EQ(DispatchCall(widget_.Get(), u"size", DISPATCH_PROPERTYPUT, {Long(12)}).hr, S_OK);
    EXPECT_EQ(widget_->Size(), 12);
    DispatchCall fail(widget_.Get(), u"Fail", DISPATCH_METHOD, {Long(kStdException)});
    EXPECT_EQ(fail.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(fail.exception.scode, E_FAIL);
    EXPECT_EQ(fail.Description(), "the gears jammed");
}

TEST_F(FrameTest, InnermostDescriptionReachesTheClientUnchanged) {
    NoxComPtr<TestWidget> inner = TestWidget::Create();
    EXPECT_EQ(Result(Interface()->Forward(inner.Get(), -1)),
              Outcome(E_INVALIDARG, "A size cannot be negative."));

    NoxComPtr<IDispatch> innerDispatch = inner.As<IDispatch>();
    DispatchCall call(widget_.Get(), u"Forward", DISPATCH_METHOD,
                      {nox::testing::MakeVariant(VT_DISPATCH, innerDispatch.Get()), Long(-5)});
    EXPECT_EQ(call.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(call.exception.scode, E_INVALIDARG);
    EXPECT_EQ(call.Description(), "A size cannot be negative.");
}

// An object of another implementation that answers the widget's interface id.
class ImpostorWidget final : public nox::Implements<IVxTestWidget> {
public:
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT get_Size(LONG*) override { return E_NOTIMPL; }
    HRESULT put_Size(LONG) override { return E_NOTIMPL; }
    HRESULT Fail(LONG) override { return E_NOTIMPL; }
    HRESULT Forward(IVxTestWidget*, LONG) override { return E_NOTIMPL; }
};

// An outer object that hands out an inner object's interfaces as its own.
class Outer final : public IUnknown {
public:
    explicit Outer(IUnknown* inner) : inner_(inner) {}
    HRESULT QueryInterface(REFIID iid, void** out) override {
        if (iid != IID_IUnknown) return inner_->QueryInterface(iid, out);
        *out = this;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }
    int references = 1;

private:
    IUnknown* inner_;
};

TEST_F(FrameTest, FromInterfaceFindsTheObjectBehindAnyOfItsPointersAndRefusesOthers) {
    NoxComPtr<IUnknown> identity = widget_.As<IUnknown>();
    NoxComPtr<IVxKMCSerializer> serializer = widget_.As<IVxKMCSerializer>();
    Outer outer(identity.Get());
    for (IUnknown* pointer : {identity.Get(), static_cast<IUnknown*>(serializer.Get()),
                              static_cast<IUnknown*>(Interface()), static_cast<IUnknown*>(&outer)})
        EXPECT_EQ(&TestWidget::FromInterface(pointer), widget_.Get());

    const Outcome refused(E_INVALIDARG, "The object given is not this library's TestWidget.");
    nox::testing::FakeObject foreign;
    NoxComPtr<ImpostorWidget> impostor = NoxComPtr<ImpostorWidget>::Attach(new ImpostorWidget);
    EXPECT_EQ(Raised([&] { TestWidget::FromInterface(&foreign); }), refused);
    EXPECT_EQ(Raised([&] { TestWidget::FromInterface(impostor.Get()); }), refused);
    EXPECT_EQ(Raised([&] { TestWidget::FromInterface(nullptr); }), refused);
    EXPECT_EQ(foreign.references, 1);
    EXPECT_EQ(outer.references, 1);
    EXPECT_EQ(impostor->AddRef(), 2u);
    EXPECT_EQ(impostor->Release(), 1u);
}

TEST_F(FrameTest, ParentIsSetOnce) {
    MockDocument first, second;
    widget_->SetParent(nullptr);  // a null document does not count as set
    widget_->SetParent(&first);
    EXPECT_EQ(Raised([&] { widget_->SetParent(&second); }),
              Outcome(E_UNEXPECTED, "Parent is already set for TestWidget."));
    EXPECT_EQ(widget_->ParentDocument(), &first);
}

// A refusal changes nothing, a failed class check marks nothing, a success marks the document
// once, and an object without a document is edited without any notification.
TEST_F(FrameTest, EditsAskTheDocumentAndMarkItOnlyOnSuccess) {
    MockDocument document;
    widget_->SetParent(&document);
    EXPECT_CALL(document, SetEditing).Times(0);
    {
        ::testing::InSequence order;
        EXPECT_CALL(document, CanEdit())
            .WillOnce(Return(NoxResult(E_ACCESSDENIED, "The document is locked.")));
        EXPECT_CALL(document, CanEdit()).Times(2).WillRepeatedly(Return(NoxResult(S_OK)));
        EXPECT_CALL(document, SetModified(true)).Times(1);
    }
    EXPECT_EQ(Result(Interface()->put_Size(5)), Outcome(E_ACCESSDENIED, "The document is locked."));
    EXPECT_EQ(widget_->Size(), 0);
    EXPECT_EQ(Interface()->put_Size(-1), E_INVALIDARG);
    EXPECT_EQ(Interface()->put_Size(5), S_OK);
    EXPECT_EQ(widget_->Size(), 5);

    NoxComPtr<TestWidget> loose = TestWidget::Create();
    EXPECT_EQ(loose->put_Size(9), S_OK);
    EXPECT_EQ(loose->Size(), 9);
}

TEST(EditHelperTest, BracketOpensAndClosesWithoutCheckAndSkipCheckAsksNothing) {
    MockDocument document;
    EXPECT_CALL(document, CanEdit()).Times(0);
    ::testing::InSequence order;
    EXPECT_CALL(document, SetEditing(true));
    EXPECT_CALL(document, SetEditing(false));
    { CKMCDocumentsEditHelper bracket(&document, true, false); }
    { CKMCDocumentsEditHelper skipped(&document, false, true); }
    { CKMCDocumentsEditHelper none(nullptr, true, false); }
}

}  // namespace
