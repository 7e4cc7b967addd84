// IDispatch::Invoke and GetIDsOfNames end to end: a hand-written object whose IDispatch
// forwards to the type information of a registered library.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "com/oleauto.h"
#include "com_fake_object.h"
#include "typelib/typelib.h"

enum TestShape : int32_t { kSquare = 1, kHexagon = 2 };
NOX_DECLARE_ENUM(TestShape);

struct ITestGadget : IDispatch {
    virtual HRESULT Configure(BSTR label, LONG count, VARIANT_BOOL enabled, double scale) = 0;
    virtual HRESULT Keep(VARIANT value) = 0;
    virtual HRESULT Link(ITestGadget* peer, LONG* linked) = 0;
    virtual HRESULT get_Shape(TestShape* shape) = 0;
    virtual HRESULT put_Shape(TestShape shape) = 0;
    virtual HRESULT put_Item(LONG index, BSTR value) = 0;
    virtual HRESULT get_Label(BSTR* label) = 0;
    virtual HRESULT Split(BSTR text, BSTR* head, LONG* tailLength) = 0;
    virtual HRESULT Probe() = 0;
    virtual HRESULT Refuse(BSTR* partial) = 0;
    virtual HRESULT Explode(LONG how) = 0;
};
NOX_DECLARE_IID(ITestGadget, "{5B0E1C1A-3D2F-4E55-9A61-0C7D2B8E4F10}");

inline const nox::typelib::InterfaceDesc& DescribeInterface(ITestGadget*) {
    static const auto desc = nox::typelib::Describe<ITestGadget>({
        NOX_MEMBER(ITestGadget, Configure, "label, count, enabled, scale"),
        NOX_MEMBER(ITestGadget, Keep, "value"),
        NOX_MEMBER(ITestGadget, Link, "peer, linked"),
        NOX_MEMBER(ITestGadget, get_Shape, "shape"),
        NOX_MEMBER(ITestGadget, put_Shape, "shape"),
        NOX_MEMBER(ITestGadget, put_Item, "index, value"),
        NOX_MEMBER(ITestGadget, get_Label, "label"),
        NOX_MEMBER(ITestGadget, Split, "text, head, tailLength"),
        NOX_MEMBER(ITestGadget, Probe, ""),
        NOX_MEMBER(ITestGadget, Refuse, "partial"),
        NOX_MEMBER(ITestGadget, Explode, "how"),
    });
    return desc;
}

namespace {

using nox::testing::Bool;
using nox::testing::I4;
using nox::testing::MakeVariant;
using nox::testing::NewErrorInfo;
using nox::testing::R8;

enum : DISPID { kConfigure = 1, kKeep, kLink, kShape, kItem, kLabel, kSplit, kProbe, kRefuse, kExplode };
constexpr GUID kLibId = MakeGuid("{5B0E1C1A-3D2F-4E55-9A61-0C7D2B8E4F11}");
constexpr HRESULT kRefused = MakeHResult(0x80041234);

std::u16string Text(BSTR text) { return text ? std::u16string(text, SysStringLen(text)) : u"<null>"; }
// What Configure received: label, count, enabled, scale.
using Configured = std::tuple<std::u16string, LONG, VARIANT_BOOL, double>;

// Lives on the stack; the fixture checks that every reference handed out came back. With
// isGadget false it is just some other automation object.
class Gadget final : public ITestGadget, public ISupportErrorInfo {
public:
    ITypeInfo* info = nullptr;  // answers IDispatch
    ULONG references = 1;
    bool isGadget = true;
    bool supportsErrorInfo = true;

    // What the members received.
    BSTR labelPointer = nullptr;
    Configured configured;
    VARIANT kept{};
    ITestGadget* peer = nullptr;
    TestShape shape = kSquare;
    std::array<std::u16string, 3> items;

