// IDispatch::Invoke and GetIDsOfNames end to end: a hand-written object whose IDispatch
// forwards to the type information of a registered library.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "com/oleauto.h"
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

enum : DISPID { kConfigure = 1, kKeep, kLink, kShape, kItem, kLabel, kSplit, kProbe, kRefuse, kExplode };
constexpr GUID kLibId = MakeGuid("{5B0E1C1A-3D2F-4E55-9A61-0C7D2B8E4F11}");
constexpr HRESULT kRefused = MakeHResult(0x80041234);

std::u16string Text(BSTR text) { return text ? std::u16string(text, SysStringLen(text)) : u"<null>"; }

// Identity and reference counting shared by the test objects; they live on the stack and
// TearDown checks that every reference handed out came back.
template <class Interface>
struct Counted : Interface {
    ULONG references = 1;
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
};

// An automation object that is not a gadget.
struct Stranger : Counted<IDispatch> {
    HRESULT QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IDispatch ? this : nullptr;
        if (*out == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
};

class Gadget final : public Counted<ITestGadget>, public ISupportErrorInfo {
public:
    ITypeInfo* info = nullptr;  // answers IDispatch
    bool supportsErrorInfo = true;

    // What the members received.
    BSTR labelPointer = nullptr;
    std::u16string label;
    LONG count = 0;
    VARIANT_BOOL enabled = 0;
    double scale = 0;
    VARIANT kept{};
    ITestGadget* peer = nullptr;
    TestShape shape = kSquare;
    std::vector<std::u16string> items = std::vector<std::u16string>(3);

    HRESULT QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_ITestGadget)
            *out = static_cast<ITestGadget*>(this);
        else if (iid == IID_ISupportErrorInfo && supportsErrorInfo)
            *out = static_cast<ISupportErrorInfo*>(this);
        else
            *out = nullptr;
        if (*out == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return Counted::AddRef(); }
    ULONG Release() override { return Counted::Release(); }
    HRESULT InterfaceSupportsErrorInfo(REFIID iid) override {
        return iid == IID_ITestGadget ? S_OK : S_FALSE;
    }

    HRESULT GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return info->GetIDsOfNames(names, count, ids);
    }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excepInfo, UINT* argErr) override {
        return info->Invoke(static_cast<ITestGadget*>(this), id, flags, params, result, excepInfo, argErr);
    }

    HRESULT Configure(BSTR label_, LONG count_, VARIANT_BOOL enabled_, double scale_) override {
        labelPointer = label_, label = Text(label_), count = count_, enabled = enabled_, scale = scale_;
        return S_OK;
    }
    HRESULT Keep(VARIANT value) override {
        kept = value;
        return S_OK;
    }
    HRESULT Link(ITestGadget* peer_, LONG* linked) override {
        peer = peer_;
        *linked = peer_ != nullptr;
        return S_OK;
    }
    HRESULT get_Shape(TestShape* out) override {
        *out = shape;
        return S_OK;
    }
    HRESULT put_Shape(TestShape value) override {
        shape = value;
        return S_OK;
    }
    HRESULT put_Item(LONG index, BSTR value) override {
        items.at(static_cast<size_t>(index)) = value;
        return S_OK;
    }
    HRESULT get_Label(BSTR* out) override {
        *out = SysAllocString(u"gadget");
        return S_OK;
    }
    HRESULT Split(BSTR text, BSTR* head, LONG* tailLength) override {
        *head = SysAllocStringLen(text, 1);
        *tailLength = static_cast<LONG>(SysStringLen(text)) - 1;
        return S_OK;
    }
    HRESULT Probe() override { return S_FALSE; }
    HRESULT Refuse(BSTR* partial) override {
        *partial = SysAllocString(u"never delivered");
        ICreateErrorInfo* create = nullptr;
        CreateErrorInfo(&create);
        create->SetGUID(IID_ITestGadget);
        create->SetSource(const_cast<LPOLESTR>(u"Gadget"));
        create->SetDescription(const_cast<LPOLESTR>(u"refused"));
        create->SetHelpFile(const_cast<LPOLESTR>(u"gadget.hlp"));
        create->SetHelpContext(42);
        IErrorInfo* error = nullptr;
        create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&error));
        SetErrorInfo(0, error);
        error->Release();
        create->Release();
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
        params_ = {values_.data(), named_.data(), static_cast<UINT>(values_.size()),
                   static_cast<UINT>(named_.size())};
        return &params_;
    }

