#include <gtest/gtest.h>

#include <thread>

#include "com/oleauto.h"

namespace {

// An error object filled through ICreateErrorInfo, owned by the test through IErrorInfo.
IErrorInfo* MakeError(const char16_t* description) {
    ICreateErrorInfo* create = nullptr;
    EXPECT_EQ(CreateErrorInfo(&create), S_OK);
    create->SetDescription(const_cast<LPOLESTR>(description));
    IErrorInfo* info = nullptr;
    EXPECT_EQ(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)), S_OK);
    create->Release();
    return info;
}

std::u16string Description(IErrorInfo* info) {
    BSTR text = nullptr;
    EXPECT_EQ(info->GetDescription(&text), S_OK);
    std::u16string result = text ? std::u16string(text, SysStringLen(text)) : u"<null>";
    SysFreeString(text);
    return result;
}

// Counts releases so that tests can see whether the slot let go of its reference.
struct CountingError : IErrorInfo {
    int references = 1;
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }
    HRESULT GetGUID(GUID*) override { return E_NOTIMPL; }
    HRESULT GetSource(BSTR*) override { return E_NOTIMPL; }
    HRESULT GetDescription(BSTR*) override { return E_NOTIMPL; }
    HRESULT GetHelpFile(BSTR*) override { return E_NOTIMPL; }
    HRESULT GetHelpContext(DWORD*) override { return E_NOTIMPL; }
};

TEST(ErrorInfo, FieldsRoundTripAndUnsetTextsAreNull) {
    ICreateErrorInfo* create = nullptr;
    ASSERT_EQ(CreateErrorInfo(&create), S_OK);
    IErrorInfo* info = nullptr;
    ASSERT_EQ(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)), S_OK);

    BSTR text = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(info->GetSource(&text), S_OK);
    EXPECT_EQ(text, nullptr);

    EXPECT_EQ(create->SetGUID(IID_IDispatch), S_OK);
    EXPECT_EQ(create->SetSource(const_cast<LPOLESTR>(u"Kmc.Species")), S_OK);
    EXPECT_EQ(create->SetHelpFile(const_cast<LPOLESTR>(u"help.chm")), S_OK);
    EXPECT_EQ(create->SetHelpContext(42), S_OK);
    GUID guid{};
    DWORD context = 0;
    EXPECT_EQ(info->GetGUID(&guid), S_OK);
    EXPECT_EQ(guid, IID_IDispatch);
    EXPECT_EQ(info->GetHelpContext(&context), S_OK);
    EXPECT_EQ(context, 42u);
    ASSERT_EQ(info->GetSource(&text), S_OK);
    EXPECT_EQ(std::u16string(text), u"Kmc.Species");
    BSTR second = nullptr;
    ASSERT_EQ(info->GetSource(&second), S_OK);
    EXPECT_NE(second, text);  // every call hands out a fresh string
    SysFreeString(text);
    SysFreeString(second);
    EXPECT_EQ(info->GetDescription(nullptr), E_INVALIDARG);

    info->Release();
    EXPECT_EQ(create->Release(), 0u);
}

TEST(ErrorInfo, QueryInterfaceKeepsOneIdentity) {
    ICreateErrorInfo* create = nullptr;
    ASSERT_EQ(CreateErrorInfo(&create), S_OK);
    IUnknown* fromCreate = nullptr;
    IErrorInfo* info = nullptr;
    IUnknown* fromInfo = nullptr;
    ICreateErrorInfo* back = nullptr;
    ASSERT_EQ(create->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromCreate)), S_OK);
    ASSERT_EQ(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)), S_OK);
    ASSERT_EQ(info->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromInfo)), S_OK);
    ASSERT_EQ(info->QueryInterface(IID_ICreateErrorInfo, reinterpret_cast<void**>(&back)), S_OK);
    EXPECT_EQ(fromCreate, fromInfo);
    EXPECT_EQ(back, create);

    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(info->QueryInterface(IID_IDispatch, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);

    for (IUnknown* p : {static_cast<IUnknown*>(back), fromInfo, static_cast<IUnknown*>(info), fromCreate})
        p->Release();
    EXPECT_EQ(create->Release(), 0u);
}

TEST(ErrorInfo, ThreadSlotHandsOverAndClears) {
    IErrorInfo* out = reinterpret_cast<IErrorInfo*>(1);
    EXPECT_EQ(GetErrorInfo(0, &out), S_FALSE);
    EXPECT_EQ(out, nullptr);

    CountingError first, second;
    EXPECT_EQ(SetErrorInfo(0, &first), S_OK);
    EXPECT_EQ(first.references, 2);
    EXPECT_EQ(SetErrorInfo(0, &second), S_OK);  // replaces and releases the old record
    EXPECT_EQ(first.references, 1);
    EXPECT_EQ(GetErrorInfo(0, &out), S_OK);
    EXPECT_EQ(out, &second);
    EXPECT_EQ(second.references, 2);  // the stored reference now belongs to the caller
    out->Release();
    EXPECT_EQ(GetErrorInfo(0, &out), S_FALSE);

    EXPECT_EQ(SetErrorInfo(0, &first), S_OK);
    EXPECT_EQ(SetErrorInfo(0, nullptr), S_OK);
    EXPECT_EQ(first.references, 1);
    EXPECT_EQ(GetErrorInfo(0, &out), S_FALSE);

    EXPECT_EQ(SetErrorInfo(1, nullptr), E_INVALIDARG);
    EXPECT_EQ(GetErrorInfo(0, nullptr), E_INVALIDARG);
}

TEST(ErrorInfo, EachThreadHasItsOwnRecordReleasedAtThreadEnd) {
    IErrorInfo* mine = MakeError(u"main");
    ASSERT_EQ(SetErrorInfo(0, mine), S_OK);

    CountingError left;
    std::thread worker([&] {
        IErrorInfo* seen = nullptr;
        EXPECT_EQ(GetErrorInfo(0, &seen), S_FALSE);
        EXPECT_EQ(seen, nullptr);
        EXPECT_EQ(SetErrorInfo(0, &left), S_OK);
    });
    worker.join();
    EXPECT_EQ(left.references, 1);

    IErrorInfo* back = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &back), S_OK);
    EXPECT_EQ(back, mine);
    EXPECT_EQ(Description(back), u"main");
    back->Release();
    mine->Release();
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