    HRESULT QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch || (isGadget && iid == IID_ITestGadget))
            *out = static_cast<ITestGadget*>(this);
        else if (iid == IID_ISupportErrorInfo && supportsErrorInfo)
            *out = static_cast<ISupportErrorInfo*>(this);
        if (*out == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }
    HRESULT InterfaceSupportsErrorInfo(REFIID iid) override {
        return iid == IID_ITestGadget ? S_OK : S_FALSE;
    }
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return info->GetIDsOfNames(names, count, ids);
    }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excepInfo, UINT* argErr) override {
        return info->Invoke(static_cast<ITestGadget*>(this), id, flags, params, result, excepInfo, argErr);
    }

    HRESULT Configure(BSTR label_, LONG count_, VARIANT_BOOL enabled_, double scale_) override {
        labelPointer = label_, configured = {Text(label_), count_, enabled_, scale_};
        return S_OK;
    }
    HRESULT Keep(VARIANT value) override { return kept = value, S_OK; }
    HRESULT Link(ITestGadget* peer_, LONG* linked) override {
        return peer = peer_, *linked = peer_ != nullptr, S_OK;
    }
    HRESULT get_Shape(TestShape* out) override { return *out = shape, S_OK; }
    HRESULT put_Shape(TestShape value) override { return shape = value, S_OK; }
    HRESULT put_Item(LONG index, BSTR value) override { return items.at(size_t(index)) = value, S_OK; }
    HRESULT get_Label(BSTR* out) override { return *out = SysAllocString(u"gadget"), S_OK; }
    HRESULT Split(BSTR text, BSTR* head, LONG* tailLength) override {
        *head = SysAllocStringLen(text, 1), *tailLength = LONG(SysStringLen(text)) - 1;
        return S_OK;
    }
    HRESULT Probe() override { return S_FALSE; }
    HRESULT Refuse(BSTR* partial) override {
        *partial = SysAllocString(u"never delivered");
        IErrorInfo* error = NewErrorInfo(u"refused", u"Gadget", u"gadget.hlp", 42);
        SetErrorInfo(0, error);
        error->Release();
        return kRefused;
    }
    HRESULT Explode(LONG how) override {
        if (how == 0) throw std::runtime_error("boom");
        throw 42;
    }
};

using Named = std::vector<std::pair<DISPID, VARIANT>>;

// Invoke's arguments, given in natural order and stored the way DISPPARAMS wants them: named
// arguments first, then the positional ones reversed. Owns what the variants hold.
class Args {
public:
    explicit Args(std::vector<VARIANT> positional, const Named& named = {}) : values_(std::move(positional)) {
        std::reverse(values_.begin(), values_.end());
        for (const auto& [param, value] : named)
            named_.push_back(param), values_.insert(values_.begin(), value);
        std::reverse(named_.begin(), named_.end());
    }
    Args(const Args&) = delete;
    ~Args() {
        for (VARIANT& v : values_) VariantClear(&v);
    }
    VARIANT& operator[](size_t rgvargIndex) { return values_[rgvargIndex]; }
    DISPPARAMS* Params() {
        params_ = {values_.data(), named_.data(), UINT(values_.size()), UINT(named_.size())};
        return &params_;
    }

private:
    std::vector<VARIANT> values_;
    std::vector<DISPID> named_;
    DISPPARAMS params_{};
};

VARIANT Str(const char16_t* text) { return MakeVariant(VT_BSTR, SysAllocString(text)); }
VARIANT ByRef(VARTYPE vt, void* target) { return MakeVariant(VARTYPE(VT_BYREF | vt), target); }
// Holds a reference of its own, as a caller's argument does.
VARIANT Object(VARTYPE vt, IUnknown* object) {
    if (object != nullptr) object->AddRef();
    return MakeVariant(vt, object);
}

void ClearExcepInfo(EXCEPINFO& info) {
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    info = {};
}

class TypeLibInvoke : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(
            nox::typelib::RegisterTypeLibrary({kLibId, 1, 0, "GadgetLib", {&DescribeInterface(nullptr)}}),
            S_OK);
        ITypeLib* lib = nullptr;
        ASSERT_EQ(LoadRegTypeLib(kLibId, 1, 0, 0, &lib), S_OK);
        ASSERT_EQ(lib->GetTypeInfoOfGuid(IID_ITestGadget, &info_), S_OK);
        lib->Release();
        gadget_.info = info_;
    }
    void TearDown() override {
        VariantClear(&result_);
        ClearExcepInfo(excep_);
        EXPECT_EQ(gadget_.references, 1u);
        info_->Release();
        nox::typelib::UnregisterTypeLibrary(kLibId, 1);
    }
    HRESULT Invoke(DISPID id, WORD flags, Args& args) {
        argErr_ = kUntouched;
        return gadget_.Invoke(id, IID_NULL, 0, flags, args.Params(), &result_, &excep_, &argErr_);
    }
    HRESULT Call(DISPID id, Args& args) { return Invoke(id, DISPATCH_METHOD, args); }

    static constexpr UINT kUntouched = 99;
    ITypeInfo* info_ = nullptr;
    Gadget gadget_;
    VARIANT result_{};
    EXCEPINFO excep_{};
    UINT argErr_ = kUntouched;
};

