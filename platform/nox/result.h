// NoxResult, the framework's exception type, and the one boundary that turns any exception
// into a result code with error information.
#pragma once

#include <exception>
#include <new>
#include <string>
#include <type_traits>
#include <utility>

#include "com/interfaces.h"

class NOX_EXPORT NoxResult {
public:
    // How the framework's last-error record treats this result's description; there is one
    // way so far, so a result does not keep it.
    enum LastDescriptionAction { kKeepDescription = 0 };

    explicit NoxResult(HRESULT code = S_OK, std::string description = {},
                       LastDescriptionAction action = kKeepDescription);

    [[nodiscard]] HRESULT Code() const { return code_; }
    const std::string& Description() const { return description_; }
    bool Succeeded() const { return SUCCEEDED(code_); }

    // The framework's standard text for a result code.
    static std::string StandardText(HRESULT code);
    static NoxResult StandardDescription(HRESULT code);
    // A result whose description comes from an automation exception record; the record's own
    // scode wins when it is set.
    static NoxResult ExcepInfoDescription(HRESULT code, const EXCEPINFO* info);
    static NoxResult QueryInterfaceFailure(HRESULT code, REFIID iid);

    // The calling thread's last recorded error.
    static NoxResult LastError();
    // The last error when it is a failure, otherwise a result of `code` with its standard text.
    static NoxResult LastErrorCheckHRESULT(HRESULT code);
    // The last error; an E_UNEXPECTED result when nothing other than S_OK was recorded.
    static NoxResult LastErrorCheckNotS_OK();

    // Records `code` as the thread's last error. The description is taken from the thread's
    // pending error information when there is one (so a callee's text travels on unchanged),
    // otherwise it is the standard text of the code.
    static void SetLastError(HRESULT code);
    static void SetLastError(const NoxResult& result);

    // Writes this result into an automation exception record for IDispatch::Invoke and returns
    // what Invoke returns: DISP_E_EXCEPTION with the record filled for failures raised by the
    // called member, the code itself for failures of the dispatch machinery.
    HRESULT CopyToExcepInfo(EXCEPINFO* info) const;

private:
    HRESULT code_;
    std::string description_;
};

// Conversion routines: each records error information (the description with `iid` as its
// GUID and the class as its source), records the last error, and returns the result code the
// failing method returns.
NOX_EXPORT HRESULT CaughtNoxResult(const NoxResult& result, REFCLSID clsid, REFIID iid);
NOX_EXPORT HRESULT CaughtHRESULT(uint32_t code, REFCLSID clsid, REFIID iid);
NOX_EXPORT HRESULT CaughtStdBadAlloc(const std::bad_alloc& e, REFCLSID clsid, REFIID iid);
NOX_EXPORT HRESULT CaughtStdException(const std::exception& e, REFCLSID clsid, REFIID iid);
NOX_EXPORT HRESULT CaughtAnything(REFCLSID clsid, REFIID iid);
// Called before an exception of no known kind is converted; a hook for diagnostics.
NOX_EXPORT void DiagnoseEntryToGenericCatch();

// Raises E_POINTER with a standard description when `pointer` is null.
NOX_EXPORT void CheckNullDereferenceFailed();
template <class T>
T* CheckNullDereference(T* pointer) {
    if (pointer == nullptr) CheckNullDereferenceFailed();
    return pointer;
}

namespace nox {

// The one conversion ladder: hands the exception in flight to the matching conversion routine
// (NoxResult, raw unsigned code, std::bad_alloc, std::exception, anything else) with `clsid`
// and `iid` as the error source, and returns that routine's result. Call only inside a catch.
NOX_EXPORT HRESULT CaughtCurrentException(REFCLSID clsid, REFIID iid) noexcept;

// The exception in flight as a NoxResult, converted and recorded by the same ladder.
NOX_EXPORT NoxResult CurrentExceptionAsResult() noexcept;

// Runs `body` inside the boundary frame. `body` returns void (S_OK) or an HRESULT success
// code. Every failure is converted with `clsid` and `iid` as the error source.
template <class Body>
[[nodiscard]] HRESULT Boundary(REFCLSID clsid, REFIID iid, Body&& body) noexcept {
    try {
        if constexpr (std::is_void_v<decltype(body())>) {
            std::forward<Body>(body)();
            return S_OK;
        } else {
            return std::forward<Body>(body)();
        }
    } catch (...) {
        return CaughtCurrentException(clsid, iid);
    }
}

// The propagation rule for calls into other components: a non-zero result is recorded as the
// last error (keeping the callee's description); a failure is raised so that the callee's
// description reaches the outermost boundary unchanged. Returns the success code.
NOX_EXPORT HRESULT Check(HRESULT hr);

// For runtime functions that record no error information (VariantChangeType, VariantCopy, ...):
// a failure is raised with the standard text of its code. Returns the success code.
NOX_EXPORT HRESULT CheckStandard(HRESULT hr);


}  // namespace nox
