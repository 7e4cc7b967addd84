// CNoxUnknown: the framework base of every component object. It holds the reference count and
// the identity (the IUnknown every QueryInterface for IUnknown answers with); a component's
// interface parts forward their IUnknown methods to it.
#pragma once

#include <atomic>

#include "com/interfaces.h"

class NOX_EXPORT CNoxUnknown {
public:
    CNoxUnknown();
    CNoxUnknown(const CNoxUnknown&) = delete;
    CNoxUnknown& operator=(const CNoxUnknown&) = delete;

    // Answers IID_IUnknown with the identity; anything else E_NOINTERFACE. Components extend it.
    [[nodiscard]] virtual HRESULT DelegatedQueryInterface(REFIID iid, void** out);
    virtual ULONG DelegatedAddRef();
    // At the last release: FinalRelease, then destruction. The count is held at one meanwhile,
    // so a release from inside the teardown cannot destroy the object twice.
    virtual ULONG DelegatedRelease();
    // Called once after creation, before the object is handed out.
    [[nodiscard]] virtual HRESULT FinalConstruct();
    virtual void FinalRelease();

    IUnknown* Identity() { return &identity_; }

    // Component objects alive in this process (for DllCanUnloadNow).
    static long LiveObjects();

protected:
    // Destroyed only through DelegatedRelease.
    virtual ~CNoxUnknown();

    // Hands out `pointer` with a new reference through `out`.
    [[nodiscard]] static HRESULT FinishQI(IUnknown* pointer, void** out);

private:
    struct IdentityUnknown final : IUnknown {
        explicit IdentityUnknown(CNoxUnknown& owner) : owner(owner) {}
        [[nodiscard]] HRESULT QueryInterface(REFIID iid, void** out) override {
            return owner.DelegatedQueryInterface(iid, out);
        }
        ULONG AddRef() override { return owner.DelegatedAddRef(); }
        ULONG Release() override { return owner.DelegatedRelease(); }
        CNoxUnknown& owner;
    };

    std::atomic<ULONG> references_{1};  // the creation reference
    IdentityUnknown identity_{*this};
};
