#include <gtest/gtest.h>

#include <thread>

#include "com/holders.h"
#include "com_fake_object.h"

namespace {

using nox::UniqueBstr;
using nox::testing::NewErrorInfo;

ULONG References(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

TEST(ErrorInfo, FieldsRoundTripOnOneIdentityAndUnsetTextsAreNull) {
    ICreateErrorInfo* create = nullptr;
    ASSERT_EQ(CreateErrorInfo(&create), S_OK);
    IErrorInfo* info = nullptr;
    ASSERT_EQ(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)), S_OK);
    UniqueBstr source, second;
    EXPECT_EQ(info->GetSource(source.Put()), S_OK);
    EXPECT_EQ(source.get(), nullptr);

    EXPECT_EQ(create->SetGUID(IID_IDispatch), S_OK);
    EXPECT_EQ(create->SetSource(const_cast<LPOLESTR>(u"Kmc.Species")), S_OK);
    EXPECT_EQ(create->SetHelpContext(42), S_OK);
    GUID guid{};
    DWORD context = 0;
    EXPECT_EQ(info->GetGUID(&guid), S_OK);
    EXPECT_EQ(guid, IID_IDispatch);
    EXPECT_EQ(info->GetHelpContext(&context), S_OK);
    EXPECT_EQ(context, 42u);
    ASSERT_EQ(info->GetSource(source.Put()), S_OK);
    ASSERT_EQ(info->GetSource(second.Put()), S_OK);
    EXPECT_EQ(std::u16string(source.get()), u"Kmc.Species");
    EXPECT_NE(second.get(), source.get());  // every call hands out a fresh string

    // One identity whichever interface is asked, and each interface reached from the other.
    void *back = nullptr, *fromInfo = nullptr, *fromCreate = nullptr;
    ASSERT_EQ(info->QueryInterface(IID_ICreateErrorInfo, &back), S_OK);
    ASSERT_EQ(info->QueryInterface(IID_IUnknown, &fromInfo), S_OK);
    ASSERT_EQ(create->QueryInterface(IID_IUnknown, &fromCreate), S_OK);
    EXPECT_EQ(back, create);
    EXPECT_EQ(fromInfo, fromCreate);
    for (void* p : {back, fromInfo, fromCreate}) static_cast<IUnknown*>(p)->Release();
    EXPECT_EQ(info->QueryInterface(IID_IDispatch, &back), E_NOINTERFACE);
    EXPECT_EQ(back, nullptr);
    info->Release();
    EXPECT_EQ(create->Release(), 0u);
}

TEST(ErrorInfo, ThreadSlotHandsOverAndClears) {
    IErrorInfo* out = reinterpret_cast<IErrorInfo*>(1);
    EXPECT_EQ(GetErrorInfo(0, &out), S_FALSE);
    EXPECT_EQ(out, nullptr);

    IErrorInfo* first = NewErrorInfo(u"first");
    IErrorInfo* second = NewErrorInfo(u"second");
    EXPECT_EQ(SetErrorInfo(0, first), S_OK);
    EXPECT_EQ(References(first), 2u);
    EXPECT_EQ(SetErrorInfo(0, second), S_OK);  // replaces and releases the old record
    EXPECT_EQ(References(first), 1u);
    EXPECT_EQ(GetErrorInfo(0, &out), S_OK);
    EXPECT_EQ(out, second);
    EXPECT_EQ(References(second), 2u);  // the stored reference now belongs to the caller
    out->Release();
    EXPECT_EQ(GetErrorInfo(0, &out), S_FALSE);

    EXPECT_EQ(SetErrorInfo(0, first), S_OK);
    EXPECT_EQ(SetErrorInfo(0, nullptr), S_OK);
    EXPECT_EQ(References(first), 1u);
    EXPECT_EQ(GetErrorInfo(0, &out), S_FALSE);
    first->Release();
    second->Release();
}

TEST(ErrorInfo, EachThreadHasItsOwnRecordReleasedAtThreadEnd) {
    IErrorInfo* mine = NewErrorInfo(u"main");
    IErrorInfo* left = NewErrorInfo(u"left");
    ASSERT_EQ(SetErrorInfo(0, mine), S_OK);
    std::thread([left] {
        IErrorInfo* seen = nullptr;
        EXPECT_EQ(GetErrorInfo(0, &seen), S_FALSE);
        EXPECT_EQ(SetErrorInfo(0, left), S_OK);
    }).join();
    EXPECT_EQ(References(left), 1u);
    IErrorInfo* back = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &back), S_OK);
    EXPECT_EQ(back, mine);
    for (IErrorInfo* p : {back, mine, left}) p->Release();
}

TEST(ErrorInfoDeathTest, RecordStillHeldAtProcessExitIsReleasedCleanly) {
    EXPECT_EXIT(
        {
            IErrorInfo* info = NewErrorInfo(u"left behind");
            SetErrorInfo(0, info);
            info->Release();
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
