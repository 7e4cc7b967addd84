// The registry, the ITypeLib and ITypeInfo objects over it, and DISPID assignment.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "com/oleauto.h"
#include "typelib/typelib.h"

struct ITestDial : IDispatch {
    virtual HRESULT get_Level(LONG* level) = 0;
    virtual HRESULT put_Level(LONG level) = 0;
    virtual HRESULT Turn(LONG steps, double* angle) = 0;
    virtual HRESULT put_Mark(LONG position, BSTR label) = 0;
};
NOX_DECLARE_IID(ITestDial, "{0E6C33B4-7A51-4C8E-B1D2-5F3A9E7C2D01}");

struct ITestKnob : IUnknown {
    virtual HRESULT Press() = 0;
};
NOX_DECLARE_IID(ITestKnob, "{0E6C33B4-7A51-4C8E-B1D2-5F3A9E7C2D02}");

// Parameters that refer to other interfaces, of the library and not, and to arrays.
struct ITestPanel : IDispatch {
    virtual HRESULT get_Dial(LONG index, ITestDial** dial) = 0;
    virtual HRESULT Attach(ITestDial* dial, IDispatch* other, SAFEARRAY** marks) = 0;
    virtual HRESULT Reading(BSTR* unit, VARIANT* value) = 0;
};
NOX_DECLARE_IID(ITestPanel, "{0E6C33B4-7A51-4C8E-B1D2-5F3A9E7C2D03}");

inline const nox::typelib::InterfaceDesc& DescribeInterface(ITestDial*) {
    static const auto desc = nox::typelib::Describe<ITestDial>({
        NOX_MEMBER(ITestDial, get_Level, "level"),
        NOX_MEMBER(ITestDial, put_Level, "level"),
        NOX_MEMBER(ITestDial, Turn, " steps ,angle "),
        NOX_MEMBER(ITestDial, put_Mark, "position, label"),
    });
    return desc;
}
inline const nox::typelib::InterfaceDesc& DescribeInterface(ITestKnob*) {
    static const auto desc = nox::typelib::Describe<ITestKnob>({NOX_MEMBER(ITestKnob, Press, "")});
    return desc;
}

inline const nox::typelib::InterfaceDesc& DescribeInterface(ITestPanel*) {
    static const auto desc = nox::typelib::Describe<ITestPanel>({
        NOX_MEMBER(ITestPanel, get_Dial, "index, dial"),
        NOX_MEMBER(ITestPanel, Attach, "dial, other, marks"),
        NOX_MEMBER(ITestPanel, Reading, "unit, value"),
    });
    return desc;
}

namespace {

using nox::typelib::InterfaceDesc;

constexpr GUID kLibId = MakeGuid("{0E6C33B4-7A51-4C8E-B1D2-5F3A9E7C2D00}");
const InterfaceDesc& kDial = DescribeInterface(static_cast<ITestDial*>(nullptr));
const InterfaceDesc& kKnob = DescribeInterface(static_cast<ITestKnob*>(nullptr));
const InterfaceDesc& kPanel = DescribeInterface(static_cast<ITestPanel*>(nullptr));

std::u16string Take(BSTR text) {
    std::u16string result = text ? std::u16string(text, SysStringLen(text)) : u"<null>";
    SysFreeString(text);
    return result;
}

// The tables above were built at static initialisation; asking again must hand back the same
// table untouched (clang 14 once destroyed the initializer's temporaries again on every call).
TEST(MemberTable, IsBuiltOnceAndLaterCallsReturnItIntact) {
    for (int call = 0; call < 3; ++call) {
        const InterfaceDesc& dial = DescribeInterface(static_cast<ITestDial*>(nullptr));
        ASSERT_EQ(&dial, &kDial);
        ASSERT_EQ(dial.members.size(), 4u);
        EXPECT_EQ(dial.members[2].name, "Turn");
        ASSERT_EQ(dial.members[2].params.size(), 2u);
        EXPECT_EQ(dial.members[2].params[1].name, "angle");
    }
}

class TypeLibRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(nox::typelib::RegisterTypeLibrary({kLibId, 2, 3, "DialLib", {&kDial, &kKnob, &kPanel}}),
                  S_OK);
        ASSERT_EQ(LoadRegTypeLib(kLibId, 2, 0, 0, &lib_), S_OK);
        ASSERT_EQ(lib_->GetTypeInfo(0, &dial_), S_OK);
    }
    void TearDown() override {
        if (dial_) dial_->Release();
        if (lib_) lib_->Release();
        nox::typelib::UnregisterTypeLibrary(kLibId, 2);
    }

    ITypeLib* lib_ = nullptr;
    ITypeInfo* dial_ = nullptr;
};