TEST_F(TypeLibInvoke, GetIDsOfNamesMatchesMembersThenTheirParametersWithoutRegardToCase) {
    struct Case {
        std::vector<const char16_t*> names;
        HRESULT hr;
        std::vector<DISPID> ids;
    };
    const Case cases[] = {
        {{u"CONFIGURE", u"Scale", u"label"}, S_OK, {kConfigure, 3, 0}},
        {{u"item", u"VALUE"}, S_OK, {kItem, 1}},
        {{u"Configure", u"nope", u"count"}, DISP_E_UNKNOWNNAME, {kConfigure, DISPID_UNKNOWN, 1}},
        {{u"Nothing", u"label"}, DISP_E_UNKNOWNNAME, {DISPID_UNKNOWN, DISPID_UNKNOWN}},
        {{u"Configur"}, DISP_E_UNKNOWNNAME, {DISPID_UNKNOWN}},
    };
    for (const Case& c : cases) {
        std::vector<LPOLESTR> names;
        for (const char16_t* name : c.names) names.push_back(const_cast<LPOLESTR>(name));
        std::vector<DISPID> ids(names.size(), 1234);
        EXPECT_EQ(gadget_.GetIDsOfNames(IID_NULL, names.data(), UINT(names.size()), 0, ids.data()), c.hr);
        EXPECT_EQ(ids, c.ids);
    }
}

TEST_F(TypeLibInvoke, ArgumentsBindReversedByParameterIndexAndCoercedToTheDeclaredTypes) {
    Args positional({Str(u"label"), I4(7), Bool(true), R8(2.5)});
    ASSERT_EQ(Call(kConfigure, positional), S_OK);
    EXPECT_EQ(gadget_.configured, (Configured{u"label", 7, VARIANT_TRUE, 2.5}));
    EXPECT_EQ(gadget_.labelPointer, positional[3].bstrVal);  // strings pass without a copy
    EXPECT_EQ(result_.vt, VT_EMPTY);

    Args named({Str(u"x"), I4(3)}, {{3, R8(0.5)}, {2, Bool(false)}});
    ASSERT_EQ(Call(kConfigure, named), S_OK);
    EXPECT_EQ(gadget_.configured, (Configured{u"x", 3, VARIANT_FALSE, 0.5}));

    Args coerced({I4(42), Str(u" 12 "), I4(5), Str(u"2.5")});
    ASSERT_EQ(Call(kConfigure, coerced), S_OK);
    EXPECT_EQ(gadget_.configured, (Configured{u"42", 12, VARIANT_TRUE, 2.5}));
}

TEST_F(TypeLibInvoke, VariantParametersTakeTheArgumentAsItIsAndInterfacesAreQueried) {
    VARIANT inner = I4(5);
    Args byRef({ByRef(VT_VARIANT, &inner)});
    ASSERT_EQ(Call(kKeep, byRef), S_OK);
    EXPECT_EQ(gadget_.kept.vt, VT_I4);
    EXPECT_EQ(gadget_.kept.lVal, 5);
    Args direct({Str(u"s")});
    ASSERT_EQ(Call(kKeep, direct), S_OK);
    EXPECT_EQ(gadget_.kept.vt, VT_BSTR);
    EXPECT_EQ(gadget_.kept.bstrVal, direct[0].bstrVal);

    Gadget other;
    ITestGadget* otherGadget = &other;
    for (const auto& [arg, peer] : {std::pair{Object(VT_DISPATCH, otherGadget), otherGadget},
                                    {Object(VT_UNKNOWN, otherGadget), otherGadget},
                                    {Object(VT_DISPATCH, nullptr), nullptr}}) {
        gadget_.peer = nullptr;
        Args args({arg});
        EXPECT_EQ(Call(kLink, args), S_OK);
        EXPECT_EQ(gadget_.peer, peer);
        EXPECT_EQ(result_.lVal, peer != nullptr);
        EXPECT_EQ(argErr_, kUntouched);
    }
    EXPECT_EQ(other.references, 1u);  // the binder let go of every reference it took
}

