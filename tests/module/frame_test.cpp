// The component frame, exercised through a small component of its own: interface lookup, the
// error-information test, the boundary's conversions, dispatch, parent links and the edit
// bracket.
#include <gtest/gtest.h>

#include <stdexcept>

#include "frame/component.h"
#include "frame/parent.h"
#include "support.h"
#include "typelib/typelib.h"
#include "vxostrel/serializer.h"

using kmctest::MockDocument;
using kmctest::TakeErrorDescription;
using ::testing::Return;

struct IVxTestWidget : IDispatch {
    virtual HRESULT get_Size(LONG* size) = 0;
    virtual HRESULT put_Size(LONG size) = 0;
    virtual HRESULT Fail(LONG kind) = 0;
    virtual HRESULT get_Kind(LONG* kind) = 0;
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
        NOX_MEMBER(IVxTestWidget, get_Kind, "kind"),
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

    void SetParent(CKMCDocumentsBase* document) { link_.LinkOnce(document, kClassName); }
    CKMCDocumentsBase* ParentDocument() const { return link_.Document(); }
    LONG Size() const { return size_; }

    HRESULT get_Size(LONG* size) override {
        return Boundary([&] { *kmc::Out(size) = size_; });
    }
    HRESULT put_Size(LONG size) override {
        return Boundary([&] {
            kmc::Edit(link_.Document(), [&] {
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
    HRESULT get_Kind(LONG* kind) override {
        return Boundary([&] { *kmc::Out(kind, "TestWidget::get_Kind") = 7; });
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
    kmc::DocumentLink link_;
    LONG size_ = 0;
};

class FrameTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        nox::typelib::RegisterTypeLibrary(
            {LIBID_FrameTest, 1, 0, "FrameTest", {&DescribeInterface(static_cast<IVxTestWidget*>(nullptr))}});
    }
    static void TearDownTestSuite() { nox::typelib::UnregisterTypeLibrary(LIBID_FrameTest, 1); }

    NoxComPtr<TestWidget> widget_ = TestWidget::Create();
    IVxTestWidget* Interface() { return widget_.Get(); }
};

TEST_F(FrameTest, LooksUpItsInterfacesWithOneIdentity) {
    NoxComPtr<IUnknown> identity = widget_.As<IUnknown>();
    for (const IID* iid :
         {&IID_IVxTestWidget, &IID_IDispatch, &IID_ISupportErrorInfo, &IID_IVxKMCSerializer}) {
        NoxComPtr<IUnknown> part;
        ASSERT_EQ(widget_->QueryInterface(*iid, part.PutVoid()), S_OK) << nox::FormatGuid(*iid);
        EXPECT_EQ(part.As<IUnknown>(), identity);
    }
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(widget_->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
}

TEST_F(FrameTest, SupportsErrorInfoOnlyForItsOwnInterfaces) {
    EXPECT_EQ(widget_->InterfaceSupportsErrorInfo(IID_IVxTestWidget), S_OK);
    EXPECT_EQ(widget_->InterfaceSupportsErrorInfo(IID_IVxKMCSerializer), S_OK);
    EXPECT_EQ(widget_->InterfaceSupportsErrorInfo(IID_ISupportErrorInfo), S_OK);
    EXPECT_EQ(widget_->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
    EXPECT_EQ(widget_->InterfaceSupportsErrorInfo(IID_IUnknown), S_FALSE);
}

TEST_F(FrameTest, LastReleaseDestroysTheObject) {
    long before = CNoxUnknown::LiveObjects();
    NoxComPtr<TestWidget> other = TestWidget::Create();
    EXPECT_EQ(CNoxUnknown::LiveObjects(), before + 1);
    NoxComPtr<IDispatch> dispatch = other.As<IDispatch>();
    other.Reset();
    EXPECT_EQ(CNoxUnknown::LiveObjects(), before + 1);
    dispatch.Reset();
    EXPECT_EQ(CNoxUnknown::LiveObjects(), before);
}

TEST_F(FrameTest, NullOutputPointersAreRefusedWithTheirSentence) {
    EXPECT_EQ(Interface()->get_Size(nullptr), E_POINTER);
    EXPECT_EQ(TakeErrorDescription(), "No pointer supplied for output argument.");
    EXPECT_EQ(Interface()->get_Kind(nullptr), E_POINTER);
    EXPECT_EQ(TakeErrorDescription(), "Output argument for TestWidget::get_Kind is not set.");
    EXPECT_EQ(TestWidget::CreateInstance(nullptr), E_POINTER);
    EXPECT_EQ(TakeErrorDescription(), "No pointer supplied for output argument.");
}

TEST_F(FrameTest, BoundaryConvertsEveryKindOfFailure) {
    struct Case {
        LONG kind;
        HRESULT code;
        std::string description;
    };
    for (const Case& c :
         {Case{kNoxResult, E_UNEXPECTED, "Widget refused."},
          Case{kRawCode, DISP_E_OVERFLOW, NoxResult::StandardText(DISP_E_OVERFLOW)},
          Case{kBadAlloc, E_OUTOFMEMORY, std::bad_alloc().what()},
          Case{kStdException, E_FAIL, "the gears jammed"}, Case{kForeign, E_FAIL, "Internal Error"}}) {
        EXPECT_EQ(Interface()->Fail(c.kind), c.code) << c.kind;
        NoxComPtr<IErrorInfo> info;
        ASSERT_EQ(GetErrorInfo(0, info.Put()), S_OK);
        GUID source{};
        info->GetGUID(&source);
        EXPECT_EQ(source, IID_IVxTestWidget);
        NoxBSTR description;
        info->GetDescription(description.Put());
        EXPECT_EQ(description.ToTString(), c.description);
        EXPECT_EQ(NoxResult::LastError().Description(), c.description);
    }
}

TEST_F(FrameTest, SerializerMethodsNameTheSerializerAsSource) {
    EXPECT_EQ(widget_->SaveToXML(nullptr), E_UNEXPECTED);
    NoxComPtr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, info.Put()), S_OK);
    GUID source{};
    info->GetGUID(&source);
    EXPECT_EQ(source, IID_IVxKMCSerializer);
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

    kmctest::DispatchCall put;
    kmctest::CallByName(put, widget_.Get(), u"size", DISPATCH_PROPERTYPUT, {kmctest::Long(12)});
    EXPECT_EQ(put.hr, S_OK);
    EXPECT_EQ(widget_->Size(), 12);

    kmctest::DispatchCall fail;
    kmctest::CallByName(fail, widget_.Get(), u"Fail", DISPATCH_METHOD, {kmctest::Long(kStdException)});
    EXPECT_EQ(fail.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(fail.exception.scode, E_FAIL);
    EXPECT_EQ(fail.Description(), "the gears jammed");
}

TEST_F(FrameTest, InnermostDescriptionReachesTheClientUnchanged) {
    NoxComPtr<TestWidget> inner = TestWidget::Create();
    EXPECT_EQ(Interface()->Forward(inner.Get(), -1), E_INVALIDARG);
    EXPECT_EQ(TakeErrorDescription(), "A size cannot be negative.");

    NoxComPtr<IDispatch> innerDispatch = inner.As<IDispatch>();
    VARIANT innerArg;
    VariantInit(&innerArg);
    innerArg.vt = VT_DISPATCH;
    innerArg.pdispVal = innerDispatch.Get();
    kmctest::DispatchCall call;
    kmctest::CallByName(call, widget_.Get(), u"Forward", DISPATCH_METHOD, {innerArg, kmctest::Long(-5)});
    EXPECT_EQ(call.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(call.exception.scode, E_INVALIDARG);
    EXPECT_EQ(call.Description(), "A size cannot be negative.");
}

TEST_F(FrameTest, ParentIsSetOnce) {
    MockDocument first, second;
    widget_->SetParent(nullptr);  // a null document does not count as set
    widget_->SetParent(&first);
    try {
        widget_->SetParent(&second);
        FAIL() << "a second parent was accepted";
    } catch (const NoxResult& failure) {
        EXPECT_EQ(failure.Code(), E_UNEXPECTED);
        EXPECT_EQ(failure.Description(), "Parent is already set for TestWidget.");
    }
    EXPECT_EQ(widget_->ParentDocument(), &first);
}

TEST_F(FrameTest, RefusedEditChangesNothing) {
    MockDocument document;
    widget_->SetParent(&document);
    EXPECT_CALL(document, CanEdit()).WillOnce(Return(NoxResult(E_ACCESSDENIED, "The document is locked.")));
    EXPECT_CALL(document, SetModified).Times(0);
    EXPECT_CALL(document, SetEditing).Times(0);
    EXPECT_EQ(Interface()->put_Size(5), E_ACCESSDENIED);
    EXPECT_EQ(TakeErrorDescription(), "The document is locked.");
    EXPECT_EQ(widget_->Size(), 0);
}

TEST_F(FrameTest, SuccessfulEditMarksTheDocumentModifiedOnce) {
    MockDocument document;
    widget_->SetParent(&document);
    ::testing::InSequence order;
    EXPECT_CALL(document, CanEdit()).WillOnce(Return(NoxResult(S_OK)));
    EXPECT_CALL(document, SetModified(true)).Times(1);
    EXPECT_CALL(document, SetEditing).Times(0);
    EXPECT_EQ(Interface()->put_Size(5), S_OK);
    EXPECT_EQ(widget_->Size(), 5);
}

TEST_F(FrameTest, ClassCheckFailureDoesNotMarkTheDocument) {
    MockDocument document;
    widget_->SetParent(&document);
    EXPECT_CALL(document, CanEdit()).WillOnce(Return(NoxResult(S_OK)));
    EXPECT_CALL(document, SetModified).Times(0);
    EXPECT_EQ(Interface()->put_Size(-1), E_INVALIDARG);
}

TEST_F(FrameTest, ObjectWithoutDocumentIsEditedWithoutNotification) {
    EXPECT_EQ(Interface()->put_Size(9), S_OK);
    EXPECT_EQ(widget_->Size(), 9);
}

TEST(EditHelperTest, BracketOpensAndClosesWithoutCheck) {
    MockDocument document;
    ::testing::InSequence order;
    EXPECT_CALL(document, CanEdit()).Times(0);
    EXPECT_CALL(document, SetEditing(true));
    EXPECT_CALL(document, SetEditing(false));
    CKMCDocumentsEditHelper bracket(&document, true, false);
}

TEST(EditHelperTest, SkipCheckAsksNothing) {
    MockDocument document;
    EXPECT_CALL(document, CanEdit()).Times(0);
    EXPECT_CALL(document, SetEditing).Times(0);
    CKMCDocumentsEditHelper bracket(&document, false, true);
}

}  // namespace