private:
    std::vector<VARIANT> values_;
    std::vector<DISPID> named_;
    DISPPARAMS params_{};
};

// A VARIANT of type `vt` whose value `fill` sets.
template <class Fill>
VARIANT Make(VARTYPE vt, Fill fill) {
    VARIANT v{};
    v.vt = vt;
    fill(v);
    return v;
}
VARIANT I4(LONG x) {
    return Make(VT_I4, [&](VARIANT& v) { v.lVal = x; });
}
VARIANT R8(double x) {
    return Make(VT_R8, [&](VARIANT& v) { v.dblVal = x; });
}
VARIANT Bool(bool x) {
    return Make(VT_BOOL, [&](VARIANT& v) { v.boolVal = x ? VARIANT_TRUE : VARIANT_FALSE; });
}
VARIANT Str(const char16_t* text) {
    return Make(VT_BSTR, [&](VARIANT& v) { v.bstrVal = SysAllocString(text); });
}
VARIANT Omitted() {
    return Make(VT_ERROR, [](VARIANT& v) { v.scode = DISP_E_PARAMNOTFOUND; });
}
VARIANT ByRef(VARTYPE vt, void* target) {
    return Make(static_cast<VARTYPE>(VT_BYREF | vt), [&](VARIANT& v) { v.byref = target; });
}
// Holds a reference of its own, as a caller's argument does.
VARIANT Object(VARTYPE vt, IUnknown* object) {
    if (object != nullptr) object->AddRef();
    return Make(vt, [&](VARIANT& v) { v.punkVal = object; });
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
        {{u"shape"}, S_OK, {kShape}},
        {{u"item", u"VALUE"}, S_OK, {kItem, 1}},
        {{u"Configure", u"nope", u"count"}, DISP_E_UNKNOWNNAME, {kConfigure, DISPID_UNKNOWN, 1}},
        {{u"Nothing", u"label"}, DISP_E_UNKNOWNNAME, {DISPID_UNKNOWN, DISPID_UNKNOWN}},
        {{u"Configur"}, DISP_E_UNKNOWNNAME, {DISPID_UNKNOWN}},
    };
    for (const Case& c : cases) {
        std::vector<LPOLESTR> names;
        for (const char16_t* name : c.names) names.push_back(const_cast<LPOLESTR>(name));
        std::vector<DISPID> ids(names.size(), 1234);
        const UINT count = static_cast<UINT>(names.size());
        EXPECT_EQ(gadget_.GetIDsOfNames(IID_NULL, names.data(), count, 0, ids.data()), c.hr);
        EXPECT_EQ(ids, c.ids);
    }
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(u"Probe");
    EXPECT_EQ(info_->GetIDsOfNames(nullptr, 1, &id), E_INVALIDARG);
    EXPECT_EQ(info_->GetIDsOfNames(&name, 1, nullptr), E_INVALIDARG);
}

TEST_F(TypeLibInvoke, PositionalArgumentsArriveReversedAndNamedOnesByParameterIndex) {
    Args positional({Str(u"label"), I4(7), Bool(true), R8(2.5)});
    ASSERT_EQ(Call(kConfigure, positional), S_OK);
    EXPECT_EQ(gadget_.labelPointer, positional[3].bstrVal);  // strings pass without a copy
    EXPECT_EQ(gadget_.count, 7);
    EXPECT_EQ(gadget_.enabled, VARIANT_TRUE);
    EXPECT_EQ(gadget_.scale, 2.5);
    EXPECT_EQ(result_.vt, VT_EMPTY);

    Args named({Str(u"x"), I4(3)}, {{3, R8(0.5)}, {2, Bool(false)}});
    ASSERT_EQ(Call(kConfigure, named), S_OK);
    EXPECT_EQ(gadget_.label, u"x");
    EXPECT_EQ(gadget_.count, 3);
    EXPECT_EQ(gadget_.enabled, VARIANT_FALSE);
    EXPECT_EQ(gadget_.scale, 0.5);
}