TEST_F(TypeLibRegistry, LoadsTheSameMajorWithAtLeastTheMinorVersionAsOneObject) {
    for (const auto& [major, minor] : {std::pair<WORD, WORD>{2, 3}, {2, 4}, {1, 0}, {3, 0}}) {
        ITypeLib* lib = nullptr;
        const HRESULT hr = LoadRegTypeLib(kLibId, major, minor, 0, &lib);
        EXPECT_EQ(hr, major == 2 && minor <= 3 ? S_OK : TYPE_E_LIBNOTREGISTERED) << major << "." << minor;
        EXPECT_EQ(lib, SUCCEEDED(hr) ? lib_ : nullptr);
        if (lib) lib->Release();
    }
    ITypeInfo* again = nullptr;
    ASSERT_EQ(lib_->GetTypeInfoOfGuid(IID_ITestDial, &again), S_OK);
    EXPECT_EQ(again, dial_);
    again->Release();
    EXPECT_EQ(lib_->GetTypeInfoOfGuid(IID_ITypeLib, &again), TYPE_E_ELEMENTNOTFOUND);
    EXPECT_EQ(again, nullptr);
    ITypeLib* container = nullptr;
    UINT index = 9;
    ASSERT_EQ(dial_->GetContainingTypeLib(&container, &index), S_OK);
    EXPECT_EQ(container, lib_);
    EXPECT_EQ(index, 0u);
    container->Release();
}

