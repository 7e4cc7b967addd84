// NoxVariant: an owned VARIANT (cleared on destruction, deep-copied on copy).
#pragma once

#include "com/oleauto.h"
#include "nox/strings.h"

class NOX_EXPORT NoxVariant {
public:
    NoxVariant() { VariantInit(&value_); }
    // Deep copy of `source`; a failing copy is raised with its result code.
    explicit NoxVariant(const VARIANT& source);
    NoxVariant(const NoxVariant& other) : NoxVariant(other.value_) {}
    NoxVariant& operator=(const NoxVariant& other);
    ~NoxVariant() { VariantClear(&value_); }

    const VARIANT& Get() const { return value_; }
    // Clears the value and returns it for a callee's output.
    VARIANT* Put();
    // The value as an automation string (VariantChangeType to VT_BSTR); a failure is raised.
    NoxBSTR Bstr() const;

private:
    VARIANT value_;
};