TEST_F(TypeLibInvoke, InputsAreCoercedToTheDeclaredTypesAndFailuresNameTheArgument) {
    Args coerced({I4(42), Str(u" 12 "), I4(5), Str(u"2.5")});
    ASSERT_EQ(Call(kConfigure, coerced), S_OK);
    EXPECT_EQ(gadget_.label, u"42");
    EXPECT_EQ(gadget_.count, 12);
    EXPECT_EQ(gadget_.enabled, VARIANT_TRUE);
    EXPECT_EQ(gadget_.scale, 2.5);

    const std::pair<VARIANT, HRESULT> badCounts[] = {{Str(u"seven"), DISP_E_TYPEMISMATCH},
                                                     {R8(1e12), DISP_E_OVERFLOW},
                                                     {Make(VT_NULL, [](VARIANT&) {}), DISP_E_TYPEMISMATCH}};
    for (const auto& [count, hr] : badCounts) {
        Args args({Str(u"a"), count, Bool(true), R8(1)});
        EXPECT_EQ(Call(kConfigure, args), hr);
        EXPECT_EQ(argErr_, 2u);  // the second positional argument
        EXPECT_EQ(gadget_.count, 12);
    }
}

TEST_F(TypeLibInvoke, VariantParametersTakeTheArgumentAsItIs) {
    VARIANT inner = I4(5);
    Args byRef({ByRef(VT_VARIANT, &inner)});
    ASSERT_EQ(Call(kKeep, byRef), S_OK);
    EXPECT_EQ(gadget_.kept.vt, VT_I4);
    EXPECT_EQ(gadget_.kept.lVal, 5);

    Args direct({Str(u"s")});
    ASSERT_EQ(Call(kKeep, direct), S_OK);
    EXPECT_EQ(gadget_.kept.vt, VT_BSTR);
    EXPECT_EQ(gadget_.kept.bstrVal, direct[0].bstrVal);

    Args dangling({ByRef(VT_VARIANT, nullptr)});
    EXPECT_EQ(Call(kKeep, dangling), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr_, 0u);
}

