// A client that knows nothing but the standard automation ABI: it loads the module, asks it for
// a class factory, creates the writer and reader, and calls them by name through IDispatch,
// reading failures back through EXCEPINFO and the thread's error information.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "com/oleauto.h"
#include "vxostrel/xml.h"  // the published interface declarations

namespace {

constexpr const IID& kWriterInterface = IID_IVxOstrelToXML;
constexpr const char* kNotInitialised = "OstrelToXML has not been initialised.";

using GetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, void**);
using CanUnloadNowFn = HRESULT (*)();

std::string Utf8(BSTR text) {
    std::string out;
    for (UINT i = 0; i < SysStringLen(text); ++i) out += static_cast<char>(text[i]);
    return out;
}
VARIANT Text(const char16_t* text) {
    VARIANT v{};
    v.vt = VT_BSTR, v.bstrVal = SysAllocString(text);
    return v;
}
VARIANT Number(double value) {
    VARIANT v{};
    v.vt = VT_R8, v.dblVal = value;
    return v;
}

class AbiClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = dlopen(KMC_MODULE_DIR "/libvxostrel.so", RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(module_, nullptr) << dlerror();
        getClassObject_ = reinterpret_cast<GetClassObjectFn>(dlsym(module_, "DllGetClassObject"));
        canUnloadNow_ = reinterpret_cast<CanUnloadNowFn>(dlsym(module_, "DllCanUnloadNow"));
        ASSERT_NE(getClassObject_, nullptr);
        ASSERT_NE(canUnloadNow_, nullptr);
    }
    void TearDown() override {
        ClearResult();
        for (IUnknown* object : objects_) object->Release();
        if (canUnloadNow_ != nullptr) {
            EXPECT_EQ(canUnloadNow_(), S_OK);
        }
        if (module_ != nullptr) dlclose(module_);
    }

    IDispatch* Create(REFCLSID clsid) {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(getClassObject_(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
        if (factory == nullptr) return nullptr;
        IDispatch* object = nullptr;
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&object)), S_OK);
        factory->Release();
        if (object != nullptr) objects_.push_back(object);
        return object;
    }

    // Calls `name` with positional arguments given first to last, which it clears afterwards.
    HRESULT Call(IDispatch* object, const char16_t* name, std::vector<VARIANT> args,
                 WORD flags = DISPATCH_METHOD) {
        ClearResult();
        DISPID id = DISPID_UNKNOWN;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
        std::reverse(args.begin(), args.end());
        DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
        if (SUCCEEDED(hr))
            hr = object->Invoke(id, IID_NULL, 0, flags, &params, &value_, &exception_, &argErr_);
        for (VARIANT& arg : args) VariantClear(&arg);
        return hr;
    }
    void ClearResult() {
        VariantClear(&value_);
        SysFreeString(exception_.bstrSource);
        SysFreeString(exception_.bstrDescription);
        SysFreeString(exception_.bstrHelpFile);
        exception_ = EXCEPINFO{};
        argErr_ = 99;
    }

    void* module_ = nullptr;
    GetClassObjectFn getClassObject_ = nullptr;
    CanUnloadNowFn canUnloadNow_ = nullptr;
    std::vector<IUnknown*> objects_;
    VARIANT value_{};
    EXCEPINFO exception_{};
    UINT argErr_ = 99;
};

TEST_F(AbiClientTest, FailuresReachTheClientThroughExcepInfoAndErrorInfo) {
    IDispatch* writer = Create(CLSID_OstrelToXML);
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(Call(writer, u"initializesaver", {Text(u"Doc"), Text(u"1.0")}), DISP_E_EXCEPTION);
    EXPECT_EQ(exception_.scode, E_UNEXPECTED);
    EXPECT_EQ(Utf8(exception_.bstrDescription), kNotInitialised);
    EXPECT_EQ(value_.vt, VT_EMPTY);

    ISupportErrorInfo* support = nullptr;
    ASSERT_EQ(writer->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&support)), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(kWriterInterface), S_OK);
    support->Release();
    IVxOstrelToXML* view = nullptr;
    ASSERT_EQ(writer->QueryInterface(kWriterInterface, reinterpret_cast<void**>(&view)), S_OK);
    BSTR name = SysAllocString(u"Item");
    EXPECT_EQ(view->OpenObject(name), E_UNEXPECTED);
    SysFreeString(name);
    view->Release();
    IErrorInfo* info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    GUID source{};
    BSTR description = nullptr;
    EXPECT_EQ(info->GetGUID(&source), S_OK);
    EXPECT_EQ(info->GetDescription(&description), S_OK);
    EXPECT_EQ(source, kWriterInterface);
    EXPECT_EQ(Utf8(description), kNotInitialised);
    SysFreeString(description);
    info->Release();
    EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);  // taking the record clears it
}

TEST_F(AbiClientTest, BadArgumentsGetTheirDocumentedCodes) {
    IDispatch* writer = Create(CLSID_OstrelToXML);
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(Call(writer, u"AddDoubleAttribute", {Text(u"Radius")}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Call(writer, u"AddDoubleAttribute", {Text(u"Radius"), Number(1), Number(2)}),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Call(writer, u"AddDoubleAttribute", {Text(u"Radius"), Text(u"wide")}), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr_, 0u);  // rgvarg index of the second argument
    EXPECT_EQ(Call(writer, u"NoSuchMember", {}), DISP_E_UNKNOWNNAME);
    DISPID ids[2] = {};
    LPOLESTR names[] = {const_cast<LPOLESTR>(u"addlongattribute"), const_cast<LPOLESTR>(u"bogus")};
    EXPECT_EQ(writer->GetIDsOfNames(IID_NULL, names, 2, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_NE(ids[0], DISPID_UNKNOWN);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);
}

TEST_F(AbiClientTest, ReaderAnswersMisuseWithItsDescription) {
    IDispatch* reader = Create(CLSID_XMLToOstrel);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(Call(reader, u"OpenNextElement", {Text(u"Lattice")}), DISP_E_EXCEPTION);
    EXPECT_EQ(exception_.scode, E_UNEXPECTED);
    EXPECT_EQ(Utf8(exception_.bstrDescription), "No elements are currently open in the tree");
    EXPECT_EQ(Call(reader, u"AreElementsRemaining", {}, DISPATCH_METHOD | DISPATCH_PROPERTYGET),
              DISP_E_EXCEPTION);
    EXPECT_EQ(Call(reader, u"CloseElement", {}), S_OK);
}

}  // namespace
