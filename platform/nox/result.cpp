#include "nox/result.h"

#include <cstdio>
#include <unordered_map>

#include "com/oleauto.h"
#include "com/utf.h"
#include "nox/registry.h"

namespace {

thread_local NoxResult t_lastError;

const std::unordered_map<HRESULT, const char*>& StandardTexts() {
    static const std::unordered_map<HRESULT, const char*> texts{
        {S_OK, "The operation completed successfully."},
        {S_FALSE, "The operation completed with a negative answer."},
        {E_NOTIMPL, "Not implemented."},
        {E_NOINTERFACE, "No such interface supported."},
        {E_POINTER, "Invalid pointer."},
        {E_ABORT, "Operation aborted."},
        {E_FAIL, "Unspecified error."},
        {E_ACCESSDENIED, "Access is denied."},
        {E_UNEXPECTED, "Catastrophic failure."},
        {E_OUTOFMEMORY, "Out of memory."},
        {E_INVALIDARG, "The parameter is incorrect."},
        {CLASS_E_NOAGGREGATION, "Class does not support aggregation."},
        {CLASS_E_CLASSNOTAVAILABLE, "Class factory cannot supply the requested class."},
        {REGDB_E_CLASSNOTREG, "Class not registered."},
        {CO_E_CLASSSTRING, "Invalid class string."},
        {TYPE_E_ELEMENTNOTFOUND, "Element not found."},
        {TYPE_E_LIBNOTREGISTERED, "Library not registered."},
        {DISP_E_UNKNOWNINTERFACE, "Unknown interface."},
        {DISP_E_MEMBERNOTFOUND, "Member not found."},
        {DISP_E_PARAMNOTFOUND, "Parameter not found."},
        {DISP_E_TYPEMISMATCH, "Type mismatch."},
        {DISP_E_UNKNOWNNAME, "Unknown name."},
        {DISP_E_NONAMEDARGS, "No named arguments."},
        {DISP_E_BADVARTYPE, "Bad variable type."},
        {DISP_E_EXCEPTION, "Exception occurred."},
        {DISP_E_OVERFLOW, "Out of present range."},
        {DISP_E_BADINDEX, "Invalid index."},
        {DISP_E_UNKNOWNLCID, "Unknown language."},
        {DISP_E_ARRAYISLOCKED, "Memory is locked."},
        {DISP_E_BADPARAMCOUNT, "Invalid number of parameters."},
        {DISP_E_PARAMNOTOPTIONAL, "Parameter not optional."},
        {DISP_E_NOTACOLLECTION, "Does not support a collection."},
    };
    return texts;
}

// Takes the description out of the thread's pending error information, if any.
bool TakePendingDescription(std::string& description) {
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || info == nullptr) return false;
    BSTR text = nullptr;
    HRESULT hr = info->GetDescription(&text);
    info->Release();
    if (FAILED(hr) || SysStringLen(text) == 0) {
        SysFreeString(text);
        return false;
    }
    description = nox::BstrToUtf8(text);
    SysFreeString(text);
    return true;
}

// Publishes `description` as the thread's error information, with `iid` as its GUID and the
// class as its source. Failing to build the record must not hide the original failure.
void RecordErrorInfo(const std::string& description, REFCLSID clsid, REFIID iid) {
    ICreateErrorInfo* create = nullptr;
    if (FAILED(CreateErrorInfo(&create)) || create == nullptr) return;
    try {
        std::u16string text = nox::Utf8ToUtf16(description);
        std::u16string source = nox::Utf8ToUtf16(nox::ClassSourceName(clsid));
        (void)create->SetGUID(iid);
        (void)create->SetDescription(text.data());
        (void)create->SetSource(source.data());
        IErrorInfo* info = nullptr;
        if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
            SetErrorInfo(0, info);
            info->Release();
        }
    } catch (...) {
    }
    create->Release();
}

HRESULT Record(const NoxResult& result, REFCLSID clsid, REFIID iid) {
    NoxResult::SetLastError(result);
    RecordErrorInfo(result.Description(), clsid, iid);
    return result.Code();
}

}  // namespace

NoxResult::NoxResult(HRESULT code, std::string description, LastDescriptionAction)
    : code_(code), description_(std::move(description)) {}

std::string NoxResult::StandardText(HRESULT code) {
    const auto& texts = StandardTexts();
    if (auto it = texts.find(code); it != texts.end()) return it->second;
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "Error 0x%08X.", static_cast<uint32_t>(code));
    return buffer;
}

