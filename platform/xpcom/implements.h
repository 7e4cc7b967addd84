// Reference ownership and the identity half of a component: ComPtr owns one reference and
// names every transfer; Implements<Interfaces...> supplies QueryInterface, AddRef and Release.
#pragma once

#include <atomic>
#include <utility>

#include "xpcom/xpcom.h"

namespace nox::xpcom {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr& other) : raw_(other.raw_) { AddRefRaw(); }
    ComPtr(ComPtr&& other) noexcept : raw_(other.forget()) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(raw_, other.raw_);
        return *this;
    }
    ~ComPtr() { ReleaseRaw(); }

    // Takes over the reference the caller holds on `raw`.
    static ComPtr Adopt(T* raw) {
        ComPtr result;
        result.raw_ = raw;
        return result;
    }
    // Adds a reference of its own to `raw`.
    static ComPtr Share(T* raw) {
        ComPtr result = Adopt(raw);
        result.AddRefRaw();
        return result;
    }

    T* get() const { return raw_; }
    T* operator->() const { return raw_; }
    explicit operator bool() const { return raw_ != nullptr; }

    // Hands the reference to the caller and leaves this pointer empty.
    [[nodiscard]] T* forget() { return std::exchange(raw_, nullptr); }

    // The out parameter of a call that returns a new reference (getter_AddRefs); whatever
    // this pointer held before is released.
    T** Receive() {
        ReleaseRaw();
        raw_ = nullptr;
        return &raw_;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }

private:
    void AddRefRaw() {
        if (raw_ != nullptr) raw_->AddRef();
    }
    void ReleaseRaw() {
        if (raw_ != nullptr) raw_->Release();
    }

    T* raw_ = nullptr;
};

// Base of a concrete reference-counted class implementing `First` and `Rest`; QueryInterface
// answers nsISupports (always through `First`, so identity holds) and exactly the listed
// interfaces. An object starts with one reference, the creator's: make it with `new`, query
// the interface wanted, and drop the creation reference. Its virtual destructor lives on this implementation
// class, not on an interface, so it only appends to each interface's vtable and leaves the slots intact.
template <class First, class... Rest>
class Implements : public First, public Rest... {
public:
    nsresult QueryInterface(const nsIID& iid, void** result) override {
        if (result == nullptr) return NS_ERROR_NULL_POINTER;
        *result = Find(iid);
        if (*result == nullptr) return NS_ERROR_NO_INTERFACE;
        AddRef();
        return NS_OK;
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
    void* Find(const nsIID& iid) {
        if (iid == NS_GET_IID(nsISupports) || iid == NS_GET_IID(First))
            return static_cast<nsISupports*>(static_cast<First*>(this));
        void* found = nullptr;
        static_cast<void>((((found = FindIn<Rest>(iid)) != nullptr) || ...));
        return found;
    }
    template <class Interface>
    void* FindIn(const nsIID& iid) {
        return iid == NS_GET_IID(Interface) ? static_cast<Interface*>(this) : nullptr;
    }

    std::atomic<ULONG> refs_{1};
};

}  // namespace nox::xpcom
