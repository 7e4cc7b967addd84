// A counted IDispatch whose default member answers with a chosen value, for tests of the
// conversions and containers that AddRef, Release and call through it.
#pragma once

#include "com/oleauto.h"

namespace nox::testing {

class FakeObject : public IDispatch {
public:
    int references = 1;
    bool answersDispatch = true;
    HRESULT invokeResult = S_OK;
    VARIANT defaultValue{};  // not owned: tests keep scalar values here
    WORD lastInvokeFlags = 0;

    HRESULT QueryInterface(REFIID iid, void** out) override {
        const bool known = iid == IID_IUnknown || (answersDispatch && iid == IID_IDispatch);
        *out = known ? this : nullptr;
        if (!known) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                   UINT*) override {
        lastInvokeFlags = flags;
        if (id != DISPID_VALUE || params == nullptr || params->cArgs != 0) return DISP_E_MEMBERNOTFOUND;
        if (FAILED(invokeResult)) return invokeResult;
        return VariantCopy(result, &defaultValue);
    }
};

}  // namespace nox::testing