TEST_F(TypeLibRegistry, NamesComeFromTheTablesAndPropertiesShareTheirDispId) {
    BSTR name = nullptr;
    ASSERT_EQ(lib_->GetDocumentation(1, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(Take(name), u"ITestKnob");
    EXPECT_EQ(dial_->GetDocumentation(99, &name, nullptr, nullptr, nullptr), TYPE_E_ELEMENTNOTFOUND);
    struct Case {
        DISPID id;
        UINT room;
        std::vector<std::u16string> names;
    };
    const Case cases[] = {
        {1, 4, {u"Level", u"level"}},  // the get speaks for the property
        {2, 4, {u"Turn", u"steps", u"angle"}},
        {2, 2, {u"Turn", u"steps"}},
        {3, 4, {u"Mark", u"position"}},  // a put's value has no name
    };
    for (const Case& c : cases) {
        BSTR names[4] = {};
        UINT count = 0;
        ASSERT_EQ(dial_->GetNames(c.id, names, c.room, &count), S_OK);
        std::vector<std::u16string> got;
        for (UINT i = 0; i < count; ++i) got.push_back(Take(names[i]));
        EXPECT_EQ(got, c.names);
    }
}

// A type as text: automation types by number, pointers and arrays around what they hold, and
// references by the name of the interface they resolve to.
std::string TypeText(ITypeInfo* info, const TYPEDESC& type) {
    switch (type.vt) {
        case VT_PTR:
            return "*" + TypeText(info, *type.lptdesc);
        case VT_SAFEARRAY:
            return "[" + TypeText(info, *type.lptdesc) + "]";
        case VT_USERDEFINED: {
            ITypeInfo* target = nullptr;
            if (info->GetRefTypeInfo(type.hreftype, &target) != S_OK) return "<unresolved>";
            BSTR name = nullptr;
            EXPECT_EQ(target->GetDocumentation(DISPID_UNKNOWN, &name, nullptr, nullptr, nullptr), S_OK);
            target->Release();
            const std::u16string text = Take(name);
            return std::string(text.begin(), text.end());
        }
        default:
            return std::to_string(type.vt);
    }
}

// One function as "dispid kind @offset (flags type, ...)"; flags 1 in, 2 out, 10 out and retval.
std::string FunctionText(ITypeInfo* info, UINT index) {
    FUNCDESC* desc = nullptr;
    if (info->GetFuncDesc(index, &desc) != S_OK) return "<none>";
    std::string text = std::to_string(desc->memid) + " " + std::to_string(desc->invkind) + " @" +
                       std::to_string(desc->oVft) + " (";
    for (SHORT p = 0; p < desc->cParams; ++p) {
        const ELEMDESC& param = desc->lprgelemdescParam[p];
        text +=
            (p ? ", " : "") + std::to_string(param.paramdesc.wParamFlags) + " " + TypeText(info, param.tdesc);
    }
    text += ")";
    EXPECT_EQ(desc->elemdescFunc.tdesc.vt, VT_HRESULT);
    EXPECT_EQ(desc->funckind, FUNC_PUREVIRTUAL);
    info->ReleaseFuncDesc(desc);
    return text;
}

TEST_F(TypeLibRegistry, TypeAttributesAndFunctionsDescribeTheVtableInSlotOrder) {
    struct Case {
        UINT interface;
        WORD flags;
        WORD vtableBytes;
        std::vector<std::string> functions;
    };
    const WORD dual = TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;
    const Case cases[] = {
        {0, dual, 11 * 8, {"1 2 @56 (10 *3)", "1 4 @64 (1 3)", "2 1 @72 (1 3, 10 *5)", "3 4 @80 (1 3, 1 8)"}},
        {1, 0, 4 * 8, {"1 1 @24 ()"}},
        {2,
         dual,
         10 * 8,
         {"1 2 @56 (1 3, 10 **ITestDial)", "2 1 @64 (1 *ITestDial, 1 9, 10 *[3])", "3 1 @72 (2 *8, 10 *12)"}},
    };
    for (const Case& c : cases) {
        ITypeInfo* info = nullptr;
        ASSERT_EQ(lib_->GetTypeInfo(c.interface, &info), S_OK);
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
        EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
        EXPECT_EQ(attr->wTypeFlags, c.flags);
        EXPECT_EQ(attr->cbSizeVft, c.vtableBytes);
        EXPECT_EQ(attr->cImplTypes, 0);
        EXPECT_EQ(attr->wMajorVerNum, 2);
        std::vector<std::string> functions;
        for (UINT f = 0; f < attr->cFuncs; ++f) functions.push_back(FunctionText(info, f));
        EXPECT_EQ(functions, c.functions) << c.interface;
        EXPECT_EQ(FunctionText(info, attr->cFuncs), "<none>");
        info->ReleaseTypeAttr(attr);
        info->Release();
    }
    ITypeInfo* none = nullptr;
    EXPECT_EQ(dial_->GetRefTypeInfo(3, &none), TYPE_E_ELEMENTNOTFOUND);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(dial_->GetTypeAttr(nullptr), E_INVALIDARG);
    EXPECT_EQ(dial_->GetFuncDesc(0, nullptr), E_INVALIDARG);
}

TEST_F(TypeLibRegistry, ObjectsOutliveTheirRegistration) {
    lib_->Release();
    lib_ = nullptr;
    nox::typelib::UnregisterTypeLibrary(kLibId, 2);
    ITypeLib* gone = nullptr;
    EXPECT_EQ(LoadRegTypeLib(kLibId, 2, 0, 0, &gone), TYPE_E_LIBNOTREGISTERED);
    BSTR name = nullptr;
    ASSERT_EQ(dial_->GetDocumentation(DISPID_UNKNOWN, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(Take(name), u"ITestDial");
}  // TearDown drops the last reference; the sanitizer run sees whether it freed everything

TEST_F(TypeLibRegistry, InterfaceRegistrationListsEachInterfaceOnce) {
    EXPECT_EQ(RegisterTypeLibInterface(kLibId, "DialLib", IID_ITestKnob), S_OK);
    EXPECT_EQ(RegisterTypeLibInterface(kLibId, "DialLib", IID_ITestDial), S_OK);
    EXPECT_EQ(RegisterTypeLibInterface(kLibId, "DialLib", IID_ITestKnob), S_OK);
    EXPECT_EQ(RegisterTypeLibInterface(kLibId, "DialLib", IID_IDispatch), TYPE_E_ELEMENTNOTFOUND);
    EXPECT_EQ(RegisterTypeLibInterface(IID_IDispatch, "DialLib", IID_ITestKnob), TYPE_E_LIBNOTREGISTERED);
    EXPECT_EQ(nox::typelib::RegisteredInterfaces(kLibId, 2),
              (std::vector<const InterfaceDesc*>{&kKnob, &kDial}));
    nox::typelib::UnregisterTypeLibrary(kLibId, 2);
    EXPECT_TRUE(nox::typelib::RegisteredInterfaces(kLibId, 2).empty());
}

}  // namespace
