#include <gtest/gtest.h>

#include <thread>

#include "com/holders.h"

namespace {

using nox::UniqueBstr;

// An error object filled through ICreateErrorInfo, owned by the caller through IErrorInfo.
IErrorInfo* MakeError(const char16_t* description) {
    ICreateErrorInfo* create = nullptr;
    EXPECT_EQ(CreateErrorInfo(&create), S_OK);
    create->SetDescription(const_cast<LPOLESTR>(description));
    IErrorInfo* info = nullptr;
    EXPECT_EQ(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)), S_OK);
    create->Release();
    return info;
}

ULONG References(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

template <class Interface>
Interface* Query(IUnknown* object) {
    void* out = nullptr;
    EXPECT_EQ(object->QueryInterface(IidOf<Interface>(), &out), S_OK);
    return static_cast<Interface*>(out);
}

TEST(ErrorInfo, FieldsRoundTripAndUnsetTextsAreNull) {
    ICreateErrorInfo* create = nullptr;
    ASSERT_EQ(CreateErrorInfo(&create), S_OK);
    IErrorInfo* info = Query<IErrorInfo>(create);

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
    EXPECT_EQ(info->GetDescription(nullptr), E_INVALIDARG);

    // One identity whichever interface is asked, and each interface reached from the other.
    IUnknown* fromCreate = Query<IUnknown>(create);
    IUnknown* fromInfo = Query<IUnknown>(info);
    ICreateErrorInfo* back = Query<ICreateErrorInfo>(info);
    EXPECT_EQ(fromCreate, fromInfo);
    EXPECT_EQ(back, create);
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(info->QueryInterface(IID_IDispatch, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    for (IUnknown* p : {static_cast<IUnknown*>(back), fromInfo, fromCreate, static_cast<IUnknown*>(info)})
        p->Release();
    EXPECT_EQ(create->Release(), 0u);
}

TEST(ErrorInfo, ThreadSlotHandsOverAndClears) {
    IErrorInfo* out = reinterpret_cast<IErrorInfo*>(1);
    EXPECT_EQ(GetErrorInfo(0, &out), S_FALSE);
    EXPECT_EQ(out, nullptr);

    IErrorInfo* first = MakeError(u"first");
    IErrorInfo* second = MakeError(u"second");
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
    EXPECT_EQ(SetErrorInfo(1, nullptr), E_INVALIDARG);
    EXPECT_EQ(GetErrorInfo(0, nullptr), E_INVALIDARG);
    first->Release();
    second->Release();
}

TEST(ErrorInfo, EachThreadHasItsOwnRecordReleasedAtThreadEnd) {
    IErrorInfo* mine = MakeError(u"main");
    IErrorInfo* left = MakeError(u"left");
    ASSERT_EQ(SetErrorInfo(0, mine), S_OK);
    std::thread worker([left] {
        IErrorInfo* seen = nullptr;
        EXPECT_EQ(GetErrorInfo(0, &seen), S_FALSE);
        EXPECT_EQ(SetErrorInfo(0, left), S_OK);
    });
    worker.join();
    EXPECT_EQ(References(left), 1u);

    IErrorInfo* back = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &back), S_OK);
    EXPECT_EQ(back, mine);
    UniqueBstr description;
    ASSERT_EQ(back->GetDescription(description.Put()), S_OK);
    EXPECT_EQ(std::u16string(description.get()), u"main");
    for (IErrorInfo* p : {back, mine, left}) p->Release();
}

TEST(ErrorInfoDeathTest, RecordStillHeldAtProcessExitIsReleasedCleanly) {
    EXPECT_EXIT(
        {
            IErrorInfo* info = MakeError(u"left behind");
            SetErrorInfo(0, info);
            info->Release();
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
