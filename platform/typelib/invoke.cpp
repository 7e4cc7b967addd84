// IDispatch::Invoke and GetIDsOfNames over a member table.
#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "com/oleauto.h"
#include "com/utf.h"
#include "com/vartype.h"
#include "nox/comptr.h"
#include "nox/result.h"
#include "nox/variant.h"
#include "typelib/internal.h"
#include "typelib/typelib.h"

namespace nox::typelib {
namespace {

constexpr UINT kNoArgument = UINT_MAX;

// A caller leaves an optional argument out by passing this.
bool IsOmitted(const VARIANT& arg) { return arg.vt == VT_ERROR && arg.scode == DISP_E_PARAMNOTFOUND; }

bool IsOutput(const ParamDesc& param) { return param.dir != ParamDir::In; }

// An output needs somewhere to go: storage of its own type, or a VARIANT.
HRESULT CheckOutput(const ParamDesc& param, const VARIANT& arg) {
    const bool typed = arg.vt == (VT_BYREF | param.vt);
    const bool variant = arg.vt == (VT_BYREF | VT_VARIANT);
    return (typed || variant) && arg.byref != nullptr ? S_OK : DISP_E_TYPEMISMATCH;
}

// Hands an output over to the caller's storage, leaving `value` empty. A typed target receives
// the bare value (whatever it held before is the caller's); a VARIANT target is cleared first,
// as its previous contents would otherwise be lost.
void StoreOutput(const VARIANT& target, VARIANT& value) {
    const VARIANT moved = std::exchange(value, VARIANT{});
    if (target.vt == (VT_BYREF | VT_VARIANT)) {
        VariantClear(target.pvarVal);
        *target.pvarVal = moved;
    } else {
        const size_t size = (moved.vt & VT_ARRAY) != 0 ? sizeof(SAFEARRAY*) : nox::detail::ValueSize(moved.vt);
        std::memcpy(target.byref, &moved.llVal, size);
    }
}

// What the member answered. An exception escaping it is a failure too, whose text stands in for
// the error information.
struct Outcome {
    HRESULT hr;
    std::optional<std::string> exceptionText;
};

// One call of a member: which argument feeds each parameter, the slots handed to the member,
// and everything the binder holds until the call is over.
class CallFrame {
public:
    CallFrame(const MemberDesc& member, const DISPPARAMS& params)
        : member_(member),
          params_(params),
          argumentOf_(member.params.size(), kNoArgument),
          slots_(member.params.size()),
          coerced_(member.params.size()),
          queried_(member.params.size()) {}
    CallFrame(const CallFrame&) = delete;
    CallFrame& operator=(const CallFrame&) = delete;
    // Outputs the caller did not receive are freed here, whichever way the call went.
    ~CallFrame() {
        for (size_t p = 0; p < slots_.size(); ++p)
            if (IsOutput(member_.params[p])) VariantClear(&slots_[p]);
    }

    HRESULT MapArguments();
    HRESULT Bind(UINT* argErr);
    Outcome Call(void* instance);
    void Deliver(VARIANT* result);

private:
    HRESULT CheckNamedArguments() const;
    HRESULT Assign(size_t param, UINT argument);
    HRESULT CheckNothingMissing() const;
    HRESULT BindInput(size_t param, const VARIANT& arg);
    HRESULT QueryDeclaredInterface(size_t param);
    bool IsPut() const { return member_.kind == MemberKind::PropPut; }

