// NoxComPtr: owns exactly one reference. Every transfer has a name, so a reader sees who owns
// what: Attach adopts a reference, Detach gives it away, Put hands the slot to a callee that
// writes an owned reference into it, As queries another interface.
#pragma once

#include <utility>

#include "com/interfaces.h"
#include "nox/result.h"

template <class T>
class NoxComPtr {
public:
    NoxComPtr() = default;
    NoxComPtr(std::nullptr_t) {}
    // Shares the caller's reference (adds one of its own).
    explicit NoxComPtr(T* pointer) : pointer_(pointer) { AddRefPointer(); }
    NoxComPtr(const NoxComPtr& other) : pointer_(other.pointer_) { AddRefPointer(); }
    NoxComPtr(NoxComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ~NoxComPtr() { ReleasePointer(); }

    NoxComPtr& operator=(NoxComPtr other) noexcept {
        std::swap(pointer_, other.pointer_);
        return *this;
    }

    static NoxComPtr Attach(T* owned) {
        NoxComPtr result;
        result.pointer_ = owned;
        return result;
    }
    [[nodiscard]] T* Detach() { return std::exchange(pointer_, nullptr); }
    void Reset() { NoxComPtr().Swap(*this); }
    void Swap(NoxComPtr& other) noexcept { std::swap(pointer_, other.pointer_); }

    // Releases the current reference and returns the slot for a callee's output.
    T** Put() {
        Reset();
        return &pointer_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    T* Get() const { return pointer_; }
    T* operator->() const { return CheckNullDereference(pointer_); }
    T& operator*() const { return *CheckNullDereference(pointer_); }
    explicit operator bool() const { return pointer_ != nullptr; }

    // Queries `U`; a failure is raised as the framework's interface failure.
    template <class U>
    NoxComPtr<U> As() const {
        NoxComPtr<U> result;
        HRESULT hr = CheckNullDereference(pointer_)->QueryInterface(IidOf<U>(), result.PutVoid());
        if (FAILED(hr)) {
            NoxResult::SetLastError(hr);
            throw NoxResult::QueryInterfaceFailure(hr, IidOf<U>());
        }
        return result;
    }
    // Queries `U`; an empty pointer when the object does not have it.
    template <class U>
    NoxComPtr<U> TryAs() const {
        NoxComPtr<U> result;
        if (pointer_ != nullptr) (void)pointer_->QueryInterface(IidOf<U>(), result.PutVoid());
        return result;
    }

    friend bool operator==(const NoxComPtr& a, const NoxComPtr& b) { return a.pointer_ == b.pointer_; }

private:
    void AddRefPointer() const {
        if (pointer_ != nullptr) pointer_->AddRef();
    }
    void ReleasePointer() {
        if (T* p = std::exchange(pointer_, nullptr)) p->Release();
    }

    T* pointer_ = nullptr;
};
