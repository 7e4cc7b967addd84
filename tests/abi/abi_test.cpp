// A client that knows nothing but the standard automation ABI: it loads the module, asks it for
// a class factory, creates the writer and reader, and calls them by name through IDispatch,
// reading failures back through EXCEPINFO and the thread's error information.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "com/oleauto.h"
#include "vxostrel/xml.h"  // the published interface declarations

namespace {

constexpr const CLSID& kWriterClass = CLSID_OstrelToXML;
constexpr const CLSID& kReaderClass = CLSID_XMLToOstrel;
constexpr const IID& kWriterInterface = IID_IVxOstrelToXML;

using GetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, void**);
using CanUnloadNowFn = HRESULT (*)();

std::string Utf8(BSTR text) {
    std::string out;
    for (UINT i = 0; i < SysStringLen(text); ++i) out += static_cast<char>(text[i]);
    return out;
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

    struct Result {
        HRESULT hr;
        VARIANT value;
        EXCEPINFO exception;
        UINT argErr;
    };
    // Calls `name` with positional arguments given first to last; frees what the call returns.
    HRESULT Call(IDispatch* object, const char16_t* name, std::vector<VARIANT> args, Result& result,
                 WORD flags = DISPATCH_METHOD) {
        DISPID id = DISPID_UNKNOWN;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
        if (FAILED(hr)) return hr;
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        VariantInit(&result.value);
        result.exception = EXCEPINFO{};
        result.argErr = 99;
        result.hr =
            object->Invoke(id, IID_NULL, 0, flags, &params, &result.value, &result.exception, &result.argErr);
        return result.hr;
    }
    static void Free(Result& result) {
        VariantClear(&result.value);
        SysFreeString(result.exception.bstrSource);
        SysFreeString(result.exception.bstrDescription);
        SysFreeString(result.exception.bstrHelpFile);
    }

    static VARIANT Text(BSTR text) {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_BSTR;
        v.bstrVal = text;
        return v;
    }
    static VARIANT Number(double value) {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_R8;
        v.dblVal = value;
        return v;
    }

    void* module_ = nullptr;
    GetClassObjectFn getClassObject_ = nullptr;
    CanUnloadNowFn canUnloadNow_ = nullptr;
    std::vector<IUnknown*> objects_;
};

TEST_F(AbiClientTest, FailureReachesTheClientThroughExcepInfo) {
    IDispatch* writer = Create(kWriterClass);
    ASSERT_NE(writer, nullptr);
    BSTR root = SysAllocString(u"Doc");
    BSTR version = SysAllocString(u"1.0");
    Result result;
    EXPECT_EQ(Call(writer, u"initializesaver", {Text(root), Text(version)}, result), DISP_E_EXCEPTION);
    EXPECT_EQ(result.exception.scode, E_UNEXPECTED);
    EXPECT_EQ(Utf8(result.exception.bstrDescription), "OstrelToXML has not been initialised.");
    EXPECT_EQ(result.value.vt, VT_EMPTY);
    Free(result);
    SysFreeString(root);
    SysFreeString(version);
}

TEST_F(AbiClientTest, VtableFailureIsReadBackThroughErrorInfo) {
    IDispatch* writer = Create(kWriterClass);
    ASSERT_NE(writer, nullptr);
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
    info->GetGUID(&source);
    info->GetDescription(&description);
    EXPECT_EQ(source, kWriterInterface);
    EXPECT_EQ(Utf8(description), "OstrelToXML has not been initialised.");
    SysFreeString(description);
    info->Release();
    EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);  // taking the record clears it
}

TEST_F(AbiClientTest, BadArgumentsGetTheirDocumentedCodes) {
    IDispatch* writer = Create(kWriterClass);
    ASSERT_NE(writer, nullptr);
    BSTR name = SysAllocString(u"Radius");
    BSTR notANumber = SysAllocString(u"wide");
    Result result;
    EXPECT_EQ(Call(writer, u"AddDoubleAttribute", {Text(name)}, result), DISP_E_BADPARAMCOUNT);
    Free(result);
    EXPECT_EQ(Call(writer, u"AddDoubleAttribute", {Text(name), Number(1), Number(2)}, result),
              DISP_E_BADPARAMCOUNT);
    Free(result);
    EXPECT_EQ(Call(writer, u"AddDoubleAttribute", {Text(name), Text(notANumber)}, result),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(result.argErr, 0u);  // rgvarg index of the second argument
    Free(result);
    EXPECT_EQ(Call(writer, u"NoSuchMember", {}, result), DISP_E_UNKNOWNNAME);
    DISPID ids[2] = {};
    LPOLESTR names[] = {const_cast<LPOLESTR>(u"addlongattribute"), const_cast<LPOLESTR>(u"bogus")};
    EXPECT_EQ(writer->GetIDsOfNames(IID_NULL, names, 2, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_NE(ids[0], DISPID_UNKNOWN);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);
    SysFreeString(name);
    SysFreeString(notANumber);
}

TEST_F(AbiClientTest, ReaderAnswersMisuseWithItsDescription) {
    IDispatch* reader = Create(kReaderClass);
    ASSERT_NE(reader, nullptr);
    BSTR name = SysAllocString(u"Lattice");
    Result result;
    EXPECT_EQ(Call(reader, u"OpenNextElement", {Text(name)}, result), DISP_E_EXCEPTION);
    EXPECT_EQ(result.exception.scode, E_UNEXPECTED);
    EXPECT_EQ(Utf8(result.exception.bstrDescription), "No elements are currently open in the tree");
    Free(result);
    EXPECT_EQ(Call(reader, u"AreElementsRemaining", {}, result, DISPATCH_METHOD | DISPATCH_PROPERTYGET),
              DISP_E_EXCEPTION);
    Free(result);
    EXPECT_EQ(Call(reader, u"CloseElement", {}, result), S_OK);
    Free(result);
    SysFreeString(name);
}

}  // namespace