    const MemberDesc& member_;
    const DISPPARAMS& params_;
    std::vector<UINT> argumentOf_;  // rgvarg index per parameter
    std::vector<VARIANT> slots_;    // inputs borrowed from the caller or from the holders below
    std::vector<NoxVariant> coerced_;
    std::vector<NoxComPtr<IUnknown>> queried_;
};

HRESULT CallFrame::CheckNamedArguments() const {
    if (IsPut()) {
        const bool hasValue = params_.cNamedArgs == 1 && params_.rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
        return hasValue ? S_OK : DISP_E_PARAMNOTFOUND;
    }
    for (UINT i = 0; i < params_.cNamedArgs; ++i) {
        const DISPID param = params_.rgdispidNamedArgs[i];
        if (param < 0 || static_cast<size_t>(param) >= slots_.size()) return DISP_E_PARAMNOTFOUND;
    }
    return S_OK;
}

// A parameter can take one argument, and the [out,retval] none: the member supplies it.
HRESULT CallFrame::Assign(size_t param, UINT argument) {
    if (param >= slots_.size() || member_.params[param].dir == ParamDir::Retval ||
        argumentOf_[param] != kNoArgument)
        return DISP_E_BADPARAMCOUNT;
    argumentOf_[param] = argument;
    return S_OK;
}

HRESULT CallFrame::CheckNothingMissing() const {
    for (size_t p = 0; p < slots_.size(); ++p) {
        if (member_.params[p].dir == ParamDir::Retval) continue;
        if (argumentOf_[p] == kNoArgument || IsOmitted(params_.rgvarg[argumentOf_[p]]))
            return DISP_E_BADPARAMCOUNT;
    }
    return S_OK;
}

HRESULT CallFrame::MapArguments() {
    if (HRESULT hr = CheckNamedArguments(); FAILED(hr)) return hr;
    // Positional arguments come last in rgvarg, the first of them at the very end.
    const UINT positional = params_.cArgs - params_.cNamedArgs;
    for (UINT j = 0; j < positional; ++j)
        if (HRESULT hr = Assign(j, params_.cArgs - 1 - j); FAILED(hr)) return hr;
    for (UINT i = 0; i < params_.cNamedArgs; ++i) {
        // The value of a property put is the last parameter, whatever index the member gives it.
        const size_t param = IsPut() ? slots_.size() - 1 : static_cast<size_t>(params_.rgdispidNamedArgs[i]);
        if (HRESULT hr = Assign(param, i); FAILED(hr)) return hr;
    }
    return CheckNothingMissing();
}

HRESULT CallFrame::Bind(UINT* argErr) {
    for (size_t p = 0; p < slots_.size(); ++p) {
        const ParamDesc& param = member_.params[p];
        if (param.dir == ParamDir::Retval) continue;
        const UINT index = argumentOf_[p];
        const VARIANT& arg = params_.rgvarg[index];
        const HRESULT hr = param.dir == ParamDir::In ? BindInput(p, arg) : CheckOutput(param, arg);
        if (FAILED(hr)) {
            if (argErr != nullptr) *argErr = index;
            return hr;
        }
    }
    return S_OK;
}

HRESULT CallFrame::BindInput(size_t param, const VARIANT& arg) {
    const ParamDesc& desc = member_.params[param];
    const VARIANT* value = arg.vt == (VT_BYREF | VT_VARIANT) ? arg.pvarVal : &arg;
    if (value == nullptr) return DISP_E_TYPEMISMATCH;
    if (desc.vt != VT_VARIANT && value->vt != desc.vt) {
        if (HRESULT hr = VariantChangeType(coerced_[param].Put(), value, 0, desc.vt); FAILED(hr)) return hr;
        value = &coerced_[param].Get();
    }
    slots_[param] = *value;
    return desc.iid != nullptr ? QueryDeclaredInterface(param) : S_OK;
}

// The member expects the declared interface itself, not whatever pointer the caller had.
HRESULT CallFrame::QueryDeclaredInterface(size_t param) {
    VARIANT& slot = slots_[param];
    IUnknown* object = slot.punkVal;
    if (object == nullptr) return S_OK;
    NoxComPtr<IUnknown>& queried = queried_[param];
    if (FAILED(object->QueryInterface(*member_.params[param].iid, queried.PutVoid())) || !queried)
        return DISP_E_TYPEMISMATCH;
    slot.byref = queried.Get();
    return S_OK;
}

Outcome CallFrame::Call(void* instance) {
    try {
        return {member_.thunk(instance, slots_.data()), std::nullopt};
    } catch (...) {
        const NoxResult result = nox::CurrentExceptionAsResult();
        return {FAILED(result.Code()) ? result.Code() : E_FAIL, result.Description()};
    }
}

void CallFrame::Deliver(VARIANT* result) {
    for (size_t p = 0; p < slots_.size(); ++p)
        if (member_.params[p].dir == ParamDir::Out) StoreOutput(params_.rgvarg[argumentOf_[p]], slots_[p]);
    if (result == nullptr || IsPut()) return;
    VariantClear(result);
    if (!slots_.empty() && member_.params.back().dir == ParamDir::Retval)
        *result = std::exchange(slots_.back(), VARIANT{});
}

bool SupportsErrorInfo(void* instance, const IID* iid) {
    if (iid == nullptr) return false;
    NoxComPtr<ISupportErrorInfo> support;
    auto* object = static_cast<IUnknown*>(instance);
    return SUCCEEDED(object->QueryInterface(IID_ISupportErrorInfo, support.PutVoid())) && support &&
           support->InterfaceSupportsErrorInfo(*iid) == S_OK;
}

BSTR Fetch(IErrorInfo& error, HRESULT (IErrorInfo::*getter)(BSTR*)) {
    BSTR text = nullptr;
    return SUCCEEDED((error.*getter)(&text)) ? text : nullptr;
}

// Takes the thread's error record, which the failing member left for its caller.
void FillFromErrorInfo(EXCEPINFO& info) {
    NoxComPtr<IErrorInfo> error;
    if (GetErrorInfo(0, error.Put()) != S_OK || !error) return;
    info.bstrSource = Fetch(*error, &IErrorInfo::GetSource);
    info.bstrDescription = Fetch(*error, &IErrorInfo::GetDescription);
    info.bstrHelpFile = Fetch(*error, &IErrorInfo::GetHelpFile);
    DWORD context = 0;
    if (SUCCEEDED(error->GetHelpContext(&context))) info.dwHelpContext = context;
}

// `info` was zeroed on entry to Invoke.
HRESULT ReportFailure(const InterfaceDesc& desc, void* instance, const Outcome& outcome, EXCEPINFO* info) {
    if (info == nullptr) return DISP_E_EXCEPTION;
    info->scode = outcome.hr;
    if (!outcome.exceptionText) {
        if (SupportsErrorInfo(instance, desc.iid)) FillFromErrorInfo(*info);
        return DISP_E_EXCEPTION;
    }
    // Converting the exception also left its text as the thread's error information; the
    // record is delivered here, as it is for a member that failed by returning a code.
    SetErrorInfo(0, nullptr);
    try {
        info->bstrDescription = nox::Utf8ToBstr(*outcome.exceptionText);
    } catch (const std::bad_alloc&) {
        // The failure still reaches the caller, only without its text.
    }
    return DISP_E_EXCEPTION;
}

bool IsWellFormed(const DISPPARAMS& params) {
    return params.cNamedArgs <= params.cArgs && (params.cArgs == 0 || params.rgvarg != nullptr) &&
           (params.cNamedArgs == 0 || params.rgdispidNamedArgs != nullptr);
}

DISPID ParameterIndex(const MemberDesc& member, LPCOLESTR name) {
    const std::optional<std::string> text = detail::CallerName(name);
    for (size_t p = 0; text && p < member.params.size(); ++p)
        if (detail::SameName(*text, member.params[p].name)) return static_cast<DISPID>(p);
    return DISPID_UNKNOWN;
}

HRESULT MatchNames(const InterfaceDesc& desc, LPOLESTR* names, UINT count, DISPID* ids) {
    const std::optional<std::string> memberName = detail::CallerName(names[0]);
    const MemberDesc* member = memberName ? detail::FindMemberNamed(desc, *memberName) : nullptr;
    if (member == nullptr) return DISP_E_UNKNOWNNAME;
    ids[0] = member->dispid;
    HRESULT hr = S_OK;
    for (UINT i = 1; i < count; ++i) {
        ids[i] = ParameterIndex(*member, names[i]);
        if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

}  // namespace

HRESULT InvokeMember(const InterfaceDesc& desc, void* instance, DISPID id, WORD flags, DISPPARAMS* params,
                     VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) {
    if (params == nullptr || !IsWellFormed(*params) || instance == nullptr) return E_INVALIDARG;
    if (excepInfo != nullptr) *excepInfo = {};
    const MemberDesc* member = detail::FindMember(desc, id, flags);
    if (member == nullptr) return DISP_E_MEMBERNOTFOUND;
    return detail::Allocating([&] {
        CallFrame frame(*member, *params);
        if (HRESULT hr = frame.MapArguments(); FAILED(hr)) return hr;
        if (HRESULT hr = frame.Bind(argErr); FAILED(hr)) return hr;
        const Outcome outcome = frame.Call(instance);
        if (FAILED(outcome.hr)) return ReportFailure(desc, instance, outcome, excepInfo);
        frame.Deliver(result);
        return outcome.hr;
    });
}

HRESULT GetIDsOfNamesIn(const InterfaceDesc& desc, LPOLESTR* names, UINT count, DISPID* ids) {
    if (names == nullptr || ids == nullptr) return E_INVALIDARG;
    std::fill_n(ids, count, DISPID_UNKNOWN);
    if (count == 0) return S_OK;
    return detail::Allocating([&] { return MatchNames(desc, names, count, ids); });
}

}  // namespace nox::typelib
