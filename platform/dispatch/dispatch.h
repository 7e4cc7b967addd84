// INoxDispatchImpl: IDispatch for one automation interface, answered by the interface's type
// information from a registered type library. The type information is loaded on first use,
// cached per interface, and released by the framework's shutdown caller.
#pragma once

#include <mutex>

#include "com/interfaces.h"
#include "nox/comptr.h"
#include "nox/shutdown.h"

class NOX_EXPORT NoxTypeInfoHolder final : public NoxOnShutdownCallback {
public:
    NoxTypeInfoHolder(const IID& iid, const GUID& libid, WORD major, WORD minor);
    ~NoxTypeInfoHolder();
    NoxTypeInfoHolder(const NoxTypeInfoHolder&) = delete;
    NoxTypeInfoHolder& operator=(const NoxTypeInfoHolder&) = delete;

    // The cached type information (not AddRef'd), loading it on first use; null when the type
    // library cannot be loaded, in which case the next call tries again.
    ITypeInfo* Get();
    void OnShutdown() override;

    [[nodiscard]] HRESULT GetTypeInfo(UINT index, ITypeInfo** out);
    [[nodiscard]] HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, DISPID* ids);
    [[nodiscard]] HRESULT Invoke(void* instance, DISPID id, REFIID riid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excepInfo, UINT* argErr);

private:
    const IID& iid_;
    const GUID& libid_;
    WORD major_;
    WORD minor_;
    std::mutex mutex_;
    NoxComPtr<ITypeInfo> cached_;
};

template <class Interface, const IID* InterfaceId, const GUID* LibraryId, WORD Major, WORD Minor>
class INoxDispatchImpl : public Interface {
public:
    [[nodiscard]] HRESULT GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    [[nodiscard]] HRESULT GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
        return holder_.GetTypeInfo(index, out);
    }
    [[nodiscard]] HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return holder_.GetIDsOfNames(riid, names, count, ids);
    }
    [[nodiscard]] HRESULT Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excepInfo, UINT* argErr) override {
        return holder_.Invoke(static_cast<Interface*>(this), id, riid, flags, params, result, excepInfo,
                              argErr);
    }

private:
    static inline NoxTypeInfoHolder holder_{*InterfaceId, *LibraryId, Major, Minor};
};
