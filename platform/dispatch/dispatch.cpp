#include "dispatch/dispatch.h"

#include "com/oleauto.h"
#include "nox/result.h"
#include "typelib/typelib.h"

NoxTypeInfoHolder::NoxTypeInfoHolder(const IID& iid, const GUID& libid, WORD major, WORD minor)
    : iid_(iid), libid_(libid), major_(major), minor_(minor) {}

NoxTypeInfoHolder::~NoxTypeInfoHolder() {
    NoxShutdownCaller::GetSingleton().UnregisterCallback(this);
    OnShutdown();
}

ITypeInfo* NoxTypeInfoHolder::Get() {
    std::lock_guard lock(mutex_);
    if (cached_) return cached_.Get();
    NoxComPtr<ITypeLib> library;
    if (FAILED(LoadRegTypeLib(libid_, major_, minor_, 0, library.Put()))) return nullptr;
    if (FAILED(library->GetTypeInfoOfGuid(iid_, cached_.Put())) || !cached_) return nullptr;
    NoxShutdownCaller::GetSingleton().RegisterCallback(this);
    return cached_.Get();
}

void NoxTypeInfoHolder::OnShutdown() {
    std::lock_guard lock(mutex_);
    cached_.Reset();
}

namespace {

// Dispatch-level failures carry the interface as error source; there is no class behind them.
HRESULT Fail(HRESULT code, REFIID iid) {
    return nox::Boundary(GUID_NULL, iid, [&] { throw NoxResult::StandardDescription(code); });
}

}  // namespace

HRESULT NoxTypeInfoHolder::GetTypeInfo(UINT index, ITypeInfo** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    ITypeInfo* info = Get();
    if (info == nullptr) return Fail(E_FAIL, iid_);
    info->AddRef();
    *out = info;
    return S_OK;
}

HRESULT NoxTypeInfoHolder::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = Get();
    if (info == nullptr) return Fail(E_FAIL, iid_);
    HRESULT hr = info->GetIDsOfNames(names, count, ids);
    if (hr != S_OK) NoxResult::SetLastError(hr);
    return hr;
}

HRESULT NoxTypeInfoHolder::Invoke(void* instance, DISPID id, REFIID riid, WORD flags, DISPPARAMS* params,
                                  VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = Get();
    if (info == nullptr) return Fail(E_FAIL, iid_);
    HRESULT hr = info->Invoke(instance, id, flags, params, result, excepInfo, argErr);
    if (hr == DISP_E_EXCEPTION)
        NoxResult::SetLastError(NoxResult::ExcepInfoDescription(hr, excepInfo));
    else if (FAILED(hr))
        NoxResult::SetLastError(hr);
    return hr;
}
