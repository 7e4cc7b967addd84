// Helpers shared by the automation tests: a VARIANT of any scalar or pointer value, an error
// record, and a counted IDispatch whose default member answers with a chosen value.
#pragma once

#include <cstring>

#include "com/oleauto.h"

namespace nox::testing {

// A VARIANT of type `vt` whose union starts with the bytes of `value`. Owns nothing itself.
template <class T>
VARIANT MakeVariant(VARTYPE vt, T value) {
    VARIANT v{};
    v.vt = vt;
    std::memcpy(&v.llVal, &value, sizeof value);
    return v;
}

inline VARIANT I4(LONG x) { return MakeVariant(VT_I4, x); }
inline VARIANT R8(double x) { return MakeVariant(VT_R8, x); }
inline VARIANT Bool(bool x) { return MakeVariant(VT_BOOL, x ? VARIANT_TRUE : VARIANT_FALSE); }

// A new error record with these fields, owned by the caller through IErrorInfo.
inline IErrorInfo* NewErrorInfo(const char16_t* description, const char16_t* source = nullptr,
                                const char16_t* helpFile = nullptr, DWORD helpContext = 0) {
    ICreateErrorInfo* create = nullptr;
    IErrorInfo* info = nullptr;
    if (FAILED(CreateErrorInfo(&create))) return nullptr;
    const bool filled = SUCCEEDED(create->SetDescription(const_cast<LPOLESTR>(description))) &&
                        SUCCEEDED(create->SetSource(const_cast<LPOLESTR>(source))) &&
                        SUCCEEDED(create->SetHelpFile(const_cast<LPOLESTR>(helpFile))) &&
                        SUCCEEDED(create->SetHelpContext(helpContext)) &&
                        SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)));
    create->Release();
    if (!filled && info != nullptr) info->Release();
    return filled ? info : nullptr;
}

// Lives on the stack; tests compare `references` with what they expect to be held.
class FakeObject : public IDispatch {
public:
    int references = 1;
    bool answersDispatch = true;
    HRESULT invokeResult = S_OK;
    VARIANT defaultValue{};  // not owned: tests keep scalar values here

    HRESULT QueryInterface(REFIID iid, void** out) override {
        const bool known = iid == IID_IUnknown || (answersDispatch && iid == IID_IDispatch);
        *out = known ? this : nullptr;
        if (known) AddRef();
        return known ? S_OK : E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                   UINT*) override {
        if (id != DISPID_VALUE || params == nullptr || params->cArgs != 0) return DISP_E_MEMBERNOTFOUND;
        return FAILED(invokeResult) ? invokeResult : VariantCopy(result, &defaultValue);
    }
};

}  // namespace nox::testing
