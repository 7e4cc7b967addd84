// Owning holders for the automation types, after the "free with this function" holders of
// the Windows Implementation Libraries: one template, one line per type.
#pragma once

#include <type_traits>
#include <utility>

#include "com/oleauto.h"

namespace nox {

// Owns one value of `Storage` and hands it to `Close` when dropped. A value-initialised
// `Storage` (a null pointer, a VT_EMPTY VARIANT) is the empty state; closing it does nothing.
template <class Storage, auto Close>
class UniqueValue {
public:
    UniqueValue() noexcept = default;
    explicit UniqueValue(Storage value) noexcept : value_(value) {}
    UniqueValue(UniqueValue&& other) noexcept : value_(other.release()) {}
    UniqueValue& operator=(UniqueValue&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueValue() { Close(value_); }

    Storage& get() noexcept { return value_; }
    const Storage& get() const noexcept { return value_; }
    Storage* operator->() noexcept requires std::is_class_v<Storage> { return &value_; }
    explicit operator bool() const noexcept requires std::is_pointer_v<Storage> { return value_ != nullptr; }

    // Gives up ownership; the holder is left empty.
    [[nodiscard]] Storage release() noexcept { return std::exchange(value_, Storage{}); }
    // Closes the held value and takes `value` in its place.
    void reset(Storage value = Storage{}) noexcept {
        Storage old = std::exchange(value_, value);
        Close(old);
    }
    // For an output parameter: closes the held value and returns where the new one goes.
    Storage* Put() noexcept {
        reset();
        return &value_;
    }

private:
    Storage value_{};
};

namespace detail {
inline void CloseBstr(BSTR text) { SysFreeString(text); }
inline void CloseVariant(VARIANT& value) { (void)VariantClear(&value); }
inline void CloseSafeArray(SAFEARRAY* array) { (void)SafeArrayDestroy(array); }
}  // namespace detail

using UniqueBstr = UniqueValue<BSTR, detail::CloseBstr>;
using UniqueVariant = UniqueValue<VARIANT, detail::CloseVariant>;
using UniqueSafeArray = UniqueValue<SAFEARRAY*, detail::CloseSafeArray>;

}  // namespace nox
