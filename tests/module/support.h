// Shared helpers for the module's tests.
#pragma once

#include <gmock/gmock.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "com/oleauto.h"
#include "nox/comptr.h"
#include "nox/strings.h"
#include "nox/variant.h"
#include "vxostrel/document.h"
#include "xml/reader.h"
#include "xml/utils.h"
#include "xml/writer.h"

namespace kmctest {

// The description of the calling thread's pending error information ("" when none), taking it.
inline std::string TakeErrorDescription() {
    NoxComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Put()) != S_OK || !info) return {};
    NoxBSTR text;
    info->GetDescription(text.Put());
    return text.ToTString();
}

inline NoxBSTR Text(const char* utf8) { return NoxBSTR(utf8); }

using Outcome = std::pair<HRESULT, std::string>;

// What a library call raised, or S_OK.
template <class Call>
Outcome Raised(Call&& call) {
    try {
        call();
        return {S_OK, ""};
    } catch (const NoxResult& failure) {
        return {failure.Code(), failure.Description()};
    }
}

// The text of a processes document that holds only `object`.
inline std::string SaveXml(IDispatch* object) {
    xmlTree tree;
    NoxComPtr<OstrelToXML> writer = OstrelToXML::Create();
    writer->Initialize(&tree);
    EXPECT_EQ(writer->InitializeSaver(Text("ProcessesDocument").Get(), Text("1.0").Get()), S_OK);
    OstrelUtils::SaveXML(object, writer.Get());
    writer->Finalize();
    return tree.SaveString();
}

// Loads `object` from the first element below the root of `document`.
inline Outcome LoadXml(IDispatch* object, const std::string& document) {
    std::unique_ptr<xmlTree> tree = xmlTree::ParseString(document);
    NoxComPtr<XMLToOstrel> reader = XMLToOstrel::Create();
    reader->Initialize(tree.get());
    NoxBSTR root, version;
    EXPECT_EQ(reader->InitializeLoader(root.Put(), version.Put()), S_OK);
    return Raised([&] { OstrelUtils::LoadXML(object, reader.Get()); });
}

class MockDocument : public CKMCDocumentsBase {
public:
    MOCK_METHOD(bool, IsLoading, (), (override));
    MOCK_METHOD(void, HostReserved, (), (override));
    MOCK_METHOD(NoxResult, CanEdit, (), (override));
    MOCK_METHOD(void, SetEditing, (bool), (override));
    MOCK_METHOD(void, SetModified, (bool), (override));
};

// Calls a member by name through IDispatch with positional arguments (given first to last).
struct DispatchCall {
    HRESULT hr = S_OK;
    NoxVariant result;
    EXCEPINFO exception{};
    UINT argErr = 0;
    ~DispatchCall() {
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
    }
    std::string Description() const { return BSTRToTString(exception.bstrDescription); }
};

inline DISPID DispIdOf(IDispatch* object, const char16_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    return id;
}

inline void CallByName(DispatchCall& call, IDispatch* object, const char16_t* name, WORD flags,
                       std::vector<VARIANT> args) {
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), flags == DISPATCH_PROPERTYPUT ? &named : nullptr,
                      static_cast<UINT>(reversed.size()), flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
    call.hr = object->Invoke(DispIdOf(object, name), IID_NULL, 0, flags, &params, call.result.Put(),
                             &call.exception, &call.argErr);
}

inline VARIANT Bstr(BSTR text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = text;
    return v;
}

inline VARIANT Long(LONG value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

}  // namespace kmctest
