#include <new>
#include <optional>
#include <string>

#include "com/implements.h"
#include "com/oleauto.h"

namespace {

// The standard error object: written through ICreateErrorInfo, read through IErrorInfo.
// IErrorInfo is listed first because it is the identity IUnknown answers.
class ErrorInfo final : public nox::Implements<IErrorInfo, ICreateErrorInfo> {
public:
    HRESULT GetGUID(GUID* guid) override {
        if (guid == nullptr) return E_INVALIDARG;
        *guid = guid_;
        return S_OK;
    }
    HRESULT GetSource(BSTR* source) override { return CopyOut(source_, source); }
    HRESULT GetDescription(BSTR* description) override { return CopyOut(description_, description); }
    HRESULT GetHelpFile(BSTR* helpFile) override { return CopyOut(helpFile_, helpFile); }
    HRESULT GetHelpContext(DWORD* helpContext) override {
        if (helpContext == nullptr) return E_INVALIDARG;
        *helpContext = helpContext_;
        return S_OK;
    }

    HRESULT SetGUID(REFGUID guid) override {
        guid_ = guid;
        return S_OK;
    }
    HRESULT SetSource(LPOLESTR source) override { return Store(source, source_); }
    HRESULT SetDescription(LPOLESTR description) override { return Store(description, description_); }
    HRESULT SetHelpFile(LPOLESTR helpFile) override { return Store(helpFile, helpFile_); }
    HRESULT SetHelpContext(DWORD helpContext) override {
        helpContext_ = helpContext;
        return S_OK;
    }

private:
    using Text = std::optional<std::u16string>;

    ~ErrorInfo() override = default;

    // A null text forgets the field, so its getter answers NULL as if it had never been set.
    static HRESULT Store(LPCOLESTR text, Text& field) {
        try {
            field = text ? Text(text) : std::nullopt;
            return S_OK;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }

    static HRESULT CopyOut(const Text& field, BSTR* out) {
        if (out == nullptr) return E_INVALIDARG;
        *out = nullptr;
        if (!field) return S_OK;
        *out = SysAllocStringLen(field->data(), static_cast<UINT>(field->size()));
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    GUID guid_{};
    Text source_;
    Text description_;
    Text helpFile_;
    DWORD helpContext_ = 0;
};

// The calling thread's error record. The pointer itself is trivially destructible, so it can be
// read and written at any point of the thread's life; the guard releases what it holds when the
// thread ends (for the main thread: at the start of exit, while every module is still loaded).
thread_local IErrorInfo* currentError = nullptr;

struct ThreadErrorGuard {
    ~ThreadErrorGuard() {
        // Releasing an error object may store another one; drain until the slot stays empty.
        while (IErrorInfo* info = currentError) {
            currentError = nullptr;
            info->Release();
        }
    }
};

void EnsureReleaseAtThreadEnd() {
    thread_local ThreadErrorGuard guard;
    (void)guard;
}

// Hands over the thread's stored reference, leaving the slot empty.
IErrorInfo* TakeCurrentError() {
    IErrorInfo* info = currentError;
    currentError = nullptr;
    return info;
}

}  // namespace

extern "C" {

HRESULT CreateErrorInfo(ICreateErrorInfo** info) {
    if (info == nullptr) return E_INVALIDARG;
    auto* object = new (std::nothrow) ErrorInfo;
    *info = object;
    return object ? S_OK : E_OUTOFMEMORY;
}

HRESULT SetErrorInfo(ULONG reserved, IErrorInfo* info) {
    if (reserved != 0) return E_INVALIDARG;
    EnsureReleaseAtThreadEnd();
    if (info != nullptr) info->AddRef();
    IErrorInfo* previous = TakeCurrentError();
    currentError = info;
    if (previous != nullptr) previous->Release();
    return S_OK;
}

HRESULT GetErrorInfo(ULONG reserved, IErrorInfo** info) {
    if (reserved != 0 || info == nullptr) return E_INVALIDARG;
    *info = TakeCurrentError();
    return *info ? S_OK : S_FALSE;
}

}  // extern "C"