TEST_F(TypeLibInvoke, InterfaceParametersAreQueriedForTheDeclaredInterface) {
    Gadget other;
    Stranger stranger;
    ITestGadget* otherGadget = &other;
    struct Case {
        VARIANT arg;
        HRESULT hr;
        ITestGadget* peer;
    };
    const Case cases[] = {
        {Object(VT_DISPATCH, otherGadget), S_OK, otherGadget},
        {Object(VT_UNKNOWN, otherGadget), S_OK, otherGadget},
        {Object(VT_DISPATCH, nullptr), S_OK, nullptr},
        {Object(VT_DISPATCH, &stranger), DISP_E_TYPEMISMATCH, nullptr},
    };
    for (const Case& c : cases) {
        gadget_.peer = nullptr;
        Args args({c.arg});
        EXPECT_EQ(Call(kLink, args), c.hr);
        EXPECT_EQ(gadget_.peer, c.peer);
        EXPECT_EQ(argErr_, FAILED(c.hr) ? 0u : kUntouched);
        if (SUCCEEDED(c.hr)) {
            EXPECT_EQ(result_.lVal, c.peer != nullptr);
        }
    }
    // The binder let go of every reference it took, coerced and queried ones alike.
    EXPECT_EQ(other.references, 1u);
    EXPECT_EQ(stranger.references, 1u);
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

    Args unnamed({I4(kSquare)});
    EXPECT_EQ(Invoke(kShape, DISPATCH_PROPERTYPUT, unnamed), DISP_E_PARAMNOTFOUND);
    EXPECT_EQ(Invoke(kItem, DISPATCH_PROPERTYGET, get), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Invoke(kProbe, DISPATCH_PROPERTYPUT, put), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Invoke(999, DISPATCH_METHOD, get), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(gadget_.shape, kHexagon);
}

TEST_F(TypeLibInvoke, EachParameterTakesExactlyOneArgument) {
    struct Case {
        const char* what;
        DISPID member;
        std::vector<VARIANT> positional;
        Named named;
        HRESULT hr;
    };
    const Case cases[] = {
        {"too few", kConfigure, {I4(1), I4(2), I4(3)}, {}, DISP_E_BADPARAMCOUNT},
        {"too many", kConfigure, {I4(1), I4(2), I4(3), I4(4), I4(5)}, {}, DISP_E_BADPARAMCOUNT},
        {"omitted", kConfigure, {I4(1), Omitted(), I4(3), I4(4)}, {}, DISP_E_BADPARAMCOUNT},
        {"named twice", kConfigure, {I4(1), I4(2), I4(3), I4(4)}, {{0, I4(5)}}, DISP_E_BADPARAMCOUNT},
        {"into the retval", kLink, {Object(VT_DISPATCH, nullptr), I4(0)}, {}, DISP_E_BADPARAMCOUNT},
        {"named retval", kLink, {Object(VT_DISPATCH, nullptr)}, {{1, I4(0)}}, DISP_E_BADPARAMCOUNT},
        {"unknown index", kConfigure, {I4(1), I4(2), I4(3)}, {{7, I4(4)}}, DISP_E_PARAMNOTFOUND},
    };
    for (const Case& c : cases) {
        Args args(c.positional, c.named);
        EXPECT_EQ(Call(c.member, args), c.hr) << c.what;
        EXPECT_EQ(gadget_.count, 0) << c.what;
    }
}

TEST_F(TypeLibInvoke, OutputsReachTheCallersStorage) {
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

    LONG number = 0;
    const VARIANT wrongTargets[] = {ByRef(VT_I4, &number), ByRef(VT_BSTR, nullptr), I4(0)};
    for (const VARIANT& target : wrongTargets) {
        Args args({Str(u"x"), target});
        EXPECT_EQ(Call(kSplit, args), DISP_E_TYPEMISMATCH);
        EXPECT_EQ(argErr_, 0u);
    }
}

TEST_F(TypeLibInvoke, ResultsReplaceWhatTheResultHeldOrAreFreed) {
    Args none({});
    result_ = Str(u"stale");
    ASSERT_EQ(Invoke(kLabel, DISPATCH_PROPERTYGET, none), S_OK);
    EXPECT_EQ(Text(result_.bstrVal), u"gadget");
    EXPECT_EQ(
        gadget_.Invoke(kLabel, IID_NULL, 0, DISPATCH_PROPERTYGET, none.Params(), nullptr, nullptr, nullptr),
        S_OK);

    EXPECT_EQ(Call(kProbe, none), S_FALSE);  // a success code other than S_OK reaches the caller
    EXPECT_EQ(result_.vt, VT_EMPTY);
}

TEST_F(TypeLibInvoke, FailuresReportTheErrorRecordWhenTheObjectVouchesForIt) {
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
}

TEST_F(TypeLibInvoke, ExceptionsEscapingAMemberBecomeExceptionResults) {
    const std::pair<LONG, std::u16string> cases[] = {{0, u"boom"}, {1, u"Internal Error"}};
    for (const auto& [how, description] : cases) {
        Args args({I4(how)});
        EXPECT_EQ(Call(kExplode, args), DISP_E_EXCEPTION);
        EXPECT_EQ(excep_.scode, E_FAIL);
        EXPECT_EQ(Text(excep_.bstrDescription), description);
        ClearExcepInfo(excep_);
    }
}

TEST_F(TypeLibInvoke, MalformedParametersAreRejected) {
    EXPECT_EQ(gadget_.Invoke(kProbe, IID_NULL, 0, DISPATCH_METHOD, nullptr, &result_, &excep_, &argErr_),
              E_INVALIDARG);
    VARIANT arg = I4(1);
    DISPID named[] = {0, 1};
    DISPPARAMS moreNamedThanArgs{&arg, named, 1, 2};
    EXPECT_EQ(info_->Invoke(static_cast<ITestGadget*>(&gadget_), kConfigure, DISPATCH_METHOD,
                            &moreNamedThanArgs, &result_, &excep_, &argErr_),
              E_INVALIDARG);
}

}  // namespace
