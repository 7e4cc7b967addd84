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

namespace {

using nox::typelib::InterfaceDesc;
using nox::typelib::MemberDesc;
using nox::typelib::MemberKind;

constexpr GUID kLibId = MakeGuid("{0E6C33B4-7A51-4C8E-B1D2-5F3A9E7C2D00}");
const InterfaceDesc& kDial = DescribeInterface(static_cast<ITestDial*>(nullptr));
const InterfaceDesc& kKnob = DescribeInterface(static_cast<ITestKnob*>(nullptr));

std::u16string Take(BSTR text) {
    std::u16string result = text ? std::u16string(text, SysStringLen(text)) : u"<null>";
    SysFreeString(text);
    return result;
}

TEST(TypeLibTables, NamesSplitTrimmedAndDispIdsFollowFirstAppearance) {
    using nox::typelib::detail::SplitNames;
    EXPECT_EQ(SplitNames(" a, b ,c "), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(SplitNames("   "), std::vector<std::string>{});

    std::vector<MemberDesc> members;
    for (const char* name : {"Alpha", "beta", "ALPHA", "Gamma"})
        members.push_back({name, MemberKind::Method, 0, {}, nullptr});
    const InterfaceDesc desc =
        nox::typelib::detail::AssignDispIds("I", &IID_ITestKnob, false, std::move(members));
    std::vector<DISPID> ids;
    for (const MemberDesc& member : desc.members) ids.push_back(member.dispid);
    EXPECT_EQ(ids, (std::vector<DISPID>{1, 2, 1, 3}));
    EXPECT_EQ(kDial.members[0].dispid, kDial.members[1].dispid);  // get and put of Level
}

class TypeLibRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(nox::typelib::RegisterTypeLibrary({kLibId, 2, 3, "DialLib", {&kDial, &kKnob}}), S_OK);
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

TEST_F(TypeLibRegistry, LoadsTheSameMajorWithAtLeastTheMinorVersion) {
    const std::pair<WORD, WORD> versions[] = {{2, 3}, {2, 4}, {1, 0}, {3, 0}};
    for (const auto& [major, minor] : versions) {
        ITypeLib* lib = nullptr;
        const HRESULT hr = LoadRegTypeLib(kLibId, major, minor, 0, &lib);
        EXPECT_EQ(hr, major == 2 && minor <= 3 ? S_OK : TYPE_E_LIBNOTREGISTERED) << major << "." << minor;
        EXPECT_EQ(lib, SUCCEEDED(hr) ? lib_ : nullptr);  // one library object per registration
        if (lib) lib->Release();
    }
    EXPECT_EQ(LoadRegTypeLib(kLibId, 2, 0, 0, nullptr), E_INVALIDARG);
}

TEST_F(TypeLibRegistry, TypeInfoObjectsKeepTheirIdentity) {
    EXPECT_EQ(lib_->GetTypeInfoCount(), 2u);
    ITypeInfo* again = nullptr;
    ASSERT_EQ(lib_->GetTypeInfoOfGuid(IID_ITestDial, &again), S_OK);
    EXPECT_EQ(again, dial_);
    again->Release();
    EXPECT_EQ(lib_->GetTypeInfoOfGuid(IID_ITypeLib, &again), TYPE_E_ELEMENTNOTFOUND);
    EXPECT_EQ(again, nullptr);
    EXPECT_EQ(lib_->GetTypeInfo(2, &again), TYPE_E_ELEMENTNOTFOUND);

    ITypeLib* container = nullptr;
    UINT index = 9;
    ASSERT_EQ(dial_->GetContainingTypeLib(&container, &index), S_OK);
    EXPECT_EQ(container, lib_);
    EXPECT_EQ(index, 0u);
    container->Release();
    EXPECT_EQ(nox::typelib::DescriptionOf(dial_), &kDial);
    EXPECT_EQ(nox::typelib::DescriptionOf(nullptr), nullptr);
}

TEST_F(TypeLibRegistry, DocumentationAndNamesComeFromTheTables) {
    BSTR name = nullptr;
    ASSERT_EQ(lib_->GetDocumentation(-1, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(Take(name), u"DialLib");
    ASSERT_EQ(lib_->GetDocumentation(1, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(Take(name), u"ITestKnob");
    EXPECT_EQ(lib_->GetDocumentation(2, &name, nullptr, nullptr, nullptr), TYPE_E_ELEMENTNOTFOUND);
    ASSERT_EQ(dial_->GetDocumentation(DISPID_UNKNOWN, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(Take(name), u"ITestDial");
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

TEST_F(TypeLibRegistry, LibraryNameLookupAdoptsTheLibrarySpelling) {
    std::u16string text = u"sTePs";
    BOOL found = FALSE;
    ASSERT_EQ(lib_->IsName(text.data(), 0, &found), S_OK);
    EXPECT_TRUE(found);
    EXPECT_EQ(text, u"steps");

    ITypeInfo* infos[2] = {};
    MEMBERID ids[2] = {};
    USHORT room = 2;
    std::u16string member = u"press";
    ASSERT_EQ(lib_->FindName(member.data(), 0, infos, ids, &room), S_OK);
    ASSERT_EQ(room, 1);
    EXPECT_EQ(nox::typelib::DescriptionOf(infos[0]), &kKnob);
    EXPECT_EQ(ids[0], 1);
    infos[0]->Release();
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
    EXPECT_EQ(RegisterTypeLibInterface(kLibId, nullptr, IID_ITestKnob), E_INVALIDARG);
    EXPECT_EQ(RegisterTypeLibInterface(kLibId, "DialLib", IID_IDispatch), TYPE_E_ELEMENTNOTFOUND);
    EXPECT_EQ(RegisterTypeLibInterface(IID_IDispatch, "DialLib", IID_ITestKnob), TYPE_E_LIBNOTREGISTERED);
    EXPECT_EQ(nox::typelib::RegisteredInterfaces(kLibId, 2),
              (std::vector<const InterfaceDesc*>{&kKnob, &kDial}));

    nox::typelib::UnregisterTypeLibrary(kLibId, 2);
    EXPECT_TRUE(nox::typelib::RegisteredInterfaces(kLibId, 2).empty());
    EXPECT_EQ(nox::typelib::RegisterTypeLibrary({kLibId, 2, 0, "Broken", {&kDial, nullptr}}), E_INVALIDARG);
}

}  // namespace