NoxResult NoxResult::StandardDescription(HRESULT code) { return NoxResult(code, StandardText(code)); }

NoxResult NoxResult::ExcepInfoDescription(HRESULT code, const EXCEPINFO* info) {
    if (info == nullptr) return StandardDescription(code);
    HRESULT effective = info->scode != 0 ? info->scode : code;
    std::string description = SysStringLen(info->bstrDescription) != 0
                                  ? nox::BstrToUtf8(info->bstrDescription)
                                  : StandardText(effective);
    return NoxResult(effective, std::move(description));
}

NoxResult NoxResult::QueryInterfaceFailure(HRESULT code, REFIID iid) {
    return NoxResult(code, "The object does not support the interface " + nox::FormatGuid(iid) + ".");
}

NoxResult NoxResult::LastError() { return t_lastError; }

NoxResult NoxResult::LastErrorCheckHRESULT(HRESULT code) {
    if (FAILED(t_lastError.Code())) return t_lastError;
    return StandardDescription(code);
}

NoxResult NoxResult::LastErrorCheckNotS_OK() {
    if (t_lastError.Code() != S_OK) return t_lastError;
    return NoxResult(E_UNEXPECTED, "An operation failed without recording an error.");
}

void NoxResult::SetLastError(HRESULT code) {
    std::string description;
    if (!FAILED(code) || !TakePendingDescription(description)) description = StandardText(code);
    t_lastError = NoxResult(code, std::move(description));
}

void NoxResult::SetLastError(const NoxResult& result) { t_lastError = result; }

HRESULT NoxResult::CopyToExcepInfo(EXCEPINFO* info) const {
    if (info != nullptr) {
        *info = EXCEPINFO{};
        info->scode = code_;
        info->bstrDescription = nox::Utf8ToBstr(description_);
    }
    return DISP_E_EXCEPTION;
}

HRESULT CaughtNoxResult(const NoxResult& result, REFCLSID clsid, REFIID iid) {
    return Record(result, clsid, iid);
}

HRESULT CaughtHRESULT(uint32_t code, REFCLSID clsid, REFIID iid) {
    return Record(NoxResult::StandardDescription(static_cast<HRESULT>(code)), clsid, iid);
}

HRESULT CaughtStdBadAlloc(const std::bad_alloc& e, REFCLSID clsid, REFIID iid) {
    return Record(NoxResult(E_OUTOFMEMORY, e.what()), clsid, iid);
}

HRESULT CaughtStdException(const std::exception& e, REFCLSID clsid, REFIID iid) {
    return Record(NoxResult(E_FAIL, e.what()), clsid, iid);
}

HRESULT CaughtAnything(REFCLSID clsid, REFIID iid) {
    DiagnoseEntryToGenericCatch();
    return Record(NoxResult(E_FAIL, "Internal Error"), clsid, iid);
}

void DiagnoseEntryToGenericCatch() {}

void CheckNullDereferenceFailed() {
    throw NoxResult(E_POINTER, "A required object is missing (null pointer).");
}

namespace nox {

HRESULT CaughtCurrentException(REFCLSID clsid, REFIID iid) noexcept {
    try {
        throw;
    } catch (const NoxResult& result) {
        return CaughtNoxResult(result, clsid, iid);
    } catch (uint32_t code) {
        return CaughtHRESULT(code, clsid, iid);
    } catch (const std::bad_alloc& e) {
        return CaughtStdBadAlloc(e, clsid, iid);
    } catch (const std::exception& e) {
        return CaughtStdException(e, clsid, iid);
    } catch (...) {
        return CaughtAnything(clsid, iid);
    }
}

NoxResult CurrentExceptionAsResult() noexcept {
    CaughtCurrentException(GUID_NULL, GUID_NULL);
    return NoxResult::LastError();
}

HRESULT Check(HRESULT hr) {
    if (hr == S_OK) return hr;
    NoxResult::SetLastError(hr);
    if (FAILED(hr)) throw NoxResult::LastErrorCheckNotS_OK();
    return hr;
}

HRESULT CheckStandard(HRESULT hr) {
    if (FAILED(hr)) {
        NoxResult::SetLastError(NoxResult::StandardDescription(hr));
        throw NoxResult::LastError();
    }
    return hr;
}


}  // namespace nox