TEST_F(TypeLibInvoke, PropertiesAreReachedByTheirKind) {
    Args put({}, {{DISPID_PROPERTYPUT, I4(kHexagon)}});
    ASSERT_EQ(Invoke(kShape, DISPATCH_PROPERTYPUT, put), S_OK);
    EXPECT_EQ(gadget_.shape, kHexagon);
    Args get({});
    ASSERT_EQ(Invoke(kShape, DISPATCH_METHOD | DISPATCH_PROPERTYGET, get), S_OK);
    EXPECT_EQ(result_.vt, VT_I4);
    EXPECT_EQ(result_.lVal, kHexagon);
    Args indexed({I4(2)}, {{DISPID_PROPERTYPUT, Str(u"two")}});
    ASSERT_EQ(Invoke(kItem, DISPATCH_PROPERTYPUT, indexed), S_OK);
    EXPECT_EQ(gadget_.items[2], u"two");
}

TEST_F(TypeLibInvoke, RefusedCallsReachNoMemberAndNameTheFailingArgument) {
    constexpr UINT kAny = ~0u;
    Gadget stranger;
    stranger.isGadget = false;
    LONG number = 0;
    const VARIANT omitted = MakeVariant(VT_ERROR, DISP_E_PARAMNOTFOUND), null = MakeVariant(VT_NULL, 0);
    struct Case {
        DISPID member;
        std::vector<VARIANT> positional;
        Named named;
        HRESULT hr;
        UINT argErr = kAny;
        WORD flags = DISPATCH_METHOD;
    };
    const Case cases[] = {
        // Coercion and binding failures name the argument by its rgvarg index.
        {kConfigure, {I4(1), Str(u"seven"), I4(1), I4(1)}, {}, DISP_E_TYPEMISMATCH, 2},
        {kConfigure, {I4(1), R8(1e12), I4(1), I4(1)}, {}, DISP_E_OVERFLOW, 2},
        {kConfigure, {I4(1), null, I4(1), I4(1)}, {}, DISP_E_TYPEMISMATCH, 2},
        {kKeep, {ByRef(VT_VARIANT, nullptr)}, {}, DISP_E_TYPEMISMATCH, 0},
        {kLink, {Object(VT_DISPATCH, static_cast<ITestGadget*>(&stranger))}, {}, DISP_E_TYPEMISMATCH, 0},
        {kSplit, {Str(u"x"), ByRef(VT_I4, &number)}, {}, DISP_E_TYPEMISMATCH, 0},
        {kSplit, {Str(u"x"), ByRef(VT_BSTR, nullptr)}, {}, DISP_E_TYPEMISMATCH, 0},
        {kSplit, {Str(u"x"), I4(0)}, {}, DISP_E_TYPEMISMATCH, 0},
        // Each parameter takes exactly one argument; the retval takes none.
        {kConfigure, {I4(1), I4(2), I4(3)}, {}, DISP_E_BADPARAMCOUNT},
        {kConfigure, {I4(1), I4(2), I4(3), I4(4), I4(5)}, {}, DISP_E_BADPARAMCOUNT},
        {kConfigure, {I4(1), omitted, I4(3), I4(4)}, {}, DISP_E_BADPARAMCOUNT},
        {kConfigure, {I4(1), I4(2), I4(3), I4(4)}, {{0, I4(5)}}, DISP_E_BADPARAMCOUNT},
        {kLink, {Object(VT_DISPATCH, nullptr), I4(0)}, {}, DISP_E_BADPARAMCOUNT},
        {kLink, {Object(VT_DISPATCH, nullptr)}, {{1, I4(0)}}, DISP_E_BADPARAMCOUNT},
        {kConfigure, {I4(1), I4(2), I4(3)}, {{7, I4(4)}}, DISP_E_PARAMNOTFOUND},
        // Properties by their kind: a put names its value, a get or put must exist.
        {kShape, {I4(kHexagon)}, {}, DISP_E_PARAMNOTFOUND, kAny, DISPATCH_PROPERTYPUT},
        {kItem, {}, {}, DISP_E_MEMBERNOTFOUND, kAny, DISPATCH_PROPERTYGET},
        {kProbe, {}, {{DISPID_PROPERTYPUT, I4(1)}}, DISP_E_MEMBERNOTFOUND, kAny, DISPATCH_PROPERTYPUT},
        {999, {}, {}, DISP_E_MEMBERNOTFOUND},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        Args args(cases[i].positional, cases[i].named);
        EXPECT_EQ(Invoke(cases[i].member, cases[i].flags, args), cases[i].hr);
        if (cases[i].argErr != kAny) {
            EXPECT_EQ(argErr_, cases[i].argErr);
        }
        EXPECT_TRUE(gadget_.configured == Configured{} && !gadget_.peer && gadget_.shape == kSquare &&
                    gadget_.kept.vt == VT_EMPTY);
    }
    EXPECT_EQ(stranger.references, 1u);
}

