// The identity half of a reference-counted object: Implements<Interfaces...> supplies
// QueryInterface, AddRef and Release, so a class holds only its fields and its own methods.
#pragma once

#include <atomic>

#include "com/interfaces.h"

namespace nox {

// Base of a concrete reference-counted class implementing `First` and `Rest`; QueryInterface
// answers IUnknown (always through `First`, so identity holds) and exactly the listed
// interfaces. An object starts with one reference, the creator's: make it with `new`, query
// the interface wanted, and drop the creation reference. Its virtual destructor lives on this
// implementation class, not on an interface, so it only appends to each interface's vtable and
// leaves the slots intact.
template <class First, class... Rest>
class Implements : public First, public Rest... {
public:
    [[nodiscard]] HRESULT QueryInterface(REFIID iid, void** result) override {
        if (result == nullptr) return E_POINTER;
        *result = Find(iid);
        if (*result == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
    ULONG Release() override {
        const ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0) {
            // A release reached from inside the destructor must not delete twice.
            refs_.store(1, std::memory_order_relaxed);
            delete this;
        }
        return left;
    }

    Implements(const Implements&) = delete;
    Implements& operator=(const Implements&) = delete;

protected:
    Implements() = default;
    virtual ~Implements() = default;

private:
    void* Find(REFIID iid) {
        if (iid == IidOf<IUnknown>() || iid == IidOf<First>())
            return static_cast<IUnknown*>(static_cast<First*>(this));
        void* found = nullptr;
        static_cast<void>((((found = FindIn<Rest>(iid)) != nullptr) || ...));
        return found;
    }
    template <class Interface>
    void* FindIn(REFIID iid) {
        return iid == IidOf<Interface>() ? static_cast<Interface*>(this) : nullptr;
    }

    std::atomic<ULONG> refs_{1};
};

}  // namespace nox
