#include "nox/unknown.h"

namespace {
std::atomic<long> g_liveObjects{0};
}

CNoxUnknown::CNoxUnknown() { ++g_liveObjects; }

CNoxUnknown::~CNoxUnknown() { --g_liveObjects; }

long CNoxUnknown::LiveObjects() { return g_liveObjects.load(); }

HRESULT CNoxUnknown::DelegatedQueryInterface(REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown) return FinishQI(&identity_, out);
    return E_NOINTERFACE;
}

ULONG CNoxUnknown::DelegatedAddRef() { return ++references_; }

ULONG CNoxUnknown::DelegatedRelease() {
    ULONG remaining = --references_;
    if (remaining == 0) {
        references_ = 1;
        FinalRelease();
        delete this;
    }
    return remaining;
}

HRESULT CNoxUnknown::FinalConstruct() { return S_OK; }

void CNoxUnknown::FinalRelease() {}

HRESULT CNoxUnknown::FinishQI(IUnknown* pointer, void** out) {
    pointer->AddRef();
    *out = pointer;
    return S_OK;
}