TEST_F(TypeLibInvoke, OutputsReachTheCallersStorageAndResultsReplaceWhatTheResultHeld) {
    BSTR head = nullptr;
    Args typed({Str(u"hello"), ByRef(VT_BSTR, &head)});
    ASSERT_EQ(Call(kSplit, typed), S_OK);
    EXPECT_EQ(Text(head), u"h");
    EXPECT_EQ(result_.vt, VT_I4);
    EXPECT_EQ(result_.lVal, 4);
    SysFreeString(head);
    VARIANT holder = Str(u"replaced");
    Args variant({Str(u"hi"), ByRef(VT_VARIANT, &holder)});
    ASSERT_EQ(Call(kSplit, variant), S_OK);
    EXPECT_EQ(holder.vt, VT_BSTR);
    EXPECT_EQ(Text(holder.bstrVal), u"h");
    VariantClear(&holder);

    Args none({});
    VariantClear(&result_);
    result_ = Str(u"stale");
    ASSERT_EQ(Invoke(kLabel, DISPATCH_PROPERTYGET, none), S_OK);
    EXPECT_EQ(Text(result_.bstrVal), u"gadget");
    EXPECT_EQ(
        gadget_.Invoke(kLabel, IID_NULL, 0, DISPATCH_PROPERTYGET, none.Params(), nullptr, nullptr, nullptr),
        S_OK);
    EXPECT_EQ(Call(kProbe, none), S_FALSE);  // a success code other than S_OK reaches the caller
    EXPECT_EQ(result_.vt, VT_EMPTY);
}

TEST_F(TypeLibInvoke, FailuresReportTheErrorRecordWhenTheObjectVouchesForItAndExceptionsToo) {
    Args none({});
    ASSERT_EQ(Call(kRefuse, none), DISP_E_EXCEPTION);
    EXPECT_EQ(excep_.scode, kRefused);
    EXPECT_EQ(excep_.wCode, 0);
    EXPECT_EQ(Text(excep_.bstrSource), u"Gadget");
    EXPECT_EQ(Text(excep_.bstrDescription), u"refused");
    EXPECT_EQ(Text(excep_.bstrHelpFile), u"gadget.hlp");
    EXPECT_EQ(excep_.dwHelpContext, 42u);
    EXPECT_EQ(result_.vt, VT_EMPTY);
    IErrorInfo* left = nullptr;
    EXPECT_EQ(GetErrorInfo(0, &left), S_FALSE);  // taken by Invoke

    ClearExcepInfo(excep_);
    gadget_.supportsErrorInfo = false;
    ASSERT_EQ(Call(kRefuse, none), DISP_E_EXCEPTION);
    EXPECT_EQ(excep_.scode, kRefused);
    EXPECT_EQ(excep_.bstrDescription, nullptr);
    ASSERT_EQ(GetErrorInfo(0, &left), S_OK);  // still there for whoever asks
    left->Release();

    // Exceptions escaping a member become exception results too.
    for (const auto& [how, description] :
         {std::pair<LONG, std::u16string>{0, u"boom"}, {1, u"Internal Error"}}) {
        ClearExcepInfo(excep_);
        Args args({I4(how)});
        EXPECT_EQ(Call(kExplode, args), DISP_E_EXCEPTION);
        EXPECT_EQ(excep_.scode, E_FAIL);
        EXPECT_EQ(Text(excep_.bstrDescription), description);
    }
}

TEST_F(TypeLibInvoke, MalformedParametersAreRejected) {
    EXPECT_EQ(gadget_.Invoke(kProbe, IID_NULL, 0, DISPATCH_METHOD, nullptr, &result_, &excep_, &argErr_),
              E_INVALIDARG);
    VARIANT arg = I4(1);
    DISPID named[] = {0, 1};
    DISPPARAMS moreNamedThanArgs{&arg, named, 1, 2};
    EXPECT_EQ(gadget_.Invoke(kConfigure, IID_NULL, 0, DISPATCH_METHOD, &moreNamedThanArgs, &result_, &excep_,
                             &argErr_),
              E_INVALIDARG);
}

}  // namespace
